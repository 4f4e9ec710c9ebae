// A host session for service tests: a recording connection, a scripted Ui and a login
// of store "0001", made current for the test's lifetime.
#pragma once

#include <gtest/gtest.h>

#include "host/host.h"
#include "host/scripted_ui.h"
#include "services_fake_connection.h"

namespace host_test {

class HostTest : public ::testing::Test {
 protected:
  HostTest() {
    host.connection = &conn;
    host.ui = &ui;
    host.login = {"0001", "A", 1, 7, "001", "王敏"};
  }

  FakeConnection conn;
  host::ScriptedUi ui;
  host::Host host;
  host::HostScope scope{host};
};

}  // namespace host_test
