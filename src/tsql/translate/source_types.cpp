// A query's sources and output columns resolved for their types alone, without writing
// any SQL: what a scalar subquery's type needs. It follows the scopes the written query
// has (a derived table sees only the scopes outside its FROM list), so a column gets
// the type it will have when the query is written.
#include <cassert>
#include <utility>

#include "tsql/parser/parser.h"
#include "tsql/translate/sql_translator.h"
#include "tsql/translate/translate_helpers.h"

namespace tsql::translate {

std::vector<SqlTranslator::Output> SqlTranslator::queryOutputs(const ast::Query& q, bool firstArmOnly) {
  std::vector<Output> outputs;
  for (std::size_t i = 0; i < q.cores.size() && (i == 0 || !firstArmOnly); ++i) {
    const ast::SelectCore& core = q.cores[i];  // a compound query's names are its first core's
    Scope local;
    local.outer = scope_;
    resolveSources(core.from, local);
    Scope* saved = std::exchange(scope_, &local);
    std::vector<Output> arm;
    outputsOfItems(core, i ? arm : outputs);
    scope_ = saved;
    if (i) widenArmOutputs(outputs, arm);
  }
  return outputs;
}

std::vector<ast::DataType> SqlTranslator::mixedArmTypes(const ast::Query& q) {
  if (q.cores.size() < 2) return {};
  std::vector<Output> outputs = queryOutputs(q);  // numbers widened over the arms
  std::vector<ast::DataType> winners(outputs.size());
  for (ast::DataType& w : winners) w.kind = ast::TypeKind::Null;
  bool mixed = false;
  for (const ast::SelectCore& core : q.cores) {
    if (core.items.size() != outputs.size()) return {};  // `*`, or a count the server refuses
    Scope local;
    local.outer = scope_;
    resolveSources(core.from, local);
    Scope* saved = std::exchange(scope_, &local);
    for (std::size_t i = 0; i < core.items.size(); ++i) {
      if (core.items[i].star) {
        scope_ = saved;
        return {};
      }
      const ast::DataType t = typeOf(*core.items[i].expr);
      if (t.kind == ast::TypeKind::Null) continue;
      const ast::DataType& w = winners[i];
      if (w.kind != ast::TypeKind::Null && w.isText() != t.isText()) mixed = true;
      winners[i] = dominant(w, t);
    }
    scope_ = saved;
  }
  if (!mixed) return {};
  std::vector<ast::DataType> types;
  for (std::size_t i = 0; i < outputs.size(); ++i) {
    if (!winners[i].isKnown()) return {};
    // numbers that win keep the widened number type
    types.push_back(winners[i].isNumeric() && outputs[i].type.isNumeric() ? outputs[i].type : winners[i]);
  }
  return types;
}

void SqlTranslator::outputsOfItems(const ast::SelectCore& c, std::vector<Output>& outputs) {
  for (const ast::SelectItem& item : c.items) {
    if (item.star) {
      expandStar(item, outputs);
      continue;
    }
    Output o;
    o.type = typeOf(*item.expr);
    if (!item.alias.empty()) o.name = item.alias;
    else if (const auto* col = ast::nodeAs<ast::ColumnRefExpr>(item.expr.get())) o.name = col->column();
    outputs.push_back(std::move(o));
  }
}

std::string SqlTranslator::tableAlias(const ast::NamedTableRef& n, const std::string& sqlName) {
  return !n.alias.empty() ? toLower(n.alias) : n.isVariable() ? n.name : sqlName;
}

void SqlTranslator::resolveSources(const std::vector<ast::TableRefPtr>& from, Scope& scope) {
  for (const auto& t : from) resolveSource(*t, scope);
}

// As emitTableRef, minus the SQL: a joined derived table (flattened or not) is a source
// whose columns are its select list's.
void SqlTranslator::resolveSource(const ast::TableRef& t, Scope& scope) {
  switch (t.kind) {
    case ast::NodeKind::NamedTable: {
      const auto& n = ast::nodeCast<ast::NamedTableRef>(t);
      if (const Cte* cte = findCte(n)) {
        scope.sources.push_back(derivedSource(n.alias.empty() ? n.name : n.alias, cte->columns));
        return;
      }
      std::string sqlName = tableSqlName(n.name);
      Source src;
      src.alias = tableAlias(n, sqlName);
      if (const auto* cols = env_.columns(sqlName)) src.columns = *cols;
      scope.sources.push_back(std::move(src));
      return;
    }
    case ast::NodeKind::DerivedTable: {
      const auto& d = ast::nodeCast<ast::DerivedTableRef>(t);
      Scope* saved = std::exchange(scope_, scope.outer);  // a derived table does not see its siblings
      std::vector<Output> outputs = queryOutputs(*d.query);
      scope_ = saved;
      scope.sources.push_back(derivedSource(d.alias, outputs));
      return;
    }
    case ast::NodeKind::JoinedTable: {
      const auto& j = ast::nodeCast<ast::JoinedTableRef>(t);
      resolveSource(*j.left, scope);
      resolveSource(*j.right, scope);
      return;
    }
    case ast::NodeKind::FunctionTable:
      if (ast::nodeCast<ast::FunctionTableRef>(t).user)
        scope.sources.push_back(userFunctionSource(ast::nodeCast<ast::FunctionTableRef>(t)));
      else
        scope.sources.push_back(functionSource(ast::nodeCast<ast::FunctionTableRef>(t), scope));
      return;
    case ast::NodeKind::PivotTable:
      return resolvePivotTable(ast::nodeCast<ast::PivotTableRef>(t), scope);
    default: assert(false && "not a table source");
  }
}

SqlTranslator::Source SqlTranslator::derivedSource(const std::string& alias, const std::vector<Output>& outputs) {
  Source src;
  src.alias = toLower(alias);
  for (const auto& o : outputs) src.columns.push_back({o.name, o.type, false, false, o.computed});
  return src;
}

SqlTranslator::Source SqlTranslator::flattenedSource(const std::string& alias, const ast::SelectCore& c,
                                                     std::shared_ptr<Scope> inner) {
  Source src;
  src.alias = toLower(alias);
  src.inner = std::move(inner);
  for (const auto& item : c.items) {
    const auto& col = ast::nodeCast<ast::ColumnRefExpr>(*item.expr);
    src.items.push_back(item.expr.get());
    src.columns.push_back({item.alias.empty() ? col.column() : item.alias, {}, false, false});
  }
  return src;
}

}  // namespace tsql::translate
