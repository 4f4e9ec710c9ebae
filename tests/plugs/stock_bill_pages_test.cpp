// The goods bills' pages: opening each through its creator gives a page with its
// header boxes bound to the master fields and its lookup lists filled.
#include <gtest/gtest.h>

#include "host/forms/page_control.h"
#include "stock_bill_session.h"

namespace {

struct Page {
  const char* code;
  const char* className;
  std::vector<const char*> boxes;  // header controls the clerk fills
};

const Page kPages[] = {
    {"1120", "Tspjhform",
     {"edtwldw", "cbck", "cbkdr", "cbrklx", "edtzy", "cbzh", "edtqtfy", "edthjje", "edtbcfk", "memremark"}},
    {"1121", "Tspchform",
     {"edtwldw", "cbck", "cbkdr", "cbcklx", "edtzy", "cbzh", "edtqtfy", "edthjje", "edtbcsk", "memremark"}},
    {"1122", "Tqtrkform", {"edtwldw", "cbck", "cbkdr", "cbrklx", "edtzy", "memremark"}},
    {"1123", "Tqtckform", {"edtwldw", "cbck", "cbkdr", "cbcklx", "edtzy", "memremark"}},
};

class StockPages : public stock_test::StockSession {};

TEST_F(StockPages, CreatorOpensAPageWithItsHeaderBoxes) {
  for (const Page& bill : kPages) {
    host::plugsPool().plugbyName(bill.code)->create(nullptr, "");
    auto* page = dynamic_cast<plugs::coreapp::TStockBillForm*>(host::PageControl().activePage());
    ASSERT_NE(page, nullptr) << bill.code;
    EXPECT_EQ(page->className(), bill.className);
    for (const char* box : bill.boxes) EXPECT_NE(page->findControl(box), nullptr) << bill.code << " " << box;
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
