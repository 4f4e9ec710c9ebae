// Where the shop history's rows go: the generator hands every row, as typed fields, to
// a HistorySink, which writes them straight into SQLite or in T-SQL batches through a
// connection. A table's shape names its varying columns and the fixed values every
// row of it shares.
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

namespace schema {

//! One value of a row: text, an integer, an exact decimal `units / 10^places`, or the
//! id of a bill written earlier (the database gives it, so the rows name its billno).
struct Field {
  enum class Kind { Text, Integer, Decimal, BillId };
  Kind kind = Kind::Integer;
  std::string text;             //!< the text, or the bill's billno
  long long number = 0;         //!< the integer, or the decimal's units
  int places = 0;               //!< decimals of a Decimal
  const char* table = nullptr;  //!< the bill's header table of a BillId
};

inline Field textField(std::string v) { return {Field::Kind::Text, std::move(v), 0, 0, nullptr}; }
inline Field integerField(long long v) { return {Field::Kind::Integer, {}, v, 0, nullptr}; }
inline Field decimalField(long long units, int places) {
  return {Field::Kind::Decimal, {}, units, places, nullptr};
}
//! The id of branch '0001''s bill `billno` in `table`, written before this row.
inline Field billIdField(const char* table, std::string billno) {
  return {Field::Kind::BillId, std::move(billno), 0, 0, table};
}

using Row = std::vector<Field>;

//! A table the history writes: its varying columns (a row's fields, in order), then
//! columns whose value is the same T-SQL literal in every row.
struct TableShape {
  const char* table;
  const char* columns;      //!< "uid, billno, ..."
  const char* fixedColumns;  //!< "orgid, khlx, ..." or ""
  const char* fixedValues;   //!< "'0001', N'现结', ..." or ""
};

//! "insert into table(columns, fixedColumns)": the head both sinks' INSERTs share.
inline std::string insertHead(const TableShape& shape) {
  std::string head = std::string("insert into ") + shape.table + "(" + shape.columns;
  if (*shape.fixedColumns) head += std::string(", ") + shape.fixedColumns;
  return head + ")";
}

//! Thrown when the run was asked to stop (an interrupt) before it was complete.
class HistoryStopped : public std::runtime_error {
 public:
  HistoryStopped() : std::runtime_error("interrupted before the shop history was complete") {}
};

class HistorySink {
 public:
  virtual ~HistorySink() = default;
  //! Writes master rows (their code first) and returns their new ids, in row order.
  virtual std::vector<long long> addMasters(const TableShape& shape, const std::vector<Row>& rows) = 0;
  //! Writes (or keeps for the next batch) one row of a bill.
  virtual void add(const TableShape& shape, Row row) = 0;
  //! A day's bills are complete: a place to end a batch.
  virtual void dayDone() = 0;
  //! A month's bills are complete ("2026-03"); everything so far is written.
  virtual void monthDone(const std::string& month) = 0;
  //! Everything is written.
  virtual void finish() = 0;
};

}  // namespace schema
