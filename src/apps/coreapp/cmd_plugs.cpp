// `coreapp plugs`: every plug item the package registers, in registration order, one
// JSON line each (code, caption, class, guid, rules). The host's own lookup and entry
// plugs are not the package's and are not listed, nor are the package's additions
// beyond the plug table (the receivable aging page, the report pages, the operators'
// rights page, the master-data pages) unless `--all` asks for them too.
#include <iostream>
#include <memory>

#include "apps/coreapp/command.h"
#include "host/lookup/host_plugs.h"
#include "host/plug/plug_listing.h"
#include "host/plug/t_plugs_pool.h"
#include "plugs/coreapp/package.h"

namespace {

void listPlugs(bool all) {
  plugs::coreapp::initializePackage();
  for (const host::TPlugItem* item : host::plugsPool().items())
    if (!host::isHostPlug(item->caption) && (all || !plugs::coreapp::isPackageAddition(*item)))
      std::cout << host::plugItemJson(*item) << '\n';
}

const bool registered = app::registerCommand("plugs", [](CLI::App& cli) {
  CLI::App* cmd = cli.add_subcommand("plugs", "List the registered plug items as JSON lines");
  auto all = std::make_shared<bool>(false);
  cmd->add_flag("--all", *all,
                "Also the package's pages beyond the plug table (aging, reports, rights, master data)");
  cmd->callback([all] { listPlugs(*all); });
});

}  // namespace
