// Interpreter: runs parsed batches. Control flow, variables, transactions, TRY/CATCH,
// RAISERROR, RETURN and EXEC run here; each relational statement is translated and
// run on the connection's Backend (SQLite or the server). Error semantics are SQL Server's with
// XACT_ABORT off: inside TRY an error goes to CATCH; outside, it is reported and the
// batch goes on with the next statement. The engine's public face is tsql::Engine.
//
// Files: interpreter.cpp (batch, frames, statement dispatch, binding),
// exec_control.cpp (IF/WHILE/TRY/transactions/RAISERROR/PRINT), exec_data.cpp
// (SELECT/INSERT/UPDATE/DELETE/DECLARE/SET), exec_schema.cpp (DDL and the procedure
// store), exec_procedure.cpp (EXEC).
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "tsql/ast/stmt.h"
#include "tsql/batch_result.h"
#include "tsql/catalog/catalog.h"
#include "tsql/exec/backend.h"
#include "tsql/exec/sql_exception.h"
#include "tsql/exec/sql_value.h"
#include "tsql/translate/translation.h"

namespace tsql::exec {

class Interpreter final : public translate::TranslateEnv {
 public:
  //! Runs on `backend`; creates the procedure table when missing. Throws
  //! std::runtime_error when the database refuses it.
  explicit Interpreter(std::unique_ptr<Backend> backend);
  ~Interpreter() override;

  //! Parses and runs one batch.
  BatchResult run(std::string_view text, const Params& params);
  Backend& backend() const { return *backend_; }

  // TranslateEnv
  const ast::DataType* variableType(const std::string& name) const override;
  const std::string* tableVariable(const std::string& name) const override;
  ast::DataType hostParameterType(const std::string& name) const override;
  const std::vector<catalog::ColumnInfo>* columns(const std::string& object) override;
  bool isIdentity(const std::string& object, const std::string& column) override;
  const dialect::Dialect& dialect() const override { return backend_->dialect(); }

 private:
  struct Variable {
    ast::DataType type;
    SqlValue value;
    std::string tempTable;  //!< table variables: the temp table holding the rows
    std::string createSql;  //!< table variables: how to make the temp table again
    const ast::VarDecl* decl = nullptr;
  };
  struct Frame {
    std::unordered_map<std::string, Variable> vars;
    int depth = 0;
  };
  struct Procedure {
    std::string text;
    std::shared_ptr<ast::Batch> batch;
    const ast::CreateProcedureStmt* stmt = nullptr;
  };
  enum class Flow { Normal, Break, Continue, Return };

  // interpreter.cpp
  Flow execList(const ast::StmtList& list);
  Flow exec(const ast::Stmt& s);
  Flow dispatch(const ast::Stmt& s);
  void report(const SqlError& e);
  //! A cursor over the translation's SQL (prepared once per text by the backend).
  std::unique_ptr<Cursor> prepare(const translate::Translation& t);
  void bindSlots(Cursor& stmt, const translate::Translation& t, const std::vector<SqlValue>* row = nullptr);
  SqlValue slotValue(const translate::Slot& slot, const std::vector<SqlValue>* row) const;
  void runToEnd(Cursor& stmt);
  void execSql(const std::string& sql, int line);
  Variable& variable(const std::string& name, int line);
  void dropTableVariables(Frame& frame);
  int line(const ast::Node& n) const { return static_cast<int>(n.pos.line); }

  // exec_data.cpp
  //! The value of `e`; `type` (when given) receives its static type.
  SqlValue evaluate(const ast::Expr& e, int line, ast::DataType* type = nullptr);
  //! The value of `e` converted to `type` as assignment converts it.
  SqlValue evaluateAs(const ast::Expr& e, const ast::DataType& type, int line);
  bool evaluateCondition(const ast::Expr& e, int line);
  void assign(const std::string& name, const SqlValue& v, int line);
  void execSelect(const ast::SelectStmt& s);
  void execAssigningSelect(const ast::SelectStmt& s);
  void execModify(const translate::Translation& t, int line, bool insert);
  void execInsert(const ast::InsertStmt& s);
  //! Forgets what was learnt of tables and statement shapes (after DDL, frame changes).
  void forgetSchema();
  void execDeclare(const ast::DeclareStmt& s);
  void declareTable(const ast::VarDecl& v);

  // exec_control.cpp
  Flow execTryCatch(const ast::TryCatchStmt& s);
  void execBeginTran(const ast::Stmt& s);
  void execCommit(const ast::Stmt& s);
  void execRollback(const ast::Stmt& s);
  void execRaiserror(const ast::RaiserrorStmt& s);
  //! Runs `sql` (a ROLLBACK, whole or to a savepoint); table variables keep their rows.
  void rollbackKeepingTableVariables(int line, const std::string& sql = "ROLLBACK");

  // exec_savepoint.cpp
  void execSaveTran(const ast::SaveTranStmt& s);
  //! True when the ROLLBACK went to a savepoint (the transaction stays open).
  bool rollbackToSavepoint(const ast::RollbackStmt& s);
  void restoreTableVariable(const Variable& var, const std::vector<std::vector<SqlValue>>& rows, int line);

  // exec_schema.cpp
  void execCreateTable(const ast::CreateTableStmt& s);
  void execCreateView(const ast::CreateViewStmt& s);
  void execCreateIndex(const ast::CreateIndexStmt& s);
  void execDrop(const ast::DropStmt& s);
  void execCreateProcedure(const ast::CreateProcedureStmt& s);
  bool objectExists(const std::string& type, const std::string& name);
  //! Where the database keeps its own type names: the T-SQL ones of a new table.
  void recordTableTypes(const std::string& name, const ast::TableDef& def, bool temporary);
  std::optional<std::string> storedProcedureText(const std::string& name);
  const Procedure* loadProcedure(const std::string& name);

  // exec_procedure.cpp
  void execProcedureCall(const ast::ExecStmt& s);
  std::vector<const ast::ExecArg*> matchArguments(const ast::ExecStmt& s, const ast::CreateProcedureStmt& p);
  void bindParameters(const ast::ExecStmt& s, const ast::CreateProcedureStmt& p,
                      const std::vector<const ast::ExecArg*>& args, Frame& callee);

  std::unique_ptr<Backend> backend_;
  std::unordered_map<std::string, std::optional<std::vector<catalog::ColumnInfo>>> columnCache_;
  //! Translations of INSERT ... VALUES statements by shape; `valueOfSlot[k]` is the
  //! index of the value that parameter slot k stands for.
  struct InsertShape {
    translate::Translation translation;
    std::vector<std::size_t> valueOfSlot;
  };
  std::unordered_map<std::string, InsertShape> insertShapes_;
  std::unordered_map<std::string, Procedure> procedures_;
  std::vector<Frame*> frames_;  //!< innermost last
  const Params* params_ = nullptr;
  BatchResult* result_ = nullptr;
  std::vector<SqlError> caught_;  //!< errors of the CATCH blocks running, innermost last
  int tranCount_ = 0;
  std::string tranName_;                 //!< the outermost BEGIN TRAN's name
  std::vector<std::string> savepoints_;  //!< SAVE TRAN names of the open transaction, oldest first
  int tryDepth_ = 0;
  std::int64_t rowCount_ = 0;
  int lastError_ = 0;
  SqlValue returnValue_;
};

}  // namespace tsql::exec
