// Small type and node tests the translator's files share.
#pragma once

#include "tsql/ast/expr.h"
#include "tsql/ast/query.h"
#include "tsql/translate/translation.h"

namespace tsql::translate {

//! True when `e` holds, outside a subquery, a call that `matches`.
template <typename Matches>
inline bool anyCall(const ast::Expr* e, const Matches& matches) {
  using ast::NodeKind;
  if (!e) return false;
  switch (e->kind) {
    case NodeKind::Unary: return anyCall(ast::nodeCast<ast::UnaryExpr>(*e).operand.get(), matches);
    case NodeKind::Binary: {
      const auto& b = ast::nodeCast<ast::BinaryExpr>(*e);
      return anyCall(b.lhs.get(), matches) || anyCall(b.rhs.get(), matches);
    }
    case NodeKind::Cast: return anyCall(ast::nodeCast<ast::CastExpr>(*e).operand.get(), matches);
    case NodeKind::Case: {
      const auto& c = ast::nodeCast<ast::CaseExpr>(*e);
      for (const auto& w : c.whens)
        if (anyCall(w.when.get(), matches) || anyCall(w.then.get(), matches)) return true;
      return anyCall(c.operand.get(), matches) || anyCall(c.elseExpr.get(), matches);
    }
    case NodeKind::FunctionCall: {
      const auto& f = ast::nodeCast<ast::FunctionCallExpr>(*e);
      if (matches(f)) return true;
      for (const auto& a : f.args)
        if (anyCall(a.get(), matches)) return true;
      return false;
    }
    default: return false;
  }
}

//! int, bigint and bit: the types SQLite's own integer arithmetic matches.
inline bool isIntegerClass(ast::TypeKind k) {
  return k == ast::TypeKind::Int || k == ast::TypeKind::BigInt || k == ast::TypeKind::Bit;
}

//! smallint and tinyint are int whose length is their width in bytes (int's is 0).
constexpr int kSmallIntBytes = 2;
constexpr int kTinyIntBytes = 1;

//! The runtime conversion that keeps an integer result of type `t` in its type's range
//! (8115 past it), as SQL Server's int, smallint and tinyint arithmetic does; nullptr
//! for other types, and for bigint where the database's own bigint arithmetic refuses
//! past its range (`ownBigintOverflow`: the server's; SQLite's goes on in floating point).
inline const char* integerRangeCheck(const ast::DataType& t, bool ownBigintOverflow) {
  if (t.kind == ast::TypeKind::BigInt) return ownBigintOverflow ? nullptr : "tsql_bigint";
  if (t.kind != ast::TypeKind::Int) return nullptr;
  return t.length == kSmallIntBytes  ? "tsql_smallint"
         : t.length == kTinyIntBytes ? "tsql_tinyint"
                                     : "tsql_int";
}

//! The check around SUM(x) whose result is `sumType`: SQL Server's SUM of int is an
//! int, refused past its range. SQLite's sum refuses past bigint's range by itself, the
//! server's sum of bigint is a numeric that would go on.
inline const char* sumRangeCheck(const ast::FunctionCallExpr& f, const ast::DataType& sumType,
                                 bool typedDatabase) {
  return f.name == "sum" && f.args.size() == 1 ? integerRangeCheck(sumType, !typedDatabase)
                                               : nullptr;
}

//! True when `e` reads one row as it is: no aggregate and no window of its query in it.
bool rowWise(const ast::Expr* e);
//! Appends the tables of `t`, a table or a join of tables alone; false at anything else
//! (a derived table, a function, APPLY ...).
bool leafTables(const ast::TableRef& t, std::vector<const ast::NamedTableRef*>& out);
//! Appends the column references of `e`, at any depth; false when it holds something
//! not looked into (a subquery, whose columns are its own to resolve, or a window).
bool collectColumns(const ast::Expr& e, std::vector<const ast::ColumnRefExpr*>& out);

//! The operand type that wins by T-SQL precedence; Unknown if either is unknown.
ast::DataType dominant(const ast::DataType& a, const ast::DataType& b);
//! Appends the operands of `e`'s top-level ANDs (`e` itself when it is none; may be null).
void splitConjuncts(const ast::Expr* e, std::vector<const ast::Expr*>& out);
//! What a TOP's ORDER BY key stands for inside its core, where the select list's names
//! and positions mean nothing: the item it names; nullptr for a position out of range.
const ast::Expr* topOrderKey(const ast::SelectCore& c, const ast::Expr& key);

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
