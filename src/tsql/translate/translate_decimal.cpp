// Decimal arithmetic in SQL. SQLite's own operators would compute in doubles, so a
// decimal result is made by the runtime's tsql_dec_* functions, which are handed the
// result type (worked out from the operand types) to round and range-check it.
#include "tsql/ast/decimal_type.h"
#include "tsql/parser/parser.h"
#include "tsql/runtime/decimal_value.h"
#include "tsql/translate/sql_translator.h"

namespace tsql::translate {

using ast::TypeKind;

namespace {

const char* decimalFunction(ast::BinaryOp op) {
  switch (op) {
    case ast::BinaryOp::Add: return "tsql_dec_add(";
    case ast::BinaryOp::Sub: return "tsql_dec_sub(";
    case ast::BinaryOp::Mul: return "tsql_dec_mul(";
    case ast::BinaryOp::Div: return "tsql_dec_div(";
    default: return "tsql_dec_mod(";
  }
}

bool numberOrNull(const ast::DataType& t) {
  return (t.isNumeric() && t.kind != TypeKind::Float) || t.kind == TypeKind::Null;
}

std::string precisionAndScale(const ast::DataType& t) {
  return ", " + std::to_string(t.precision) + ", " + std::to_string(t.scale) + ")";
}

}  // namespace

bool SqlTranslator::emitDecimalArithmetic(const ast::BinaryExpr& b, const ast::DataType& lt,
                                          const ast::DataType& rt) {
  // decimal wins over every number but float, which is left out here
  if ((lt.kind != TypeKind::Decimal && rt.kind != TypeKind::Decimal) || !numberOrNull(lt) || !numberOrNull(rt))
    return false;
  ast::DataType type = ast::decimalResult(b.op, lt, rt);
  out_ += decimalFunction(b.op);
  emit(*b.lhs);
  out_ += ", ";
  emit(*b.rhs);
  out_ += precisionAndScale(type);
  return true;
}

void SqlTranslator::emitDecimalNegate(const ast::Expr& operand, const ast::DataType& type) {
  out_ += "tsql_dec_sub(0, ";
  emit(operand);
  out_ += precisionAndScale(ast::asDecimal(type));
}

bool SqlTranslator::emitDecimalComparison(const ast::BinaryExpr& b, const char* op, const ast::DataType& lt,
                                          const ast::DataType& rt) {
  auto isLong = [](const ast::DataType& t) {
    return t.kind == TypeKind::Decimal && ast::asDecimal(t).precision > runtime::kExactDoubleDigits;
  };
  if (!numberOrNull(lt) || !numberOrNull(rt) || !(isLong(lt) || isLong(rt))) return false;
  out_ += "(tsql_dec_cmp(";
  emit(*b.lhs);
  out_ += ", ";
  emit(*b.rhs);
  out_ += ")";
  out_ += op;
  out_ += "0)";
  return true;
}

bool SqlTranslator::emitDecimalFunction(const ast::FunctionCallExpr& f) {
  const std::string& n = f.name;
  if (n != "abs" && n != "round" && n != "sum" && n != "avg") return false;
  if (f.args.empty() || f.star || typeOf(*f.args[0]).kind != TypeKind::Decimal) return false;
  ast::DataType t = ast::asDecimal(typeOf(*f.args[0]));
  if (n == "abs" && f.args.size() == 1) {
    emitConversion("tsql_dec_abs", *f.args[0]);
    return true;
  }
  if (n == "round" && (f.args.size() == 2 || f.args.size() == 3)) {
    out_ += "tsql_dec_round(";
    emit(*f.args[0]);
    out_ += ", ";
    emit(*f.args[1]);
    out_ += ", ";
    if (f.args.size() == 3) emit(*f.args[2]);
    else out_ += '0';
    out_ += precisionAndScale(t);
    return true;
  }
  // SQLite takes DISTINCT only in one-argument aggregates: those stay its own SUM.
  if ((n != "sum" && n != "avg") || f.args.size() != 1 || f.distinct) return false;
  bool average = n == "avg";
  out_ += average ? "decimal_avg(" : "decimal_sum(";
  emit(*f.args[0]);
  out_ += ", " + std::to_string(ast::decimalAggregate(average, t).scale) + ')';
  return true;
}

}  // namespace tsql::translate
