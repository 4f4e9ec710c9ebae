// The culture table. Values are the .NET Framework's (which SQL Server's FORMAT runs on),
// not the newer ICU-based ones: en-US writes a negative amount in parentheses.
#include "tsql/runtime/format_cultures.h"

namespace tsql::runtime {
namespace {

constexpr std::array<std::string_view, 12> kEnglishMonths{
    "January", "February", "March",     "April",   "May",      "June",
    "July",    "August",   "September", "October", "November", "December"};
constexpr std::array<std::string_view, 12> kEnglishMonthsShort{
    "Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
constexpr std::array<std::string_view, 7> kEnglishDays{"Sunday",   "Monday", "Tuesday", "Wednesday",
                                                       "Thursday", "Friday", "Saturday"};
constexpr std::array<std::string_view, 7> kEnglishDaysShort{"Sun", "Mon", "Tue", "Wed",
                                                            "Thu", "Fri", "Sat"};
constexpr std::array<std::string_view, 12> kNumberedMonths{
    "1月", "2月", "3月", "4月", "5月", "6月", "7月", "8月", "9月", "10月", "11月", "12月"};

constexpr FormatCulture kCultures[] = {
    {"",
     ".",
     ",",
     "¤",
     2,
     "$n",
     "($n)",
     "n %",
     "-n %",
     "/",
     "MM/dd/yyyy",
     "dddd, dd MMMM yyyy",
     "HH:mm",
     "HH:mm:ss",
     "MMMM dd",
     "yyyy MMMM",
     "AM",
     "PM",
     kEnglishMonths,
     kEnglishMonthsShort,
     kEnglishDays,
     kEnglishDaysShort},
    {"en-us",
     ".",
     ",",
     "$",
     2,
     "$n",
     "($n)",
     "n%",
     "-n%",
     "/",
     "M/d/yyyy",
     "dddd, MMMM d, yyyy",
     "h:mm tt",
     "h:mm:ss tt",
     "MMMM d",
     "MMMM yyyy",
     "AM",
     "PM",
     kEnglishMonths,
     kEnglishMonthsShort,
     kEnglishDays,
     kEnglishDaysShort},
    {"de-de",
     ",",
     ".",
     "€",
     2,
     "n $",
     "-n $",
     "n %",
     "-n %",
     ".",
     "dd.MM.yyyy",
     "dddd, d. MMMM yyyy",
     "HH:mm",
     "HH:mm:ss",
     "d. MMMM",
     "MMMM yyyy",
     "",
     "",
     {"Januar", "Februar", "März", "April", "Mai", "Juni", "Juli", "August", "September", "Oktober",
      "November", "Dezember"},
     {"Jan", "Feb", "Mrz", "Apr", "Mai", "Jun", "Jul", "Aug", "Sep", "Okt", "Nov", "Dez"},
     {"Sonntag", "Montag", "Dienstag", "Mittwoch", "Donnerstag", "Freitag", "Samstag"},
     {"So", "Mo", "Di", "Mi", "Do", "Fr", "Sa"}},
    {"zh-cn",
     ".",
     ",",
     "¥",
     2,
     "$n",
     "$-n",
     "n%",
     "-n%",
     "/",
     "yyyy/M/d",
     "yyyy'年'M'月'd'日'",
     "H:mm",
     "H:mm:ss",
     "M'月'd'日'",
     "yyyy'年'M'月'",
     "上午",
     "下午",
     {"一月", "二月", "三月", "四月", "五月", "六月", "七月", "八月", "九月", "十月", "十一月",
      "十二月"},
     kNumberedMonths,
     {"星期日", "星期一", "星期二", "星期三", "星期四", "星期五", "星期六"},
     {"周日", "周一", "周二", "周三", "周四", "周五", "周六"}},
    {"ja-jp",
     ".",
     ",",
     "¥",
     0,
     "$n",
     "-$n",
     "n%",
     "-n%",
     "/",
     "yyyy/MM/dd",
     "yyyy'年'M'月'd'日'",
     "H:mm",
     "H:mm:ss",
     "M'月'd'日'",
     "yyyy'年'M'月'",
     "午前",
     "午後",
     kNumberedMonths,
     {"1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "11", "12"},
     {"日曜日", "月曜日", "火曜日", "水曜日", "木曜日", "金曜日", "土曜日"},
     {"日", "月", "火", "水", "木", "金", "土"}},
};

bool sameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char c = a[i] >= 'A' && a[i] <= 'Z' ? static_cast<char>(a[i] + 32) : a[i];
    if (c != b[i]) return false;
  }
  return true;
}

}  // namespace

const FormatCulture* FormatCulture::named(std::string_view name) {
  for (const FormatCulture& c : kCultures)
    if (sameName(name, c.name)) return &c;
  return nullptr;
}

}  // namespace tsql::runtime
