// Query nodes: SELECT cores joined by UNION / INTERSECT / EXCEPT, their select lists, FROM sources
// (named tables, table variables, derived tables, joins) and ORDER BY.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "tsql/ast/expr.h"

namespace tsql::ast {

struct TableRef : Node {
  using Node::Node;
  std::string alias;  //!< "" when none
};
using TableRefPtr = std::unique_ptr<TableRef>;

//! A table, view or table variable by name; `dbo.` is dropped by the parser.
struct NamedTableRef : TableRef {
  static constexpr NodeKind kKind = NodeKind::NamedTable;
  explicit NamedTableRef(SourcePos p) : TableRef(kKind, p) {}
  std::string name;  //!< as written; a table variable keeps its '@' (lower-case)
  bool isVariable() const { return !name.empty() && name[0] == '@'; }
};

//! (SELECT ...) alias.
struct DerivedTableRef : TableRef {
  static constexpr NodeKind kKind = NodeKind::DerivedTable;
  explicit DerivedTableRef(SourcePos p) : TableRef(kKind, p) {}
  std::unique_ptr<Query> query;
  ~DerivedTableRef() override;
};

//! CROSS APPLY and OUTER APPLY: a join whose right side reads the left side's row.
enum class JoinType : std::uint8_t { Inner, Left, Right, Full, Cross, CrossApply, OuterApply };

struct JoinedTableRef : TableRef {
  static constexpr NodeKind kKind = NodeKind::JoinedTable;
  explicit JoinedTableRef(SourcePos p) : TableRef(kKind, p) {}
  JoinType type = JoinType::Inner;
  TableRefPtr left;
  TableRefPtr right;
  ExprPtr on;
};

//! A table-valued function: OPENJSON(json [, path]) [WITH (...)] or STRING_SPLIT(text,
//! sep [, enable_ordinal]). The runtime's function gives `functionColumns`; the source
//! shows `columns`, each the value of `values[i]` read over the function's columns
//! (OPENJSON's WITH column: CAST(JSON_VALUE(value, 'path') AS type)).
struct FunctionTableRef : TableRef {
  static constexpr NodeKind kKind = NodeKind::FunctionTable;
  explicit FunctionTableRef(SourcePos p) : TableRef(kKind, p) {}
  std::string name;  //!< "openjson" or "string_split"; a user-defined function's name
  bool user = false;  //!< dbo.f(...): a user-defined table-valued function
  std::string written;  //!< a user-defined function's name as written (errors name it so)
  std::vector<ExprPtr> args;
  std::vector<bool> defaults;  //!< user-defined functions: args[i] was DEFAULT (a NULL in its place)
  bool withSchema = false;  //!< OPENJSON ... WITH: rows are elements (an object is one row), values as JSON
  std::vector<std::string> functionColumns;
  std::vector<std::string> columns;
  std::vector<ExprPtr> values;
};

//! source PIVOT (agg(value) FOR pivot IN ([a], ...)) alias: one row per value of the
//! source's other columns, a column per name holding the aggregate of the rows whose
//! pivot column equals it; or source UNPIVOT (value FOR pivot IN (c1, ...)) alias: a
//! row per named column that is not NULL, its name in `pivotColumn`, its value in
//! `valueColumn`.
struct PivotTableRef : TableRef {
  static constexpr NodeKind kKind = NodeKind::PivotTable;
  explicit PivotTableRef(SourcePos p) : TableRef(kKind, p) {}
  bool unpivot = false;
  TableRefPtr source;
  std::string valueColumn;  //!< PIVOT: the column aggregated; UNPIVOT: the new value column
  std::string pivotColumn;  //!< PIVOT: the column read for names; UNPIVOT: the new name column
  std::vector<std::string> names;  //!< the IN list as written
  //! PIVOT: per name, agg(CASE WHEN pivot = N'name' THEN value END) over the source; and
  //! where every name is an integer, the same with the names as integers (for an
  //! integer pivot column, which then keeps its index). Literals live in the AST, which
  //! the statement's bound values point into. `textCells` compare rtrim(pivot) for a
  //! text pivot column, which may be computed and carry trailing blanks.
  std::vector<ExprPtr> cells;
  std::vector<ExprPtr> integerCells;
  std::vector<ExprPtr> textCells;
};

//! One entry of a select list: expr [AS alias], @var = expr, * or t.*.
struct SelectItem {
  SourcePos pos;
  ExprPtr expr;           //!< null for a star
  std::string alias;      //!< "" when none
  std::string assignTo;   //!< "@var" for an assignment, "" otherwise
  bool star = false;
  std::string starQualifier;  //!< "t" for t.*
};

struct SelectCore {
  SourcePos pos;
  bool distinct = false;
  ExprPtr top;
  bool topPercent = false;
  bool topWithTies = false;  //!< TOP ... WITH TIES: rows tied with the last one come too
  std::vector<SelectItem> items;
  std::string into;  //!< SELECT ... INTO new_table: the table made from the rows; "" when none
  std::vector<TableRefPtr> from;  //!< comma-separated sources (each may be a join tree)
  ExprPtr where;
  std::vector<ExprPtr> groupBy;
  //! GROUP BY ROLLUP / CUBE / GROUPING SETS: the sets of `groupBy` indexes the core is
  //! the UNION ALL of, one grouping each; empty for a plain GROUP BY.
  std::vector<std::vector<std::size_t>> groupingSets;
  ExprPtr having;
};

enum class SetOp : std::uint8_t { Union, UnionAll, Intersect, Except };

//! name [(columns)] AS (query), one common table expression of a WITH.
struct CommonTableExpr {
  SourcePos pos;
  std::string name;
  std::vector<std::string> columns;  //!< empty: the query's own column names
  std::shared_ptr<Query> query;
};

//! WITH cte {, cte} before a statement, and the statement's OPTION (MAXRECURSION n).
struct WithClause {
  std::vector<CommonTableExpr> ctes;
  ExprPtr maxRecursion;  //!< null: SQL Server's default of 100
};

//! FOR JSON PATH | AUTO [, ROOT[('name')]] [, INCLUDE_NULL_VALUES] [, WITHOUT_ARRAY_WRAPPER].
struct ForJson {
  bool path = true;  //!< PATH: dotted names nest objects; AUTO: names as they are
  std::string root;  //!< "" without ROOT
  bool includeNulls = false;
  bool withoutArrayWrapper = false;
};

//! core { (UNION [ALL] | INTERSECT | EXCEPT) core } [ORDER BY ...] [FOR JSON ...].
struct Query {
  std::vector<SelectCore> cores;
  std::vector<SetOp> setOps;  //!< setOps[i] joins cores[i] and cores[i+1]
  std::vector<OrderItem> orderBy;
  ExprPtr offset;  //!< ORDER BY ... OFFSET n ROWS; null when not given
  ExprPtr fetch;   //!< FETCH NEXT n ROWS ONLY; null when not given
  std::shared_ptr<WithClause> with;  //!< a SELECT statement's WITH and OPTION; null otherwise
  std::shared_ptr<ForJson> forJson;  //!< null without FOR JSON
};

}  // namespace tsql::ast
