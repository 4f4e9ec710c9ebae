// Translation: SQLite SQL generated from one T-SQL statement, plus the list of
// parameter slots its numbered markers (?1, ?2 ...) stand for. Literals, variables
// and caller parameters all become slots, so statements of the same shape produce
// the same SQL text and share one prepared statement.
#pragma once

#include <stdexcept>
#include <string>
#include <unordered_map>
#include <vector>

#include "tsql/ast/data_type.h"
#include "tsql/ast/expr.h"
#include "tsql/catalog/catalog.h"
#include "tsql/dialect/dialect.h"
#include "tsql/errors/error_table.h"

namespace tsql::ast {
struct CreateFunctionStmt;
struct FunctionTableRef;
}  // namespace tsql::ast

namespace tsql::translate {

//! What one ?N marker is bound to.
struct Slot {
  enum class Kind : std::uint8_t {
    Literal,         //!< `literal`
    Variable,        //!< variable `name`
    HostParameter,   //!< caller parameter `name`
    SystemVariable,  //!< @@name
    ErrorInfo,       //!< error_message() and friends: `name` is the function
    RowValue,        //!< column `rowIndex` of the row being assigned (SELECT @v = ...)
    UserFunction,    //!< the value of user-defined function `call`, run by the interpreter
    CursorKey,       //!< the row key of the row WHERE CURRENT OF names
  };
  Kind kind = Kind::Literal;
  std::string name;
  const ast::LiteralExpr* literal = nullptr;
  const ast::FunctionCallExpr* call = nullptr;  //!< FORMATMESSAGE(...), dbo.f(...): the interpreter's
  int rowIndex = -1;
  ast::DataType convertTo;  //!< converted to this type before binding (Unknown = as is)
  ast::DataType convertFrom;  //!< the value's own type, where the conversion depends on it
  bool intoColumn = false;    //!< stored in a table column: text longer than convertTo is 8152
  bool trimBlanks = false;  //!< stored in a varchar column of a file that keeps no trailing blanks
};

//! A multi-statement table-valued function read in a FROM list: run by the
//! interpreter into `table` before the statement runs.
struct FunctionRun {
  const ast::FunctionTableRef* call = nullptr;
  std::string table;
  //! Or a scalar function the interpreter runs, called with columns of the statement's
  //! rows: `table` gets a row per distinct argument list that `argsSql` reads (its
  //! ?1, ?2 ... are the statement's slots argSlots[0], argSlots[1] ...) and the value.
  const ast::FunctionCallExpr* scalarCall = nullptr;
  std::string argsSql;
  std::vector<std::size_t> argSlots;
};

struct Translation {
  std::string sql;
  std::vector<FunctionRun> functionRuns;  //!< run in order before the statement
  std::vector<Slot> slots;               //!< slots[i] is ?(i+1)
  std::vector<ast::DataType> columnTypes;  //!< result column types (queries), Unknown when not known
  //! INSERT into a table with an identity column: the table, the column, and whether
  //! the statement writes that column itself (IDENTITY_INSERT must then be ON).
  std::string identityTable;
  std::string identityColumn;
  bool identityGiven = false;
  //! A cursor's query whose rows end with hidden columns: the row keys of these tables.
  std::vector<std::string> rowKeyTables;
  //! A positioned UPDATE that returns the row's new key (one row, one column).
  bool returnsRowKey = false;
};

//! A statement the translator refuses (undeclared variable, unknown table ...), with
//! SQL Server's error number.
class TranslateError : public std::runtime_error {
 public:
  TranslateError(int number, const std::string& message)
      : std::runtime_error(message), number_(number) {}
  //! Error `e` of the error table, its template filled in from `args`.
  explicit TranslateError(errors::Error e, std::initializer_list<std::string_view> args = {})
      : TranslateError(errors::number(e), errors::message(e, args)) {}
  int number() const { return number_; }

 private:
  int number_;
};

//! What the translator asks the interpreter about names.
class TranslateEnv {
 public:
  virtual ~TranslateEnv() = default;
  //! Declared type of a scalar variable ("@x", lower-case); nullptr when undeclared.
  virtual const ast::DataType* variableType(const std::string& name) const = 0;
  //! The temp table that holds a table variable; nullptr when undeclared.
  virtual const std::string* tableVariable(const std::string& name) const = 0;
  //! The table a local temporary name (#name, normalized) stands for here: a running
  //! procedure's own table of that name, else the name itself.
  virtual std::string localTempTable(const std::string& name) const { return name; }
  //! Type of a caller parameter (from its bound value); Unknown when not bound.
  virtual ast::DataType hostParameterType(const std::string& name) const = 0;
  //! Columns of a table, view or temp table (name already resolved); nullptr if none.
  virtual const std::vector<catalog::ColumnInfo>* columns(const std::string& object) = 0;
  //! True when the column is the table's identity (filled in by the database).
  virtual bool isIdentity(const std::string& object, const std::string& column) = 0;
  //! True when equal values in `columns` (lower-case names) of `object` pick at most one
  //! row (its primary key or a unique index is among them); false when not known.
  virtual bool uniqueOn(const std::string& object, const std::vector<std::string>& columns) {
    (void)object;
    (void)columns;
    return false;
  }
  //! The identity column of `object` ("" when it has none).
  virtual std::string identityColumn(const std::string& object) {
    if (const auto* cols = columns(object))
      for (const auto& c : *cols)
        if (isIdentity(object, c.name)) return c.name;
    return {};
  }
  //! True when an INSERT gives the identity column of `object` its number itself,
  //! through tsql_identity_next (the database cannot number it as declared).
  virtual bool identityGivenByEngine(const std::string& object) {
    (void)object;
    return false;
  }
  //! The user-defined function `name` (lower-case, schema dropped); nullptr when there
  //! is none. The definition stays valid while the translation is used.
  virtual const ast::CreateFunctionStmt* userFunction(const std::string& name) {
    (void)name;
    return nullptr;
  }
  //! The table the rows of multi-statement function `f` go to for its `site`-th call
  //! in one statement (made when missing); its SQL name.
  virtual std::string functionResultTable(const ast::CreateFunctionStmt& f, std::size_t site) {
    (void)f;
    (void)site;
    throw std::logic_error("no function tables here");
  }
  //! The table of values of scalar function `f` for its `site`-th call in one
  //! statement with row columns as arguments: a1 ... an (exact text) and v; its SQL name.
  virtual std::string functionValueTable(const ast::CreateFunctionStmt& f, std::size_t site) {
    (void)f;
    (void)site;
    throw std::logic_error("no function tables here");
  }
  //! How the database spells what differs between backends.
  virtual const dialect::Dialect& dialect() const { return dialect::sqliteDialect(); }
  //! The T-SQL `expression` of a computed column that every read computes, parsed, its
  //! columns named by `qualifier`; kept while the environment lives (translations may
  //! point into it). Throws SyntaxError (translate_computed_on_read.cpp).
  const ast::Expr& computedOnRead(const std::string& expression, const std::string& qualifier);

 private:
  std::unordered_map<std::string, ast::ExprPtr> computedOnRead_;
};

}  // namespace tsql::translate
