// The bills' own SQL texts (orders, settlement, outsourcing, shipment, stocktake,
// receipts, write-off lists, statements, invoices) run on a demo database: every
// table and column they name exists with a type they can use.
#include <fstream>
#include <sstream>

#include "schema_db_test.h"

namespace {

using schematest::scalar;

class BillQueries : public schematest::SchemaDb {};
SCHEMA_ON_BOTH_BACKENDS(BillQueries);

TEST_P(BillQueries, EveryBatchRunsOnTheDemoDatabase) {
  open(true);
  std::ifstream in(std::string(COREAPP_SOURCE_DIR) + "/tests/schema/bill_queries.sql");
  ASSERT_TRUE(in) << "bill_queries.sql not found";
  std::stringstream text;
  text << in.rdbuf();
  const std::string sql = text.str();  // the batches view this text
  auto batches = schema::SchemaScript::split({"bill_queries.sql", sql});
  EXPECT_GT(batches.size(), 20u);
  for (const auto& batch : batches) {
    auto r = db->execBatch(batch.text);
    EXPECT_TRUE(r.ok()) << "bill_queries.sql batch at line " << batch.firstLine << ": " << r.errorMessage();
  }
  // A few results the texts above lead to: the staff summary, the outsourcing cost,
  // the receipt's write-off counted in the order, the stocktake processed and freed.
  EXPECT_EQ(scalar(*db, "select zzryinfo from vt_x_xmzzk where billno = 'X1'").asText(), "李强,张丽,");
  EXPECT_EQ(scalar(*db, "select wxcb from vt_x_xmzzk where billno = 'X1'").asCurrency(), core::Currency::fromInt(50));
  EXPECT_EQ(scalar(*db, "select hjsk from vt_x_xmzzk where billno = 'X1'").asCurrency(), core::Currency::fromInt(30));
  EXPECT_EQ(scalar(*db, "select count(*) from vt_sys_hx_kh where billno = 'SK1'").asInteger(), 2);
  EXPECT_EQ(scalar(*db, "select version from vt_c_sppd where billno = 'P1'").asInteger(), 2);
}

}  // namespace
