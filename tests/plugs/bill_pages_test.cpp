// Every bill editor opened through its plug's creator: the page is the item's form
// class and shows the header boxes the clerk fills, none of those its bill lacks, and
// its line panels under their captions; on a new bill, its grids add rows only where
// lines are typed in (a grid of selector lines takes none, whoever appends). What a page
// does once a bill is started is tested with each bill.
#include <gtest/gtest.h>

#include <algorithm>
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
  std::vector<const char*> fromSelector = {};  //!< grids whose lines come only from a selector
};

const std::vector<const char*> kStockMoveBoxes = {"edtzy", "cbck", "cbkdr", "memremark"};

const PageCase kPages[] = {
    {"1102",
     {"edtwldw", "edtorderbillno", "edtkh_name", "edtzy", "cbshfs", "edtaddr", "cbck", "cbkdr",
      "cbywy", "cbzh", "edtqtfy", "edthjje", "edtbcfk", "memzzyq"},
     {},
     {}},
    {"1105",
     {"edtwldw", "cbck", "cbshr", "cbshfs", "edtlxr", "edttel", "edtaddr", "edtzy", "edtcydw",
      "edtwldh", "memremark"},
     {},
     {},
     {"cxgDetail"}},
    {"1110", {"cbck", "cbkdr", "edtzy", "cbzh", "edthjje", "memremark"}, {}, {}},
    {"1111", {"cbck", "cbkdr", "edtzy", "cbzh", "edthjje", "memremark"}, {}, {}},
    {"1114", {"cbck", "cbkdr", "edtzy", "memremark"}, {"edthjje"}, {}},
    {"1112",
     {"edtwldw", "btnnew", "cbck", "cbkdr", "edtzy", "edtjmje", "edthjje", "edthxje",
      "chkiskaipiao", "edtpiaono", "memremark"},
     {},
     {{"cxgDetail", "收款账户明细"}, {"cxghxmx", "按单核销明细"}},
     {"cxghxmx"}},
    {"1113",
     {"edtwldw", "btnnew", "cbck", "cbkdr", "edtzy", "edtjmje", "edthjje", "edthxje", "memremark"},
     {"chkiskaipiao"},
     {{"cxgDetail", "付款账户明细"}, {"cxghxmx", "按单核销明细"}},
     {"cxghxmx"}},
    {"1115",
     {},
     {"edthjje", "cbzhlist"},
     {{"cxgDetail", "客户收款单（待核销）"}, {"cxghxmx", "按单核销明细"}},
     {"cxgDetail", "cxghxmx"}},
    {"1116",
     {},
     {"edthjje", "cbzhlist"},
     {{"cxgDetail", "供应商付款单（待核销）"}, {"cxghxmx", "按单核销明细"}},
     {"cxgDetail", "cxghxmx"}},
    {"1117",
     {"edtwldw", "cbck", "cbkdr", "edtzy", "memremark"},
     {},
     {{"cxgDetail", "客户对账明细表"}},
     {"cxgDetail"}},
    {"1118",
     {"edtwldw", "edtpjdm", "edtpjhm", "cbcomp", "edtfullname", "edtshuihao", "cbck", "cbkdr",
      "edtzy", "memremark"},
     {},
     {{"cxgDetail", "客户收款单明细"}},
     {"cxgDetail"}},
    {"1120",
     {"edtwldw", "cbck", "cbkdr", "cbrklx", "edtzy", "cbzh", "edtqtfy", "edthjje", "edtbcfk",
      "memremark"},
     {},
     {}},
    {"1121",
     {"edtwldw", "cbck", "cbkdr", "cbcklx", "edtzy", "cbzh", "edtqtfy", "edthjje", "edtbcsk",
      "memremark"},
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
    ASSERT_EQ(page->clickAction("actAdd"), host::Outcome::Done);
    page->updateActions();
    for (host::Control* grid : page->controls()) {
      if (grid->kind != host::ControlKind::Grid) continue;
      const bool selector =
          std::find_if(want.fromSelector.begin(), want.fromSelector.end(),
                       [&](const char* g) { return grid->name == g; }) != want.fromSelector.end();
      EXPECT_EQ(grid->offersRows(true), !selector) << grid->name;
      if (!selector) continue;
      dataset::ClientDataSet& lines = *page->findDataSet(grid->dataSet);
      const int before = lines.recordCount();
      EXPECT_EQ(page->dispatch([&] { lines.append(); }), host::Outcome::Aborted) << grid->name;
      EXPECT_EQ(lines.recordCount(), before) << grid->name;
      EXPECT_FALSE(page->userMayChangeRows(grid->dataSet, true)) << grid->name;
    }
  }
  host::PageControl().clear();
}

}  // namespace
