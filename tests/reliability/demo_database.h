// Demo databases for the reliability tests: the whole schema and the demo master data,
// built once per process and copied (SQLite's backup) into each new database, so a
// test can afford a fresh database per scenario or per child process; and the scenario
// files played on them: the project's end-to-end scenarios that end normally and the
// recipes kept beside these tests for bills no scenario saves, audits and un-audits.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "db/embedded_connection.h"

namespace reliability {

//! Registers the host's plugs, the package and the demonstration bill (once).
void registerEverything();

//! A new connection on `path` (":memory:" or a file) holding the demo database.
std::unique_ptr<db::EmbeddedConnection> openDemoDatabase(const std::string& path);

//! Plays a scenario file on `conn` as `coreapp play` would; the transcript is dropped.
void playScenario(const std::string& path, db::Connection& conn);

//! Paths, sorted; scenarios that expect a non-zero exit code are left out.
std::vector<std::string> scenarioFiles();

//! Plug codes of the pool's items whose form is a bill editor (registers everything).
std::vector<std::string> billEditorCodes();

}  // namespace reliability
