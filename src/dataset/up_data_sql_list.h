// GetUpDataSQLList: turns a dataset's change log into SQL statements, one per changed
// row in the order the rows first changed:
//   insert into T (a,b,c) values (1,'x',0.5)      every non-skipped field with a value
//   update T set a=1,b=NULL where k='7'           only the fields that differ from the
//                                                 original row, keyed by the original key
//   delete from T where k='7'                     keyed by the original key
// Key values are always written as quoted literals (also in insert and set lists).
// Literals: texts in single quotes with quotes doubled (no N prefix, so callers can
// replace a quoted bill number textually), integers plain, floats with the fewest
// digits that read back to the same double (plain decimal notation, exponent only
// beyond 38 digits), currency with four decimals, booleans 1/0, date-times
// 'YYYY-MM-DD HH:MM:SS.mmm', NULL for null values.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/value.h"

namespace dataset {

class ClientDataSet;

//! Appends one statement per pending change of `ds` to `list`. `skipFields` (any case)
//! are never written. Throws DataSetError when a row to update or delete has no key
//! value or a float field holds a value that is not a finite number.
void GetUpDataSQLList(std::string_view table, std::string_view keyField,
                      const std::vector<std::string>& skipFields, const ClientDataSet& ds,
                      std::vector<std::string>& list);

//! The SQL literal of `v` by the rules above (NULL for null).
std::string sqlLiteral(const core::Value& v);
//! `text` in single quotes with every quote doubled.
std::string quotedSqlText(std::string_view text);

}  // namespace dataset
