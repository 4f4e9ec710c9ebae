// Connection: the only way the system reaches its database. A batch is T-SQL text
// with `:name` parameters; the connection runs it as SQL Server would and reports
// result sets and errors. Not thread safe: one connection per thread.
#pragma once

#include <string>
#include <string_view>

#include "tsql/batch_result.h"

namespace db {

using tsql::BatchResult;
using tsql::Column;
using tsql::Params;
using tsql::ResultSet;
using tsql::SqlError;

class Connection {
 public:
  virtual ~Connection() = default;
  //! Runs one batch. Never throws for SQL errors: they come back in the result.
  virtual BatchResult execBatch(std::string_view sql, const Params& params = {}) = 0;

  //! The host's unit of work: one transaction kept open across the batches run until
  //! it is ended, so that an action of several batches takes effect whole or not at
  //! all. A batch's own BEGIN TRAN / COMMIT nest inside it; a batch's ROLLBACK takes
  //! back the whole unit and ends it (unitOpen() turns false). Throws std::runtime_error
  //! when the database refuses to begin (busy).
  virtual void beginUnit() = 0;
  //! "" when committed; else why not, with everything rolled back.
  virtual std::string commitUnit() = 0;
  //! Rolls back whatever the unit holds; nothing when none is open.
  virtual void rollbackUnit() = 0;
  virtual bool unitOpen() const = 0;
};

}  // namespace db
