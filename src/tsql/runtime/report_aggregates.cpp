// Statistical aggregates and STRING_AGG on SQLite. The variances keep the count, sum and
// sum of squares in long double, so a row leaving a window's frame is taken back; the
// sample forms are NULL below two values, the population forms below one, as SQL
// Server's are. STRING_AGG gathers its values and sorts them by their keys at the end
// the way ORDER BY sorts (NULL first, text case-blind).
#include "tsql/runtime/report_aggregates.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <variant>
#include <vector>

#include "tsql/runtime/text_collation.h"

namespace tsql::runtime {
namespace {

struct Moments {
  long double n = 0, sum = 0, squares = 0;
};

template <int Sign>
void momentStep(sqlite3_context* ctx, int, sqlite3_value** argv) {
  if (sqlite3_value_type(argv[0]) == SQLITE_NULL) return;
  auto* m = static_cast<Moments*>(sqlite3_aggregate_context(ctx, sizeof(Moments)));
  if (m == nullptr) return sqlite3_result_error_nomem(ctx);
  long double x = sqlite3_value_double(argv[0]);
  m->n += Sign;
  m->sum += Sign * x;
  m->squares += Sign * x * x;
}

// Population (Sample 0) or sample (Sample 1) variance, or its square root.
template <int Sample, bool Root>
void momentFinal(sqlite3_context* ctx) {
  auto* m = static_cast<Moments*>(sqlite3_aggregate_context(ctx, 0));
  if (m == nullptr || m->n < 1 + Sample) return sqlite3_result_null(ctx);
  long double v = std::max<long double>(0, (m->squares - m->sum * m->sum / m->n) / (m->n - Sample));
  sqlite3_result_double(ctx, static_cast<double>(Root ? std::sqrt(v) : v));
}

template <int Sample, bool Root>
int defineMoment(sqlite3* db, const char* name) {
  return sqlite3_create_window_function(db, name, 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr,
                                        momentStep<1>, momentFinal<Sample, Root>,
                                        momentFinal<Sample, Root>, momentStep<-1>, nullptr);
}

using Key = std::variant<std::monostate, double, std::string>;  // NULL, number, text

Key keyOf(sqlite3_value* v) {
  switch (sqlite3_value_type(v)) {
    case SQLITE_NULL:
      return {};
    case SQLITE_INTEGER:
    case SQLITE_FLOAT:
      return sqlite3_value_double(v);
    default:
      return std::string(reinterpret_cast<const char*>(sqlite3_value_text(v)),
                         static_cast<std::size_t>(sqlite3_value_bytes(v)));
  }
}

int compareKeys(const Key& a, const Key& b) {
  if (a.index() != b.index()) return a.index() < b.index() ? -1 : 1;  // NULL, numbers, text
  if (const auto* x = std::get_if<double>(&a))
    return *x < std::get<double>(b) ? -1 : *x > std::get<double>(b);
  if (const auto* x = std::get_if<std::string>(&a))
    return TextCollation::compare(*x, std::get<std::string>(b));
  return 0;
}

struct Joined {
  struct Item {
    std::string value;
    std::vector<Key> keys;
  };
  std::string separator, directions;
  std::vector<Item> items;
};

void joinStep(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
  if (sqlite3_value_type(argv[0]) == SQLITE_NULL) return;
  auto** slot = static_cast<Joined**>(sqlite3_aggregate_context(ctx, sizeof(Joined*)));
  if (slot == nullptr) return sqlite3_result_error_nomem(ctx);
  try {
    if (*slot == nullptr) {
      *slot = new Joined;
      if (const unsigned char* sep = sqlite3_value_text(argv[1]))
        (*slot)->separator = reinterpret_cast<const char*>(sep);
      if (argc > 2)
        (*slot)->directions = reinterpret_cast<const char*>(sqlite3_value_text(argv[2]));
    }
    Joined::Item item{reinterpret_cast<const char*>(sqlite3_value_text(argv[0])), {}};
    for (int i = 3; i < argc; ++i) item.keys.push_back(keyOf(argv[i]));
    (*slot)->items.push_back(std::move(item));
  } catch (const std::bad_alloc&) {
    sqlite3_result_error_nomem(ctx);
  }
}

void joinFinal(sqlite3_context* ctx) {
  auto** slot = static_cast<Joined**>(sqlite3_aggregate_context(ctx, 0));
  if (slot == nullptr || *slot == nullptr) return sqlite3_result_null(ctx);
  Joined* j = *slot;
  std::stable_sort(j->items.begin(), j->items.end(),
                   [&](const Joined::Item& a, const Joined::Item& b) {
                     for (std::size_t k = 0; k < a.keys.size(); ++k) {
                       int c = compareKeys(a.keys[k], b.keys[k]);
                       if (k < j->directions.size() && j->directions[k] == 'd') c = -c;
                       if (c != 0) return c < 0;
                     }
                     return false;
                   });
  std::string out;
  for (std::size_t i = 0; i < j->items.size(); ++i) {
    if (i) out += j->separator;
    out += j->items[i].value;
  }
  delete j;
  *slot = nullptr;
  sqlite3_result_text(ctx, out.c_str(), static_cast<int>(out.size()), SQLITE_TRANSIENT);
}

}  // namespace

int ReportAggregates::install(sqlite3* db) {
  int rc = defineMoment<1, false>(db, "tsql_var");
  if (rc == SQLITE_OK) rc = defineMoment<0, false>(db, "tsql_varp");
  if (rc == SQLITE_OK) rc = defineMoment<1, true>(db, "tsql_stdev");
  if (rc == SQLITE_OK) rc = defineMoment<0, true>(db, "tsql_stdevp");
  if (rc == SQLITE_OK)
    rc = sqlite3_create_function_v2(db, "tsql_string_agg", -1, SQLITE_UTF8 | SQLITE_DETERMINISTIC,
                                    nullptr, nullptr, joinStep, joinFinal, nullptr);
  return rc;
}

}  // namespace tsql::runtime
