// Expression translation. Every binary operator is parenthesised so SQLite's own
// precedence (|| binds tightest there) never changes a T-SQL expression's meaning.
#include "tsql/translate/sql_translator.h"
#include "tsql/translate/translate_helpers.h"

#include <utility>

#include "tsql/ast/decimal_type.h"
#include "tsql/parser/parser.h"
#include "tsql/runtime/decimal_value.h"
#include "tsql/runtime/runtime.h"

namespace tsql::translate {

using ast::TypeKind;

namespace {

bool numericOrNull(const ast::DataType& t) { return t.isNumeric() || t.kind == TypeKind::Null; }
bool textOrNull(const ast::DataType& t) { return t.isText() || t.kind == TypeKind::Null; }

//! The runtime conversion function that casts to a numeric type.
const char* numericConversion(TypeKind k) {
  switch (k) {
    case TypeKind::Bit: case TypeKind::Int: return "tsql_int";
    case TypeKind::BigInt: return "tsql_bigint";
    case TypeKind::Money: return "tsql_money";
    default: return "tsql_float";
  }
}

const char* comparisonText(ast::BinaryOp op) {
  switch (op) {
    case ast::BinaryOp::Eq: return " = ";
    case ast::BinaryOp::Ne: return " <> ";
    case ast::BinaryOp::Lt: return " < ";
    case ast::BinaryOp::Le: return " <= ";
    case ast::BinaryOp::Gt: return " > ";
    default: return " >= ";
  }
}

}  // namespace

std::string quoteText(std::string_view text) {
  std::string out = "'";
  for (char c : text) out += c == '\'' ? std::string("''") : std::string(1, c);
  return out + '\'';
}

std::string quoteIdent(std::string_view name) {
  std::string out;
  out.reserve(name.size() + 2);
  out += '"';
  for (char c : name) {
    out += c;
    if (c == '"') out += '"';
  }
  out += '"';
  return out;
}

Translation SqlTranslator::finish() {
  Translation t;
  t.sql = std::exchange(withPrefix_, {}) + out_;
  t.slots = std::move(slots_);
  t.functionRuns = std::move(functionRuns_);
  out_.clear();
  slots_.clear();
  return t;
}

Translation SqlTranslator::scalar(const ast::Expr& e) {
  out_ = "SELECT ";
  emit(e);
  Translation t;
  t.columnTypes.push_back(typeOf(e));
  t.sql = std::move(out_);
  t.slots = std::move(slots_);
  t.functionRuns = std::move(functionRuns_);
  return t;
}

Translation SqlTranslator::condition(const ast::Expr& e) {
  out_ = "SELECT CASE WHEN ";
  emit(e);
  out_ += " THEN 1 ELSE 0 END";
  return finish();
}

void SqlTranslator::emitSlot(Slot slot) {
  slots_.push_back(std::move(slot));
  out_ += '?';
  out_ += std::to_string(markerBase_ + slots_.size());
}

// A long decimal's exact text must reach the database's decimal functions as a number.
void SqlTranslator::markLongDecimal(const ast::Expr& e) {
  const char* type = env_.dialect().longDecimalMarkerType;
  if (!*type || inlineLiterals_) return;  // constants written inline are numbers already
  ast::DataType t = typeOf(e);
  if (t.kind == ast::TypeKind::Decimal && ast::asDecimal(t).precision > runtime::kExactDoubleDigits) out_ += type;
}

void SqlTranslator::emitLiteral(const ast::LiteralExpr& l) {
  if (l.literalKind == ast::LiteralKind::Null) {
    out_ += "NULL";
  } else if (inlineLiterals_) {
    if (l.literalKind == ast::LiteralKind::String) {
      out_ += '\'';
      for (char c : l.text) {
        out_ += c;
        if (c == '\'') out_ += '\'';
      }
      out_ += '\'';
    } else {
      out_ += l.text;
    }
  } else {
    Slot s;
    s.kind = Slot::Kind::Literal;
    s.literal = &l;
    emitSlot(std::move(s));
  }
}

void SqlTranslator::emitColumnRef(const ast::ColumnRefExpr& c) {
  if (emitComputedOnRead(c)) return;
  if (returning_) return emitReturningColumn(c);
  if (outerReads_ && !outerReads_->read) noteOuterRead(c);
  const Source* source = nullptr;
  std::size_t index = 0;
  if (qualifyColumns_ && resolveColumn(c, source, index)) {
    if (source->inner && !source->inner->sqlItems.empty()) {  // a column of an applied table: its subquery
      out_ += source->inner->sqlItems[index];
      return;
    }
    if (source->inner) return emitSourceItem(*source, index);  // a flattened column: its expression
    out_ += quoteIdent(source->alias) + '.' + quoteIdent(c.column());
    return;
  }
  // [db.][schema.]table.column: SQLite knows only table.column.
  std::size_t first = c.parts.size() > 2 ? c.parts.size() - 2 : 0;
  for (std::size_t i = first; i < c.parts.size(); ++i) {
    if (i > first) out_ += '.';
    out_ += quoteIdent(c.parts[i]);
  }
}

void SqlTranslator::emitSubquery(const ast::Query& q) {
  out_ += '(';
  subqueryCores_ = true;
  emitQuery(q, nullptr);
  out_ += ')';
}

void SqlTranslator::emitConversion(const char* fn, const ast::Expr& e) {
  out_ += fn;
  out_ += '(';
  emit(e);
  out_ += ')';
}

// One line per node kind; a subtree the driving query of an assignment computes, and a
// column rolled up in the grouping set being written, are replaced first.
void SqlTranslator::emit(const ast::Expr& e) {
  for (std::size_t i = 0; i < rowParts_.size(); ++i) {
    if (rowParts_[i] == &e) {
      Slot s;
      s.kind = Slot::Kind::RowValue;
      s.rowIndex = static_cast<int>(i);
      return emitSlot(std::move(s));
    }
  }
  for (std::size_t i = 0; i < outerKeyReads_.size(); ++i)  // the enclosing row's, in ORDER BY
    if (outerKeyReads_[i] == &e) {
      out_ += "\"tsql_outer_\".\"v" + std::to_string(i) + "\"";
      return;
    }
  if (groupingSet_ && emitGroupingReplacement(e)) return;
  if (e.kind == ast::NodeKind::ColumnRef && emitOuterGroupKey(ast::nodeCast<ast::ColumnRefExpr>(e))) return;
  using ast::NodeKind;
  switch (e.kind) {
    case NodeKind::Literal: emitLiteral(ast::nodeCast<ast::LiteralExpr>(e)); return markLongDecimal(e);
    case NodeKind::ColumnRef: return emitColumnRef(ast::nodeCast<ast::ColumnRefExpr>(e));
    case NodeKind::Variable: emitVariable(ast::nodeCast<ast::VariableExpr>(e)); return markLongDecimal(e);
    case NodeKind::SystemVariable:
      return emitNamedSlot(Slot::Kind::SystemVariable, ast::nodeCast<ast::SystemVariableExpr>(e).name);
    case NodeKind::HostParameter:
      return emitNamedSlot(Slot::Kind::HostParameter, ast::nodeCast<ast::HostParameterExpr>(e).name);
    case NodeKind::Unary: return emitUnary(ast::nodeCast<ast::UnaryExpr>(e));
    case NodeKind::Binary: return emitBinary(ast::nodeCast<ast::BinaryExpr>(e));
    case NodeKind::FunctionCall: {
      const auto& f = ast::nodeCast<ast::FunctionCallExpr>(e);
      if (isPercentile(f)) return emitPercentile(f);
      return f.over ? emitWindowFunction(f) : emitFunction(f);
    }
    case NodeKind::Cast: {
      const auto& c = ast::nodeCast<ast::CastExpr>(e);
      return emitCast(*c.operand, c.type, c.style.get(), c.tolerant);
    }
    case NodeKind::Case: return emitCase(ast::nodeCast<ast::CaseExpr>(e));
    case NodeKind::In: return emitIn(ast::nodeCast<ast::InExpr>(e));
    case NodeKind::Exists: out_ += "EXISTS "; return emitSubquery(*ast::nodeCast<ast::ExistsExpr>(e).subquery);
    case NodeKind::Between: return emitBetween(ast::nodeCast<ast::BetweenExpr>(e));
    case NodeKind::Like: return emitLike(ast::nodeCast<ast::LikeExpr>(e));
    case NodeKind::IsNull: return emitIsNull(ast::nodeCast<ast::IsNullExpr>(e));
    case NodeKind::Subquery: return emitSubquery(*ast::nodeCast<ast::SubqueryExpr>(e).query);
    case NodeKind::Quantified: return emitQuantified(ast::nodeCast<ast::QuantifiedExpr>(e));
    default: assert(false && "not an expression");
  }
}

void SqlTranslator::emitVariable(const ast::VariableExpr& v) {
  if (emitInlinedParameter(v)) return;
  if (!env_.variableType(v.name)) throw TranslateError(errors::Error::UndeclaredVariable, {v.name});
  if (!rowVariables_.empty())
    if (auto it = rowVariables_.find(v.name); it != rowVariables_.end()) {
      out_ += it->second;
      return;
    }
  emitNamedSlot(Slot::Kind::Variable, v.name);
}

void SqlTranslator::emitNamedSlot(Slot::Kind kind, const std::string& name) {
  Slot s;
  s.kind = kind;
  s.name = name;
  emitSlot(std::move(s));
}

void SqlTranslator::emitUnary(const ast::UnaryExpr& u) {
  switch (u.op) {
    case ast::UnaryOp::Not: out_ += "(NOT "; emit(*u.operand); out_ += ')'; return;
    case ast::UnaryOp::Plus: emit(*u.operand); return;
    case ast::UnaryOp::BitNot: out_ += "(~"; emit(*u.operand); out_ += ')'; return;
    case ast::UnaryOp::Negate:
      if (ast::DataType t = typeOf(*u.operand); t.kind == TypeKind::Decimal) {
        emitDecimalNegate(*u.operand, t);
      } else if (numericOrNull(t)) {
        // -(-2147483648) is past int's range; a constant's negation never is
        const char* check = u.operand->kind == ast::NodeKind::Literal
                                ? nullptr
                                : integerRangeCheck(typeOf(u), env_.dialect().typedFunctions);
        out_ += check ? std::string(check) + "((-" : std::string("(-");
        emit(*u.operand);
        out_ += check ? "))" : ")";
      } else {
        emitConversion("tsql_neg", *u.operand);
      }
      return;
  }
}

void SqlTranslator::emitBinary(const ast::BinaryExpr& b) {
  switch (b.op) {
    case ast::BinaryOp::And: return emitInfix(b, " AND ");
    case ast::BinaryOp::Or: return emitInfix(b, " OR ");
    case ast::BinaryOp::Eq: case ast::BinaryOp::Ne: case ast::BinaryOp::Lt:
    case ast::BinaryOp::Le: case ast::BinaryOp::Gt: case ast::BinaryOp::Ge:
      return emitComparison(b);
    case ast::BinaryOp::BitAnd: return emitInfix(b, " & ");
    case ast::BinaryOp::BitOr: return emitInfix(b, " | ");
    case ast::BinaryOp::BitXor: return emitBitXor(b);
    default: return emitMoneyChecked(b);
  }
}

// SQLite has no xor operator: the runtime's tsql_bitxor stands in. Spelt out as
// (a | b) - (a & b) each side would be written twice, so a chain of n ^ would double
// the statement's text n times over.
void SqlTranslator::emitBitXor(const ast::BinaryExpr& b) {
  if (const char* op = env_.dialect().bitXorOperator) return emitInfix(b, op);
  emitRuntimeCall("tsql_bitxor", b, false);
}

// + - * / %: decided from the operand types where known (see the file header).
// Money arithmetic gives money: rounded to four decimals and kept in money's range
// (8115 beyond it) instead of growing past what a money value can hold.
void SqlTranslator::emitMoneyChecked(const ast::BinaryExpr& b) {
  ast::DataType type = typeOf(b);
  if (b.op == ast::BinaryOp::Mod || type.kind != TypeKind::Money) return emitArithmetic(b);
  out_ += type.isSmallMoney() ? "tsql_smallmoney(" : "tsql_money(";
  emitArithmetic(b);
  out_ += ')';
}

void SqlTranslator::emitArithmetic(const ast::BinaryExpr& b) {
  ast::DataType lt = typeOf(*b.lhs);
  ast::DataType rt = typeOf(*b.rhs);
  if (emitDecimalArithmetic(b, lt, rt)) return;
  // int + - * int is an int (smallint, tinyint, bigint alike), and past its range SQL
  // Server's 8115 (the databases would go on in 64 bits or in floating point)
  const char* check = b.op <= ast::BinaryOp::Mul && numericOrNull(lt) && numericOrNull(rt)
                          ? integerRangeCheck(typeOf(b), env_.dialect().typedFunctions)
                          : nullptr;
  if (!check) return emitArithmeticOperator(b, lt, rt);
  out_ += check;
  out_ += '(';
  emitArithmeticOperator(b, lt, rt);
  out_ += ')';
}

void SqlTranslator::emitArithmeticOperator(const ast::BinaryExpr& b, const ast::DataType& lt,
                                           const ast::DataType& rt) {
  bool bothNumeric = numericOrNull(lt) && numericOrNull(rt);
  switch (b.op) {
    case ast::BinaryOp::Add: return emitAddition(b, lt, rt);
    case ast::BinaryOp::Sub: return bothNumeric ? emitInfix(b, " - ") : emitRuntimeCall("tsql_sub", b, false);
    case ast::BinaryOp::Mul: return bothNumeric ? emitInfix(b, " * ") : emitRuntimeCall("tsql_mul", b, false);
    case ast::BinaryOp::Div: {
      // A money or float stored as a whole number comes back as INTEGER; make the
      // division real when either side's type says it is not an integer type.
      bool leftInteger = isIntegerClass(lt.kind) || lt.kind == TypeKind::Null;
      bool rightInteger = isIntegerClass(rt.kind) || rt.kind == TypeKind::Null;
      return emitRuntimeCall("tsql_div", b, bothNumeric && !(leftInteger && rightInteger));
    }
    default: return emitRuntimeCall("tsql_mod", b, false);
  }
}

// + concatenates text, adds numbers, and converts a text side to the number's type.
void SqlTranslator::emitAddition(const ast::BinaryExpr& b, const ast::DataType& lt, const ast::DataType& rt) {
  if (textOrNull(lt) && textOrNull(rt) && (lt.isText() || rt.isText())) return emitConcatenation(b);
  if (numericOrNull(lt) && numericOrNull(rt)) return emitInfix(b, " + ");
  if (lt.isText() && rt.isNumeric()) {
    out_ += '(';
    emitConversion(numericConversion(rt.kind), *b.lhs);
    out_ += " + ";
    emit(*b.rhs);
    out_ += ')';
    return;
  }
  if (rt.isText() && lt.isNumeric()) {
    out_ += '(';
    emit(*b.lhs);
    out_ += " + ";
    emitConversion(numericConversion(lt.kind), *b.rhs);
    out_ += ')';
    return;
  }
  emitRuntimeCall("tsql_add", b, false);
}

void SqlTranslator::emitInfix(const ast::BinaryExpr& b, const char* op) {
  out_ += '(';
  emit(*b.lhs);
  out_ += op;
  emit(*b.rhs);
  out_ += ')';
}

void SqlTranslator::emitRuntimeCall(const char* fn, const ast::BinaryExpr& b, bool realLeft) {
  out_ += fn;
  out_ += realLeft ? "(CAST(" : "(";
  emit(*b.lhs);
  out_ += realLeft ? " AS REAL), " : ", ";
  emit(*b.rhs);
  out_ += ')';
}

// A comparison operand: text meeting a date becomes a datetime, text meeting a
// number becomes that number, and text that is not a column gets the collation.
void SqlTranslator::emitComparand(const ast::Expr& e, const ast::DataType& self,
                                  const ast::DataType& other) {
  const bool meetsColumn = std::exchange(comparandMeetsColumn_, false);
  if (emitDatetime2Comparand(e, self, other)) return;
  if (self.isText() && other.isDate()) return emitConversion("tsql_datetime", e);
  if (self.isText() && other.isNumeric()) return emitConversion(numericConversion(other.kind), e);
  if (self.isText() && !storedColumn(e) && !explicitCollation_)
    return emitCaseBlindComparand(e, other, meetsColumn);
  if (meetsColumn && !explicitCollation_ && emitPaddedColumn(e, self, other)) return;
  emit(e);
}

namespace {

bool isCollated(const ast::Expr& e) {
  const auto* f = ast::nodeAs<ast::FunctionCallExpr>(&e);
  return f && f->name == "collate";
}

}  // namespace

void SqlTranslator::emitComparison(const ast::BinaryExpr& b) {
  if (emitDecimalComparison(b, comparisonText(b.op), typeOf(*b.lhs), typeOf(*b.rhs))) return;
  emitComparison(*b.lhs, b.op, *b.rhs);
}

void SqlTranslator::emitComparison(const ast::Expr& lhs, ast::BinaryOp op, const ast::Expr& rhs) {
  const ast::DataType lt = typeOf(lhs);
  const ast::DataType rt = typeOf(rhs);
  // a COLLATE written on either side decides the comparison: no default on the other
  bool saved = explicitCollation_;
  explicitCollation_ = isCollated(lhs) || isCollated(rhs);
  out_ += '(';
  comparandMeetsColumn_ = storedColumn(rhs);
  emitComparand(lhs, lt, rt);
  out_ += comparisonText(op);
  comparandMeetsColumn_ = storedColumn(lhs);
  emitComparand(rhs, rt, lt);
  out_ += ')';
  explicitCollation_ = saved;
}

}  // namespace tsql::translate
