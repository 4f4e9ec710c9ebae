// A scalar function's body as one expression, so a call can be written inline and
// cost what the expression costs on each row. The statements are followed in order
// with each variable's value kept as the expression that set it (read with the values
// before it); an IF splits the rest of the body into the path of each branch, and the
// value returned is a CASE over the conditions. DECLARE, SET, SELECT @v = expr without
// FROM, BEGIN ... END, IF ... ELSE and RETURN are followed; a body with anything else
// (a loop, a query) is left to the interpreter.
#include "tsql/translate/sql_translator.h"

namespace tsql::translate {

namespace {

using Value = std::shared_ptr<const SymbolicValue>;

//! Statements still to follow: [at, end) of a body or a branch, innermost last.
struct Span {
  const ast::StmtPtr* at;
  const ast::StmtPtr* end;
};
using Path = std::vector<Span>;

constexpr int kBudget = 256;  // statements followed over all paths before giving up

}  // namespace

namespace {

struct Follower {
  const ast::CreateFunctionStmt& fn;
  int budget = kBudget;

  const ast::DataType* typeOf(const SymbolicEnv& env, const std::string& name) const {
    if (auto it = env.find(name); it != env.end()) return &it->second->type;
    for (const auto& p : fn.params)
      if (p.name == name) return &p.type;
    return nullptr;
  }

  static Value value(const ast::Expr* e, const std::shared_ptr<const SymbolicEnv>& env,
                     const ast::DataType& type) {
    auto v = std::make_shared<SymbolicValue>();
    v->expr = e;
    v->env = env;
    v->type = type;
    return v;
  }

  // env with `name` set to `e` read in env itself; false when the name is not declared.
  bool assign(std::shared_ptr<const SymbolicEnv>& env, const std::string& name,
              const ast::Expr* e) const {
    const ast::DataType* type = typeOf(*env, name);
    if (!type) return false;
    auto next = std::make_shared<SymbolicEnv>(*env);
    (*next)[name] = value(e, env, *type);
    env = std::move(next);
    return true;
  }

  bool declare(std::shared_ptr<const SymbolicEnv>& env, const ast::DeclareStmt& d) const {
    for (const auto& var : d.vars) {
      if (var.table) return false;
      auto next = std::make_shared<SymbolicEnv>(*env);
      (*next)[var.name] = value(var.init.get(), env, var.type);
      env = std::move(next);
    }
    return true;
  }

  // SELECT @a = x, @b = y with no FROM: assignments in order.
  bool selectAssign(std::shared_ptr<const SymbolicEnv>& env, const ast::SelectStmt& s) const {
    const ast::Query& q = s.query;
    if (q.cores.size() != 1 || q.with || !q.orderBy.empty()) return false;
    const ast::SelectCore& c = q.cores[0];
    if (!c.from.empty() || c.where || c.top || !c.groupBy.empty() || c.having) return false;
    for (const auto& item : c.items)
      if (item.assignTo.empty() || !assign(env, item.assignTo, item.expr.get())) return false;
    return true;
  }

  Value follow(Path path, std::shared_ptr<const SymbolicEnv> env) {
    while (!path.empty()) {
      Span& span = path.back();
      if (span.at == span.end) {
        path.pop_back();
        continue;
      }
      const ast::Stmt& s = **span.at++;
      if (--budget < 0) return nullptr;
      switch (s.kind) {
        case ast::NodeKind::Declare:
          if (!declare(env, ast::nodeCast<ast::DeclareStmt>(s))) return nullptr;
          break;
        case ast::NodeKind::Set: {
          const auto& set = ast::nodeCast<ast::SetStmt>(s);
          if (!assign(env, set.var, set.value.get())) return nullptr;
          break;
        }
        case ast::NodeKind::Select:
          if (!selectAssign(env, ast::nodeCast<ast::SelectStmt>(s))) return nullptr;
          break;
        case ast::NodeKind::Block: {
          const auto& body = ast::nodeCast<ast::BlockStmt>(s).body;
          path.push_back({body.data(), body.data() + body.size()});
          break;
        }
        case ast::NodeKind::If: return branch(ast::nodeCast<ast::IfStmt>(s), std::move(path), env);
        case ast::NodeKind::Return: {
          const auto& r = ast::nodeCast<ast::ReturnStmt>(s);
          return r.value ? value(r.value.get(), env, fn.returns) : nullptr;
        }
        default: return nullptr;
      }
    }
    return nullptr;  // fell off the end: a body must end in RETURN
  }

  // IF c A [ELSE B] and the statements after it: the rest followed once after A and
  // once after B (or directly), the value returned chosen by c.
  Value branch(const ast::IfStmt& i, Path rest, const std::shared_ptr<const SymbolicEnv>& env) {
    Path thenPath = rest;
    thenPath.push_back({&i.thenStmt, &i.thenStmt + 1});
    Value then = follow(std::move(thenPath), env);
    if (!then) return nullptr;
    if (i.elseStmt) rest.push_back({&i.elseStmt, &i.elseStmt + 1});
    Value otherwise = follow(std::move(rest), env);
    if (!otherwise) return nullptr;
    auto v = std::make_shared<SymbolicValue>();
    v->cond = i.cond.get();
    v->env = env;
    v->type = fn.returns;
    v->then = std::move(then);
    v->otherwise = std::move(otherwise);
    return v;
  }
};

}  // namespace

std::shared_ptr<const SymbolicValue> SqlTranslator::returnedValue(
    const ast::CreateFunctionStmt& fn) {
  Follower f{fn};
  Path path{{fn.body.data(), fn.body.data() + fn.body.size()}};
  return f.follow(std::move(path), std::make_shared<const SymbolicEnv>());
}

// A value written where the body's call stands: a choice as CASE, an expression read
// with the variables as they were where it stood, converted to the variable's type.
void SqlTranslator::emitSymbolic(const SymbolicValue& v) {
  InlineCall& call = inlining_.back();
  std::shared_ptr<const SymbolicEnv> saved = std::exchange(call.env, v.env);
  if (v.cond) {
    out_ += "CASE WHEN ";
    emit(*v.cond);
    out_ += " THEN ";
    emitSymbolic(*v.then);
    out_ += " ELSE ";
    emitSymbolic(*v.otherwise);
    out_ += " END";
  } else if (!v.expr) {
    out_ += "NULL";
  } else if (typeOf(*v.expr) == v.type) {
    out_ += '(';
    emit(*v.expr);
    out_ += ')';
  } else {
    emitCast(*v.expr, v.type, nullptr);
  }
  inlining_.back().env = std::move(saved);
}

}  // namespace tsql::translate
