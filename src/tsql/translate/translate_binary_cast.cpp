// CAST / CONVERT to and from varbinary and binary (kept as "0x..." text): text and the
// integer types convert both ways through the runtime's binary conversions; money,
// float and datetime go through their bytes as one integer (float only to binary: the
// server refuses the way back), decimal through its own layout (cut on the right),
// other types are refused (529). binary(n) is padded with
// zero bytes: numbers on the left, text and binary on the right.
#include <algorithm>
#include <string>
#include <utility>

#include "tsql/ast/data_type.h"
#include "tsql/ast/decimal_type.h"
#include "tsql/translate/sql_translator.h"

namespace tsql::translate {

namespace {

using ast::TypeKind;

//! How a type's values are laid out as bytes: `width` bytes of one integer, which
//! `toBits` makes of a value and `fromBits` makes a value of again (nullptr: the
//! integer is the value itself, or there is no way back). Width 0: not bytes at all.
struct ByteLayout {
  const char* toBits = nullptr;
  const char* fromBits = nullptr;
  int width = 0;
  bool widthArgument = false;  //!< the functions take the width as a second argument
};

ByteLayout layoutOf(const ast::DataType& t) {
  switch (t.kind) {
    case TypeKind::Bit: return {nullptr, nullptr, 1};
    case TypeKind::Int: return {nullptr, nullptr, 4};
    case TypeKind::BigInt: return {nullptr, nullptr, 8};
    case TypeKind::Money: return {"tsql_money_raw", "tsql_raw_money", t.isSmallMoney() ? 4 : 8};
    case TypeKind::Float: return {"tsql_float_bits", nullptr, t.isReal() ? 4 : 8, true};
    case TypeKind::DateTime: return {"tsql_datetime_bits", "tsql_bits_datetime", 8, true};
    case TypeKind::SmallDateTime: return {"tsql_datetime_bits", "tsql_bits_datetime", 4, true};
    default: return {};
  }
}

bool isBits(const ByteLayout& l) { return l.width > 0; }

}  // namespace

bool SqlTranslator::emitBinaryCast(const ast::Expr& operand, const ast::DataType& from, const ast::DataType& type,
                                   const ast::Expr* style) {
  const ast::DataType& other = type.binary ? from : type;
  ByteLayout layout = layoutOf(other);
  bool asIs = other.binary || other.isText() || other.kind == TypeKind::Null || other.kind == TypeKind::Unknown ||
              other.kind == TypeKind::Decimal;
  bool intoBytes = isBits(layout) && (type.binary || layout.fromBits || !layout.toBits);
  if (!asIs && !intoBytes)
    throw TranslateError(errors::Error::ExplicitConversion, {ast::typeToSql(from), ast::typeToSql(type)});
  std::string styleSql = "0";
  if (style) {
    std::string saved = std::move(out_);
    out_.clear();
    emit(*style);
    styleSql = std::exchange(out_, std::move(saved));
  }
  bool pad = type.binary && type.fixed && type.length > 0;
  if (pad) out_ += "tsql_binary_pad(";
  if (type.binary) emitToBinary(operand, from, type, styleSql);
  else emitFromBinary(operand, type, styleSql);
  if (pad) out_ += ", " + std::to_string(type.length) + (isBits(layoutOf(from)) ? ", 1)" : ", 0)");
  return true;
}

void SqlTranslator::emitToBinary(const ast::Expr& operand, const ast::DataType& from, const ast::DataType& type,
                                 const std::string& styleSql) {
  if (from.binary) {
    out_ += "tsql_binary_cut(";
    emit(operand);
    out_ += ", " + std::to_string(std::max(type.length, 0)) + ')';
    return;
  }
  if (from.kind == TypeKind::Decimal) {
    const auto& d = ast::asDecimal(from);
    out_ += "tsql_binary_cut(tsql_decimal_binary(";
    emit(operand);
    out_ += ", " + std::to_string(d.precision) + ", " + std::to_string(d.scale) + "), ";
    out_ += std::to_string(std::max(type.length, 0)) + ')';
    return;
  }
  ByteLayout layout = layoutOf(from);
  std::string width = std::to_string(layout.width);
  out_ += "tsql_to_binary(";
  if (layout.toBits) out_ += std::string(layout.toBits) + '(';
  emit(operand);
  if (layout.toBits) out_ += layout.widthArgument ? ", " + width + ')' : std::string(")");
  out_ += ", " + width + ", " + styleSql + ", " + std::to_string(std::max(type.length, 0)) + ')';
}

void SqlTranslator::emitFromBinary(const ast::Expr& operand, const ast::DataType& type, const std::string& styleSql) {
  if (type.kind == TypeKind::Decimal) {
    const auto& d = ast::asDecimal(type);
    emitConversion("tsql_decimal(tsql_binary_decimal", operand);
    out_ += ", " + std::to_string(d.precision) + ", " + std::to_string(d.scale) + ')';
    return;
  }
  ByteLayout layout = layoutOf(type);
  if (isBits(layout)) {
    std::string width = std::to_string(layout.width);
    if (layout.fromBits) out_ += std::string(layout.fromBits) + '(';
    out_ += type.kind == TypeKind::Bit ? "(tsql_binary_int(" : "tsql_binary_int(";  // a bit is 1 for any non-zero
    emit(operand);
    out_ += ", " + width + ')';
    if (type.kind == TypeKind::Bit) out_ += " <> 0)";
    if (layout.fromBits) out_ += layout.widthArgument ? ", " + width + ')' : std::string(")");
    return;
  }
  // to text, cut to the target's length
  out_ += type.length > 0 ? "tsql_varchar(tsql_binary_text(" : "(tsql_binary_text(";
  emit(operand);
  out_ += ", " + styleSql + ')';
  out_ += type.length > 0 ? ", " + std::to_string(type.length) + ')' : std::string(")");
}

}  // namespace tsql::translate
