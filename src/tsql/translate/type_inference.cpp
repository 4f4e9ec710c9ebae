// Static types of expressions, as far as they can be known before running: column
// types from the catalog (through the query's sources), declared variables, literal
// kinds, function result types and T-SQL's data type precedence for operators.
#include <algorithm>
#include <atomic>
#include <charconv>
#include <cstdlib>
#include <utility>

#include "tsql/ast/decimal_type.h"

#include "tsql/parser/parser.h"

#include "tsql/translate/sql_translator.h"

namespace tsql::translate {

using ast::DataType;
using ast::TypeKind;

namespace {

DataType ofKind(TypeKind k) {
  DataType t;
  t.kind = k;
  return t;
}

bool iequals(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x + 32);
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y + 32);
    if (x != y) return false;
  }
  return true;
}
// int (length 0) is wider than smallint (2 bytes), smallint than tinyint (1).
int intWidth(const DataType& t) { return t.length == 0 ? 4 : t.length; }

}  // namespace

DataType dominant(const DataType& a, const DataType& b) {
  if (!a.isKnown() || !b.isKnown()) return ofKind(TypeKind::Unknown);
  if (a.kind == TypeKind::Null) return b;
  if (a.kind == TypeKind::Int && b.kind == TypeKind::Int) return intWidth(a) >= intWidth(b) ? a : b;
  if (b.kind == TypeKind::Null) return a;
  return ast::typePrecedence(a.kind) >= ast::typePrecedence(b.kind) ? a : b;
}

namespace {

// An integer constant is int; in decimal arithmetic it counts with its own digits
// (10.0 / 3 is decimal(3,1) / decimal(1,0)). Past int's range it is decimal(n,0), as
// in SQL Server (9999999999 / 7 is 1428571428.428571); float past 38 digits.
DataType integerLiteralType(const std::string& text) {
  std::size_t first = text.find_first_not_of('0');
  int digits = first == std::string::npos ? 1 : static_cast<int>(text.size() - first);
  long long v = 0;  // the lexer's digits, without strtoll's locale and errno
  const bool beyondLong =
      std::from_chars(text.data(), text.data() + text.size(), v).ec == std::errc::result_out_of_range;
  bool beyondInt = beyondLong || v > 2147483647LL;
  DataType t = ofKind(beyondInt ? TypeKind::Decimal : TypeKind::Int);
  t.precision = digits;
  if (digits > ast::kMaxDecimalPrecision) return ofKind(TypeKind::Float);
  return t;
}

// 0x0102 is varbinary of its two bytes.
DataType binaryLiteralType(const std::string& text) {
  DataType t = ofKind(TypeKind::Varchar);
  t.binary = true;
  t.length = std::max(1, static_cast<int>(text.size() - 2) / 2);
  return t;
}

// A constant with a point is decimal with just the digits it shows (12.345 is
// decimal(5,3)); with an exponent it is float.
DataType numberLiteralType(const std::string& text) {
  if (text.find_first_of("eE") != std::string::npos) return ofKind(TypeKind::Float);
  DataType t = ofKind(TypeKind::Decimal);
  auto dot = text.find('.');
  std::string whole = text.substr(0, dot);
  std::size_t first = whole.find_first_not_of('0');
  int wholeDigits = first == std::string::npos ? 0 : static_cast<int>(whole.size() - first);
  t.scale = dot == std::string::npos ? 0 : static_cast<int>(text.size() - dot - 1);
  t.precision = std::max(1, wholeDigits + t.scale);
  return t;
}

}  // namespace

DataType SqlTranslator::columnType(const ast::ColumnRefExpr& c) const {
  std::string q = c.parts.size() >= 2 ? toLower(c.parts[c.parts.size() - 2]) : std::string();
  for (const Scope* s = scope_; s; s = s->outer) {
    for (const auto& src : s->sources) {
      if (!q.empty() && src.alias != q) continue;
      for (const auto& col : src.columns)
        if (iequals(col.name, c.column())) return col.type;
    }
  }
  return ofKind(TypeKind::Unknown);
}

// The type of a subquery's first column, resolved against its own sources.
DataType SqlTranslator::queryType(const ast::Query& q) {
  if (q.forJson) return forJsonType();
  if (q.cores.empty() || q.cores[0].items.empty()) return {};
  const ast::SelectCore& core = q.cores[0];
  if (!core.items[0].expr) return {};
  Scope local;
  local.outer = scope_;
  resolveSources(core.from, local);
  Scope* saved = std::exchange(scope_, &local);
  DataType t = typeOf(*core.items[0].expr);
  scope_ = saved;
  return t;
}

