// The goods bills' pages: the store box lists the stores and is bound to the master's
// store, and a new bill starts at the login's store and operator.
#include <gtest/gtest.h>

#include "host/forms/page_control.h"
#include "stock_bill_session.h"

namespace {

class StockPages : public stock_test::StockSession {};

TEST_F(StockPages, ANewBillStartsAtTheLoginsStoreAndOperator) {
  for (const char* code : {"1120", "1121", "1122", "1123"}) {
    host::plugsPool().plugbyName(code)->create(nullptr, "");
    auto* page = dynamic_cast<plugs::coreapp::TStockBillForm*>(host::PageControl().activePage());
    ASSERT_NE(page, nullptr) << code;
    EXPECT_EQ(page->control("cbck").items, std::vector<std::string>({"总店", "分店"}));
    EXPECT_EQ(page->control("cbck").hint, "ck_id");
    EXPECT_EQ(page->control("edtwldw").caption, "往来单位：");
    ASSERT_EQ(page->clickAction("actAdd"), host::Outcome::Done) << lastEvent();
    EXPECT_EQ(page->cdsMaster.fieldByName("ck_id").asInteger(), 1);
    EXPECT_EQ(page->cdsMaster.fieldByName("ck_name").asString(), "总店");  // the combo shows the default
    EXPECT_EQ(page->cdsMaster.fieldByName("kdr_name").asString(), "王敏");
    page->Close();
  }
}

}  // namespace
