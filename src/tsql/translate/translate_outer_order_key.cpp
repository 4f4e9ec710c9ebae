// A subquery's ORDER BY that reads the enclosing query's row (TOP 1 ... ORDER BY
// x + o.id). SQLite resolves no outer column in ORDER BY, though it does in a table of
// the FROM; such a key reads the columns from a one-row table of the enclosing row's
// values, joined into the core's FROM, which leaves its rows as they were.
#include <algorithm>

#include "core/strings.h"
#include "tsql/translate/sql_translator.h"
#include "tsql/translate/translate_helpers.h"

namespace tsql::translate {

void SqlTranslator::noteOuterKeyCore(const ast::SelectCore& c, const Scope& scope, std::size_t fromEnd) {
  if (env_.dialect().orderByReadsOuterRow || !scope.outer) return;
  outerKeyCore_ = OuterKeyCore{fromEnd, !c.from.empty()};
}

std::vector<const ast::Expr*> SqlTranslator::findOuterKeyReads(const ast::Query& q,
                                                                const std::vector<Output>& outputs,
                                                                Scope* coreScope) {
  std::vector<const ast::Expr*> reads;
  if (!coreScope || q.cores.size() != 1) return reads;
  Scope* saved = std::exchange(scope_, coreScope);
  for (const ast::OrderItem& item : q.orderBy) {
    const auto* named = ast::nodeAs<ast::ColumnRefExpr>(item.expr.get());
    if (named && named->parts.size() == 1 &&
        std::any_of(outputs.begin(), outputs.end(),
                    [&](const Output& o) { return ::core::sameText(o.name, named->column()); }))
      continue;  // a select-list alias
    std::vector<const ast::ColumnRefExpr*> columns;
    if (!collectColumns(*item.expr, columns)) continue;
    for (const ast::ColumnRefExpr* c : columns) {
      const Source* source = nullptr;
      std::size_t index = 0;
      const Scope* owner = nullptr;
      if (resolveColumn(*c, source, index, &owner) && owner != scope_) reads.push_back(c);
    }
  }
  scope_ = saved;
  return reads;
}

void SqlTranslator::joinOuterKeyReads(const OuterKeyCore& core, const std::vector<const ast::Expr*>& reads) {
  if (reads.empty()) return;
  std::string kept = std::exchange(out_, core.hasFrom ? ", (SELECT " : " FROM (SELECT ");
  for (std::size_t i = 0; i < reads.size(); ++i) {
    if (i) out_ += ", ";
    emit(*reads[i]);
    out_ += " AS \"v" + std::to_string(i) + "\"";
  }
  out_ += ") AS \"tsql_outer_\"";
  kept.insert(core.fromEnd, out_);
  out_ = std::move(kept);
}

}  // namespace tsql::translate
