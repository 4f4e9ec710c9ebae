// Connection: the only way the system reaches its database. A batch is T-SQL text
// with `:name` parameters; the connection runs it as SQL Server would and reports
// result sets and errors. Not thread safe: one connection per thread.
#pragma once

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
};

}  // namespace db
