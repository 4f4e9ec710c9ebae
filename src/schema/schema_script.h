// SchemaScript: runs T-SQL script files over a connection. A file is split into
// batches at lines holding only GO (any case, blanks around it allowed), as SQL
// Server's tools do, because CREATE VIEW and CREATE PROCEDURE must each start a batch
// of their own. Batches run in order; the first error stops the script and is thrown
// as a SchemaError naming the file and line.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "db/connection.h"
#include "schema/embedded_files.h"

namespace schema {

//! A script batch that the database refused.
class SchemaError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

//! One batch of a script file: its text and the file line it starts on (1-based).
struct ScriptBatch {
  std::string_view file;
  int firstLine = 1;
  std::string_view text;
};

class SchemaScript {
 public:
  //! A script over the given files, run in the order given.
  explicit SchemaScript(std::vector<ScriptFile> files);

  //! The batches of every file in run order; batches holding only blanks are left out.
  std::vector<ScriptBatch> batches() const;

  //! Runs every batch; throws SchemaError "<file> line <n>: <message>" on the first
  //! error (what ran before it stays, unless the caller rolls back).
  void run(db::Connection& connection) const;

  //! Splits one file's text at GO lines.
  static std::vector<ScriptBatch> split(const ScriptFile& file);

 private:
  std::vector<ScriptFile> files_;
};

//! Creates the whole schema on an empty database, then the demo data when `demo`.
void createDatabase(db::Connection& connection, bool demo);

}  // namespace schema
