// SqlArgs: the arguments and result of one call of a registered function, with the
// guard that turns a RuntimeError into sqlite3_result_error (SQL Server's text) so the
// statement fails the way SQL Server's would.
#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <exception>
#include <initializer_list>
#include <new>
#include <string>
#include <string_view>

#include "tsql/runtime/value_conversion.h"

namespace tsql::runtime {

class SqlArgs {
 public:
  SqlArgs(sqlite3_context* ctx, int argc, sqlite3_value** argv)
      : ctx_(ctx), argc_(argc), argv_(argv) {}

  int count() const { return argc_; }
  sqlite3_value* operator[](int i) const { return argv_[i]; }
  int type(int i) const { return sqlite3_value_type(argv_[i]); }
  bool isNull(int i) const { return type(i) == SQLITE_NULL; }
  //! True when any argument is NULL (most T-SQL functions then return NULL).
  bool anyNull() const {
    for (int i = 0; i < argc_; ++i) {
      if (isNull(i)) return true;
    }
    return false;
  }
  //! The argument as text (numbers in their text form); valid until the next call.
  std::string_view text(int i) const {
    auto* s = reinterpret_cast<const char*>(sqlite3_value_text(argv_[i]));
    return std::string_view(s ? s : "", static_cast<std::size_t>(sqlite3_value_bytes(argv_[i])));
  }
  std::int64_t integer(int i) const { return ValueConversion::toInt(argv_[i], true); }

  void setNull() { sqlite3_result_null(ctx_); }
  void set(std::int64_t v) { sqlite3_result_int64(ctx_, v); }
  void set(double v) { sqlite3_result_double(ctx_, v); }
  void set(std::string_view s) {
    // An empty view may carry a null pointer, which SQLite would take for NULL.
    sqlite3_result_text(ctx_, s.empty() ? "" : s.data(), static_cast<int>(s.size()),
                        SQLITE_TRANSIENT);
  }
  void setValue(sqlite3_value* v) { sqlite3_result_value(ctx_, v); }

 private:
  sqlite3_context* ctx_;
  int argc_;
  sqlite3_value** argv_;
};

//! Adapts `void f(SqlArgs&)` to SQLite's callback, reporting thrown errors.
template <void (*F)(SqlArgs&)>
void guarded(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
  try {
    SqlArgs args(ctx, argc, argv);
    F(args);
  } catch (const RuntimeError& e) {
    sqlite3_result_error(ctx, e.what(), -1);
  } catch (const std::bad_alloc&) {
    sqlite3_result_error_nomem(ctx);
  } catch (const std::exception& e) {
    // Nothing may unwind through SQLite's C frames: any other failure fails the statement.
    sqlite3_result_error(ctx, e.what(), -1);
  }
}

//! Adapts a conversion for TRY_CAST / TRY_CONVERT: a value that does not convert (a
//! T-SQL error) gives NULL; any other failure still fails the statement.
template <void (*F)(SqlArgs&)>
void tolerant(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
  try {
    SqlArgs args(ctx, argc, argv);
    F(args);
  } catch (const RuntimeError&) {
    sqlite3_result_null(ctx);
  } catch (const std::bad_alloc&) {
    sqlite3_result_error_nomem(ctx);
  } catch (const std::exception& e) {
    sqlite3_result_error(ctx, e.what(), -1);
  }
}

//! Registers the TRY_ form of conversion `F` under `name`.
template <void (*F)(SqlArgs&)>
int defineTolerant(sqlite3* db, const char* name, int arity) {
  return sqlite3_create_function_v2(db, name, arity, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr,
                                    &tolerant<F>, nullptr, nullptr, nullptr);
}

//! Registers `F` under `name`; -1 arity accepts any count.
template <void (*F)(SqlArgs&)>
int defineFunction(sqlite3* db, const char* name, int arity, bool deterministic = true) {
  int flags = SQLITE_UTF8 | (deterministic ? SQLITE_DETERMINISTIC : 0);
  return sqlite3_create_function_v2(db, name, arity, flags, nullptr, &guarded<F>, nullptr,
                                    nullptr, nullptr);
}

//! The first of `codes` (registrations already made, in order) that is not SQLITE_OK.
inline int firstFailure(std::initializer_list<int> codes) {
  for (int rc : codes)
    if (rc != SQLITE_OK) return rc;
  return SQLITE_OK;
}

}  // namespace tsql::runtime
