// Window functions: both databases have them, so the call is written as it is with its
// OVER clause. Without a frame, an ORDER BY means RANGE BETWEEN UNBOUNDED PRECEDING AND
// CURRENT ROW and no ORDER BY the whole partition, in SQL Server as in both databases, so
// only a frame that is written is written. What SQL Server refuses is refused here with
// its error; NTILE's count and LAG/LEAD's offset are made integer for the server's
// signatures; SUM and AVG of money and decimals go through the exact aggregates, which
// are window functions too.
#include "core/strings.h"
#include "tsql/translate/sql_translator.h"
#include "tsql/translate/translate_helpers.h"

namespace tsql::translate {

namespace {

// Functions that rank or offset rows: their OVER clause has an ORDER BY and no frame.
bool ranksRows(const std::string& n) {
  return n == "row_number" || n == "rank" || n == "dense_rank" || n == "ntile" || n == "lag" ||
         n == "lead" || n == "percent_rank" || n == "cume_dist";
}

// What SQL Server refuses in a window.
void checkWindow(const ast::FunctionCallExpr& f) {
  const ast::WindowSpec& w = *f.over;
  if (f.distinct) throw TranslateError(errors::Error::DistinctOver);
  bool ordered = ranksRows(f.name) || f.name == "first_value" || f.name == "last_value";
  if (ordered && w.orderBy.empty())
    throw TranslateError(errors::Error::WindowNeedsOrderBy, {core::upperCase(f.name)});
  if (!w.hasFrame) return;
  if (ranksRows(f.name))
    throw TranslateError(errors::Error::WindowFrameNotAllowed, {core::upperCase(f.name)});
  if (w.orderBy.empty()) throw TranslateError(errors::Error::FrameWithoutOrderBy);
  if (!w.rows && (w.start.offset || w.end.offset)) throw TranslateError(errors::Error::RangeOffset);
}

const char* boundText(ast::FrameBoundKind k) {
  switch (k) {
    case ast::FrameBoundKind::UnboundedPreceding:
      return "UNBOUNDED PRECEDING";
    case ast::FrameBoundKind::Preceding:
      return " PRECEDING";
    case ast::FrameBoundKind::Following:
      return " FOLLOWING";
    case ast::FrameBoundKind::UnboundedFollowing:
      return "UNBOUNDED FOLLOWING";
    default:
      return "CURRENT ROW";
  }
}

}  // namespace

void SqlTranslator::emitWindowFunction(const ast::FunctionCallExpr& f) {
  if (!windowsAllowed_) throw TranslateError(errors::Error::WindowOutsideSelect);
  // Each grouping set's copy of the core would number and total only its own groups.
  if (groupingSet_ && groupingSet_->copies)
    throw TranslateError(errors::Error::WindowWithGroupingSets);
  checkWindow(f);
  bool allowed = std::exchange(windowsAllowed_, false);  // none inside its arguments or its window
  const char* check = sumRangeCheck(f, typeOf(f), env_.dialect().typedFunctions);
  if (check) out_ += std::string(check) + '(';
  if (f.name == "ntile" || f.name == "lag" || f.name == "lead")
    emitCountedWindowFunction(f);
  else
    emitFunction(f);
  emitOver(*f.over);
  if (check) out_ += ')';
  windowsAllowed_ = allowed;
}

// NTILE(n) and LAG/LEAD(x, offset, default): the count is an integer parameter where
// the server takes one (a bound integer is a bigint there).
void SqlTranslator::emitCountedWindowFunction(const ast::FunctionCallExpr& f) {
  std::size_t counted = f.name == "ntile" ? 0 : 1;
  out_ += f.name + '(';
  for (std::size_t i = 0; i < f.args.size(); ++i) {
    if (i) out_ += ", ";
    if (i == counted) out_ += "CAST(";
    emit(*f.args[i]);
    if (i == counted) out_ += " AS INTEGER)";
  }
  out_ += ')';
}

void SqlTranslator::emitOver(const ast::WindowSpec& w) {
  out_ += " OVER (";
  const char* gap = "";
  // An applied query joined to the rows on its left: its window is each left row's rows,
  // the rows of one value of its correlation keys, or of the left columns it reads.
  if (windowApply_ && (windowApply_->leftValues || !windowApply_->keys.empty())) {
    emitApplyPartition(*windowApply_);
    gap = " ";
  }
  for (std::size_t i = 0; i < w.partitionBy.size(); ++i) {
    out_ += *gap ? ", " : "PARTITION BY ";
    emit(*w.partitionBy[i]);
    gap = " ";
  }
  for (std::size_t i = 0; i < w.orderBy.size(); ++i) {
    out_ += i ? ", " : std::string(gap) + "ORDER BY ";
    emitValueOrderKey(*w.orderBy[i].expr);
    out_ += orderDirection(w.orderBy[i].descending);
    gap = " ";
  }
  if (w.hasFrame) {
    out_ += gap;
    out_ += w.rows ? "ROWS BETWEEN " : "RANGE BETWEEN ";
    emitFrameBound(w.start);
    out_ += " AND ";
    emitFrameBound(w.end);
  }
  out_ += ')';
}

void SqlTranslator::emitFrameBound(const ast::FrameBound& b) {
  if (b.offset) emit(*b.offset);
  out_ += boundText(b.kind);
}

}  // namespace tsql::translate
