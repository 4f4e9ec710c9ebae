// Interpreter: runs parsed batches. Control flow, variables, transactions, TRY/CATCH,
// RAISERROR, RETURN and EXEC run here; each relational statement is translated and
// run on the connection's Backend (SQLite or the server). Error semantics are SQL Server's:
// inside TRY an error goes to CATCH; outside, it is reported and the batch goes on with
// the next statement (with XACT_ABORT ON it ends the batch). The engine's public face
// is tsql::Engine.
//
// Files: interpreter.cpp (batch, frames, statement dispatch, binding),
// exec_control.cpp (TRY/transactions), exec_errors.cpp (RAISERROR/THROW, messages,
// XACT_ABORT), exec_data.cpp (SELECT/INSERT/UPDATE/DELETE/DECLARE/SET), exec_schema.cpp
// (DDL and the procedure store), exec_procedure.cpp (EXEC), exec_dynamic.cpp (EXEC of a
// string, sp_executesql), exec_goto.cpp (GOTO), exec_identity.cpp and exec_sequence.cpp
// (numbering).
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_map>
#include <vector>

#include "tsql/ast/merge.h"
#include "tsql/ast/dynamic_stmt.h"
#include "tsql/ast/stmt.h"
#include "tsql/batch_result.h"
#include "tsql/catalog/catalog.h"
#include "tsql/exec/backend.h"
#include "tsql/exec/cursor_set.h"
#include "tsql/exec/plan_cache.h"
#include "tsql/exec/sql_exception.h"
#include "tsql/exec/sql_value.h"
#include "tsql/exec/temp_scope.h"
#include "tsql/exec/translation_memo.h"
#include "tsql/runtime/date_settings.h"
#include "tsql/runtime/message_format.h"
#include "tsql/statement_fault.h"
#include "tsql/translate/translation.h"

namespace tsql::translate {
struct MergePlan;
}  // namespace tsql::translate

namespace tsql::exec {

class Interpreter final : public translate::TranslateEnv {
 public:
  //! Runs on `backend`; creates the procedure table when missing. Throws
  //! std::runtime_error when the database refuses it.
  explicit Interpreter(std::unique_ptr<Backend> backend);
  ~Interpreter() override;

  //! Parses and runs one batch.
  BatchResult run(std::string_view text, const Params& params);
  //! See Engine::runTogether (exec_each_call.cpp).
  std::optional<std::vector<BatchResult>> runTogether(const std::vector<std::string>& texts, const Params& params);
  Backend& backend() const { return *backend_; }

  // exec_unit.cpp: the host's transaction across batches (see Engine)
  void beginUnit();
  std::string commitUnit();
  void rollbackUnit();
  bool unitOpen() const { return unitOpen_; }

  // TranslateEnv
  const ast::DataType* variableType(const std::string& name) const override;
  const std::string* tableVariable(const std::string& name) const override;
  std::string localTempTable(const std::string& name) const override;
  ast::DataType hostParameterType(const std::string& name) const override;
  const std::vector<catalog::ColumnInfo>* columns(const std::string& object) override;
  bool isIdentity(const std::string& object, const std::string& column) override;
  bool uniqueOn(const std::string& object, const std::vector<std::string>& columns) override {
    return backend_->uniqueOn(object, columns);
  }
  std::string identityColumn(const std::string& object) override;
  bool identityGivenByEngine(const std::string& object) override;
  const dialect::Dialect& dialect() const override { return backend_->dialect(); }
  const ast::CreateFunctionStmt* userFunction(const std::string& name) override;
  std::string functionResultTable(const ast::CreateFunctionStmt& f, std::size_t site) override;
  std::string functionValueTable(const ast::CreateFunctionStmt& f, std::size_t site) override;

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
    std::string procedure;  //!< the procedure running in the frame, "" for the batch
    SqlValue scopeIdentity;             //!< SCOPE_IDENTITY() once read
    bool scopeIdentityPending = false;  //!< the database holds a newer one
  };
  struct UserMessage {
    int severity;
    std::string text;
  };
  struct Procedure {
    std::string text;
    std::shared_ptr<ast::Batch> batch;
    std::shared_ptr<TranslationMemo> memo;  //!< translations of the body's statements
    const ast::CreateProcedureStmt* stmt = nullptr;
    std::uint64_t stamp = 0;  //!< the database's change stamp when `text` was read
  };
  enum class Flow { Normal, Break, Continue, Return, Goto };
  //! Procedures and dynamic batches calling one another, at most.
  static constexpr int kMaxNesting = 32;
  //! A called procedure's or dynamic batch's frame, pushed by the caller, while it runs.
  //! As it ends the caller's frame and memo are back first; then the frame's table
  //! variables, #tables and cursors end.
  struct CallScope {
    Interpreter& in;
    Frame& frame;
    TranslationMemo* callerMemo;
    ~CallScope() noexcept(false);
  };
  struct UserFunction {
    std::string text;
    std::shared_ptr<ast::Batch> batch;
    std::shared_ptr<TranslationMemo> memo;  //!< translations of the body's statements
    const ast::CreateFunctionStmt* stmt = nullptr;
  };
  //! What a batch may change that outlives it, as it was when the batch began.
  struct SessionState {
    runtime::DateSettings dates;
    int lastError;
    std::int64_t rowCount;
    SqlValue returnValue;
    int faultSeen;
    bool faultFired;
    CursorSet cursors;
  };

