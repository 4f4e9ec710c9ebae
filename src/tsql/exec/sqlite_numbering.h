// SqliteNumbering: identity columns and sequences on the embedded file. An identity
// numbered (1, 1) is SQLite's AUTOINCREMENT rowid; other seeds and steps, and every
// sequence, are counted here and kept in the side tables tsql_identity and
// tsql_sequences. Numbers once issued stay used, as on the server: the counters live
// in memory for the connection and are written back after a ROLLBACK undid them.
// Registers tsql_identity_next, tsql_next_value, ident_current, ident_seed and
// ident_incr on the handle. Not thread safe: one per connection.
#pragma once

#include <sqlite3.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "tsql/exec/backend.h"

namespace tsql::exec {

class SqliteNumbering {
 public:
  //! Registers the functions on `db` (not owned; outlives this).
  explicit SqliteNumbering(sqlite3* db);

  void numberIdentity(const std::string& object, std::int64_t seed, std::int64_t step);
  bool givenByEngine(const std::string& object);
  void follow(const std::string& object, const std::string& column);
  void reseed(const std::string& object, const std::string& column,
              std::optional<std::int64_t> value);
  void forget(const std::string& object);
  void restart(const std::string& object);
  void defineSequence(const Backend::Sequence& s, bool alter, bool restart);
  std::optional<Backend::Sequence> sequence(const std::string& name);
  void dropSequence(const std::string& name);
  //! Before a ROLLBACK: remembers what SQLite's own identity counters stand at.
  void beforeRollback();
  //! After it: numbers issued in the undone work stay used.
  void afterRollback();

  // the SQL functions
  std::int64_t nextIdentity(const std::string& object);
  std::int64_t nextValue(const std::string& name);
  std::optional<std::int64_t> identityCurrent(const std::string& object);
  std::optional<std::int64_t> identitySeed(const std::string& object, bool step);

 private:
  struct Counter {
    std::int64_t seed = 1, step = 1;
    std::optional<std::int64_t> current;  //!< the last number issued
  };
  //! The engine-numbered identity of `object`, loaded once; nullptr for none.
  Counter* identity(const std::string& object);
  struct SequenceState {
    Backend::Sequence def;
    std::optional<std::int64_t> current;  //!< the last number issued
  };
  SequenceState* loadedSequence(const std::string& name);
  void saveIdentity(const std::string& object, const Counter& c);
  void saveSequence(const SequenceState& s);
  //! The largest (`largest`) or smallest value of `column` in `object`.
  std::optional<std::int64_t> extreme(const std::string& object, const std::string& column,
                                      bool largest);
  //! True when the table numbers its rows with SQLite's AUTOINCREMENT.
  bool autoIncrement(const std::string& object);

  sqlite3* db_;
  std::map<std::string, std::optional<Counter>> identities_;
  std::map<std::string, std::optional<SequenceState>> sequences_;
  std::vector<std::pair<std::string, std::int64_t>> rowidCounters_;  //!< taken before a ROLLBACK
};

}  // namespace tsql::exec
