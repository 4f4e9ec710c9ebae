// SqlTranslator: T-SQL AST -> SQLite SQL with T-SQL meaning. The surprises live here:
//  - `+` is decided from operand types where they are known (catalog columns,
//    declared variables, literals): text || text, number + number, text converted to
//    the number's type; only where a type is unknown does it call tsql_add at run time;
//  - division goes through tsql_div (integer division truncates, zero is an error);
//  - values stored into money / bit / datetime columns are converted (money rounds
//    to four decimals), literals and variables in C++ at bind time, the rest by the
//    runtime's tsql_* conversion functions;
//  - text operands that are not columns get the tsql_ci collation in comparisons;
//  - UPDATE/DELETE with FROM are rewritten as a keyed subquery over the target's
//    rowid, so LEFT/RIGHT joins and aliases mean what SQL Server means.
// One translator per statement; it is cheap to make.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "tsql/ast/merge.h"
#include "tsql/ast/stmt.h"
#include "tsql/translate/translation.h"
#include "tsql/translate/type_memo.h"

namespace tsql::translate {

//! The pieces of a SELECT that assigns variables: the driving query computes every
//! part that does not read an assigned variable; each item's `step` statement then
//! computes the new value per row from those parts (RowValue slots) and the current
//! variable values, so `@s = @s + x` accumulates row by row.
struct AssignmentPlan {
  Translation driver;
  struct Item {
    std::string variable;
    Translation step;  //!< "SELECT <expr>"; empty sql when `column` holds the value
    int column = -1;   //!< driver column that is the value itself
  };
  std::vector<Item> items;
};

//! A MERGE as statements run in order inside one savepoint: the plan table is made and
//! filled with the rows to act on (the target row's key, the clause that acts, the
//! source row and, for OUTPUT, the target row as it was); `rowTwice` finds a target
//! row two source rows would change; then each clause's UPDATE or DELETE, and last its
//! INSERT, read their rows from the plan.
struct MergePlan {
  std::string table;   //!< the plan table, in the temporary schema
  std::string create;  //!< CREATE TEMP TABLE of the plan
  Translation fill;
  std::string rowTwice;  //!< "" when no WHEN MATCHED clause updates or deletes
  struct Step {
    Translation t;
    bool insert = false;
    //! Set when the step runs once per plan row (an INSERT whose OUTPUT reads the
    //! source): the query of those rows' numbers, each bound as RowValue 0.
    std::string perRow;
  };
  std::vector<Step> steps;
  std::vector<ast::DataType> outputTypes;  //!< of the OUTPUT list
  std::vector<std::string> outputNames;
};

//! What a local variable of a function body written inline holds at some point: an
//! expression read with the values the variables had where it stood (no expression:
//! NULL), or, for a value chosen by IF, a choice between two such.
struct SymbolicValue;
using SymbolicEnv = std::map<std::string, std::shared_ptr<const SymbolicValue>>;
struct SymbolicValue {
  const ast::Expr* expr = nullptr;
  std::shared_ptr<const SymbolicEnv> env;
  ast::DataType type;               //!< converted to it, as assignment converts
  const ast::Expr* cond = nullptr;  //!< a choice: CASE WHEN cond THEN then ELSE otherwise END
  std::shared_ptr<const SymbolicValue> then, otherwise;
};

//! True when computed column `c` is computed by every read rather than stored: not
//! PERSISTED, and its value changes from read to read (GETDATE, NEWID, RAND ...).
bool computedOnRead(const ast::ColumnDef& c);

class SqlTranslator {
 public:
  //! `inlineLiterals` writes literals into the SQL (DDL: views and defaults).
  explicit SqlTranslator(TranslateEnv& env, bool inlineLiterals = false)
      : env_(env), inlineLiterals_(inlineLiterals) {}

  //! A query; `targetTypes` converts each output column for INSERT ... SELECT.
  Translation query(const ast::Query& q, const std::vector<ast::DataType>* targetTypes = nullptr);
  //! A procedure's one query run for `calls` argument lists at once (see
  //! translate_each_call.cpp): rows of (the call's ordinal, then one value per name of
  //! `parameters`) take the place of those variables. Its first column is the ordinal,
  //! the query's follow, in no order. Its markers are the slots' and the rows' values,
  //! row after row: on a database with LATERAL joins the slots' come first, elsewhere the
  //! rows' (rowMarkersFirst). nullopt when the database cannot run the query so.
  std::optional<Translation> queryForEachCall(const ast::Query& q, const std::vector<std::string>& parameters,
                                              std::size_t calls);
  //! The most calls one queryForEachCall statement takes for a procedure of `parameters`
  //! parameters (the databases bound the markers of one statement).
  static std::size_t callsPerStatement(std::size_t parameters);
  static bool rowMarkersFirst(const dialect::Dialect& d) { return !d.lateralJoins; }
  //! A one-row INSERT ... VALUES translation's text (its `markers` markers all in the
  //! row, ?1 to ?k in order) written for `rows` rows: the row repeated with plain
  //! markers, so row r's i-th value is marker r * k + i. Empty when the text is not so.
  static std::string repeatedValuesRow(const std::string& oneRow, std::size_t markers, std::size_t rows);
  //! A cursor's query whose rows end with the row keys of the `keyed` tables, those of
  //! cursorTables the cursor may write (see Translation::rowKeyTables).
  Translation cursorQuery(const ast::Query& q, const std::vector<const ast::NamedTableRef*>& keyed);
  //! The tables a cursor over `q` can write through WHERE CURRENT OF; none when the query
  //! reads no tables row for row (grouping, DISTINCT, UNION, derived tables ...).
  static std::vector<const ast::NamedTableRef*> cursorTables(const ast::Query& q);
  //! The lower-case name a query reads table `n` (named `sqlName` in the database) by.
  static std::string tableAlias(const ast::NamedTableRef& n, const std::string& sqlName);
  //! "SELECT <expr>".
  Translation scalar(const ast::Expr& e);
  //! A constant's type as any statement reads it (12.345 is decimal(5,3)).
  static ast::DataType literalType(const ast::LiteralExpr& l);
  //! "SELECT CASE WHEN <cond> THEN 1 ELSE 0 END".
  Translation condition(const ast::Expr& e);
  //! A SELECT whose items assign variables.
  AssignmentPlan assignment(const ast::Query& q);
  Translation insert(const ast::InsertStmt& s);
  //! The identity column of `table` (sqlName) for an INSERT naming `names` ("" when
  //! the table has none); an engine-numbered one not named gets `nextIdentity` set.
  //! Appends the RETURNING list of `o` over the target's `cols`; its types into `types`.
  void emitReturning(const ast::OutputClause& o, const std::vector<catalog::ColumnInfo>& cols,
                     const std::string& rowName, bool update, std::vector<ast::DataType>& types);
  void emitReturningColumn(const ast::ColumnRefExpr& c);
  void emitInsertRows(const ast::InsertStmt& s, const std::vector<std::string>& names,
                      const std::vector<ast::DataType>& types, const std::string& identity,
                      const std::string& next);
  std::string insertIdentity(const std::string& sqlName, const std::vector<std::string>& names,
                             bool& given, std::string& nextIdentity);
  Translation update(const ast::UpdateStmt& s);
  Translation remove(const ast::DeleteStmt& s);
  MergePlan merge(const ast::MergeStmt& s);
  //! UPDATE ... OUTPUT reading deleted.col: the rows to change and their old values
  //! go to a plan table first; the plan's one step is the UPDATE.
  MergePlan updateKeepingOld(const ast::UpdateStmt& s);
  //! CREATE TABLE for a table or a table variable's temp table.
  std::string createTable(const std::string& sqlName, const ast::TableDef& def, bool temp);
  //! The type of computed column `c` of `def`.
  ast::DataType computedColumnType(const ast::TableDef& def, const ast::ColumnDef& c);
  //! ", CONSTRAINT name CHECK (condition)" for each CHECK of `def`.
  std::string checkConstraints(const std::string& sqlName, const ast::TableDef& def);
  //! CREATE VIEW; fills `columns` with the view's column names and types.
  std::string createView(const ast::CreateViewStmt& s, std::vector<catalog::ColumnInfo>& columns);

