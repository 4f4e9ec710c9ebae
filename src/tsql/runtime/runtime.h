// Runtime: the T-SQL functions, aggregates and collation that SQL generated from a batch
// calls inside SQLite. install() registers all of them on one connection; the names
// below are the contract with the translator. Functions signal SQL Server's errors
// (conversion, divide by zero) through sqlite3_result_error with SQL Server's text.
//
// Storage conventions (shared by the translator, the catalog and the connection):
//  - money: a REAL rounded to four decimals (half to even) by tsql_money() on its way
//    into a money column or variable; a whole amount may come back as INTEGER under
//    NUMERIC affinity. Sums and averages of money go through money_sum / money_avg,
//    which add in whole ten-thousandths (int64), so a thousand 0.1 sum to exactly 100.
//  - datetime / smalldatetime: TEXT "YYYY-MM-DD HH:MM:SS.mmm" (always with the
//    milliseconds, so text order is time order). tsql_datetime() turns any accepted
//    literal ('2024-01-05', '20240105', '2024/1/5 8:30') into that form; compare a
//    datetime column with tsql_datetime(literal), never with the raw literal.
//  - bit: INTEGER 0/1. Text: TEXT compared with the collation kCollation.
//
// SQLite names registered (T-SQL names keep their meaning; tsql_* are helpers):
//   isnull(a,b) getdate() newid() datediff(part,a,b) dateadd(part,n,d) datepart(part,d)
//   eomonth(d[,n]) datefromparts(y,m,d)
//   year(d) month(d) day(d) len(s) ltrim(s) rtrim(s) replace(s,f,r) substring(s,i,n)
//   left(s,n) right(s,n) charindex(f,s[,i]) upper(s) lower(s) abs(x) round(x,n[,f])
//   (left, right and isnull are SQLite keywords: call them as tsql_left, tsql_right,
//   tsql_isnull, or quoted: "left"(s, n))
//   concat(...) concat_ws(sep, ...) replicate(s,n) reverse(s) stuff(s,i,n,r) patindex(p,s)
//   like(pattern,s[,esc])   -- overrides SQLite's LIKE: T-SQL patterns, case-blind
//   tsql_add tsql_sub tsql_mul tsql_div tsql_mod (a,b) -- run-time typed arithmetic
//   tsql_neg(a)   tsql_bitxor(a, b) -- a ^ b, which SQLite has no operator for
//   tsql_bit tsql_int tsql_bigint tsql_float tsql_money (x)  -- CAST/CONVERT
//   tsql_try_bit ... tsql_try_smalldatetime, tsql_try_decimal -- TRY_CAST: NULL, not an error
//   tsql_decimal(x, p, s) -- exact: decimals travel as REAL up to 15 digits, as TEXT beyond
//   tsql_dec_add tsql_dec_sub tsql_dec_mul tsql_dec_div tsql_dec_mod (a, b, p, s)
//   -- exact decimal arithmetic at the result type decimal(p,s)
//   tsql_dec_round(x, n, cut, p, s) tsql_dec_abs(x) tsql_dec_cmp(a, b) -- ROUND/ABS/compare exactly
//   tsql_smallmoney(x) tsql_guid(x, constant) (and their tsql_try_ forms)
//   str(x[, len[, dec]]) datename(part, d) isdate(x) tsql_datalength(text, bytesPerChar)
//   tsql_text_date(text, style) -- text read as a date in a CONVERT style's day order
//   tsql_varchar(x[, n]) tsql_char(x, n) tsql_datetime(x) (to 1/300 s)
//   tsql_datetime2(x[, n]) (to n fraction digits, stored with seven) tsql_smalldatetime(x) tsql_date(x) (midnight)
//   tsql_money_text(x[, style])  -- money as text: 2 decimals (style 0/1 with ',' for 1)
//   tsql_float_text(x)           -- float as text the way CAST(float AS varchar) shows it
//   tsql_datetime_text(d[, style]) -- CONVERT(varchar, datetime, style)
//   tsql_error(msg)              -- raises msg (for translated checks)
//   tsql_recursion(level, limit) -- a recursive CTE's row level: 530 past the limit
//   tsql_fit(x, n)               -- x into an n-character column: 8152 when longer
//   tsql_pad(x, n)               -- x met with a char(n) column: padded to n, never cut
//   tsql_dec_key(x)              -- a long decimal's sort key (text in numeric order)
//   tsql_to_binary(x, width, style, n) tsql_binary_text(x, style) tsql_binary_int(x, width)
//   tsql_datetimeoffset(x, scale) tsql_dto_local(x) tsql_dto_utc(x) todatetimeoffset(d, off)
//   switchoffset(dto, off)
//   tsql_time(x, n) tsql_time_text(x, n, style) tsql_time_dateadd(part, k, x, n) tsql_time_datepart(part, x)
//     -- time(n), kept as "hh:mm:ss.fffffff" (time_of_day.h)
//   tsql_binary_cut(x, n)        -- varbinary, kept as its "0x..." text, to and from text and integers
//   tsql_ascii(s) tsql_unicode(s) tsql_chr(n) tsql_nchr(n) tsql_space(n) tsql_translate(s,f,t)
//   tsql_quotename(s[,q]) tsql_soundex(s) tsql_difference(a,b) -- ASCII ... DIFFERENCE
//   tsql_format(value, format, culture, kind) -- FORMAT (kind i, l, m, f, d)
//   tsql_isjson tsql_json_value tsql_json_query tsql_json_modify -- json_functions.h
//   table functions tsql_openjson(json[, path]) tsql_string_split(text, sep) -- OPENJSON, STRING_SPLIT
//   tsql_string_agg(x, sep[, directions, key...]) -- STRING_AGG [WITHIN GROUP]
//   tsql_var tsql_varp tsql_stdev tsql_stdevp (x) -- also window functions
//   aggregates (also window functions): money_sum(x) money_avg(x) tsql_avg_int(x)
//     decimal_sum(x, s) decimal_avg(x, s)
//   collation: tsql_ci (case-insensitive, trailing spaces ignored)
#pragma once

#include <sqlite3.h>

#include <string_view>

namespace tsql::runtime {

//! Name of the SQL Server default-collation equivalent registered by install().
inline constexpr const char* kCollation = "tsql_ci";

class Runtime {
 public:
  //! Registers every function, aggregate and the collation; throws std::runtime_error
  //! when SQLite refuses one (out of memory).
  static void install(sqlite3* db);

  //! SQL Server's error number for a message raised by a runtime function (245
  //! conversion, 8134 divide by zero, ...); 0 when the message is not one of ours.
  static int errorNumber(std::string_view message);
};

}  // namespace tsql::runtime
