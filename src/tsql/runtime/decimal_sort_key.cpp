// The key: a class digit (0 negative, 1 zero, 2 positive), then the decimal exponent
// of the first significant digit as three digits, then the significant digits without
// trailing zeros. Negative values invert the exponent and each digit and end with '~'
// (above every digit), so a longer negative digit run sorts first: -0.123 < -0.12.
#include "tsql/runtime/decimal_sort_key.h"

#include <cstdint>
#include <cstdio>
#include <deque>
#include <utility>

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

// MIN / MAX, also over a window's frame: the candidates still in the frame in arrival
// order, each beating every later one (a sliding-window extreme), numbered by arrival
// so the row leaving the frame (SQLite removes the oldest first, NULLs too) is known.
struct Extreme {
  std::deque<std::pair<std::int64_t, sqlite3_value*>>* kept;
  std::int64_t added;
  std::int64_t removed;
};

void release(Extreme* e) {
  if (e == nullptr || e->kept == nullptr) return;
  for (auto& k : *e->kept) sqlite3_value_free(k.second);
  delete e->kept;
  e->kept = nullptr;
}

template <int Sign>  // +1 keeps the greatest, -1 the least
void extremeStep(sqlite3_context* ctx, int, sqlite3_value** argv) {
  auto* e = static_cast<Extreme*>(sqlite3_aggregate_context(ctx, sizeof(Extreme)));
  if (e == nullptr) return sqlite3_result_error_nomem(ctx);
  std::int64_t seq = e->added++;
  if (sqlite3_value_type(argv[0]) == SQLITE_NULL) return;
  try {
    if (e->kept == nullptr) e->kept = new std::deque<std::pair<std::int64_t, sqlite3_value*>>();
    Decimal value = decimalOf(argv[0]);
    while (!e->kept->empty() && Sign * compare(decimalOf(e->kept->back().second), value) <= 0) {
      sqlite3_value_free(e->kept->back().second);
      e->kept->pop_back();
    }
    sqlite3_value* copy = sqlite3_value_dup(argv[0]);
    if (copy == nullptr) return sqlite3_result_error_nomem(ctx);
    e->kept->emplace_back(seq, copy);
  } catch (const std::exception& ex) {  // nothing may unwind through SQLite's C frames
    sqlite3_result_error(ctx, ex.what(), -1);
  }
}

void extremeInverse(sqlite3_context* ctx, int, sqlite3_value**) {
  auto* e = static_cast<Extreme*>(sqlite3_aggregate_context(ctx, sizeof(Extreme)));
  if (e == nullptr) return sqlite3_result_error_nomem(ctx);
  std::int64_t seq = e->removed++;
  if (e->kept == nullptr || e->kept->empty() || e->kept->front().first != seq) return;
  sqlite3_value_free(e->kept->front().second);
  e->kept->pop_front();
}

void extremeValue(sqlite3_context* ctx) {
  auto* e = static_cast<Extreme*>(sqlite3_aggregate_context(ctx, 0));
  if (e == nullptr || e->kept == nullptr || e->kept->empty()) return sqlite3_result_null(ctx);
  sqlite3_result_value(ctx, e->kept->front().second);
}

void extremeFinal(sqlite3_context* ctx) {
  extremeValue(ctx);
  release(static_cast<Extreme*>(sqlite3_aggregate_context(ctx, 0)));
}

template <int Sign>
int defineExtreme(sqlite3* db, const char* name) {
  return sqlite3_create_window_function(db, name, 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr,
                                        extremeStep<Sign>, extremeFinal, extremeValue,
                                        extremeInverse, nullptr);
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
