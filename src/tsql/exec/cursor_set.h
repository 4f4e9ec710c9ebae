// CursorSet: the connection's declared cursors. A cursor's rows are read once, at
// OPEN, and FETCH moves a position over them, so every kind of cursor sees the rows as
// they were when it was opened (a DYNAMIC or KEYSET cursor does not see later changes).
// LOCAL cursors belong to the batch or procedure level that declared them and end
// with it; GLOBAL ones (the default) live on the connection until DEALLOCATE.
#pragma once

#include <cstdint>
#include <list>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "tsql/ast/stmt.h"
#include "tsql/batch_result.h"
#include "tsql/exec/sql_value.h"

namespace tsql::exec {

struct DeclaredCursor {
  using Rows = std::vector<std::vector<SqlValue>>;
  std::string name;
  bool local = false;
  int depth = 0;  //!< the declaring level (local cursors)
  bool scroll = false;
  ast::CursorType type = ast::CursorType::Dynamic;
  bool dynamicWritten = false;  //!< declared DYNAMIC: no FETCH ABSOLUTE
  std::string sql;              //!< the query
  std::vector<SqlValue> args;   //!< its markers' values, taken when it was declared
  std::vector<Column> columns;  //!< as FETCH without INTO returns them
  std::vector<ast::DataType> types;
  bool open = false;
  std::shared_ptr<const Rows> rows;  //!< read at OPEN; shared by copies of the set
  std::int64_t position = 0;         //!< 1..n on a row, 0 before the first, n + 1 after the last
  std::uint64_t serial = 0;          //!< tells cursors apart for @@CURSOR_ROWS
  bool readOnly = false;  //!< READ_ONLY, STATIC, INSENSITIVE or FAST_FORWARD
  //! The tables WHERE CURRENT OF writes through the cursor: its rows end with their row
  //! keys, in this order, which FETCH does not return.
  std::vector<std::string> keyTables;
  std::set<std::int64_t> deleted;  //!< positions whose row a positioned DELETE removed
  //! Row keys a positioned UPDATE moved, by position and index in keyTables.
  std::map<std::pair<std::int64_t, std::size_t>, SqlValue> movedKeys;
};

class CursorSet {
 public:
  //! The cursor `name` as seen from `depth`: a local one of that level, else the
  //! global one (only the global one when `global`); nullptr when none.
  DeclaredCursor* find(const std::string& name, bool global, int depth);
  //! True when the scope a new cursor would go to already holds `name`.
  bool declared(const std::string& name, bool local, int depth) const;
  DeclaredCursor& add(DeclaredCursor c);
  void remove(const DeclaredCursor& c);
  //! Deallocates the local cursors of `depth` and the levels within it.
  void endLevel(int depth);
  //! `c` was opened: @@CURSOR_ROWS reports on it from now on.
  void opened(const DeclaredCursor& c) { lastOpened_ = c.serial; }
  //! @@CURSOR_ROWS: rows of the last cursor opened, -1 when it is dynamic, 0 when it
  //! is closed or gone.
  std::int64_t cursorRows() const;
  int fetchStatus = -1;  //!< @@FETCH_STATUS of the connection's last FETCH

 private:
  std::list<DeclaredCursor> cursors_;
  std::uint64_t nextSerial_ = 1;
  std::uint64_t lastOpened_ = 0;
};

}  // namespace tsql::exec
