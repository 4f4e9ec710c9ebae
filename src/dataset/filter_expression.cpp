// Filter texts: a small lexer, a precedence-climbing parser that compiles straight
// into a flat node list, and the evaluator. Constants are converted to the type of
// the field they are compared with at compile time, so testing a row is a plain
// comparison of two values of one type (no text conversions per row).
#include "dataset/filter_expression.h"

#include <algorithm>
#include <cctype>
#include <cmath>

#include "dataset/data_set_error.h"

namespace dataset {

namespace {

enum class Tok { End, Ident, String, Number, Op, LParen, RParen, Minus };

struct Token {
  Tok kind = Tok::End;
  std::string text;  // identifier, unquoted string, number or operator
  size_t pos = 0;    // 0-based offset in the filter text
};

bool identStart(unsigned char c) { return std::isalpha(c) || c == '_' || c >= 0x80; }
bool identPart(unsigned char c) { return identStart(c) || std::isdigit(c); }

[[noreturn]] void fail(std::string_view text, size_t pos, const std::string& what) {
  throw DataSetError("Filter \"" + std::string(text) + "\": " + what + " at position " +
                     std::to_string(pos + 1));
}

// A quoted text from its opening quote at `i`; a doubled quote is one ('it''s').
size_t readQuoted(std::string_view s, size_t i, Token& t) {
  t.kind = Tok::String;
  for (++i;; ++i) {
    if (i >= s.size()) fail(s, t.pos, "unterminated text");
    if (s[i] != '\'') {
      t.text += s[i];
    } else if (i + 1 < s.size() && s[i + 1] == '\'') {
      t.text += '\'';
      ++i;
    } else {
      return i + 1;
    }
  }
}

// =, <, >, <=, >=, <> and !=; a lone '!' is refused.
size_t readOperator(std::string_view s, size_t i, Token& t) {
  const char c = s[i++];
  t.kind = Tok::Op;
  t.text = std::string(1, c);
  if (i < s.size() && (s[i] == '=' || (c == '<' && s[i] == '>'))) t.text += s[i++];
  if (t.text == "!") fail(s, t.pos, "unexpected '!'");
  return i;
}

// The token that starts at `i` (not a blank) into `t`; returns where the next starts.
size_t readToken(std::string_view s, size_t i, Token& t) {
  const unsigned char c = s[i];
  if (c == '\'') return readQuoted(s, i, t);
  if (c == '[') {
    size_t close = s.find(']', i);
    if (close == std::string_view::npos) fail(s, i, "missing ']'");
    t.kind = Tok::Ident;
    t.text = std::string(s.substr(i + 1, close - i - 1));
    return close + 1;
  }
  if (std::isdigit(c) || (c == '.' && i + 1 < s.size() && std::isdigit((unsigned char)s[i + 1]))) {
    t.kind = Tok::Number;
    while (i < s.size() && (std::isdigit((unsigned char)s[i]) || s[i] == '.')) t.text += s[i++];
    return i;
  }
  if (identStart(c)) {
    t.kind = Tok::Ident;
    while (i < s.size() && identPart((unsigned char)s[i])) t.text += s[i++];
    return i;
  }
  if (c == '(' || c == ')' || c == '-') {
    t.kind = c == '(' ? Tok::LParen : c == ')' ? Tok::RParen : Tok::Minus;
    return i + 1;
  }
  if (c == '=' || c == '<' || c == '>' || c == '!') return readOperator(s, i, t);
  fail(s, i, std::string("unexpected '") + static_cast<char>(c) + "'");
}

// Splits a filter text into tokens.
std::vector<Token> tokenize(std::string_view s) {
  std::vector<Token> out;
  size_t i = 0;
  while (i < s.size()) {
    if (std::isspace(static_cast<unsigned char>(s[i]))) {
      ++i;
      continue;
    }
    Token t;
    t.pos = i;
    i = readToken(s, i, t);
    out.push_back(std::move(t));
  }
  out.push_back(Token{Tok::End, "", s.size()});
  return out;
}

bool isKeyword(const Token& t, std::string_view kw) {
  if (t.kind != Tok::Ident || t.text.size() != kw.size()) return false;
  for (size_t i = 0; i < kw.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(t.text[i])) != kw[i]) return false;
  return true;
}

// Three-way comparison of two non-null values; nullopt when they cannot be ordered.
std::optional<int> compareValues(const core::Value& a, const core::Value& b) {
  using VT = core::ValueType;
  auto sign = [](auto x, auto y) { return x < y ? -1 : (y < x ? 1 : 0); };
  if (a.type() == b.type()) {
    switch (a.type()) {
      case VT::Integer:
        return sign(a.asInteger(), b.asInteger());
      case VT::Currency:
        return sign(a.asCurrency().raw(), b.asCurrency().raw());
      case VT::Boolean:
        return sign(a.asBool(), b.asBool());
      case VT::DateTime:
        return sign(a.asDateTime().millis(), b.asDateTime().millis());
      default:
        break;
    }
  }
  auto numeric = [](const core::Value& v) {
    return v.type() == VT::Integer || v.type() == VT::Float || v.type() == VT::Currency ||
           v.type() == VT::Boolean;
  };
  if (numeric(a) && numeric(b)) {
    auto ld = [](const core::Value& v) {
      return v.type() == VT::Currency
                 ? v.asCurrency().toLongDouble()
                 : static_cast<long double>(v.type() == VT::Float ? v.asFloat() : v.asInteger());
    };
    long double x = ld(a), y = ld(b);
    if (std::isnan(x) || std::isnan(y)) return std::nullopt;
    return sign(x, y);
  }
  return sign(a.asText(), b.asText());
}

bool testCompare(FilterExpression::CompareOp op, const core::Value& a, const core::Value& b) {
  using Op = FilterExpression::CompareOp;
  if (a.isNull() || b.isNull()) return false;
  if ((op == Op::Eq || op == Op::Ne) && a.type() == b.type()) return (a == b) == (op == Op::Eq);
  std::optional<int> c = compareValues(a, b);
  if (!c) return false;
  switch (op) {
    case Op::Eq:
      return *c == 0;
    case Op::Ne:
      return *c != 0;
    case Op::Lt:
      return *c < 0;
    case Op::Gt:
      return *c > 0;
    case Op::Le:
      return *c <= 0;
    case Op::Ge:
      return *c >= 0;
  }
  return false;
}

}  // namespace

