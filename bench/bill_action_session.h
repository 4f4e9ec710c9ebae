// The bill actions benchmark's session: a bill of one type on a private copy of its
// database, the windows that open it, the statement count of an action and the loop
// that times one action between untimed set-up and undo (shared with the server's
// benchmark, whose session keeps the same interface). The hand-written side's
// prepared statements live here too, so that every baseline reads rows the same way.
#pragma once

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <ctime>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "db/embedded_connection.h"
#include "reliability/bill_windows.h"
#include "tsql/statement_fault.h"

namespace bill_bench {

// Copies the whole database of `from` over `to` (SQLite's backup).
inline void copyDatabase(db::EmbeddedConnection& from, db::EmbeddedConnection& to) {
  sqlite3_backup* copy = sqlite3_backup_init(to.handle(), "main", from.handle(), "main");
  if (copy == nullptr) throw std::runtime_error(sqlite3_errmsg(to.handle()));
  sqlite3_backup_step(copy, -1);
  if (sqlite3_backup_finish(copy) != SQLITE_OK)
    throw std::runtime_error(sqlite3_errmsg(to.handle()));
}

//! A bill of one type on a database that holds it with its lines grown.
struct BillCase {
  std::string code, table, billno;
  std::shared_ptr<db::EmbeddedConnection> database;
};


// Counts the statements the engine runs while it lives (a fault that never fires).
class StatementCount {
 public:
  StatementCount() {
    fault_.failAt = INT_MAX;
    tsql::armStatementFault(&fault_);
  }
  ~StatementCount() { tsql::armStatementFault(nullptr); }
  StatementCount(const StatementCount&) = delete;
  StatementCount& operator=(const StatementCount&) = delete;
  int seen() const { return fault_.seen; }

 private:
  tsql::StatementFault fault_;
};

//! One benchmark's session: a private copy of the case's database and its windows.
class Session {
 public:
  explicit Session(const BillCase& c) : case_(c), windows(*conn) {
    copyDatabase(*c.database, *conn);
  }

  bool audited() { return windows.number(case_.table, case_.billno, "status") > 0; }

  //! Brings the bill to draft (false) or past it (true); false when refused.
  bool bringTo(bool audit) {
    if (audited() == audit) return true;
    auto form = windows.open(case_.code, case_.billno);
    form->clickAction(audit ? "actAudit" : reliability::BillWindows::unauditAction(*form));
    return audited() == audit;
  }

  std::unique_ptr<host::TBaseBillEditRibbonForm> open(bool bill = true) {
    return windows.open(case_.code, bill ? case_.billno : "");
  }

  reliability::BillWindows& bills() { return windows; }

  //! Keeps the database as it is now; putBack() restores it (forms opened since are stale).
  void keep() { copyDatabase(*conn, *kept_); }
  void putBack() { copyDatabase(*kept_, *conn); }

  const BillCase& case_;
  std::unique_ptr<db::EmbeddedConnection> conn =
      std::make_unique<db::EmbeddedConnection>(":memory:");
  reliability::BillWindows windows;