  // interpreter.cpp
  //! One run of the batch; throws RunBatchAgain when the backend gave its transaction up.
  BatchResult runAttempt(BatchPlan& plan, const Params& params);
  //! A batch's run begins: `top` its frame, no transaction level of its own, no TRY.
  void startAttempt(Frame& top, const Params& params, BatchResult& result);
  void endAttempt(Frame& top);
  //! The end of a batch that left its transaction open: rolled back and reported.
  void endOpenTransaction(bool batchAborted);
  //! The end of a batch run inside the host's unit: the unit stays open only when the
  //! batch gave back the one level it found.
  void endUnitBatch(bool batchAborted);
  SessionState sessionState() const;
  void restoreSession(const SessionState& s);
  //! Runs list[from...]; `entering`: list[from] holds the pending GOTO's label.
  Flow execList(const ast::StmtList& list, std::size_t from = 0, bool entering = false);
  Flow exec(const ast::Stmt& s);
  Flow execLocated(const ast::Stmt& s);
  Flow dispatch(const ast::Stmt& s);
  void report(const SqlError& e);
  //! Throws the armed fault when `s` is the statement it is set to fail.
  void countFaultableStatement(const ast::Stmt& s);
  //! A cursor over the translation's SQL (prepared once per text by the backend).
  std::unique_ptr<Cursor> prepare(const translate::Translation& t);
  //! Binds every slot; `variablesInPlace` when the statement cannot assign variables;
  //! the literal slots take the running batch's lifted literals from `firstLifted` on
  //! when it is one (KeptTranslation).
  void bindSlots(Cursor& stmt, const translate::Translation& t,
                 const std::vector<SqlValue>* row = nullptr, bool variablesInPlace = false,
                 std::size_t firstLifted = KeptTranslation::kInTree, int markerBase = 0);
  bool bindTextInPlace(Cursor& stmt, int index, const translate::Slot& slot,
                       bool variablesInPlace) const;
  //! Binds lifted literal `k` of the running batch's text to literal slot `slot`.
  void bindLifted(Cursor& stmt, int index, const translate::Slot& slot, std::size_t k);
  //! The value slot `slot` is bound to, converted as the statement reads it.
  SqlValue boundValue(const translate::Slot& slot, const std::vector<SqlValue>* row);
  SqlValue slotValue(const translate::Slot& slot, const std::vector<SqlValue>* row) const;
  static SqlValue literalValue(ast::LiteralKind kind, std::string_view text);
  void runToEnd(Cursor& stmt);
  //! Runs SQL text; unless told otherwise, what was learnt of the schema is forgotten.
  void execSql(const std::string& sql, int line, bool mayChangeSchema = true);
  Variable& variable(const std::string& name, int line);
  const Variable* findVariable(const std::string& name) const;
  ast::DataType parameterType(const std::string& name) const;
  //! Runs a statement without results through the statement cache.
  void runStatement(const std::string& sql, const std::vector<SqlValue>& args = {});
  int line(const ast::Node& n) const { return static_cast<int>(n.pos.line); }

