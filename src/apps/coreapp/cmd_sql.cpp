// `coreapp sql --db FILE [--param NAME=VALUE]... [SQLFILE|-]`: runs one T-SQL batch on
// the embedded engine and prints each result set as a JSON line. A raised error goes
// to standard error with exit code 1 after the result sets produced before it; a bad
// parameter, a missing SQL file or a database that cannot be opened is exit code 2.
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>

#include "apps/coreapp/command.h"
#include "db/pg_connection.h"
#include "db/param_text.h"
#include "db/result_json.h"

namespace {

struct SqlOptions {
  std::string db;
  std::vector<std::string> params;
  std::string file = "-";
};

[[noreturn]] void usageError(const std::string& message) {
  std::cerr << "coreapp sql: " << message << '\n';
  throw CLI::RuntimeError(2);
}

std::string readBatch(const std::string& file) {
  if (file == "-") {
    return std::string(std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>());
  }
  std::ifstream in(file, std::ios::binary);
  if (!in) usageError("cannot read SQL file " + file);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

void runSql(const SqlOptions& o) {
  db::Params params;
  try {
    for (const auto& p : o.params) params.push_back(db::ParamText::parse(p));
  } catch (const db::ParamTextError& e) {
    usageError(e.what());
  }
  std::string batch = readBatch(o.file);
  std::unique_ptr<db::Connection> conn;
  try {
    conn = db::openConnection(o.db);
  } catch (const db::ConnectionError& e) {
    std::cerr << "coreapp sql: " << e.what() << '\n';
    throw CLI::RuntimeError(1);
  }
  db::BatchResult result = conn->execBatch(batch, params);
  for (const auto& rs : result.resultSets) std::cout << db::ResultJson::line(rs) << '\n';
  std::cout.flush();
  for (const auto& m : result.messages) std::cerr << m << '\n';
  if (!result.ok()) {
    for (const auto& e : result.errors) std::cerr << e.message << '\n';
    throw CLI::RuntimeError(1);
  }
}

const bool registered = app::registerCommand("sql", [](CLI::App& cli) {
  auto options = std::make_shared<SqlOptions>();
  CLI::App* cmd = cli.add_subcommand("sql", "Run one T-SQL batch on the embedded database");
  cmd->add_option("--db", options->db,
                  "Database file (created empty when missing) or server (postgresql://...)")
      ->required();
  cmd->add_option("--param", options->params,
                  "Bound parameter NAME=VALUE, or NAME:int|float|money|datetime|bit=VALUE")
      ->allow_extra_args(false);  // one value per --param, so SQLFILE is not swallowed
  cmd->add_option("sqlfile", options->file, "File with the batch, or - for standard input");
  cmd->callback([options] { runSql(*options); });
});

}  // namespace
