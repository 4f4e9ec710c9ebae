// FormatFunction: T-SQL's FORMAT(value, format, culture) registered in SQLite as
// tsql_format(value, format, culture, kind), kind 'i' (int), 'l' (bigint), 'm' (exact:
// decimal, money), 'f' (float), 'd' (a date and time), 'z' (a datetimeoffset) or 't' (a
// time, formatted as .NET formats a TimeSpan: c, g, G; hh\:mm). .NET's standard formats (N, C,
// P, F, D, X, G; d, D, t, T, f, F, g, G, M, Y, s, u, o, r) and custom patterns
// (#,##0.00; yyyy-MM-dd) with the cultures of format_cultures.h. A format .NET would
// refuse gives NULL, an unknown culture SQL Server's 9818.
#pragma once

#include <sqlite3.h>

#include <optional>
#include <string>
#include <string_view>

namespace tsql::runtime {

struct FormatCulture;

class FormatFunction {
 public:
  static int install(sqlite3* db);
  //! `number` (its text: digits, point, exponent) written in `format`; nullopt where .NET
  //! would refuse the format. kind as tsql_format's.
  static std::optional<std::string> number(std::string_view number, char kind,
                                           std::string_view format, const FormatCulture& culture);
  //! A date and time ("YYYY-MM-DD[ hh:mm:ss[.fffffff]]") written in `format`.
  static std::optional<std::string> date(std::string_view value, std::string_view format,
                                         const FormatCulture& culture);
  //! A datetimeoffset ("YYYY-MM-DD hh:mm:ss[.f...] +hh:mm") written in `format` as a
  //! DateTimeOffset: u and r at UTC, o, zzz and K with its offset.
  static std::optional<std::string> dateOffset(std::string_view value, std::string_view format,
                                               const FormatCulture& culture);
  //! A time ("hh:mm:ss[.fffffff]") written in a TimeSpan `format` (format_time.cpp).
  static std::optional<std::string> timeSpan(std::string_view value, std::string_view format,
                                             const FormatCulture& culture);
};

}  // namespace tsql::runtime
