// The key: a class digit (0 negative, 1 zero, 2 positive), then the decimal exponent
// of the first significant digit as three digits, then the significant digits without
// trailing zeros. Negative values invert the exponent and each digit and end with '~'
// (above every digit), so a longer negative digit run sorts first: -0.123 < -0.12.
#include "tsql/runtime/decimal_sort_key.h"

#include <cstdio>

#include "tsql/runtime/decimal_value.h"
#include "tsql/runtime/sql_args.h"

namespace tsql::runtime {

namespace {

constexpr int kExponentBias = 500;  // exponents stay within +-kMaxDigits

std::string threeDigits(int n) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%03d", n);
  return buf;
}

void sortKey(SqlArgs& a) {
  if (a.isNull(0)) return a.setNull();
  a.set(decimalSortKey(decimalOf(a[0])));
}

// MIN / MAX: the extreme value seen so far, kept as SQLite gave it.
struct Extreme {
  sqlite3_value* best;
};

template <int Sign>  // +1 keeps the greatest, -1 the least
void extremeStep(sqlite3_context* ctx, int, sqlite3_value** argv) {
  if (sqlite3_value_type(argv[0]) == SQLITE_NULL) return;
  auto* e = static_cast<Extreme*>(sqlite3_aggregate_context(ctx, sizeof(Extreme)));
  if (e == nullptr) return sqlite3_result_error_nomem(ctx);
  try {
    if (e->best && Sign * compare(decimalOf(argv[0]), decimalOf(e->best)) <= 0) return;
    sqlite3_value_free(e->best);
    e->best = sqlite3_value_dup(argv[0]);
    if (e->best == nullptr) sqlite3_result_error_nomem(ctx);
  } catch (const std::exception& ex) {  // nothing may unwind through SQLite's C frames
    sqlite3_result_error(ctx, ex.what(), -1);
  }
}

void extremeFinal(sqlite3_context* ctx) {
  auto* e = static_cast<Extreme*>(sqlite3_aggregate_context(ctx, 0));
  if (e == nullptr || e->best == nullptr) return sqlite3_result_null(ctx);
  sqlite3_result_value(ctx, e->best);
  sqlite3_value_free(e->best);
  e->best = nullptr;
}

template <int Sign>
int defineExtreme(sqlite3* db, const char* name) {
  return sqlite3_create_function_v2(db, name, 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr, nullptr,
                                    extremeStep<Sign>, extremeFinal, nullptr);
}

}  // namespace

std::string decimalSortKey(const Decimal& d) {
  if (d.isZero()) return "1";
  std::string text = (d.isNegative() ? -d : d).toText();
  std::size_t point = text.find('.');
  std::string whole = text.substr(0, point);
  std::string digits = whole == "0" ? std::string() : whole;
  int exponent = static_cast<int>(digits.size());
  if (point != std::string::npos) digits += text.substr(point + 1);
  std::size_t first = digits.find_first_not_of('0');  // a value below 1: leading zeros
  exponent -= digits.empty() ? 0 : static_cast<int>(first);
  digits = digits.substr(first);
  digits.erase(digits.find_last_not_of('0') + 1);
  if (!d.isNegative()) return "2" + threeDigits(kExponentBias + exponent) + digits;
  for (char& c : digits) c = static_cast<char>('9' - (c - '0'));
  return "0" + threeDigits(kExponentBias - exponent) + digits + "~";
}

int installDecimalSortKey(sqlite3* db) {
  int rc = defineFunction<sortKey>(db, "tsql_dec_key", 1);
  if (rc == SQLITE_OK) rc = defineExtreme<1>(db, "decimal_max");
  if (rc == SQLITE_OK) rc = defineExtreme<-1>(db, "decimal_min");
  return rc;
}

}  // namespace tsql::runtime
