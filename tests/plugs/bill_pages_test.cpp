// Every bill editor opened through its plug's creator: the page is the item's form
// class and shows the header boxes the clerk fills, none of those its bill lacks, and
// its line panels under their captions. What a page does once a bill is started is
// tested with each bill.
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "bill_session.h"
#include "host/forms/page_control.h"
#include "plugs/coreapp/package.h"

namespace {

using Captions = std::vector<std::pair<const char*, const char*>>;  // control, caption

struct PageCase {
  const char* code;
  std::vector<const char*> boxes;
  std::vector<const char*> absent;
  Captions panels;
};

const std::vector<const char*> kStockMoveBoxes = {"edtzy", "cbck", "cbkdr", "memremark"};

const PageCase kPages[] = {
    {"1102",
     {"edtwldw", "edtorderbillno", "edtkh_name", "edtzy", "cbshfs", "edtaddr", "cbck", "cbkdr", "cbywy", "cbzh",
      "edtqtfy", "edthjje", "edtbcfk", "memzzyq"},
     {},
     {}},
    {"1105",
     {"edtwldw", "cbck", "cbshr", "cbshfs", "edtlxr", "edttel", "edtaddr", "edtzy", "edtcydw", "edtwldh", "memremark"},
     {},
     {}},
    {"1110", {"cbck", "cbkdr", "edtzy", "cbzh", "edthjje", "memremark"}, {}, {}},
    {"1111", {"cbck", "cbkdr", "edtzy", "cbzh", "edthjje", "memremark"}, {}, {}},
    {"1114", {"cbck", "cbkdr", "edtzy", "memremark"}, {"edthjje"}, {}},
    {"1112",
     {"edtwldw", "btnnew", "cbck", "cbkdr", "edtzy", "edtjmje", "edthjje", "edthxje", "chkiskaipiao", "edtpiaono",
      "memremark"},
     {},
     {{"cxgDetail", "收款账户明细"}, {"cxghxmx", "按单核销明细"}}},
    {"1113",
     {"edtwldw", "btnnew", "cbck", "cbkdr", "edtzy", "edtjmje", "edthjje", "edthxje", "memremark"},
     {"chkiskaipiao"},
     {{"cxgDetail", "付款账户明细"}, {"cxghxmx", "按单核销明细"}}},
    {"1115", {}, {"edthjje", "cbzhlist"}, {{"cxgDetail", "客户收款单（待核销）"}, {"cxghxmx", "按单核销明细"}}},
    {"1116", {}, {"edthjje", "cbzhlist"}, {{"cxgDetail", "供应商付款单（待核销）"}, {"cxghxmx", "按单核销明细"}}},
    {"1117", {"edtwldw", "cbck", "cbkdr", "edtzy", "memremark"}, {}, {{"cxgDetail", "客户对账明细表"}}},
    {"1118",
     {"edtwldw", "edtpjdm", "edtpjhm", "cbcomp", "edtfullname", "edtshuihao", "cbck", "cbkdr", "edtzy", "memremark"},
     {},
     {{"cxgDetail", "客户收款单明细"}}},
    {"1120",
     {"edtwldw", "cbck", "cbkdr", "cbrklx", "edtzy", "cbzh", "edtqtfy", "edthjje", "edtbcfk", "memremark"},
     {},
     {}},
    {"1121",
     {"edtwldw", "cbck", "cbkdr", "cbcklx", "edtzy", "cbzh", "edtqtfy", "edthjje", "edtbcsk", "memremark"},
     {},
     {}},
    {"1122", {"edtwldw", "cbck", "cbkdr", "cbrklx", "edtzy", "memremark"}, {}, {}},
    {"1123", {"edtwldw", "cbck", "cbkdr", "cbcklx", "edtzy", "memremark"}, {}, {}},
    {"1124", {"edtzy", "cbock", "cbkdr", "cbick", "memremark"}, {"edtwldw"}, {}},
    {"1125", kStockMoveBoxes, {"edtwldw"}, {}},
    {"1126", kStockMoveBoxes, {"edtwldw"}, {}},
    {"1127", kStockMoveBoxes, {"edtwldw"}, {}},
};

class BillPages : public bill_test::BillSession {
 protected:
  // Other tests register single units directly; the pool is emptied so that the
  // package start-up registers every item itself.
  BillPages() : BillSession("insert into vt_b_ckbmk(orgid, code, name) values ('0001', 'C01', '总店')") {
    host::plugsPool().clear();
    host::registerHostPlugs();
    plugs::coreapp::initializePackage();
  }
  ~BillPages() override { plugs::coreapp::finalizePackage(); }
};

TEST_F(BillPages, EachShowsItsHeaderBoxesAndPanels) {
  for (const PageCase& want : kPages) {
    SCOPED_TRACE(want.code);
    host::TPlugItem* item = host::plugsPool().plugbyName(want.code);
    ASSERT_NE(item, nullptr);
    item->create(nullptr, "");
    host::FormModel* page = host::PageControl().activePage();
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page->className(), item->formClass.name);
    for (const char* box : want.boxes) EXPECT_NE(page->findControl(box), nullptr) << box;
    for (const char* box : want.absent) EXPECT_EQ(page->findControl(box), nullptr) << box;
    for (const auto& [control, caption] : want.panels) EXPECT_EQ(page->control(control).caption, caption);
  }
  host::PageControl().clear();
}

}  // namespace
