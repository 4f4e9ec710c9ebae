// Finding the files and the bill editors; a bill editor is told by its form class,
// so a bill registered later is found without naming it here.
#include "reliability/scenario_files.h"

#include <algorithm>
#include <filesystem>

#include "host/forms/base_bill_edit_ribbon_form.h"
#include "host/host.h"
#include "host/plug/t_plugs_pool.h"
#include "host/scripted_ui.h"
#include "reliability/demo_database.h"

namespace reliability {

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
