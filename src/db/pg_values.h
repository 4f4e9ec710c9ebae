// How values cross libpq in text form: a bound SqlValue becomes a parameter with the
// type PostgreSQL should infer from (integers int8, reals float8, text "unknown" so
// the context decides), a result field becomes the SqlValue the embedded engine
// would hold (dates as "YYYY-MM-DD HH:MM:SS.mmm" text, numeric as real, booleans
// 0/1), and a server error becomes SQL Server's number.
#pragma once

#include <libpq-fe.h>

#include <string>

#include "tsql/ast/data_type.h"
#include "tsql/exec/sql_value.h"

namespace db::pg {

//! The parameter type OID for a bound value (0: let the server infer it).
Oid parameterType(const tsql::exec::SqlValue& v);
//! The parameter's text ("" for NULL, which is passed as a null pointer).
std::string parameterText(const tsql::exec::SqlValue& v);
//! Field (row, col) of a result as the engine holds values.
tsql::exec::SqlValue fieldValue(const PGresult* r, int row, int col);
//! The T-SQL type of a result column (numeric(19,4) is money, smallint is bit).
tsql::ast::DataType columnType(const PGresult* r, int col);
//! SQL Server's error number for a failed result (by SQLSTATE, else by message).
int errorNumber(const PGresult* r);
//! The server's message without its "ERROR:  " prefix and trailing newline.
std::string errorMessage(const PGresult* r, PGconn* conn);
//! True for an error another session's concurrent work caused (serialization failure,
//! deadlock, a key inserted at the same moment), which running again may not meet.
bool isConflict(const PGresult* r);

}  // namespace db::pg
