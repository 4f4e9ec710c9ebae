// The server side of the T-SQL runtime: the collation tsql_ci and the functions and
// aggregates the translator's SQL calls (tsql_money, tsql_div, money_sum, getdate,
// len ...), made in the database on first connection and kept there with a version,
// so a newer program brings its functions up to date.
#pragma once

#include <libpq-fe.h>

#include <string>

namespace db::pg {

//! Installs or updates the runtime in the connected database. Returns the server's
//! message when it refuses, "" when the runtime is in place.
std::string installRuntime(PGconn* conn);
//! Runs SQL text on the server outside the engine. Returns the server's message when
//! it refuses, "" when it ran.
std::string runScript(PGconn* conn, const std::string& sql);

//! The exact decimal functions' float8 signatures (pg_decimal_runtime.cpp).
std::string decimalOverloadsSql();
//! LIKE patterns, text builders, DATALENGTH of text, money text (pg_text_runtime.cpp).
std::string textRuntimeSql();
//! datetime ticks, date parts, datediff, eomonth, isdate (pg_date_runtime.cpp).
std::string dateRuntimeSql();
//! datetime2 and datetimeoffset kept as text to 100 ns, SWITCHOFFSET, TODATETIMEOFFSET,
//! their DATEADD and DATEPART (pg_offset_runtime.cpp); runs after the date runtime.
std::string offsetRuntimeSql();
//! time(n) kept as text to 100 ns, its CONVERT text, DATEADD and DATEPART
//! (pg_time_runtime.cpp).
std::string timeRuntimeSql();
//! varbinary conversions to and from text and integers (pg_binary_runtime.cpp).
std::string binaryRuntimeSql();
//! ASCII, CHAR, TRANSLATE, QUOTENAME, SOUNDEX ..., the variances, FORMAT and STRING_SPLIT's
//! pieces (pg_string_runtime.cpp, pg_format_runtime.cpp).
std::string stringRuntimeSql();
std::string formatRuntimeSql();
//! ISJSON, JSON_VALUE, JSON_QUERY, JSON_MODIFY, OPENJSON and STRING_SPLIT
//! (pg_json_runtime.cpp).
std::string jsonRuntimeSql();
//! identity reports and moves, NEXT VALUE FOR (pg_numbering.cpp).
std::string numberingRuntimeSql();
//! PERCENTILE_CONT and PERCENTILE_DISC over a partition's gathered values
//! (pg_percentile_runtime.cpp).
std::string percentileRuntimeSql();
//! TRY_ twins of the conversion functions (pg_tolerant_runtime.cpp); runs after them.
std::string tolerantConversionsSql();

}  // namespace db::pg
