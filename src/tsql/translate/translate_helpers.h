// Small type and node tests the translator's files share.
#pragma once

#include "tsql/ast/expr.h"
#include "tsql/translate/translation.h"

namespace tsql::translate {

//! int, bigint and bit: the types SQLite's own integer arithmetic matches.
inline bool isIntegerClass(ast::TypeKind k) {
  return k == ast::TypeKind::Int || k == ast::TypeKind::BigInt || k == ast::TypeKind::Bit;
}

inline bool isNullLiteral(const ast::Expr& e) {
  const auto* l = ast::nodeAs<ast::LiteralExpr>(&e);
  return l && l->literalKind == ast::LiteralKind::Null;
}

//! The same expression written twice: columns by name (a qualifier only where both
//! have one), literals by text, calls and operators by their parts.
bool sameExpr(const ast::Expr& a, const ast::Expr& b);
bool sameExprs(const std::vector<ast::ExprPtr>& a, const std::vector<ast::ExprPtr>& b);

//! A CASE (or iif) whose every result is the NULL constant.
[[noreturn]] inline void allResultsNull() { throw TranslateError(errors::Error::AllResultsNull); }

}  // namespace tsql::translate