  //! SQL name of a table or table variable as written in T-SQL ("@t" -> temp table).
  std::string tableSqlName(const std::string& name) const;
  //! The user functions the translations so far read (as the catalog keys names), each once.
  const std::vector<std::string>& functionsRead() const { return functionsRead_; }

 private:
  struct Scope;
  struct GroupingSet;
  struct ApplyJoin;
  //! A call of a user function being written inline: its function and the argument
  //! expression of each parameter (a left-out one's default).
  struct InlineCall {
    const ast::CreateFunctionStmt* fn = nullptr;
    std::shared_ptr<const SymbolicEnv> env;  //!< the body's variables where it is being read
    std::vector<const ast::Expr*> args;  //!< per parameter
    Scope* callerScope = nullptr;        //!< where the arguments are read
    std::size_t depth = 0;               //!< inlining_ entries below it (the caller's)
    std::shared_ptr<Scope> keptScope;    //!< a copy `callerScope` points to, where it must outlive the FROM
  };
  struct Source {
    std::string alias;  //!< lower-case name the query uses for it
    std::vector<catalog::ColumnInfo> columns;
    //! A derived table joined in flat: column i is items[i], resolved in `inner`.
    std::vector<const ast::Expr*> items;
    std::shared_ptr<Scope> inner;
  };
  //! A call whose values are worked out before the statement (functionRuns_[site]):
  //! its arguments' SQL, and the sources and conditions of the subqueries it sits in,
  //! joined to the enclosing core's FROM when its argument lists are read.
  struct RowCall {
    std::size_t site = 0;
    std::string args;
    std::string joined;  //!< ", <FROM items>" of each subquery between, outermost first
    std::string filter;  //!< their WHERE conditions, ANDed
    std::string shownName;
    bool readsOuter = false;  //!< its arguments read an enclosing query's columns
  };
  struct Scope {
    std::vector<Source> sources;
    Scope* outer = nullptr;
    std::uint64_t id = nextScopeId();  //!< keys the type memo; never reused
    const GroupingSet* grouping = nullptr;  //!< while its select list or HAVING is written
    //! The inner scope of an applied table read column by column: column i is this SQL.
    std::vector<std::string> sqlItems;
    //! A query core's FROM as written, and its calls of functions the interpreter runs
    //! with row columns as arguments.
    std::optional<std::string> fromSql;
    std::string rowFilter;  //!< its WHERE, where the calls' argument lists may read it
    bool filterQualified = false;  //!< rowFilter names each column with its table
    std::vector<RowCall> rowCalls;
    bool hostsRowCalls = false;  //!< a statement or core that reads its calls' argument lists
    bool rowsFromOuter = false;  //!< a subquery's core: its calls go to the enclosing core's
    bool fromReadsOuter = false;  //!< ... and its FROM reads an enclosing query's columns
    bool filterReadsOuter = false;  //!< ... its WHERE does
  };
  //! Whether the columns written read a query enclosing `home`.
  struct OuterReads {
    const Scope* home = nullptr;
    bool read = false;
  };
  //! Notes, while it lives, whether the columns written read a query enclosing `home`.
  class OuterReadWatch {
   public:
    OuterReadWatch(SqlTranslator& t, const Scope* home);
    ~OuterReadWatch();
    OuterReadWatch(const OuterReadWatch&) = delete;
    OuterReadWatch& operator=(const OuterReadWatch&) = delete;
    bool read() const { return reads_.read; }

   private:
    SqlTranslator& translator_;
    OuterReads reads_;
    OuterReads* saved_;
  };
  static std::uint64_t nextScopeId();
  //! A subquery's core whose ORDER BY may read the enclosing row where the database's
  //! ORDER BY cannot (translate_outer_order_key.cpp): where its FROM ends.
  struct OuterKeyCore {
    std::size_t fromEnd = 0;
    bool hasFrom = false;
  };
  struct Output {  //!< one output column of a query core
    std::string name;
    ast::DataType type;
    bool computed = false;  //!< not a stored column read as it is (its text may end in blanks)
  };
  //! A derived table as a source: its alias and its query's output columns.
  static Source derivedSource(const std::string& alias, const std::vector<Output>& outputs);
  //! A derived table of plain columns joined in flat: a column per select item, named by
  //! its alias or its column, read as the item in `inner`; types are filled in later.
  static Source flattenedSource(const std::string& alias, const ast::SelectCore& c, std::shared_ptr<Scope> inner);

