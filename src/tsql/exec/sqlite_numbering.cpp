// The embedded file's numbering: counters kept in memory and written through to the
// side tables, SQLite's own AUTOINCREMENT counters put back after a ROLLBACK, and the
// SQL functions that issue and report numbers.
#include "tsql/exec/sqlite_numbering.h"

#include "tsql/catalog/catalog.h"
#include "tsql/errors/error_table.h"
#include "tsql/exec/sql_exception.h"

namespace tsql::exec {

namespace {

constexpr const char* kIdentityTable =
    "CREATE TABLE IF NOT EXISTS tsql_identity(object TEXT PRIMARY KEY COLLATE NOCASE, seed INTEGER "
    "NOT NULL, "
    "step INTEGER NOT NULL, current INTEGER)";
constexpr const char* kSequenceTable =
    "CREATE TABLE IF NOT EXISTS tsql_sequences(name TEXT PRIMARY KEY COLLATE NOCASE, type TEXT NOT "
    "NULL, "
    "start INTEGER NOT NULL, step INTEGER NOT NULL, minimum INTEGER NOT NULL, maximum INTEGER NOT "
    "NULL, "
    "cycle INTEGER NOT NULL, current INTEGER)";

// One statement run to its end or its first row; a statement on a side table that
// does not exist yet prepares to nothing and finds no row.
class Query {
 public:
  Query(sqlite3* db, const std::string& sql) : db_(db) {
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt_, nullptr) != SQLITE_OK) stmt_ = nullptr;
  }
  ~Query() { sqlite3_finalize(stmt_); }
  Query(const Query&) = delete;
  Query& operator=(const Query&) = delete;
  Query& bind(int i, const std::string& text) {
    if (stmt_)
      sqlite3_bind_text(stmt_, i, text.c_str(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
    return *this;
  }
  Query& bind(int i, std::optional<std::int64_t> v) {
    if (stmt_ && v) sqlite3_bind_int64(stmt_, i, *v);
    return *this;
  }
  //! True at a row; throws SqlException when a write fails.
  bool step() {
    if (!stmt_) return false;
    int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_ROW) return true;
    if (rc != SQLITE_DONE) throw SqlException(errors::Error::UserMessage, 0, {sqlite3_errmsg(db_)});
    return false;
  }
  std::optional<std::int64_t> integer(int i) const {
    if (sqlite3_column_type(stmt_, i) == SQLITE_NULL) return std::nullopt;
    return sqlite3_column_int64(stmt_, i);
  }
  std::string text(int i) const {
    const unsigned char* t = sqlite3_column_text(stmt_, i);
    return t ? reinterpret_cast<const char*>(t) : "";
  }

 private:
  sqlite3* db_;
  sqlite3_stmt* stmt_ = nullptr;
};

void run(sqlite3* db, const char* sql) {
  char* err = nullptr;
  if (sqlite3_exec(db, sql, nullptr, nullptr, &err) != SQLITE_OK) {
    std::string msg = err ? err : sqlite3_errmsg(db);
    sqlite3_free(err);
    throw SqlException(errors::Error::UserMessage, 0, {msg});
  }
}

SqliteNumbering& numberingOf(sqlite3_context* ctx) {
  return *static_cast<SqliteNumbering*>(sqlite3_user_data(ctx));
}

std::string textArgument(sqlite3_value* v) {
  const unsigned char* t = sqlite3_value_text(v);
  return catalog::normalizeObjectName(t ? reinterpret_cast<const char*>(t) : "");
}

void resultOf(sqlite3_context* ctx, std::optional<std::int64_t> v) {
  if (v)
    sqlite3_result_int64(ctx, *v);
  else
    sqlite3_result_null(ctx);
}

// Runs `issue` for a SQL function; an error becomes the function's error message.
template <class F>
void answer(sqlite3_context* ctx, F issue) {
  try {
    resultOf(ctx, issue(numberingOf(ctx)));
  } catch (const SqlException& e) {
    sqlite3_result_error(ctx, e.error().message.c_str(), -1);
  }
}

void identityNext(sqlite3_context* ctx, int, sqlite3_value** v) {
  answer(ctx,
         [&](SqliteNumbering& n) { return std::optional(n.nextIdentity(textArgument(v[0]))); });
}
void sequenceNext(sqlite3_context* ctx, int, sqlite3_value** v) {
  answer(ctx, [&](SqliteNumbering& n) { return std::optional(n.nextValue(textArgument(v[0]))); });
}
void identCurrent(sqlite3_context* ctx, int, sqlite3_value** v) {
  answer(ctx, [&](SqliteNumbering& n) { return n.identityCurrent(textArgument(v[0])); });
}
void identSeed(sqlite3_context* ctx, int, sqlite3_value** v) {
  answer(ctx, [&](SqliteNumbering& n) { return n.identitySeed(textArgument(v[0]), false); });
}
void identIncr(sqlite3_context* ctx, int, sqlite3_value** v) {
  answer(ctx, [&](SqliteNumbering& n) { return n.identitySeed(textArgument(v[0]), true); });
}

// The next number after `current` counting by `step` within [min, max]; nullopt past the end.
std::optional<std::int64_t> following(std::int64_t current, std::int64_t step, std::int64_t min,
                                      std::int64_t max) {
  std::int64_t next = 0;
  if (__builtin_add_overflow(current, step, &next) || next > max || next < min) return std::nullopt;
  return next;
}

}  // namespace

