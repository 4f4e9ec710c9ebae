// Calls of a function the interpreter runs whose arguments read the rows of the
// statement: before the statement, a query over its FROM reads the distinct argument
// lists, the body runs once per list into a table of the call's values, and each row
// looks its value up there. A call in a correlated subquery reads its lists over the
// enclosing FROM with the subquery's FROM joined in, so that the enclosing row's
// columns are there too.
#include <algorithm>
#include <cctype>

#include "tsql/translate/sql_translator.h"
#include "tsql/translate/translate_helpers.h"

namespace tsql::translate {

namespace {

constexpr std::string_view kFrom = " FROM ";

// The condition of a " WHERE <condition>" a core wrote ("" for none, or another shape).
std::string filterCondition(const std::string& where) {
  static constexpr std::string_view kWhere = " WHERE ";
  return where.starts_with(kWhere) ? where.substr(kWhere.size()) : std::string();
}

unsigned readsOf(const ast::Expr* e) {
  return exprReads(e, [](const ast::ColumnRefExpr&) { return 0u; });
}

}  // namespace

SqlTranslator::OuterReadWatch::OuterReadWatch(SqlTranslator& t, const Scope* home)
    : translator_(t), saved_(std::exchange(t.outerReads_, &reads_)) {
  reads_.home = home;
}

SqlTranslator::OuterReadWatch::~OuterReadWatch() {
  translator_.outerReads_ = saved_;
  if (saved_ && reads_.read) saved_->read = true;  // a watch around it may not look past this one
}

// A function the interpreter runs, called with columns of a query's rows: before the
// statement, its value is worked out once for each distinct argument list those rows
// hold, into a table the statement then looks each row's value up in. Arguments are
// compared exactly, as the function would see them ('a' and 'A ' are two calls).
bool SqlTranslator::emitRowCall(const ast::FunctionCallExpr& f, const InlineCall& call) {
  if (inlineLiterals_ || !inlining_.empty() || !canReadRowCalls()) return false;
  for (const ast::Expr* a : call.args)
    if (readsOf(a) & (kReadsAggregate | kReadsWindow)) return false;
  RowCall rowCall;
  std::vector<std::string> args;
  std::string head = std::move(out_);
  {
    // in a subquery the lists may be read with the enclosing FROM joined in: name each table
    const bool qualify = std::exchange(qualifyColumns_, qualifyColumns_ || scope_->rowsFromOuter);
    std::optional<OuterReadWatch> watch;
    if (scope_->rowsFromOuter) watch.emplace(*this, scope_);
    for (std::size_t i = 0; i < call.args.size(); ++i) {
      out_.clear();
      const ast::DataType& type = call.fn->params[i].type;
      out_ += '(';
      if (typeOf(*call.args[i]) == type)
        emit(*call.args[i]);
      else
        emitCast(*call.args[i], type, nullptr);
      out_ += ')';
      if (type.isText()) out_ += std::string(" COLLATE ") + env_.dialect().exactCollation;
      args.push_back(std::move(out_));
    }
    qualifyColumns_ = qualify;
    rowCall.readsOuter = watch && watch->read();
  }
  out_ = std::move(head);
  FunctionRun run;
  run.scalarCall = &f;
  run.table = env_.functionValueTable(*call.fn, functionRuns_.size());
  emitValueLookUp(run.table, args);
  rowCall.site = functionRuns_.size();
  for (std::size_t i = 0; i < args.size(); ++i) rowCall.args += (i ? ", " : "") + args[i];
  rowCall.shownName = f.schema + "." + f.name;
  scope_->rowCalls.push_back(std::move(rowCall));
  functionRuns_.push_back(std::move(run));
  return true;
}

// The call's value: the row of its values table whose arguments are the same.
void SqlTranslator::emitValueLookUp(const std::string& table, const std::vector<std::string>& args) {
  const dialect::Dialect& d = env_.dialect();
  auto lookUp = [&](const char* same) {
    out_ += std::string("(SELECT \"v\" FROM ") + d.tempSchema + quoteIdent(table) + " AS \"tsql_uf\" WHERE ";
    for (std::size_t i = 0; i < args.size(); ++i)
      out_ += (i ? " AND \"tsql_uf\".\"a" : "\"tsql_uf\".\"a") + std::to_string(i + 1) + '"' + same + args[i];
    out_ += " LIMIT 1)";
  };
  if (d.sameValueIndexed) return lookUp(d.sameValueOperator);
  out_ += "CASE WHEN ";  // an argument list without NULLs is found by index
  for (std::size_t i = 0; i < args.size(); ++i) out_ += (i ? " OR " : "") + args[i] + " IS NULL";
  out_ += " THEN ";
  lookUp(d.sameValueOperator);
  out_ += " ELSE ";
  lookUp(" = ");
  out_ += " END";
}

// A WHERE that calls' argument lists may read joined to other FROMs names each
// column's table; one with a subquery is left as it is (and out of those lists).
bool SqlTranslator::qualifiesFilter(const ast::Expr* where, const Scope& scope) const {
  return where && !scope.rowCalls.empty() && !(readsOf(where) & kReadsOpaque);
}

// A call's argument lists can be read before the statement when the scope it sits in is
// a statement's own (a core with no enclosing one, an UPDATE), or a subquery's core
// inside such, through subqueries only: each adds its FROM to the enclosing one's.
bool SqlTranslator::canReadRowCalls() const {
  bool from = false;
  const Scope* s = scope_;
  for (; s; s = s->outer) {
    if (!s->hostsRowCalls) return false;
    from = from || s->fromSql.has_value();
    if (!s->rowsFromOuter) break;
  }
  return s && !s->outer && from;
}

// A column written while a watch is on: does it belong to a query enclosing the
// watched one?
void SqlTranslator::noteOuterRead(const ast::ColumnRefExpr& c) {
  const Source* source = nullptr;
  std::size_t index = 0;
  const Scope* owner = nullptr;
  if (!resolveColumn(c, source, index, &owner)) return;
  for (const Scope* s = outerReads_->home->outer; s; s = s->outer)
    if (s == owner) outerReads_->read = true;
}

// What keeps a subquery's FROM from being joined to the enclosing one as written: a
// FROM that reads the enclosing row, or a table name the enclosing FROM has too.
void SqlTranslator::refuseUnjoinable(const Scope& scope, const std::string& shown) const {
  if (scope.fromReadsOuter)
    throw TranslateError(errors::Error::UserMessage,
                         {"The function " + shown + " runs statements, so a subquery that calls it cannot read "
                          "the enclosing query's columns in its FROM; compare them in its WHERE."});
  for (const Source& src : scope.sources)
    for (const Scope* s = scope.outer; s; s = s->outer)
      for (const Source& other : s->sources)
        if (other.alias == src.alias)
          throw TranslateError(errors::Error::UserMessage,
                               {"The function " + shown +
                                " runs statements, so a subquery that calls it needs table names of its own: \"" +
                                src.alias + "\" names a table of an enclosing query too; give one an alias."});
}

// A subquery's call whose arguments read only its own rows, in a subquery whose WHERE
// reads no enclosing row either, reads its lists over its own FROM and WHERE. So does
// one whose WHERE cannot be joined (it holds a subquery): its own FROM then holds fewer
// lists than the enclosing one joined in. The others go to the
// enclosing core with the subquery's FROM items and, where written with each column's
// table named, its WHERE: the statement's core reads their lists over its own FROM
// with these joined in, which holds every list a row of the subquery meets.
bool SqlTranslator::ownRowsOnly(const RowCall& call, const Scope& scope, bool joinableFilter) {
  if (call.readsOuter || !call.joined.empty() || !scope.fromSql || scope.fromReadsOuter) return false;
  return !scope.filterReadsOuter || !joinableFilter;
}

void SqlTranslator::passRowCallsOut(Scope& scope) {
  const std::string items = scope.fromSql ? scope.fromSql->substr(kFrom.size()) : std::string();
  const std::string condition = scope.filterQualified ? filterCondition(scope.rowFilter) : std::string();
  for (RowCall& call : scope.rowCalls) {
    if (ownRowsOnly(call, scope, !condition.empty())) {
      writeArgsQuery(call.site, "SELECT " + call.args + *scope.fromSql +
                                    (scope.filterReadsOuter ? std::string() : scope.rowFilter));
      continue;
    }
    refuseUnjoinable(scope, call.shownName);
    if (!items.empty()) call.joined = ", " + items + call.joined;
    if (!condition.empty())
      call.filter = "(" + condition + ")" + (call.filter.empty() ? "" : " AND " + call.filter);
    scope.outer->rowCalls.push_back(std::move(call));
  }
  scope.rowCalls.clear();
}

// The query each call of `scope` reads its argument lists with: the core's FROM and,
// where given, its WHERE (with a subquery's call, the subqueries' FROMs and WHEREs
// too). A subquery's core hands its calls on instead.
void SqlTranslator::finishRowCalls(Scope& scope) {
  if (scope.rowsFromOuter && scope.outer) {
    passRowCallsOut(scope);
    scope.fromSql.reset();
    return;
  }
  for (const RowCall& call : scope.rowCalls) {
    std::string sql = "SELECT " + call.args;
    if (call.joined.empty()) {
      sql += scope.fromSql.value_or("") + scope.rowFilter;
    } else {  // a subquery's call: its FROM items joined to ours, each WHERE a condition
      sql += scope.fromSql ? *scope.fromSql + call.joined : std::string(kFrom) + call.joined.substr(2);
      std::string condition = scope.filterQualified ? filterCondition(scope.rowFilter) : std::string();
      if (!condition.empty()) condition = "(" + condition + ")" + (call.filter.empty() ? "" : " AND ");
      condition += call.filter;
      if (!condition.empty()) sql += " WHERE " + condition;
    }
    writeArgsQuery(call.site, sql);
  }
  scope.rowCalls.clear();
  scope.fromSql.reset();
}

// The call's argument query, its markers numbered anew from ?1, each standing for the
// statement's slot it stood for.
void SqlTranslator::writeArgsQuery(std::size_t site, const std::string& sql) {
  FunctionRun& run = functionRuns_[site];
  char quote = 0;
  for (std::size_t i = 0; i < sql.size(); ++i) {
    const char c = sql[i];
    if (quote) {
      if (c == quote) quote = 0;
      run.argsSql += c;
    } else if (c == '\'' || c == '"') {
      quote = c;
      run.argsSql += c;
    } else if (c == '?' && i + 1 < sql.size() && std::isdigit(static_cast<unsigned char>(sql[i + 1]))) {
      std::size_t end = i + 1;
      while (end < sql.size() && std::isdigit(static_cast<unsigned char>(sql[end]))) ++end;
      const std::size_t slot = std::stoul(sql.substr(i + 1, end - i - 1)) - 1;
      auto at = std::find(run.argSlots.begin(), run.argSlots.end(), slot);
      if (at == run.argSlots.end()) at = run.argSlots.insert(at, slot);
      run.argsSql += '?' + std::to_string(at - run.argSlots.begin() + 1);
      i = end - 1;
    } else {
      run.argsSql += c;
    }
  }
}

}  // namespace tsql::translate
