// Parser core: the token buffer, name helpers, and the statement dispatcher that
// decides from the first keyword (and a look-ahead for BEGIN) which family parses.
#include "tsql/parser/parser.h"

#include "tsql/lexer/lexer.h"

#include <utility>

namespace tsql {

namespace {

// Bytes of syntax tree per byte of batch text, about: a 60 kB save batch of a hundred
// lines makes nearly 1 MB of nodes, in one block at this ratio.
constexpr std::size_t kTreeBytesPerTextByte = 16;

}  // namespace

std::string toLower(std::string_view s) {
  std::string out(s);
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
  return out;
}

std::string unquoteIdentifier(const Token& t) {
  if (t.kind != TokenKind::QuotedIdentifier) return std::string(t.text);
  char close = t.text.front() == '[' ? ']' : '"';
  std::string out;
  out.reserve(t.text.size());
  for (std::size_t i = 1; i + 1 < t.text.size(); ++i) {
    out += t.text[i];
    if (t.text[i] == close) ++i;  // a doubled closer stands for one
  }
  return out;
}

std::string unquoteString(const Token& t) {
  std::string_view s = t.text;
  if (t.kind == TokenKind::NString) s.remove_prefix(1);
  std::string out;
  out.reserve(s.size());
  for (std::size_t i = 1; i + 1 < s.size(); ++i) {
    out += s[i];
    if (s[i] == '\'') ++i;
  }
  return out;
}

Parser::Parser(std::string_view text, std::vector<Token> tokens) : text_(text), tokens_(std::move(tokens)) {
  assert(!tokens_.empty() && tokens_.back().kind == TokenKind::End);
}

Parser::Parser(std::string_view text) : text_(text) {
  Lexer lexer(text);
  tokens_.reserve(text.size() / 4 + 4);
  for (;;) {
    tokens_.push_back(lexer.next());
    if (tokens_.back().kind == TokenKind::End) break;
  }
}

Parser::DepthGuard::DepthGuard(Parser& p) : p_(p) {
  constexpr int kMaxDepth = 400;
  if (++p_.depth_ > kMaxDepth) {
    --p_.depth_;
    throw SyntaxError("The statement is nested too deeply", p_.peek().pos);
  }
}

const Token& Parser::peek(std::size_t ahead) const {
  std::size_t i = pos_ + ahead;
  return i < tokens_.size() ? tokens_[i] : tokens_.back();
}

const Token& Parser::advance() {
  const Token& t = tokens_[pos_];
  if (pos_ + 1 < tokens_.size()) ++pos_;
  return t;
}

bool Parser::accept(TokenKind k) {
  if (!at(k)) return false;
  advance();
  return true;
}

bool Parser::accept(Keyword k) {
  if (!at(k)) return false;
  advance();
  return true;
}

const Token& Parser::expect(TokenKind k, std::string_view what) {
  if (!at(k)) fail(peek(), "Expected " + std::string(what) + " near " +
                               (at(TokenKind::End) ? std::string("the end of the batch")
                                                   : "'" + std::string(peek().text) + "'"));
  return advance();
}

const Token& Parser::expect(Keyword k) {
  if (!at(k)) fail(peek());
  return advance();
}

void Parser::fail(const Token& near) const {
  if (near.kind == TokenKind::End)
    throw SyntaxError("Incorrect syntax near the end of the batch", near.pos);
  throw SyntaxError("Incorrect syntax near '" + std::string(near.text) + "'", near.pos);
}

void Parser::fail(const Token& at, const std::string& message) const {
  throw SyntaxError(message, at.pos);
}

bool Parser::atName() const {
  const Token& t = peek();
  return t.kind == TokenKind::QuotedIdentifier ||
         (t.kind == TokenKind::Identifier && !isReservedKeyword(t.keyword));
}

bool Parser::acceptWord(std::string_view lowerWord) {
  if (peek().kind != TokenKind::Identifier || toLower(peek().text) != lowerWord) return false;
  advance();
  return true;
}

void Parser::expectWord(std::string_view lowerWord) {
  if (!acceptWord(lowerWord)) fail(peek());
}

// name := identifier | quoted-identifier
std::string Parser::parseName(const char* what) {
  const Token& t = peek();
  if (t.kind == TokenKind::QuotedIdentifier || t.kind == TokenKind::Identifier) {
    advance();
    return unquoteIdentifier(t);
  }
  fail(t, std::string("Expected ") + what + " near '" + std::string(t.text) + "'");
}

// object-name := [ [database '.'] schema '.' ] name | '@' table-variable
// The schema (dbo) is dropped: the embedded database has one.
std::string Parser::parseObjectName() {
  if (at(TokenKind::Variable)) return toLower(advance().text);
  std::string name = parseName("an object name");
  while (accept(TokenKind::Dot)) {
    if (at(TokenKind::Dot)) continue;  // db..table
    name = parseName("an object name");
  }
  return name;
}

// name-list := '(' name [ASC|DESC] { ',' name [ASC|DESC] } ')'
std::vector<std::string> Parser::parseNameList() {
  std::vector<std::string> names;
  expect(TokenKind::LParen, "'('");
  do {
    names.push_back(parseName("a column name"));
    if (!accept(Keyword::Asc)) accept(Keyword::Desc);
  } while (accept(TokenKind::Comma));
  expect(TokenKind::RParen, "')'");
  return names;
}

bool Parser::atStatementEnd() const {
  const Token& t = peek();
  return t.kind == TokenKind::End || t.kind == TokenKind::Semicolon ||
         (t.kind == TokenKind::Identifier && isReservedKeyword(t.keyword));
}

// batch := { statement [';'] }
ast::Batch Parser::parseBatch() {
  ast::Batch batch;
  // The nodes are carved from the batch's own arena; the text's length foretells the
  // tree's size well enough to make one block of most batches.
  batch.arena = std::make_unique<ast::TreeArena>(text_.size() * kTreeBytesPerTextByte);
  ast::TreeArenaScope carving(*batch.arena);
  while (!at(TokenKind::End)) {
    if (accept(TokenKind::Semicolon) || accept(Keyword::Go)) {
      unterminated_ = false;
      continue;
    }
    batch.statements.push_back(parseStatement());
    unterminated_ = true;
  }
  checkLabels(batch.statements);
  batch.literals = std::move(literals_);
  return batch;
}

// statements := { statement [';'] } up to END (not consumed)
ast::StmtList Parser::parseStatementsUntilEnd() {
  ast::StmtList list;
  unterminated_ = false;  // the list opens after BEGIN [TRY | CATCH], which needs no ';'
  for (;;) {
    if (accept(TokenKind::Semicolon)) {
      unterminated_ = false;
      continue;
    }
    if (at(Keyword::End) || at(TokenKind::End)) break;
    list.push_back(parseStatement());
    unterminated_ = true;
  }
  return list;
}

ast::StmtPtr Parser::withQueryOption(ast::StmtPtr stmt) {
  parseQueryOption(*stmt);
  return stmt;
}

ast::StmtPtr Parser::parseStatement() {
  DepthGuard guard(*this);
  const Token& t = peek();
  // A label needs no ';' after it.
  bool afterUnterminated = std::exchange(unterminated_, false) &&
                           !(pos_ > 0 && tokens_[pos_ - 1].kind == TokenKind::Colon);
  switch (t.keyword) {
    case Keyword::Select: {
      auto s = std::make_unique<ast::SelectStmt>(t.pos);
      s->query = parseQuery();
      parseQueryOption(*s);
      return s;
    }
    case Keyword::Insert: return withQueryOption(parseInsert());
    case Keyword::Update: return withQueryOption(parseUpdate());
    case Keyword::Delete: return withQueryOption(parseDelete());
    case Keyword::Merge: return parseMerge();
    case Keyword::With: return parseWithStatement();
    case Keyword::Declare: return parseDeclare();
    case Keyword::Set: return parseSet();
    case Keyword::If: return parseIf();
    case Keyword::Begin: return parseBegin();
    case Keyword::While: return parseWhile();
    case Keyword::Break: advance(); return std::make_unique<ast::BreakStmt>(t.pos);
    case Keyword::Continue: advance(); return std::make_unique<ast::ContinueStmt>(t.pos);
    case Keyword::Return: return parseReturn();
    case Keyword::Commit:
    case Keyword::Rollback: return parseTransactionEnd();
    case Keyword::Save: return parseSaveTran();
    case Keyword::Raiserror: return parseRaiserror();
    case Keyword::Print: return parsePrint();
    case Keyword::Exec:
    case Keyword::Execute: return parseResultSets(parseExec());
    case Keyword::Create:
    case Keyword::Alter: return parseCreate();
    case Keyword::Drop: return parseDrop();
    case Keyword::Truncate: return parseTruncate();
    case Keyword::Open:
    case Keyword::Close:
    case Keyword::Deallocate:
    case Keyword::Fetch: return parseCursorStatement();
    default:
      if (t.kind == TokenKind::Identifier && toLower(t.text) == "throw")
        return parseThrow(afterUnterminated);
      if (t.kind == TokenKind::Identifier && toLower(t.text) == "dbcc") return parseDbcc();
      if (t.kind == TokenKind::Identifier && toLower(t.text) == "goto") return parseGoto();
      if (t.kind == TokenKind::Identifier && peek(1).kind == TokenKind::Colon) return parseLabel();
      fail(t);
  }
}

}  // namespace tsql
