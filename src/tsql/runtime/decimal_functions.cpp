// The SQL side of exact decimals. Every function takes the result's precision and
// scale as its last two arguments (the translator knows them from the operand types),
// so the value is rounded and range-checked once, where it is made.
#include "tsql/runtime/decimal_functions.h"

#include <algorithm>
#include <cstdint>
#include <string>

#include "tsql/runtime/decimal_value.h"
#include "tsql/runtime/sql_args.h"

namespace tsql::runtime {
namespace {

enum class Op { Add, Sub, Mul, Div, Mod };

constexpr int kMaxPrecision = 38;  // a SUM or AVG of decimals is decimal(38,s)

void setDecimal(SqlArgs& a, const Decimal& d) {
  if (travelsAsReal(d)) return a.set(d.toDouble());
  a.set(d.toText());
}

// A precision or scale argument, held to what a decimal can have (the functions are
// callable by name from a batch, so nothing guarantees the translator wrote them).
int argInt(SqlArgs& a, int i) {
  return static_cast<int>(std::clamp<std::int64_t>(a.integer(i), 0, kMaxPrecision));
}

// CAST(x AS decimal(p,s)): x, p, s.
void toDecimal(SqlArgs& a) {
  if (a.isNull(0)) return a.setNull();
  const char* from = a.type(0) == SQLITE_INTEGER ? "int" : (a.type(0) == SQLITE_TEXT ? "varchar" : "numeric");
  setDecimal(a, fitDecimal(decimalOf(a[0]), argInt(a, 1), argInt(a, 2), from));
}

[[noreturn]] void divideByZero() { throw RuntimeError(errors::Error::DivideByZero); }

// x op y, p, s. A quotient is cut at the result's scale (the server's division
// truncates); sums and products are exact and then rounded to it.
template <Op O>
void arithmetic(SqlArgs& a) {
  if (a.isNull(0) || a.isNull(1)) return a.setNull();
  Decimal x = decimalOf(a[0]), y = decimalOf(a[1]);
  int precision = argInt(a, 2), scale = argInt(a, 3);
  Decimal r;
  switch (O) {
    case Op::Add: r = x + y; break;
    case Op::Sub: r = x - y; break;
    case Op::Mul: r = x * y; break;
    case Op::Div:
      if (y.isZero()) divideByZero();
      r = Decimal::divide(x, y, scale);
      break;
    case Op::Mod:
      if (y.isZero()) divideByZero();
      r = Decimal::remainder(x, y);
      break;
  }
  setDecimal(a, fitDecimal(r, precision, scale, "expression"));
}

// ROUND(x, n[, cut]) of a decimal(p,s): x, n, cut, p, s. The result keeps decimal(p,s),
// so rounding up past its whole digits (748.58 to -3 places) is 8115.
void roundDecimal(SqlArgs& a) {
  if (a.isNull(0) || a.isNull(1)) return a.setNull();
  int places = static_cast<int>(std::clamp<std::int64_t>(a.integer(1), -kMaxPrecision - 1, kMaxPrecision + 1));
  bool cut = !a.isNull(2) && a.integer(2) != 0;
  Decimal x = decimalOf(a[0]).shifted(places);
  x = (cut ? x.truncated(0) : x.rounded(0)).shifted(-places);
  setDecimal(a, fitDecimal(x, argInt(a, 3), argInt(a, 4), "expression"));
}

void absoluteDecimal(SqlArgs& a) {
  if (a.isNull(0)) return a.setNull();
  Decimal x = decimalOf(a[0]);
  setDecimal(a, x.isNegative() ? -x : x);
}

// Compares two decimals exactly: -1, 0 or 1 (a long decimal is TEXT to SQLite, which
// would compare it as text).
void compareDecimals(SqlArgs& a) {
  if (a.isNull(0) || a.isNull(1)) return a.setNull();
  a.set(static_cast<std::int64_t>(compare(decimalOf(a[0]), decimalOf(a[1]))));
}

// SUM and AVG of decimals: x and the result's scale; an exact running total.
struct Total {
  Decimal* sum = nullptr;  // owned; the aggregate context is plain zeroed memory
  std::int64_t count = 0;
  int scale = 0;
};

// Adds a value, or takes it back (Leaving) as a window's frame moves past its row.
template <bool Leaving>
void totalStep(sqlite3_context* ctx, int, sqlite3_value** argv) {
  if (sqlite3_value_type(argv[0]) == SQLITE_NULL) return;
  auto* t = static_cast<Total*>(sqlite3_aggregate_context(ctx, sizeof(Total)));
  if (t == nullptr) return sqlite3_result_error_nomem(ctx);
  try {
    if (t->sum == nullptr) t->sum = new Decimal();
    *t->sum = Leaving ? *t->sum - decimalOf(argv[0]) : *t->sum + decimalOf(argv[0]);
    t->scale = sqlite3_value_int(argv[1]);
    t->count += Leaving ? -1 : 1;
  } catch (const std::exception& e) {  // nothing may unwind through SQLite's C frames
    sqlite3_result_error(ctx, e.what(), -1);
  }
}

// The total so far (a window's frame value); NULL over no value.
template <bool Average>
void totalValue(sqlite3_context* ctx) {
  auto* t = static_cast<Total*>(sqlite3_aggregate_context(ctx, 0));
  if (t == nullptr || t->sum == nullptr || t->count == 0) return sqlite3_result_null(ctx);
  const Decimal& sum = *t->sum;
  try {
    Decimal d = Average ? Decimal::divide(sum, Decimal::fromInt(t->count), t->scale) : sum;
    d = fitDecimal(d, kMaxPrecision, t->scale, "expression");
    if (travelsAsReal(d)) return sqlite3_result_double(ctx, d.toDouble());
    std::string text = d.toText();
    sqlite3_result_text(ctx, text.c_str(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
  } catch (const std::exception& e) {
    sqlite3_result_error(ctx, e.what(), -1);
  }
}

template <bool Average>
void totalFinal(sqlite3_context* ctx) {
  totalValue<Average>(ctx);
  auto* t = static_cast<Total*>(sqlite3_aggregate_context(ctx, 0));
  if (t == nullptr) return;
  delete t->sum;
  t->sum = nullptr;
}

// Also a window function (SUM(x) OVER ...).
template <bool Average>
int defineTotal(sqlite3* db, const char* name) {
  return sqlite3_create_window_function(db, name, 2, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr,
                                        totalStep<false>, totalFinal<Average>, totalValue<Average>,
                                        totalStep<true>, nullptr);
}

}  // namespace

int DecimalFunctions::install(sqlite3* db) {
  return firstFailure({defineFunction<toDecimal>(db, "tsql_decimal", 3),
                       defineTolerant<toDecimal>(db, "tsql_try_decimal", 3),
                       defineFunction<arithmetic<Op::Add>>(db, "tsql_dec_add", 4),
                       defineFunction<arithmetic<Op::Sub>>(db, "tsql_dec_sub", 4),
                       defineFunction<arithmetic<Op::Mul>>(db, "tsql_dec_mul", 4),
                       defineFunction<arithmetic<Op::Div>>(db, "tsql_dec_div", 4),
                       defineFunction<arithmetic<Op::Mod>>(db, "tsql_dec_mod", 4),
                       defineFunction<compareDecimals>(db, "tsql_dec_cmp", 2),
                       defineFunction<roundDecimal>(db, "tsql_dec_round", 5),
                       defineFunction<absoluteDecimal>(db, "tsql_dec_abs", 1),
                       defineTotal<false>(db, "decimal_sum"),
                       defineTotal<true>(db, "decimal_avg")});
}

}  // namespace tsql::runtime
