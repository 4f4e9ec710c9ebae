// A datetime2 is stored with seven fraction digits, the other date types with three:
// whatever meets a datetime2 in a comparison (a datetime, a date, a text) is written
// as a datetime2 first, so the two texts compare in time order. datetimeoffset values
// compare by instant: both sides are written as their UTC time (a text without an
// offset is at +00:00). Text meeting a time is read as one, to its stored form.
#include "tsql/translate/sql_translator.h"

namespace tsql::translate {

bool SqlTranslator::emitDatetime2Comparand(const ast::Expr& e, const ast::DataType& self, const ast::DataType& other) {
  if (other.time && !self.time && (self.isText() || self.isDate())) {  // read as a time of day
    out_ += "tsql_time(";
    emit(e);
    out_ += ", 7)";
    return true;
  }
  if (self.offset || other.offset) {
    emitConversion("tsql_dto_utc", e);
    return true;
  }
  if (other.kind != ast::TypeKind::DateTime2 || self.kind == ast::TypeKind::DateTime2) return false;
  if (!self.isDate() && !self.isText()) return false;
  out_ += "tsql_datetime2(";
  emit(e);
  out_ += ", 7)";
  return true;
}

}  // namespace tsql::translate
