// CASE, the predicates IN, BETWEEN and IS NULL, and comparisons with ALL / ANY / SOME.
// IN and BETWEEN compare their operands as a comparison does (text meeting a number or
// date is converted, text gets the collation). LIKE lives with the other text rules in
// translate_text_values.cpp.
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
    // text met with a column whose collation counts blanks is trimmed, as in a comparison
    const ast::DataType t = typeOf(*in.operand);
    const bool meetsColumn = in.operand->kind == ast::NodeKind::ColumnRef && t.isText() &&
                             env_.dialect().columnComparandCollation;
    for (std::size_t i = 0; i < in.list.size(); ++i) {
      if (i) out_ += ", ";
      if (!meetsColumn) {
        emit(*in.list[i]);
        continue;
      }
      comparandMeetsColumn_ = true;
      emitComparand(*in.list[i], typeOf(*in.list[i]), t);
    }
    out_ += ')';
  }
  out_ += ')';
}

void SqlTranslator::emitBetween(const ast::BetweenExpr& b) {
  ast::DataType t = typeOf(*b.operand);
  out_ += '(';
  emitComparand(*b.operand, t, typeOf(*b.low));  // text an expression made compares as a literal's
  out_ += b.negated ? " NOT BETWEEN (" : " BETWEEN (";  // the server reads no COLLATE in a bare bound
  const bool meetsColumn = storedColumn(*b.operand);
  comparandMeetsColumn_ = meetsColumn;
  emitComparand(*b.low, typeOf(*b.low), t);
  out_ += ") AND (";
  comparandMeetsColumn_ = meetsColumn;
  emitComparand(*b.high, typeOf(*b.high), t);
  out_ += "))";
}

void SqlTranslator::emitIsNull(const ast::IsNullExpr& n) {
  out_ += '(';
  emit(*n.operand);
  out_ += n.negated ? " IS NOT NULL)" : " IS NULL)";
}

// x op ALL | ANY (query), which neither database's own SQL shares: the subquery's values
// are read as column tsql_v_ of tsql_q_ (its select item named so), and the counts of
// values for which the comparison is true and is false decide, in three-valued logic as
// SQL Server does. ALL is false when one comparison is false, else unknown when one is
// unknown, else true (over no value too); ANY is true when one is true, else unknown when
// one is unknown, else false.
void SqlTranslator::emitQuantified(const ast::QuantifiedExpr& q) {
  std::vector<Output> outputs = queryOutputs(*q.subquery);
  if (outputs.size() != 1) throw TranslateError(errors::Error::SubqueryColumns);
  Scope values;
  values.outer = scope_;
  values.sources.push_back({"tsql_q_", {{"tsql_v_", outputs[0].type, false, false}}, {}, nullptr});
  auto count = [&](bool holds) {
    out_ += holds ? "sum(CASE WHEN " : "sum(CASE WHEN NOT (";
    Scope* saved = std::exchange(scope_, &values);
    emit(*q.compare);
    scope_ = saved;
    out_ += holds ? " THEN 1 ELSE 0 END)" : ") THEN 1 ELSE 0 END)";
  };
  out_ += "((SELECT CASE WHEN ";
  count(!q.all);
  out_ += q.all ? " > 0 THEN 0 WHEN count(*) > " : " > 0 THEN 1 WHEN count(*) > ";
  count(q.all);
  out_ += q.all ? " THEN NULL ELSE 1 END" : " THEN NULL ELSE 0 END";
  out_ += " FROM ";
  const ast::SelectCore& first = q.subquery->cores[0];
  if (first.items[0].star) {  // an empty first arm names the column
    out_ += "(SELECT NULL AS \"tsql_v_\" WHERE 1 = 0 UNION ALL SELECT * FROM ";
    emitSubquery(*q.subquery);
    out_ += " AS \"tsql_s_\")";
  } else {  // the select item is named so: its collation stays
    valueCore_ = &first;
    emitSubquery(*q.subquery);
    valueCore_ = nullptr;
  }
  out_ += " AS \"tsql_q_\") = 1)";
}

}  // namespace tsql::translate
