// Parser: hand-written recursive descent from tokens to the AST. The whole batch is
// lexed first (tokens are views into the text), then parsed statement by statement;
// statements need no semicolons, so every statement ends where the next keyword
// cannot continue it. Binary operators use one precedence table and one climbing
// loop (parse_expr.cpp). The first error is thrown as SyntaxError with its position.
//
// Each statement family lives in its own file: parse_select.cpp (queries),
// parse_dml.cpp (INSERT/UPDATE/DELETE), parse_declare.cpp (DECLARE/SET and types),
// parse_control.cpp (blocks, IF, WHILE, TRY, transactions, RAISERROR, EXEC),
// parse_ddl.cpp (CREATE/ALTER/DROP), parse_sequence.cpp (sequences and identity),
// parse_jump.cpp (EXEC of a string, GOTO, labels).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "tsql/ast/merge.h"
#include "tsql/ast/stmt.h"
#include "tsql/lexer/syntax_error.h"
#include "tsql/lexer/token.h"

namespace tsql {

class Parser {
 public:
  //! The text must outlive the returned AST only while parsing; the AST owns copies.
  explicit Parser(std::string_view text);
  //! Parses tokens already lexed from `text` (the last one TokenKind::End).
  Parser(std::string_view text, std::vector<Token> tokens);

  //! batch := { statement [';'] }   Throws SyntaxError.
  ast::Batch parseBatch();

  //! Parses a whole batch (convenience).
  static ast::Batch parse(std::string_view text) { return Parser(text).parseBatch(); }

  //! The parameters declared by `text` ("@a int, @b varchar(10) OUTPUT"), as a
  //! procedure declares them. Throws SyntaxError.
  static std::vector<ast::ProcParam> parseParameterDefinitions(std::string_view text);
  //! One expression, the whole of `text` (a computed column's kept text). Throws SyntaxError.
  static ast::ExprPtr parseExpression(std::string_view text);

 private:
  // token stream (parser.cpp)
  const Token& peek(std::size_t ahead = 0) const;
  const Token& advance();
  bool at(TokenKind k) const { return peek().kind == k; }
  bool at(Keyword k) const { return peek().keyword == k; }
  bool accept(TokenKind k);
  bool accept(Keyword k);
  const Token& expect(TokenKind k, std::string_view what);
  const Token& expect(Keyword k);
  [[noreturn]] void fail(const Token& near) const;
  [[noreturn]] void fail(const Token& at, const std::string& message) const;
  std::string parseName(const char* what);
  std::string parseObjectName();
  std::vector<std::string> parseNameList();
  bool atName() const;
  //! A word that is not a keyword (OFFSET, ROWS ...), compared lower-case.
  bool acceptWord(std::string_view lowerWord);
  void expectWord(std::string_view lowerWord);
  bool atStatementEnd() const;

  // statements (parser.cpp, parse_control.cpp)
  ast::StmtPtr parseStatement();
  ast::StmtList parseStatementsUntilEnd();
  ast::StmtPtr parseBegin();
  ast::StmtPtr parseTryCatch(SourcePos pos);
  ast::StmtPtr parseIf();
  ast::StmtPtr parseWhile();
  ast::StmtPtr parseReturn();
  ast::StmtPtr parseTransactionEnd();
  ast::StmtPtr parseRaiserror();
  ast::StmtPtr parseThrow(bool afterUnterminated);
  ast::StmtPtr parsePrint();
  ast::StmtPtr parseExec();

  // EXEC of a string, GOTO and labels (parse_jump.cpp)
  ast::StmtPtr parseExecString(SourcePos pos);
  //! `exec` as it is, or wrapped in the WITH RESULT SETS clause that follows it.
  ast::StmtPtr parseResultSets(ast::StmtPtr exec);
  ast::StmtPtr parseGoto();
  ast::StmtPtr parseLabel();
  std::vector<ast::ProcParam> parseProcParams();
  ast::ProcParam parseParam(bool outputAllowed);
  //! Throws the compile error of a label declared twice, a GOTO to no label or into TRY/CATCH.
  static void checkLabels(const ast::StmtList& statements);
  std::string parseTransactionName();
  ast::ExprPtr parseCollate(ast::ExprPtr e);
  ast::StmtPtr parseSaveTran();

  // declarations (parse_declare.cpp)
  ast::StmtPtr parseDeclare();
  ast::StmtPtr parseSet();
  ast::DataType parseDataType(int unsizedTextLength = 1);
  ast::TableDef parseTableDef();
  ast::ColumnDef parseColumnDef(std::vector<ast::CheckDef>& checks);
  ast::CheckDef parseCheck(std::string name, std::string column);

  // cursors (parse_cursor.cpp)
  ast::StmtPtr parseDeclareCursor(SourcePos pos);
  ast::StmtPtr parseCursorStatement();
  void parseCursorOptions(ast::DeclareCursorStmt& c);

  // DML (parse_dml.cpp)
  ast::StmtPtr parseInsert();
  ast::ExprPtr parseDmlTop();
  void parseDmlWhere(ast::ExprPtr& where, ast::CurrentOf& currentOf);
  bool acceptCursorGlobal();
  std::string parseCursorName();
  void parseOffsetFetch(ast::Query& q);
  ast::StmtPtr parseUpdate();
  ast::StmtPtr parseDelete();
  ast::Assignment parseAssignment();
  std::unique_ptr<ast::OutputClause> parseOutputClause();

