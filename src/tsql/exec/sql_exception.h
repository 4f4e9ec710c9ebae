// SqlException: an error raised while running a statement, carrying what reaches
// the caller (SQL Server's number, severity, state, line and message). Thrown inside
// the interpreter and turned into a BatchResult error or a CATCH.
#pragma once

#include <stdexcept>

#include "tsql/batch_result.h"
#include "tsql/errors/error_table.h"

namespace tsql::exec {

class SqlException : public std::runtime_error {
 public:
  explicit SqlException(SqlError e) : std::runtime_error(e.message), error_(std::move(e)) {}
  SqlException(int number, int severity, int line, const std::string& message)
      : SqlException(SqlError{number, severity, 1, line, message}) {}
  //! Error `e` of the error table at `line`, its template filled in from `args`.
  SqlException(errors::Error e, int line, std::initializer_list<std::string_view> args = {})
      : SqlException(errors::number(e), errors::entry(e).severity, line, errors::message(e, args)) {}
  const SqlError& error() const { return error_; }
  //! Names the procedure the error was raised in, unless an inner one already is.
  void attribute(const std::string& procedure) {
    if (error_.procedure.empty()) error_.procedure = procedure;
  }

 private:
  SqlError error_;
};

//! An error after which the rest of the batch must not run: outside TRY it ends the
//! batch (the open transaction is rolled back) instead of going on with the next
//! statement. Raised when a transaction cannot begin, so that the statements meant
//! to run inside it never run one by one on their own.
class BatchAbort : public SqlException {
 public:
  using SqlException::SqlException;
};

//! An error of RAISERROR, which SET XACT_ABORT ON does not make end the batch.
class RaisedError : public SqlException {
 public:
  using SqlException::SqlException;
};

//! An error of THROW: outside TRY it ends the batch.
class ThrownError : public SqlException {
 public:
  using SqlException::SqlException;
};

//! A name that resolved to nothing, marked with the execution level (frame count)
//! of the statement that raised it: a TRY at that same level lets it pass, one in a
//! caller catches it.
class NameResolutionError : public BatchAbort {
 public:
  NameResolutionError(SqlError e, std::size_t level) : BatchAbort(std::move(e)), level_(level) {}
  std::size_t level() const { return level_; }

 private:
  std::size_t level_;
};

}  // namespace tsql::exec
