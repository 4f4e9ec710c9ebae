// The shop history written through a connection in T-SQL batches: rows are kept as
// literal text and sent as multi-row INSERTs once a few thousand have gathered at a
// day's end (and at every month's end), each batch its own transaction on a server.
// Master rows go at once, their new ids read back in the same batch.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "db/connection.h"
#include "schema/history_sink.h"

namespace schema {

class BatchHistorySink : public HistorySink {
 public:
  //! Rows gathered before a batch is sent (at the next day's end).
  static constexpr std::size_t kRowsPerBatch = 5000;
  //! Rows of one INSERT ... VALUES (SQL Server's own limit).
  static constexpr std::size_t kRowsPerInsert = 1000;

  explicit BatchHistorySink(db::Connection& connection) : connection_(connection) {}
  std::vector<long long> addMasters(const TableShape& shape, const std::vector<Row>& rows) override;
  void add(const TableShape& shape, Row row) override;
  void dayDone() override {
    if (pendingRows_ >= kRowsPerBatch) flush();
  }
  void monthDone(const std::string&) override { flush(); }
  void finish() override { flush(); }

 private:
  struct Pending {
    const TableShape* shape;
    std::vector<std::string> rows;  //!< "(v1, v2, ..., fixed)"
  };
  void flush();
  db::BatchResult run(const std::string& batch);

  db::Connection& connection_;
  std::vector<Pending> pending_;  //!< per table, in the order first written
  std::size_t pendingRows_ = 0;
};

//! A row as the T-SQL text of one VALUES tuple, the shape's fixed values at its end.
std::string rowLiteral(const TableShape& shape, const Row& row);

//! INSERT statements for `rows` (tuples from rowLiteral), at most `perInsert` rows each.
std::string insertStatements(const TableShape& shape, const std::vector<std::string>& rows, std::size_t perInsert);

}  // namespace schema
