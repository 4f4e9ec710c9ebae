// StatementCache: prepared SQLite statements kept by their SQL text, so statements of
// the same shape (literals turned into parameters) are prepared once per connection.
// Least recently used statements are finalized past the capacity. A statement handed
// out is reset and its bindings cleared when the Lease ends. Not thread safe.
#pragma once

#include <sqlite3.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <list>
#include <string>
#include <string_view>
#include <unordered_map>

namespace tsql::runtime {

class StatementCache {
 public:
  //! A borrowed statement; resets it (and clears bindings) when destroyed.
  class Lease {
   public:
    Lease() = default;
    //! `inUse` is the cache's mark of the statement (nullptr: the lease owns it).
    Lease(sqlite3_stmt* s, bool* inUse) : stmt_(s), inUse_(inUse) {}
    Lease(Lease&& o) noexcept : stmt_(o.stmt_), inUse_(o.inUse_) { o.stmt_ = nullptr; }
    Lease& operator=(Lease&& o) noexcept;
    Lease(const Lease&) = delete;
    Lease& operator=(const Lease&) = delete;
    ~Lease() { release(); }
    sqlite3_stmt* get() const { return stmt_; }  //!< the prepared statement

   private:
    void release();
    sqlite3_stmt* stmt_ = nullptr;
    bool* inUse_ = nullptr;
  };

  //! Caches statements of `db` (not owned; the cache must be destroyed first).
  explicit StatementCache(sqlite3* db, std::size_t capacity = 256) : db_(db), capacity_(capacity) {}
  ~StatementCache() { clear(); }
  StatementCache(const StatementCache&) = delete;
  StatementCache& operator=(const StatementCache&) = delete;

  //! The statement for `sql`, prepared on first use. Throws std::runtime_error with
  //! SQLite's message when the text does not prepare. A statement still leased (the
  //! same text run re-entrantly) is prepared afresh and not cached.
  Lease acquire(std::string_view sql);
  //! Finalizes every cached statement that is not leased out.
  void clear();
  std::size_t size() const { return entries_.size(); }  //!< statements held
  std::size_t prepares() const { return prepares_; }     //!< statements prepared so far

 private:
  struct Entry {
    sqlite3_stmt* stmt;
    std::list<std::string>::iterator lru;
    bool inUse = false;  // leased out right now
  };
  struct TextHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
  };
  struct Recent {  // an entry found lately, by the address of the text it was asked for with
    const char* text = nullptr;
    std::pair<const std::string, Entry>* entry = nullptr;
  };
  Recent& recentSlot(std::string_view sql) {
    return recent_[(reinterpret_cast<std::uintptr_t>(sql.data()) >> 4) % recent_.size()];
  }
  void evictPastCapacity();

  sqlite3* db_;
  std::size_t capacity_;
  std::size_t prepares_ = 0;
  std::list<std::string> order_;  // most recently used first
  std::unordered_map<std::string, Entry, TextHash, std::equal_to<>> entries_;  // found without a copy
  std::array<Recent, 8> recent_{};  // emptied whenever an entry goes
};

}  // namespace tsql::runtime
