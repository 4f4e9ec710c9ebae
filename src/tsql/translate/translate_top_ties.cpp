// TOP n WITH TIES: the query keeps its ORDER BY and gets as LIMIT the number of rows
// whose RANK() under that order is at most n, which is the first n rows and every row
// tied with the last of them. The rank is written inside the core (its own FROM, WHERE
// and GROUP BY), where a select-list alias or an ORDER BY ordinal means nothing to
// SQLite's window, so those name the select item's expression instead.
#include <string>
#include <utility>

#include "core/strings.h"
#include "tsql/translate/sql_translator.h"

namespace tsql::translate {

namespace {

// The select item an ORDER BY entry names by ordinal or by alias; nullptr otherwise.
const ast::Expr* selectItemNamed(const ast::SelectCore& core, const ast::Expr& key) {
  if (const auto* lit = ast::nodeAs<ast::LiteralExpr>(&key); lit && lit->literalKind == ast::LiteralKind::Integer) {
    std::size_t ordinal = lit->text.size() > 9 ? 0 : std::stoul(lit->text);
    if (ordinal < 1 || ordinal > core.items.size() || core.items[ordinal - 1].star)
      throw TranslateError(errors::Error::OrderPositionOutOfRange, {lit->text});
    return core.items[ordinal - 1].expr.get();
  }
  const auto* col = ast::nodeAs<ast::ColumnRefExpr>(&key);
  if (!col || col->parts.size() != 1) return nullptr;
  for (const auto& item : core.items)
    if (!item.star && !item.alias.empty() && core::sameText(item.alias, col->column())) return item.expr.get();
  return nullptr;
}

}  // namespace

// "RANK() OVER (ORDER BY ...)" over the core's rows; written while the core's scope is current.
std::string SqlTranslator::tiesRank(const ast::SelectCore& core, const std::vector<ast::OrderItem>& order) {
  std::string saved = std::move(out_);
  out_ = "RANK() OVER (ORDER BY ";
  for (std::size_t i = 0; i < order.size(); ++i) {
    if (i) out_ += ", ";
    const ast::Expr* item = selectItemNamed(core, *order[i].expr);
    emit(item ? *item : *order[i].expr);
    out_ += orderDirection(order[i].descending);
  }
  out_ += ')';
  return std::exchange(out_, std::move(saved));
}

// The row count for LIMIT: the core's rows ranked within the first `n`.
std::string SqlTranslator::tiesLimit(const std::string& coreSql, const std::string& n) {
  std::string_view select = coreSql.starts_with("SELECT DISTINCT ") ? "SELECT DISTINCT " : "SELECT ";
  std::string ranked = std::string(select) + tiesRank_ + " AS \"tsql_rank_\", " + coreSql.substr(select.size());
  return "(SELECT COUNT(*) FROM (" + ranked + ") AS \"tsql_ranked_\" WHERE \"tsql_rank_\" <= (" + n + "))";
}

}  // namespace tsql::translate