  // queries (translate_query.cpp)
  std::vector<Output> emitQuery(const ast::Query& q, const std::vector<ast::DataType>* targetTypes);
  std::vector<Output> emitCore(const ast::SelectCore& c, const std::vector<ast::DataType>* targetTypes);
  std::string topLimit(const ast::SelectCore& core, const std::string& coreSql);
  // GROUP BY ROLLUP / CUBE / GROUPING SETS (translate_grouping_sets.cpp)
  struct GroupingSet {  //!< the one grouping a core is being written for
    const ast::SelectCore* core;
    std::vector<bool> grouped;  //!< grouped[i]: core->groupBy[i] is in this set
    bool copies = true;         //!< one of the UNION ALL copies ROLLUP and friends write
    std::vector<bool> trimmed;  //!< text keys that group (and read) without trailing blanks
  };
  std::optional<GroupingSet> trimmedGrouping(const ast::SelectCore& c, const GroupingSet* copy);
  //! `g` where it trims text keys (its subqueries must read them so), else nullptr.
  static const GroupingSet* trimming(const GroupingSet* g) { return g && !g->trimmed.empty() ? g : nullptr; }
  std::vector<Output> emitGroupingSets(const ast::SelectCore& c, const std::vector<ast::DataType>* targetTypes);
  void emitGroupingSetGroupBy(const GroupingSet& g);
  void emitGroupKey(const GroupingSet& g, std::size_t index, const ast::Expr& key);
  bool emitDistinctItemPosition(const ast::SelectCore& core, const ast::Expr& key);
  bool emitOuterGroupKey(const ast::ColumnRefExpr& c);
  void emitGroupByAndHaving(const ast::SelectCore& c, const GroupingSet* grouping, const ApplyJoin* applyJoin);
  static std::string groupingColumnName(std::size_t index);
  std::vector<const ast::Expr*> orderKeysOutsideOutputs(const ast::SelectCore& c,
                                                        const std::vector<ast::OrderItem>* order);
  void emitHiddenOrderKeys();
  static std::string hiddenOrderKeyName(std::size_t index);
  bool emitGroupingReplacement(const ast::Expr& e);
  bool emitLongDecimalExtreme(const ast::FunctionCallExpr& f, const ast::DataType& type);
  void noteOrderKeys(const ast::SelectCore& core, const std::vector<ast::OrderItem>& order);
  //! " DESC" or "" after an ORDER BY key, with NULL placed below every value.
  std::string orderDirection(bool descending) const;
  void emitOrderKey(const ast::Query& q, std::size_t index, const std::vector<Output>& outputs,
                    const std::vector<ast::DataType>& keyTypes);
  std::string tiesRank(const ast::SelectCore& core, const std::vector<ast::OrderItem>& order);
  std::string tiesLimit(const std::string& coreSql, const std::string& n);
  void emitOffsetFetch(const ast::Query& q);
  void emitFromList(const std::vector<ast::TableRefPtr>& from, Scope& scope);
  void emitTableRef(const ast::TableRef& t, Scope& scope);
  void emitNamedTable(const ast::NamedTableRef& n, Scope& scope);
  void emitDerivedTable(const ast::DerivedTableRef& d, Scope& scope);
  void emitJoin(const ast::JoinedTableRef& j, Scope& scope);
  void emitSelectItems(const ast::SelectCore& c, const std::vector<ast::DataType>* targetTypes,
                       std::vector<Output>& outputs, ApplyJoin* applyJoin);
  void expandStar(const ast::SelectItem& item, std::vector<Output>& outputs);
  void emitFlatStar(const ast::SelectItem& item);
  bool starReadsComputedOnRead(const ast::SelectItem& item) const;
  // flattening of joined derived tables (translate_flatten.cpp)
  bool canFlatten(const ast::JoinedTableRef& j, const std::vector<ast::TableRefPtr>& from);
  bool innerNamesFree(const std::vector<const ast::NamedTableRef*>& tables, const std::vector<ast::TableRefPtr>& from,
                      std::vector<std::string>& inner) const;
  bool itemOwners(const ast::SelectCore& c, const std::vector<const ast::NamedTableRef*>& tables,
                  const std::vector<std::string>& inner, std::vector<int>& owner);
  static bool onReadsFirstTable(const ast::Expr& on, const ast::DerivedTableRef& d, const std::vector<int>& owner);
  void emitFlattenedJoin(const ast::JoinedTableRef& j, Scope& scope);
  // a derived table of rows with a match, as a key join and EXISTS (translate_exists_join.cpp)
  struct ExistsSplit;
  bool canJoinWithExists(const ast::JoinedTableRef& j, const std::vector<ast::TableRefPtr>& from);
  bool splitExistsJoin(const ast::JoinedTableRef& j, const std::vector<ast::TableRefPtr>& from, ExistsSplit& split);
  bool splitTests(const ast::JoinedTableRef& inner, const ast::Expr& where, const std::vector<std::string>& names,
                  ExistsSplit& split);
  const ast::Expr* fixedValue(const std::vector<const ast::Expr*>& whereParts, const std::string& first,
                              const std::string& column, const ast::DataType* type);
  const ast::Expr* seekKey(const std::vector<const ast::Expr*>& onParts, const ast::DerivedTableRef& d,
                           const ast::NamedTableRef& first, const ast::ColumnRefExpr*& mine);
  void emitExistsJoin(const ast::JoinedTableRef& j, Scope& scope);
  bool emitExistsOn(const ast::JoinedTableRef& j, const ast::JoinedTableRef& inner, const ExistsSplit& split,
                    const Scope& scope);
  void emitMatchExists(const ast::JoinedTableRef& inner, const ExistsSplit& split, const Scope& scope);
  void emitTests(const std::vector<const ast::Expr*>& tests, const char* lead);
  // row keys of a joined derived table on the right of a LEFT JOIN (translate_derived_join.cpp)
  std::string derivedRowKeys(const ast::DerivedTableRef& d);
  bool resolveColumn(const ast::ColumnRefExpr& c, const Source*& source, std::size_t& index,
                     const Scope** owner = nullptr) const;
  // computed columns that every read computes (translate_computed_on_read.cpp)
  //! True when `c` names such a column: `source` and `index` say which.
  bool isComputedOnRead(const ast::ColumnRefExpr& c, const Source*& source, std::size_t& index) const;
  //! Writes `c`'s expression when it names such a column; false otherwise.
  bool emitComputedOnRead(const ast::ColumnRefExpr& c);
  //! The expression of column `index` of `source`, over that source's row.
  void emitComputedOnRead(const Source& source, std::size_t index);
  static bool readsComputedOnRead(const Source& source);
  //! A column whose text is as stored (trimmed on the file), not an expression's.
  bool storedColumn(const ast::Expr& e) const;

