// Receipt and payment pages: the creator opens a page with the counterparty box, the
// header boxes of each bill and the two line panels.
#include <gtest/gtest.h>

#include "host/forms/page_control.h"
#include "write_off_session.h"

namespace {

struct Page {
  const char* code;
  const char* accountPanel;
  std::vector<const char*> boxes;
};

const Page kPages[] = {
    {"1112", "收款账户明细",
     {"edtwldw", "btnnew", "cbck", "cbkdr", "edtzy", "edtjmje", "edthjje", "edthxje", "chkiskaipiao", "edtpiaono",
      "memremark"}},
    {"1113", "付款账户明细", {"edtwldw", "btnnew", "cbck", "cbkdr", "edtzy", "edtjmje", "edthjje", "edthxje", "memremark"}},
};

class WriteOffPages : public write_off_test::WriteOffSession {};

TEST_F(WriteOffPages, HeaderBoxesAndBothPanels) {
  for (const Page& bill : kPages) {
    host::plugsPool().plugbyName(bill.code)->create(nullptr, "");
    auto* page = dynamic_cast<plugs::coreapp::TWriteOffBillForm*>(host::PageControl().activePage());
    ASSERT_NE(page, nullptr) << bill.code;
    for (const char* box : bill.boxes) EXPECT_NE(page->findControl(box), nullptr) << bill.code << " " << box;
    EXPECT_EQ(page->findControl("chkiskaipiao") != nullptr, std::string(bill.code) == "1112");
    EXPECT_EQ(page->control("cxgDetail").caption, bill.accountPanel);
    EXPECT_EQ(page->control("cxghxmx").caption, "按单核销明细");
    page->Close();
  }
}

}  // namespace
