// The OUTPUT clause of INSERT, UPDATE and DELETE as the statement's RETURNING list:
// inserted.col is the row as written (INSERT, UPDATE), deleted.col the row as removed
// (DELETE); inserted.* and deleted.* stand for every column of the target.
#include "core/scoped_flag.h"
#include "tsql/parser/parser.h"
#include "tsql/translate/sql_translator.h"

namespace tsql::translate {

namespace {

bool isOutputQualifier(const std::string& q) { return q == "inserted" || q == "deleted"; }

}  // namespace

// `rowName` is the one of inserted / deleted the statement has ("inserted" for INSERT,
// "deleted" for DELETE, "inserted" for UPDATE, whose old values RETURNING cannot give:
// an UPDATE that reads them keeps them in a plan table first, see updateKeepingOld).
void SqlTranslator::emitReturning(const ast::OutputClause& o,
                                  const std::vector<catalog::ColumnInfo>& cols,
                                  const std::string& rowName, bool update,
                                  std::vector<ast::DataType>& types) {
  Scope scope;
  scope.outer = scope_;
  scope.sources.push_back({rowName, cols, {}, nullptr});
  if (!oldRowPlan_.empty()) scope.sources.push_back({"deleted", cols, {}, nullptr});
  scope_ = &scope;
  core::ScopedFlag returning(returning_);
  returningUpdate_ = update;
  out_ += " RETURNING ";
  bool first = true;
  for (const auto& item : o.items) {
    if (item.star) {
      std::string q = toLower(item.starQualifier);
      const bool old = q == "deleted" && !oldRowPlan_.empty();
      if (!old && q != rowName) throw TranslateError(errors::Error::InvalidObject, {item.starQualifier});
      for (std::size_t i = 0; i < cols.size(); ++i) {
        out_ += first ? "" : ", ";
        first = false;
        if (!cols[i].expression.empty()) emitComputedOnRead(Source{q, cols, {}, nullptr}, i);
        else if (old) emitOldValue(cols, cols[i].name);
        else out_ += quoteIdent(cols[i].name);
        types.push_back(cols[i].type);
      }
      continue;
    }
    out_ += first ? "" : ", ";
    first = false;
    emit(*item.expr);
    types.push_back(typeOf(*item.expr));
    if (!item.alias.empty()) out_ += " AS " + quoteIdent(item.alias);
  }
  scope_ = scope.outer;
}

// A column of the OUTPUT list: the target's own column, named without a qualifier.
void SqlTranslator::emitReturningColumn(const ast::ColumnRefExpr& c) {
  if (mergeOutput_) return emitMergeOutputColumn(c);
  const Source* source = nullptr;
  std::size_t index = 0;
  std::string q = c.parts.size() > 1 ? toLower(c.parts[c.parts.size() - 2]) : "";
  if (q == "deleted" && !oldRowPlan_.empty()) return emitOldValue(scope_->sources.front().columns, c.column());
  if (q == "deleted" && returningUpdate_)
    throw TranslateError(errors::Error::UserMessage,
                         {"OUTPUT of an UPDATE reads the inserted (new) values only; deleted." +
                          c.column() + " cannot be read here."});
  if (c.parts.size() > 2 || (!q.empty() && !isOutputQualifier(q)) ||
      !resolveColumn(c, source, index))
    throw TranslateError(errors::Error::InvalidColumn, {c.parts.empty() ? "" : c.parts.back()});
  out_ += quoteIdent(c.column());
}

}  // namespace tsql::translate
