// Dates count days with the proleptic Gregorian calendar from 0001-01-01; the time of
// day is 100 ns ticks. SWITCHOFFSET keeps the instant and moves the local time by the
// change of offset; TODATETIMEOFFSET keeps the local time and sets the offset.
#include "tsql/runtime/date_offset.h"

#include <cstdio>

#include "tsql/runtime/sql_args.h"

namespace tsql::runtime {

namespace {

constexpr std::int64_t kTicksPerSecond = 10'000'000;
constexpr std::int64_t kTicksPerDay = 86'400 * kTicksPerSecond;

// Days from 0001-01-01 to y-m-d (civil calendar arithmetic).
std::int64_t daysFromCivil(int y, int m, int d) {
  y -= m <= 2;
  std::int64_t era = y / 400;
  int yoe = static_cast<int>(y - era * 400);
  int doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 306;  // 0001-03-01 is day 59 of year 1
}

void civilFromDays(std::int64_t days, int& y, int& m, int& d) {
  days += 306;
  std::int64_t era = days / 146097;
  int doe = static_cast<int>(days - era * 146097);
  int yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  int doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  int mp = (5 * doy + 2) / 153;
  d = doy - (153 * mp + 2) / 5 + 1;
  m = mp < 10 ? mp + 3 : mp - 9;
  y = static_cast<int>(yoe + era * 400) + (m <= 2);
}

// Reads `count` digits at `i`; false when they are not there.
bool digits(std::string_view t, std::size_t& i, int count, int& out) {
  out = 0;
  for (int k = 0; k < count; ++k, ++i) {
    if (i >= t.size() || t[i] < '0' || t[i] > '9') return false;
    out = out * 10 + (t[i] - '0');
  }
  return true;
}

// hh:mm[:ss[.fffffff]] at `i` as ticks into the day.
bool timeOfDay(std::string_view t, std::size_t& i, std::int64_t& ticks) {
  int h = 0, mi = 0, s = 0;
  if (!digits(t, i, 2, h) || i >= t.size() || t[i++] != ':' || !digits(t, i, 2, mi)) return false;
  std::int64_t fraction = 0;
  if (i < t.size() && t[i] == ':') {
    if (!digits(t, ++i, 2, s)) return false;
    if (i < t.size() && t[i] == '.') {
      std::int64_t scale = kTicksPerSecond;
      for (++i; i < t.size() && t[i] >= '0' && t[i] <= '9'; ++i) {
        scale /= 10;
        fraction += (t[i] - '0') * scale;
        if (scale == 0) return false;  // past 7 digits
      }
    }
  }
  if (h > 23 || mi > 59 || s > 59) return false;
  ticks = ((h * 60LL + mi) * 60 + s) * kTicksPerSecond + fraction;
  return true;
}

std::string offsetText(int minutes) {
  char buf[16];
  int a = minutes < 0 ? -minutes : minutes;
  std::snprintf(buf, sizeof buf, "%c%02d:%02d", minutes < 0 ? '-' : '+', a / 60 % 100, a % 60);
  return buf;
}

std::string localText(std::int64_t ticks, int scale) {
  int y = 0, m = 0, d = 0;
  civilFromDays(ticks / kTicksPerDay, y, m, d);
  std::int64_t t = ticks % kTicksPerDay;
  char buf[48];
  std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d.%07lld", y, m, d, static_cast<int>(t / (3600 * kTicksPerSecond)),
                static_cast<int>(t / (60 * kTicksPerSecond) % 60), static_cast<int>(t / kTicksPerSecond % 60),
                static_cast<long long>(t % kTicksPerSecond));
  std::string out = buf;
  return scale > 0 ? out.substr(0, out.size() - 7 + static_cast<std::size_t>(scale)) : out.substr(0, out.size() - 8);
}

std::optional<int> offsetArgument(SqlArgs& a, int i) {
  if (a.type(i) == SQLITE_INTEGER) return static_cast<int>(a.integer(i));  // minutes
  return parseOffset(a.text(i));
}

void toOffset(SqlArgs& a) {
  if (a.isNull(0)) return a.setNull();
  a.set(toOffsetText(a.text(0), static_cast<int>(a.integer(1))));
}

// The instant as UTC text with seven fraction digits: text order is time order.
void utcInstant(SqlArgs& a) {
  if (a.isNull(0)) return a.setNull();
  auto v = parseOffsetDateTime(a.text(0));
  if (!v) throw RuntimeError(errors::Error::DateConversion);
  a.set(localText(v->ticks - v->offsetMinutes * 60LL * kTicksPerSecond, 7));
}

void localPart(SqlArgs& a) {
  if (a.isNull(0)) return a.setNull();
  auto v = parseOffsetDateTime(a.text(0));
  if (!v) throw RuntimeError(errors::Error::DateConversion);
  a.set(localText(v->ticks, 3));  // the date types keep milliseconds
}

// TODATETIMEOFFSET(d, offset) and SWITCHOFFSET(dto, offset).
template <bool Switch>
void setOffset(SqlArgs& a) {
  if (a.anyNull()) return a.setNull();
  auto v = parseOffsetDateTime(a.text(0));
  std::optional<int> offset = offsetArgument(a, 1);
  if (!v) throw RuntimeError(errors::Error::DateConversion);
  if (!offset || *offset < -840 || *offset > 840)
    throw RuntimeError(errors::Error::InvalidTimezone, {Switch ? "switchoffset" : "todatetimeoffset"});
  if (Switch) v->ticks += (*offset - v->offsetMinutes) * 60LL * kTicksPerSecond;
  v->offsetMinutes = *offset;
  if (v->ticks < 0 || v->ticks >= daysFromCivil(10000, 1, 1) * kTicksPerDay)
    throw RuntimeError(errors::Error::DateAddOverflow, {"datetimeoffset"});
  a.set(offsetDateTimeText(*v, 7));
}

}  // namespace

