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

// DATEADD and DATEPART of a datetimeoffset: the runtime's own pair, which keep the offset
// (and DATEADD the value's scale) instead of reading the text as a datetime.
bool SqlTranslator::emitOffsetDateFunction(const ast::FunctionCallExpr& f) {
  bool add = f.name == "dateadd" && f.args.size() == 3;
  if (!add && !(f.name == "datepart" && f.args.size() == 2)) return false;
  ast::DataType t = typeOf(*f.args.back());
  if (!t.offset) return false;
  out_ += add ? "tsql_dto_dateadd(" : "tsql_dto_datepart(";
  emitDatePartName(*f.args[0]);
  for (std::size_t i = 1; i < f.args.size(); ++i) {
    out_ += ", ";
    emit(*f.args[i]);
  }
  if (add) out_ += ", " + std::to_string(t.precision);
  out_ += ')';
  return true;
}

}  // namespace tsql::translate