  // expressions (sql_translator.cpp, translate_predicates.cpp): one function per node kind
  void emit(const ast::Expr& e);
  void emitVariable(const ast::VariableExpr& v);
  void emitNamedSlot(Slot::Kind kind, const std::string& name);
  void emitObjectId(const ast::FunctionCallExpr& f);
  void emitUnary(const ast::UnaryExpr& u);
  void emitCase(const ast::CaseExpr& c);
  void emitIn(const ast::InExpr& in);
  void emitBetween(const ast::BetweenExpr& b);
  void emitIsNull(const ast::IsNullExpr& n);
  void emitBinary(const ast::BinaryExpr& b);
  void emitBitXor(const ast::BinaryExpr& b);
  void emitMoneyChecked(const ast::BinaryExpr& b);
  void emitArithmetic(const ast::BinaryExpr& b);
  void emitArithmeticOperator(const ast::BinaryExpr& b, const ast::DataType& lt,
                              const ast::DataType& rt);
  void emitAddition(const ast::BinaryExpr& b, const ast::DataType& lt, const ast::DataType& rt);
  //! "(lhs op rhs)".
  void emitInfix(const ast::BinaryExpr& b, const char* op);
  //! "fn(lhs, rhs)", the left side made real first when `realLeft`.
  void emitRuntimeCall(const char* fn, const ast::BinaryExpr& b, bool realLeft);
  //! + - * / % whose result is decimal: exact, at the result's precision and scale.
  //! False when the operands are not both numbers (then the general path runs).
  bool emitDecimalArithmetic(const ast::BinaryExpr& b, const ast::DataType& lt, const ast::DataType& rt);
  //! CAST to uniqueidentifier, or from text to a date in a CONVERT style; false otherwise.
  bool emitCheckedTextCast(const ast::Expr& operand, const ast::DataType& from, const ast::DataType& type,
                           const ast::Expr* style, bool tolerant);
  //! DATALENGTH(arg): by the argument's type.
  void emitDataLength(const ast::Expr& arg);
  //! -x of a decimal, exact however many digits it has.
  void emitDecimalNegate(const ast::Expr& operand, const ast::DataType& type);
  //! A comparison with a decimal too long for a double, made exactly; false otherwise.
  bool emitDecimalComparison(const ast::BinaryExpr& b, const char* op, const ast::DataType& lt,
                             const ast::DataType& rt);
  //! SUM/AVG (exact totals), ROUND and ABS of a decimal; false for other types.
  bool emitDecimalFunction(const ast::FunctionCallExpr& f);
  void emitComparison(const ast::BinaryExpr& b);
  //! `lhs op rhs` for operands that are no long decimals (those compare through tsql_dec_cmp).
  void emitComparison(const ast::Expr& lhs, ast::BinaryOp op, const ast::Expr& rhs);
  void emitComparand(const ast::Expr& e, const ast::DataType& self, const ast::DataType& other);
  // translate_text_values.cpp: blanks, LIKE and char(n) padding across the databases
  void emitCaseBlindComparand(const ast::Expr& e, const ast::DataType& other, bool meetsColumn);
  bool emitPaddedColumn(const ast::Expr& e, const ast::DataType& self, const ast::DataType& other);
  void emitTextValue(const ast::Expr& e);
  void emitConcatenation(const ast::BinaryExpr& b);
  void emitLike(const ast::LikeExpr& l);
  void emitFunction(const ast::FunctionCallExpr& f);
  // translate_builtins.cpp: runtime names, argument counts, STRING_AGG, FORMAT
  bool emitBuiltinFunction(const ast::FunctionCallExpr& f);
  void checkArgumentCount(const ast::FunctionCallExpr& f);
  static const char* builtinRuntimeName(const std::string& name);
  std::optional<ast::DataType> builtinType(const ast::FunctionCallExpr& f);
  void emitStringAgg(const ast::FunctionCallExpr& f);
  void emitFormat(const ast::FunctionCallExpr& f);
  bool emitRewrittenFunction(const ast::FunctionCallExpr& f);
  // translate_json.cpp: ISJSON, JSON_VALUE, JSON_QUERY, JSON_MODIFY and the table
  // functions OPENJSON and STRING_SPLIT
  bool emitJsonFunction(const ast::FunctionCallExpr& f);
  std::optional<ast::DataType> jsonFunctionType(const ast::FunctionCallExpr& f);
  void emitJsonText(const ast::Expr& e);
  // translate_for_json.cpp: a query's rows as one JSON text
  std::vector<Output> emitForJson(const ast::Query& q);
  static ast::DataType forJsonType();
  std::string jsonValueSql(const std::string& column, const ast::DataType& type, bool fragment, char& kind);
  // translate_table_function.cpp
  void emitFunctionTable(const ast::FunctionTableRef& f, Scope& scope);
  Source functionSource(const ast::FunctionTableRef& f, Scope& scope);
  // CROSS / OUTER APPLY over a derived table (translate_apply.cpp)
  static bool appliesDerivedTable(const ast::JoinedTableRef& j);
  void emitApply(const ast::JoinedTableRef& j, Scope& scope);
  //! APPLY (VALUES (left.a), (left.b)) v(x) without LATERAL: a numbered row per VALUES
  //! row, each column a CASE over the numbers; false (nothing written) for other queries.
  bool emitValuesApply(const ast::DerivedTableRef& d, Scope& scope);
  // APPLY written as a join where the database has no LATERAL (translate_apply_join.cpp)
  //! What the applied query's one core writes besides what the query says: its WHERE
  //! without the conjuncts that read the left side (they go to the join's ON), the
  //! inner columns the ON reads, and the keys of the ON's equalities it groups or
  //! numbers its rows by.
  struct ApplyJoin {
    const ast::SelectCore* core = nullptr;
    std::vector<const ast::Expr*> kept;  //!< WHERE conjuncts written inside
    std::vector<std::pair<const ast::Expr*, std::string>> hidden;  //!< column, its name
    std::vector<const ast::Expr*> keys;  //!< inner sides of the ON's equalities
    const char* rank = nullptr;  //!< TOP n: "ROW_NUMBER()" or "RANK()" over `keys`
    bool percent = false;        //!< TOP n PERCENT: also the count of each partition's rows
    const ast::Query* paged = nullptr;  //!< OFFSET n ROWS [FETCH NEXT m]: numbered by ROW_NUMBER()
    //! TOP's ORDER BY keys (descending or not); keys of the left row alone left out
    std::vector<std::pair<const ast::Expr*, bool>> order;
    //! Per select item that reads the left side: it is written over the join's row
    //! (this SQL, of this type) and the core writes NULL in its place.
    std::vector<std::string> outside;
    std::vector<ast::DataType> outsideTypes;
    std::vector<std::size_t> outsideOutputs;  //!< the output each such item gives, as emitCore writes them
    bool marked = false;  //!< OUTER APPLY reading the left outside: a column telling a row was met
    //! The core runs once per distinct set of the left columns it reads, which it reads
    //! from a derived table of them; what that table holds is known once the core is
    //! written, so the core writes these marks, filled in afterwards.
    bool leftValues = false;
    bool joinsRight = false;  //!< its FROM has a RIGHT or FULL join: the values table must come last
    bool refused = false;     //!< an ON of its joins reads the left side there: nothing to join
    bool innerJoinsOnly = true;  //!< its FROM's joins are INNER or CROSS ones
    //! Derived tables of its FROM that read the left side over values of their own: each
    //! is matched with the core's values in its WHERE; its alias, and the filter of its
    //! TOP or OFFSET numbering ("" for none).
    std::vector<std::pair<std::string, std::string>> matched;
    static constexpr const char* kValuesMatch = "\x01tsql_l_match\x01";  //!< then the alias, then \x01
    static constexpr const char* kValuesTable = "\x01tsql_l_table\x01";  //!< the derived table, in FROM
    static constexpr const char* kValuesColumns = "\x01tsql_l_columns\x01";  //!< its columns as hidden ones
    static constexpr const char* kValuesKeys = "\x01tsql_l_keys\x01";  //!< grouped or partitioned by
  };
  //! Writes the applied query as an INNER / LEFT JOIN; false (nothing written) where
  //! its shape cannot be read that way.
  bool emitApplyJoin(const ast::DerivedTableRef& d, bool cross, Scope& scope);
  //! Any other one-core or compound query that reads the left side, over the distinct values of the
  //! left columns it reads (translate_apply_left_values.cpp); false (nothing written)
  //! where it cannot be. `leftSql` is the left side as written, its sources those of
  //! `scope` from `firstLeft` on.
  bool emitLeftValuesApply(const ast::DerivedTableRef& d, bool cross, const std::string& leftSql,
                           std::size_t firstLeft, Scope& scope);
  //! One plan per core: the query's one core, or each arm of a compound query.
  bool planLeftValuesApply(const ast::Query& q, std::vector<ApplyJoin>& plans);
  bool planLeftValuesCore(const ast::SelectCore& c, bool arm, ApplyJoin& plan);
  //! A derived table of such a core's FROM that reads the left side; false (nothing
  //! written) where it cannot be read over values of its own.
  bool emitLeftValuesDerived(const ast::DerivedTableRef& d, ApplyJoin& outer, Scope& scope);
  void replaceMatches(std::string& rows, const std::vector<std::size_t>& read,
                      const std::vector<std::pair<const ast::Expr*, bool>>& leftColumns);
  //! Adds the left values' table to the FROM just written.
  void addApplyValuesTable(ApplyJoin& plan);
  //! The ON's test that keeps a left row's first n (or n percent) rows of a TOP.
  void emitApplyRankFilter(const ast::SelectCore& c, const std::string& alias, bool percent, Scope& left);
  //! The rows OFFSET n ROWS [FETCH NEXT m ROWS ONLY] keeps of each left row's numbered rows.
  void emitApplyPageFilter(const ast::Query& q, const std::string& alias, Scope& left);
  //! PARTITION BY the keys of the applied core's left row.
  void emitApplyPartition(const ApplyJoin& plan);
  bool planApplyJoin(const ast::Query& q, const std::vector<Source>& inner, const std::vector<Source>& left,
                     const std::vector<const ast::Expr*>& moved, ApplyJoin& plan);
  std::string applyJoinOn(const Scope& inner, Scope& left, const std::vector<const ast::Expr*>& moved,
                          const std::string& alias, SourcePos pos, ApplyJoin& plan);
  //! Marks in `plan` the select items written over the joined row; false where one cannot be.
  static bool planOutsideItems(const std::vector<unsigned>& itemReads, bool grouped, ApplyJoin& plan);
  //! The hidden columns and the row number emitCore adds to the applied core's select list.
  void emitApplyJoinColumns(const ApplyJoin& plan);
  void emitApplyJoinWhere(const ApplyJoin& plan);
  //! A key grouped, numbered or compared as the server does: text without trailing
  //! blanks (where `trim`) and case-blind.
  void emitApplyKey(const ast::Expr& key, bool trim);
  // PIVOT and UNPIVOT (translate_pivot.cpp)
  void emitPivotTable(const ast::PivotTableRef& p, Scope& scope);
  void resolvePivotTable(const ast::PivotTableRef& p, Scope& scope);
  std::vector<Output> pivotOutputs(const ast::PivotTableRef& p, Scope& inner, std::vector<std::string>& kept,
                                   std::vector<const ast::Expr*>& cells);
  //! A column reference made here, kept as long as the translator (the type memo keys on
  //! it); only names, never a literal, which a bound value would point into.
  const ast::Expr& madeColumn(SourcePos pos, const std::string& name);
  const ast::Expr& madeColumn(SourcePos pos, const std::string& qualifier, const std::string& name);
  // user-defined functions (translate_user_function.cpp)
  //! A call's function and its argument expressions (DEFAULT and left-out ones as the
  //! parameter's default); the SQL Server errors for a wrong call.
  InlineCall userCall(const std::string& name, const std::string& shownName,
                      const std::vector<ast::ExprPtr>& args, const std::vector<bool>& defaults,
                      bool table);
  void emitUserFunction(const ast::FunctionCallExpr& f);
  void emitInlineCall(InlineCall call, const SymbolicValue& body);
  //! Thrown where a function written inline calls itself (through others or not).
  struct RecursiveCall {
    const ast::CreateFunctionStmt* fn;
  };
  ast::DataType userFunctionType(const ast::FunctionCallExpr& f);
  void emitUserFunctionTable(const ast::FunctionTableRef& f, Scope& scope);
  Source userFunctionSource(const ast::FunctionTableRef& f);
  void emitFunctionRun(const ast::FunctionTableRef& f, const ast::CreateFunctionStmt& fn, Scope& scope);
  //! A parameter of the function being written inline: its argument written in its place.
  bool emitInlinedParameter(const ast::VariableExpr& v);
  const ast::DataType* inlinedParameterType(const std::string& name) const;
  void requireRunnableArguments(const InlineCall& call, const std::string& shownName) const;
  bool emitRowCall(const ast::FunctionCallExpr& f, const InlineCall& call);
  // calls worked out before the statement (translate_row_calls.cpp)
  void emitValueLookUp(const std::string& table, const std::vector<std::string>& args);
  bool canReadRowCalls() const;
  void noteOuterRead(const ast::ColumnRefExpr& c);
  void refuseUnjoinable(const Scope& scope, const std::string& shown) const;
  static bool ownRowsOnly(const RowCall& call, const Scope& scope, bool joinableFilter);
  void writeArgsQuery(std::size_t site, const std::string& sql);
  bool qualifiesFilter(const ast::Expr* where, const Scope& scope) const;
  void passRowCallsOut(Scope& scope);
  void finishRowCalls(Scope& scope);
  static bool ordersByUserFunction(const std::vector<ast::OrderItem>& order);
  bool canJoinFlat(const ast::Query& q) const;
  //! The value a scalar body returns, worked out statement by statement; nullptr when
  //! the body does what an expression cannot (a loop, a query that assigns, ...).
  std::shared_ptr<const SymbolicValue> returnedValue(const ast::CreateFunctionStmt& fn);
  void emitSymbolic(const SymbolicValue& v);
  void emitFlatApply(const ast::FunctionTableRef& f, InlineCall call, Scope& scope);
  //! Item `i` of a source whose columns are expressions, in its own scope.
  void emitSourceItem(const Source& src, std::size_t i);
  bool emitOffsetDateFunction(const ast::FunctionCallExpr& f);
  //! DATEADD, DATEPART, DATENAME and DATEDIFF of a time (translate_time.cpp).
  bool emitTimeDateFunction(const ast::FunctionCallExpr& f);
  //! CAST / CONVERT to or from time; false where neither side is one it handles.
  bool emitTimeCast(const ast::Expr& operand, const ast::DataType& from, const ast::DataType& type,
                    const ast::Expr* style, bool tolerant);
  void emitDatePartName(const ast::Expr& part);
  void emitCast(const ast::Expr& operand, const ast::DataType& type, const ast::Expr* style,
                bool tolerant = false);
  void emitTextCast(const ast::Expr& operand, const ast::DataType& from, const ast::DataType& type,
                    const ast::Expr* style);
  void emitStore(const ast::Expr& e, const ast::DataType& target);
  bool emitDatetime2Comparand(const ast::Expr& e, const ast::DataType& self, const ast::DataType& other);
  bool emitOffsetCast(const ast::Expr& operand, const ast::DataType& from, const ast::DataType& type);
  bool emitBinaryCast(const ast::Expr& operand, const ast::DataType& from, const ast::DataType& type,
                      const ast::Expr* style);
  void emitToBinary(const ast::Expr& operand, const ast::DataType& from, const ast::DataType& type,
                    const std::string& styleSql);
  void emitFromBinary(const ast::Expr& operand, const ast::DataType& type, const std::string& styleSql);
  //! emitStore into a table column: text longer than the column is an error, not cut.
  void emitColumnStore(const ast::Expr& e, const ast::DataType& target);
  //! emitColumnStore for a value that reaches its column through a derived table.
  void emitDerivedColumnStore(const ast::Expr& e, const ast::DataType& target);
  //! A column whose declared text type is no longer than `target`'s.
  bool fitsAlready(const ast::Expr& e, const ast::DataType& target);
  void emitSlot(Slot slot);
  void markLongDecimal(const ast::Expr& e);
  void emitLiteral(const ast::LiteralExpr& l);
  void emitColumnRef(const ast::ColumnRefExpr& c);
  void emitSubquery(const ast::Query& q);
  void emitConversion(const char* fn, const ast::Expr& e);

