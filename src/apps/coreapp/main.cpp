// coreapp command line: the headless host (db init, sql, play, plugs, demo).
#include <iostream>
#include <map>

#include "apps/coreapp/command.h"

namespace app {

static std::map<std::string, CommandSetup>& registry() {
  static std::map<std::string, CommandSetup> commands;
  return commands;
}

bool registerCommand(std::string name, CommandSetup setup) {
  registry().emplace(std::move(name), std::move(setup));
  return true;
}

}  // namespace app

int main(int argc, char** argv) {
  CLI::App cli{"coreapp: the core business module of the shop's management suite"};
  cli.require_subcommand(0, 1);
  for (auto& [name, setup] : app::registry()) setup(cli);
  try {
    cli.parse(argc, argv);
  } catch (const CLI::RuntimeError& e) {
    return e.get_exit_code();  // a command's own result (1 = database error, 2 = bad input)
  } catch (const CLI::ParseError& e) {
    // Usage errors exit 2 as the command-line contract says; --help exits 0.
    int code = cli.exit(e);
    return code == 0 ? 0 : 2;
  }
  if (cli.get_subcommands().empty()) std::cout << cli.help();
  return 0;
}
