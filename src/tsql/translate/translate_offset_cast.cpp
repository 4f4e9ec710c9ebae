// CAST / CONVERT to and from datetimeoffset (kept as its text): text and dates read as
// a datetimeoffset at the target's scale (a date without an offset is at +00:00); to a
// date type the local date and time are kept and the offset dropped; to text, the text.
#include "tsql/ast/data_type.h"
#include "tsql/translate/sql_translator.h"

namespace tsql::translate {

namespace {

const char* dateConversion(ast::TypeKind kind) {
  switch (kind) {
    case ast::TypeKind::Date: return "tsql_date(";
    case ast::TypeKind::DateTime2: return "tsql_datetime2(";
    case ast::TypeKind::SmallDateTime: return "tsql_smalldatetime(";
    default: return "tsql_datetime(";
  }
}

}  // namespace

bool SqlTranslator::emitOffsetCast(const ast::Expr& operand, const ast::DataType& from, const ast::DataType& type) {
  if (type.offset) {
    out_ += "tsql_datetimeoffset(";
    emit(operand);
    out_ += ", " + std::to_string(type.precision) + ')';
    return true;
  }
  if (!from.offset || !type.isDate()) return false;  // to text: the text as it is
  out_ += dateConversion(type.kind);
  emitConversion("tsql_dto_local", operand);
  out_ += ')';
  return true;
}

}  // namespace tsql::translate
