// CASE and the predicates IN, BETWEEN and IS NULL. IN and BETWEEN compare their
// operands as a comparison does (text meeting a number or date is converted, text gets
// the collation). LIKE lives with the other text rules in translate_text_values.cpp.
#include "tsql/translate/sql_translator.h"
#include "tsql/translate/translate_helpers.h"

namespace tsql::translate {

void SqlTranslator::emitCase(const ast::CaseExpr& c) {
  bool allNull = !c.elseExpr || isNullLiteral(*c.elseExpr);
  for (const auto& w : c.whens) allNull = allNull && isNullLiteral(*w.then);
  if (allNull) allResultsNull();
  out_ += "CASE";
  if (c.operand) {
    out_ += ' ';
    emit(*c.operand);
  }
  for (const auto& w : c.whens) {
    out_ += " WHEN ";
    emit(*w.when);
    out_ += " THEN ";
    emit(*w.then);
  }
  if (c.elseExpr) {
    out_ += " ELSE ";
    emit(*c.elseExpr);
  }
  out_ += " END";
}

void SqlTranslator::emitIn(const ast::InExpr& in) {
  out_ += '(';
  emitComparand(*in.operand, typeOf(*in.operand), ast::DataType{});
  out_ += in.negated ? " NOT IN " : " IN ";
  if (in.subquery) {
    emitSubquery(*in.subquery);
  } else {
    out_ += '(';
    for (std::size_t i = 0; i < in.list.size(); ++i) {
      if (i) out_ += ", ";
      emit(*in.list[i]);
    }
    out_ += ')';
  }
  out_ += ')';
}

void SqlTranslator::emitBetween(const ast::BetweenExpr& b) {
  ast::DataType t = typeOf(*b.operand);
  out_ += '(';
  emit(*b.operand);
  out_ += b.negated ? " NOT BETWEEN " : " BETWEEN ";
  emitComparand(*b.low, typeOf(*b.low), t);
  out_ += " AND ";
  emitComparand(*b.high, typeOf(*b.high), t);
  out_ += ')';
}

void SqlTranslator::emitIsNull(const ast::IsNullExpr& n) {
  out_ += '(';
  emit(*n.operand);
  out_ += n.negated ? " IS NOT NULL)" : " IS NULL)";
}

}  // namespace tsql::translate
