// Positioned writes. An updatable cursor reads its one table's row key with each row,
// as a last column the cursor keeps out of sight; UPDATE and DELETE ... WHERE CURRENT OF
// compare that key with the row the cursor is on. The key is the table's rowid on the
// file and the row's ctid on the server: both stay with a row while other rows change.
// The server's ctid moves when the row itself is written, so a positioned UPDATE there
// returns the row's new key for the cursor to keep.
#include "tsql/translate/sql_translator.h"
#include "tsql/translate/translate_helpers.h"

namespace tsql::translate {

const ast::NamedTableRef* SqlTranslator::cursorTable(const ast::Query& q) {
  if (q.cores.size() != 1 || q.forJson || q.with) return nullptr;
  const ast::SelectCore& c = q.cores[0];
  if (c.distinct || !c.groupBy.empty() || c.having || !c.groupingSets.empty() ||
      !c.into.empty() || c.from.size() != 1)
    return nullptr;
  for (const ast::SelectItem& item : c.items)
    if (!item.star && !rowWise(item.expr.get())) return nullptr;
  return ast::nodeAs<ast::NamedTableRef>(c.from[0].get());
}

Translation SqlTranslator::cursorQuery(const ast::Query& q, bool keyed) {
  keyCore_ = keyed ? &q.cores[0] : nullptr;
  keyEmitted_ = false;
  Translation t = query(q);
  keyCore_ = nullptr;
  t.rowKeyed = keyEmitted_;
  return t;
}

void SqlTranslator::emitCurrentOf(const std::string& qualifier) {
  out_ += " WHERE " + qualifier + "." + env_.dialect().rowKey + " = CAST(";
  Slot key;
  key.kind = Slot::Kind::CursorKey;
  emitSlot(std::move(key));
  out_ += std::string(" AS ") + env_.dialect().rowKeyType + ")";
}

bool SqlTranslator::emitMovedRowKey(const ast::UpdateStmt& s, const std::string& qualifier) {
  if (!s.currentOf || s.output || std::string_view(env_.dialect().name) == "sqlite") return false;
  out_ += " RETURNING " + qualifier + "." + env_.dialect().rowKey;
  return true;
}

void SqlTranslator::emitCursorKey(const ast::SelectCore& c, const Scope& scope) {
  if (keyCore_ != &c || scope.sources.size() != 1 || scope.sources[0].inner) return;
  out_ += ", " + quoteIdent(scope.sources[0].alias) + "." + env_.dialect().rowKey + " AS \"tsql_key_\"";
  keyEmitted_ = true;
}

}  // namespace tsql::translate
