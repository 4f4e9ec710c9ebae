// The partition's values are kept as copies (sqlite3_value_dup) so DISC gives back the
// value as stored, int as int and text as text; they sort the way ORDER BY sorts them
// (numbers by value, text case-blind). A frame is always the whole partition here, but a
// value leaving it is still taken back, as a window aggregate must allow.
#include "tsql/runtime/percentiles.h"

#include <algorithm>
#include <cmath>
#include <string_view>
#include <vector>

#include "tsql/runtime/text_collation.h"

namespace tsql::runtime {
namespace {

struct Gathered {
  std::vector<sqlite3_value*> values;
  double p = 0;
  bool descending = false;
  ~Gathered() {
    for (sqlite3_value* v : values) sqlite3_value_free(v);
  }
};

std::string_view textOf(sqlite3_value* v) {
  return {reinterpret_cast<const char*>(sqlite3_value_text(v)), static_cast<std::size_t>(sqlite3_value_bytes(v))};
}

bool isNumber(sqlite3_value* v) {
  int t = sqlite3_value_type(v);
  return t == SQLITE_INTEGER || t == SQLITE_FLOAT;
}

int compareValues(sqlite3_value* a, sqlite3_value* b) {
  const bool na = isNumber(a), nb = isNumber(b);
  if (na != nb) return na ? -1 : 1;  // numbers before text
  if (na) {
    double x = sqlite3_value_double(a), y = sqlite3_value_double(b);
    return x < y ? -1 : x > y;
  }
  return TextCollation::compare(textOf(a), textOf(b));
}

Gathered** slotOf(sqlite3_context* ctx, int bytes) {
  return static_cast<Gathered**>(sqlite3_aggregate_context(ctx, bytes));
}

void step(sqlite3_context* ctx, int, sqlite3_value** argv) {
  auto** slot = slotOf(ctx, sizeof(Gathered*));
  if (slot == nullptr) return sqlite3_result_error_nomem(ctx);
  if (*slot == nullptr) {
    *slot = new (std::nothrow) Gathered;
    if (*slot == nullptr) return sqlite3_result_error_nomem(ctx);
    (*slot)->p = sqlite3_value_type(argv[1]) == SQLITE_NULL ? -1 : sqlite3_value_double(argv[1]);
    (*slot)->descending = sqlite3_value_int(argv[2]) != 0;
  }
  if (sqlite3_value_type(argv[0]) == SQLITE_NULL) return;  // NULLs are ignored
  sqlite3_value* copy = sqlite3_value_dup(argv[0]);
  if (copy == nullptr) return sqlite3_result_error_nomem(ctx);
  (*slot)->values.push_back(copy);
}

void inverse(sqlite3_context* ctx, int, sqlite3_value** argv) {
  auto** slot = slotOf(ctx, 0);
  if (slot == nullptr || *slot == nullptr || sqlite3_value_type(argv[0]) == SQLITE_NULL) return;
  auto& values = (*slot)->values;
  auto it = std::find_if(values.begin(), values.end(), [&](sqlite3_value* v) { return compareValues(v, argv[0]) == 0; });
  if (it == values.end()) return;
  sqlite3_value_free(*it);
  values.erase(it);
}

template <bool Continuous>
void value(sqlite3_context* ctx) {
  auto** slot = slotOf(ctx, 0);
  if (slot == nullptr || *slot == nullptr) return sqlite3_result_null(ctx);
  const Gathered& g = **slot;
  if (!(g.p >= 0 && g.p <= 1))
    return sqlite3_result_error(ctx, "The percentile of PERCENTILE_CONT and PERCENTILE_DISC must be between 0.0 and 1.0.", -1);
  if (g.values.empty()) return sqlite3_result_null(ctx);
  std::vector<sqlite3_value*> sorted = g.values;
  std::stable_sort(sorted.begin(), sorted.end(), [&](sqlite3_value* a, sqlite3_value* b) {
    int c = compareValues(a, b);
    return g.descending ? c > 0 : c < 0;
  });
  const std::size_t n = sorted.size();
  if (!Continuous) {
    std::size_t i = 0;  // the first row whose cumulative share reaches p
    while (i + 1 < n && static_cast<double>(i + 1) / static_cast<double>(n) < g.p) ++i;
    return sqlite3_result_value(ctx, sorted[i]);
  }
  const double rn = g.p * static_cast<double>(n - 1);
  const double lo = std::floor(rn), hi = std::ceil(rn);
  const double a = sqlite3_value_double(sorted[static_cast<std::size_t>(lo)]);
  if (lo == hi) return sqlite3_result_double(ctx, a);
  const double b = sqlite3_value_double(sorted[static_cast<std::size_t>(hi)]);
  sqlite3_result_double(ctx, (hi - rn) * a + (rn - lo) * b);
}

template <bool Continuous>
void finish(sqlite3_context* ctx) {
  value<Continuous>(ctx);
  auto** slot = slotOf(ctx, 0);
  if (slot == nullptr) return;
  delete *slot;
  *slot = nullptr;
}

template <bool Continuous>
int define(sqlite3* db, const char* name) {
  return sqlite3_create_window_function(db, name, 3, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr, step,
                                        finish<Continuous>, value<Continuous>, inverse, nullptr);
}

}  // namespace

int Percentiles::install(sqlite3* db) {
  int rc = define<true>(db, "tsql_percentile_cont");
  if (rc == SQLITE_OK) rc = define<false>(db, "tsql_percentile_disc");
  return rc;
}

}  // namespace tsql::runtime
