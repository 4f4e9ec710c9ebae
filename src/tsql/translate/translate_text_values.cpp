// Text where the two databases disagree on blanks and patterns: LIKE (case-blind,
// [a-z] classes, trailing blanks of the value ignored), comparands that carry
// trailing blanks, concatenation, and char(n) columns whose padding the server drops
// when it turns them into text.
#include "tsql/runtime/runtime.h"
#include "tsql/translate/sql_translator.h"
#include "tsql/translate/translate_helpers.h"

namespace tsql::translate {

// A char(n) column read as text keeps its padding ('x' in a char(4) is 'x   ').
void SqlTranslator::emitTextValue(const ast::Expr& e) {
  ast::DataType t = e.kind == ast::NodeKind::ColumnRef ? typeOf(e) : ast::DataType{};
  bool repad = env_.dialect().fixedTextLosesPadding && t.isText() && t.fixed && !t.binary && t.textLength() > 0;
  if (!repad) return emit(e);
  out_ += "rpad(";
  emit(e);
  out_ += ", " + std::to_string(t.textLength()) + ')';
}

void SqlTranslator::emitConcatenation(const ast::BinaryExpr& b) {
  out_ += '(';
  emitTextValue(*b.lhs);
  out_ += " || ";
  emitTextValue(*b.rhs);
  out_ += ')';
}

// Text that is not a column meets the default collation; where that collation counts
// trailing blanks they are taken off first ('a  ' equals 'a', as on the embedded file),
// or, against a char(n) column, the text becomes the type that ignores them. Meeting a
// column whose collation counts blanks, it takes that collation so the column's index
// serves: trimmed as the stored text is, or padded as a char(n) column's text is.
void SqlTranslator::emitCaseBlindComparand(const ast::Expr& e, const ast::DataType& other,
                                           bool meetsColumn) {
  const dialect::Dialect& d = env_.dialect();
  const bool fixed = other.isText() && other.fixed && !other.binary;
  if (meetsColumn && d.columnComparandCollation) {
    const bool pad = fixed && other.textLength() > 0;
    out_ += pad ? "tsql_pad(" : "rtrim(";
    emit(e);
    out_ += pad ? ", " + std::to_string(other.textLength()) + ")" : ")";
    out_ += " COLLATE ";
    out_ += d.columnComparandCollation;
    return;
  }
  bool padded = d.blankBlindText && fixed;
  bool trim = d.trimsTextComparands && !padded;
  out_ += trim ? "rtrim(" : padded ? "CAST(" : "";
  emit(e);
  out_ += trim ? ")" : padded ? std::string(" AS ") + d.blankBlindText + ')' : "";
  out_ += " COLLATE ";
  out_ += runtime::kCollation;
}

// A char(n) column keeps its padding where varchar text is stored trimmed: meeting a
// varchar column, or a char column of another length, its padding is taken off so that
// 'x   ' equals 'x'.
bool SqlTranslator::emitPaddedColumn(const ast::Expr& e, const ast::DataType& self,
                                     const ast::DataType& other) {
  const dialect::Dialect& d = env_.dialect();
  const bool fixedSelf = self.isText() && self.fixed && !self.binary;
  const bool sameFixed = other.fixed && other.textLength() == self.textLength();
  if (!d.columnComparandCollation || !fixedSelf || !other.isText() || sameFixed) return false;
  out_ += "rtrim(";
  emit(e);
  out_ += ") COLLATE ";
  out_ += d.columnComparandCollation;
  return true;
}

void SqlTranslator::emitLike(const ast::LikeExpr& l) {
  if (!env_.dialect().likeByRegex) {  // the database's LIKE is the runtime's own
    out_ += '(';
    emit(*l.operand);
    out_ += l.negated ? " NOT LIKE " : " LIKE ";
    emit(*l.pattern);
    if (l.escape) {
      out_ += " ESCAPE ";
      emit(*l.escape);
    }
    out_ += ')';
    return;
  }
  out_ += l.negated ? "(NOT (lower(" : "((lower(";
  emitTextValue(*l.operand);
  out_ += ") COLLATE ucs_basic ~ tsql_like_regex(lower(";
  emit(*l.pattern);
  out_ += "), ";
  if (l.escape) {
    out_ += "lower(";
    emit(*l.escape);
    out_ += ')';
  } else {
    out_ += "NULL::text";  // T-SQL has no escape character unless one is named
  }
  out_ += ")))";
}

}  // namespace tsql::translate
