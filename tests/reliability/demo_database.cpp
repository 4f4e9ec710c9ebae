// The template database lives in memory for the life of the test process.
#include "reliability/demo_database.h"

#include <sstream>
#include <stdexcept>

#include "host/forms/sample/demo_bill_form.h"
#include "host/lookup/host_plugs.h"
#include "host/player/player.h"
#include "plugs/coreapp/package.h"
#include "schema/schema_script.h"

namespace reliability {

namespace {

db::EmbeddedConnection& templateDatabase() {
  static db::EmbeddedConnection conn(":memory:");
  static const bool built = [] {
    schema::createDatabase(conn, true);
    return true;
  }();
  (void)built;
  return conn;
}

}  // namespace

void registerEverything() {
  static const bool done = [] {
    host::registerHostPlugs();
    plugs::coreapp::initializePackage();
    host::registerDemoBill();
    return true;
  }();
  (void)done;
}

std::unique_ptr<db::EmbeddedConnection> openDemoDatabase(const std::string& path) {
  auto conn = std::make_unique<db::EmbeddedConnection>(path);
  sqlite3_backup* copy = sqlite3_backup_init(conn->handle(), "main", templateDatabase().handle(), "main");
  if (copy == nullptr) throw std::runtime_error(sqlite3_errmsg(conn->handle()));
  sqlite3_backup_step(copy, -1);
  if (sqlite3_backup_finish(copy) != SQLITE_OK) throw std::runtime_error(sqlite3_errmsg(conn->handle()));
  return conn;
}

void playScenario(const std::string& path, db::Connection& conn) {
  registerEverything();
  std::ostringstream transcript;
  host::Player player(conn, transcript, false);
  player.run(host::Scenario::load(path));
}

}  // namespace reliability
