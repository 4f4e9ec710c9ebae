// PERCENTILE_CONT and PERCENTILE_DISC (p) WITHIN GROUP (ORDER BY x [DESC]) OVER
// ([PARTITION BY ...]): the percentile of the partition's non-NULL values, the same on
// each of its rows. Neither database has them as window functions, so they are the
// runtime's: on the embedded file a window aggregate tsql_percentile_cont(x, p, desc)
// over the partition; on the server, where functions are typed, the partition's values
// gathered by array_agg(x) OVER (...) and handed to tsql_percentile_cont(values, p, desc).
// CONT interpolates in float (its result type); DISC gives one of the values, of x's type.
#include "core/strings.h"
#include "tsql/parser/parser.h"
#include "tsql/translate/sql_translator.h"

namespace tsql::translate {

bool SqlTranslator::isPercentile(const ast::FunctionCallExpr& f) {
  return f.name == "percentile_cont" || f.name == "percentile_disc";
}

namespace {

// What SQL Server refuses in a percentile's call.
void checkPercentile(const ast::FunctionCallExpr& f) {
  const std::string name = core::upperCase(f.name);
  if (!f.over) throw TranslateError(errors::Error::WindowMissingOver, {name});
  if (f.args.size() != 1) throw TranslateError(errors::Error::FunctionArguments, {name, "1"});
  if (f.withinGroup.size() != 1)
    throw TranslateError(errors::Error::SyntaxError,
                         {"The function '" + name + "' needs WITHIN GROUP (ORDER BY one expression)."});
  if (f.over->hasFrame) throw TranslateError(errors::Error::WindowFrameNotAllowed, {name});
  if (!f.over->orderBy.empty())
    throw TranslateError(errors::Error::SyntaxError,
                         {"The function '" + name + "' takes its ORDER BY in WITHIN GROUP, not in OVER."});
}

}  // namespace

void SqlTranslator::emitPercentile(const ast::FunctionCallExpr& f) {
  checkPercentile(f);
  if (!windowsAllowed_) throw TranslateError(errors::Error::WindowOutsideSelect);
  if (groupingSet_ && groupingSet_->copies) throw TranslateError(errors::Error::WindowWithGroupingSets);
  const ast::Expr& key = *f.withinGroup[0].expr;
  const ast::DataType keyType = typeOf(key);
  const bool cont = f.name == "percentile_cont";
  if (cont && keyType.isKnown() && !keyType.isNumeric() && keyType.kind != ast::TypeKind::Null)
    throw TranslateError(errors::Error::ArgumentDataType,
                         {core::lowerCase(ast::typeToSql(keyType)), "1", "PERCENTILE_CONT"});
  bool allowed = std::exchange(windowsAllowed_, false);  // none inside its arguments
  const bool typed = env_.dialect().typedFunctions;
  const std::string tail = std::string(", ") + (f.withinGroup[0].descending ? "1" : "0") + ")";
  out_ += "tsql_" + f.name + '(';
  if (typed) {
    out_ += "array_agg(";
    if (cont) out_ += "CAST(";
  }
  emit(key);
  if (typed) {
    out_ += cont ? " AS double precision))" : ")";
    emitOver(*f.over);
  }
  out_ += ", CAST(";
  emit(*f.args[0]);
  out_ += " AS " + std::string(typed ? "double precision" : "REAL") + ")" + tail;
  if (!typed) emitOver(*f.over);
  windowsAllowed_ = allowed;
}

}  // namespace tsql::translate
