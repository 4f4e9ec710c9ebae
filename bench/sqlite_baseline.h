// SqliteBaseline: the hand-written side of a benchmark: an in-memory SQLite database
// filled by one script and one prepared query, run straight through the C API so the
// engine's figures have something to be measured against in the same run.
#pragma once

#include <sqlite3.h>

#include <stdexcept>

struct SqliteBaseline {
  SqliteBaseline(const char* setup, const char* query) {
    sqlite3_open(":memory:", &db);
    if (sqlite3_exec(db, setup, nullptr, nullptr, nullptr) != SQLITE_OK) throw std::runtime_error(sqlite3_errmsg(db));
    if (sqlite3_prepare_v2(db, query, -1, &stmt, nullptr) != SQLITE_OK) throw std::runtime_error(sqlite3_errmsg(db));
  }
  ~SqliteBaseline() {
    sqlite3_finalize(stmt);
    sqlite3_close(db);
  }
  SqliteBaseline(const SqliteBaseline&) = delete;
  SqliteBaseline& operator=(const SqliteBaseline&) = delete;

  sqlite3* db = nullptr;
  sqlite3_stmt* stmt = nullptr;
};