  // exec_data.cpp
  //! The value of `e`; `type` (when given) receives its static type.
  SqlValue evaluate(const ast::Expr& e, int line, ast::DataType* type = nullptr);
  //! The value of `e` converted to `type` as assignment converts it.
  SqlValue evaluateAs(const ast::Expr& e, const ast::DataType& type, int line);
  bool evaluateCondition(const ast::Expr& e, int line);

  // exec_local_condition.cpp
  //! A variable's or constant's value, as an integer or as a text.
  struct LocalOperand {
    SqlValue value;
    bool integer;
  };
  std::optional<LocalOperand> localOperand(const ast::Expr& e) const;
  //! The condition decided without the database; nullopt when it must ask it.
  std::optional<bool> localCondition(const ast::Expr& e) const;
  void assign(const std::string& name, const SqlValue& v, int line);
  void execSelect(const ast::SelectStmt& s);
  //! The result columns of `stmt` from column `from` on, into `columns`; gives the types
  //! its values are read as (the translation's where the database knows none).
  std::vector<ast::DataType> describeColumns(Cursor& stmt, const translate::Translation& t, int from,
                                             std::vector<Column>& columns);
  static void typeUnknownColumns(ResultSet& rs);
  void execAssigningSelect(const ast::SelectStmt& s);
  void execModify(const translate::Translation& t, int line, bool insert,
                  std::int64_t valuesRows = 0, std::size_t firstLifted = KeptTranslation::kInTree);
  //! Forgets what was learnt of tables and statement shapes (after DDL, frame changes).
  void forgetSchema();
  void execDeclare(const ast::DeclareStmt& s);
  void execUpdate(const ast::UpdateStmt& s);
  void execDelete(const ast::DeleteStmt& s);
  void execTruncate(const ast::TruncateStmt& s);

  // exec_each_call.cpp
  std::optional<std::vector<BatchResult>> runCallsTogether(const std::vector<std::string>& texts);
  //! The rows of `query` for each argument list of `calls`, in statements of at most
  //! callsPerStatement lists; `columns` describes the body's own columns.
  bool readCallsTogether(const std::shared_ptr<ast::Batch>& body, const ast::SelectStmt& query,
                         const std::vector<std::string>& parameters,
                         const std::vector<std::vector<SqlValue>>& calls, std::vector<ResultSet>& sets);
  //! The translation of `query` (of the procedure `body` holds) for `calls` argument
  //! lists at once, or alone when `calls` is 0; null when it cannot run so.
  std::shared_ptr<const translate::Translation> togetherTranslation(const std::shared_ptr<ast::Batch>& body,
                                                                   const ast::SelectStmt& query,
                                                                   const std::vector<std::string>& parameters,
                                                                   std::size_t calls);

  // exec_goto.cpp: GOTO's label (gotoLabel_) is looked for in the lists it leaves
  //! The index of the statement of `list` that is or holds the label.
  std::optional<std::size_t> labelPosition(const ast::StmtList& list) const;
  //! Runs `s` from the label inside it on.
  Flow enterAtLabel(const ast::Stmt& s);

  // exec_dynamic.cpp
  void execString(const ast::ExecStringStmt& s);
  //! Runs sp_executesql; false for any other procedure.
  bool execExecuteSql(const ast::ExecStmt& s);
  //! A batch built at run time: parsed (or kept from an earlier run of the same text)
  //! and run in a scope of its own, which `bind` gives its parameters.
  void runDynamic(const std::string& text, int line, const std::function<void(Frame&)>& bind,
                  const std::function<void(Frame&)>& done);
  std::shared_ptr<BatchPlan> dynamicPlan(const std::string& text);
  std::vector<const ast::ExecArg*> matchDynamicArguments(const ast::ExecStmt& s, std::size_t first,
                                                         const std::vector<ast::ProcParam>& params);

