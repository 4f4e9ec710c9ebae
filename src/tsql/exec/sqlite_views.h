// The embedded file's views are kept twice. The file's own view is written in SQLite's
// plain functions where it can be, so that any SQLite tool reads it; the engine's
// exact text is kept in tsql_views and made a temporary view of the same name on each
// engine connection, which SQLite looks up before the file's, so the engine keeps its
// money rounding and comparisons.
#pragma once

#include <sqlite3.h>

#include <string>

namespace tsql::exec {

class Backend;

class SqliteViews {
 public:
  //! Works through `backend` (its errors and faults) on its handle `db`.
  SqliteViews(Backend& backend, sqlite3* db) : backend_(backend), db_(db) {}

  //! CREATE VIEW `name` AS `body` (the engine's text) in the file and on this connection.
  void create(const std::string& name, const std::string& body);
  //! DROP VIEW `name` in the file and on this connection.
  void drop(const std::string& name);
  //! Makes this connection's temporary views agree with tsql_views again: another
  //! connection may have made, changed or dropped views, a rollback may have undone them.
  void sync();

  //! The stored view texts of a file made before tsql_views existed are kept there and
  //! their file views rewritten in plain functions. Returns how many were rewritten.
  static int keepExactTexts(sqlite3* db);

 private:
  Backend& backend_;
  sqlite3* db_;
};

}  // namespace tsql::exec
