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

}  // namespace desktop_test
