// Common table expressions, written as the databases' own WITH before the statement.
// A recursive one (its query reads its own name) follows SQL Server's rules: anchor
// members first, then recursive members, joined by UNION ALL; rows are numbered by
// level, and a level past OPTION (MAXRECURSION n) (100 when not given, none when 0) is
// error 530 through tsql_recursion. The level travels in a column of a CTE of its own,
// "tsql_rec_<name>", which the CTE the statement reads selects its columns from.
#include "core/strings.h"
#include "tsql/parser/parser.h"
#include "tsql/translate/sql_translator.h"

namespace tsql::translate {

namespace {

constexpr const char* kLevel = "\"tsql_level_\"";

bool namesTable(const ast::TableRef& t, const std::string& name) {
  if (const auto* n = ast::nodeAs<ast::NamedTableRef>(&t)) return core::sameText(n->name, name);
  if (const auto* j = ast::nodeAs<ast::JoinedTableRef>(&t))
    return namesTable(*j->left, name) || namesTable(*j->right, name);
  return false;
}

// The first core whose FROM reads the CTE itself (cores.size() when none does).
std::size_t firstRecursiveCore(const ast::CommonTableExpr& cte) {
  const auto& cores = cte.query->cores;
  for (std::size_t i = 0; i < cores.size(); ++i)
    for (const auto& t : cores[i].from)
      if (namesTable(*t, cte.name)) return i;
  return cores.size();
}

std::string columnList(const std::vector<std::string>& names) {
  std::string list;
  for (const auto& n : names) list += (list.empty() ? "" : ", ") + quoteIdent(n);
  return list;
}

}  // namespace

std::string SqlTranslator::emitWith(const ast::WithClause* with) {
  if (!with || with->ctes.empty()) return {};
  std::string statement = std::exchange(out_, {});
  std::vector<std::size_t> recursive;
  for (const auto& cte : with->ctes) recursive.push_back(firstRecursiveCore(cte));
  bool any = false;
  for (std::size_t i = 0; i < recursive.size(); ++i)
    any = any || recursive[i] < with->ctes[i].query->cores.size();
  out_ = any ? "WITH RECURSIVE " : "WITH ";
  for (std::size_t i = 0; i < with->ctes.size(); ++i) {
    const ast::CommonTableExpr& cte = with->ctes[i];
    for (std::size_t j = 0; j < i; ++j)
      if (core::sameText(with->ctes[j].name, cte.name))
        throw TranslateError(errors::Error::DuplicateCteName, {cte.name});
    if (i) out_ += ", ";
    if (recursive[i] < cte.query->cores.size())
      emitRecursiveCte(cte, recursive[i], with->maxRecursion.get());
    else
      emitCte(cte);
  }
  out_ += ' ';
  return std::exchange(out_, std::move(statement));
}

void SqlTranslator::emitCte(const ast::CommonTableExpr& cte) {
  std::string head = quoteIdent(cte.name);
  if (!cte.columns.empty()) head += '(' + columnList(cte.columns) + ')';
  out_ += head + " AS (";
  std::vector<Output> outputs = emitQuery(*cte.query, nullptr);
  out_ += ')';
  ctes_.push_back({toLower(cte.name), quoteIdent(cte.name), cteColumns(cte, std::move(outputs))});
}

// Its column list's names, or its query's, each of which must have one.
std::vector<SqlTranslator::Output> SqlTranslator::cteColumns(const ast::CommonTableExpr& cte,
                                                             std::vector<Output> outputs) const {
  if (!cte.columns.empty() && outputs.size() != cte.columns.size())
    throw TranslateError(outputs.size() > cte.columns.size() ? errors::Error::CteMoreColumns
                                                             : errors::Error::CteFewerColumns,
                         {cte.name});
  for (std::size_t i = 0; i < outputs.size(); ++i) {
    if (!cte.columns.empty()) outputs[i].name = cte.columns[i];
    if (outputs[i].name.empty())
      throw TranslateError(errors::Error::MissingCteColumnName, {std::to_string(i + 1), cte.name});
  }
  return outputs;
}

// tsql_rec_x(columns, level) AS (anchors with level 0 UNION ALL recursive members with
// level + 1), x(columns) AS (SELECT columns FROM tsql_rec_x). Integer columns are
// bigint in every member: the server wants the anchor's and the members' types equal,
// and a constant there is a bigint while an int column's sum is an int.
void SqlTranslator::emitRecursiveCte(const ast::CommonTableExpr& cte, std::size_t firstRecursive,
                                     const ast::Expr* limit) {
  const ast::Query& q = *cte.query;
  if (firstRecursive == 0)
    throw TranslateError(errors::Error::RecursionWithoutUnionAll, {cte.name});
  for (std::size_t i = firstRecursive - 1; i < q.setOps.size(); ++i)
    if (q.setOps[i] != ast::SetOp::UnionAll)
      throw TranslateError(errors::Error::RecursionWithoutUnionAll, {cte.name});
  std::vector<Output> columns = cteColumns(cte, queryOutputs(q, true));  // the first anchor's
  std::string own = "tsql_rec_" + toLower(cte.name);
  Recursion r{nullptr, true, own, {}, limit, {}};
  std::vector<std::string> names;
  for (const auto& c : columns) {
    names.push_back(c.name);
    r.widened.push_back(c.type.kind == ast::TypeKind::Int || c.type.kind == ast::TypeKind::BigInt);
  }
  out_ += quoteIdent(own) + '(' + columnList(names) + ", " + kLevel + ") AS (";
  for (std::size_t i = 0; i < q.cores.size(); ++i) {
    if (i == firstRecursive)
      ctes_.push_back({toLower(cte.name), quoteIdent(own), columns});  // members read it
    if (i) out_ += q.setOps[i - 1] == ast::SetOp::UnionAll ? " UNION ALL " : " UNION ";
    r.core = &q.cores[i];
    r.anchor = i < firstRecursive;
    emitRecursiveMember(r, cte.name);
  }
  ctes_.back().sqlName = quoteIdent(cte.name);
  out_ += "), " + quoteIdent(cte.name) + '(' + columnList(names) + ") AS (SELECT " +
          columnList(names) + " FROM " + quoteIdent(own) + ')';
}

// One member with its level column; an anchor's TOP keeps n of its rows, as an arm's does.
void SqlTranslator::emitRecursiveMember(const Recursion& r, const std::string& cteName) {
  const ast::SelectCore& core = *r.core;
  if (core.top && !r.anchor) throw TranslateError(errors::Error::TopInRecursion, {cteName});
  if (core.topWithTies) throw TranslateError(errors::Error::TiesWithoutOrderBy);
  if (core.top) out_ += "SELECT * FROM (";
  std::size_t start = out_.size();
  recursion_ = r;
  emitCore(core, nullptr);
  recursion_.reset();
  if (core.top) out_ += " LIMIT " + topLimit(core, out_.substr(start)) + ") AS \"tsql_arm_\"";
}

// A member's level column: 0 in an anchor, one past the row it was made from in a
// recursive member.
void SqlTranslator::emitRecursionLevel() {
  const Recursion& r = *recursion_;
  if (r.anchor) {
    out_ += ", CAST(0 AS BIGINT)";
    return;
  }
  out_ += ", tsql_recursion(" + quoteIdent(r.alias) + '.' + kLevel + " + 1, ";
  if (r.limit)
    emit(*r.limit);
  else
    out_ += "100";
  out_ += ')';
}

const SqlTranslator::Cte* SqlTranslator::findCte(const ast::NamedTableRef& n) const {
  if (n.isVariable()) return nullptr;
  std::string name = toLower(n.name);
  for (auto it = ctes_.rbegin(); it != ctes_.rend(); ++it)
    if (it->name == name) return &*it;
  return nullptr;
}

// A CTE read by a FROM: its rows under the name or alias the statement gives it.
bool SqlTranslator::emitCteRef(const ast::NamedTableRef& n, Scope& scope) {
  const Cte* cte = findCte(n);
  if (!cte) return false;
  std::string alias = n.alias.empty() ? n.name : n.alias;
  out_ += cte->sqlName + " AS " + quoteIdent(alias);
  scope.sources.push_back(derivedSource(alias, cte->columns));
  if (recursion_ && quoteIdent(recursion_->cte) == cte->sqlName) recursion_->alias = alias;
  return true;
}

}  // namespace tsql::translate
