// The bytes of money, float and datetime values, so CAST to binary and back keeps a
// value as the server lays it out: money is its count of ten-thousandths (8 bytes,
// smallmoney 4), float its IEEE 754 bits (real its four bytes), datetime the days since 1900-01-01 and then
// the three-hundredths of a second since midnight (4 bytes each; smalldatetime 2 and
// 2, the minutes). Each function gives or takes the bytes as one integer, most
// significant first, which tsql_to_binary and tsql_binary_int turn into and out of
// bytes. binary(n) is padded with zero bytes.
#include <cmath>
#include <cstring>

#include "tsql/runtime/binary_conversion.h"
#include "tsql/runtime/binary_values.h"
#include "tsql/runtime/sql_args.h"
#include "tsql/runtime/value_conversion.h"

namespace tsql::runtime {

namespace {

constexpr std::int64_t kMsPerDay = 86'400'000;

core::DateTime dayZero() { return core::DateTime::fromParts(1900, 1, 1); }

std::int64_t floorDiv(std::int64_t a, std::int64_t b) {
  std::int64_t q = a / b;
  return (a % b != 0 && ((a < 0) != (b < 0))) ? q - 1 : q;
}

void moneyRaw(SqlArgs& a) {
  if (a.isNull(0)) return a.setNull();
  a.set(ValueConversion::toMoney(a[0]).raw());
}

void rawMoney(SqlArgs& a) {
  if (a.isNull(0)) return a.setNull();
  a.set(core::Currency::fromRaw(a.integer(0)).toDouble());
}

// A float's eight bytes; a real's (width 4) four, of the value rounded to single precision.
void floatBits(SqlArgs& a) {
  if (a.isNull(0)) return a.setNull();
  double v = ValueConversion::toFloat(a[0]);
  if (a.integer(1) == 4) {
    auto single = static_cast<float>(v);
    std::uint32_t bits = 0;
    std::memcpy(&bits, &single, sizeof bits);
    return a.set(static_cast<std::int64_t>(bits));
  }
  std::int64_t bits = 0;
  std::memcpy(&bits, &v, sizeof bits);
  a.set(bits);
}

// datetime: days in the high four bytes, 1/300 s in the low four; smalldatetime (width
// 4): days in the high two, minutes in the low two.
void datetimeBits(SqlArgs& a) {
  if (a.isNull(0)) return a.setNull();
  std::int64_t ms = ValueConversion::toDateTime(a[0]).millis() - dayZero().millis();
  std::int64_t days = floorDiv(ms, kMsPerDay), inDay = ms - days * kMsPerDay;
  if (a.integer(1) == 4) return a.set((days << 16) | (inDay / 60'000));
  std::int64_t ticks = (inDay * 3 + 5) / 10;  // the nearest 1/300 s
  a.set(static_cast<std::int64_t>(static_cast<std::uint64_t>(days) << 32) | ticks);
}

void bitsDatetime(SqlArgs& a) {
  if (a.isNull(0)) return a.setNull();
  std::int64_t bits = a.integer(0);
  bool small = a.integer(1) == 4;
  std::int64_t days = small ? (bits >> 16) & 0xFFFF : bits >> 32;
  std::int64_t inDay = small ? (bits & 0xFFFF) * 60'000 : std::llround((bits & 0xFFFFFFFF) * 10 / 3.0);
  core::DateTime d = dayZero().addMillis(days * kMsPerDay + inDay);
  if (d.year() < 1753 || d.year() > 9999)
    throw RuntimeError(errors::Error::ArithmeticOverflow, {"expression", small ? "smalldatetime" : "datetime"});
  a.set(ValueConversion::dateTimeText(d));
}

void padBinary(SqlArgs& a) {
  if (a.isNull(0)) return a.setNull();
  a.set(paddedBinary(std::string(a.text(0)), static_cast<int>(a.integer(1)), a.integer(2) != 0));
}

}  // namespace

std::string paddedBinary(std::string text, int bytes, bool onTheLeft) {
  std::size_t want = 2 + 2 * static_cast<std::size_t>(bytes > 0 ? bytes : 0);
  if (text.size() >= want) return text;
  std::string zeros(want - text.size(), '0');
  return onTheLeft ? text.insert(2, zeros) : text + zeros;
}

int installBinaryValueFunctions(sqlite3* db) {
  int rc = SQLITE_OK;
  for (int r : {defineFunction<moneyRaw>(db, "tsql_money_raw", 1), defineFunction<rawMoney>(db, "tsql_raw_money", 1),
                defineFunction<floatBits>(db, "tsql_float_bits", 2),
                defineFunction<datetimeBits>(db, "tsql_datetime_bits", 2),
                defineFunction<bitsDatetime>(db, "tsql_bits_datetime", 2),
                defineFunction<padBinary>(db, "tsql_binary_pad", 3)}) {
    if (rc == SQLITE_OK) rc = r;
  }
  return rc;
}

}  // namespace tsql::runtime
