// Statement nodes: DML, declarations, control flow, transactions, errors, EXEC and
// DDL. A Batch is the parsed list of top-level statements of one text.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "tsql/ast/query.h"

namespace tsql::ast {

struct Stmt : Node {
  using Node::Node;
};
using StmtPtr = std::unique_ptr<Stmt>;
using StmtList = std::vector<StmtPtr>;

struct SelectStmt : Stmt {
  static constexpr NodeKind kKind = NodeKind::Select;
  explicit SelectStmt(SourcePos p) : Stmt(kKind, p) {}
  Query query;
};

//! OUTPUT items [INTO target [(cols)]] of an INSERT, UPDATE or DELETE: the rows it
//! wrote as inserted.col (the new values) and deleted.col (the old ones).
struct OutputClause {
  std::vector<SelectItem> items;
  std::string into;  //!< table or '@table variable'; "" when the rows go to the caller
  std::vector<std::string> intoColumns;
};

//! INSERT [INTO] target [(cols)] { VALUES (..),(..) | query | DEFAULT VALUES }.
struct InsertStmt : Stmt {
  static constexpr NodeKind kKind = NodeKind::Insert;
  explicit InsertStmt(SourcePos p) : Stmt(kKind, p) {}
  std::string table;  //!< '@name' for a table variable
  std::vector<std::string> columns;
  std::vector<std::vector<ExprPtr>> rows;  //!< VALUES rows
  std::unique_ptr<Query> query;            //!< INSERT ... SELECT
  bool defaultValues = false;
  std::shared_ptr<WithClause> with;  //!< WITH ... INSERT; null when none
  std::unique_ptr<OutputClause> output;
  StmtPtr exec;  //!< INSERT ... EXEC procedure: the rows of its result sets; null otherwise
};

struct Assignment {
  SourcePos pos;
  std::vector<std::string> target;  //!< column, or qualifier + column; or "@var"
  ExprPtr value;
};

//! WHERE CURRENT OF [GLOBAL] cursor: the row the cursor last fetched.
struct CurrentOf {
  std::string cursor;   //!< lower-case; "" when the statement has a WHERE of its own
  bool global = false;  //!< GLOBAL written: the connection's cursor, not a local one
  explicit operator bool() const { return !cursor.empty(); }
};

//! UPDATE target SET a = x, ... [FROM sources] [WHERE cond].
struct UpdateStmt : Stmt {
  static constexpr NodeKind kKind = NodeKind::Update;
  explicit UpdateStmt(SourcePos p) : Stmt(kKind, p) {}
  std::string target;  //!< table, table variable or alias from FROM
  std::vector<Assignment> sets;
  std::vector<TableRefPtr> from;
  ExprPtr where;
  CurrentOf currentOf;
  ExprPtr top;  //!< UPDATE TOP (n): at most n rows, null when not given
  std::shared_ptr<WithClause> with;  //!< WITH ... UPDATE; null when none
  std::unique_ptr<OutputClause> output;
};

//! DELETE [TOP (n)] [FROM] target [FROM sources] [WHERE cond | WHERE CURRENT OF c].
struct DeleteStmt : Stmt {
  static constexpr NodeKind kKind = NodeKind::Delete;
  explicit DeleteStmt(SourcePos p) : Stmt(kKind, p) {}
  std::string target;
  std::vector<TableRefPtr> from;
  ExprPtr where;
  CurrentOf currentOf;
  ExprPtr top;  //!< at most this many rows, null when not given
  std::shared_ptr<WithClause> with;  //!< WITH ... DELETE; null when none
  std::unique_ptr<OutputClause> output;
};

//! CHECK (expr), of a column or of the table.
struct CheckDef {
  std::string name;    //!< as written; "" when the constraint was not named
  std::string column;  //!< the column it was written with; "" at table level
  ExprPtr expr;
};

struct ColumnDef {
  SourcePos pos;
  std::string name;
  DataType type;
  bool identity = false;
  long long identitySeed = 1;
  long long identityStep = 1;
  bool notNull = false;
  bool primaryKey = false;
  bool unique = false;
  ExprPtr defaultValue;
  ExprPtr computed;        //!< name AS expr: the value is computed from the row; null otherwise
  std::string computedText;  //!< ... the expression as written
  bool persisted = false;    //!< ... PERSISTED
};

struct TableDef {
  std::vector<ColumnDef> columns;
  std::vector<std::string> primaryKey;  //!< table-level PRIMARY KEY (cols)
  std::vector<std::vector<std::string>> uniques;
  std::vector<CheckDef> checks;  //!< column and table CHECK constraints, in order
};

struct VarDecl {
  SourcePos pos;
  std::string name;  //!< lower-case with '@'
  DataType type;
  ExprPtr init;
  std::unique_ptr<TableDef> table;  //!< set for a table variable
};

//! DECLARE @a int [= x], @t TABLE (...), ...
struct DeclareStmt : Stmt {
  static constexpr NodeKind kKind = NodeKind::Declare;
  explicit DeclareStmt(SourcePos p) : Stmt(kKind, p) {}
  std::vector<VarDecl> vars;
};

//! SET @v = x (also += -= and friends, folded into `value`).
struct SetStmt : Stmt {
  static constexpr NodeKind kKind = NodeKind::Set;
  explicit SetStmt(SourcePos p) : Stmt(kKind, p) {}
  std::string var;
  ExprPtr value;
};

//! SET NOCOUNT ON and other session options; accepted and ignored.
struct SetOptionStmt : Stmt {
  static constexpr NodeKind kKind = NodeKind::SetOption;
  explicit SetOptionStmt(SourcePos p) : Stmt(kKind, p) {}
  std::string option;  //!< lower-case
  std::string value;   //!< ON, OFF, a number or a name as written ("" when none)
  std::string target;  //!< SET IDENTITY_INSERT: the table, as written
};

struct IfStmt : Stmt {
  static constexpr NodeKind kKind = NodeKind::If;
  explicit IfStmt(SourcePos p) : Stmt(kKind, p) {}
  ExprPtr cond;
  StmtPtr thenStmt;
  StmtPtr elseStmt;
};

struct BlockStmt : Stmt {
  static constexpr NodeKind kKind = NodeKind::Block;
  explicit BlockStmt(SourcePos p) : Stmt(kKind, p) {}
  StmtList body;
};

struct WhileStmt : Stmt {
  static constexpr NodeKind kKind = NodeKind::While;
  explicit WhileStmt(SourcePos p) : Stmt(kKind, p) {}
  ExprPtr cond;
  StmtPtr body;
};

struct BreakStmt : Stmt {
  static constexpr NodeKind kKind = NodeKind::Break;
  explicit BreakStmt(SourcePos p) : Stmt(kKind, p) {}
};

struct ContinueStmt : Stmt {
  static constexpr NodeKind kKind = NodeKind::Continue;
  explicit ContinueStmt(SourcePos p) : Stmt(kKind, p) {}
};

struct ReturnStmt : Stmt {
  static constexpr NodeKind kKind = NodeKind::Return;
  explicit ReturnStmt(SourcePos p) : Stmt(kKind, p) {}
  ExprPtr value;
};

struct BeginTranStmt : Stmt {
  static constexpr NodeKind kKind = NodeKind::BeginTran;
  explicit BeginTranStmt(SourcePos p) : Stmt(kKind, p) {}
  std::string name;  //!< the transaction's name, lower-case ("" when not named)
};

struct CommitStmt : Stmt {
  static constexpr NodeKind kKind = NodeKind::Commit;
  explicit CommitStmt(SourcePos p) : Stmt(kKind, p) {}
};

struct RollbackStmt : Stmt {
  static constexpr NodeKind kKind = NodeKind::Rollback;
  explicit RollbackStmt(SourcePos p) : Stmt(kKind, p) {}
  std::string name;  //!< a savepoint or the transaction's name, lower-case; "" = all
};

struct SaveTranStmt : Stmt {
  static constexpr NodeKind kKind = NodeKind::SaveTran;
  explicit SaveTranStmt(SourcePos p) : Stmt(kKind, p) {}
  std::string name;  //!< the savepoint, lower-case
};

struct TryCatchStmt : Stmt {
  static constexpr NodeKind kKind = NodeKind::TryCatch;
  explicit TryCatchStmt(SourcePos p) : Stmt(kKind, p) {}
  StmtList tryBody;
  StmtList catchBody;
};

//! RAISERROR(msg, severity, state [, args...]).
//! RAISERROR (msg, severity, state, args...) [WITH options], and THROW [number,
//! message, state] (`isThrow`; all three null when it rethrows the caught error).
struct RaiserrorStmt : Stmt {
  static constexpr NodeKind kKind = NodeKind::Raiserror;
  explicit RaiserrorStmt(SourcePos p) : Stmt(kKind, p) {}
  ExprPtr message, severity, state;
  std::vector<ExprPtr> args;
  bool isThrow = false;
  ExprPtr number;                    //!< THROW's error number
  std::vector<std::string> options;  //!< RAISERROR's WITH options, lower-case
};

struct PrintStmt : Stmt {
  static constexpr NodeKind kKind = NodeKind::Print;
  explicit PrintStmt(SourcePos p) : Stmt(kKind, p) {}
  ExprPtr value;
};

struct ExecArg {
  SourcePos pos;
  std::string name;  //!< "@param" for a named argument, "" for positional
  ExprPtr value;     //!< null means DEFAULT
  bool output = false;
};

//! EXEC [@ret =] proc args.
struct ExecStmt : Stmt {
  static constexpr NodeKind kKind = NodeKind::Exec;
  explicit ExecStmt(SourcePos p) : Stmt(kKind, p) {}
  std::string returnVar;
  std::string procedure;  //!< without schema, as written
  std::vector<ExecArg> args;
};

struct CreateTableStmt : Stmt {
  static constexpr NodeKind kKind = NodeKind::CreateTable;
  explicit CreateTableStmt(SourcePos p) : Stmt(kKind, p) {}
  std::string name;
  TableDef def;
};

struct ProcParam {
  SourcePos pos;
  std::string name;  //!< lower-case with '@'
  DataType type;
  ExprPtr defaultValue;
  bool output = false;
};

//! CREATE|ALTER PROC[EDURE] name params AS body. `text` is the whole statement's
//! source so the procedure can be stored and parsed again.
struct CreateProcedureStmt : Stmt {
  static constexpr NodeKind kKind = NodeKind::CreateProcedure;
  explicit CreateProcedureStmt(SourcePos p) : Stmt(kKind, p) {}
  bool alter = false;
  std::string name;
  std::vector<ProcParam> params;
  StmtList body;
  std::string text;
};

struct CreateViewStmt : Stmt {
  static constexpr NodeKind kKind = NodeKind::CreateView;
  explicit CreateViewStmt(SourcePos p) : Stmt(kKind, p) {}
  bool alter = false;
  std::string name;
  Query query;
  std::string text;  //!< the statement as written, made again when a function it reads changes
};

struct CreateIndexStmt : Stmt {
  static constexpr NodeKind kKind = NodeKind::CreateIndex;
  explicit CreateIndexStmt(SourcePos p) : Stmt(kKind, p) {}
  bool unique = false;
  std::string name;
  std::string table;
  std::vector<std::string> columns;
};

enum class ObjectType : std::uint8_t { Table, View, Procedure, Index, Sequence, Function };

struct DropStmt : Stmt {
  static constexpr NodeKind kKind = NodeKind::Drop;
  explicit DropStmt(SourcePos p) : Stmt(kKind, p) {}
  ObjectType objectType = ObjectType::Table;
  bool ifExists = false;
  std::string name;
  std::string onTable;  //!< DROP INDEX ix ON t
};

struct TruncateStmt : Stmt {
  static constexpr NodeKind kKind = NodeKind::Truncate;
  explicit TruncateStmt(SourcePos p) : Stmt(kKind, p) {}
  std::string table;
};

//! CREATE / ALTER SEQUENCE name [AS type] options. An option not written is unset;
//! CREATE fills the rest from the type (see SequenceSpec).
struct SequenceStmt : Stmt {
  static constexpr NodeKind kKind = NodeKind::Sequence;
  explicit SequenceStmt(SourcePos p) : Stmt(kKind, p) {}
  bool alter = false;
  std::string name;
  DataType type;  //!< Unknown when not written (bigint)
  std::optional<long long> start, increment, minValue, maxValue;
  bool noMinValue = false, noMaxValue = false;  //!< NO MINVALUE / NO MAXVALUE: the type's bound
  std::optional<bool> cycle;
  bool restart = false;  //!< ALTER ... RESTART [WITH start]
};

//! DBCC CHECKIDENT ('table' [, RESEED [, value]]).
struct CheckIdentStmt : Stmt {
  static constexpr NodeKind kKind = NodeKind::CheckIdent;
  explicit CheckIdentStmt(SourcePos p) : Stmt(kKind, p) {}
  std::string table;
  bool reseed = false;
  ExprPtr value;  //!< the new current value; null for RESEED without one
};

//! How a cursor sees the table's changes after OPEN; FORWARD_ONLY alone is Dynamic.
enum class CursorType : std::uint8_t { Dynamic, Static, Keyset, FastForward };

//! DECLARE name CURSOR [LOCAL | GLOBAL] [FORWARD_ONLY | SCROLL] [STATIC | KEYSET |
//! DYNAMIC | FAST_FORWARD] [READ_ONLY | SCROLL_LOCKS | OPTIMISTIC] FOR query
//! [FOR READ ONLY | FOR UPDATE [OF cols]], and DECLARE name [INSENSITIVE] [SCROLL]
//! CURSOR FOR query.
struct DeclareCursorStmt : Stmt {
  static constexpr NodeKind kKind = NodeKind::DeclareCursor;
  explicit DeclareCursorStmt(SourcePos p) : Stmt(kKind, p) {}
  std::string name;  //!< lower-case
  bool local = false;
  bool scroll = false;  //!< fetches other than NEXT allowed
  CursorType type = CursorType::Dynamic;
  bool typeWritten = false;  //!< STATIC, KEYSET, DYNAMIC or FAST_FORWARD written
  bool readOnly = false;
  Query query;
};

//! OPEN, CLOSE, DEALLOCATE and FETCH [direction FROM] [GLOBAL] name [INTO @a, ...].
struct CursorStmt : Stmt {
  static constexpr NodeKind kKind = NodeKind::CursorOp;
  explicit CursorStmt(SourcePos p) : Stmt(kKind, p) {}
  enum class Op : std::uint8_t { Open, Close, Deallocate, Fetch };
  enum class Direction : std::uint8_t { Next, Prior, First, Last, Absolute, Relative };
  Op op = Op::Open;
  std::string name;     //!< lower-case
  bool global = false;  //!< GLOBAL written: the connection's cursor, not a local one
  Direction direction = Direction::Next;
  ExprPtr offset;                 //!< ABSOLUTE / RELATIVE n
  std::vector<std::string> into;  //!< lower-case variable names
};

//! CREATE [OR ALTER] | ALTER FUNCTION name (params) RETURNS ... AS body: a scalar
//! function (`returns`, a body ending in RETURN value), an inline table-valued one
//! (RETURNS TABLE AS RETURN query) or a multi-statement one (RETURNS @t TABLE (...)
//! AS BEGIN ... RETURN END). `text` is the statement's source, stored and parsed again.
struct CreateFunctionStmt : Stmt {
  static constexpr NodeKind kKind = NodeKind::CreateFunction;
  explicit CreateFunctionStmt(SourcePos p) : Stmt(kKind, p) {}
  enum class Form : std::uint8_t { Scalar, InlineTable, MultiStatement };
  Form form = Form::Scalar;
  bool alter = false;    //!< ALTER FUNCTION: the function must exist
  bool orAlter = false;  //!< CREATE OR ALTER: made or replaced
  bool nullOnNullInput = false;  //!< WITH RETURNS NULL ON NULL INPUT: NULL, unrun, when an argument is
  std::string name;      //!< without its schema, as written
  std::vector<ProcParam> params;
  DataType returns;                     //!< a scalar function's type
  VarDecl result;                       //!< a multi-statement function's @t TABLE (...)
  StmtList body;                        //!< scalar and multi-statement functions
  std::unique_ptr<Query> query;         //!< an inline function's query
  std::string text;
  bool isTable() const { return form != Form::Scalar; }
};

//! A literal of the batch and the index of the token it was parsed from.
struct LiteralRef {
  std::size_t token = 0;
  LiteralExpr* node = nullptr;
};

//! A parsed batch: its top-level statements in order, and every literal parsed from
//! a literal token in token order (the plan cache gives them new values). The parser's
//! nodes are carved from `arena`, so the statements go before it, on destruction and
//! when another batch is moved in.
struct Batch {
  std::unique_ptr<TreeArena> arena;  //!< null for a batch not made by the parser
  StmtList statements;
  std::vector<LiteralRef> literals;

  Batch() = default;
  Batch(Batch&&) noexcept = default;
  Batch& operator=(Batch&& other) noexcept {
    if (this != &other) {
      literals.clear();
      statements.clear();
      statements = std::move(other.statements);
      literals = std::move(other.literals);
      arena = std::move(other.arena);
    }
    return *this;
  }
  ~Batch() {
    literals.clear();
    statements.clear();
  }
};

}  // namespace tsql::ast
