// The shop history written straight into SQLite: one prepared statement per table,
// each row stored at once in the stored forms the engine uses (money as a double of
// at most four decimals, datetimes as text). The caller holds the transaction.
#pragma once

#include <sqlite3.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "schema/history_sink.h"

namespace schema {

class SqliteHistorySink : public HistorySink {
 public:
  explicit SqliteHistorySink(sqlite3* db) : db_(db) {}
  ~SqliteHistorySink() override;
  std::vector<long long> addMasters(const TableShape& shape, const std::vector<Row>& rows) override;
  void add(const TableShape& shape, Row row) override { insert(shape, row); }
  void dayDone() override {}
  void monthDone(const std::string&) override {}
  void finish() override {}

 private:
  long long insert(const TableShape& shape, const Row& row);
  sqlite3_stmt* prepared(const TableShape& shape);
  long long billId(const Field& bill);

  sqlite3* db_;
  std::map<const TableShape*, sqlite3_stmt*> statements_;
  std::map<std::string, sqlite3_stmt*> billIds_;  //!< by header table
};

}  // namespace schema
