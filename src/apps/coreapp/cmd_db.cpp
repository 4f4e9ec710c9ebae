// coreapp db init: creates a database file, or fills a server database
// (postgresql://...), with the whole schema (tables, views, stored procedures) and,
// with --demo, the demo master data; --scale N adds N years of a busy shop's orders
// (schema/shop_history.h), reporting each month on standard error; --shop, --owner and
// --password-file set a new shop up instead (its branch, first store and the owner's
// login, host/services/first_run.h). An existing file,
// or a server database that already holds tables, is refused unless --force; a
// database that cannot be completed, or whose run is interrupted, is removed (emptied
// on a server) again. coreapp db upgrade brings a database of an earlier build up to
// this one's.
#include <csignal>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>
#include <system_error>

#include "apps/coreapp/cmd_db_safety.h"
#include "apps/coreapp/command.h"
#include "db/embedded_connection.h"
#include "db/pg_connection.h"
#include "host/services/first_run.h"
#include "schema/file_upgrade.h"
#include "schema/schema_script.h"
#include "schema/schema_upgrade.h"
#include "schema/shop_history.h"

namespace app {

namespace {

struct DbInitOptions {
  std::string file;
  bool demo = false;
  bool force = false;
  int scale = 0;                          // years of orders to add
  std::string shop, owner, passwordFile;  // a new shop's first run
  host::FirstRunInput firstRun;           // filled from the three above
  bool setsUpShop() const { return !shop.empty() || !owner.empty() || !passwordFile.empty(); }
};

// The password is read from a file (or "-": standard input), never taken on the
// command line where every user of the machine could read it. One trailing line
// break is the file's, not the password's.
std::string readPasswordFile(const std::string& file) {
  std::ostringstream text;
  if (file == "-") {
    text << std::cin.rdbuf();
  } else {
    std::ifstream in(file, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read the password file " + file);
    text << in.rdbuf();
  }
  std::string password = text.str();
  if (password.ends_with('\n')) password.pop_back();
  if (password.ends_with('\r')) password.pop_back();
  return password;
}

// Checks the first-run options before anything is made; false (after the message)
// when they are incomplete, combined with the demo data, or not acceptable.
bool prepareFirstRun(DbInitOptions& options) {
  if (!options.setsUpShop()) return true;
  if (options.shop.empty() || options.owner.empty() || options.passwordFile.empty()) {
    std::cerr << "coreapp db init: --shop, --owner and --password-file go together\n";
    return false;
  }
  if (options.demo || options.scale > 0) {
    std::cerr
        << "coreapp db init: --shop sets up a new shop; it does not go with --demo or --scale\n";
    return false;
  }
  try {
    options.firstRun = {options.shop, "总店", options.owner,
                        readPasswordFile(options.passwordFile)};
    host::validateFirstRun(options.firstRun);
  } catch (const std::exception& e) {
    std::cerr << "coreapp db init: " << e.what() << "\n";
    return false;
  }
  return true;
}

// The schema, then the demo data or the new shop, then the years of orders asked for.
void fillDatabase(db::Connection& connection, const DbInitOptions& options) {
  schema::createDatabase(connection, options.demo);
  if (options.setsUpShop()) host::runFirstRun(connection, options.firstRun);
}

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
        std::cerr << "coreapp db init: the server database already holds tables; use --force to "
                     "replace them\n";
        return 2;
      }
      connection->clearSchema();
    }
    connection->markUnfinished(true);  // a run killed half-way is not taken for a whole database
    fillDatabase(*connection, options);
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

int runDbInit(DbInitOptions& options) {
  namespace fs = std::filesystem;
  if (!prepareFirstRun(options)) return 2;
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
    fillDatabase(connection, options);
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

// What an upgrade of tables and procedures did, as the command prints it.
std::string changes(const schema::Upgraded& u) {
  std::string out = u.tablesAdded ? "tables added" : "";
  if (u.proceduresRenewed > 0)
    out += (out.empty() ? "" : ", ") + std::to_string(u.proceduresRenewed) + " procedures renewed";
  return out;
}

// A file gets the new generation in one transaction, then the tables added since in
// their scripts' own and the procedures one batch each; a server only the tables and
// procedures (it keeps no generation).
std::string upgradeDatabase(const std::string& target) {
  if (db::isServerUri(target)) {
    auto server = db::openFinishedServer(target);
    const schema::Upgraded u = schema::upgradeDatabase(*server);
    return u.any() ? changes(u) : "up to date";
  }
  db::EmbeddedConnection::Options options;
  options.create = false;  // upgrading a missing file is a typo, not a new database
  db::EmbeddedConnection file(target, options);
  const schema::FileUpgrade::Outcome outcome = schema::FileUpgrade::run(file);
  const schema::Upgraded u = schema::upgradeDatabase(file);
  if (outcome.hadVersion == db::EmbeddedConnection::kSchemaVersion)
    return u.any() ? changes(u) : "up to date";
  return "upgraded from schema " + std::to_string(outcome.hadVersion) + " to " +
         std::to_string(db::EmbeddedConnection::kSchemaVersion) + " (" +
         std::to_string(outcome.addedColumns) + " columns added" +
         (u.any() ? ", " + changes(u) + ")" : ")");
}

void setupUpgrade(CLI::App& db) {
  auto target = std::make_shared<std::string>();
  auto* upgrade =
      db.add_subcommand("upgrade", "Bring a database of an earlier build up to this one's");
  upgrade->add_option("--db", *target, "Database file, or server database (postgresql://...)")
      ->required();
  upgrade->callback([target] {
    try {
      const std::string outcome = upgradeDatabase(*target);
      std::cout << "coreapp db upgrade: " << *target << ": " << outcome << "\n";
    } catch (const std::exception& e) {
      std::cerr << "coreapp db upgrade: " << e.what() << "\n";
      throw CLI::RuntimeError(1);
    }
  });
}

void setupDb(CLI::App& cli) {
  auto* db = cli.add_subcommand("db", "Database files");
  db->require_subcommand(1);
  auto options = std::make_shared<DbInitOptions>();
  auto* init = db->add_subcommand("init", "Create a database with the whole schema");
  init->add_option("--db", options->file,
                   "Database file to create, or server database to fill (postgresql://...)")
      ->required();
  init->add_flag("--demo", options->demo, "Also load the demo master data");
  init->add_flag("--force", options->force, "Replace an existing file");
  init->add_option("--scale", options->scale,
                   "Also add N years of a busy shop's orders (the same for the same N)")
      ->check(CLI::Range(1, 50));
  init->add_option("--shop", options->shop,
                   "Set up a new shop: its name (with --owner and --password-file)");
  init->add_option("--owner", options->owner,
                   "The owner's name: the first operator, with every right");
  init->add_option("--password-file", options->passwordFile,
                   "File holding the owner's password (- = standard input)");
  init->callback([options] {
    int code = runDbInit(*options);
    if (code != 0) throw CLI::RuntimeError(code);
  });
  setupDbSafety(*db);
  setupUpgrade(*db);
}

[[maybe_unused]] const bool registered = registerCommand("db", setupDb);

}  // namespace

}  // namespace app
