// Prepared statement cache. When full it is emptied wholesale: batches repeat a small
// set of shapes, so a simple bound beats bookkeeping for least-recent use.
#include "tsql/exec/statement_cache.h"

namespace tsql::exec {

sqlite3_stmt* StatementCache::get(const std::string& sql) {
  auto it = map_.find(sql);
  if (it != map_.end()) return it->second;
  if (map_.size() >= kMaxEntries) clear();
  sqlite3_stmt* stmt = nullptr;
  if (sqlite3_prepare_v3(db_, sql.c_str(), static_cast<int>(sql.size()), SQLITE_PREPARE_PERSISTENT,
                         &stmt, nullptr) != SQLITE_OK) {
    sqlite3_finalize(stmt);
    return nullptr;
  }
  map_.emplace(sql, stmt);
  return stmt;
}

void StatementCache::clear() {
  // A statement still being stepped (the driver of an assigning SELECT) stays.
  for (auto it = map_.begin(); it != map_.end();) {
    if (sqlite3_stmt_busy(it->second) && map_.size() < kMaxEntries * 2) {
      ++it;
      continue;
    }
    sqlite3_finalize(it->second);
    it = map_.erase(it);
  }
}

}  // namespace tsql::exec
