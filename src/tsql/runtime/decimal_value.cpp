// Reading decimals out of SQLite values and fitting them to a declared decimal(p,s).
#include "tsql/runtime/decimal_value.h"

#include <string>

#include "tsql/runtime/value_conversion.h"

namespace tsql::runtime {

Decimal decimalOfText(std::string_view text) {
  std::optional<Decimal> d = Decimal::parse(text);
  if (!d) throw RuntimeError(errors::Error::ConvertDataType, {"varchar", "numeric"});
  // No decimal has this many digits; refusing them keeps digit arithmetic quick.
  if (d->digitCount() > kMaxDigits) throw RuntimeError(errors::Error::ArithmeticOverflow, {"varchar", "numeric"});
  return *d;
}

Decimal decimalOf(sqlite3_value* v) {
  switch (sqlite3_value_type(v)) {
    case SQLITE_INTEGER: return Decimal::fromInt(sqlite3_value_int64(v));
    case SQLITE_FLOAT: {
      std::optional<Decimal> d = Decimal::fromDouble(sqlite3_value_double(v));
      if (!d) throw RuntimeError(errors::Error::ArithmeticOverflow, {"float", "numeric"});
      return *d;
    }
    case SQLITE_NULL: return Decimal();
    default: {
      auto* s = reinterpret_cast<const char*>(sqlite3_value_text(v));
      return decimalOfText(std::string_view(s ? s : "", static_cast<std::size_t>(sqlite3_value_bytes(v))));
    }
  }
}

Decimal fitDecimal(const Decimal& d, int precision, int scale, const char* from) {
  Decimal r = d.rounded(scale);
  if (r.integerDigits() > precision - scale)
    throw RuntimeError(errors::Error::ArithmeticOverflow, {from, "numeric"});
  return r;
}

}  // namespace tsql::runtime
