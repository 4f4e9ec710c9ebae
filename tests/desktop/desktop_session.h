// A desktop test session: the demo database in memory, the demo operator signed in
// through the shell's own sign-in, a scripted Ui that answers lookups and records
// every message, and the package's plug items registered.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "apps/coreapp-desktop/session.h"
#include "db/embedded_connection.h"
#include "host/host.h"
#include "host/lookup/host_plugs.h"
#include "apps/coreapp-desktop/form_view.h"
#include "host/forms/base_bill_edit_ribbon_form.h"
#include "host/forms/page_control.h"
#include "host/plug/t_plugs_pool.h"
#include "host/scripted_ui.h"
#include "plugs/coreapp/package.h"
#include "schema/schema_script.h"

namespace desktop_test {

class DemoSession : public ::testing::Test {
 protected:
  DemoSession() : conn(":memory:") {
    schema::createDatabase(conn, true);
    host::registerHostPlugs();
    plugs::coreapp::initializePackage();
    host.ui = &ui;
    lists = desktop::readLoginLists(conn);
    desktop::signIn(host, conn, lists, lists.stores.front().id, lists.operators.front().id,
                    desktop::parseRights("*"));
  }

  //! True when some transcript event contains `fragment`.
  bool said(const std::string& fragment) const {
    for (const std::string& e : ui.transcript())
      if (e.find(fragment) != std::string::npos) return true;
    return false;
  }

  db::EmbeddedConnection conn;
  host::ScriptedUi ui;
  host::Host host;
  desktop::LoginLists lists;
  host::HostScope scope{host};
};

//! A bill editor of one plug opened as a page of the shell on the demo database, with
//! its view; the page is closed after the test.
template <class Form = host::TBaseBillEditRibbonForm>
class BillPageSession : public DemoSession {
 protected:
  //! Opens plug `code` as a page and shows it in `view`; a page of another class fails.
  void openPage(const char* code) {
    host::plugsPool().plugbyName(code)->create(nullptr, "");
    page = dynamic_cast<Form*>(host::PageControl().activePage());
    ASSERT_NE(page, nullptr) << code;
    view = std::make_unique<desktop::FormView>(*page);
  }
  void TearDown() override {
    view.reset();
    host::PageControl().clear();
  }

  //! The column of `field` in a grid's model (0, and a failure, when there is none).
  static int columnOf(desktop::DataSetTableModel& m, const std::string& field) {
    for (int c = 0; c < m.columnCount(); ++c)
      if (m.column(c).field == field) return c;
    ADD_FAILURE() << "no column " << field;
    return 0;
  }

  Form* page = nullptr;
  std::unique_ptr<desktop::FormView> view;
};

}  // namespace desktop_test
