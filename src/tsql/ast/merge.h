// MERGE: a target table joined with a source, and the WHEN clauses that say what
// becomes of each target row that meets a source row, each source row that meets
// none, and each target row no source row meets.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "tsql/ast/stmt.h"

namespace tsql::ast {

enum class MergeMatch : std::uint8_t { Matched, NotMatchedByTarget, NotMatchedBySource };
enum class MergeAction : std::uint8_t { Update, Delete, Insert };

//! WHEN [NOT] MATCHED [BY TARGET | BY SOURCE] [AND condition] THEN action.
struct MergeClause {
  SourcePos pos;
  MergeMatch match = MergeMatch::Matched;
  ExprPtr condition;  //!< null when the clause has none
  MergeAction action = MergeAction::Update;
  std::vector<Assignment> sets;      //!< UPDATE SET ...
  std::vector<std::string> columns;  //!< INSERT (columns); empty: all but the identity
  std::vector<ExprPtr> values;       //!< INSERT ... VALUES (...)
  bool defaultValues = false;        //!< INSERT DEFAULT VALUES
};

//! [WITH ctes] MERGE [TOP (n)] [INTO] target [[AS] alias] USING source ON condition
//! clauses [OUTPUT ...] ';'. A VALUES source is held as the UNION ALL of its rows; the
//! source may be a join of several tables.
struct MergeStmt : Stmt {
  static constexpr NodeKind kKind = NodeKind::Merge;
  explicit MergeStmt(SourcePos p) : Stmt(kKind, p) {}
  ExprPtr top;         //!< at most this many rows acted on; null when not given
  std::string target;  //!< table, '#temp' or '@table variable'
  std::string alias;   //!< "" when not given (the target's own name then)
  TableRefPtr source;
  ExprPtr on;
  std::vector<MergeClause> clauses;
  std::unique_ptr<OutputClause> output;
  std::shared_ptr<WithClause> with;  //!< the common table expressions the source may read
};

}  // namespace tsql::ast