SqliteNumbering::SqliteNumbering(sqlite3* db) : db_(db) {
  struct Fn {
    const char* name;
    void (*fn)(sqlite3_context*, int, sqlite3_value**);
  };
  for (const Fn& f : {Fn{"tsql_identity_next", identityNext}, Fn{"tsql_next_value", sequenceNext},
                      Fn{"ident_current", identCurrent}, Fn{"ident_seed", identSeed},
                      Fn{"ident_incr", identIncr}})
    sqlite3_create_function_v2(db, f.name, 1, SQLITE_UTF8, this, f.fn, nullptr, nullptr, nullptr);
}

// ---- identity columns ----

void SqliteNumbering::numberIdentity(const std::string& object, std::int64_t seed,
                                     std::int64_t step) {
  run(db_, kIdentityTable);
  Query(
      db_,
      "INSERT OR REPLACE INTO tsql_identity(object, seed, step, current) VALUES (?1, ?2, ?3, NULL)")
      .bind(1, object)
      .bind(2, seed)
      .bind(3, step)
      .step();
  identities_[object] = Counter{seed, step, std::nullopt};
}

void SqliteNumbering::forget(const std::string& object) {
  Query(db_, "DELETE FROM tsql_identity WHERE object = ?1").bind(1, object).step();
  identities_.erase(object);
}

// The seed next: an engine counter issued nothing yet, SQLite's counter starts over.
void SqliteNumbering::restart(const std::string& object) {
  if (Counter* c = identity(object)) {
    c->current.reset();
    return saveIdentity(object, *c);
  }
  Query(db_, "DELETE FROM sqlite_sequence WHERE name = ?1").bind(1, object).step();
}

SqliteNumbering::Counter* SqliteNumbering::identity(const std::string& object) {
  auto it = identities_.find(object);
  if (it == identities_.end()) {
    Query q(db_, "SELECT seed, step, current FROM tsql_identity WHERE object = ?1");
    std::optional<Counter> c;
    if (q.bind(1, object).step()) c = Counter{*q.integer(0), *q.integer(1), q.integer(2)};
    it = identities_.emplace(object, c).first;
  }
  return it->second ? &*it->second : nullptr;
}

bool SqliteNumbering::givenByEngine(const std::string& object) {
  return identity(object) != nullptr;
}