  // types (type_inference.cpp): worked out once per expression and scope, kept in types_
  ast::DataType typeOf(const ast::Expr& e);
  ast::DataType computeType(const ast::Expr& e);
  ast::DataType binaryType(const ast::BinaryExpr& b);
  ast::DataType caseType(const ast::CaseExpr& c);
  ast::DataType columnType(const ast::ColumnRefExpr& c) const;
  ast::DataType functionType(const ast::FunctionCallExpr& f);
  ast::DataType queryType(const ast::Query& q);
  // a subquery's sources and output types without writing its SQL (source_types.cpp)
  //! `firstArmOnly`: a compound query's columns as its first core types them (a
  //! recursive CTE, whose other arms read the CTE itself).
  std::vector<Output> queryOutputs(const ast::Query& q, bool firstArmOnly = false);
  //! A compound query whose arms mix text with other types in a column: every
  //! column's type, by precedence where they mix, which the arms are converted to;
  //! empty when no column mixes them.
  std::vector<ast::DataType> mixedArmTypes(const ast::Query& q);
  //! A compound query's column types: a numeric column takes the type every arm's
  //! values fit in, by precedence (decimal wide enough for each arm's digits).
  static void widenArmOutputs(std::vector<Output>& outputs, const std::vector<Output>& arm);
  void resolveSources(const std::vector<ast::TableRefPtr>& from, Scope& scope);
  void resolveSource(const ast::TableRef& t, Scope& scope);
  void outputsOfItems(const ast::SelectCore& c, std::vector<Output>& outputs);