DataType SqlTranslator::functionType(const ast::FunctionCallExpr& f) {
  if (!f.schema.empty()) return userFunctionType(f);
  const std::string& n = f.name;
  auto arg = [&](std::size_t i) { return i < f.args.size() ? typeOf(*f.args[i]) : DataType{}; };
  if (n == "collate") return arg(0);
  if (auto t = builtinType(f)) return *t;
  if (n == "isnull" || n == "coalesce") {
    for (std::size_t i = 0; i < f.args.size(); ++i) {
      DataType t = arg(i);
      if (t.isKnown() && t.kind != TypeKind::Null) return t;
    }
    return {};
  }
  if (n == "dateadd" && (arg(2).offset || arg(2).time)) return arg(2);  // keeps its offset and scale
  if (n == "getdate" || n == "dateadd" || n == "getutcdate") return ofKind(TypeKind::DateTime);
  if (n == "todatetimeoffset" || n == "switchoffset" || n == "sysdatetimeoffset")
    return ast::typeFromName("datetimeoffset");
  if (n == "sysdatetime" || n == "sysutcdatetime") return ast::typeFromName("datetime2");
  if (n == "rand") return ofKind(TypeKind::Float);
  if (n == "count" || n == "datediff" || n == "datepart" || n == "year" || n == "month" ||
      n == "day" || n == "len" || n == "charindex" || n == "error_number" ||
      n == "error_severity" || n == "error_state" || n == "error_line" || n == "xact_state")
    return ofKind(TypeKind::Int);
  if (n == "newid" || n == "trim" || n == "ltrim" || n == "rtrim" || n == "replace" || n == "substring" ||
      n == "left" || n == "right" || n == "upper" || n == "lower" || n == "error_message" ||
      n == "error_procedure" || n == "formatmessage")
    return ofKind(TypeKind::Varchar);
  if (n == "concat" || n == "concat_ws" || n == "replicate" || n == "reverse" || n == "stuff")
    return ofKind(TypeKind::Varchar);
  if (n == "patindex" || n == "isdate" || n == "datalength") return ofKind(TypeKind::Int);
  if (n == "str" || n == "datename") return ofKind(TypeKind::Varchar);
  if (n == "eomonth" || n == "datefromparts") return ofKind(TypeKind::Date);
  if (n == "iif" || n == "choose") {  // the results' type by precedence
    DataType t = ofKind(TypeKind::Null);
    for (std::size_t i = 1; i < f.args.size(); ++i) t = dominant(t, arg(i));
    return t;
  }
  if (n == "row_number" || n == "rank" || n == "dense_rank" || n == "ntile") return ofKind(TypeKind::BigInt);
  if (n == "scope_identity" || n == "ident_current" || n == "ident_seed" || n == "ident_incr" ||
      n == "tsql_next_value")
    return ofKind(TypeKind::BigInt);
  if (n == "object_id") return ofKind(TypeKind::Int);
  if (n == "percent_rank" || n == "cume_dist" || n == "percentile_cont") return ofKind(TypeKind::Float);
  if (n == "percentile_disc") return f.withinGroup.empty() ? DataType{} : typeOf(*f.withinGroup[0].expr);
  if (n == "lag" || n == "lead" || n == "first_value" || n == "last_value") return arg(0);
  if (n == "sum" || n == "max" || n == "min" || n == "abs" || n == "round" || n == "avg") {
    DataType t = arg(0);
    if (n == "sum" && t.kind == TypeKind::Bit) return ofKind(TypeKind::Int);
    // SUM and AVG of smallint and tinyint are int
    if ((n == "sum" || n == "avg") && t.kind == TypeKind::Int) return ofKind(TypeKind::Int);
    if ((n == "sum" || n == "avg") && t.kind == TypeKind::Decimal) return ast::decimalAggregate(n == "avg", t);
    return t;
  }
  return {};
}

// Comparisons are bit; arithmetic takes the operand type of higher precedence (decimal
// with its own precision and scale rules), text + text stays text.
DataType SqlTranslator::binaryType(const ast::BinaryExpr& b) {
  if (b.op >= ast::BinaryOp::Eq) return ofKind(TypeKind::Bit);
  DataType lt = typeOf(*b.lhs), rt = typeOf(*b.rhs);
  DataType winner = dominant(lt, rt);
  if (winner.kind == TypeKind::Decimal && b.op <= ast::BinaryOp::Mod) {
    // Text meeting a decimal is read as that decimal's own precision and scale.
    if (lt.isText()) lt = winner;
    if (rt.isText()) rt = winner;
    return ast::decimalResult(b.op, lt, rt);
  }
  if (b.op == ast::BinaryOp::Add && (lt.isText() || lt.kind == TypeKind::Null) &&
      (rt.isText() || rt.kind == TypeKind::Null) && (lt.isText() || rt.isText()))
    return lt.isText() ? lt : rt;
  return winner;
}

