// ShopHistory: years of a busy print shop added to a database that holds the schema,
// the same rows for the same scale and seed every time: per year (by default) 30,000
// orders with 1 to 7 lines each, a staff row per line and about one consumable, a
// settlement row per settled order and 2,000 new customers, over its own stores,
// staff, service items and goods. The years end on 2026-11-30. Rows go straight into
// SQLite with prepared statements, in the stored forms the engine uses (money rounded
// to four decimals, datetimes "YYYY-MM-DD HH:MM:SS.000"), in one transaction.
#pragma once

#include <cstdint>

#include "db/embedded_connection.h"

namespace schema {

struct ShopScale {
  int years = 1;
  int ordersPerYear = 30000;
  int customersPerYear = 2000;
  std::uint32_t seed = 20261130;
};

//! Adds the shop's rows; throws std::runtime_error with SQLite's message (nothing is
//! kept then).
void addShopHistory(db::EmbeddedConnection& connection, const ShopScale& scale);

}  // namespace schema