 private:
  std::unique_ptr<db::EmbeddedConnection> kept_ =
      std::make_unique<db::EmbeddedConnection>(":memory:");
};


//! The bill's branch (the hand-written statements bind it as :orgid).
inline std::string billOrgid(Session& s) {
  std::string orgid;
  sqlite3_stmt* st = nullptr;
  sqlite3_prepare_v2(s.conn->handle(),
                     ("select orgid from " + s.case_.table + " where billno = ?1").c_str(), -1, &st,
                     nullptr);
  sqlite3_bind_text(st, 1, s.case_.billno.c_str(), -1, SQLITE_TRANSIENT);
  if (sqlite3_step(st) == SQLITE_ROW)
    orgid = reinterpret_cast<const char*>(sqlite3_column_text(st, 0));
  sqlite3_finalize(st);
  return orgid;
}

//! CPU time of the process in milliseconds, as the benchmark library counts it.
inline double cpuMs() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

//! Wall-clock time in milliseconds (on a server the work is in another process).
inline double wallMs() {
  return std::chrono::duration<double, std::milli>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

//! The median of `ms` (which it sorts); 0 when empty.
inline double median(std::vector<double>& ms) {
  if (ms.empty()) return 0;
  std::sort(ms.begin(), ms.end());
  return ms[ms.size() / 2];
}

// Runs `timed` once per iteration between `before` and `after` (neither timed); an
// action whose outcome `worked` denies ends the benchmark with what the user was told.
// The medians of the iterations' CPU and wall times are kept beside the library's mean.
// A session is the file's Session or the server's: anything with bills() giving its
// windows.
template <typename S, typename Before, typename Timed, typename After, typename Worked>
void measure(benchmark::State& state, S& s, Before before, Timed timed, After after,
             Worked worked) {
  int statements = 0;
  std::vector<double> cpu, wall;
  for (auto _ : state) {
    state.PauseTiming();
    before();
    const std::size_t mark = s.bills().mark();
    state.ResumeTiming();
    {
      StatementCount count;
      const double startCpu = cpuMs(), startWall = wallMs();
      timed();
      cpu.push_back(cpuMs() - startCpu);
      wall.push_back(wallMs() - startWall);
      statements = count.seen();
    }
    state.PauseTiming();
    if (!worked()) {
      state.SkipWithError(("refused:" + s.bills().toldSince(mark)).c_str());
      break;  // a skipped benchmark's timing stays stopped
    }
    after();
    state.ResumeTiming();
  }
  state.counters["statements"] = statements;
  if (!cpu.empty()) {
    state.counters["median_ms"] = median(cpu);
    state.counters["median_wall_ms"] = median(wall);
  }
}

inline void noop() {}


// The statements of one side of a hand-written action, prepared once on the session's
// database with the bill's :orgid and :billno bound.
class HandStatements {
 public:
  HandStatements(sqlite3* db, const std::vector<const char*>& texts, const std::string& orgid,
                 const std::string& billno) {
    for (const char* text : texts) {
      sqlite3_stmt* st = nullptr;
      if (sqlite3_prepare_v2(db, text, -1, &st, nullptr) != SQLITE_OK)
        throw std::runtime_error(std::string(sqlite3_errmsg(db)) + " in " + text);
      for (int i = 1; i <= sqlite3_bind_parameter_count(st); ++i) {
        const std::string name = sqlite3_bind_parameter_name(st, i);
        const std::string& value = name == ":orgid" ? orgid : billno;
        sqlite3_bind_text(st, i, value.c_str(), -1, SQLITE_TRANSIENT);
      }
      statements_.push_back(st);
    }
  }
  ~HandStatements() {
    for (sqlite3_stmt* st : statements_) sqlite3_finalize(st);
  }
  HandStatements(const HandStatements&) = delete;
  HandStatements& operator=(const HandStatements&) = delete;

  //! Runs each statement through, reading every value of every row as a form would.
  void run() {
    for (sqlite3_stmt* st : statements_) {
      int rc;
      while ((rc = sqlite3_step(st)) == SQLITE_ROW)
        for (int i = 0; i < sqlite3_column_count(st); ++i) read(st, i);
      sqlite3_reset(st);
      if (rc != SQLITE_DONE) throw std::runtime_error(sqlite3_errmsg(sqlite3_db_handle(st)));
    }
  }

 private:
  static void read(sqlite3_stmt* st, int i) {
    switch (sqlite3_column_type(st, i)) {
      case SQLITE_INTEGER:
        benchmark::DoNotOptimize(sqlite3_column_int64(st, i));
        break;
      case SQLITE_FLOAT:
        benchmark::DoNotOptimize(sqlite3_column_double(st, i));
        break;
      case SQLITE_TEXT:
        benchmark::DoNotOptimize(
            std::string(reinterpret_cast<const char*>(sqlite3_column_text(st, i))));
        break;
      default:
        break;
    }
  }
  std::vector<sqlite3_stmt*> statements_;
};


}  // namespace bill_bench