// Parses one filter text into the node list of a FilterExpression.
class FilterParser {
 public:
  FilterParser(std::string_view text, const FilterExpression::FieldResolver& resolve,
               FilterExpression& out)
      : text_(text), toks_(tokenize(text)), resolve_(resolve), out_(out) {}

  void run() {
    if (toks_.front().kind == Tok::End) return;
    Item top = parseExpr(1);
    if (peek().kind != Tok::End) fail(text_, peek().pos, "unexpected '" + peek().text + "'");
    out_.root_ = toPredicate(top);
  }

 private:
  // An operand (field or constant) or a compiled predicate node.
  struct Item {
    bool isValue = true;
    int field = -1;
    FieldType fieldType = FieldType::Text;
    std::string fieldName;
    core::Value constant;        // typed constant
    std::string literal;         // source text of a number or quoted text constant
    bool isLiteralText = false;  // the constant came from a number or quoted text
    int node = -1;
    size_t pos = 0;
  };

  const Token& peek() const { return toks_[at_]; }
  const Token& take() { return toks_[at_++]; }

  // Binding power of the binary operator at the cursor: or 1, and 2, comparisons 3.
  int precedence(const Token& t) const {
    if (isKeyword(t, "or")) return 1;
    if (isKeyword(t, "and")) return 2;
    if (t.kind == Tok::Op || isKeyword(t, "is")) return 3;
    return 0;
  }

  // expr := unary { binop expr }   (precedence climbing over the table above)
  Item parseExpr(int minPrec) {
    constexpr int kMostNesting = 200;  // far beyond any filter a form writes
    if (++depth_ > kMostNesting) fail(text_, peek().pos, "expression nested too deeply");
    struct Leave {
      int& depth;
      ~Leave() { --depth; }
    } leave{depth_};
    Item lhs = parseUnary();
    while (true) {
      const Token& op = peek();
      int prec = precedence(op);
      if (prec == 0 || prec < minPrec) return lhs;
      Token opTok = take();
      if (isKeyword(opTok, "is")) {
        lhs = parseIsNull(lhs, opTok);
        continue;
      }
      Item rhs = parseExpr(prec + 1);
      lhs = prec == 3 ? makeCompare(opTok, lhs, rhs) : makeLogical(opTok, lhs, rhs);
    }
  }