void SqliteNumbering::saveIdentity(const std::string& object, const Counter& c) {
  Query(db_, "UPDATE tsql_identity SET current = ?2 WHERE object = ?1")
      .bind(1, object)
      .bind(2, c.current)
      .step();
}

std::int64_t SqliteNumbering::nextIdentity(const std::string& object) {
  Counter* c = identity(object);
  if (!c) throw SqlException(errors::Error::InvalidObject, 0, {object});
  std::optional<std::int64_t> next =
      c->current ? following(*c->current, c->step, INT64_MIN, INT64_MAX) : c->seed;
  if (!next) throw SqlException(errors::Error::ArithmeticOverflow, 0, {"IDENTITY", "bigint"});
  c->current = next;
  saveIdentity(object, *c);
  return *next;
}

std::optional<std::int64_t> SqliteNumbering::extreme(const std::string& object,
                                                     const std::string& column, bool largest) {
  std::string col = "\"" + column + "\"";
  Query q(db_,
          std::string("SELECT ") + (largest ? "max(" : "min(") + col + ") FROM \"" + object + "\"");
  return q.step() ? q.integer(0) : std::nullopt;
}

bool SqliteNumbering::autoIncrement(const std::string& object) {
  Query q(db_,
          "SELECT 1 FROM (SELECT name, sql FROM sqlite_master UNION ALL SELECT name, sql FROM "
          "sqlite_temp_master) "
          "WHERE name = ?1 COLLATE NOCASE AND sql LIKE '%AUTOINCREMENT%'");
  return q.bind(1, object).step();
}

// Explicit values: an engine counter moves on past them when they go beyond it (or,
// on a fresh table, beyond the seed); SQLite's AUTOINCREMENT follows them itself.
void SqliteNumbering::follow(const std::string& object, const std::string& column) {
  Counter* c = identity(object);
  if (!c) return;
  std::optional<std::int64_t> edge = extreme(object, column, c->step > 0);
  if (!edge) return;
  std::int64_t mark = c->current ? *c->current : c->seed - c->step;
  if (c->step > 0 ? *edge > mark : *edge < mark) {
    c->current = edge;
    saveIdentity(object, *c);
  }
}

void SqliteNumbering::reseed(const std::string& object, const std::string& column,
                             std::optional<std::int64_t> value) {
  if (!value) return follow(object, column);
  if (Counter* c = identity(object)) {
    c->current = c->current ? *value : *value - c->step;
    return saveIdentity(object, *c);
  }
  Query used(db_, "SELECT seq FROM sqlite_sequence WHERE name = ?1");
  bool issued = used.bind(1, object).step();
  Query(db_, "DELETE FROM sqlite_sequence WHERE name = ?1").bind(1, object).step();
  Query(db_, "INSERT INTO sqlite_sequence(name, seq) VALUES (?1, ?2)")
      .bind(1, object)
      .bind(2, issued ? *value : *value - 1)
      .step();
}

std::optional<std::int64_t> SqliteNumbering::identityCurrent(const std::string& object) {
  if (Counter* c = identity(object)) return c->current ? c->current : c->seed;
  if (!autoIncrement(object)) return std::nullopt;
  Query q(db_, "SELECT seq FROM sqlite_sequence WHERE name = ?1 COLLATE NOCASE");
  return q.bind(1, object).step() ? q.integer(0) : std::optional<std::int64_t>(1);
}

std::optional<std::int64_t> SqliteNumbering::identitySeed(const std::string& object, bool step) {
  if (Counter* c = identity(object)) return step ? c->step : c->seed;
  if (!autoIncrement(object)) return std::nullopt;
  return 1;
}

// ---- rollback ----

void SqliteNumbering::beforeRollback() {
  rowidCounters_.clear();
  Query q(db_, "SELECT name, seq FROM main.sqlite_sequence");
  while (q.step()) rowidCounters_.emplace_back(q.text(0), q.integer(1).value_or(0));
}

