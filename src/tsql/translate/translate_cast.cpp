// CAST, CONVERT and stores: which runtime conversion a target type needs, the text
// forms of money, float and dates (with CONVERT's style and the target's length), GUID
// text checked, and a value on its way into a typed column or variable.
#include "tsql/ast/decimal_type.h"
#include "tsql/translate/sql_translator.h"
#include "tsql/translate/translate_helpers.h"

namespace tsql::translate {

using ast::TypeKind;

namespace {

//! The runtime's conversion to a number or date type; nullptr for the text types.
const char* conversionFunction(TypeKind kind, bool tolerant) {
  switch (kind) {
    case TypeKind::Bit: return tolerant ? "tsql_try_bit" : "tsql_bit";
    case TypeKind::Int: return tolerant ? "tsql_try_int" : "tsql_int";
    case TypeKind::BigInt: return tolerant ? "tsql_try_bigint" : "tsql_bigint";
    case TypeKind::Float: return tolerant ? "tsql_try_float" : "tsql_float";
    case TypeKind::Money: return tolerant ? "tsql_try_money" : "tsql_money";
    case TypeKind::DateTime: return tolerant ? "tsql_try_datetime" : "tsql_datetime";
    case TypeKind::SmallDateTime: return tolerant ? "tsql_try_smalldatetime" : "tsql_smalldatetime";
    case TypeKind::Date: return tolerant ? "tsql_try_date" : "tsql_date";
    case TypeKind::DateTime2: return tolerant ? "tsql_try_datetime2" : "tsql_datetime2";
    case TypeKind::Decimal: return tolerant ? "tsql_try_decimal" : "tsql_decimal";
    default: return nullptr;
  }
}

}  // namespace

// CAST / CONVERT through the runtime's conversion functions; `tolerant` (TRY_CAST)
// gives NULL for a value that does not convert.
// uniqueidentifier and text to a date in a CONVERT style; false for other casts.
bool SqlTranslator::emitCheckedTextCast(const ast::Expr& operand, const ast::DataType& from,
                                        const ast::DataType& type, const ast::Expr* style, bool tolerant) {
  if (type.guid) {  // a constant is checked as written, other text cut to 36 first
    out_ += tolerant ? "tsql_try_guid(" : "tsql_guid(";
    emit(operand);
    out_ += operand.kind == ast::NodeKind::Literal ? ", 1)" : ", 0)";
    return true;
  }
  if (!type.isDate() || !style || !from.isText()) return false;
  out_ += conversionFunction(type.kind, tolerant);  // CONVERT(datetime, '20/12/1974', 103)
  out_ += "(tsql_text_date(";
  emit(operand);
  out_ += ", ";
  emit(*style);
  out_ += "))";
  return true;
}

void SqlTranslator::emitCast(const ast::Expr& operand, const ast::DataType& type,
                             const ast::Expr* style, bool tolerant) {
  ast::DataType from = typeOf(operand);
  if ((type.binary || from.binary) && emitBinaryCast(operand, from, type, style)) return;
  if ((type.offset || from.offset) && emitOffsetCast(operand, from, type)) return;
  if ((type.time || from.time) && emitTimeCast(operand, from, type, style, tolerant)) return;
  if (emitCheckedTextCast(operand, from, type, style, tolerant)) return;
  const char* fn = conversionFunction(type.kind, tolerant);
  if (type.isSmallMoney()) fn = tolerant ? "tsql_try_smallmoney" : "tsql_smallmoney";
  if (!fn) return emitTextCast(operand, from, type, style);
  out_ += fn;
  out_ += '(';
  // money rounds to whole units (half away from zero) where float truncates
  bool wholeMoney = from.kind == TypeKind::Money && isIntegerClass(type.kind) && type.kind != TypeKind::Bit;
  if (wholeMoney) out_ += "round(";
  emit(operand);
  if (wholeMoney) out_ += ')';
  if (type.kind == TypeKind::Decimal) {
    ast::DataType d = ast::asDecimal(type);
    out_ += ", " + std::to_string(d.precision) + ", " + std::to_string(d.scale);
  }
  if (type.kind == TypeKind::DateTime2) out_ += ", " + std::to_string(type.precision);  // fraction digits
  out_ += ')';
}

// To text: money, float and dates have their own text forms.
void SqlTranslator::emitTextCast(const ast::Expr& operand, const ast::DataType& from,
                                 const ast::DataType& type, const ast::Expr* style) {
  const auto* styleLiteral = style ? ast::nodeAs<ast::LiteralExpr>(style) : nullptr;
  if (from.kind == TypeKind::DateTime2 && (!style || (styleLiteral && styleLiteral->text == "121"))) {
    // the canonical text with exactly the type's fraction digits, cut to the target's length
    bool sized = type.length > 0;
    if (sized) out_ += type.fixed ? "tsql_char(" : "tsql_varchar(";
    out_ += "tsql_datetime2_show(";
    emit(operand);
    out_ += ", " + std::to_string(from.precision) + ')';
    if (sized) out_ += ", " + std::to_string(type.length) + ')';
    return;
  }
  if (from.kind == TypeKind::Money || from.isDate()) {
    // CONVERT(char(6), d, 12): the style's text, then cut (or padded) to the target length
    bool sized = type.length > 0;
    if (sized) out_ += type.fixed ? "tsql_char(" : "tsql_varchar(";
    out_ += from.kind == TypeKind::Money ? "tsql_money_text(" : "tsql_datetime_text(";
    emit(operand);
    if (style) {
      out_ += ", ";
      emit(*style);
    }
    out_ += ')';
    if (sized) out_ += ", " + std::to_string(type.length) + ')';
  } else if (from.kind == TypeKind::Float) {
    emitConversion("tsql_float_text", operand);
  } else {
    out_ += type.fixed && type.length > 0 ? "tsql_char(" : "tsql_varchar(";
    emit(operand);
    if (type.length > 0) out_ += ", " + std::to_string(type.length);
    out_ += ')';
  }
}

// A value on its way into a column or variable of type `target`.
void SqlTranslator::emitStore(const ast::Expr& e, const ast::DataType& target) {
  using ast::NodeKind;
  if (e.kind == NodeKind::Literal && ast::nodeCast<ast::LiteralExpr>(e).literalKind == ast::LiteralKind::Null) {
    out_ += "NULL";
    return;
  }
  if (!inlineLiterals_ && (e.kind == NodeKind::Literal || e.kind == NodeKind::Variable ||
                           e.kind == NodeKind::HostParameter)) {
    std::size_t before = slots_.size();
    emit(e);
    if (slots_.size() == before + 1) {  // converted in C++
      slots_.back().convertTo = target;
      slots_.back().convertFrom = typeOf(e);
    }
    return;
  }
  ast::DataType from = typeOf(e);
  if (from == target || !target.isKnown() || (target.isText() && !target.fixed && !target.guid && !target.offset && !target.time) ||
      (target.kind == TypeKind::Float && from.isNumeric()) ||
      (isIntegerClass(target.kind) && target.kind != TypeKind::Bit && isIntegerClass(from.kind)) ||
      (target.isDate() && from.kind == TypeKind::DateTime && target.kind == TypeKind::DateTime)) {
    emit(e);
    return;
  }
  emitCast(e, target, nullptr);
}

}  // namespace tsql::translate
