// Subcommands of the coreapp command line. Each lives in its own cmd_*.cpp and adds
// itself to the registry at start-up, so commands can be added without touching main.
// A command reports its exit code by throwing CLI::RuntimeError(code) (0 = ran,
// 1 = the database or engine raised an error, 2 = bad usage or malformed input).
#pragma once

#include <CLI/CLI.hpp>
#include <functional>
#include <string>

namespace app {

//! Adds the subcommand (options and callback) to the application.
using CommandSetup = std::function<void(CLI::App&)>;

//! Registers a subcommand; call from a namespace-scope initializer. Returns true.
bool registerCommand(std::string name, CommandSetup setup);

}  // namespace app
