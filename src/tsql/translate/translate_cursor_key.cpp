// Positioned writes. An updatable cursor reads the row key of each table it can write
// with each row, as last columns the cursor keeps out of sight; UPDATE and DELETE ...
// WHERE CURRENT OF compare the written table's key with the row the cursor is on. The
// key is the table's rowid on the file and the row's ctid on the server: both stay with
// a row while other rows change. The server's ctid moves when the row itself is written,
// so a positioned UPDATE there returns the row's new key for the cursor to keep.
#include "tsql/translate/sql_translator.h"
#include "tsql/translate/translate_helpers.h"

namespace tsql::translate {

std::vector<const ast::NamedTableRef*> SqlTranslator::cursorTables(const ast::Query& q) {
  std::vector<const ast::NamedTableRef*> tables;
  if (q.cores.size() != 1 || q.forJson || q.with) return tables;
  const ast::SelectCore& c = q.cores[0];
  if (c.distinct || !c.groupBy.empty() || c.having || !c.groupingSets.empty() || !c.into.empty())
    return tables;
  for (const ast::SelectItem& item : c.items)
    if (!item.star && !rowWise(item.expr.get())) return tables;
  for (const auto& from : c.from)
    if (!leafTables(*from, tables)) return {};
  return tables;
}

Translation SqlTranslator::cursorQuery(const ast::Query& q,
                                       const std::vector<const ast::NamedTableRef*>& keyed) {
  keyCore_ = keyed.empty() ? nullptr : &q.cores[0];
  keyedTables_ = &keyed;
  std::vector<std::string> written;
  keyTablesWritten_ = &written;
  Translation t = query(q);
  keyCore_ = nullptr;
  keyedTables_ = nullptr;
  keyTablesWritten_ = nullptr;
  t.rowKeyTables = std::move(written);
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
  if (!s.currentOf || !env_.dialect().rowKeyMovesOnUpdate) return false;
  out_ += (s.output ? ", " : " RETURNING ") + qualifier + "." + env_.dialect().rowKey;
  return true;
}

void SqlTranslator::emitCursorKey(const ast::SelectCore& c) {
  if (keyCore_ != &c) return;
  for (const ast::NamedTableRef* n : *keyedTables_) {
    std::string sqlName = tableSqlName(n->name);
    out_ += ", " + quoteIdent(tableAlias(*n, sqlName)) + "." + env_.dialect().rowKey + " AS \"tsql_row_key_" +
            std::to_string(keyTablesWritten_->size()) + "\"";
    keyTablesWritten_->push_back(std::move(sqlName));
  }
}

}  // namespace tsql::translate
