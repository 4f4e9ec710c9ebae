// CAST / CONVERT to and from varbinary (kept as "0x..." text): text and the integer
// types convert both ways through the runtime's binary conversions; a type whose
// bytes the server lays out its own way (money, decimal, float, dates) is refused.
#include <algorithm>
#include <string>
#include <utility>

#include "tsql/ast/data_type.h"
#include "tsql/translate/sql_translator.h"

namespace tsql::translate {

namespace {

using ast::TypeKind;

// Bytes of an integer type; 0 for the others.
int integerWidth(TypeKind kind) {
  switch (kind) {
    case TypeKind::Bit: return 1;
    case TypeKind::Int: return 4;
    case TypeKind::BigInt: return 8;
    default: return 0;
  }
}

}  // namespace

bool SqlTranslator::emitBinaryCast(const ast::Expr& operand, const ast::DataType& from, const ast::DataType& type,
                                   const ast::Expr* style) {
  const ast::DataType& other = type.binary ? from : type;
  bool convertible = other.binary || other.isText() || integerWidth(other.kind) > 0 ||
                     other.kind == TypeKind::Null || other.kind == TypeKind::Unknown;
  if (!convertible)
    throw TranslateError(errors::Error::ExplicitConversion, {ast::typeToSql(from), ast::typeToSql(type)});
  std::string styleSql = "0";
  if (style) {
    std::string saved = std::move(out_);
    out_.clear();
    emit(*style);
    styleSql = std::exchange(out_, std::move(saved));
  }
  if (type.binary && from.binary) {
    out_ += "tsql_binary_cut(";
    emit(operand);
    out_ += ", " + std::to_string(std::max(type.length, 0)) + ')';
  } else if (type.binary) {
    out_ += "tsql_to_binary(";
    emit(operand);
    out_ += ", " + std::to_string(integerWidth(from.kind)) + ", " + styleSql + ", " +
            std::to_string(std::max(type.length, 0)) + ')';
  } else if (integerWidth(type.kind) > 0) {
    out_ += type.kind == TypeKind::Bit ? "(tsql_binary_int(" : "tsql_binary_int(";  // a bit is 1 for any non-zero
    emit(operand);
    out_ += ", " + std::to_string(integerWidth(type.kind)) + ')';
    if (type.kind == TypeKind::Bit) out_ += " <> 0)";
  } else {  // to text, cut to the target's length
    out_ += type.length > 0 ? "tsql_varchar(tsql_binary_text(" : "(tsql_binary_text(";
    emit(operand);
    out_ += ", " + styleSql + ')';
    out_ += type.length > 0 ? ", " + std::to_string(type.length) + ')' : std::string(")");
  }
  return true;
}

}  // namespace tsql::translate