  // exec_result_sets.cpp
  void execResultSets(const ast::ResultSetsStmt& s);
  void describeResultSet(ResultSet& set, const std::vector<ast::ResultSetsStmt::Column>& columns);

  // exec_flow.cpp
  Flow execIf(const ast::IfStmt& s);
  Flow execWhile(const ast::WhileStmt& s);
  Flow execReturn(const ast::ReturnStmt& s);
  void execSet(const ast::SetStmt& s);
  void execPrint(const ast::PrintStmt& s);

  // exec_table_variables.cpp
  void declareTable(const ast::VarDecl& v);
  //! Ends the frame's table variables; their emptied tables stay idle for reuse.
  void dropTableVariables(Frame& frame);
  bool emptyTableVariable(const Variable& v);
  void forgetIdleTableVariables();
  //! The temp table's name in the connection's temporary schema.
  std::string tempName(const std::string& table) const;

  // exec_memo.cpp
  //! A translation made by `make` and recorded with what it depends on.
  MemoEntry recordTranslation(
      const std::function<void(translate::SqlTranslator&, MemoEntry&)>& make);
  bool stillValid(const MemoEntry& e) const;
  //! The running tree's translation of `n`, made by `make` when none is still valid.
  std::shared_ptr<const translate::Translation> translation(
      const ast::Node& n,
      const std::function<translate::Translation(translate::SqlTranslator&)>& make);
  std::shared_ptr<const translate::AssignmentPlan> assignmentPlan(const ast::SelectStmt& s);
  std::shared_ptr<MemoEntry> insertEntry(const ast::InsertStmt& s);
  void execInsert(const ast::InsertStmt& s);
  //! Runs the one-row INSERTs from list[from] on as one statement where they share a
  //! kept shape: how many it ran, 0 when they run one by one.
  std::size_t execInsertRows(const ast::StmtList& list, std::size_t from);
  const std::string& rowsTogetherSql(MemoEntry& e, std::size_t power);
  std::size_t runApart(const ast::StmtList& list, std::size_t until);
  static void pointAtLiterals(translate::Translation& t, const std::vector<std::size_t>& valueOfSlot,
                              const ast::InsertStmt& s);
  //! The first of the statement's literals among the running batch's lifted ones,
  //! when they are bound from its text; else KeptTranslation::kInTree.
  std::uint32_t bindFromText(const ast::InsertStmt& s);
  //! Writes the running batch's values of the statement's literals into its tree.
  void writeLiftedValues(const ast::InsertStmt& s, std::uint32_t firstLifted);
  void noticeSchemaChanges();

  // exec_control.cpp
  Flow execTryCatch(const ast::TryCatchStmt& s);
  Flow execCatch(const ast::TryCatchStmt& s, const SqlError& error);
  void execBeginTran(const ast::Stmt& s);
  void execCommit(const ast::Stmt& s);
  void execRollback(const ast::Stmt& s);
  //! Runs `sql` (a ROLLBACK, whole or to a savepoint); table variables keep their rows.
  void rollbackKeepingTableVariables(int line, const std::string& sql = "ROLLBACK");

  // exec_errors.cpp
  void execRaiserror(const ast::RaiserrorStmt& s);
  void execThrow(const ast::RaiserrorStmt& s);
  //! The substitution arguments exprs[from...], the first being parameter `firstPosition`.
  std::vector<runtime::MessageArg> messageArgs(const std::vector<ast::ExprPtr>& exprs,
                                               std::size_t from, int firstPosition, int line);
  std::optional<UserMessage> userMessage(std::int64_t number);
  SqlValue formatMessage(const ast::FunctionCallExpr& call, int line);
  SqlValue errorInfo(const std::string& name) const;
  //! Runs sp_addmessage / sp_dropmessage; false for any other procedure.
  bool execSystemProcedure(const ast::ExecStmt& s);
  void addMessage(const std::vector<SqlValue>& args, int line);
  void dropMessage(std::int64_t number, int line);
  void noteCaught(const SqlException& e);
  //! True when `e`, outside TRY, ends the batch; notes whether that rolls back quietly.
  bool endsBatch(const SqlException& e);
  void refuseWriteWhenDoomed(const ast::Stmt& s);