  //! The SQL and slots written so far, handed over (the translator is left empty).
  Translation finish();

  // DML helpers (translate_dml.cpp)
  void emitUpdateFrom(const ast::UpdateStmt& s, const ast::NamedTableRef* targetRef,
                      const std::string& sqlName, const std::vector<catalog::ColumnInfo>& cols,
                      Scope& scope);
  void emitAssignmentDriver(const ast::Query& q, const std::vector<const ast::Expr*>& columns,
                            Scope& scope, AssignmentPlan& plan);
  std::vector<std::string> assignedVariables(const ast::SelectCore& core);
  AssignmentPlan::Item assignmentStep(const ast::SelectItem& selectItem, const std::vector<const ast::Expr*>& parts,
                                      std::size_t driverWidth, int& column);
  const std::vector<catalog::ColumnInfo>& tableColumns(const std::string& table);
  void emitRowLimit(const ast::Expr* top);
  void emitLimitedWhere(const std::string& table, const ast::Expr* where, const ast::Expr* top);
  //! " WHERE <qualifier>.<row key> = <the positioned row's key>".
  void emitCurrentOf(const std::string& qualifier);
  //! A positioned UPDATE where the database moves a row's key as it writes the row:
  //! the new key comes back (Translation::returnsRowKey).
  bool emitMovedRowKey(const ast::UpdateStmt& s, const std::string& qualifier);
  // translate_outer_order_key.cpp
  void noteOuterKeyCore(const ast::SelectCore& c, const Scope& scope, std::size_t fromEnd);
  //! Before a single core's ORDER BY: the enclosing row's columns its keys read.
  std::vector<const ast::Expr*> findOuterKeyReads(const ast::Query& q, const std::vector<Output>& outputs,
                                                  Scope* coreScope);
  //! After it: those columns as a one-row table joined into the core's FROM.
  void joinOuterKeyReads(const OuterKeyCore& core, const std::vector<const ast::Expr*>& reads);
  //! ", <row key> AS tsql_row_key_<i>" for each keyed table, after the select list of
  //! cursorQuery's core.
  void emitCursorKey(const ast::SelectCore& c);
  const ast::NamedTableRef* findTarget(const std::vector<ast::TableRefPtr>& from,
                                       const std::string& target) const;
  void emitAssignmentParts(const ast::Expr& e, const std::vector<std::string>& assigned,
                           std::vector<const ast::Expr*>& parts);
  bool readsAny(const ast::Expr& e, const std::vector<std::string>& vars) const;

