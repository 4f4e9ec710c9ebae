// Date styles. Each style is a pattern of fields; the two-digit-year styles (1-14) are
// the four-digit ones (101-114) with the century left out.
#include "tsql/runtime/date_styles.h"

#include <cstdio>

#include "tsql/runtime/date_settings.h"
#include "tsql/runtime/sql_args.h"
#include "tsql/runtime/value_conversion.h"

namespace tsql::runtime {

namespace {

const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                               "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

// "Mar  5 2024  8:30PM" (0/100) or with seconds and milliseconds (9/109).
std::string monthFirstText(core::DateTime d, bool seconds) {
  int h12 = d.hour() % 12 == 0 ? 12 : d.hour() % 12;
  char buf[48];
  if (seconds)
    std::snprintf(buf, sizeof buf, "%s %2d %04d %2d:%02d:%02d:%03d%s", kMonths[d.month() - 1], d.day(),
                  d.year(), h12, d.minute(), d.second(), d.millisecond(), d.hour() < 12 ? "AM" : "PM");
  else
    std::snprintf(buf, sizeof buf, "%s %2d %04d %2d:%02d%s", kMonths[d.month() - 1], d.day(), d.year(), h12,
                  d.minute(), d.hour() < 12 ? "AM" : "PM");
  return buf;
}

// The date-only styles 1-12 / 101-112 by their field order and separator.
std::optional<std::string> dayText(core::DateTime d, int style, bool century) {
  char y[8];
  std::snprintf(y, sizeof y, century ? "%04d" : "%02d", century ? d.year() : d.year() % 100);
  char buf[48];
  int m = d.month(), dd = d.day();
  switch (style) {
    case 1: std::snprintf(buf, sizeof buf, "%02d/%02d/%s", m, dd, y); break;
    case 2: std::snprintf(buf, sizeof buf, "%s.%02d.%02d", y, m, dd); break;
    case 3: std::snprintf(buf, sizeof buf, "%02d/%02d/%s", dd, m, y); break;
    case 4: std::snprintf(buf, sizeof buf, "%02d.%02d.%s", dd, m, y); break;
    case 5: std::snprintf(buf, sizeof buf, "%02d-%02d-%s", dd, m, y); break;
    case 6: std::snprintf(buf, sizeof buf, "%02d %s %s", dd, kMonths[m - 1], y); break;
    case 7: std::snprintf(buf, sizeof buf, "%s %02d, %s", kMonths[m - 1], dd, y); break;
    case 10: std::snprintf(buf, sizeof buf, "%02d-%02d-%s", m, dd, y); break;
    case 11: std::snprintf(buf, sizeof buf, "%s/%02d/%02d", y, m, dd); break;
    case 12: std::snprintf(buf, sizeof buf, "%s%02d%02d", y, m, dd); break;
    default: return std::nullopt;
  }
  return std::string(buf);
}

void textDate(SqlArgs& a) {
  if (a.isNull(0)) return a.setNull();
  std::optional<std::string> order = a.isNull(1) ? std::nullopt : styleOrder(static_cast<int>(a.integer(1)));
  DateSettings settings = currentDateSettings();
  if (order) settings.order = *order;
  ScopedDateSettings scoped(settings);
  a.set(ValueConversion::dateTimeText(ValueConversion::textToDateTime(a.text(0))));
}

}  // namespace

std::optional<std::string> styledDateText(core::DateTime d, int style) {
  char buf[48];
  switch (style) {
    case 0: case 100: return monthFirstText(d, false);
    case 9: case 109: return monthFirstText(d, true);
    case 8: case 108: case 24:
      std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", d.hour(), d.minute(), d.second());
      return std::string(buf);
    case 14: case 114:
      std::snprintf(buf, sizeof buf, "%02d:%02d:%02d:%03d", d.hour(), d.minute(), d.second(), d.millisecond());
      return std::string(buf);
    case 20: case 120:
      std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", d.year(), d.month(), d.day(), d.hour(),
                    d.minute(), d.second());
      return std::string(buf);
    case 21: case 121: return ValueConversion::dateTimeText(d);
    case 23:
      std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", d.year(), d.month(), d.day());
      return std::string(buf);
    case 126: {
      std::string s = ValueConversion::dateTimeText(d);
      s[10] = 'T';
      return s;
    }
    default: return style > 100 ? dayText(d, style - 100, true) : dayText(d, style, false);
  }
}

std::optional<std::string> styleOrder(int style) {
  switch (style % 100) {
    case 1: case 10: return "mdy";
    case 3: case 4: case 5: return "dmy";
    case 2: case 11: case 12: return "ymd";
    default: return std::nullopt;
  }
}

int installDateStyleFunctions(sqlite3* db) { return defineFunction<textDate>(db, "tsql_text_date", 2); }

}  // namespace tsql::runtime
