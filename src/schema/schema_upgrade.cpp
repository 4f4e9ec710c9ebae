// SchemaUpgrade: a table is looked for by reading it, the one way the same T-SQL asks
// both backends; only "invalid object" means it is missing, any other failure is the
// database's and stops the open.
#include "schema/schema_upgrade.h"

#include <cctype>
#include <optional>
#include <sstream>
#include <utility>

#include "schema/embedded_files.h"
#include "schema/schema_script.h"
#include "tsql/catalog/catalog.h"
#include "tsql/errors/error_table.h"
#include "tsql/parser/parser.h"

namespace schema {

namespace {

//! A table added after the first schema and the script file that makes it.
struct Addition {
  std::string_view table;
  std::string_view file;
};

constexpr Addition kAdditions[] = {{"vt_sys_user_login", "025_user_login.sql"}};

bool hasTable(db::Connection& connection, std::string_view table) {
  const db::BatchResult r =
      connection.execBatch("select count(*) from " + std::string(table) + " where 1 = 0");
  if (r.ok()) return true;
  if (r.errors.front().number == tsql::errors::number(tsql::errors::Error::InvalidObject))
    return false;
  throw SchemaError(r.errorMessage());
}

const ScriptFile& schemaFile(std::string_view name) {
  for (const ScriptFile& file : schemaFiles())
    if (file.name == name) return file;
  throw SchemaError("the program lacks its script " + std::string(name));
}

// The file opens and commits its own transaction; a batch it stops in leaves that
// transaction open, which is rolled back here so nothing of it stays.
void runWhole(db::Connection& connection, const ScriptFile& file) {
  try {
    SchemaScript({file}).run(connection);
  } catch (...) {
    (void)connection.execBatch("if @@trancount > 0 rollback tran");
    throw;
  }
}

// The statement of a batch that makes a procedure ("create procedure NAME …", from its
// first word to its last), and the procedure's name; nullopt for any other batch.
std::optional<std::pair<std::string_view, std::string>> procedureOf(std::string_view text) {
  std::size_t at = 0;
  while (at < text.size()) {  // past blanks and whole-line comments
    if (std::isspace(static_cast<unsigned char>(text[at]))) {
      ++at;
    } else if (text.substr(at, 2) == "--") {
      at = text.find('\n', at);
      if (at == std::string_view::npos) return std::nullopt;
    } else {
      break;
    }
  }
  std::string_view statement = text.substr(at);
  statement = statement.substr(0, statement.find_last_not_of(" \t\r\n") + 1);
  std::istringstream words{std::string(statement.substr(0, 200))};
  std::string create, procedure, name;
  words >> create >> procedure >> name;
  if (tsql::toLower(create) != "create" ||
      (tsql::toLower(procedure) != "procedure" && tsql::toLower(procedure) != "proc"))
    return std::nullopt;
  return std::make_pair(statement, tsql::catalog::normalizeObjectName(name));
}

std::string_view pastFirstWord(std::string_view text) {
  const std::size_t blank = text.find_first_of(" \t\r\n");
  return blank == std::string_view::npos ? std::string_view{} : text.substr(blank);
}

std::optional<std::string> storedProcedure(db::Connection& connection, const std::string& name) {
  const db::BatchResult r = connection.execBatch(
      "select body from tsql_procedures where name = :name", {{"name", core::Value(name)}});
  if (!r.ok()) throw SchemaError(r.errorMessage());
  if (r.resultSets.empty() || r.resultSets[0].rows.empty()) return std::nullopt;
  return r.resultSets[0].rows[0][0].asText();
}

// Each renewal is one batch (ALTER keeps the stored row's place), so a refused text
// leaves that procedure as it was.
int renewProcedures(db::Connection& connection) {
  int renewed = 0;
  for (const ScriptBatch& batch : SchemaScript(schemaFiles()).batches()) {
    const auto procedure = procedureOf(batch.text);
    if (!procedure) continue;
    const auto& [statement, name] = *procedure;
    const std::optional<std::string> stored = storedProcedure(connection, name);
    // An altered procedure keeps "alter …" as its text: the words after the first count.
    if (stored && pastFirstWord(*stored) == pastFirstWord(statement)) continue;
    const std::string text =
        stored ? "alter" + std::string(statement.substr(6)) : std::string(statement);
    const db::BatchResult r = connection.execBatch(text);
    if (!r.ok())
      throw SchemaError(std::string(batch.file) + " line " + std::to_string(batch.firstLine) +
                        ": " + r.errorMessage());
    ++renewed;
  }
  return renewed;
}

}  // namespace

Upgraded upgradeDatabase(db::Connection& connection) {
  Upgraded upgraded;
  for (const Addition& addition : kAdditions) {
    if (hasTable(connection, addition.table)) continue;
    runWhole(connection, schemaFile(addition.file));
    upgraded.tablesAdded = true;
  }
  upgraded.proceduresRenewed = renewProcedures(connection);
  return upgraded;
}

}  // namespace schema