  // exec_date_options.cpp
  //! SET DATEFORMAT / DATEFIRST / LANGUAGE: the session's date settings; others: nothing.
  void setDateOption(const ast::SetOptionStmt& s);

  // exec_savepoint.cpp
  void execSaveTran(const ast::SaveTranStmt& s);
  //! True when the ROLLBACK went to a savepoint (the transaction stays open).
  bool rollbackToSavepoint(const ast::RollbackStmt& s);
  void restoreTableVariable(const Variable& var, const std::vector<std::vector<SqlValue>>& rows,
                            int line);

  // exec_schema.cpp
  void execCreateTable(const ast::CreateTableStmt& s);
  void execCreateView(const ast::CreateViewStmt& s);
  //! Translates and makes view `s` (in place of the one there when `exists`).
  void defineView(const ast::CreateViewStmt& s, bool exists);
  // view_sources.cpp
  void keepViewSource(const ast::CreateViewStmt& s, const std::vector<std::string>& functions);
  void forgetViewSource(const std::string& name);
  std::vector<std::string> viewTextsReading(const std::string& function);
  void remakeViewsReading(const std::string& function, const std::vector<std::string>& before, int line);
  std::vector<std::string> viewsBeforeChange(const std::string& function, int line);
  void failViewsReading(const std::string& function, const std::vector<std::string>& before, int line);
  void failView(const std::string& name, const std::string& translated, const std::string& error);
  void keepUnboundViews();
  std::string unboundView(const std::string& name);
  void execCreateIndex(const ast::CreateIndexStmt& s);
  void execDrop(const ast::DropStmt& s);
  void execCreateProcedure(const ast::CreateProcedureStmt& s);
  bool objectExists(const std::string& type, const std::string& name);
  //! Where the database keeps its own type names: the T-SQL ones of a new table.
  void recordTableTypes(const std::string& name, const ast::TableDef& def, bool temporary);
  std::optional<std::string> storedProcedureText(const std::string& name);
  const Procedure* loadProcedure(const std::string& name);
  //! The stored key of a procedure name as a call writes it.
  const std::string& procedureKeyFor(const std::string& name);

  // exec_identity.cpp
  void setIdentityInsert(const ast::SetOptionStmt& s);
  void checkIdentityInsert(const translate::Translation& t, const ast::InsertStmt& s);
  void noteIdentityInsert(const translate::Translation& t);
  void noteRowsWritten(const std::string& table);
  SqlValue scopeIdentity() const;
  SqlValue sessionIdentity() const;
  void numberNewTable(const std::string& name, const ast::TableDef& def);
  void execCheckIdent(const ast::CheckIdentStmt& s);

  // exec_output.cpp
  void execOutput(const translate::Translation& t, const ast::OutputClause& o, int line,
                  const char* verb);
  void outputInto(const ast::OutputClause& o, const std::vector<std::vector<SqlValue>>& rows,
                  int line);

  // exec_merge.cpp
  void execMerge(const ast::MergeStmt& s);
  void execUpdateKeepingOld(const ast::UpdateStmt& s);
  //! Runs a MergePlan as one statement: all of it or, on an error, none.
  void runPlan(const translate::MergePlan& plan, const ast::OutputClause* output,
               const std::string& target, int at);
  std::int64_t runPlanSteps(const translate::MergePlan& plan, const ast::OutputClause* output,
                            const std::string& target, int at);
  std::int64_t runStep(Cursor& stmt, bool output, std::vector<std::vector<SqlValue>>& rows,
                       const char* verb);
  void planOutput(const ast::OutputClause& output, const translate::MergePlan& plan,
                  const std::vector<std::vector<SqlValue>>& rows, int at);

  // exec_select_into.cpp
  void execSelectInto(const ast::SelectStmt& s);
  ast::TableDef selectIntoTable(const ast::SelectStmt& s, Cursor& stmt,
                                const translate::Translation& t);
  void execInsertExec(const ast::InsertStmt& s);
  //! Writes `rows` into `table` (its `names` columns) through one bound INSERT.
  void insertRows(const std::string& table, const std::vector<std::string>& names,
                  const std::vector<std::vector<SqlValue>>& rows);

