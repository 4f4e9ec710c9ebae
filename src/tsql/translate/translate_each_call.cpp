// A procedure whose body is one query, called once per line of a bill (a book stock
// per goods item), run for all the calls in one statement: the calls' argument lists
// are rows of a VALUES table, and the query reads each row's values where it read its
// parameters. Each parameter keeps its declared type for the translator, so the query
// is written as it is for one call, with a column where the parameter's marker stood.
//  - The server joins the query LATERAL to the rows: any number of rows per call.
//  - SQLite has no LATERAL; a query that gives exactly one value for any arguments (one
//    aggregate item, no GROUP BY or HAVING) is a scalar subquery of each row.
#include <algorithm>
#include <string>

#include "tsql/translate/sql_translator.h"

namespace tsql::translate {

namespace {

// One row and one column whatever the arguments: one aggregate of the query's own rows.
bool oneValuePerCall(const ast::Query& q) {
  if (q.cores.size() != 1) return false;
  const ast::SelectCore& c = q.cores[0];
  if (c.from.empty() || !c.groupBy.empty() || !c.groupingSets.empty() || c.having || c.top ||
      c.items.size() != 1 || c.items[0].star)
    return false;
  const unsigned reads = exprReads(c.items[0].expr.get(), [](const ast::ColumnRefExpr&) { return 0u; });
  return (reads & kReadsAggregate) && !(reads & kReadsWindow);
}

}  // namespace

std::size_t SqlTranslator::callsPerStatement(std::size_t parameters) {
  // SQLite's default bound on markers is 32,766 (the server's 65,535), some left for the
  // query's own; a statement of a thousand rows is prepared once and kept for the next
  // fill of as many lines.
  constexpr std::size_t kRowMarkers = 32000, kCalls = 1000;
  return std::min(kCalls, kRowMarkers / (parameters + 1));
}

std::optional<Translation> SqlTranslator::queryForEachCall(const ast::Query& q,
                                                           const std::vector<std::string>& parameters,
                                                           std::size_t calls) {
  const bool lateral = env_.dialect().lateralJoins;
  if (calls == 0 || (!lateral && !oneValuePerCall(q))) return std::nullopt;
  constexpr std::size_t kMarkers = 32766;
  const std::size_t rowMarkers = calls * (parameters.size() + 1);
  for (std::size_t i = 0; i < parameters.size(); ++i)
    rowVariables_[parameters[i]] = "\"tsql_each\".\"p" + std::to_string(i + 1) + '"';
  // SQLite looks up the name of every numbered marker among all those before it as it
  // writes the statement: thousands of them take it longer than reading the rows. The
  // rows' markers are plain there, numbered as they come, and the query's slots follow.
  markerBase_ = rowMarkersFirst(env_.dialect()) ? rowMarkers : 0;
  struct Forget {
    SqlTranslator& tr;
    ~Forget() {
      tr.rowVariables_.clear();
      tr.markerBase_ = 0;
    }
  } forget{*this};
  Translation body = query(q);
  if (!body.functionRuns.empty()) return std::nullopt;  // run by the interpreter once per call
  if (body.slots.size() + rowMarkers > kMarkers) return std::nullopt;
  std::string rows = "WITH \"tsql_each\"(\"n\"";
  for (std::size_t i = 0; i < parameters.size(); ++i) rows += ", \"p" + std::to_string(i + 1) + '"';
  rows += ") AS (VALUES ";
  rows.reserve(rows.size() + rowMarkers * (lateral ? 8 : 3) + body.sql.size() + 128);
  std::size_t marker = body.slots.size();
  for (std::size_t r = 0; r < calls; ++r) {
    rows += r ? ", (" : "(";
    for (std::size_t c = 0; c <= parameters.size(); ++c) {
      if (c) rows += ", ";
      rows += '?';
      if (lateral) rows += std::to_string(++marker);
    }
    rows += ')';
  }
  // no ORDER BY: the caller puts each row to its call by the ordinal
  rows += ") SELECT \"tsql_each\".\"n\", ";
  body.sql = lateral ? rows + "\"tsql_q\".* FROM \"tsql_each\" CROSS JOIN LATERAL (" + body.sql + ") AS \"tsql_q\""
                     : rows + '(' + body.sql + ") FROM \"tsql_each\"";
  body.columnTypes.insert(body.columnTypes.begin(), ast::DataType{});
  return body;
}

}  // namespace tsql::translate
