// `coreapp demo [--db FILE|postgresql://...]`: plays the road of one order on a demo
// database and tells each step. A missing FILE (or a server database without tables)
// is first filled with the schema and the demo data; an existing one gets one more
// order each run. Printed orders go to a folder beside the database (<file name>-prints/;
// for a server, <address>-<port>-<database>-prints/ in the user's data folder). Exit 0 when every
// step came through, 1 when one failed (its message on standard error) or the database could not be
// made or opened.
#include <filesystem>
#include <iostream>

#include "apps/coreapp/command.h"
#include "apps/coreapp/demo/demo_road.h"
#include "db/embedded_connection.h"
#include "db/pg_connection.h"
#include "host/lookup/host_plugs.h"
#include "host/print/print_folder.h"
#include "plugs/coreapp/package.h"
#include "schema/schema_script.h"

namespace app {

namespace {

constexpr const char* kDefaultDemoDb = "coreapp-demo.db";

// Opens the demo database, creating it (schema and demo data) when it is not there.
// A half-made new file is removed again so the next run starts clean.
std::unique_ptr<db::EmbeddedConnection> openDemoDatabase(const std::string& file,
                                                         std::ostream& out) {
  namespace fs = std::filesystem;
  std::error_code ec;
  if (fs::exists(file, ec)) {
    out << "使用已有的演示数据库 " << file << '\n';
    db::EmbeddedConnection::Options options;
    options.create = false;
    return std::make_unique<db::EmbeddedConnection>(file, options);
  }
  try {
    auto connection = std::make_unique<db::EmbeddedConnection>(file);
    schema::createDatabase(*connection, true);
    out << "已新建演示数据库 " << file << "（表结构 + 演示数据）\n";
    return connection;
  } catch (...) {
    for (const char* suffix : {"", "-wal", "-shm", "-journal"}) fs::remove(file + suffix, ec);
    throw;
  }
}

// A server database is filled when it holds no tables yet; a failed fill empties it.
std::unique_ptr<db::Connection> openDemoServer(const std::string& uri, std::ostream& out) {
  auto connection = db::openFinishedServer(uri);
  if (connection->holdsSchema()) {
    out << "使用已有的演示数据库 " << PQdb(connection->handle()) << '\n';
    return connection;
  }
  try {
    schema::createDatabase(*connection, true);
  } catch (...) {
    connection->clearSchema();
    throw;
  }
  out << "已新建演示数据库 " << PQdb(connection->handle()) << "（表结构 + 演示数据）\n";
  return connection;
}

int runDemo(const std::string& file) {
  std::cout << "coreapp 演示：一张项目订单从开单、完工、结算到打印\n";
  std::unique_ptr<db::Connection> connection;
  const bool server = db::isServerUri(file);
  try {
    if (server) connection = openDemoServer(file, std::cout);
    else connection = openDemoDatabase(file, std::cout);
  } catch (const std::exception& e) {
    std::cerr << "coreapp demo: " << e.what() << '\n';
    return 1;
  }
  host::registerHostPlugs();
  plugs::coreapp::initializePackage();
  const std::string prints = host::printFolderOf(*connection);
  try {
    const demo::DemoResult result = demo::playDemoRoad(*connection, std::cout, prints);
    std::cout << "完成。打印的订单 " << result.billno << " 写在 "
              << std::filesystem::absolute(result.printFile).string() << '\n';
  } catch (const demo::DemoStepFailed& e) {
    std::cerr << "coreapp demo: " << e.what() << '\n';
    return 1;
  }
  return 0;
}

void setupDemo(CLI::App& cli) {
  auto file = std::make_shared<std::string>(kDefaultDemoDb);
  auto* cmd = cli.add_subcommand("demo",
                                 "Play the road of one order (new order, lines, staff, save, "
                                 "complete, settle, print) on a demo database");
  cmd->add_option("--db", *file,
                  "Demo database file, or server (postgresql://...); filled with the demo data when missing")
      ->capture_default_str();
  cmd->callback([file] {
    if (const int code = runDemo(*file); code != 0) throw CLI::RuntimeError(code);
  });
}

[[maybe_unused]] const bool registered = registerCommand("demo", setupDemo);

}  // namespace

}  // namespace app
