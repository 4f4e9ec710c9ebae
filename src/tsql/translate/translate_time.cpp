// time(n) in CAST, CONVERT and the date functions. A time is kept as its seven-digit
// text: text and the date types with a time of day convert through tsql_time; a time
// becomes a date type on 1900-01-01; date and the number types do not convert either
// way (529). DATEADD and DATEPART take only the parts of a time of day from a time
// (9810 for the others); DATEDIFF reads times as on 1900-01-01.
#include "core/strings.h"
#include "tsql/translate/sql_translator.h"

namespace tsql::translate {

using ast::TypeKind;

namespace {

// The full name of a date part SQL Server's messages use ("dd" is "day").
std::string partName(const std::string& part) {
  static const char* const kParts[][4] = {
      {"year", "yy", "yyyy", nullptr},  {"quarter", "qq", "q", nullptr}, {"month", "mm", "m", nullptr},
      {"dayofyear", "dy", "y", nullptr}, {"day", "dd", "d", nullptr},     {"week", "wk", "ww", nullptr},
      {"weekday", "dw", "w", nullptr},   {"tzoffset", "tz", nullptr, nullptr},
      {"iso_week", "isowk", "isoww", nullptr}};
  for (const auto& names : kParts)
    for (const char* n : names)
      if (n && part == n) return names[0];
  return part;
}

bool isTimeOfDayPart(const std::string& part) {
  for (const char* p : {"hour", "hh", "minute", "mi", "n", "second", "ss", "s", "millisecond", "ms",
                        "microsecond", "mcs", "nanosecond", "ns"})
    if (part == p) return true;
  return false;
}

// The types CAST refuses to turn into a time or to make of one.
bool refusesTime(const ast::DataType& t) {
  return t.kind == TypeKind::Date || t.isNumeric() || t.offset || t.binary || t.guid;
}

}  // namespace

bool SqlTranslator::emitTimeCast(const ast::Expr& operand, const ast::DataType& from, const ast::DataType& type,
                                 const ast::Expr* style, bool tolerant) {
  if (type.time && from.time && !(from.precision > type.precision)) {
    emit(operand);  // the stored text already has every digit the target keeps
    return true;
  }
  if ((type.time && refusesTime(from)) || (from.time && refusesTime(type)))
    throw TranslateError(errors::Error::ExplicitConversion, {ast::typeToSql(from), ast::typeToSql(type)});
  if (type.time) {
    out_ += tolerant ? "tsql_try_time(" : "tsql_time(";  // TRY_CAST: NULL for text that is no time
    emit(operand);
    out_ += ", " + std::to_string(type.precision) + ')';
    return true;
  }
  if (type.isText()) {  // CONVERT(varchar(8), t, 108): the style's text, cut to the length
    const bool sized = type.length > 0;
    if (sized) out_ += type.fixed ? "tsql_char(" : "tsql_varchar(";
    out_ += "tsql_time_text(";
    emit(operand);
    out_ += ", " + std::to_string(from.precision) + ", ";
    if (style) emit(*style);
    else out_ += "121";  // a time's default style
    out_ += ')';
    if (sized) out_ += ", " + std::to_string(type.length) + ')';
    return true;
  }
  if (!type.isDate()) return false;
  out_ += type.kind == TypeKind::DateTime2 ? "tsql_datetime2(" : type.kind == TypeKind::SmallDateTime
                                                                    ? "tsql_smalldatetime("
                                                                    : "tsql_datetime(";
  out_ += "'1900-01-01 ' || ";
  emit(operand);
  if (type.kind == TypeKind::DateTime2) out_ += ", " + std::to_string(type.precision);
  out_ += ')';
  return true;
}

bool SqlTranslator::emitTimeDateFunction(const ast::FunctionCallExpr& f) {
  const std::string& n = f.name;
  const bool add = n == "dateadd" && f.args.size() == 3;
  const bool part = (n == "datepart" || n == "datename") && f.args.size() == 2;
  const bool diff = n == "datediff" && f.args.size() == 3;
  if (!add && !part && !diff) return false;
  bool anyTime = false;
  for (std::size_t i = 1; i < f.args.size(); ++i) anyTime = anyTime || typeOf(*f.args[i]).time;
  if (!anyTime) return false;
  std::string partText;
  if (const auto* c = ast::nodeAs<ast::ColumnRefExpr>(f.args[0].get())) partText = core::lowerCase(c->column());
  if (!diff && !isTimeOfDayPart(partText))
    throw TranslateError(errors::Error::DatepartNotSupported, {partName(partText), n, "time"});
  if (diff) {  // both ends on 1900-01-01, the day a time is given where a date is wanted; text
    out_ += "datediff(";  // beside a time is read as one ('10:00')
    emitDatePartName(*f.args[0]);
    for (std::size_t i = 1; i < 3; ++i) {
      const ast::DataType t = typeOf(*f.args[i]);
      out_ += t.time ? ", ('1900-01-01 ' || " : t.isText() ? ", ('1900-01-01 ' || tsql_time(" : ", (";
      emit(*f.args[i]);
      out_ += !t.time && t.isText() ? ", 7))" : ")";
    }
    out_ += ')';
    return true;
  }
  if (n == "datename") out_ += "CAST(";
  out_ += add ? "tsql_time_dateadd(" : "tsql_time_datepart(";
  emitDatePartName(*f.args[0]);
  for (std::size_t i = 1; i < f.args.size(); ++i) {
    out_ += ", ";
    emit(*f.args[i]);
  }
  if (add) out_ += ", " + std::to_string(typeOf(*f.args[2]).precision);
  out_ += n == "datename" ? ") AS text)" : ")";
  return true;
}

}  // namespace tsql::translate