  //! A computed column's type and GENERATED clause (translate_ddl.cpp).
  std::string computedColumn(const std::string& table, const ast::TableDef& def, const ast::ColumnDef& c);
  //! A scope inside the current one whose one source is the table's stored columns: what a
  //! computed column's expression reads.
  Scope storedColumnsScope(const ast::TableDef& def);
  //! Error 271 when `name` is a computed column of `cols`.
  static void refuseComputed(const std::vector<catalog::ColumnInfo>& cols, const std::string& name);

  // MERGE (translate_merge.cpp)
  struct MergeContext;
  void resolveMergeSources(const ast::MergeStmt& s, MergeContext& m);
  void checkClauseScopes(const ast::MergeStmt& s, const MergeContext& m) const;
  void emitMergeFill(const ast::MergeStmt& s, const MergeContext& m, MergePlan& plan);
  void emitMergePart(const ast::MergeStmt& s, const MergeContext& m, ast::MergeMatch part);
  void emitMergeTarget(const ast::MergeStmt& s, Scope& scope);
  void emitClauseChoice(const ast::MergeStmt& s, ast::MergeMatch part);
  Translation mergeUpdate(const ast::MergeStmt& s, const MergeContext& m, std::size_t clause);
  Translation mergeDelete(const ast::MergeStmt& s, const MergeContext& m, std::size_t clause);
  Translation mergeInsert(const ast::MergeStmt& s, const MergeContext& m, std::size_t clause);
  void emitMergeOutput(const ast::MergeStmt& s, const MergeContext& m, ast::MergeAction action,
                       const std::string& oldKey, MergePlan* names);
  void emitMergeOutputColumn(const ast::ColumnRefExpr& c);
  std::string planLookup(const std::string& column) const;
  void emitRowNumber();
  bool outputReadsSource(const ast::MergeStmt& s, const MergeContext& m) const;
  void emitOldValue(const std::vector<catalog::ColumnInfo>& cols, const std::string& column);

  // window functions (translate_window.cpp)
  void emitWindowFunction(const ast::FunctionCallExpr& f);
  void emitCountedWindowFunction(const ast::FunctionCallExpr& f);
  void emitOver(const ast::WindowSpec& w);
  void emitFrameBound(const ast::FrameBound& b);
  void emitValueOrderKey(const ast::Expr& key);
  // PERCENTILE_CONT / PERCENTILE_DISC (translate_percentile.cpp)
  static bool isPercentile(const ast::FunctionCallExpr& f);
  void emitPercentile(const ast::FunctionCallExpr& f);

  // common table expressions (translate_cte.cpp)
  struct Cte {
    std::string name;     //!< lower-case, as the statement names it
    std::string sqlName;  //!< its SQL name (a recursive one's own rows while it is written)
    std::vector<Output> columns;
  };
  //! The member of a recursive CTE being written: its core, whether it is an anchor,
  //! the alias it reads its CTE by, the recursion limit (null: 100) and which of its
  //! columns are written as bigint.
  struct Recursion {
    const ast::SelectCore* core = nullptr;
    bool anchor = true;
    std::string cte;
    std::string alias;
    const ast::Expr* limit = nullptr;
    std::vector<bool> widened;
  };
  //! "WITH ... " for a statement's common table expressions, which it makes known.
  std::string emitWith(const ast::WithClause* with);
  void emitCte(const ast::CommonTableExpr& cte);
  void emitRecursiveCte(const ast::CommonTableExpr& cte, std::size_t firstRecursive,
                        const ast::Expr* limit);
  std::vector<Output> cteColumns(const ast::CommonTableExpr& cte,
                                 std::vector<Output> outputs) const;
  void emitRecursiveMember(const Recursion& r, const std::string& cteName);
  void emitRecursionLevel();
  const Cte* findCte(const ast::NamedTableRef& n) const;
  bool emitCteRef(const ast::NamedTableRef& n, Scope& scope);

  // x op ALL | ANY (subquery) (translate_predicates.cpp)
  void emitQuantified(const ast::QuantifiedExpr& q);

