// Prepared statements by SQL text with LRU eviction. Preparing is the costly part of
// a small statement in SQLite; a save batch repeats the same few shapes per row.
#include "tsql/runtime/statement_cache.h"

#include <stdexcept>

namespace tsql::runtime {

StatementCache::Lease& StatementCache::Lease::operator=(Lease&& o) noexcept {
  if (this != &o) {
    release();
    stmt_ = o.stmt_;
    inUse_ = o.inUse_;
    o.stmt_ = nullptr;
  }
  return *this;
}

void StatementCache::Lease::release() {
  if (stmt_ == nullptr) return;
  if (inUse_ == nullptr) {
    sqlite3_finalize(stmt_);  // an uncached statement dies with its lease
  } else {
    sqlite3_reset(stmt_);  // its error, if any, was reported by the step that failed
    sqlite3_clear_bindings(stmt_);
    *inUse_ = false;
  }
  stmt_ = nullptr;
}

// A batch asks for the same few texts over and over, each time with the same string
// (its kept translation's): those are found by the text's address, and the bytes
// compared, instead of hashing the whole text for every statement.
StatementCache::Lease StatementCache::acquire(std::string_view sql) {
  Recent& recent = recentSlot(sql);
  auto* found = recent.entry && recent.text == sql.data() && recent.entry->first == sql
                    ? recent.entry
                    : nullptr;
  if (!found) {
    auto it = entries_.find(sql);
    if (it != entries_.end()) found = &*it;
  }
  if (found && !found->second.inUse) {
    recent = {sql.data(), found};
    Entry& e = found->second;
    order_.splice(order_.begin(), order_, e.lru);
    e.inUse = true;
    return Lease(e.stmt, &e.inUse);
  }
  std::string key(sql);
  sqlite3_stmt* stmt = nullptr;
  if (sqlite3_prepare_v2(db_, key.c_str(), static_cast<int>(key.size()), &stmt, nullptr) !=
      SQLITE_OK) {
    std::string msg = sqlite3_errmsg(db_);
    sqlite3_finalize(stmt);
    throw std::runtime_error(msg);
  }
  ++prepares_;
  if (found) return Lease(stmt, nullptr);  // same text in use: a private copy
  order_.push_front(key);
  auto& entry = entries_.emplace(std::move(key), Entry{stmt, order_.begin(), true}).first->second;
  evictPastCapacity();
  return Lease(stmt, &entry.inUse);
}

void StatementCache::evictPastCapacity() {
  auto victim = order_.end();
  while (entries_.size() > capacity_ && victim != order_.begin()) {
    --victim;
    auto e = entries_.find(*victim);
    if (e->second.inUse) continue;  // leased statements stay until returned
    sqlite3_finalize(e->second.stmt);
    recent_.fill({});
    entries_.erase(e);
    victim = order_.erase(victim);
  }
}

void StatementCache::clear() {
  for (auto it = entries_.begin(); it != entries_.end();) {
    if (it->second.inUse) {
      ++it;
      continue;
    }
    sqlite3_finalize(it->second.stmt);
    recent_.fill({});
    order_.erase(it->second.lru);
    it = entries_.erase(it);
  }
}

}  // namespace tsql::runtime
