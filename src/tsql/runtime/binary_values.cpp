// The bytes of money, float and datetime values, so CAST to binary and back keeps a
// value as the server lays it out: money is its count of ten-thousandths (8 bytes,
// smallmoney 4), float its IEEE 754 bits (real its four bytes), datetime the days since 1900-01-01 and then
// the three-hundredths of a second since midnight (4 bytes each; smalldatetime 2 and
// 2, the minutes). Each function gives or takes the bytes as one integer, most
// significant first, which tsql_to_binary and tsql_binary_int turn into and out of
// bytes. A decimal is its precision, its scale, a zero byte, its sign (1 positive, 0
// negative) and then its unscaled magnitude least significant byte first, in as many
// four-byte words as it needs. binary(n) is padded with zero bytes.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>

#include "tsql/runtime/binary_conversion.h"
#include "tsql/runtime/binary_values.h"
#include "tsql/runtime/decimal_value.h"
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

// Decimal digits (most significant first) as bytes, least significant first.
std::string littleEndianOf(std::string digits) {
  std::string bytes;
  while (digits.find_first_not_of('0') != std::string::npos) {
    int carry = 0;
    for (char& c : digits) {  // digits /= 256, the remainder into carry
      int v = carry * 10 + (c - '0');
      c = static_cast<char>('0' + v / 256);
      carry = v % 256;
    }
    bytes += static_cast<char>(carry);
  }
  return bytes;
}

// Bytes, least significant first, as decimal digits.
std::string digitsOf(std::string_view littleEndian) {
  std::string digits = "0";
  for (auto it = littleEndian.rbegin(); it != littleEndian.rend(); ++it) {
    int carry = static_cast<unsigned char>(*it);
    for (auto d = digits.rbegin(); d != digits.rend(); ++d) {  // digits = digits * 256 + byte
      int v = (*d - '0') * 256 + carry;
      *d = static_cast<char>('0' + v % 10);
      carry = v / 10;
    }
    for (; carry > 0; carry /= 10) digits.insert(digits.begin(), static_cast<char>('0' + carry % 10));
  }
  return digits;
}

// CAST(decimal(p,s) AS varbinary): x, p, s.
void decimalBinary(SqlArgs& a) {
  if (a.isNull(0)) return a.setNull();
  // precision and scale are callable by name from a batch: held to what a decimal has
  int precision = static_cast<int>(std::clamp<std::int64_t>(a.integer(1), 1, 38));
  int scale = static_cast<int>(std::clamp<std::int64_t>(a.integer(2), 0, precision));
  Decimal d = decimalOf(a[0]).rounded(scale);
  std::string digits;
  for (char c : d.toText())
    if (c >= '0' && c <= '9') digits += c;
  std::string magnitude = littleEndianOf(digits);
  magnitude.resize(std::max<std::size_t>(4, (magnitude.size() + 3) / 4 * 4), '\0');
  std::string bytes{static_cast<char>(precision), static_cast<char>(scale), '\0', d.isNegative() ? '\0' : '\1'};
  a.set(binaryText(bytes + magnitude));
}

// The decimal those bytes hold, as its exact text; 8114 when they hold no decimal.
void binaryDecimal(SqlArgs& a) {
  if (a.isNull(0)) return a.setNull();
  std::string bytes = bytesOfBinary(a.text(0));
  if (bytes.size() < 5) throw RuntimeError(errors::Error::ConvertDataType, {"varbinary", "numeric"});
  int scale = static_cast<unsigned char>(bytes[1]);
  std::string digits = digitsOf(std::string_view(bytes).substr(4));
  if (scale > 38 || digits.size() > 38) throw RuntimeError(errors::Error::ConvertDataType, {"varbinary", "numeric"});
  if (digits.size() <= static_cast<std::size_t>(scale)) digits.insert(0, static_cast<std::size_t>(scale) + 1 - digits.size(), '0');
  if (scale > 0) digits.insert(digits.size() - static_cast<std::size_t>(scale), ".");
  a.set((bytes[3] == 0 && digits.find_first_not_of("0.") != std::string::npos ? "-" : "") + digits);
}

void padBinary(SqlArgs& a) {
  if (a.isNull(0)) return a.setNull();
  int bytes = static_cast<int>(std::clamp<std::int64_t>(a.integer(1), 0, 8000));  // binary(n) has n <= 8000
  a.set(paddedBinary(std::string(a.text(0)), bytes, a.integer(2) != 0));
}

}  // namespace

std::string paddedBinary(std::string text, int bytes, bool onTheLeft) {
  std::size_t want = 2 + 2 * static_cast<std::size_t>(bytes > 0 ? bytes : 0);
  if (text.size() >= want) return text;
  std::string zeros(want - text.size(), '0');
  return onTheLeft ? text.insert(2, zeros) : text + zeros;
}

int installBinaryValueFunctions(sqlite3* db) {
  return firstFailure({defineFunction<moneyRaw>(db, "tsql_money_raw", 1),
                       defineFunction<rawMoney>(db, "tsql_raw_money", 1),
                       defineFunction<floatBits>(db, "tsql_float_bits", 2),
                       defineFunction<datetimeBits>(db, "tsql_datetime_bits", 2),
                       defineFunction<bitsDatetime>(db, "tsql_bits_datetime", 2),
                       defineFunction<padBinary>(db, "tsql_binary_pad", 3),
                       defineFunction<decimalBinary>(db, "tsql_decimal_binary", 3),
                       defineFunction<binaryDecimal>(db, "tsql_binary_decimal", 1)});
}

}  // namespace tsql::runtime
