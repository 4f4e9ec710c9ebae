// Declarations: DECLARE of scalars and table variables, SET of variables and
// session options, data types and the column definitions shared with CREATE TABLE.
#include <cstdlib>
#include <optional>

#include "tsql/parser/parser.h"

namespace tsql {

// declare := DECLARE var-decl { ',' var-decl }
// var-decl := @name [AS] type [ '=' expr ] | @name [AS] TABLE '(' table-def ')'
ast::StmtPtr Parser::parseDeclare() {
  SourcePos pos = advance().pos;
  if (!at(TokenKind::Variable)) return parseDeclareCursor(pos);
  auto stmt = std::make_unique<ast::DeclareStmt>(pos);
  do {
    ast::VarDecl var;
    var.pos = peek().pos;
    var.name = toLower(expect(TokenKind::Variable, "a variable name").text);
    accept(Keyword::As);
    if (accept(Keyword::Cursor)) continue;  // a cursor variable: SET @var = CURSOR gives it one
    if (accept(Keyword::Table)) {
      var.type.kind = ast::TypeKind::Table;
      expect(TokenKind::LParen, "'('");
      var.table = std::make_unique<ast::TableDef>(parseTableDef());
      expect(TokenKind::RParen, "')'");
    } else {
      var.type = parseDataType();
      if (accept(TokenKind::Eq)) var.init = parseExpr();
    }
    stmt->vars.push_back(std::move(var));
  } while (accept(TokenKind::Comma));
  return stmt;
}

// set := SET @var ( '=' | '+=' | '-=' | '*=' | '/=' ) expr | SET option-name { word }
ast::StmtPtr Parser::parseSet() {
  SourcePos pos = advance().pos;
  if (at(TokenKind::Variable) && peek(1).kind == TokenKind::Eq &&
      peek(2).keyword == Keyword::Cursor)
    return parseDeclareCursor(pos);
  if (!at(TokenKind::Variable)) {
    if (acceptWord("identity_insert")) return parseIdentityInsert(pos);
    auto opt = std::make_unique<ast::SetOptionStmt>(pos);
    opt->option = toLower(parseName("an option name"));
    // ON / OFF / a number / a name: the option's value (DATEFORMAT, DATEFIRST and
    // LANGUAGE use theirs; the others change nothing here).
    if (at(Keyword::On) || at(TokenKind::Integer) || (atName() && !at(TokenKind::QuotedIdentifier)))
      opt->value = std::string(advance().text);
    return opt;
  }
  auto stmt = std::make_unique<ast::SetStmt>(pos);
  const Token& var = advance();
  stmt->var = toLower(var.text);
  std::optional<ast::BinaryOp> compound;
  switch (peek().kind) {
    case TokenKind::Plus: compound = ast::BinaryOp::Add; break;
    case TokenKind::Minus: compound = ast::BinaryOp::Sub; break;
    case TokenKind::Star: compound = ast::BinaryOp::Mul; break;
    case TokenKind::Slash: compound = ast::BinaryOp::Div; break;
    default: break;
  }
  if (compound) advance();
  expect(TokenKind::Eq, "'='");
  stmt->value = parseExpr();
  if (compound) {
    auto bin = std::make_unique<ast::BinaryExpr>(var.pos);
    bin->op = *compound;
    auto lhs = std::make_unique<ast::VariableExpr>(var.pos);
    lhs->name = stmt->var;
    bin->lhs = std::move(lhs);
    bin->rhs = std::move(stmt->value);
    stmt->value = std::move(bin);
  }
  return stmt;
}

// type := DOUBLE PRECISION | name [ '(' ( integer | MAX ) [ ',' integer ] ')' ]
// A char or varchar written without a length holds `unsizedTextLength` characters:
// 1 in declarations, 30 in CAST and CONVERT, as on the server.
ast::DataType Parser::parseDataType(int unsizedTextLength) {
  const Token& nameTok = peek();
  std::string name = parseName("a data type");
  while (accept(TokenKind::Dot)) name = parseName("a data type");  // sys.int
  // double precision: two words for float
  if (toLower(name) == "double" && at(TokenKind::Identifier) && toLower(peek().text) == "precision") {
    advance();
    name = "float";
  }
  ast::DataType t = ast::typeFromName(name);
  if (t.kind == ast::TypeKind::Unknown)
    fail(nameTok, "Column, parameter, or variable: cannot find data type " + name);
  if (accept(TokenKind::LParen)) {
    if (at(TokenKind::Identifier) && toLower(peek().text) == "max") {
      advance();
      t.length = -1;
    } else {
      t.length = std::atoi(std::string(expect(TokenKind::Integer, "a length").text).c_str());
      t.precision = t.length;
      if (accept(TokenKind::Comma))
        t.scale = std::atoi(std::string(expect(TokenKind::Integer, "a scale").text).c_str());
    }
    expect(TokenKind::RParen, "')'");
  } else {
    std::string lower = toLower(name);
    if (lower == "char" || lower == "varchar" || lower == "nchar" || lower == "nvarchar")
      t.length = unsizedTextLength;
  }
  if (t.kind == ast::TypeKind::Decimal && t.precision == 0) t.precision = 18;
  std::string lower = toLower(name);
  t.fixed = lower == "char" || lower == "nchar" || lower == "binary";
  return t;
}

// table-def := element { ',' element }
// element := column-def | [CONSTRAINT name] PRIMARY KEY [CLUSTERED|NONCLUSTERED] name-list
//          | [CONSTRAINT name] UNIQUE name-list | [CONSTRAINT name] CHECK '(' condition ')'
ast::TableDef Parser::parseTableDef() {
  ast::TableDef def;
  do {
    if (at(TokenKind::RParen)) break;  // a trailing comma
    std::string constraint;
    if (accept(Keyword::Constraint)) constraint = parseName("a constraint name");
    if (accept(Keyword::Check)) {
      def.checks.push_back(parseCheck(std::move(constraint), {}));
    } else if (accept(Keyword::Primary)) {
      expect(Keyword::Key);
      if (!accept(Keyword::Clustered)) accept(Keyword::Nonclustered);
      def.primaryKey = parseNameList();
    } else if (accept(Keyword::Unique)) {
      if (!accept(Keyword::Clustered)) accept(Keyword::Nonclustered);
      def.uniques.push_back(parseNameList());
    } else {
      def.columns.push_back(parseColumnDef(def.checks));
    }
  } while (accept(TokenKind::Comma));
  return def;
}

// check := CHECK '(' condition ')'   (CHECK already read)
ast::CheckDef Parser::parseCheck(std::string name, std::string column) {
  ast::CheckDef check;
  check.name = std::move(name);
  check.column = std::move(column);
  expect(TokenKind::LParen, "'('");
  check.expr = parseExpr();
  expect(TokenKind::RParen, "')'");
  return check;
}

// column-def := name ( type | AS expr [PERSISTED] ) { IDENTITY [ '(' seed ',' step ')' ] | [NOT] NULL
//   | [CONSTRAINT name] DEFAULT expr | [CONSTRAINT name] CHECK '(' condition ')'
//   | PRIMARY KEY [CLUSTERED] | UNIQUE | COLLATE name }
// The column's CHECKs go to `checks`, the table's list.
ast::ColumnDef Parser::parseColumnDef(std::vector<ast::CheckDef>& checks) {
  ast::ColumnDef col;
  col.pos = peek().pos;
  col.name = parseName("a column name");
  if (accept(Keyword::As)) {  // a computed column: name AS expr [PERSISTED]
    const std::size_t start = static_cast<std::size_t>(peek().text.data() - text_.data());
    col.computed = parseExpr();
    const Token& last = tokens_[pos_ - 1];
    col.computedText = std::string(text_.substr(start, static_cast<std::size_t>(last.text.data() - text_.data()) +
                                                           last.text.size() - start));
    col.persisted = acceptWord("persisted");
  } else {
    col.type = parseDataType();
  }
  for (;;) {
    if (accept(Keyword::Identity)) {
      col.identity = true;
      if (accept(TokenKind::LParen)) {
        col.identitySeed = parseSignedInteger();
        expect(TokenKind::Comma, "','");
        col.identityStep = parseSignedInteger();
        expect(TokenKind::RParen, "')'");
      }
    } else if (accept(Keyword::Not)) {
      expect(Keyword::Null);
      col.notNull = true;
    } else if (accept(Keyword::Null)) {
    } else if (accept(Keyword::Constraint)) {
      std::string name = parseName("a constraint name");
      if (accept(Keyword::Check)) checks.push_back(parseCheck(std::move(name), col.name));
    } else if (accept(Keyword::Check)) {
      checks.push_back(parseCheck({}, col.name));
    } else if (accept(Keyword::Default)) {
      col.defaultValue = parseExpr(5);
    } else if (accept(Keyword::Primary)) {
      expect(Keyword::Key);
      if (!accept(Keyword::Clustered)) accept(Keyword::Nonclustered);
      col.primaryKey = true;
    } else if (accept(Keyword::Unique)) {
      col.unique = true;
    } else if (at(TokenKind::Identifier) && toLower(peek().text) == "collate") {
      advance();
      parseName("a collation name");
    } else {
      return col;
    }
  }
}

}  // namespace tsql
