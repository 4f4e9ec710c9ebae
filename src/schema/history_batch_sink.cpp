// BatchHistorySink: rows as literal VALUES tuples (text quoted, decimals written out
// exactly), sent as multi-row INSERTs; a failed batch throws with the engine's error.
#include "schema/history_batch_sink.h"

#include <cstdio>
#include <stdexcept>

#include "core/format.h"

namespace schema {

namespace {

// units / 10^places as a decimal literal ("12.34"), so no value goes through a double.
std::string decimalText(long long units, int places) {
  const bool negative = units < 0;
  std::string digits = std::to_string(negative ? -units : units);
  if (places > 0) {
    if (digits.size() <= static_cast<std::size_t>(places))
      digits.insert(0, static_cast<std::size_t>(places) + 1 - digits.size(), '0');
    digits.insert(digits.size() - static_cast<std::size_t>(places), 1, '.');
  }
  return negative ? "-" + digits : digits;
}

std::string fieldText(const Field& f) {
  switch (f.kind) {
    case Field::Kind::Text: return core::QuotedStr(f.text);
    case Field::Kind::Integer: return std::to_string(f.number);
    case Field::Kind::Decimal: return decimalText(f.number, f.places);
    case Field::Kind::BillId:
      return std::string("(select id from ") + f.table +
             " where orgid = '0001' and billno = " + core::QuotedStr(f.text) + ")";
  }
  return "null";
}

}  // namespace

std::string rowLiteral(const TableShape& shape, const Row& row) {
  std::string out = "(";
  for (std::size_t i = 0; i < row.size(); ++i) out += (i ? ", " : "") + fieldText(row[i]);
  if (*shape.fixedValues) out += std::string(", ") + shape.fixedValues;
  return out + ")";
}

std::string insertStatements(const TableShape& shape, const std::vector<std::string>& rows, std::size_t perInsert) {
  const std::string head = insertHead(shape) + " values ";
  std::string sql;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    sql += i % perInsert == 0 ? (i ? ";\n" : "") + head : ", ";
    sql += rows[i];
  }
  return rows.empty() ? sql : sql + ";\n";
}

db::BatchResult BatchHistorySink::run(const std::string& batch) {
  db::BatchResult result = connection_.execBatch(batch);
  if (!result.ok()) throw std::runtime_error(result.errorMessage());
  return result;
}

void BatchHistorySink::add(const TableShape& shape, Row row) {
  Pending* target = nullptr;
  for (Pending& p : pending_)
    if (p.shape == &shape) target = &p;
  if (!target) target = &pending_.emplace_back(Pending{&shape, {}});
  target->rows.push_back(rowLiteral(shape, row));
  ++pendingRows_;
}

void BatchHistorySink::flush() {
  if (pendingRows_ == 0) return;
  std::string batch;
  for (const Pending& p : pending_) batch += insertStatements(*p.shape, p.rows, kRowsPerInsert);
  run(batch);
  pending_.clear();
  pendingRows_ = 0;
}

// Each batch inserts up to kRowsPerBatch masters and reads back the ids above the
// table's highest before it; their codes must come back in the rows' order.
std::vector<long long> BatchHistorySink::addMasters(const TableShape& shape, const std::vector<Row>& rows) {
  flush();
  std::vector<long long> ids;
  for (std::size_t from = 0; from < rows.size(); from += kRowsPerBatch) {
    std::vector<std::string> tuples;
    for (std::size_t i = from; i < rows.size() && i < from + kRowsPerBatch; ++i)
      tuples.push_back(rowLiteral(shape, rows[i]));
    const std::string table = shape.table;
    db::BatchResult result = run("declare @last bigint = (select isnull(max(id), 0) from " + table + ");\n" +
                                 insertStatements(shape, tuples, kRowsPerInsert) + "select id, code from " +
                                 table + " where id > @last order by id");
    const auto& read = result.resultSets.at(0).rows;
    if (read.size() != tuples.size()) throw std::runtime_error("the new rows of " + table + " were not read back");
    for (std::size_t i = 0; i < read.size(); ++i) {
      if (read[i][1].asText() != rows[from + i].front().text)
        throw std::runtime_error("the new rows of " + table + " came back in another order");
      ids.push_back(read[i][0].asInteger());
    }
  }
  return ids;
}

}  // namespace schema
