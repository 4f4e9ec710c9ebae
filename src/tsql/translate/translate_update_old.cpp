// UPDATE ... OUTPUT that reads deleted.col. RETURNING sees the row only as the UPDATE
// leaves it, so the rows to change are first written to a plan table with their new
// values and their old ones, and the UPDATE then takes its values from the plan:
//   INSERT INTO plan SELECT <key>, <new values>, <old columns> FROM ... WHERE ... [LIMIT n]
//   UPDATE t SET c = p_.v0 FROM plan AS p_ WHERE t.key = p_.tsql_key
//     RETURNING <inserted.c: c>, <deleted.c: the plan's old column of the row's key>
#include "core/scoped_flag.h"
#include "tsql/parser/parser.h"
#include "tsql/translate/sql_translator.h"

namespace tsql::translate {

namespace {

constexpr const char* kPlanName = "tsql_update_plan";

}  // namespace

bool readsColumn(const ast::Expr* e, const std::function<bool(const ast::ColumnRefExpr&)>& test) {
  if (!e) return false;
  using ast::NodeKind;
  switch (e->kind) {
    case NodeKind::ColumnRef: return test(ast::nodeCast<ast::ColumnRefExpr>(*e));
    case NodeKind::Unary: return readsColumn(ast::nodeCast<ast::UnaryExpr>(*e).operand.get(), test);
    case NodeKind::Binary: {
      const auto& b = ast::nodeCast<ast::BinaryExpr>(*e);
      return readsColumn(b.lhs.get(), test) || readsColumn(b.rhs.get(), test);
    }
    case NodeKind::FunctionCall:
      for (const auto& a : ast::nodeCast<ast::FunctionCallExpr>(*e).args)
        if (readsColumn(a.get(), test)) return true;
      return false;
    case NodeKind::Cast: return readsColumn(ast::nodeCast<ast::CastExpr>(*e).operand.get(), test);
    case NodeKind::IsNull: return readsColumn(ast::nodeCast<ast::IsNullExpr>(*e).operand.get(), test);
    case NodeKind::Case: {
      const auto& c = ast::nodeCast<ast::CaseExpr>(*e);
      if (readsColumn(c.operand.get(), test) || readsColumn(c.elseExpr.get(), test)) return true;
      for (const auto& w : c.whens)
        if (readsColumn(w.when.get(), test) || readsColumn(w.then.get(), test)) return true;
      return false;
    }
    case NodeKind::In: {
      const auto& in = ast::nodeCast<ast::InExpr>(*e);
      if (readsColumn(in.operand.get(), test)) return true;
      for (const auto& v : in.list)
        if (readsColumn(v.get(), test)) return true;
      return false;
    }
    case NodeKind::Between: {
      const auto& b = ast::nodeCast<ast::BetweenExpr>(*e);
      return readsColumn(b.operand.get(), test) || readsColumn(b.low.get(), test) || readsColumn(b.high.get(), test);
    }
    case NodeKind::Like: {
      const auto& l = ast::nodeCast<ast::LikeExpr>(*e);
      return readsColumn(l.operand.get(), test) || readsColumn(l.pattern.get(), test) ||
             readsColumn(l.escape.get(), test);
    }
    default: return false;  // subqueries read their own tables
  }
}

bool outputReadsDeleted(const ast::OutputClause& o) {
  auto deleted = [](const ast::ColumnRefExpr& c) {
    return c.parts.size() > 1 && toLower(c.parts[c.parts.size() - 2]) == "deleted";
  };
  for (const auto& item : o.items)
    if (item.star ? toLower(item.starQualifier) == "deleted" : readsColumn(item.expr.get(), deleted)) return true;
  return false;
}

MergePlan SqlTranslator::updateKeepingOld(const ast::UpdateStmt& s) {
  const ast::NamedTableRef* targetRef = s.from.empty() ? nullptr : findTarget(s.from, s.target);
  std::string table = targetRef ? targetRef->name : s.target;
  const auto& cols = tableColumns(table);
  const std::string sqlName = tableSqlName(table);
  const auto& dialect = env_.dialect();
  const std::string rowKey = dialect.rowKey;
  std::vector<ast::DataType> setTypes;
  for (const auto& a : s.sets) {
    if (a.target[0][0] == '@') throw TranslateError(errors::Error::UpdateAssignsVariable);
    bool found = false;
    for (const auto& c : cols)
      if (toLower(c.name) == toLower(a.target.back())) setTypes.push_back(c.type), found = true;
    if (!found) throw TranslateError(errors::Error::InvalidColumn, {a.target.back()});
    refuseComputed(cols, a.target.back());
  }
  MergePlan plan;
  plan.table = std::string(dialect.tempSchema) + quoteIdent(kPlanName);
  plan.create = "CREATE TEMP TABLE " + quoteIdent(kPlanName) + " (\"tsql_key\" " + dialect.rowKeyType;
  for (std::size_t i = 0; i < setTypes.size(); ++i)
    plan.create += ", \"v" + std::to_string(i) + "\" " + dialect.columnType(setTypes[i]);
  for (std::size_t i = 0; i < cols.size(); ++i)
    plan.create += ", \"tsql_old" + std::to_string(i) + "\" " + dialect.columnType(cols[i].type);
  plan.create += ")";

  withPrefix_ = emitWith(s.with.get());
  Scope scope;
  scope.outer = scope_;
  std::string key = quoteIdent(sqlName);
  out_ = " FROM ";
  if (targetRef) {
    {
      core::ScopedFlag swap(swapRightJoins_);
      emitFromList(s.from, scope);
    }
    key = quoteIdent(!targetRef->alias.empty() ? targetRef->alias : targetRef->isVariable() ? targetRef->name : sqlName);
  } else {
    out_ += quoteIdent(sqlName);
    if (!s.from.empty()) {  // the target is not in FROM: SQL Server joins it in
      out_ += ", ";
      core::ScopedFlag swap(swapRightJoins_);
      emitFromList(s.from, scope);
    }
    scope.sources.push_back({sqlName, cols, {}, nullptr});
  }
  std::string from = std::move(out_);
  Scope* saved = scope_;
  scope_ = &scope;
  out_ = "INSERT INTO " + plan.table + " SELECT " + key + "." + rowKey;
  for (std::size_t i = 0; i < s.sets.size(); ++i) {
    out_ += ", ";
    emitColumnStore(*s.sets[i].value, setTypes[i]);
  }
  for (const auto& c : cols) out_ += ", " + key + "." + quoteIdent(c.name);
  out_ += from;
  if (s.currentOf) {
    emitCurrentOf(key);
  } else if (s.where) {
    out_ += " WHERE ";
    emit(*s.where);
  }
  emitRowLimit(s.top.get());
  scope_ = saved;
  plan.fill = finish();

  out_ = "UPDATE " + quoteIdent(sqlName) + " SET ";
  for (std::size_t i = 0; i < s.sets.size(); ++i)
    out_ += (i ? ", " : "") + quoteIdent(s.sets[i].target.back()) + " = \"p_\".\"v" + std::to_string(i) + "\"";
  out_ += " FROM " + plan.table + " AS \"p_\" WHERE " + quoteIdent(sqlName) + "." + rowKey + " = \"p_\".\"tsql_key\"";
  // SQLite keeps a row's rowid through an UPDATE; the server's ctid moves, so there
  // the old key is the plan's own.
  oldRowKey_ = !dialect.rowKeyMovesOnUpdate ? quoteIdent(sqlName) + "." + rowKey
                                             : std::string("\"p_\".\"tsql_key\"");
  oldRowPlan_ = plan.table;
  emitReturning(*s.output, cols, "inserted", true, plan.outputTypes);
  const bool moved = emitMovedRowKey(s, quoteIdent(sqlName));
  oldRowKey_.clear();
  oldRowPlan_.clear();
  for (const auto& item : s.output->items) {
    if (item.star) {
      for (const auto& c : cols) plan.outputNames.push_back(c.name);
      continue;
    }
    const auto* ref = ast::nodeAs<ast::ColumnRefExpr>(item.expr.get());
    plan.outputNames.push_back(!item.alias.empty() ? item.alias : ref ? ref->column() : std::string());
  }
  plan.steps.push_back({finish(), false, {}});
  plan.steps.back().t.returnsRowKey = moved;
  return plan;
}

// deleted.col of an UPDATE: the plan's old value of the row the UPDATE wrote.
void SqlTranslator::emitOldValue(const std::vector<catalog::ColumnInfo>& cols, const std::string& column) {
  for (std::size_t i = 0; i < cols.size(); ++i) {
    if (toLower(cols[i].name) != toLower(column)) continue;
    out_ += "(SELECT \"o_\".\"tsql_old" + std::to_string(i) + "\" FROM " + oldRowPlan_ +
            " AS \"o_\" WHERE \"o_\".\"tsql_key\" = " + oldRowKey_ + " LIMIT 1)";
    return;
  }
  throw TranslateError(errors::Error::InvalidColumn, {column});
}

}  // namespace tsql::translate
