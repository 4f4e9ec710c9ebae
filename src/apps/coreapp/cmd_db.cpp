// coreapp db init: creates a database file, or fills a server database
// (postgresql://...), with the whole schema (tables, views, stored procedures) and,
// with --demo, the demo master data; --scale N adds N years of a busy shop's orders
// (schema/shop_history.h), reporting each month on standard error. An existing file,
// or a server database that already holds tables, is refused unless --force; a
// database that cannot be completed, or whose run is interrupted, is removed (emptied
// on a server) again.
#include <csignal>
#include <filesystem>
#include <iostream>
#include <memory>
#include <string>
#include <system_error>

#include "apps/coreapp/cmd_db_safety.h"
#include "apps/coreapp/command.h"
#include "db/embedded_connection.h"
#include "db/pg_connection.h"
#include "schema/schema_script.h"
#include "schema/shop_history.h"

namespace app {

namespace {

struct DbInitOptions {
  std::string file;
  bool demo = false;
  bool force = false;
  int scale = 0;  // years of orders to add
};

// Removes the database file and the side files SQLite keeps beside it.
void removeDatabaseFiles(const std::string& file) {
  std::error_code ignored;  // a side file that is not there is fine
  for (const char* suffix : {"", "-wal", "-shm", "-journal"})
    std::filesystem::remove(file + suffix, ignored);
}

volatile std::sig_atomic_t interrupted = 0;

// Ctrl+C or a stop signal during the history ends the run at the next day, so the
// half-written database is emptied rather than left looking whole.
class InterruptWatch {
 public:
  InterruptWatch() {
    interrupted = 0;
    previousInt_ = std::signal(SIGINT, [](int) { interrupted = 1; });
    previousTerm_ = std::signal(SIGTERM, [](int) { interrupted = 1; });
  }
  ~InterruptWatch() {
    std::signal(SIGINT, previousInt_);
    std::signal(SIGTERM, previousTerm_);
  }
  InterruptWatch(const InterruptWatch&) = delete;
  InterruptWatch& operator=(const InterruptWatch&) = delete;

 private:
  void (*previousInt_)(int);
  void (*previousTerm_)(int);
};

schema::HistoryProgress historyProgress() {
  schema::HistoryProgress progress;
  progress.monthWritten = [](const std::string& month, long long rows) {
    std::cerr << "coreapp db init: " << month << " written, " << rows << " rows\n";
  };
  progress.stopRequested = [] { return interrupted != 0; };
  return progress;
}

// The server database must exist (made by its administrator); db init fills it.
int runServerInit(const DbInitOptions& options) {
  std::unique_ptr<db::PgConnection> connection;
  try {
    connection = std::make_unique<db::PgConnection>(options.file);
    if (connection->holdsSchema()) {
      if (!options.force) {
        std::cerr << "coreapp db init: the server database already holds tables; use --force to replace them\n";
        return 2;
      }
      connection->clearSchema();
    }
    connection->markUnfinished(true);  // a run killed half-way is not taken for a whole database
    schema::createDatabase(*connection, options.demo);
    if (options.scale > 0) {
      InterruptWatch watch;
      schema::addShopHistoryInBatches(*connection, {options.scale}, historyProgress());
      connection->analyze();  // fresh statistics after the bulk of rows
    }
    connection->markUnfinished(false);
  } catch (const std::exception& e) {
    std::cerr << "coreapp db init: " << e.what() << "\n";
    try {
      if (connection) connection->clearSchema();  // leave no half-made database behind
    } catch (const std::exception& again) {
      std::cerr << "coreapp db init: " << again.what() << "\n";
    }
    return 1;
  }
  return 0;
}

int runDbInit(const DbInitOptions& options) {
  namespace fs = std::filesystem;
  if (db::isServerUri(options.file)) return runServerInit(options);
  std::error_code ec;
  if (fs::exists(options.file, ec)) {
    if (fs::is_directory(options.file, ec)) {
      std::cerr << "coreapp db init: " << options.file << " is a directory\n";
      return 2;
    }
    if (!options.force) {
      std::cerr << "coreapp db init: " << options.file
                << " already exists; use --force to replace it\n";
      return 2;
    }
    removeDatabaseFiles(options.file);
  }
  try {
    db::EmbeddedConnection connection(options.file);
    schema::createDatabase(connection, options.demo);
    if (options.scale > 0) {
      InterruptWatch watch;
      schema::addShopHistory(connection, {options.scale}, historyProgress());
    }
  } catch (const std::exception& e) {
    std::cerr << "coreapp db init: " << e.what() << "\n";
    removeDatabaseFiles(options.file);  // leave no half-made database behind
    return 1;
  }
  return 0;
}

void setupDb(CLI::App& cli) {
  auto* db = cli.add_subcommand("db", "Database files");
  db->require_subcommand(1);
  auto options = std::make_shared<DbInitOptions>();
  auto* init = db->add_subcommand("init", "Create a database with the whole schema");
  init->add_option("--db", options->file, "Database file to create, or server database to fill (postgresql://...)")
      ->required();
  init->add_flag("--demo", options->demo, "Also load the demo master data");
  init->add_flag("--force", options->force, "Replace an existing file");
  init->add_option("--scale", options->scale, "Also add N years of a busy shop's orders (the same for the same N)")
      ->check(CLI::Range(1, 50));
  init->callback([options] {
    int code = runDbInit(*options);
    if (code != 0) throw CLI::RuntimeError(code);
  });
  setupDbSafety(*db);
}

[[maybe_unused]] const bool registered = registerCommand("db", setupDb);

}  // namespace

}  // namespace app
