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

void moneyStep(sqlite3_context* ctx, int, sqlite3_value** argv) {
  if (sqlite3_value_type(argv[0]) == SQLITE_NULL) return;
  auto* t = static_cast<Total*>(sqlite3_aggregate_context(ctx, sizeof(Total)));
  if (t == nullptr) return sqlite3_result_error_nomem(ctx);
  guard(ctx, [&] {
    if (__builtin_add_overflow(t->units, ValueConversion::toMoney(argv[0]).raw(), &t->units)) {
      throw RuntimeError(errors::Error::ArithmeticOverflow, {"expression", "money"});
    }
    ++t->count;
  });
}

void intStep(sqlite3_context* ctx, int, sqlite3_value** argv) {
  if (sqlite3_value_type(argv[0]) == SQLITE_NULL) return;
  auto* t = static_cast<Total*>(sqlite3_aggregate_context(ctx, sizeof(Total)));
  if (t == nullptr) return sqlite3_result_error_nomem(ctx);
  guard(ctx, [&] {
    if (__builtin_add_overflow(t->units, ValueConversion::toInt(argv[0], true), &t->units)) {
      throw RuntimeError(errors::Error::ArithmeticOverflow, {"expression", "bigint"});
    }
    ++t->count;
  });
}

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

int define(sqlite3* db, const char* name, void (*step)(sqlite3_context*, int, sqlite3_value**),
           void (*final)(sqlite3_context*)) {
  return sqlite3_create_function_v2(db, name, 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr,
                                    nullptr, step, final, nullptr);
}

}  // namespace

int MoneyAggregates::install(sqlite3* db) {
  int rc = define(db, "money_sum", moneyStep, moneySumFinal);
  if (rc == SQLITE_OK) rc = define(db, "money_avg", moneyStep, moneyAvgFinal);
  if (rc == SQLITE_OK) rc = define(db, "tsql_avg_int", intStep, intAvgFinal);
  return rc;
}

}  // namespace tsql::runtime
