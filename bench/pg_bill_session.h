// The server side of the bill actions benchmark: the bills on databases of the
// benchmark's own cluster, made by the engine (schema and demo data, each scenario
// played through the forms, the bill's lines grown), and a session on a private copy
// of one, with the file session's interface (bill_action_steps.h). A copy is the
// server's CREATE DATABASE ... TEMPLATE, so a session drops its connection to make one.
#pragma once

#include <libpq-fe.h>

#include <memory>
#include <string>
#include <vector>

#include "db/pg_connection.h"
#include "reliability/bill_windows.h"

namespace bill_bench {

//! A bill of one type on the server database `database` that holds it, its lines grown.
struct PgBillCase {
  std::string code, table, billno, database;
};

//! Every bill editor's bill, as the file benchmark finds them, each on a database of its
//! scenario on the server (grown to BILL_ACTIONS_LINES lines, statistics taken).
std::vector<PgBillCase> findServerBills();

//! One benchmark's session: a private copy of the case's database and its windows.
class PgSession {
 public:
  explicit PgSession(const PgBillCase& c);
  ~PgSession();
  PgSession(const PgSession&) = delete;
  PgSession& operator=(const PgSession&) = delete;

  bool audited();
  //! Brings the bill to draft (false) or past it (true); false when refused.
  bool bringTo(bool audit);
  std::unique_ptr<host::TBaseBillEditRibbonForm> open(bool bill = true);
  reliability::BillWindows& bills() { return *windows_; }
  db::PgConnection& server() { return *conn_; }

  //! Keeps the database as it is now; putBack() restores it. Both connect again, so
  //! forms and prepared statements made before are stale.
  void keep();
  void putBack();

  const PgBillCase& case_;

 private:
  void connect();
  void disconnect();
  std::unique_ptr<db::PgConnection> conn_;
  std::unique_ptr<reliability::BillWindows> windows_;
};

//! The bill's branch, read through libpq.
std::string serverOrgid(PgSession& s);

}  // namespace bill_bench