  // unary := 'not' expr(3) | '(' expr ')' | ['-'] number | 'text' | true | false | null | field
  Item parseUnary() {
    const Token& t = take();
    Item it;
    it.pos = t.pos;
    if (isKeyword(t, "not")) {
      int child = toPredicate(parseExpr(3));
      return predicate(FilterExpression::Node::Kind::Not, child, -1, t.pos);
    }
    if (t.kind == Tok::LParen) {
      Item inner = parseExpr(1);
      if (take().kind != Tok::RParen) fail(text_, toks_[at_ - 1].pos, "expected ')'");
      return inner;
    }
    if (t.kind == Tok::Minus) {
      if (peek().kind != Tok::Number) fail(text_, t.pos, "expected a number after '-'");
      return numberItem("-" + take().text, t.pos);
    }
    if (t.kind == Tok::Number) return numberItem(t.text, t.pos);
    if (t.kind == Tok::String) {
      it.constant = t.text, it.literal = t.text, it.isLiteralText = true;
      return it;
    }
    if (isKeyword(t, "true") || isKeyword(t, "false"))
      return it.constant = isKeyword(t, "true"), it;
    if (isKeyword(t, "null")) return it;
    if (t.kind == Tok::Ident) return fieldItem(t);
    fail(text_, t.pos, t.kind == Tok::End ? "unexpected end" : "unexpected '" + t.text + "'");
  }

  Item numberItem(const std::string& text, size_t pos) {
    Item it;
    it.pos = pos, it.literal = text, it.isLiteralText = true;
    if (text.find('.') == std::string::npos) {
      it.constant = convertForField(FieldType::Integer, core::Value(text), text);
    } else {
      it.constant = convertForField(FieldType::Float, core::Value(text), text);
    }
    return it;
  }

  Item fieldItem(const Token& t) {
    auto ref = resolve_(t.text);
    if (!ref) fail(text_, t.pos, "field '" + t.text + "' not found");
    Item it;
    it.pos = t.pos, it.field = ref->index, it.fieldType = ref->type, it.fieldName = ref->name;
    return it;
  }

  // `is null` / `is not null` after an operand.
  Item parseIsNull(const Item& lhs, const Token& isTok) {
    bool negate = false;
    if (isKeyword(peek(), "not")) take(), negate = true;
    if (!isKeyword(take(), "null")) fail(text_, toks_[at_ - 1].pos, "expected null after is");
    return nullTest(lhs, negate, isTok.pos);
  }

  Item nullTest(const Item& operand, bool negate, size_t pos) {
    if (!operand.isValue) fail(text_, pos, "is null needs a field");
    if (operand.field < 0) return constant(operand.constant.isNull() != negate, pos);
    FilterExpression::Node n;
    n.kind = FilterExpression::Node::Kind::IsNull;
    n.leftField = operand.field, n.negate = negate;
    return push(n, pos);
  }

  Item makeLogical(const Token& op, const Item& l, const Item& r) {
    int a = toPredicate(l), b = toPredicate(r);
    auto kind =
        isKeyword(op, "or") ? FilterExpression::Node::Kind::Or : FilterExpression::Node::Kind::And;
    return predicate(kind, a, b, op.pos);
  }

  Item makeCompare(const Token& opTok, Item l, Item r) {
    using Op = FilterExpression::CompareOp;
    if (!l.isValue || !r.isValue)
      fail(text_, opTok.pos, "a comparison needs a field or a value on each side");
    const std::string& o = opTok.text;
    Op op = o == "="                   ? Op::Eq
            : (o == "<>" || o == "!=") ? Op::Ne
            : o == "<"                 ? Op::Lt
            : o == ">"                 ? Op::Gt
            : o == "<="                ? Op::Le
                                       : Op::Ge;
    bool lNull = l.field < 0 && l.constant.isNull(), rNull = r.field < 0 && r.constant.isNull();
    if (lNull || rNull) {
      if (op != Op::Eq && op != Op::Ne)
        fail(text_, opTok.pos, "null can only be compared with = or <>");
      return nullTest(lNull ? r : l, op == Op::Ne, opTok.pos);
    }
    if (l.field >= 0 && r.field < 0) r.constant = typedConstant(r, l);
    if (r.field >= 0 && l.field < 0) l.constant = typedConstant(l, r);
    if (l.field < 0 && r.field < 0)
      return constant(testCompare(op, l.constant, r.constant), opTok.pos);
    FilterExpression::Node n;
    n.kind = FilterExpression::Node::Kind::Compare;
    n.op = op, n.leftField = l.field, n.rightField = r.field;
    n.leftConst = l.constant, n.rightConst = r.constant;
    return push(n, opTok.pos);
  }

