// FormatCulture: the culture data FORMAT writes numbers and dates with, as SQL Server's
// .NET Framework has them, for the invariant culture, en-US, de-DE, zh-CN and ja-JP.
// A table in the program, so the machine's locale never changes a result.
#pragma once

#include <array>
#include <string_view>

namespace tsql::runtime {

struct FormatCulture {
  std::string_view name;  //!< "" for the invariant culture
  std::string_view decimal, group, currency;
  int currencyDigits;
  std::string_view currencyPositive,
      currencyNegative;  //!< "n" stands for the amount, "$" for the symbol
  std::string_view percentPositive, percentNegative;  //!< "n" stands for the number
  std::string_view dateSeparator;                     //!< what '/' in a date pattern writes
  std::string_view shortDate, longDate, shortTime, longTime, monthDay, yearMonth;
  std::string_view am, pm;
  std::array<std::string_view, 12> months, monthsShort;
  std::array<std::string_view, 7> days, daysShort;  //!< Sunday first

  //! The culture named `name` (case-blind; "" the invariant one); nullptr when it is not
  //! in the table.
  static const FormatCulture* named(std::string_view name);
};

}  // namespace tsql::runtime
