// The goods bills as the package registers them: GUID, caption, class and the standard
// nine rights in order under the root; opening each through its creator gives a page
// with its header boxes bound to the master fields and its lookup lists filled.
#include <gtest/gtest.h>

#include "host/forms/page_control.h"
#include "stock_bill_session.h"

namespace {

struct Registered {
  const char* code;
  const char* caption;
  const char* className;
  const char* guid;
  std::vector<const char*> boxes;  // header controls the clerk fills
};

const Registered kBills[] = {
    {"1120", "购货单", "Tspjhform", "{BD0B52CE-9F69-424F-B126-23514EF3715A}",
     {"edtwldw", "cbck", "cbkdr", "cbrklx", "edtzy", "cbzh", "edtqtfy", "edthjje", "edtbcfk", "memremark"}},
    {"1121", "销货单", "Tspchform", "{F48541A4-586A-4034-89F2-F005DA4356E2}",
     {"edtwldw", "cbck", "cbkdr", "cbcklx", "edtzy", "cbzh", "edtqtfy", "edthjje", "edtbcsk", "memremark"}},
    {"1122", "其它入库单", "Tqtrkform", "{A973E02E-2A38-4C4C-B628-CBDFE831E4CE}",
     {"edtwldw", "cbck", "cbkdr", "cbrklx", "edtzy", "memremark"}},
    {"1123", "其它出库单", "Tqtckform", "{C76F0C3A-DC8E-49A0-960F-E85A917829F6}",
     {"edtwldw", "cbck", "cbkdr", "cbcklx", "edtzy", "memremark"}},
};

class StockRegistration : public stock_test::StockSession {};

TEST_F(StockRegistration, ItemsAndTheStandardNineRightsInOrder) {
  const char* suffixes[][2] = {{"_01", "添加"}, {"_02", "修改"},     {"_03", "删除"}, {"_04", "审核"}, {"_05", "草稿"},
                               {"_06", "打印"}, {"_061", "模板设置"}, {"_10", "附件"}, {"_20", "单据设置"}};
  for (const Registered& bill : kBills) {
    const host::TPlugItem* item = host::plugsPool().plugbyName(bill.code);
    ASSERT_NE(item, nullptr) << bill.code;
    EXPECT_EQ(item->GUID, bill.guid);
    EXPECT_EQ(item->caption, bill.caption);
    EXPECT_EQ(item->formClass.name, bill.className);
    ASSERT_EQ(item->rules().size(), 10u) << bill.code;
    EXPECT_EQ(item->rules()[0].code, bill.code);
    EXPECT_EQ(item->rules()[0].caption, bill.caption);
    for (std::size_t i = 0; i < 9; ++i) {
      const host::TauthRule& r = item->rules()[i + 1];
      EXPECT_EQ(r.code, std::string(bill.code) + suffixes[i][0]);
      EXPECT_EQ(r.caption, suffixes[i][1]);
      EXPECT_EQ(r.parent, bill.code);
    }
  }
}

TEST_F(StockRegistration, CreatorOpensAPageWithItsHeaderBoxes) {
  for (const Registered& bill : kBills) {
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
