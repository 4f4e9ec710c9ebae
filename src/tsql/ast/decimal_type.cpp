// Decimal result types. When a result needs more than 38 digits, addition gives up
// decimals so the whole part fits; multiplication and division keep at least six
// decimals and may then overflow at run time instead.
#include "tsql/ast/decimal_type.h"

#include <algorithm>

#include "tsql/ast/query.h"

namespace tsql::ast {

namespace {

DataType decimalOf(int precision, int scale) {
  DataType t;
  t.kind = TypeKind::Decimal;
  t.precision = std::max(precision, 1);
  t.scale = scale;
  return t;
}

// Addition and subtraction: the whole part keeps max(p1-s1, p2-s2) digits.
DataType limitSum(int precision, int scale, int wholeDigits) {
  if (precision <= kMaxDecimalPrecision) return decimalOf(precision, scale);
  return decimalOf(kMaxDecimalPrecision, std::max(0, std::min(scale, kMaxDecimalPrecision - wholeDigits)));
}

// Multiplication and division: a whole part under 32 digits keeps its digits; a
// longer one leaves the result six decimals (or fewer if it had fewer).
DataType limitProduct(int precision, int scale) {
  if (precision <= kMaxDecimalPrecision) return decimalOf(precision, scale);
  int whole = precision - scale;
  if (whole < 32) return decimalOf(kMaxDecimalPrecision, std::min(scale, kMaxDecimalPrecision - whole));
  return decimalOf(kMaxDecimalPrecision, std::min(scale, 6));
}

}  // namespace

DataType asDecimal(const DataType& t) {
  switch (t.kind) {
    case TypeKind::Bit: return decimalOf(1, 0);
    case TypeKind::Int: return decimalOf(t.precision > 0 ? t.precision : 10, 0);
    case TypeKind::BigInt: return decimalOf(t.precision > 0 ? t.precision : 19, 0);
    case TypeKind::Money: return decimalOf(19, 4);
    case TypeKind::Decimal: return decimalOf(t.precision > 0 ? t.precision : 18, t.scale);
    default: return decimalOf(kMaxDecimalPrecision, 6);  // NULL or not known before running
  }
}

DataType decimalResult(BinaryOp op, const DataType& l, const DataType& r) {
  DataType a = asDecimal(l), b = asDecimal(r);
  int p1 = a.precision, s1 = a.scale, p2 = b.precision, s2 = b.scale;
  int whole = std::max(p1 - s1, p2 - s2);
  switch (op) {
    case BinaryOp::Mul: return limitProduct(p1 + p2 + 1, s1 + s2);
    case BinaryOp::Div: {
      int scale = std::max(6, s1 + p2 + 1);
      return limitProduct(p1 - s1 + s2 + scale, scale);
    }
    case BinaryOp::Mod: return decimalOf(std::min(p1 - s1, p2 - s2) + std::max(s1, s2), std::max(s1, s2));
    default: return limitSum(std::max(s1, s2) + whole + 1, std::max(s1, s2), whole);
  }
}

DataType decimalAggregate(bool average, const DataType& t) {
  DataType d = asDecimal(t);
  return decimalOf(kMaxDecimalPrecision, average ? std::max(d.scale, 6) : d.scale);
}

}  // namespace tsql::ast
