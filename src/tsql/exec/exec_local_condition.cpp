// Conditions of IF that compare only variables and constants, decided in the
// interpreter without a statement (execIf): on the server each would be a round trip of its own
// (a procedure's chain of IF @category = '1120' ... costs one per branch per call), on
// the file a prepared statement. Only what is certain without the database is decided
// here: integers (bit, int, bigint), and = and <> of texts of printable ASCII, compared
// as the case-blind collation compares them (letter case and trailing blanks do not
// count). A NULL, another type or any other character leaves the condition to the
// database, so three-valued logic and collation order stay the database's.
#include <cerrno>
#include <cstdlib>

#include "core/strings.h"
#include "tsql/exec/interpreter.h"

namespace tsql::exec {

namespace {

bool printableAscii(const std::string& s) {
  for (unsigned char c : s)
    if (c < 0x20 || c > 0x7e) return false;
  return true;
}

std::string_view withoutTrailingBlanks(const std::string& s) {
  std::string_view v(s);
  while (!v.empty() && v.back() == ' ') v.remove_suffix(1);
  return v;
}

template <typename T>
bool compare(ast::BinaryOp op, const T& a, const T& b) {
  switch (op) {
    case ast::BinaryOp::Eq: return a == b;
    case ast::BinaryOp::Ne: return a != b;
    case ast::BinaryOp::Lt: return a < b;
    case ast::BinaryOp::Le: return a <= b;
    case ast::BinaryOp::Gt: return a > b;
    case ast::BinaryOp::Ge: return a >= b;
    default: return false;  // not a comparison: the caller asked only for these
  }
}

bool isComparison(ast::BinaryOp op) { return op >= ast::BinaryOp::Eq && op <= ast::BinaryOp::Ge; }

}  // namespace

std::optional<Interpreter::LocalOperand> Interpreter::localOperand(const ast::Expr& e) const {
  if (const auto* v = ast::nodeAs<ast::VariableExpr>(&e)) {
    const Variable* var = findVariable(v->name);
    if (var == nullptr || !var->tempTable.empty()) return std::nullopt;
    const ast::TypeKind kind = var->type.kind;
    if (kind == ast::TypeKind::Bit || kind == ast::TypeKind::Int || kind == ast::TypeKind::BigInt)
      return LocalOperand{var->value, true};
    if (var->type.isText()) return LocalOperand{var->value, false};
    return std::nullopt;
  }
  if (const auto* s = ast::nodeAs<ast::SystemVariableExpr>(&e)) {
    if (s->name == "@@trancount") return LocalOperand{SqlValue::integer(tranCount_), true};
    if (s->name == "@@rowcount") return LocalOperand{SqlValue::integer(rowCount_), true};
    if (s->name == "@@error") return LocalOperand{SqlValue::integer(lastError_), true};
    if (s->name == "@@fetch_status")
      return LocalOperand{SqlValue::integer(cursors_.fetchStatus), true};
    return std::nullopt;
  }
  if (const auto* l = ast::nodeAs<ast::LiteralExpr>(&e)) {
    if (l->literalKind == ast::LiteralKind::String && !l->binary)
      return LocalOperand{SqlValue::text(l->text), false};
    if (l->literalKind != ast::LiteralKind::Integer) return std::nullopt;
    errno = 0;
    char* end = nullptr;
    const long long v = std::strtoll(l->text.c_str(), &end, 10);
    if (errno == ERANGE || end == l->text.c_str() || *end != '\0') return std::nullopt;
    return LocalOperand{SqlValue::integer(v), true};
  }
  return std::nullopt;
}

std::optional<bool> Interpreter::localCondition(const ast::Expr& e) const {
  if (const auto* u = ast::nodeAs<ast::UnaryExpr>(&e)) {
    if (u->op != ast::UnaryOp::Not) return std::nullopt;
    const std::optional<bool> operand = localCondition(*u->operand);
    return operand ? std::optional<bool>(!*operand) : std::nullopt;
  }
  const auto* b = ast::nodeAs<ast::BinaryExpr>(&e);
  if (b == nullptr) return std::nullopt;
  if (b->op == ast::BinaryOp::And || b->op == ast::BinaryOp::Or) {
    const std::optional<bool> lhs = localCondition(*b->lhs);
    if (!lhs) return std::nullopt;
    const std::optional<bool> rhs = localCondition(*b->rhs);
    if (!rhs) return std::nullopt;
    return b->op == ast::BinaryOp::And ? *lhs && *rhs : *lhs || *rhs;
  }
  if (!isComparison(b->op)) return std::nullopt;
  const std::optional<LocalOperand> lhs = localOperand(*b->lhs);
  if (!lhs || lhs->value.isNull()) return std::nullopt;
  const std::optional<LocalOperand> rhs = localOperand(*b->rhs);
  if (!rhs || rhs->value.isNull() || lhs->integer != rhs->integer) return std::nullopt;
  if (lhs->integer) {
    if (lhs->value.type != SqlValue::Type::Integer || rhs->value.type != SqlValue::Type::Integer)
      return std::nullopt;
    return compare(b->op, lhs->value.i, rhs->value.i);
  }
  if (b->op != ast::BinaryOp::Eq && b->op != ast::BinaryOp::Ne) return std::nullopt;
  if (lhs->value.type != SqlValue::Type::Text || rhs->value.type != SqlValue::Type::Text ||
      !printableAscii(lhs->value.s) || !printableAscii(rhs->value.s))
    return std::nullopt;
  const bool same =
      core::sameText(withoutTrailingBlanks(lhs->value.s), withoutTrailingBlanks(rhs->value.s));
  return b->op == ast::BinaryOp::Eq ? same : !same;
}

}  // namespace tsql::exec
