// Statements the interpreter runs itself, without SQL: IF, WHILE, RETURN, SET of a
// variable and PRINT. Each leaves @@ROWCOUNT as SQL Server does.
#include "tsql/exec/interpreter.h"

namespace tsql::exec {

// An IF over variables and constants alone is decided here (no round trip to the
// server). A WHILE always asks the database: a loop that never touched it could not be
// stopped by its caller's progress callback.
Interpreter::Flow Interpreter::execIf(const ast::IfStmt& s) {
  if (!backend_->refusesStatements())
    if (const std::optional<bool> known = localCondition(*s.cond)) {
      if (*known) return exec(*s.thenStmt);
      return s.elseStmt ? exec(*s.elseStmt) : Flow::Normal;
    }
  if (evaluateCondition(*s.cond, line(s))) return exec(*s.thenStmt);
  if (s.elseStmt) return exec(*s.elseStmt);
  return Flow::Normal;
}

Interpreter::Flow Interpreter::execWhile(const ast::WhileStmt& s) {
  while (evaluateCondition(*s.cond, line(s))) {
    Flow f = exec(*s.body);
    if (f == Flow::Break) break;
    if (f == Flow::Return || f == Flow::Goto) return f;
  }
  return Flow::Normal;
}

Interpreter::Flow Interpreter::execReturn(const ast::ReturnStmt& s) {
  returnValue_ = s.value ? evaluate(*s.value, line(s)) : SqlValue::integer(0);
  return Flow::Return;
}

void Interpreter::execSet(const ast::SetStmt& s) {
  const ast::DataType* type = variableType(s.var);
  SqlValue v = type ? evaluateAs(*s.value, *type, line(s)) : evaluate(*s.value, line(s));
  assign(s.var, v, line(s));
  rowCount_ = 1;  // a simple assignment counts as one row
}

void Interpreter::execPrint(const ast::PrintStmt& s) {
  result_->messages.push_back(evaluate(*s.value, line(s)).toText());
  rowCount_ = 0;
}

}  // namespace tsql::exec
