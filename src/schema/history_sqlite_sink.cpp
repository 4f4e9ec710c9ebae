// SqliteHistorySink: a prepared INSERT per table shape, bound field by field; the new
// row's id is SQLite's rowid. A bill's id is read back by its billno (indexed).
#include "schema/history_sqlite_sink.h"

#include <algorithm>
#include <stdexcept>
#include <string_view>

namespace schema {

namespace {

int countColumns(std::string_view columns) {
  return 1 + static_cast<int>(std::count(columns.begin(), columns.end(), ','));
}

std::string insertText(const TableShape& shape) {
  std::string sql = insertHead(shape) + " values (";
  for (int i = 1, n = countColumns(shape.columns); i <= n; ++i) sql += (i > 1 ? ", ?" : "?") + std::to_string(i);
  if (*shape.fixedValues) sql += std::string(", ") + shape.fixedValues;
  return sql + ")";
}

// A decimal as the double the engine stores (units over a power of ten, so 1234 at two
// places is the same double as 12.34 written out).
double asDouble(const Field& f) {
  double scale = 1;
  for (int i = 0; i < f.places; ++i) scale *= 10;
  return static_cast<double>(f.number) / scale;
}

}  // namespace

SqliteHistorySink::~SqliteHistorySink() {
  for (auto& [shape, stmt] : statements_) sqlite3_finalize(stmt);
  for (auto& [table, stmt] : billIds_) sqlite3_finalize(stmt);
}

long long SqliteHistorySink::billId(const Field& bill) {
  sqlite3_stmt*& stmt = billIds_[bill.table];
  const std::string sql =
      std::string("select id from ") + bill.table + " where orgid = '0001' and billno = ?1";
  if (!stmt && sqlite3_prepare_v2(db_, sql.c_str(), -1, &stmt, nullptr) != SQLITE_OK)
    throw std::runtime_error(sqlite3_errmsg(db_));
  sqlite3_bind_text(stmt, 1, bill.text.c_str(), static_cast<int>(bill.text.size()),
                    SQLITE_TRANSIENT);
  const bool found = sqlite3_step(stmt) == SQLITE_ROW;
  const long long id = found ? sqlite3_column_int64(stmt, 0) : 0;
  sqlite3_reset(stmt);
  if (!found) throw std::runtime_error(std::string("no bill ") + bill.text + " in " + bill.table);
  return id;
}

sqlite3_stmt* SqliteHistorySink::prepared(const TableShape& shape) {
  auto found = statements_.find(&shape);
  if (found != statements_.end()) return found->second;
  sqlite3_stmt* stmt = nullptr;
  if (sqlite3_prepare_v2(db_, insertText(shape).c_str(), -1, &stmt, nullptr) != SQLITE_OK)
    throw std::runtime_error(sqlite3_errmsg(db_));
  statements_[&shape] = stmt;
  return stmt;
}

long long SqliteHistorySink::insert(const TableShape& shape, const Row& row) {
  sqlite3_stmt* stmt = prepared(shape);
  int at = 1;
  for (const Field& f : row) {
    switch (f.kind) {
      case Field::Kind::Text:
        sqlite3_bind_text(stmt, at++, f.text.c_str(), static_cast<int>(f.text.size()), SQLITE_TRANSIENT);
        break;
      case Field::Kind::Integer: sqlite3_bind_int64(stmt, at++, f.number); break;
      case Field::Kind::Decimal: sqlite3_bind_double(stmt, at++, asDouble(f)); break;
      case Field::Kind::BillId: sqlite3_bind_int64(stmt, at++, billId(f)); break;
    }
  }
  if (sqlite3_step(stmt) != SQLITE_DONE) {
    std::string message = sqlite3_errmsg(db_);
    sqlite3_reset(stmt);
    throw std::runtime_error(message);
  }
  sqlite3_reset(stmt);
  return sqlite3_last_insert_rowid(db_);
}

std::vector<long long> SqliteHistorySink::addMasters(const TableShape& shape, const std::vector<Row>& rows) {
  std::vector<long long> ids;
  ids.reserve(rows.size());
  for (const Row& row : rows) ids.push_back(insert(shape, row));
  return ids;
}

}  // namespace schema