  TranslateEnv& env_;
  bool inlineLiterals_;
  bool windowsAllowed_ = false;  //!< a window function may stand here (a select list, ORDER BY)
  std::vector<ast::ExprPtr> made_;  //!< expressions the translator wrote itself
  std::vector<Cte> ctes_;        //!< the statement's common table expressions written so far
  std::optional<Recursion> recursion_;
  std::string withPrefix_;       //!< the statement's WITH, put before its SQL by finish()
  const ast::SelectCore* keyCore_ = nullptr;  //!< its rows end with row keys (cursorQuery)
  const std::vector<const ast::NamedTableRef*>* keyedTables_ = nullptr;
  std::vector<std::string>* keyTablesWritten_ = nullptr;
  const ast::SelectCore* valueCore_ = nullptr;  //!< its first item is named tsql_v_ (ALL / ANY)
  TypeMemo types_;
  bool explicitCollation_ = false;  //!< the comparison being written has a COLLATE of its own
  bool comparandMeetsColumn_ = false;  //!< the comparand being written meets a column
  bool trimSetOutputs_ = false;     //!< text outputs of UNION/INTERSECT/EXCEPT arms lose trailing blanks
  bool collateSetOutputs_ = false;  //!< text outputs of such arms, columns too, compare case-blind
  std::string out_;
  std::vector<Slot> slots_;
  std::vector<FunctionRun> functionRuns_;  //!< multi-statement functions the statement reads
  std::vector<InlineCall> inlining_;  //!< user functions being written inline, innermost last
  //! Variables written as a column of the row they are read for (queryForEachCall).
  std::unordered_map<std::string, std::string> rowVariables_;
  std::size_t markerBase_ = 0;  //!< markers before the slots' (queryForEachCall)
  std::vector<std::string> functionsRead_;
  std::vector<const ast::CreateFunctionStmt*> notInlined_;  //!< recursive: run by the interpreter
  bool applyRight_ = false;  //!< the table source being written is an APPLY's right side
  bool subqueryCores_ = false;  //!< the query being written is a subquery in an expression
  OuterReads* outerReads_ = nullptr;  //!< the innermost OuterReadWatch
  bool applyOnWritten_ = false;  //!< ... and it wrote the join's ON itself
  //! For the arms of the next compound query written: the plan of each, in order.
  std::vector<ApplyJoin>* applyArms_ = nullptr;
  //! While the FROM of a core over left values is written: its plan.
  ApplyJoin* applyValuesFrom_ = nullptr;
  ApplyJoin* applyJoin_ = nullptr;  //!< for the next core written: an applied query joined
  //! The applied core whose select list is being written: its windows partition by its keys
  const ApplyJoin* windowApply_ = nullptr;
  //! Inline functions joined in flat, by their source's inner scope: the call whose
  //! parameters the source's items read.
  std::unordered_map<const Scope*, std::shared_ptr<const InlineCall>> flatCalls_;
  Scope* scope_ = nullptr;
  std::vector<const ast::Expr*> rowParts_;  //!< assignment step: subtrees bound per row
  const std::vector<ast::TableRefPtr>* currentFrom_ = nullptr;  //!< FROM list being written
  //! True while the FROM list of an UPDATE/DELETE ... FROM is written: its columns are
  //! never expanded by `*`, so `a RIGHT JOIN b` may be written `b LEFT JOIN a`.
  bool swapRightJoins_ = false;
  //! While a query APPLY joins in is written as a core of its own: the flags its
  //! enclosing query set for its own outputs are off, and back however it ends.
  struct EnclosingFlagsAside {
    explicit EnclosingFlagsAside(SqlTranslator& t);
    ~EnclosingFlagsAside();
    EnclosingFlagsAside(const EnclosingFlagsAside&) = delete;
    EnclosingFlagsAside& operator=(const EnclosingFlagsAside&) = delete;
    SqlTranslator& t;
    bool swap, trim, collate, windows;
  };
  bool returning_ = false;        //!< writing an OUTPUT list: columns unqualified
  bool returningUpdate_ = false;  //!< ... of an UPDATE
  //! Writing the OUTPUT of one of a MERGE's steps: how its names read the plan.
  const MergeContext* mergeOutput_ = nullptr;
  ast::MergeAction mergeAction_ = ast::MergeAction::Update;
  std::string mergeOldKey_;  //!< the key the step's row had before it ran
  bool mergePerRow_ = false;  //!< the INSERT being written runs once per plan row
  //! Writing the OUTPUT of an UPDATE that keeps its old rows: the plan and the key
  //! the row had there ("" otherwise).
  std::string oldRowPlan_;
  std::string oldRowKey_;
  bool qualifyColumns_ = false;  //!< write resolved column names qualified (flattening)
  bool rightOfLeftJoin_ = false;  //!< the table source being written is a LEFT JOIN's right side
  //! The ORDER BY of a one-core query, seen from inside its core: each key's type and
  //! for TOP WITH TIES the rank of the rows under it.
  const std::vector<ast::OrderItem>* coreOrder_ = nullptr;
  std::vector<ast::DataType> orderKeyTypes_;
  std::string tiesRank_;
  const GroupingSet* coreGrouping_ = nullptr;  //!< the set the next core groups by
  const GroupingSet* groupingSet_ = nullptr;   //!< while a select list or HAVING is written
  //! A one-core query's plain GROUP BY whose text keys are trimmed: its ORDER BY reads
  //! the keys the same way.
  std::optional<GroupingSet> orderGrouping_;
  //! A single core's scope kept for its ORDER BY: a key reads its sources' columns (some
  //! of them expressions: a table function, a flattened derived table) and is typed there.
  std::shared_ptr<Scope> orderScope_;
  std::optional<OuterKeyCore> outerKeyCore_;
  //! The enclosing row's columns the ORDER BY being written reads from "tsql_outer_".
  std::vector<const ast::Expr*> outerKeyReads_;
  const ast::Query* forJsonInner_ = nullptr;  //!< a FOR JSON query while its rows are written
  //! Under grouping sets, the ORDER BY keys each copy of the core computes as a column
  //! of its own (nullptr: a key that names an output); and, once written, which keys
  //! the ORDER BY then reads by those columns' names.
  std::vector<const ast::Expr*> hiddenOrderKeys_;
  std::vector<bool> groupingOrderByHidden_;
};

//! True when `name` (lower-case) is an aggregate function's.
bool isAggregateName(const std::string& name);
//! Bits of what an expression reads (exprReads): a subquery (not looked into), a window
//! function, an aggregate of its own query; `column` gives a column reference's bits.
inline constexpr unsigned kReadsOpaque = 4;
inline constexpr unsigned kReadsWindow = 8;
inline constexpr unsigned kReadsAggregate = 16;
unsigned exprReads(const ast::Expr* e, const std::function<unsigned(const ast::ColumnRefExpr&)>& column);
//! True when an OUTPUT list reads deleted.col or deleted.*.
bool outputReadsDeleted(const ast::OutputClause& o);
//! True when `e` (may be null) holds a column reference `test` accepts.
bool readsColumn(const ast::Expr* e, const std::function<bool(const ast::ColumnRefExpr&)>& test);
//! "name" with embedded quotes doubled.
std::string quoteIdent(std::string_view name);
//! 'text' as a SQL string constant, embedded quotes doubled.
std::string quoteText(std::string_view text);
//! The name a CHECK constraint written without one gets: CK__table__column (or
//! CK__table__n for the n-th unnamed one at table level).
std::string checkConstraintName(std::string_view table, std::string_view columnOrNumber);

}  // namespace tsql::translate