void SqliteNumbering::afterRollback() {
  for (const auto& [name, seq] : rowidCounters_) {
    Query(db_, "UPDATE main.sqlite_sequence SET seq = ?2 WHERE name = ?1 AND seq < ?2")
        .bind(1, name)
        .bind(2, seq)
        .step();
    Query(db_,
          "INSERT INTO main.sqlite_sequence(name, seq) SELECT ?1, ?2 WHERE EXISTS (SELECT 1 FROM "
          "main.sqlite_master "
          "WHERE type = 'table' AND name = ?1) AND NOT EXISTS (SELECT 1 FROM main.sqlite_sequence "
          "WHERE name = ?1)")
        .bind(1, name)
        .bind(2, seq)
        .step();
  }
  rowidCounters_.clear();
  for (auto& [object, c] : identities_)
    if (c) saveIdentity(object, *c);
  for (auto& [name, s] : sequences_)
    if (s) saveSequence(*s);
}

// ---- sequences ----

SqliteNumbering::SequenceState* SqliteNumbering::loadedSequence(const std::string& name) {
  auto it = sequences_.find(name);
  if (it == sequences_.end()) {
    Query q(db_,
            "SELECT type, start, step, minimum, maximum, cycle, current FROM tsql_sequences WHERE "
            "name = ?1");
    std::optional<SequenceState> s;
    if (q.bind(1, name).step())
      s = SequenceState{{name, q.text(0), *q.integer(1), *q.integer(2), *q.integer(3),
                         *q.integer(4), q.integer(5).value_or(0) != 0},
                        q.integer(6)};
    it = sequences_.emplace(name, s).first;
  }
  return it->second ? &*it->second : nullptr;
}

void SqliteNumbering::saveSequence(const SequenceState& s) {
  const Backend::Sequence& d = s.def;
  Query(db_,
        "INSERT OR REPLACE INTO tsql_sequences(name, type, start, step, minimum, maximum, cycle, "
        "current) "
        "VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8)")
      .bind(1, d.name)
      .bind(2, d.type)
      .bind(3, d.start)
      .bind(4, d.step)
      .bind(5, d.min)
      .bind(6, d.max)
      .bind(7, d.cycle ? 1 : 0)
      .bind(8, s.current)
      .step();
}

void SqliteNumbering::defineSequence(const Backend::Sequence& s, bool alter, bool restart) {
  run(db_, kSequenceTable);
  SequenceState* old = alter ? loadedSequence(s.name) : nullptr;
  SequenceState state{s, old && !restart ? old->current : std::nullopt};
  saveSequence(state);
  sequences_[s.name] = state;
}

std::optional<Backend::Sequence> SqliteNumbering::sequence(const std::string& name) {
  SequenceState* s = loadedSequence(name);
  return s ? std::optional(s->def) : std::nullopt;
}

void SqliteNumbering::dropSequence(const std::string& name) {
  Query(db_, "DELETE FROM tsql_sequences WHERE name = ?1").bind(1, name).step();
  sequences_.erase(name);
}

// NEXT VALUE FOR: the start first, then by the step; past a bound a cycling sequence
// goes on from the other bound, any other is exhausted (11728).
std::int64_t SqliteNumbering::nextValue(const std::string& name) {
  SequenceState* s = loadedSequence(name);
  if (!s) throw SqlException(errors::Error::InvalidObject, 0, {name});
  const Backend::Sequence& d = s->def;
  std::optional<std::int64_t> next =
      s->current ? following(*s->current, d.step, d.min, d.max) : d.start;
  if (!next && d.cycle) next = d.step > 0 ? d.min : d.max;
  if (!next) throw SqlException(errors::Error::SequenceExhausted, 0, {name});
  s->current = next;
  saveSequence(*s);
  return *next;
}

}  // namespace tsql::exec