  // exec_cursor.cpp
  void execDeclareCursor(const ast::DeclareCursorStmt& s);
  void execCursorStatement(const ast::CursorStmt& s);
  void openCursor(DeclaredCursor& c, int line);
  void fetchCursor(DeclaredCursor& c, const ast::CursorStmt& s);
  std::int64_t fetchTarget(const DeclaredCursor& c, const ast::CursorStmt& s);
  std::vector<const ast::NamedTableRef*> writableTables(std::vector<const ast::NamedTableRef*> tables);
  SqlValue currentRowKey(const ast::CurrentOf& of, const std::string& table, int at);
  void keepMovedRowKeys(std::vector<std::vector<SqlValue>>& rows, std::size_t from);
  void execPositioned(const translate::Translation& t, const ast::CurrentOf& of,
                      const std::string& table, bool deleting, int at);

  // exec_temp_tables.cpp
  //! The table CREATE TABLE / SELECT INTO makes for `written`; throws 2714 when the
  //! scope already has one of that name.
  std::string newTableName(const std::string& written, int line);
  //! Drops the temporary tables the procedure at `depth` made.
  void endTempTables(int depth);
  //! OBJECT_ID('name'): an id for an existing table, view or procedure, else NULL.
  SqlValue objectId(const std::string& written) const;

  // exec_sequence.cpp
  void execSequence(const ast::SequenceStmt& s);
  void dropSequence(const ast::DropStmt& s);

  // exec_function.cpp
  void execCreateFunction(const ast::CreateFunctionStmt& s);
  void dropFunction(const ast::DropStmt& s);
  static std::string storedRoutineKind(const std::string& text);
  std::vector<SqlValue> functionArguments(const ast::CreateFunctionStmt& f,
                                          const std::vector<ast::ExprPtr>& args,
                                          const std::vector<bool>& defaults, int at);
  void runFunction(const std::string& name, std::vector<SqlValue> values,
                   const std::function<void(const ast::CreateFunctionStmt&)>& atEnd, int at);
  SqlValue callScalarFunction(const ast::FunctionCallExpr& call, int at);
  SqlValue scalarValue(const std::string& name, const ast::CreateFunctionStmt& f, std::vector<SqlValue> args,
                       int at);
  void fillFunctionTable(const translate::FunctionRun& run, int at);
  void fillFunctionValues(const translate::FunctionRun& run, const translate::Translation& t, int at);

  // exec_procedure.cpp
  void execProcedureCall(const ast::ExecStmt& s);
  std::vector<const ast::ExecArg*> matchArguments(const ast::ExecStmt& s,
                                                  const ast::CreateProcedureStmt& p);
  //! The value each parameter of `p` takes from `args` (matchArguments) or its default.
  std::vector<SqlValue> parameterValues(const ast::ExecStmt& s, const ast::CreateProcedureStmt& p,
                                        const std::vector<const ast::ExecArg*>& args);
  void bindParameters(const ast::ExecStmt& s, const ast::CreateProcedureStmt& p,
                      const std::vector<const ast::ExecArg*>& args, Frame& callee);
  std::unique_ptr<Frame> procedureFrame(const std::shared_ptr<ast::Batch>& batch,
                                        const ast::CreateProcedureStmt& p);
  void keepProcedureFrame(const std::shared_ptr<ast::Batch>& batch,
                          const ast::CreateProcedureStmt& p, std::unique_ptr<Frame> frame);

