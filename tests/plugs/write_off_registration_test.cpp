// Receipt and payment as the package registers them: GUID, caption, class, the
// standard nine rights under the root; the creator opens a page with the counterparty
// box, the header boxes of each bill and the two line panels.
#include <gtest/gtest.h>

#include "host/forms/page_control.h"
#include "write_off_session.h"

namespace {

struct Registered {
  const char* code;
  const char* caption;
  const char* className;
  const char* guid;
  const char* accountPanel;
  std::vector<const char*> boxes;
};

const Registered kBills[] = {
    {"1112", "收款单", "Tkhskform", "{94BAB263-7032-4997-BC25-8C68451C0283}", "收款账户明细",
     {"edtwldw", "btnnew", "cbck", "cbkdr", "edtzy", "edtjmje", "edthjje", "edthxje", "chkiskaipiao", "edtpiaono",
      "memremark"}},
    {"1113", "付款单", "Tgysfkform", "{56B07E48-085E-4016-8EDE-A641E90DF450}", "付款账户明细",
     {"edtwldw", "btnnew", "cbck", "cbkdr", "edtzy", "edtjmje", "edthjje", "edthxje", "memremark"}},
};

class WriteOffRegistration : public write_off_test::WriteOffSession {};

TEST_F(WriteOffRegistration, ItemsRightsAndPages) {
  const char* suffixes[] = {"_01", "_02", "_03", "_04", "_05", "_06", "_061", "_10", "_20"};
  for (const Registered& bill : kBills) {
    const host::TPlugItem* item = host::plugsPool().plugbyName(bill.code);
    ASSERT_NE(item, nullptr) << bill.code;
    EXPECT_EQ(item->GUID, bill.guid);
    EXPECT_EQ(item->caption, bill.caption);
    EXPECT_EQ(item->formClass.name, bill.className);
    ASSERT_EQ(item->rules().size(), 10u) << bill.code;
    for (std::size_t i = 0; i < 9; ++i) EXPECT_EQ(item->rules()[i + 1].code, std::string(bill.code) + suffixes[i]);

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