  // The constant converted to the type of the field it is compared with.
  core::Value typedConstant(const Item& c, const Item& field) {
    core::Value source = c.isLiteralText ? core::Value(c.literal) : c.constant;
    try {
      return convertForField(field.fieldType, source, field.fieldName);
    } catch (const DataSetError&) {
      fail(text_, c.pos,
           "'" + source.asText() + "' cannot be compared with the " +
               fieldTypeName(field.fieldType) + " field '" + field.fieldName + "'");
    }
  }

  // A bare operand used as a condition: a boolean field or constant.
  int toPredicate(const Item& it) {
    if (!it.isValue) return it.node;
    if (it.field >= 0 && it.fieldType == FieldType::Boolean) {
      FilterExpression::Node n;
      n.kind = FilterExpression::Node::Kind::IsTrue;
      n.leftField = it.field;
      return push(n, it.pos).node;
    }
    if (it.field < 0 && it.constant.type() == core::ValueType::Boolean)
      return constant(it.constant.asBool(), it.pos).node;
    fail(text_, it.pos, "expected a condition");
  }

  Item predicate(FilterExpression::Node::Kind kind, int a, int b, size_t pos) {
    FilterExpression::Node n;
    n.kind = kind, n.left = a, n.right = b;
    return push(n, pos);
  }

  Item constant(bool value, size_t pos) {
    FilterExpression::Node n;
    n.kind = FilterExpression::Node::Kind::Const;
    n.constResult = value;
    return push(n, pos);
  }

  Item push(FilterExpression::Node n, size_t pos) {
    out_.nodes_.push_back(std::move(n));
    Item it;
    it.isValue = false, it.node = static_cast<int>(out_.nodes_.size()) - 1, it.pos = pos;
    return it;
  }

  std::string_view text_;
  std::vector<Token> toks_;
  size_t at_ = 0;
  int depth_ = 0;  // open parentheses and nots, bounded so a hostile text cannot exhaust the stack
  const FilterExpression::FieldResolver& resolve_;
  FilterExpression& out_;
};

FilterExpression FilterExpression::compile(std::string_view text, const FieldResolver& resolve) {
  FilterExpression e;
  FilterParser(text, resolve, e).run();
  return e;
}

std::optional<std::pair<int, std::string>> FilterExpression::requiredTextEquality() const {
  std::vector<int> pending{root_};
  while (!pending.empty() && pending.back() >= 0) {
    const Node& n = nodes_[static_cast<size_t>(pending.back())];
    pending.pop_back();
    if (n.kind == Node::Kind::And) {
      pending.push_back(n.right);
      pending.push_back(n.left);
    } else if (n.kind == Node::Kind::Compare && n.op == CompareOp::Eq &&
               (n.leftField < 0) != (n.rightField < 0)) {
      const core::Value& c = n.leftField < 0 ? n.leftConst : n.rightConst;
      if (c.type() == core::ValueType::Text)
        return std::make_pair(std::max(n.leftField, n.rightField), c.asText());
    }
  }
  return std::nullopt;
}

bool FilterExpression::matches(const std::vector<core::Value>& row) const {
  return root_ < 0 || eval(root_, row);
}

bool FilterExpression::eval(int index, const std::vector<core::Value>& row) const {
  const Node& n = nodes_[static_cast<size_t>(index)];
  switch (n.kind) {
    case Node::Kind::Or:
      return eval(n.left, row) || eval(n.right, row);
    case Node::Kind::And:
      return eval(n.left, row) && eval(n.right, row);
    case Node::Kind::Not:
      return !eval(n.left, row);
    case Node::Kind::IsNull:
      return row[static_cast<size_t>(n.leftField)].isNull() != n.negate;
    case Node::Kind::IsTrue: {
      const core::Value& v = row[static_cast<size_t>(n.leftField)];
      return !v.isNull() && v.asBool();
    }
    case Node::Kind::Const:
      return n.constResult;
    case Node::Kind::Compare: {
      const core::Value& a = n.leftField >= 0 ? row[static_cast<size_t>(n.leftField)] : n.leftConst;
      const core::Value& b =
          n.rightField >= 0 ? row[static_cast<size_t>(n.rightField)] : n.rightConst;
      return testCompare(n.op, a, b);
    }
  }
  return false;
}

}  // namespace dataset