  std::unique_ptr<Backend> backend_;
  std::unordered_map<std::string, std::optional<std::vector<catalog::ColumnInfo>>> columnCache_;
  //! Translations of INSERT ... VALUES statements by shape, shared by their nodes.
  std::unordered_map<std::string, std::shared_ptr<MemoEntry>> insertShapes_;
  PlanCache plans_{64};
  TranslationMemo* memo_ = nullptr;                   //!< of the tree running (batch or procedure)
  std::vector<NameDependency>* recording_ = nullptr;  //!< of the translation being made
  std::uint64_t schemaGeneration_ = 1;                //!< raised by every schema change
  //! Raised by a batch that starts after another connection may have changed a function;
  //! only translations that read one depend on it.
  std::uint64_t functionGeneration_ = 1;
  std::uint64_t functionStamp_ = 0;         //!< the backend's change stamp when last raised
  bool memoReadsFunctions_ = false;         //!< some kept translation reads a function
  std::unordered_map<std::string, Procedure> procedures_;
  std::string lastProcedureName_, lastProcedureKey_;  //!< the last name procedureKeyFor met
  //! Frames of finished calls holding only their procedure's parameters, for its next call.
  struct SpareFrame {
    std::shared_ptr<ast::Batch> batch;  //!< keeps `procedure` where it is
    const ast::CreateProcedureStmt* procedure = nullptr;
    std::unique_ptr<Frame> frame;
  };
  std::vector<SpareFrame> spareFrames_;
  //! The last few translations of a procedure's query for many calls at once: a form
  //! that reads a look-up for every line asks the same again on its next fill.
  struct KeptTogether {
    std::shared_ptr<ast::Batch> body;  //!< keeps `query` where it is
    const ast::SelectStmt* query = nullptr;
    std::size_t calls = 0;
    std::shared_ptr<MemoEntry> entry;
  };
  std::vector<KeptTogether> together_;
  std::unordered_map<std::string, UserFunction> functions_;
  std::vector<std::shared_ptr<ast::Batch>> retiredFunctions_;  //!< older parses still pointed at
  std::unordered_map<std::string, std::string> functionTables_;  //!< call tables made: their CREATE
  TempScope tempScope_;  //!< the running procedures' own #tables
  CursorSet cursors_;    //!< declared cursors and @@FETCH_STATUS
  DeclaredCursor* positioned_ = nullptr;  //!< the cursor of the running positioned write
  SqlValue positionedKey_;                //!< the row key that write compares with
  std::size_t positionedTable_ = 0;       //!< the written table among the cursor's keyTables
  //! Emptied temp tables of ended table variables by name: the CREATE that made them.
  std::unordered_map<std::string, std::string> idleTables_;
  std::vector<Frame*> frames_;  //!< innermost last
  const Params* params_ = nullptr;
  std::unordered_map<std::string, std::size_t> paramIndex_;  // lower-case name -> params_ index
  void indexParams();
  const core::Value* findParam(const std::string& lowerName) const;
  BatchResult* result_ = nullptr;
  std::vector<SqlError> caught_;  //!< errors of the CATCH blocks running, innermost last
  int tranCount_ = 0;
  bool unitOpen_ = false;               //!< the host keeps a transaction open across batches
  runtime::DateSettings dateSettings_;  //!< SET DATEFORMAT/DATEFIRST/LANGUAGE, kept between batches
  std::string tranName_;                //!< the outermost BEGIN TRAN's name
  std::vector<std::string> savepoints_;  //!< SAVE TRAN names of the open transaction, oldest first
  int tryDepth_ = 0;
  bool xactAbort_ = false;  //!< SET XACT_ABORT, kept between batches
  bool doomed_ = false;     //!< the open transaction can only be rolled back
  bool quietRollback_ = false;  //!< the batch ended on an error that rolled its transaction back
  std::string identityInsert_;   //!< the table SET IDENTITY_INSERT is ON for ("" none)
  bool identityIssued_ = false;  //!< @@IDENTITY: an identity was issued in the session
  std::int64_t rowCount_ = 0;
  int lastError_ = 0;
  //! Statements before apartUntil_ of the list apartIn_ failed together: they run alone.
  const ast::StmtList* apartIn_ = nullptr;
  std::size_t apartUntil_ = 0;
  SqlValue returnValue_;
  std::string gotoLabel_;  //!< the label of the GOTO being followed (lower-case)
  //! Batches built at run time, by their exact text (a kept tree is never given other values).
  std::unordered_map<std::string, std::shared_ptr<BatchPlan>> dynamicPlans_;
  StatementFault* fault_ = nullptr;  //!< set for a batch the armed fault selects
};

}  // namespace tsql::exec
