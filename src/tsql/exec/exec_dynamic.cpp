// Batches built at run time: EXEC (string) and sp_executesql. Each runs as a scope of
// its own, as a procedure does: it sees none of the caller's variables (only
// sp_executesql's declared parameters), it sees the caller's #tables, and the #tables,
// table variables and cursors it makes end with it. Its errors carry the line in its
// own text and reach the caller's TRY like a procedure's, naming no procedure (the
// batch is none, even when a procedure runs it); its result sets go to the client,
// and @@ROWCOUNT after it is its last statement's. A plain RETURN ends the dynamic
// batch alone; one with a value is refused as the batch is compiled.
#include "core/strings.h"
#include "tsql/exec/interpreter.h"
#include "tsql/exec/no_procedure.h"
#include "tsql/parser/parser.h"

namespace tsql::exec {

namespace {

constexpr std::size_t kKeptDynamicPlans = 64;
constexpr int kReturnValueOutOfModule = 178;  //!< RETURN with a value outside a module

// sp_executesql takes its statement and parameter list only as Unicode text.
bool isUnicodeText(const ast::DataType& t) {
  return !t.isKnown() || (t.kind == ast::TypeKind::NVarchar && !t.guid && !t.binary && !t.offset);
}

// A RETURN with a value among `list` and the blocks inside it; a procedure or
// function the batch creates has its own RETURNs.
const ast::ReturnStmt* valuedReturn(const ast::StmtList& list);

const ast::ReturnStmt* valuedReturn(const ast::Stmt& s) {
  using ast::NodeKind;
  switch (s.kind) {
    case NodeKind::Return: {
      const auto& r = ast::nodeCast<ast::ReturnStmt>(s);
      return r.value ? &r : nullptr;
    }
    case NodeKind::Block:
      return valuedReturn(ast::nodeCast<ast::BlockStmt>(s).body);
    case NodeKind::If: {
      const auto& i = ast::nodeCast<ast::IfStmt>(s);
      const ast::ReturnStmt* r = valuedReturn(*i.thenStmt);
      return r || !i.elseStmt ? r : valuedReturn(*i.elseStmt);
    }
    case NodeKind::While:
      return valuedReturn(*ast::nodeCast<ast::WhileStmt>(s).body);
    case NodeKind::TryCatch: {
      const auto& t = ast::nodeCast<ast::TryCatchStmt>(s);
      const ast::ReturnStmt* r = valuedReturn(t.tryBody);
      return r ? r : valuedReturn(t.catchBody);
    }
    default:
      return nullptr;
  }
}

const ast::ReturnStmt* valuedReturn(const ast::StmtList& list) {
  for (const auto& s : list)
    if (const ast::ReturnStmt* r = valuedReturn(*s)) return r;
  return nullptr;
}

// An error of the dynamic batch itself: no procedure raised it.
SqlException batchError(SqlException e) {
  e.attribute(kNoProcedure);
  return e;
}

}  // namespace

std::shared_ptr<BatchPlan> Interpreter::dynamicPlan(const std::string& text) {
  auto kept = dynamicPlans_.find(text);
  if (kept != dynamicPlans_.end()) return kept->second;
  auto plan = std::make_shared<BatchPlan>();
  try {
    plan->batch = Parser::parse(text);
  } catch (const SyntaxError& e) {  // a compile error of the inner batch: its own line
    throw batchError(SqlException(e.number(), errors::severityOf(e.number()),
                                  static_cast<int>(e.pos().line), e.what()));
  }
  if (const ast::ReturnStmt* r = valuedReturn(plan->batch.statements))
    throw batchError(SqlException(kReturnValueOutOfModule, 15, line(*r),
                                  "A RETURN statement with a return value cannot be used in "
                                  "this context."));
  if (dynamicPlans_.size() >= kKeptDynamicPlans) dynamicPlans_.clear();
  dynamicPlans_.emplace(text, plan);
  return plan;
}

void Interpreter::runDynamic(const std::string& text, int line,
                             const std::function<void(Frame&)>& bind,
                             const std::function<void(Frame&)>& done) {
  std::shared_ptr<BatchPlan> plan = dynamicPlan(text);  // held while it runs
  if (static_cast<int>(frames_.size()) > kMaxNesting)
    throw SqlException(errors::Error::NestingTooDeep, line);
  Frame inner;
  inner.depth = static_cast<int>(frames_.size());
  inner.procedure = kNoProcedure;
  if (bind) bind(inner);
  frames_.push_back(&inner);
  CallScope scope{*this, inner, memo_};
  memo_ = &plan->memo;
  execList(plan->batch.statements);
  if (done) done(inner);
}

// The parts are joined as they are; a NULL part adds nothing.
void Interpreter::execString(const ast::ExecStringStmt& s) {
  std::string text;
  for (const auto& part : s.parts) {
    SqlValue v = evaluate(*part, line(s));
    if (!v.isNull()) text += v.toText();
  }
  runDynamic(text, line(s), nullptr, nullptr);
}

namespace {

// sp_executesql's own two parameters, by position or by name.
const ast::ExecArg* ownArgument(const ast::ExecStmt& s, std::size_t position,
                                std::initializer_list<std::string_view> names) {
  if (position >= s.args.size()) return nullptr;
  const ast::ExecArg& arg = s.args[position];
  if (arg.name.empty()) return &arg;
  for (std::string_view n : names)
    if (arg.name == n) return &arg;
  return nullptr;
}

}  // namespace

// EXEC [@rc =] sp_executesql @stmt [, @params [, value | @name = value [OUTPUT] ...]]
bool Interpreter::execExecuteSql(const ast::ExecStmt& s) {
  if (!core::sameText(s.procedure, "sp_executesql")) return false;
  const int at = line(s);
  auto unicodeText = [&](const ast::ExecArg* arg, const char* name) -> SqlValue {
    ast::DataType type;
    SqlValue v = arg && arg->value ? evaluate(*arg->value, at, &type) : SqlValue();
    if (!arg || !arg->value || !isUnicodeText(type))
      throw SqlException(errors::Error::ParameterType, at, {name, "ntext/nchar/nvarchar"});
    return v;
  };
  const ast::ExecArg* stmtArg = ownArgument(s, 0, {"@stmt", "@statement"});
  SqlValue statement = unicodeText(stmtArg, "@statement");
  const ast::ExecArg* paramsArg = ownArgument(s, 1, {"@params"});
  std::string definitions;
  std::vector<ast::ProcParam> params;
  if (paramsArg) {
    SqlValue v = unicodeText(paramsArg, "@params");
    if (!v.isNull()) definitions = v.toText();
    try {
      params = Parser::parseParameterDefinitions(definitions);
    } catch (const SyntaxError& e) {
      throw SqlException(e.number(), errors::severityOf(e.number()), at, e.what());
    }
  }
  std::size_t first = paramsArg ? 2 : 1;
  std::vector<const ast::ExecArg*> args = matchDynamicArguments(s, first, params);
  std::string text = statement.isNull() ? std::string() : statement.toText();
  std::vector<std::pair<std::string, SqlValue>> outputs;
  auto bind = [&](Frame& inner) {
    for (std::size_t i = 0; i < params.size(); ++i) {
      const ast::ProcParam& p = params[i];
      const ast::ExecArg* arg = args[i];
      if (arg && arg->output && !p.output)
        throw SqlException(errors::Error::NotOutputParameter, at, {p.name});
      Variable v;
      v.type = p.type;
      if (arg && arg->value)
        v.value = evaluateAs(*arg->value, p.type, at);
      else if (p.defaultValue)
        v.value = evaluateAs(*p.defaultValue, p.type, at);
      else
        throw SqlException(errors::Error::ParameterNotSupplied, at,
                           {"(" + definitions + ")" + text, p.name});
      inner.vars.emplace(p.name, std::move(v));
    }
  };
  auto done = [&](Frame& inner) {
    for (std::size_t i = 0; i < params.size(); ++i) {
      if (!args[i] || !args[i]->output || !params[i].output) continue;
      if (const auto* target = ast::nodeAs<ast::VariableExpr>(args[i]->value.get()))
        outputs.emplace_back(target->name, inner.vars[params[i].name].value);
    }
  };
  runDynamic(text, at, bind, done);
  for (const auto& [name, value] : outputs) assign(name, value, at);
  if (!s.returnVar.empty()) assign(s.returnVar, SqlValue::integer(0), at);
  return true;
}

// The values after sp_executesql's own two parameters, matched to the declared ones
// as a procedure's arguments are: by position first, then by name.
std::vector<const ast::ExecArg*> Interpreter::matchDynamicArguments(
    const ast::ExecStmt& s, std::size_t first, const std::vector<ast::ProcParam>& params) {
  std::vector<const ast::ExecArg*> byParam(params.size(), nullptr);
  std::size_t position = 0;
  bool named = false;
  for (std::size_t k = first; k < s.args.size(); ++k) {
    const ast::ExecArg& arg = s.args[k];
    if (arg.name.empty()) {
      if (named)
        throw SqlException(errors::Error::ParameterByName, line(s), {std::to_string(k + 1)});
      if (position >= params.size())
        throw SqlException(errors::Error::TooManyArguments, line(s), {"sp_executesql"});
      byParam[position++] = &arg;
      continue;
    }
    named = true;
    std::size_t i = 0;
    while (i < params.size() && params[i].name != arg.name) ++i;
    if (i == params.size())
      throw SqlException(errors::Error::NotAParameter, line(s), {arg.name, "sp_executesql"});
    byParam[i] = &arg;
  }
  return byParam;
}

}  // namespace tsql::exec
