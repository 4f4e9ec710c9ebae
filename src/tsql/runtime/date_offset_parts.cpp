// DATEADD and DATEPART on datetimeoffset values. Both work on the local date and time
// and keep the offset as it is; DATEPART(tzoffset, x) is the offset in minutes. The
// parts below a millisecond act on the 100 ns ticks the type keeps (a nanosecond count
// rounds to them), the others on the whole milliseconds, the rest carried unchanged.
#include <algorithm>
#include <optional>
#include <string>

#include "tsql/runtime/date_functions.h"
#include "tsql/runtime/date_offset.h"
#include "tsql/runtime/sql_args.h"
#include "tsql/runtime/value_conversion.h"

namespace tsql::runtime {

namespace {

constexpr std::int64_t kTicksPerMs = 10'000;
constexpr std::int64_t kTicksPerSecond = 10'000'000;

std::int64_t floorDiv(std::int64_t a, std::int64_t b) {
  std::int64_t q = a / b;
  return (a % b != 0 && ((a < 0) != (b < 0))) ? q - 1 : q;
}

OffsetDateTime offsetArg(SqlArgs& a, int i) {
  auto v = parseOffsetDateTime(a.text(i));
  if (!v) throw RuntimeError(errors::Error::DateConversion);
  return *v;
}

std::string lowerCase(std::string_view s) {
  std::string out;
  for (char c : s) out += static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
  return out;
}

//! n microseconds or nanoseconds as ticks (nanoseconds rounded half away from zero);
//! nullopt for the other parts.
std::optional<std::int64_t> subMillisecondTicks(const std::string& part, std::int64_t n) {
  if (part == "microsecond" || part == "mcs") return n * 10;
  if (part == "nanosecond" || part == "ns") return (n >= 0 ? n + 50 : n - 50) / 100;
  return std::nullopt;
}

//! The local time of `ticks` to the millisecond, and the ticks below it.
core::DateTime wholeMillis(std::int64_t ticks, std::int64_t& below) {
  std::int64_t sinceEpoch = ticks - ticksOfDate(1970, 1, 1);
  std::int64_t ms = floorDiv(sinceEpoch, kTicksPerMs);
  below = sinceEpoch - ms * kTicksPerMs;
  return core::DateTime::fromMillis(ms);
}

void dtoDateadd(SqlArgs& a) {
  if (a.isNull(1) || a.isNull(2)) return a.setNull();
  OffsetDateTime v = offsetArg(a, 2);
  std::int64_t n = a.integer(1);
  std::string part = lowerCase(a.text(0));
  if (auto ticks = subMillisecondTicks(part, n)) {
    v.ticks += *ticks;
  } else {
    std::int64_t below = 0;
    core::DateTime d = DateFunctions::shift(part, n, wholeMillis(v.ticks, below));
    v.ticks = ticksOfDate(1970, 1, 1) + d.millis() * kTicksPerMs + below;
  }
  if (v.ticks < 0 || v.ticks >= ticksOfDate(10000, 1, 1))
    throw RuntimeError(errors::Error::DateAddOverflow, {"datetimeoffset"});
  // the scale is callable by name from a batch: held to what the type can have
  a.set(offsetDateTimeText(v, static_cast<int>(std::clamp<std::int64_t>(a.integer(3), 0, 7))));
}

void dtoDatepart(SqlArgs& a) {
  if (a.isNull(1)) return a.setNull();
  OffsetDateTime v = offsetArg(a, 1);
  std::string part = lowerCase(a.text(0));
  if (part == "tzoffset" || part == "tz") return a.set(std::int64_t{v.offsetMinutes});
  std::int64_t fraction = v.ticks % kTicksPerSecond;
  if (part == "microsecond" || part == "mcs") return a.set(fraction / 10);
  if (part == "nanosecond" || part == "ns") return a.set(fraction * 100);
  std::int64_t below = 0;
  a.set(DateFunctions::part(part, wholeMillis(v.ticks, below)));
}

}  // namespace

int installOffsetPartFunctions(sqlite3* db) {
  int rc = defineFunction<dtoDateadd>(db, "tsql_dto_dateadd", 4);
  return rc == SQLITE_OK ? defineFunction<dtoDatepart>(db, "tsql_dto_datepart", 2) : rc;
}

}  // namespace tsql::runtime
