// Statements that jump: EXEC of a batch built at run time, GOTO and the labels it
// goes to. The dynamic batch is parsed only when the statement runs.
#pragma once

#include <string>
#include <vector>

#include "tsql/ast/stmt.h"

namespace tsql::ast {

//! EXEC[UTE] ( part { '+' part } ), each part a string constant or a variable; the
//! parts are joined (a NULL one adds nothing) and run as a batch of its own.
struct ExecStringStmt : Stmt {
  static constexpr NodeKind kKind = NodeKind::ExecString;
  explicit ExecStringStmt(SourcePos p) : Stmt(kKind, p) {}
  std::vector<ExprPtr> parts;
};

//! GOTO label.
struct GotoStmt : Stmt {
  static constexpr NodeKind kKind = NodeKind::Goto;
  explicit GotoStmt(SourcePos p) : Stmt(kKind, p) {}
  std::string label;    //!< lower-case
  std::string written;  //!< as written, for messages
};

//! label: -- a place GOTO can go to; running it does nothing.
struct LabelStmt : Stmt {
  static constexpr NodeKind kKind = NodeKind::Label;
  explicit LabelStmt(SourcePos p) : Stmt(kKind, p) {}
  std::string label;    //!< lower-case
  std::string written;  //!< as written, for messages
};

}  // namespace tsql::ast
