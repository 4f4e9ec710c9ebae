// User-defined functions in a statement. A scalar function whose body reduces to one
// expression (translate_function_body.cpp) is written inline: its parameters become the
// call's arguments (converted to the parameters' types), so a call costs what the
// expression costs. An
// inline table-valued function is its query as a derived table (LATERAL on the right
// of an APPLY). Other scalar functions and multi-statement table-valued ones run in
// the interpreter: a scalar call is a slot (or, with row columns as arguments, a look-up
// in a table of its values), a table call a temp table filled before the statement runs.
#include <algorithm>

#include "tsql/parser/parser.h"
#include "tsql/translate/sql_translator.h"
#include "tsql/translate/translate_helpers.h"

namespace tsql::translate {

namespace {

using Form = ast::CreateFunctionStmt::Form;

// True when `e` can be computed before the statement runs: no column and no subquery.
bool knownBeforeRun(const ast::Expr* e) {
  using ast::NodeKind;
  if (!e) return true;
  switch (e->kind) {
    case NodeKind::Literal: case NodeKind::Variable: case NodeKind::SystemVariable:
    case NodeKind::HostParameter:
      return true;
    case NodeKind::Unary: return knownBeforeRun(ast::nodeCast<ast::UnaryExpr>(*e).operand.get());
    case NodeKind::Binary: {
      const auto& b = ast::nodeCast<ast::BinaryExpr>(*e);
      return knownBeforeRun(b.lhs.get()) && knownBeforeRun(b.rhs.get());
    }
    case NodeKind::Cast: {
      const auto& c = ast::nodeCast<ast::CastExpr>(*e);
      return knownBeforeRun(c.operand.get()) && knownBeforeRun(c.style.get());
    }
    case NodeKind::FunctionCall: {
      const auto& f = ast::nodeCast<ast::FunctionCallExpr>(*e);
      if (f.over) return false;
      for (const auto& a : f.args)
        if (!knownBeforeRun(a.get())) return false;
      return true;
    }
    default: return false;
  }
}

bool callsUserFunction(const ast::Expr* e) {
  return anyCall(e, [](const ast::FunctionCallExpr& f) { return !f.schema.empty(); });
}

bool aggregates(const ast::Expr* e) {
  return anyCall(e, [](const ast::FunctionCallExpr& f) {
    if (f.over || f.star) return true;
    for (const char* a : {"count", "count_big", "sum", "avg", "min", "max", "stdev", "stdevp", "var", "varp",
                          "string_agg", "checksum_agg", "grouping", "grouping_id"})
      if (f.name == a && f.schema.empty()) return true;
    return false;
  });
}

}  // namespace

// Matches the arguments to the parameters: more than there are is 8144; fewer, or a
// left-out one without a default, is 313 (a scalar function needs DEFAULT written).
SqlTranslator::InlineCall SqlTranslator::userCall(const std::string& name, const std::string& shownName,
                                                  const std::vector<ast::ExprPtr>& args,
                                                  const std::vector<bool>& defaults, bool table) {
  const ast::CreateFunctionStmt* fn = env_.userFunction(name);
  std::string key = catalog::normalizeObjectName(name);
  if (fn && std::find(functionsRead_.begin(), functionsRead_.end(), key) == functionsRead_.end())
    functionsRead_.push_back(std::move(key));
  if (!fn || fn->isTable() != table) {
    if (table) throw TranslateError(errors::Error::InvalidObject, {shownName});
    throw TranslateError(errors::Error::UnknownUserFunction, {shownName.substr(0, shownName.find('.')), shownName});
  }
  if (args.size() > fn->params.size())
    throw TranslateError(errors::Error::TooManyArguments, {shownName});
  InlineCall call;
  call.fn = fn;
  call.callerScope = scope_;
  call.depth = inlining_.size();
  for (std::size_t i = 0; i < fn->params.size(); ++i) {
    bool given = i < args.size() && !(i < defaults.size() && defaults[i]);
    const ast::Expr* arg = given ? args[i].get() : fn->params[i].defaultValue.get();
    if (!arg || (!given && i >= args.size()))
      throw TranslateError(errors::Error::InsufficientArguments, {shownName});
    call.args.push_back(arg);
  }
  return call;
}

// A function the interpreter runs takes its arguments' values before the statement:
// they cannot read the statement's rows, nor the parameters of a function written inline.
void SqlTranslator::requireRunnableArguments(const InlineCall& call, const std::string& shownName) const {
  if (inlineLiterals_)  // a view's SQL is the database's alone: nothing runs before it
    throw TranslateError(errors::Error::UserMessage,
                         {"The function " + shownName + " runs statements, so a view cannot read it."});
  bool known = inlining_.empty();
  for (const ast::Expr* a : call.args) known = known && knownBeforeRun(a);
  if (!known)
    throw TranslateError(errors::Error::UserMessage,
                         {"The function " + shownName +
                          " runs statements, so its arguments must be constants, variables or "
                          "parameters here, not columns of the rows being read."});
}

// dbo.f(args): inline where the body reduces to an expression, else a slot the
// interpreter fills.
void SqlTranslator::emitUserFunction(const ast::FunctionCallExpr& f) {
  const std::string shown = f.schema + "." + f.name;
  InlineCall call = userCall(f.name, shown, f.args, f.defaults, false);
  std::shared_ptr<const SymbolicValue> body;
  if (std::find(notInlined_.begin(), notInlined_.end(), call.fn) == notInlined_.end())
    body = returnedValue(*call.fn);
  for (const InlineCall& open : inlining_)  // recursion: written inline it would never end
    if (body && open.fn == call.fn) throw RecursiveCall{call.fn};
  if (body) {
    // A recursive function met inside is left to the interpreter, and this call written again.
    const std::size_t outAt = out_.size(), slotsAt = slots_.size(), runsAt = functionRuns_.size();
    const std::size_t depth = inlining_.size();
    Scope* scopeAt = scope_;
    try {
      emitInlineCall(std::move(call), *body);
    } catch (const RecursiveCall& r) {
      out_.resize(outAt);
      slots_.resize(slotsAt);
      functionRuns_.resize(runsAt);
      inlining_.resize(depth);
      scope_ = scopeAt;
      notInlined_.push_back(r.fn);
      return emitUserFunction(f);
    }
    return;
  }
  bool known = true;
  for (const ast::Expr* a : call.args) known = known && knownBeforeRun(a);
  if (!known && emitRowCall(f, call)) return;
  requireRunnableArguments(call, shown);
  Slot s;
  s.kind = Slot::Kind::UserFunction;
  s.name = f.name;
  s.call = &f;
  emitSlot(std::move(s));
}

bool SqlTranslator::ordersByUserFunction(const std::vector<ast::OrderItem>& order) {
  return std::any_of(order.begin(), order.end(), [](const ast::OrderItem& o) { return callsUserFunction(o.expr.get()); });
}

void SqlTranslator::emitInlineCall(InlineCall call, const SymbolicValue& body) {
  {
    const bool nullOnNull = call.fn->nullOnNullInput && !call.args.empty();
    if (nullOnNull) {  // RETURNS NULL ON NULL INPUT: the body is not looked at then
      out_ += "CASE WHEN ";
      for (std::size_t i = 0; i < call.args.size(); ++i) {
        out_ += i ? " OR (" : "(";
        emit(*call.args[i]);
        out_ += ") IS NULL";
      }
      out_ += " THEN NULL ELSE ";
    }
    inlining_.push_back(std::move(call));
    Scope empty;  // the body sees its parameters, never the caller's columns
    Scope* saved = std::exchange(scope_, &empty);
    out_ += '(';
    emitSymbolic(body);
    out_ += ')';
    scope_ = saved;
    inlining_.pop_back();
    if (nullOnNull) out_ += " END";
  }
}

ast::DataType SqlTranslator::userFunctionType(const ast::FunctionCallExpr& f) {
  const ast::CreateFunctionStmt* fn = env_.userFunction(f.name);
  if (!fn || fn->isTable())
    throw TranslateError(errors::Error::UnknownUserFunction, {f.schema, f.schema + "." + f.name});
  return fn->returns;
}

const ast::DataType* SqlTranslator::inlinedParameterType(const std::string& name) const {
  if (inlining_.empty()) return nullptr;
  if (const auto& env = inlining_.back().env) {
    auto it = env->find(name);
    if (it != env->end()) return &it->second->type;
  }
  for (const auto& p : inlining_.back().fn->params)
    if (p.name == name) return &p.type;
  return nullptr;
}

// Inside a body written inline the only variables are its parameters; each becomes its
// argument, written where the call stands (in the caller's scope and inlining).
bool SqlTranslator::emitInlinedParameter(const ast::VariableExpr& v) {
  if (inlining_.empty()) return false;
  if (const auto& env = inlining_.back().env) {  // a local variable, or a parameter set in the body
    auto it = env->find(v.name);
    if (it != env->end()) {
      std::shared_ptr<const SymbolicValue> value = it->second;
      emitSymbolic(*value);
      return true;
    }
  }
  const ast::CreateFunctionStmt& fn = *inlining_.back().fn;
  std::size_t i = 0;
  while (i < fn.params.size() && fn.params[i].name != v.name) ++i;
  if (i == fn.params.size()) throw TranslateError(errors::Error::UndeclaredVariable, {v.name});
  const std::size_t depth = inlining_.back().depth;
  std::vector<InlineCall> inner(inlining_.begin() + static_cast<std::ptrdiff_t>(depth), inlining_.end());
  inlining_.resize(depth);
  const InlineCall& call = inner.back();
  Scope* saved = std::exchange(scope_, call.callerScope);
  const ast::Expr& arg = *call.args[i];
  const ast::DataType& type = fn.params[i].type;
  out_ += '(';
  if (typeOf(arg) == type)
    emit(arg);
  else
    emitCast(arg, type, nullptr);
  out_ += ')';
  scope_ = saved;
  for (auto& c : inner) inlining_.push_back(std::move(c));
  return true;
}

SqlTranslator::Source SqlTranslator::userFunctionSource(const ast::FunctionTableRef& f) {
  InlineCall call = userCall(f.name, f.written, f.args, f.defaults, true);
  std::string alias = toLower(f.alias.empty() ? f.name : f.alias);
  if (call.fn->form == Form::MultiStatement) {
    Source src;
    src.alias = alias;
    for (const auto& c : call.fn->result.table->columns)
      src.columns.push_back({toLower(c.name), c.type, c.notNull, c.primaryKey});
    return src;
  }
  Scope* saved = std::exchange(scope_, nullptr);
  inlining_.push_back(std::move(call));
  std::vector<Output> outputs = queryOutputs(*inlining_.back().fn->query);
  inlining_.pop_back();
  scope_ = saved;
  return derivedSource(alias, outputs);
}

// FROM dbo.f(args) [AS alias].
void SqlTranslator::emitUserFunctionTable(const ast::FunctionTableRef& f, Scope& scope) {
  const bool lateral = std::exchange(applyRight_, false);
  Scope* saved = std::exchange(scope_, lateral ? &scope : scope.outer);
  InlineCall call = userCall(f.name, f.written, f.args, f.defaults, true);
  std::string alias = toLower(f.alias.empty() ? f.name : f.alias);
  if (call.fn->form == Form::MultiStatement) {
    requireRunnableArguments(call, f.written);
    scope_ = saved;
    return emitFunctionRun(f, *call.fn, scope);
  }
  if (lateral && !env_.dialect().lateralJoins) {
    bool known = true;
    for (const ast::Expr* a : call.args) known = known && knownBeforeRun(a);
    if (!known) {
      scope_ = saved;
      if (!canJoinFlat(*call.fn->query))
        throw TranslateError(errors::Error::UserMessage,
                             {"APPLY of " + f.written + " with columns of the rows to its left as arguments "
                              "needs a query without grouping, DISTINCT, TOP or ORDER BY on this database."});
      return emitFlatApply(f, std::move(call), scope);
    }
  } else if (lateral) {
    out_ += "LATERAL ";
  }
  inlining_.push_back(std::move(call));
  scope_ = nullptr;  // the body sees its parameters, never the caller's columns
  out_ += '(';
  std::vector<Output> outputs = emitQuery(*inlining_.back().fn->query, nullptr);
  out_ += ") AS " + quoteIdent(alias);
  inlining_.pop_back();
  scope_ = saved;
  scope.sources.push_back(derivedSource(alias, outputs));
}

// A query that means the same joined in flat: one core reading one source, row by row.
bool SqlTranslator::canJoinFlat(const ast::Query& q) const {
  if (q.cores.size() != 1 || q.with || q.forJson || !q.orderBy.empty() || q.offset || q.fetch) return false;
  const ast::SelectCore& c = q.cores[0];
  if (c.distinct || c.top || !c.groupBy.empty() || c.having || !c.into.empty() || c.from.size() != 1)
    return false;
  for (const auto& item : c.items)
    if (item.star || !item.assignTo.empty() || !item.expr || aggregates(item.expr.get())) return false;
  return true;
}

// APPLY where the database has no LATERAL: the function's source is joined in directly,
// its WHERE as the join's ON, its select items the columns of the alias (written where
// they are read, with the call's arguments in place of its parameters). For each left
// row that gives the rows the function would, and OUTER APPLY keeps a row without any.
void SqlTranslator::emitFlatApply(const ast::FunctionTableRef& f, InlineCall call, Scope& scope) {
  const ast::SelectCore& c = call.fn->query->cores[0];
  qualifyColumns_ = true;
  auto kept = std::make_shared<InlineCall>(std::move(call));
  kept->keptScope = std::make_shared<Scope>(scope);  // the left side's sources, as now
  kept->callerScope = kept->keptScope.get();
  auto inner = std::make_shared<Scope>();  // no outer: the body sees only its own tables
  InlineCall here = *kept;
  here.depth = inlining_.size();
  inlining_.push_back(std::move(here));
  Scope* saved = std::exchange(scope_, inner.get());
  const bool nested = c.from[0]->kind == ast::NodeKind::JoinedTable;
  if (nested) out_ += '(';
  emitTableRef(*c.from[0], *inner);
  if (nested) out_ += ')';
  if (c.where) {
    out_ += " ON ";
    emit(*c.where);
    applyOnWritten_ = true;
  }
  Source flat;
  flat.alias = toLower(f.alias.empty() ? f.name : f.alias);
  flat.inner = inner;
  flatCalls_[inner.get()] = kept;
  for (const auto& item : c.items) {
    const auto* col = ast::nodeAs<ast::ColumnRefExpr>(item.expr.get());
    std::string name = !item.alias.empty() ? item.alias : col ? col->column() : std::string();
    flat.items.push_back(item.expr.get());
    flat.columns.push_back({name, typeOf(*item.expr), false, false});
  }
  scope_ = saved;
  inlining_.pop_back();
  scope.sources.push_back(std::move(flat));
}

void SqlTranslator::emitSourceItem(const Source& src, std::size_t i) {
  auto call = flatCalls_.find(src.inner.get());
  const bool inlined = call != flatCalls_.end();
  if (inlined) {
    InlineCall here = *call->second;
    here.depth = inlining_.size();
    inlining_.push_back(std::move(here));
  }
  Scope* saved = std::exchange(scope_, src.inner.get());
  emit(*src.items[i]);
  scope_ = saved;
  if (inlined) inlining_.pop_back();
}

// The function's rows are in a table of their own, filled before the statement runs.
void SqlTranslator::emitFunctionRun(const ast::FunctionTableRef& f, const ast::CreateFunctionStmt& fn,
                                    Scope& scope) {
  std::string table = env_.functionResultTable(fn, functionRuns_.size());
  FunctionRun run;
  run.call = &f;
  run.table = table;
  functionRuns_.push_back(std::move(run));
  std::string alias = toLower(f.alias.empty() ? f.name : f.alias);
  out_ += env_.dialect().tempSchema + quoteIdent(table) + " AS " + quoteIdent(alias);
  Source src;
  src.alias = alias;
  for (const auto& c : fn.result.table->columns)
    src.columns.push_back({toLower(c.name), c.type, c.notNull, c.primaryKey});
  scope.sources.push_back(std::move(src));
}

}  // namespace tsql::translate
