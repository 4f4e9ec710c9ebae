// The shop-sized database the report benchmarks share: three years of a busy shop made
// once in /tmp (again when the tables change), a copy with this build's account views
// and report procedures and four accounts so the settlements land in a cash journal, the
// two periods measured, and one report run through any connection.
#pragma once

#include <filesystem>
#include <map>
#include <regex>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/date_time.h"
#include "db/embedded_connection.h"
#include "plugs/coreapp/report/report_catalog.h"
#include "schema/embedded_files.h"
#include "schema/schema_script.h"
#include "schema/shop_history.h"

namespace reportbench {

inline constexpr unsigned kSeed = 20261130;
inline const schema::ShopScale kShop{3, 30000, 2000, kSeed};

// The four accounts the settlements of the history name.
inline constexpr const char* kAccounts =
    "insert into vt_b_zhbmk(orgid, code, name) values ('0001', '01', '现金')\n"
    "insert into vt_b_zhbmk(orgid, code, name) values ('0001', '02', '银行')\n"
    "insert into vt_b_zhbmk(orgid, code, name) values ('0001', '03', '微信')\n"
    "insert into vt_b_zhbmk(orgid, code, name) values ('0001', '04', '支付宝')\n";

// A hash of the schema files' text, those of the report scripts (110_, 130_) or the rest.
inline std::string scriptsHash(bool reports) {
  std::string text;
  for (const schema::ScriptFile& f : schema::schemaFiles())
    if ((f.name.starts_with("110_") || f.name.starts_with("130_")) == reports) text += f.text;
  return std::to_string(std::hash<std::string>{}(text));
}

// The shop file is made again when the tables change; its copy when a report script does,
// so a changed procedure is measured, not the one an earlier build installed.
inline std::string shopCopy() {
  const std::string path =
      "/tmp/coreapp_shop_3y_" + std::to_string(kSeed) + "-" + scriptsHash(false) + ".db";
  if (!std::filesystem::exists(path)) {
    const std::string part = path + ".part";
    for (const char* suffix : {"", "-wal", "-shm"}) std::filesystem::remove(part + suffix);
    {
      db::EmbeddedConnection conn(part);
      schema::createDatabase(conn, false);
      schema::addShopHistory(conn, kShop);
    }
    std::filesystem::rename(part, path);
  }
  const std::string copy = path + ".reports-" + scriptsHash(true);
  if (!std::filesystem::exists(copy)) {
    std::filesystem::copy_file(path, copy + ".part");
    {
      db::EmbeddedConnection conn(copy + ".part");
      std::vector<schema::ScriptFile> files;
      for (const schema::ScriptFile& f : schema::schemaFiles())
        if (f.name.starts_with("110_") || f.name.starts_with("130_")) files.push_back(f);
      // Each view or procedure replaces the one the shop file was made with.
      const std::regex created(R"(create\s+(view|procedure)\s+(\w+))", std::regex::icase);
      for (const schema::ScriptBatch& batch : schema::SchemaScript(files).batches()) {
        const std::string text(batch.text);
        std::smatch m;
        if (std::regex_search(text, m, created))
          conn.execBatch("drop " + m.str(1) + " " + m.str(2));
        if (!conn.execBatch(text).ok())
          throw std::runtime_error("cannot install " + std::string(batch.file));
      }
      conn.execBatch(kAccounts);
    }
    std::filesystem::rename(copy + ".part", copy);
  }
  return copy;
}

struct Span {
  const char* from;
  const char* to;
};
inline const Span kMonth{"2026-11-01", "2026-11-30"};
inline const Span kYears{"2023-12-01", "2026-11-30"};

//! Runs the report for the span through `conn`; the rows of its last result set.
inline std::size_t engineRows(db::Connection& conn, const plugs::coreapp::ReportSpec& spec,
                       const Span& span) {
  std::map<std::string, core::Value> values = {
      {"rq1", core::Value(*core::DateTime::parse(span.from))},
      {"rq2", core::Value(*core::DateTime::parse(span.to))},
      {"rq", core::Value(*core::DateTime::parse(span.to))}};
  if (spec.name == "sales") values["lx"] = core::Value(1);
  const db::BatchResult r = conn.execBatch(spec.batch(), spec.bind("0001", values));
  if (!r.ok() || r.resultSets.empty())
    throw std::runtime_error(spec.name + ": " + r.errorMessage());
  return r.resultSets.back().rows.size();
}

}  // namespace reportbench
