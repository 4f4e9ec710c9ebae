// The hand-written baselines on the server: the file's hand-written statements
// (bill_action_baselines.h) in the server's spelling, prepared once and sent through
// libpq one by one in one transaction, and the special actions' by-hand sides.
#pragma once

#include <benchmark/benchmark.h>
#include <libpq-fe.h>

#include <string>
#include <vector>

#include "pg_bill_session.h"

namespace bill_bench {

//! A statement of the file's baselines as the server spells it: $1 the branch, $2 the
//! bill number.
std::string serverSpelling(const std::string& sqlite);

//! Statements prepared on `c` (each text's $1 and $2 bound to `orgid` and `billno`;
//! BEGIN and COMMIT sent as they are); run() sends each and reads every value back.
class PgHandStatements {
 public:
  PgHandStatements(PGconn* c, const std::vector<std::string>& texts, const std::string& orgid,
                   const std::string& billno);
  void run();

 private:
  static int parameters(const std::string& text);
  PGconn* c_;
  std::vector<std::string> names_;  //!< "" for a text sent unprepared
  std::vector<std::string> texts_;
  std::string orgid_, billno_;
};

//! The file's special actions' by-hand sides on the server, by bill and action.
void serverFillByHand(benchmark::State& state, const PgBillCase& c);
void serverConfirmByHand(benchmark::State& state, const PgBillCase& c);

}  // namespace bill_bench
