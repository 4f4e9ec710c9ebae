// SchemaUpgrade: a table is looked for by reading it, the one way the same T-SQL asks
// both backends; only "invalid object" means it is missing, any other failure is the
// database's and stops the open.
#include "schema/schema_upgrade.h"

#include "schema/schema_script.h"
#include "tsql/errors/error_table.h"

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

}  // namespace

bool upgradeDatabase(db::Connection& connection) {
  bool added = false;
  for (const Addition& addition : kAdditions) {
    if (hasTable(connection, addition.table)) continue;
    runWhole(connection, schemaFile(addition.file));
    added = true;
  }
  return added;
}

}  // namespace schema
