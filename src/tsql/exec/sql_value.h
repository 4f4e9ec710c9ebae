// SqlValue: a value as SQLite holds it (NULL, integer, real, text), used for
// variables and bound parameters, with the conversions to a declared T-SQL type that
// assignment performs (money rounds to four decimals, smalldatetime to the minute,
// 'abc' to int is an error) and the mapping to core::Value for result sets.
#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <string>

#include "core/value.h"
#include "tsql/ast/data_type.h"

namespace tsql::exec {

struct SqlValue {
  enum class Type : std::uint8_t { Null, Integer, Real, Text };
  Type type = Type::Null;
  std::int64_t i = 0;
  double d = 0;
  std::string s;

  static SqlValue integer(std::int64_t v) { SqlValue x; x.type = Type::Integer; x.i = v; return x; }
  static SqlValue real(double v) { SqlValue x; x.type = Type::Real; x.d = v; return x; }
  static SqlValue text(std::string v) { SqlValue x; x.type = Type::Text; x.s = std::move(v); return x; }

  bool isNull() const { return type == Type::Null; }
  //! Column `col` of the current row of `stmt`.
  static SqlValue fromColumn(sqlite3_stmt* stmt, int col);
  //! A caller parameter (currency as real, dates as stored text, booleans as 0/1).
  static SqlValue fromCore(const core::Value& v);
  //! Binds to marker `index` (1-based). Returns SQLite's result code.
  int bind(sqlite3_stmt* stmt, int index) const;
  //! Text as an implicit conversion to varchar gives it.
  std::string toText() const;
  //! Integer value (text parsed as T-SQL does; errors as RuntimeError).
  std::int64_t toInteger() const;
};

//! The value converted to `type` as assignment to a variable or column of that type
//! converts it. Throws runtime::RuntimeError (SQL Server's number) when it does not
//! convert. Unknown and table types leave the value as it is. `from` is the value's own
//! type where known: money to int rounds where float to int truncates.
//! `constant`: the value was written in the batch (a GUID constant is not cut to 36).
SqlValue convertValue(const SqlValue& v, const ast::DataType& type, const ast::DataType& from = {},
                      bool constant = false);

//! The value as the caller sees it, typed by `type` (Unknown: by storage class).
core::Value toCoreValue(const SqlValue& v, const ast::DataType& type);
//! The same, handing a text value's characters over instead of copying them.
core::Value toCoreValue(SqlValue&& v, const ast::DataType& type);

//! The result-set column type for a T-SQL type.
core::ValueType coreTypeOf(const ast::DataType& type);

//! The T-SQL type a caller parameter value has.
ast::DataType typeOfCore(const core::Value& v);

}  // namespace tsql::exec
