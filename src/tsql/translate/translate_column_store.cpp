// Stores into table columns (INSERT values and SELECT, UPDATE SET): a text column of a
// set length refuses a longer value (8152) where a variable of the same type cuts it.
// A bound value is checked as it is bound (Slot::intoColumn), any other expression
// through tsql_fit before char(n) pads it. Where the database stores varchar text
// without trailing blanks, the bound value loses them as it is bound, an expression
// through rtrim. A column whose declared type is no longer than the target's needs no
// check: every value in it went through the same check when it was stored.
#include "tsql/translate/sql_translator.h"
#include "tsql/translate/translate_helpers.h"

namespace tsql::translate {

void SqlTranslator::emitColumnStore(const ast::Expr& e, const ast::DataType& target) {
  using ast::NodeKind;
  bool sizedText = target.isText() && !target.guid && target.textLength() > 0;
  bool trimmed = env_.dialect().trimsStoredText && target.isText() && !target.fixed &&
                 !target.binary && !target.guid;
  bool isNull = e.kind == NodeKind::Literal && ast::nodeCast<ast::LiteralExpr>(e).literalKind == ast::LiteralKind::Null;
  if ((!sizedText && !trimmed) || isNull) return emitStore(e, target);
  if (!inlineLiterals_ &&
      (e.kind == NodeKind::Literal || e.kind == NodeKind::Variable || e.kind == NodeKind::HostParameter)) {
    std::size_t before = slots_.size();
    emitStore(e, target);
    if (slots_.size() == before + 1) {
      slots_.back().intoColumn = sizedText;
      slots_.back().trimBlanks = trimmed;
    }
    return;
  }
  if (trimmed) out_ += "rtrim(";
  if (!sizedText) {
    emitStore(e, target);
  } else {
    std::string length = std::to_string(target.textLength());  // varbinary: its hex text
    bool check = !fitsAlready(e, target);
    if (target.fixed) out_ += target.binary ? "tsql_binary_pad(" : "tsql_char(";
    if (check) out_ += "tsql_fit(";
    emit(e);
    if (check) out_ += ", " + length + ')';
    if (target.fixed)
      out_ += target.binary ? ", " + std::to_string(target.length) + ", 0)" : ", " + length + ')';
  }
  if (trimmed) out_ += ')';
}

bool SqlTranslator::fitsAlready(const ast::Expr& e, const ast::DataType& target) {
  if (e.kind != ast::NodeKind::ColumnRef || target.binary) return false;
  const ast::DataType from = typeOf(e);
  return from.isText() && !from.binary && !from.guid && !from.offset && from.textLength() > 0 &&
         from.textLength() <= target.textLength();
}

// UPDATE ... FROM and MERGE hand the new values over in a derived table, where the
// server types a bound parameter by itself (as text), not by the column it goes into:
// there a value that is not text is cast to its column's type first.
void SqlTranslator::emitDerivedColumnStore(const ast::Expr& e, const ast::DataType& target) {
  const bool cast = env_.dialect().typedFunctions && target.isKnown() && !target.isText() && !target.binary;
  if (cast) out_ += "CAST(";
  emitColumnStore(e, target);
  if (cast) out_ += std::string(" AS ") + env_.dialect().columnType(target) + ")";
}

}  // namespace tsql::translate
