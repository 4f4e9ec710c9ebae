// coreapp command line: the headless host (db init, sql, play, plugs, demo).
#include <CLI/CLI.hpp>

int main(int argc, char** argv) {
  CLI::App app{"coreapp: the core business module of the shop's management suite"};
  app.require_subcommand(0, 1);
  CLI11_PARSE(app, argc, argv);
  if (app.get_subcommands().empty()) std::cout << app.help();
  return 0;
}
