// Choosing in the order selector: the chosen row comes back as a JSON array with one
// object (values as text), an empty list closes nothing, the entry other bills call
// returns the choice after OK and nothing after Cancel, and the grid's column layout
// outlives the window.
#include <gtest/gtest.h>

#include <stdexcept>

#include "core/json.h"
#include "xmzzk_select_session.h"

namespace {

using plugs::coreapp::xmzzk::Txmzzkselectform;

class SelectorResult : public xmzzk_select_test::SelectorSession {};

TEST_F(SelectorResult, SelectOrDoubleClickGivesTheCurrentRowAsOneJsonObject) {
  auto form = open(true);
  ASSERT_TRUE(form->cdsMain.locate("billno", core::Value("A11002026031200002")));
  EXPECT_EQ(form->clickAction("actselect"), host::Outcome::Done);
  EXPECT_EQ(form->ModalResult, host::mrOK);
  const std::vector<core::JsonRow> rows = core::parseSelection(form->resultJson);
  ASSERT_EQ(rows.size(), 1u);
  const std::pair<const char*, const char*> values[] = {{"billno", "A11002026031200002"},
                                                        {"billdate", "2026-03-12 09:00:00"},
                                                        {"kh_name", "星光广告"},
                                                        {"ck_name", "分店"},
                                                        {"gcxmmc", "名片"},
                                                        {"hjje", "30.5"},
                                                        {"statusinfo", "处理中"},
                                                        {"status", "1"}};
  for (const auto& [key, value] : values) EXPECT_EQ(rows.front().get(key), value) << key;

  form = open(true);
  ASSERT_TRUE(form->cdsMain.locate("billno", core::Value("A11002026031500005")));
  EXPECT_EQ(form->dblClickControl("cxgMain"), host::Outcome::Done);
  EXPECT_EQ(form->ModalResult, host::mrOK);
  EXPECT_EQ(core::parseSelection(form->resultJson).front().get("billno"), "A11002026031500005");
}

TEST_F(SelectorResult, AnEmptyListNeitherSelectsNorCloses) {
  auto form = open(true);
  filter(*form, "edtbillno", "no such order");
  ASSERT_TRUE(form->cdsMain.isEmpty());
  EXPECT_EQ(form->dblClickControl("cxgMain"), host::Outcome::Done);
  EXPECT_EQ(form->clickAction("actselect"), host::Outcome::Done);
  EXPECT_EQ(form->ModalResult, host::mrNone);
  EXPECT_TRUE(form->resultJson.empty());
  EXPECT_FALSE(form->isClosed());
}

// The clerk looks for 0313 and selects it, or cancels when it is not there.
TEST_F(SelectorResult, SelectOrderReturnsTheChoiceAfterOkAndNothingAfterCancel) {
  ui.setModalRunner([](host::FormModel& shown) {
    auto& picker = dynamic_cast<Txmzzkselectform&>(shown);
    picker.setControlText(picker.control("edtbillno"), "0313");
    picker.clickAction("actfilter");
    picker.clickAction("actselect");
    if (picker.ModalResult == host::mrNone) picker.clickAction("actcancel");
    return picker.ModalResult;
  });
  const std::string chosen = plugs::coreapp::xmzzk::selectOrder(nullptr, true);
  ASSERT_EQ(core::parseSelection(chosen).size(), 1u);
  EXPECT_EQ(core::parseSelection(chosen).front().get("billno"), "A11002026031300003");
  // Without the flag the completed order is not there to choose.
  EXPECT_EQ(plugs::coreapp::xmzzk::selectOrder(nullptr, false), "");
}

TEST_F(SelectorResult, TheGridLayoutIsKeptForTheNextOpening) {
  auto column = [](Txmzzkselectform& form, const std::string& field) -> host::GridColumn& {
    for (host::GridColumn& c : form.control("cxgMain").columns)
      if (c.field == field) return c;
    throw std::out_of_range(field);
  };
  auto first = open(true);
  column(*first, "addr").visible = false;
  column(*first, "kh_name").width = 31;
  first->Close();
  auto second = open(true);
  EXPECT_FALSE(column(*second, "addr").visible);
  EXPECT_EQ(column(*second, "kh_name").width, 31);
  EXPECT_TRUE(column(*second, "tel").visible);
}

}  // namespace
