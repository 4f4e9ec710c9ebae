// ShopHistory: years of a busy print shop added to a database that holds the schema,
// the same rows for the same scale and seed every time: per year (by default) 30,000
// orders with 1 to 7 lines each, a staff row per line and about one consumable, a
// settlement row per settled order and 2,000 new customers, each with a member card
// whose ledger (top-ups, then the orders it paid) a card settlement writes, over its own
// stores, staff, service items and goods. The years end on 2026-11-30. On a file the rows go
// straight into SQLite in one transaction; through any other connection (a server) in
// T-SQL batches of a few days each, every batch its own transaction.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "db/connection.h"
#include "db/embedded_connection.h"
#include "schema/history_sink.h"

namespace schema {

struct ShopScale {
  int years = 1;
  int ordersPerYear = 30000;
  int customersPerYear = 2000;
  std::uint32_t seed = 20261130;
};

//! What a long run reports and asks as it goes.
struct HistoryProgress {
  //! After each month: the month ("2026-03") and the rows written so far.
  std::function<void(const std::string& month, long long rows)> monthWritten;
  //! Asked after each day; true stops the run with HistoryStopped.
  std::function<bool()> stopRequested;
};

//! Adds the shop's rows to a file; throws std::runtime_error with SQLite's message, or
//! HistoryStopped (nothing is kept then).
void addShopHistory(db::EmbeddedConnection& connection, const ShopScale& scale, const HistoryProgress& progress = {});

//! Adds the same rows through `connection` in batches (multi-row INSERTs, a batch every
//! few thousand rows at a day's end). Throws std::runtime_error with the batch's error,
//! or HistoryStopped; the batches before it stay written (the caller empties them).
void addShopHistoryInBatches(db::Connection& connection, const ShopScale& scale,
                             const HistoryProgress& progress = {});

}  // namespace schema
