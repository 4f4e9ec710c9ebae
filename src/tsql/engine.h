// Engine: the embedded T-SQL interpreter. Runs a batch text with `:name` parameters
// against a SQLite database (or, through a Backend, a database server) with SQL Server's meaning
// and returns the result sets and errors. Control flow, variables, transactions, TRY/CATCH and EXEC
// run here in C++; each relational statement goes to SQLite as SQL generated from the AST.
//
// Contract: the engine does not own the sqlite3 handle and must be destroyed before
// it is closed. Not thread safe (one engine per connection). Stored procedures made
// by CREATE PROCEDURE are kept in the table `tsql_procedures` of the database, so
// they survive reopening. run() never throws for SQL errors; they come back in the
// BatchResult. The SQLite functions and collation the generated SQL needs are
// registered on the handle by the constructor.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tsql/batch_result.h"
#include "tsql/storage_fault.h"

struct sqlite3;

namespace tsql {

namespace exec {
class Interpreter;
class Backend;
class SqliteBackend;
}  // namespace exec

class Engine {
 public:
  //! Prepares the engine on an open database (registers functions, creates the
  //! procedure table when missing). Throws std::runtime_error when SQLite refuses.
  explicit Engine(sqlite3* db);
  //! Runs relational statements on another database (the server); takes the backend.
  explicit Engine(std::unique_ptr<exec::Backend> backend);
  ~Engine();
  Engine(const Engine&) = delete;
  Engine& operator=(const Engine&) = delete;

  //! Runs one batch. A syntax error stops it before anything runs.
  BatchResult run(std::string_view text, const Params& params = {});
  //! Batches that each only call the same procedure, whose body is one query (a look-up
  //! per line of a bill), run in one statement: each batch's result as run() gives it.
  //! nullopt, with nothing run, when they are not such batches, the database cannot
  //! run the query so, or the statement failed: run them one by one then.
  std::optional<std::vector<BatchResult>> runTogether(const std::vector<std::string>& texts,
                                                      const Params& params = {});

  //! The worst storage fault the file gave since last asked (then forgotten), even one
  //! a CATCH handled; None on a server.
  StorageFault takeStorageFault();

  //! Opens the host's unit of work: a transaction kept open across the batches run
  //! until commitUnit or rollbackUnit. A batch inside it sees @@trancount = 1; one
  //! that rolls back (or leaves a level open, or aborts) takes the whole unit back
  //! and ends it, which unitOpen() then tells. Throws std::runtime_error when the
  //! database refuses the transaction (busy).
  void beginUnit();
  //! Commits the unit; "" when done, else why not (the unit was ended by a batch, or
  //! the commit failed and everything was rolled back).
  std::string commitUnit();
  //! Rolls the unit back; nothing when no unit is open.
  void rollbackUnit();
  bool unitOpen() const;

 private:
  std::unique_ptr<exec::Interpreter> interpreter_;
  exec::SqliteBackend* sqlite_ = nullptr;  //!< the interpreter's backend when it is the file
};

}  // namespace tsql
