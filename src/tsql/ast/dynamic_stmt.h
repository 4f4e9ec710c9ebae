// Statements that jump: EXEC of a batch built at run time, EXEC ... WITH RESULT SETS,
// GOTO and the labels it goes to. The dynamic batch is parsed only when it runs.
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

//! exec WITH RESULT SETS { UNDEFINED | NONE | ( ( column type [NULL | NOT NULL] {, ...} )
//! {, ( ... )} ) }: the result sets the EXEC sends, counted and renamed and converted to
//! the columns described.
struct ResultSetsStmt : Stmt {
  static constexpr NodeKind kKind = NodeKind::ResultSets;
  explicit ResultSetsStmt(SourcePos p) : Stmt(kKind, p) {}
  struct Column {
    std::string name;
    DataType type;
  };
  enum class Mode : std::uint8_t { Undefined, None, Described };
  StmtPtr exec;
  Mode mode = Mode::Undefined;
  std::vector<std::vector<Column>> sets;  //!< Described: each set's columns
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
