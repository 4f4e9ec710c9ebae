// PIVOT and UNPIVOT as derived tables over their source.
//  - PIVOT groups by every column of the source it does not read (in the source's
//    order), each cell agg(CASE WHEN pivot = name THEN value END): a group whose rows
//    match no name still comes out, its cells NULL (0 for COUNT). The names are N''
//    texts, or integers against an integer pivot column. A text pivot column is read
//    without its trailing blanks: it may be computed ('Q1 ' in a derived table), where
//    a comparison with a column takes the column to be stored trimmed.
//  - UNPIVOT crosses the source with a numbered list of the columns it names and keeps
//    the rows whose value is not NULL; the names column is nvarchar(128) (a sysname) and
//    the value column has the named columns' type, which must be one for all of them.
#include <utility>

#include "core/strings.h"
#include "tsql/parser/parser.h"
#include "tsql/runtime/runtime.h"
#include "tsql/translate/sql_translator.h"

namespace tsql::translate {

using ast::DataType;

namespace {

struct SourceColumn {
  std::string name;
  DataType type;
};

int find(const std::vector<SourceColumn>& cols, const std::string& name) {
  for (std::size_t i = 0; i < cols.size(); ++i)
    if (core::sameText(cols[i].name, name)) return static_cast<int>(i);
  return -1;
}

DataType sysname() {
  DataType t;
  t.kind = ast::TypeKind::NVarchar;
  t.length = 128;
  return t;
}

}  // namespace

const ast::Expr& SqlTranslator::madeColumn(SourcePos pos, const std::string& name) {
  auto c = std::make_unique<ast::ColumnRefExpr>(pos);
  c->parts.push_back(name);
  made_.push_back(std::move(c));
  return *made_.back();
}

const ast::Expr& SqlTranslator::madeColumn(SourcePos pos, const std::string& qualifier, const std::string& name) {
  auto c = std::make_unique<ast::ColumnRefExpr>(pos);
  c->parts = {qualifier, name};
  made_.push_back(std::move(c));
  return *made_.back();
}

// The pivoted table's columns, read over the source's `inner` scope; checks the names
// the clause uses against the source's columns. `kept` gets the columns carried over,
// `cells` PIVOT's aggregates.
std::vector<SqlTranslator::Output> SqlTranslator::pivotOutputs(const ast::PivotTableRef& p, Scope& inner,
                                                              std::vector<std::string>& kept,
                                                              std::vector<const ast::Expr*>& cells) {
  std::vector<SourceColumn> cols;
  for (const Source& s : inner.sources)
    for (const auto& c : s.columns) cols.push_back({c.name, c.type});
  std::vector<Output> outputs;
  auto add = [&](const std::string& name, const DataType& type) {
    for (const Output& o : outputs)
      if (core::sameText(o.name, name)) throw TranslateError(errors::Error::PivotColumnTwice, {name, p.alias});
    outputs.push_back({name, type, true});  // rows it makes, not stored ones
  };
  if (!p.unpivot) {
    for (const std::string* c : {&p.valueColumn, &p.pivotColumn})
      if (find(cols, *c) < 0) throw TranslateError(errors::Error::InvalidColumn, {*c});
    for (const SourceColumn& c : cols) {
      if (core::sameText(c.name, p.valueColumn) || core::sameText(c.name, p.pivotColumn)) continue;
      add(c.name, c.type);
      kept.push_back(c.name);
    }
    const DataType pivotType = cols[find(cols, p.pivotColumn)].type;
    const bool integral = pivotType.kind == ast::TypeKind::Int || pivotType.kind == ast::TypeKind::BigInt;
    const auto& written = integral && !p.integerCells.empty() ? p.integerCells
                          : pivotType.isText()                ? p.textCells
                                                              : p.cells;
    Scope* saved = std::exchange(scope_, &inner);
    for (std::size_t i = 0; i < p.names.size(); ++i) {
      cells.push_back(written[i].get());
      add(p.names[i], typeOf(*cells.back()));
    }
    scope_ = saved;
    return outputs;
  }
  DataType valueType;
  for (std::size_t i = 0; i < p.names.size(); ++i) {
    int at = find(cols, p.names[i]);
    if (at < 0) throw TranslateError(errors::Error::InvalidColumn, {p.names[i]});
    if (i > 0 && !(cols[at].type == valueType))
      throw TranslateError(errors::Error::UnpivotTypeConflict, {p.names[i]});
    valueType = cols[at].type;
  }
  for (const SourceColumn& c : cols) {
    bool named = false;
    for (const std::string& n : p.names) named = named || core::sameText(n, c.name);
    if (named) continue;
    add(c.name, c.type);
    kept.push_back(c.name);
  }
  add(p.pivotColumn, sysname());
  add(p.valueColumn, valueType);
  return outputs;
}

// (SELECT kept..., cells... FROM source GROUP BY kept...) AS alias, or for UNPIVOT
// (SELECT * FROM (SELECT kept..., n AS name, CASE i WHEN 1 THEN c1 ... END AS value
//  FROM source CROSS JOIN (SELECT 1 AS i, 'c1' AS n UNION ALL ...)) WHERE value IS NOT NULL)
void SqlTranslator::emitPivotTable(const ast::PivotTableRef& p, Scope& scope) {
  Scope inner;
  inner.outer = scope.outer;  // the source does not see its siblings
  std::string head = std::exchange(out_, {});
  emitTableRef(*p.source, inner);
  std::string sourceSql = std::exchange(out_, std::move(head));
  std::vector<std::string> kept;
  std::vector<const ast::Expr*> cells;
  std::vector<Output> outputs = pivotOutputs(p, inner, kept, cells);
  Scope* saved = std::exchange(scope_, &inner);
  out_ += p.unpivot ? "(SELECT * FROM (SELECT " : "(SELECT ";
  std::string keys;
  for (const std::string& k : kept) {
    const std::size_t start = out_.size();
    emit(madeColumn(p.pos, k));
    keys += (keys.empty() ? "" : ", ") + out_.substr(start);
    out_ += " AS " + quoteIdent(k) + ", ";
  }
  if (!p.unpivot) {
    for (std::size_t i = 0; i < cells.size(); ++i) {
      if (i) out_ += ", ";
      emit(*cells[i]);
      out_ += " AS " + quoteIdent(p.names[i]);
    }
    out_ += " FROM " + sourceSql;
    if (!keys.empty()) out_ += " GROUP BY " + keys;
  } else {
    // the names compare case-blind, as a sysname does
    out_ += "\"tsql_names_\".\"n\" COLLATE " + std::string(runtime::kCollation) + " AS " + quoteIdent(p.pivotColumn) +
            ", CASE \"tsql_names_\".\"i\"";
    for (std::size_t i = 0; i < p.names.size(); ++i) {
      out_ += " WHEN " + std::to_string(i + 1) + " THEN ";
      emit(madeColumn(p.pos, p.names[i]));
    }
    out_ += " END AS " + quoteIdent(p.valueColumn) + " FROM " + sourceSql + " CROSS JOIN (";
    for (std::size_t i = 0; i < p.names.size(); ++i)
      out_ += (i ? " UNION ALL SELECT " : "SELECT ") + std::to_string(i + 1) + " AS \"i\", " +
              quoteText(p.names[i]) + " AS \"n\"";
    out_ += ") AS \"tsql_names_\") AS \"tsql_rows_\" WHERE " + quoteIdent(p.valueColumn) + " IS NOT NULL";
  }
  scope_ = saved;
  out_ += ") AS " + quoteIdent(p.alias);
  scope.sources.push_back(derivedSource(p.alias, outputs));
}

void SqlTranslator::resolvePivotTable(const ast::PivotTableRef& p, Scope& scope) {
  Scope inner;
  inner.outer = scope.outer;
  resolveSource(*p.source, inner);
  std::vector<std::string> kept;
  std::vector<const ast::Expr*> cells;
  scope.sources.push_back(derivedSource(p.alias, pivotOutputs(p, inner, kept, cells)));
}

}  // namespace tsql::translate