  // MERGE (parse_merge.cpp)
  ast::StmtPtr parseMerge();
  ast::TableRefPtr parseMergeSource();
  ast::TableRefPtr parseValuesSource(SourcePos pos);
  ast::MergeClause parseMergeClause();
  void parseMergeAction(ast::MergeClause& c);

  // DDL (parse_ddl.cpp)
  ast::StmtPtr parseCreate();
  ast::StmtPtr parseCreateProcedure(SourcePos pos, bool alter, std::size_t startOffset);
  ast::StmtPtr parseCreateView(SourcePos pos, bool alter, std::size_t startOffset);
  ast::StmtPtr parseCreateIndex(SourcePos pos, bool unique);
  ast::StmtPtr parseDrop();
  // user-defined functions (parse_function.cpp)
  ast::StmtPtr parseCreateFunction(SourcePos pos, bool alter, bool orAlter, std::size_t startOffset);
  std::vector<ast::ProcParam> parseFunctionParams();
  void parseFunctionReturns(ast::CreateFunctionStmt& f);
  void parseFunctionOptions(ast::CreateFunctionStmt& f);
  void parseUserCallArgs(std::vector<ast::ExprPtr>& args, std::vector<bool>& defaults);
  ast::TableRefPtr parseUserTableFunction(SourcePos pos, std::string name, std::string written);
  ast::StmtPtr parseTruncate();

  // numbering: sequences, NEXT VALUE FOR, IDENTITY_INSERT, CHECKIDENT (parse_sequence.cpp)
  long long parseSignedInteger();
  ast::StmtPtr parseSequence(SourcePos pos, bool alter);
  ast::ExprPtr parseNextValueFor();
  ast::StmtPtr parseIdentityInsert(SourcePos pos);
  ast::StmtPtr parseDbcc();

  // queries (parse_select.cpp)
  ast::Query parseQuery();
  ast::SelectCore parseSelectCore();
  void parseSelectItems(ast::SelectCore& core);
  ast::SelectItem parseSelectItem();
  std::vector<ast::TableRefPtr> parseFromList();
  ast::TableRefPtr parseTableSource();
  ast::TableRefPtr parseTablePrimary();
  std::string parseOptionalAlias();
  void skipTableHints();
  bool atTableHint(const Token& t) const;

  // OPENJSON and STRING_SPLIT in a FROM list (parse_table_function.cpp)
  bool atTableFunction() const;
  ast::TableRefPtr parseTableFunction();
  void parseOpenJsonWith(ast::FunctionTableRef& f);
  // PIVOT and UNPIVOT (parse_pivot.cpp)
  bool atPivot() const;
  ast::TableRefPtr parsePivot(ast::TableRefPtr source);
  void parseForJson(ast::Query& q);

  // GROUP BY with ROLLUP, CUBE and GROUPING SETS (parse_grouping_sets.cpp)
  void parseGroupBy(ast::SelectCore& core);
  std::vector<std::vector<std::size_t>> parseGroupingElement(ast::SelectCore& core, bool inSets);
  std::vector<std::size_t> parseGroupingList(ast::SelectCore& core);

  // window functions (parse_window.cpp)
  std::vector<ast::OrderItem> parseOrderItems();
  void parseWindowClauses(ast::FunctionCallExpr& call);
  void parseWindowFrame(ast::WindowSpec& w);
  ast::FrameBound parseFrameBound();

  // common table expressions and query hints (parse_cte.cpp)
  ast::StmtPtr parseWithStatement();
  std::shared_ptr<ast::WithClause> parseWithClause();
  void parseQueryOption(ast::Stmt& stmt);
  ast::StmtPtr withQueryOption(ast::StmtPtr stmt);

  // expressions (parse_expr.cpp)
  ast::ExprPtr parseExpr(int minPrecedence = 0);
  ast::ExprPtr parsePrefix();
  ast::ExprPtr parsePrimary();
  ast::ExprPtr parseParenthesized();
  ast::ExprPtr parsePredicate(ast::ExprPtr lhs);
  ast::ExprPtr parseQuantified(std::unique_ptr<ast::BinaryExpr> compare);
  ast::ExprPtr parseNameOrCall();
  ast::ExprPtr parseFunctionArgs(SourcePos pos, std::string name);
  ast::ExprPtr parseCast(bool isConvert, bool tolerant = false);
  ast::ExprPtr parseCase();
  ast::ExprPtr parseLiteral();
  std::unique_ptr<ast::Query> parseParenthesizedQuery();
  bool atQueryStart() const;
  bool atQuantifier() const;

  //! Counts nesting so hostile input cannot exhaust the stack.
  class DepthGuard {
   public:
    explicit DepthGuard(Parser& p);
    ~DepthGuard() { --p_.depth_; }
    DepthGuard(const DepthGuard&) = delete;
    DepthGuard& operator=(const DepthGuard&) = delete;

   private:
    Parser& p_;
  };

  std::string_view text_;
  std::vector<Token> tokens_;
  std::size_t pos_ = 0;
  int depth_ = 0;
  int catchDepth_ = 0;         //!< CATCH blocks around the statement being parsed
  bool unterminated_ = false;  //!< the statement before this one ended without ';'
  std::vector<ast::LiteralRef> literals_;  //!< literal tokens parsed as LiteralExpr
};

//! A name token's value: brackets/quotes removed and doubled closers undone.
std::string unquoteIdentifier(const Token& t);
//! A string token's value: quotes removed and '' undone (N prefix dropped).
std::string unquoteString(const Token& t);
//! ASCII lower-case copy (names are compared case-insensitively everywhere).
std::string toLower(std::string_view s);

}  // namespace tsql
