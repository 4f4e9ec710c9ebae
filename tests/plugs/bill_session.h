// BillSession: the host session every bill's tests run in — the whole schema on an
// in-memory embedded database with the test's own master data, the login 0001 / 王敏
// with every right, the shipped bill settings, the host's lookup plugs and a scripted
// Ui — and the helpers that open an editor and read the database and the transcript.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "dataset/client_data_set.h"
#include "db/embedded_connection.h"
#include "host/forms/bill_config.h"
#include "host/host.h"
#include "host/lookup/host_plugs.h"
#include "host/plug/t_plugs_pool.h"
#include "host/scripted_ui.h"
#include "schema/schema_script.h"

namespace bill_test {

class BillSession : public ::testing::Test {
 protected:
  //! A new database holding the schema and the rows of `masterData`.
  explicit BillSession(const char* masterData) : conn(":memory:") {
    host.connection = &conn;
    host.ui = &ui;
    host.login = {"0001", "A", 1, 1, "001", "王敏"};
    host.rights.all = true;
    host.defaultPlugInfo = [](std::string_view code) { return host::defaultBillConfig(code); };
    schema::createDatabase(conn, false);
    const db::BatchResult r = conn.execBatch(masterData);
    EXPECT_TRUE(r.ok()) << r.errorMessage();
    host::registerHostPlugs();
  }

  //! Runs a unit's registration unless plug `code` is in the pool already.
  static void registerOnce(const char* code, void (*registration)()) {
    if (host::plugsPool().plugbyName(code) == nullptr) registration();
  }

  //! An editor of bill type `Form` (plug `code`) on bill `billno` ("" = none).
  template <class Form>
  std::unique_ptr<Form> openEditor(const char* code, const std::string& billno = "") {
    auto form = std::make_unique<Form>(nullptr, host::plugsPool().plugbyName(code));
    form->initialize();
    form->OpenBillData(billno);
    return form;
  }

  //! Rows of a query (last result set); fails the test when the query fails.
  std::vector<std::vector<core::Value>> query(const std::string& sql) {
    const db::BatchResult r = conn.execBatch(sql);
    EXPECT_TRUE(r.ok()) << r.errorMessage();
    return r.resultSets.empty() ? std::vector<std::vector<core::Value>>{} : r.resultSets.back().rows;
  }

  //! The one value a query returns (null when it returns no row).
  core::Value scalar(const std::string& sql) {
    const auto r = query(sql);
    return r.empty() ? core::Value() : r.front().front();
  }

  //! Every row of a query as its values' texts joined by "|" (null as ""), so a whole
  //! row, money to four places included, is checked in one comparison.
  std::vector<std::string> rowTexts(const std::string& sql) {
    std::vector<std::string> out;
    for (const auto& row : query(sql)) {
      std::string line;
      for (std::size_t i = 0; i < row.size(); ++i) line += (i == 0 ? "" : "|") + row[i].asText();
      out.push_back(line);
    }
    return out;
  }

  //! The current row's `fields` ("sl dj je") as their texts joined by "|" (null as "").
  static std::string texts(const dataset::ClientDataSet& ds, const std::string& fields) {
    std::string out, name;
    std::istringstream in(fields);
    while (in >> name) out += (out.empty() ? "" : "|") + ds.fieldByName(name).asString();
    return out;
  }

  //! How many rows `from` ("table" or "table where ...") holds.
  std::int64_t countOf(const std::string& from) { return scalar("select count(*) from " + from).asInteger(); }

  std::string lastEvent() const { return ui.transcript().empty() ? "" : ui.transcript().back(); }

  //! How many transcript events contain `fragment`.
  long count(const std::string& fragment) const {
    const auto& t = ui.transcript();
    return std::count_if(t.begin(), t.end(), [&](const std::string& e) { return e.find(fragment) != std::string::npos; });
  }

  //! True when some transcript event contains `fragment`.
  bool said(const std::string& fragment) const { return count(fragment) > 0; }

  //! True when a message box showed exactly `text`.
  bool saidMessage(const std::string& text) const {
    const std::string needle = "\"text\":\"" + text + "\"";
    const auto& t = ui.transcript();
    return std::any_of(t.begin(), t.end(), [&](const std::string& e) {
      return e.find("\"event\":\"message\"") != std::string::npos && e.find(needle) != std::string::npos;
    });
  }

  db::EmbeddedConnection conn;
  host::ScriptedUi ui;
  host::Host host;
  host::HostScope scope{host};
};

}  // namespace bill_test
