// EXEC of a stored procedure: arguments by position or by name, defaults, OUTPUT
// parameters (copied back only when the call says OUTPUT too), the return code, and
// a frame of its own for the procedure's variables and table variables.
#include <charconv>

#include "tsql/exec/interpreter.h"
#include "tsql/parser/parser.h"
#include "tsql/runtime/value_conversion.h"

namespace tsql::exec {

namespace {

// A whole-number constant for an int or bigint parameter (a key, the commonest
// argument of a look-up called per line) read straight from its digits, range-checked
// as any conversion to the type; anything else goes the general way.
std::optional<SqlValue> wholeConstantFor(const ast::Expr& e, const ast::DataType& type) {
  const auto* l = ast::nodeAs<ast::LiteralExpr>(&e);
  if (!l || l->literalKind != ast::LiteralKind::Integer) return std::nullopt;
  if (type.kind != ast::TypeKind::Int && type.kind != ast::TypeKind::BigInt) return std::nullopt;
  long long v = 0;
  const char* end = l->text.data() + l->text.size();
  auto [at, ec] = std::from_chars(l->text.data(), end, v);
  if (ec != std::errc() || at != end) return std::nullopt;
  return SqlValue::integer(runtime::ValueConversion::checkedInt(v, type.kind == ast::TypeKind::BigInt));
}

}  // namespace

std::vector<const ast::ExecArg*> Interpreter::matchArguments(const ast::ExecStmt& s,
                                                              const ast::CreateProcedureStmt& p) {
  std::vector<const ast::ExecArg*> byParam(p.params.size(), nullptr);
  std::size_t position = 0;
  bool named = false;
  for (const auto& arg : s.args) {
    if (arg.name.empty()) {
      if (named)
        throw SqlException(errors::Error::ParameterByName, line(s), {std::to_string(position + 1)});
      if (position >= p.params.size())
        throw SqlException(errors::Error::TooManyArguments, line(s), {s.procedure});
      byParam[position++] = &arg;
      continue;
    }
    named = true;
    std::size_t i = 0;
    while (i < p.params.size() && p.params[i].name != arg.name) ++i;
    if (i == p.params.size())
      throw SqlException(errors::Error::NotAParameter, line(s), {arg.name, s.procedure});
    byParam[i] = &arg;
  }
  return byParam;
}

// Each parameter takes its argument (converted to the parameter's type), else its
// default; a parameter with neither is an error.
std::vector<SqlValue> Interpreter::parameterValues(const ast::ExecStmt& s, const ast::CreateProcedureStmt& p,
                                                   const std::vector<const ast::ExecArg*>& args) {
  std::vector<SqlValue> values(p.params.size());
  for (std::size_t i = 0; i < p.params.size(); ++i) {
    const ast::ProcParam& param = p.params[i];
    const ast::ExecArg* arg = args[i];
    if (arg && arg->output && !param.output)
      throw SqlException(errors::Error::NotOutputParameter, line(s), {param.name});
    if (arg && arg->value) {
      std::optional<SqlValue> whole = wholeConstantFor(*arg->value, param.type);
      values[i] = whole ? std::move(*whole) : evaluateAs(*arg->value, param.type, line(s));
    } else if (param.defaultValue) {
      values[i] = evaluateAs(*param.defaultValue, param.type, line(s));
    } else if (!param.output || !arg) {
      throw SqlException(errors::Error::MissingParameter, line(s), {s.procedure, param.name});
    }
  }
  return values;
}

void Interpreter::bindParameters(const ast::ExecStmt& s, const ast::CreateProcedureStmt& p,
                                 const std::vector<const ast::ExecArg*>& args, Frame& callee) {
  std::vector<SqlValue> values = parameterValues(s, p, args);
  for (std::size_t i = 0; i < p.params.size(); ++i) {
    Variable v;
    v.type = p.params[i].type;
    v.value = std::move(values[i]);
    callee.vars.insert_or_assign(p.params[i].name, std::move(v));  // a kept frame has it already
  }
}

// A bill calls one procedure per line: the frame of its last call (its parameters'
// variables, nothing else) is taken again instead of building one afresh.
std::unique_ptr<Interpreter::Frame> Interpreter::procedureFrame(
    const std::shared_ptr<ast::Batch>& batch, const ast::CreateProcedureStmt& p) {
  for (auto it = spareFrames_.begin(); it != spareFrames_.end(); ++it) {
    if (it->procedure != &p || it->batch != batch) continue;
    std::unique_ptr<Frame> frame = std::move(it->frame);
    spareFrames_.erase(it);
    return frame;
  }
  return std::make_unique<Frame>();
}

// Kept only when the call left nothing but the parameters (no variable of the body,
// no table variable): the next call assigns every one of them again.
void Interpreter::keepProcedureFrame(const std::shared_ptr<ast::Batch>& batch,
                                     const ast::CreateProcedureStmt& p,
                                     std::unique_ptr<Frame> frame) {
  constexpr std::size_t kSpareFrames = 4;
  if (frame->vars.size() != p.params.size()) return;
  frame->scopeIdentity = {};
  frame->scopeIdentityPending = false;
  if (spareFrames_.size() >= kSpareFrames) spareFrames_.erase(spareFrames_.begin());  // the oldest
  spareFrames_.push_back({batch, &p, std::move(frame)});
}

// Emptying the table variables may learn that a write sent without waiting failed
// (RunBatchAgain): the caller's frame is back first, and the exception may leave.
Interpreter::CallScope::~CallScope() noexcept(false) {
  in.frames_.pop_back();
  in.memo_ = callerMemo;
  in.dropTableVariables(frame);
  in.endTempTables(frame.depth);
  in.cursors_.endLevel(frame.depth);
}

void Interpreter::execProcedureCall(const ast::ExecStmt& s) {
  if (execSystemProcedure(s) || execExecuteSql(s)) return;
  const Procedure* proc = loadProcedure(s.procedure);
  if (!proc) throw SqlException(errors::Error::NoSuchProcedure, line(s), {s.procedure});
  std::shared_ptr<ast::Batch> keepAlive = proc->batch;  // survives a nested ALTER
  std::shared_ptr<TranslationMemo> memo = proc->memo;
  const ast::CreateProcedureStmt& p = *proc->stmt;
  if (static_cast<int>(frames_.size()) > kMaxNesting)
    throw SqlException(errors::Error::NestingTooDeep, line(s));
  std::vector<const ast::ExecArg*> args = matchArguments(s, p);
  std::unique_ptr<Frame> frame = procedureFrame(keepAlive, p);
  Frame& callee = *frame;
  callee.depth = static_cast<int>(frames_.size());
  callee.procedure.assign("dbo.").append(p.name);  // ERROR_PROCEDURE() names it with its schema
  bindParameters(s, p, args, callee);
  frames_.push_back(&callee);
  SqlValue returned = SqlValue::integer(0);
  int tranCountBefore = tranCount_;
  std::vector<std::pair<std::string, SqlValue>> outputs;
  {
    CallScope scope{*this, callee, memo_};
    memo_ = memo.get();
    if (execList(p.body) == Flow::Return && !returnValue_.isNull()) returned = returnValue_;
    for (std::size_t i = 0; i < p.params.size(); ++i) {
      if (!args[i] || !args[i]->output || !p.params[i].output) continue;
      const auto* target = ast::nodeAs<ast::VariableExpr>(args[i]->value.get());
      if (target) outputs.emplace_back(target->name, callee.vars[p.params[i].name].value);
    }
  }
  keepProcedureFrame(keepAlive, p, std::move(frame));
  // OUTPUT parameters go back to the caller's variables.
  for (const auto& [name, value] : outputs) assign(name, value, line(s));
  if (!s.returnVar.empty()) assign(s.returnVar, returned, line(s));
  // A procedure must leave @@TRANCOUNT as it found it; the transaction itself stays.
  if (tranCount_ != tranCountBefore)
    throw SqlException(errors::Error::TranCountMismatch, line(s),
                       {std::to_string(tranCountBefore), std::to_string(tranCount_)});
}

}  // namespace tsql::exec