void SqlTranslator::widenArmOutputs(std::vector<Output>& outputs, const std::vector<Output>& arm) {
  for (std::size_t i = 0; i < outputs.size() && i < arm.size(); ++i) {
    DataType& t = outputs[i].type;
    const DataType& u = arm[i].type;
    const bool numeric = (t.isNumeric() || t.kind == TypeKind::Null) && (u.isNumeric() || u.kind == TypeKind::Null);
    if (!numeric || t == u) continue;
    const DataType winner = dominant(t, u);
    if (winner.kind != TypeKind::Decimal) {
      t = winner;
      continue;
    }
    // decimal: the most whole digits and the most fraction digits of either side, as
    // SQL Server types a UNION's column (an integer literal counts as an int)
    auto digits = [](DataType x) {
      if (x.kind == TypeKind::Int) x.precision = 0;
      return ast::asDecimal(x);
    };
    const DataType a = t.kind == TypeKind::Null ? winner : digits(t), b = u.kind == TypeKind::Null ? winner : digits(u);
    const int scale = std::max(a.scale, b.scale);
    t = winner;
    t.precision = std::min(ast::kMaxDecimalPrecision, std::max(a.precision - a.scale, b.precision - b.scale) + scale);
    t.scale = scale;
  }
}

// The results' type by precedence.
DataType SqlTranslator::caseType(const ast::CaseExpr& c) {
  DataType t = ofKind(TypeKind::Null);
  for (const auto& w : c.whens) t = dominant(t, typeOf(*w.then));
  if (c.elseExpr) t = dominant(t, typeOf(*c.elseExpr));
  return t;
}

std::uint64_t SqlTranslator::nextScopeId() {
  static std::atomic<std::uint64_t> last{0};
  return ++last;
}

DataType SqlTranslator::typeOf(const ast::Expr& e) {
  std::uint64_t scope = scope_ ? scope_->id : 0;
  if (const DataType* known = types_.find(e, scope)) return *known;
  return types_.remember(e, scope, computeType(e));
}

DataType SqlTranslator::literalType(const ast::LiteralExpr& l) {
  switch (l.literalKind) {
    case ast::LiteralKind::Null: return ofKind(TypeKind::Null);
    case ast::LiteralKind::Integer: return integerLiteralType(l.text);
    case ast::LiteralKind::Number: return numberLiteralType(l.text);
    case ast::LiteralKind::String:
      if (l.binary) return binaryLiteralType(l.text);
      return ofKind(l.national ? TypeKind::NVarchar : TypeKind::Varchar);
  }
  return {};
}

DataType SqlTranslator::computeType(const ast::Expr& e) {
  using ast::NodeKind;
  switch (e.kind) {
    case NodeKind::Literal: return literalType(ast::nodeCast<ast::LiteralExpr>(e));
    case NodeKind::ColumnRef: return columnType(ast::nodeCast<ast::ColumnRefExpr>(e));
    case NodeKind::Variable: {
      const std::string& name = ast::nodeCast<ast::VariableExpr>(e).name;
      if (!inlining_.empty()) {
        const DataType* p = inlinedParameterType(name);
        return p ? *p : DataType{};
      }
      const DataType* t = env_.variableType(name);
      return t ? *t : DataType{};
    }
    case NodeKind::SystemVariable: return ofKind(TypeKind::Int);
    case NodeKind::HostParameter:
      return env_.hostParameterType(ast::nodeCast<ast::HostParameterExpr>(e).name);
    case NodeKind::Unary: {
      const auto& u = ast::nodeCast<ast::UnaryExpr>(e);
      if (u.op == ast::UnaryOp::Not) return ofKind(TypeKind::Bit);
      DataType t = typeOf(*u.operand);
      if (u.op == ast::UnaryOp::Negate && t.kind == TypeKind::Int && t.length == 1)
        t.length = 2;  // -tinyint
      return t;
    }
    case NodeKind::Binary: return binaryType(ast::nodeCast<ast::BinaryExpr>(e));
    case NodeKind::FunctionCall: return functionType(ast::nodeCast<ast::FunctionCallExpr>(e));
    case NodeKind::Cast: return ast::nodeCast<ast::CastExpr>(e).type;
    case NodeKind::Case: return caseType(ast::nodeCast<ast::CaseExpr>(e));
    case NodeKind::Subquery: return queryType(*ast::nodeCast<ast::SubqueryExpr>(e).query);
    default: return ofKind(TypeKind::Bit);  // predicates
  }
}

}  // namespace tsql::translate