std::optional<int> parseOffset(std::string_view t) {
  if (t == "Z" || t == "z") return 0;
  std::size_t i = 1;
  int h = 0, m = 0;
  if (t.size() != 6 || (t[0] != '+' && t[0] != '-') || !digits(t, i, 2, h) || t[i++] != ':' || !digits(t, i, 2, m))
    return std::nullopt;
  int minutes = h * 60 + m;
  if (m > 59 || minutes > 840) return std::nullopt;
  return t[0] == '-' ? -minutes : minutes;
}

std::optional<OffsetDateTime> parseOffsetDateTime(std::string_view t) {
  while (!t.empty() && t.front() == ' ') t.remove_prefix(1);
  while (!t.empty() && t.back() == ' ') t.remove_suffix(1);
  std::size_t i = 0;
  int y = 0, m = 0, d = 0;
  if (!digits(t, i, 4, y) || i >= t.size() || t[i++] != '-' || !digits(t, i, 2, m) || i >= t.size() ||
      t[i++] != '-' || !digits(t, i, 2, d))
    return std::nullopt;
  if (y < 1 || m < 1 || m > 12 || d < 1 || d > 31) return std::nullopt;
  OffsetDateTime v;
  std::int64_t time = 0;
  if (i < t.size() && (t[i] == ' ' || t[i] == 'T') && i + 1 < t.size() && t[i + 1] != '+' && t[i + 1] != '-') {
    if (!timeOfDay(t, ++i, time)) return std::nullopt;
  }
  while (i < t.size() && t[i] == ' ') ++i;
  if (i < t.size()) {
    std::optional<int> offset = parseOffset(t.substr(i));
    if (!offset) return std::nullopt;
    v.offsetMinutes = *offset;
  }
  std::int64_t days = daysFromCivil(y, m, d);
  int cy = 0, cm = 0, cd = 0;
  civilFromDays(days, cy, cm, cd);
  if (cd != d) return std::nullopt;  // 2023-02-30
  v.ticks = days * kTicksPerDay + time;
  return v;
}

std::int64_t roundTicks(std::int64_t ticks, int scale) {
  std::int64_t unit = 1;
  for (int k = scale; k < 7; ++k) unit *= 10;
  std::int64_t rounded = (ticks + unit / 2) / unit * unit;
  return rounded < daysFromCivil(10000, 1, 1) * kTicksPerDay ? rounded : ticks / unit * unit;
}

std::string localDateTimeText(std::int64_t ticks, int scale) { return localText(ticks, scale); }

std::int64_t ticksOfDate(int year, int month, int day) { return daysFromCivil(year, month, day) * kTicksPerDay; }

std::string offsetDateTimeText(OffsetDateTime v, int scale) {
  return localText(roundTicks(v.ticks, scale), scale) + " " + offsetText(v.offsetMinutes);
}

std::string toOffsetText(std::string_view text, int scale) {
  auto v = parseOffsetDateTime(text);
  if (!v) throw RuntimeError(errors::Error::DateConversion);
  return offsetDateTimeText(*v, scale);
}

int installOffsetFunctions(sqlite3* db) {
  return firstFailure({defineFunction<toOffset>(db, "tsql_datetimeoffset", 2),
                       defineFunction<localPart>(db, "tsql_dto_local", 1),
                       defineFunction<utcInstant>(db, "tsql_dto_utc", 1),
                       defineFunction<setOffset<false>>(db, "todatetimeoffset", 2),
                       defineFunction<setOffset<true>>(db, "switchoffset", 2)});
}

}  // namespace tsql::runtime
