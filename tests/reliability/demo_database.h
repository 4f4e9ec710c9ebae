// Demo databases for the reliability tests: the whole schema and the demo master data,
// built once per process and copied (SQLite's backup) into each new database, so a
// test can afford a fresh database per scenario or per child process.
#pragma once

#include <memory>
#include <string>

#include "db/embedded_connection.h"

namespace reliability {

//! Registers the host's plugs, the package and the demonstration bill (once).
void registerEverything();

//! A new connection on `path` (":memory:" or a file) holding the demo database.
std::unique_ptr<db::EmbeddedConnection> openDemoDatabase(const std::string& path);

//! Plays a scenario file on `conn` as `coreapp play` would; the transcript is dropped.
void playScenario(const std::string& path, db::Connection& conn);

}  // namespace reliability
