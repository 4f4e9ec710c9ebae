// StatementCache: prepared SQLite statements keyed by their SQL text. Because the
// translator turns every literal into a parameter, statements of the same shape
// share one entry. Statements handed out are reset by the caller (StatementUse).
#pragma once

#include <sqlite3.h>

#include <string>
#include <unordered_map>

namespace tsql::exec {

class StatementCache {
 public:
  explicit StatementCache(sqlite3* db) : db_(db) {}
  ~StatementCache() { clear(); }
  StatementCache(const StatementCache&) = delete;
  StatementCache& operator=(const StatementCache&) = delete;

  //! The prepared statement for `sql`; nullptr with SQLite's error set on failure.
  sqlite3_stmt* get(const std::string& sql);
  //! Finalizes every statement.
  void clear();

 private:
  static constexpr std::size_t kMaxEntries = 1024;
  sqlite3* db_;
  std::unordered_map<std::string, sqlite3_stmt*> map_;
};

//! Resets the statement (and drops its bindings' hold) when the use ends.
class StatementUse {
 public:
  explicit StatementUse(sqlite3_stmt* s) : s_(s) {}
  ~StatementUse() {
    if (s_) sqlite3_reset(s_);  // the step's error was already reported by the caller
  }
  StatementUse(const StatementUse&) = delete;
  StatementUse& operator=(const StatementUse&) = delete;
  sqlite3_stmt* get() const { return s_; }

 private:
  sqlite3_stmt* s_;
};

}  // namespace tsql::exec
