// coreapp db backup / restore / check: the subcommands that keep a shop's books safe,
// added under `coreapp db` by its setup.
#pragma once

#include <CLI/CLI.hpp>

namespace app {

//! Adds backup, restore and check to the `db` subcommand.
void setupDbSafety(CLI::App& db);

}  // namespace app
