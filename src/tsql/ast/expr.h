// Expression nodes: literals, names, operators, function calls, CASE, CAST and the
// predicates. Names are kept as written (unquoted); comparison of names is the
// consumer's job (case-insensitive throughout the engine).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "tsql/ast/data_type.h"
#include "tsql/ast/node.h"

namespace tsql::ast {

struct Query;

struct Expr : Node {
  using Node::Node;
};
using ExprPtr = std::unique_ptr<Expr>;

enum class LiteralKind : std::uint8_t { Null, Integer, Number, String };

//! 12, 1.5, 'text', N'text', NULL. `text` holds the value (string unescaped,
//! number as written).
struct LiteralExpr : Expr {
  static constexpr NodeKind kKind = NodeKind::Literal;
  explicit LiteralExpr(SourcePos p) : Expr(kKind, p) {}
  LiteralKind literalKind = LiteralKind::Null;
  bool national = false;  //!< N'...'
  bool binary = false;    //!< 0x...: `text` is "0x" and the upper-case hex digits
  std::string text;
};

//! [schema.][table.]column; `parts` are unquoted, the last is the column.
struct ColumnRefExpr : Expr {
  static constexpr NodeKind kKind = NodeKind::ColumnRef;
  explicit ColumnRefExpr(SourcePos p) : Expr(kKind, p) {}
  std::vector<std::string> parts;
  const std::string& column() const { return parts.back(); }
  //! The table qualifier ("" when none).
  std::string qualifier() const { return parts.size() >= 2 ? parts[parts.size() - 2] : ""; }
};

//! @name (name kept lower-case, with the @).
struct VariableExpr : Expr {
  static constexpr NodeKind kKind = NodeKind::Variable;
  explicit VariableExpr(SourcePos p) : Expr(kKind, p) {}
  std::string name;
};

//! @@trancount, @@rowcount, @@error, @@identity (lower-case, with the @@).
struct SystemVariableExpr : Expr {
  static constexpr NodeKind kKind = NodeKind::SystemVariable;
  explicit SystemVariableExpr(SourcePos p) : Expr(kKind, p) {}
  std::string name;
};

//! :name, bound from the batch parameters (name without the colon, lower-case).
struct HostParameterExpr : Expr {
  static constexpr NodeKind kKind = NodeKind::HostParameter;
  explicit HostParameterExpr(SourcePos p) : Expr(kKind, p) {}
  std::string name;
};

enum class UnaryOp : std::uint8_t { Negate, Plus, Not, BitNot };

struct UnaryExpr : Expr {
  static constexpr NodeKind kKind = NodeKind::Unary;
  explicit UnaryExpr(SourcePos p) : Expr(kKind, p) {}
  UnaryOp op = UnaryOp::Negate;
  ExprPtr operand;
};

enum class BinaryOp : std::uint8_t {
  Add, Sub, Mul, Div, Mod, BitAnd, BitOr, BitXor, Eq, Ne, Lt, Le, Gt, Ge, And, Or,
};

struct BinaryExpr : Expr {
  static constexpr NodeKind kKind = NodeKind::Binary;
  explicit BinaryExpr(SourcePos p) : Expr(kKind, p) {}
  BinaryOp op = BinaryOp::Add;
  ExprPtr lhs;
  ExprPtr rhs;
};

//! One key of an ORDER BY (a query's, a window's or WITHIN GROUP's).
struct OrderItem {
  ExprPtr expr;
  bool descending = false;
};

enum class FrameBoundKind : std::uint8_t {
  UnboundedPreceding, Preceding, CurrentRow, Following, UnboundedFollowing
};

//! One end of a window frame: UNBOUNDED PRECEDING, n PRECEDING, CURRENT ROW ...
struct FrameBound {
  FrameBoundKind kind = FrameBoundKind::CurrentRow;
  ExprPtr offset;  //!< n of n PRECEDING / n FOLLOWING
};

//! OVER ( [PARTITION BY ...] [ORDER BY ...] [ROWS | RANGE frame] ).
struct WindowSpec {
  std::vector<ExprPtr> partitionBy;
  std::vector<OrderItem> orderBy;
  bool hasFrame = false;
  bool rows = false;  //!< ROWS; RANGE otherwise
  FrameBound start;
  FrameBound end;  //!< CURRENT ROW when the frame names only its start
};

//! name(args). `name` is lower-case without schema; count(*) has `star`.
struct FunctionCallExpr : Expr {
  static constexpr NodeKind kKind = NodeKind::FunctionCall;
  explicit FunctionCallExpr(SourcePos p) : Expr(kKind, p) {}
  std::string name;
  std::string schema;  //!< "dbo" for dbo.f(...): a user-defined function; "" for a built-in
  std::vector<ExprPtr> args;
  std::vector<bool> defaults;  //!< user-defined functions: args[i] was DEFAULT (a NULL in its place)
  bool distinct = false;
  bool star = false;
  std::unique_ptr<WindowSpec> over;  //!< a window function; null for a plain call
  std::vector<OrderItem> withinGroup;  //!< WITHIN GROUP (ORDER BY ...) of STRING_AGG
};

//! CAST(x AS type) and CONVERT(type, x [, style]).
struct CastExpr : Expr {
  static constexpr NodeKind kKind = NodeKind::Cast;
  explicit CastExpr(SourcePos p) : Expr(kKind, p) {}
  ExprPtr operand;
  DataType type;
  ExprPtr style;  //!< CONVERT's third argument, may be null
  bool tolerant = false;  //!< TRY_CAST / TRY_CONVERT: NULL where the value does not convert
};

struct WhenClause {
  ExprPtr when;
  ExprPtr then;
};

//! CASE [operand] WHEN .. THEN .. [ELSE ..] END.
struct CaseExpr : Expr {
  static constexpr NodeKind kKind = NodeKind::Case;
  explicit CaseExpr(SourcePos p) : Expr(kKind, p) {}
  ExprPtr operand;  //!< simple CASE; null for searched CASE
  std::vector<WhenClause> whens;
  ExprPtr elseExpr;
};

//! x [NOT] IN (list) or x [NOT] IN (subquery).
struct InExpr : Expr {
  static constexpr NodeKind kKind = NodeKind::In;
  explicit InExpr(SourcePos p) : Expr(kKind, p) {}
  ExprPtr operand;
  std::vector<ExprPtr> list;
  std::unique_ptr<Query> subquery;
  bool negated = false;
  ~InExpr() override;
};

//! EXISTS (subquery).
struct ExistsExpr : Expr {
  static constexpr NodeKind kKind = NodeKind::Exists;
  explicit ExistsExpr(SourcePos p) : Expr(kKind, p) {}
  std::unique_ptr<Query> subquery;
  ~ExistsExpr() override;
};

struct BetweenExpr : Expr {
  static constexpr NodeKind kKind = NodeKind::Between;
  explicit BetweenExpr(SourcePos p) : Expr(kKind, p) {}
  ExprPtr operand, low, high;
  bool negated = false;
};

struct LikeExpr : Expr {
  static constexpr NodeKind kKind = NodeKind::Like;
  explicit LikeExpr(SourcePos p) : Expr(kKind, p) {}
  ExprPtr operand, pattern, escape;
  bool negated = false;
};

//! x IS [NOT] NULL.
struct IsNullExpr : Expr {
  static constexpr NodeKind kKind = NodeKind::IsNull;
  explicit IsNullExpr(SourcePos p) : Expr(kKind, p) {}
  ExprPtr operand;
  bool negated = false;
};

//! (SELECT ...) used as a value.
struct SubqueryExpr : Expr {
  static constexpr NodeKind kKind = NodeKind::Subquery;
  explicit SubqueryExpr(SourcePos p) : Expr(kKind, p) {}
  std::unique_ptr<Query> query;
  ~SubqueryExpr() override;
};

//! x op ANY | SOME | ALL (subquery). `compare` is x op v, where v (the right side, a
//! column reference the translator resolves) is each value the subquery gives.
struct QuantifiedExpr : Expr {
  static constexpr NodeKind kKind = NodeKind::Quantified;
  explicit QuantifiedExpr(SourcePos p) : Expr(kKind, p) {}
  std::unique_ptr<BinaryExpr> compare;
  bool all = false;  //!< ALL; ANY and SOME otherwise
  std::unique_ptr<Query> subquery;
  ~QuantifiedExpr() override;
};

}  // namespace tsql::ast
