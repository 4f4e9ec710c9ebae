// The template database lives in memory for the life of the test process. A bill
// editor is told by its form class, so a bill registered later is found without naming it.
#include "reliability/demo_database.h"

#include <algorithm>
#include <filesystem>
#include <sstream>
#include <stdexcept>

#include "host/forms/base_bill_edit_ribbon_form.h"
#include "host/forms/sample/demo_bill_form.h"
#include "host/host.h"
#include "host/lookup/host_plugs.h"
#include "host/player/player.h"
#include "host/plug/t_plugs_pool.h"
#include "host/scripted_ui.h"
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

namespace fs = std::filesystem;

std::vector<std::string> scenarioFiles() {
  std::vector<std::string> files;
  for (const char* dir : {"/tests/scenarios", "/tests/reliability/recipes"}) {
    for (const auto& entry : fs::directory_iterator(std::string(COREAPP_SOURCE_DIR) + dir)) {
      fs::path p = entry.path();
      if (p.extension() != ".json" || fs::exists(fs::path(p).replace_extension(".exit"))) continue;
      files.push_back(p.string());
    }
  }
  std::sort(files.begin(), files.end());
  return files;
}

std::vector<std::string> billEditorCodes() {
  registerEverything();
  auto conn = openDemoDatabase(":memory:");
  host::ScriptedUi ui;
  host::Host h;
  h.connection = conn.get();
  h.ui = &ui;
  host::HostScope scope(h);
  std::vector<std::string> codes;
  for (host::TPlugItem* item : host::plugsPool().items()) {
    if (!item->formClass.create) continue;
    std::unique_ptr<host::FormModel> form = item->formClass.create(nullptr);
    if (dynamic_cast<host::TBaseBillEditRibbonForm*>(form.get()) != nullptr) codes.push_back(item->code);
  }
  return codes;
}


}  // namespace reliability
