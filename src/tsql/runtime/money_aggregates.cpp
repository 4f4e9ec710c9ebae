// Exact money totals. Each value is taken as money (rounded half to even at the fourth
// decimal) and added as an integer count of ten-thousandths; only the final result
// becomes a double, so sum(0.1) over a thousand rows is exactly 100.
#include "tsql/runtime/money_aggregates.h"

#include <cstdint>

#include "tsql/runtime/value_conversion.h"

namespace tsql::runtime {
namespace {

struct Total {
  std::int64_t units = 0;
  std::int64_t count = 0;
};

// Runs `body`, reporting a conversion or overflow error on the context.
template <typename F>
void guard(sqlite3_context* ctx, F body) {
  try {
    body();
  } catch (const RuntimeError& e) {
    sqlite3_result_error(ctx, e.what(), -1);
  } catch (const std::exception& e) {  // nothing may unwind through SQLite's C frames
    sqlite3_result_error(ctx, e.what(), -1);
  }
}

// Adds (Sign 1) or, as a window's frame leaves a row behind, takes back (Sign -1) one
// value; `units` reads the value as whole units of the total.
template <int Sign, std::int64_t (*units)(sqlite3_value*), const char* type>
void totalStep(sqlite3_context* ctx, int, sqlite3_value** argv) {
  if (sqlite3_value_type(argv[0]) == SQLITE_NULL) return;
  auto* t = static_cast<Total*>(sqlite3_aggregate_context(ctx, sizeof(Total)));
  if (t == nullptr) return sqlite3_result_error_nomem(ctx);
  guard(ctx, [&] {
    if (__builtin_add_overflow(t->units, Sign * units(argv[0]), &t->units)) {
      throw RuntimeError(errors::Error::ArithmeticOverflow, {"expression", type});
    }
    t->count += Sign;
  });
}

std::int64_t moneyUnits(sqlite3_value* v) { return ValueConversion::toMoney(v).raw(); }
std::int64_t intUnits(sqlite3_value* v) { return ValueConversion::toInt(v, true); }
constexpr char kMoney[] = "money";
constexpr char kBigint[] = "bigint";

// An aggregate over no non-NULL value is NULL, as SUM and AVG are in T-SQL.
Total* finalTotal(sqlite3_context* ctx) {
  auto* t = static_cast<Total*>(sqlite3_aggregate_context(ctx, 0));
  if (t == nullptr || t->count == 0) {
    sqlite3_result_null(ctx);
    return nullptr;
  }
  return t;
}

void moneySumFinal(sqlite3_context* ctx) {
  if (Total* t = finalTotal(ctx)) {
    sqlite3_result_double(ctx, core::Currency::fromRaw(t->units).toDouble());
  }
}

void moneyAvgFinal(sqlite3_context* ctx) {
  if (Total* t = finalTotal(ctx)) {
    auto avg = core::Currency::fromRaw(t->units) / static_cast<long double>(t->count);
    sqlite3_result_double(ctx, avg.toDouble());
  }
}

void intAvgFinal(sqlite3_context* ctx) {
  if (Total* t = finalTotal(ctx)) sqlite3_result_int64(ctx, t->units / t->count);
}

// Also a window function (SUM(amount) OVER ...): the final step only reads the total,
// so it gives the frame's value too, and a row leaving the frame is taken back.
template <std::int64_t (*units)(sqlite3_value*), const char* type>
int define(sqlite3* db, const char* name, void (*final)(sqlite3_context*)) {
  return sqlite3_create_window_function(db, name, 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr,
                                        totalStep<1, units, type>, final, final, totalStep<-1, units, type>,
                                        nullptr);
}

}  // namespace

int MoneyAggregates::install(sqlite3* db) {
  int rc = define<moneyUnits, kMoney>(db, "money_sum", moneySumFinal);
  if (rc == SQLITE_OK) rc = define<moneyUnits, kMoney>(db, "money_avg", moneyAvgFinal);
  if (rc == SQLITE_OK) rc = define<intUnits, kBigint>(db, "tsql_avg_int", intAvgFinal);
  return rc;
}

}  // namespace tsql::runtime
