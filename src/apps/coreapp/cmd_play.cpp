// `coreapp play --db FILE SCENARIO.json [--log]`: plays a scenario against the database
// and prints its transcript (JSON lines). Exit 2 when the scenario is malformed (the
// message names the step), 1 when the database cannot be opened.
#include <iostream>

#include "apps/coreapp/command.h"
#include "db/pg_connection.h"
#include "host/forms/sample/demo_bill_form.h"
#include "host/lookup/host_plugs.h"
#include "host/player/player.h"
#include "plugs/coreapp/package.h"

namespace {

struct PlayOptions {
  std::string db;
  std::string scenario;
  bool log = false;
};

void play(const PlayOptions& o) {
  host::Scenario scenario;
  try {
    scenario = host::Scenario::load(o.scenario);
  } catch (const host::MalformedScenario& e) {
    std::cerr << o.scenario << ": " << e.what() << '\n';
    throw CLI::RuntimeError(2);
  }
  std::unique_ptr<db::Connection> conn;
  try {
    conn = db::openConnection(o.db, false);
  } catch (const std::exception& e) {
    std::cerr << e.what() << '\n';
    throw CLI::RuntimeError(1);
  }
  host::registerHostPlugs();
  plugs::coreapp::initializePackage();
  host::registerDemoBill();  // the demonstration bill is playable but never listed as a package item
  host::Player player(*conn, std::cout, o.log);
  try {
    player.run(scenario);
  } catch (const host::MalformedScenario& e) {
    std::cerr << o.scenario << ": " << e.what() << '\n';
    throw CLI::RuntimeError(2);
  }
}

const bool registered = app::registerCommand("play", [](CLI::App& cli) {
  auto o = std::make_shared<PlayOptions>();
  CLI::App* cmd = cli.add_subcommand("play", "Play a scenario against a database and print its transcript");
  cmd->add_option("--db", o->db, "Database file or server (postgresql://...)")->required();
  cmd->add_option("scenario", o->scenario, "Scenario file (JSON)")->required();
  cmd->add_flag("--log", o->log, "Add the debug log (SQL batches with their tags) to the transcript");
  cmd->callback([o] { play(*o); });
});

}  // namespace
