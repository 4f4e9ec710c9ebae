// ISO text ("2024-05-06 10:00:00.1234567", a 'T', an offset, which datetime2 drops) is
// read to the 100 ns; every other form goes through the millisecond date reading the
// other date types use.
#include "tsql/runtime/datetime2_text.h"

#include <algorithm>

#include "tsql/runtime/date_offset.h"
#include "tsql/runtime/sql_args.h"

namespace tsql::runtime {

namespace {

constexpr std::int64_t kTicksPerMs = 10'000;

std::int64_t ticksOf(const core::DateTime& d) {
  return ticksOfDate(d.year(), d.month(), d.day()) +
         (((d.hour() * 60LL + d.minute()) * 60 + d.second()) * 1000 + d.millisecond()) * kTicksPerMs;
}

std::string stored(std::int64_t ticks, int scale) { return localDateTimeText(roundTicks(ticks, scale), 7); }

void toDatetime2(SqlArgs& a) {
  if (a.isNull(0)) return a.setNull();
  a.set(datetime2Text(a[0], a.count() > 1 ? static_cast<int>(a.integer(1)) : 7));
}

// As text (CAST, or CONVERT style 121): its date, time and exactly `scale` digits.
void showDatetime2(SqlArgs& a) {
  if (a.isNull(0)) return a.setNull();
  int scale = static_cast<int>(std::clamp<std::int64_t>(a.integer(1), 0, 7));  // callable by name
  a.set(datetime2Display(datetime2Text(a[0], scale), scale));
}

}  // namespace

std::string datetime2TextOf(std::string_view text, int scale) {
  if (auto v = parseOffsetDateTime(text)) return stored(v->ticks, scale);
  return stored(ticksOf(ValueConversion::textToDateTime(text)), scale);
}

std::string datetime2Text(sqlite3_value* v, int scale) {
  if (sqlite3_value_type(v) == SQLITE_TEXT) {
    auto* p = reinterpret_cast<const char*>(sqlite3_value_text(v));
    return datetime2TextOf(std::string_view(p, static_cast<std::size_t>(sqlite3_value_bytes(v))), scale);
  }
  return stored(ticksOf(ValueConversion::toDateTime(v)), scale);
}

std::string datetime2Display(std::string_view text, int scale) {
  std::size_t point = text.find('.');
  if (point == std::string_view::npos) return std::string(text);
  std::size_t keep = scale > 0 ? point + 1 + static_cast<std::size_t>(scale) : point;
  return std::string(text.substr(0, std::min(keep, text.size())));
}

int installDatetime2Functions(sqlite3* db) {
  return firstFailure({defineFunction<toDatetime2>(db, "tsql_datetime2", 1),
                       defineFunction<toDatetime2>(db, "tsql_datetime2", 2),
                       defineTolerant<toDatetime2>(db, "tsql_try_datetime2", 1),
                       defineTolerant<toDatetime2>(db, "tsql_try_datetime2", 2),
                       defineFunction<showDatetime2>(db, "tsql_datetime2_show", 2)});
}

}  // namespace tsql::runtime
