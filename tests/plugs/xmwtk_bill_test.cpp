// The outsourced processing order: lines imported from the linked project order (priced
// by area at the item's purchase price, edited sizes travel, the order is untouched),
// the area rule both ways, the refusals, and the order's outsourcing cost `wxcb` that
// audit and un-audit recompute from every audited outsourced order naming it.
#include <gtest/gtest.h>

#include "core/abort.h"
#include "core/json.h"
#include "order_line_bill_session.h"
#include "plugs/coreapp/xmwtk/importxmddmx_form.h"

namespace {

using core::Currency;
using core::Value;
using plugs::coreapp::xmwtk::Timportxmddmxform;
using plugs::coreapp::xmwtk::Txmwtkform;

class OutsourcedOrder : public order_line_test::OrderLineSession {
 protected:
  //! A new bill for supplier 1 linked to order `order`.
  std::unique_ptr<Txmwtkform> newBill(const std::string& order = "DD1") {
    auto form = openEditor<Txmwtkform>("1102");
    startBill(*form);
    form->control("edtorderbillno").text = order;
    return form;
  }

  //! Imports the lines `rows` (1-based) of the linked order; `edit` runs in the dialog
  //! after the ticks. Returns the rows the dialog listed.
  int importRows(Txmwtkform& form, const std::vector<int>& rows,
                 const std::function<void(Timportxmddmxform&)>& edit = {}) {
    int listed = -1;
    onModal = [&](host::TBaseForm& shown) {
      auto& dialog = dynamic_cast<Timportxmddmxform&>(shown);
      listed = dialog.cdsMain.recordCount();
      tick(dialog.cdsMain, rows);
      if (edit) edit(dialog);
      dialog.clickAction("actok");
    };
    EXPECT_EQ(form.clickAction("actimportmx"), host::Outcome::Done) << lastEvent();
    return listed;
  }

  static Currency money(const Txmwtkform& f, const char* field) { return f.cdsDetail.fieldByName(field).asCurrency(); }
};

// ---- 1. import and the area rule ----------------------------------------------------------

TEST_F(OutsourcedOrder, ImportPricesByAreaAtThePurchasePriceAndTypedAmountGivesThePrice) {
  auto form = newBill();
  EXPECT_EQ(importRows(*form, {1}), 5);
  ASSERT_EQ(form->cdsDetail.recordCount(), 1);
  EXPECT_EQ(money(*form, "dj"), Currency::fromInt(10));
  EXPECT_EQ(money(*form, "je"), Currency::fromInt(36));  // 10 × 2 × 3 × 1.2 × 0.5
  EXPECT_EQ(form->cdsDetail.fieldByName("xm_code").asString(), "XM001");
  EXPECT_EQ(form->cdsDetail.fieldByName("gcxmmc").asString(), "横幅.cdr");
  EXPECT_EQ(form->cdsDetail.fieldByName("beizhu").asString(), "打扣眼");
  EXPECT_EQ(form->cdsDetail.fieldByName("zk").asFloat(), 1.0);
  // A typed amount gives the price over the whole area; the amount follows it again.
  form->cdsDetail.edit();
  form->cdsDetail.fieldByName("je").setValue(Value(Currency::fromInt(72)));
  EXPECT_EQ(money(*form, "dj"), Currency::fromInt(20));  // 72 ÷ (2 × 3 × 1.2 × 0.5)
  form->cdsDetail.fieldByName("zk").setValue(Value(0.5));
  EXPECT_EQ(money(*form, "je"), Currency::fromInt(36));
  form->cdsDetail.fieldByName("n").setValue(Value(1.0));
  EXPECT_EQ(money(*form, "je"), Currency::fromInt(12));
  form->cdsDetail.fieldByName("n").setValue(Value(3.0));
  form->cdsDetail.fieldByName("zk").setValue(Value(1.0));
  form->cdsDetail.post();

  importRows(*form, {1});
  EXPECT_EQ(form->cdsDetail.recordCount(), 2);
  save(*form);
  EXPECT_EQ(scalar("select hjje from vt_x_xmwtk").asCurrency(), Currency::fromInt(108));
  EXPECT_EQ(scalar("select orderbillno from vt_x_xmwtk").asText(), "DD1");
}

TEST_F(OutsourcedOrder, SizesEditedInTheDialogReachTheLineNotTheOrder) {
  auto form = newBill();
  importRows(*form, {1, 2}, [](Timportxmddmxform& dialog) {
    dialog.cdsMain.first();
    dialog.cdsMain.edit();
    dialog.cdsMain.fieldByName("x").setValue(Value(2.0));
    dialog.cdsMain.fieldByName("baseunit").setValue(Value("张"));
    dialog.cdsMain.post();
  });
  ASSERT_EQ(form->cdsDetail.recordCount(), 2);
  form->cdsDetail.first();
  EXPECT_EQ(money(*form, "je"), Currency::fromInt(60));  // 10 × 2 × 3 × 2 × 0.5
  EXPECT_EQ(form->cdsDetail.fieldByName("xm_baseunit").asString(), "张");
  form->cdsDetail.next();
  EXPECT_EQ(money(*form, "je"), Currency::fromInt(180));  // 18 × 2 × 5
  EXPECT_EQ(scalar("select x from vt_x_xmzzk_mx where id = 1").asFloat(), 1.2);
}

// ---- 2. the import dialog -------------------------------------------------------------------

TEST_F(OutsourcedOrder, TickAllTogglesOkNeedsATickedRowAndTicksComeBackInLineOrder) {
  auto dialog = host::makeForm<Timportxmddmxform>(nullptr, "DD1");
  ASSERT_EQ(dialog->cdsMain.recordCount(), 5);
  dialog->cdsMain.first();
  dialog->cdsMain.next();
  dialog->clickControl("cxgMainselected");
  EXPECT_EQ(dialog->cdsMain.fieldByName("id").asInteger(), 2);  // the cursor stays
  for (dialog->cdsMain.first(); !dialog->cdsMain.eof(); dialog->cdsMain.next())
    EXPECT_TRUE(dialog->cdsMain.fieldByName("selected").asBoolean());
  dialog->clickControl("cxgMainselected");
  // The listed lines are the order's: none added, none removed.
  EXPECT_THROW(dialog->cdsMain.append(), core::Abort);
  EXPECT_THROW(dialog->cdsMain.deleteRecord(), core::Abort);
  EXPECT_EQ(dialog->cdsMain.recordCount(), 5);
  dialog->clickAction("actok");
  EXPECT_EQ(dialog->ModalResult, host::mrNone);
  EXPECT_TRUE(dialog->cdsMain.filtered());
  EXPECT_EQ(dialog->cdsMain.recordCount(), 0);
  EXPECT_TRUE(dialog->selectedData.empty());
  // Two ticked of five come back in line order.
  dialog = host::makeForm<Timportxmddmxform>(nullptr, "DD1");
  order_line_test::OrderLineSession::tick(dialog->cdsMain, {4, 2});
  dialog->clickAction("actok");
  EXPECT_EQ(dialog->ModalResult, host::mrOK);
  const auto rows = core::parseSelection(dialog->selectedData);
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0].get("id"), "2");
  EXPECT_EQ(rows[1].get("id"), "4");
  EXPECT_EQ(rows[0].get("name"), "展板");
}

TEST_F(OutsourcedOrder, AnUnknownOrderOrASelectionThatIsNoArrayAddsNothing) {
  auto form = newBill("NO SUCH' ORDER");
  EXPECT_EQ(importRows(*form, {}), 0);
  EXPECT_EQ(form->cdsDetail.recordCount(), 0);
  EXPECT_EQ(scalar("select count(*) from vt_x_xmwtk").asInteger(), 0);
  // Without an order number the import does not even open.
  form->control("edtorderbillno").text.clear();
  EXPECT_EQ(importRows(*form, {1}), -1);
  // A selection that is no array adds nothing and says so.
  EXPECT_EQ(form->dispatch([&] { form->importLines(R"({"xm_id":"1"})"); }), host::Outcome::Aborted);
  EXPECT_TRUE(said("订单明细无法识别"));
  EXPECT_EQ(form->dispatch([&] { form->SelectedxmbmkToDetail("not json"); }), host::Outcome::Aborted);
  EXPECT_TRUE(said("服务项目选择结果无法识别"));
  EXPECT_EQ(form->cdsDetail.recordCount(), 0);
}

// ---- 3. refusals, header, requirements --------------------------------------------------------

TEST_F(OutsourcedOrder, RefusesALineWithoutItemAndABillWithoutSupplier) {
  auto form = openEditor<Txmwtkform>("1102");
  ASSERT_EQ(form->clickAction("actAdd"), host::Outcome::Done);
  EXPECT_EQ(form->cdsMaster.fieldByName("shfs_name").asString(), "送货上门");
  EXPECT_TRUE(form->control("edtkh_name").readOnly);
  EXPECT_TRUE(form->control("edthjje").readOnly);
  form->cdsDetail.append();
  EXPECT_EQ(form->dispatch([&] { form->cdsDetail.post(); }), host::Outcome::Aborted);
  EXPECT_TRUE(said("请选择服务项目"));
  form->cdsDetail.cancel();
  ui.queueLookup("服务项目查询", R"([{"id":"2","code":"XM002","name":"展板","price_in":"18"}])");
  ASSERT_EQ(form->clickAction("actDetail_Add"), host::Outcome::Done);
  EXPECT_EQ(money(*form, "je"), Currency::fromInt(18));
  EXPECT_EQ(form->clickAction("actSave"), host::Outcome::Aborted);
  EXPECT_TRUE(said("请选择外协单位."));
}

TEST_F(OutsourcedOrder, RequirementsTextAndOrderPickFillTheHeader) {
  auto form = newBill("");
  ui.queueLookup("制作要求查询", R"([{"name":"覆膜"},{"name":"四角打孔"}])");
  ASSERT_EQ(form->dblClickControl("memzzyq"), host::Outcome::Done);
  EXPECT_EQ(form->cdsMaster.fieldByName("zzyq").asString(), "覆膜\r\n四角打孔");
  onModal = [](host::TBaseForm& selector) {
    selector.findDataSet("cdsMain")->first();
    selector.clickAction("actselect");
  };
  ASSERT_EQ(form->clickControl("edtorderbillno"), host::Outcome::Done) << lastEvent();
  EXPECT_FALSE(form->control("edtorderbillno").text.empty());
}

// ---- 4. the order's outsourcing cost ------------------------------------------------------------

TEST_F(OutsourcedOrder, AuditAndUnauditKeepTheOrdersOutsourcingCostTrue) {
  auto first = newBill();
  importRows(*first, {1});  // 36
  save(*first);
  auto second = newBill();
  importRows(*second, {2});  // 180
  save(*second);
  ASSERT_EQ(first->clickAction("actAudit"), host::Outcome::Done) << lastEvent();
  EXPECT_EQ(scalar("select wxcb from vt_x_xmzzk where billno = 'DD1'").asCurrency(), Currency::fromInt(36));
  ASSERT_EQ(second->clickAction("actAudit"), host::Outcome::Done) << lastEvent();
  EXPECT_EQ(scalar("select wxcb from vt_x_xmzzk where billno = 'DD1'").asCurrency(), Currency::fromInt(216));
  ASSERT_EQ(first->clickAction("actAudit_0"), host::Outcome::Done) << lastEvent();
  EXPECT_EQ(scalar("select wxcb from vt_x_xmzzk where billno = 'DD1'").asCurrency(), Currency::fromInt(180));
  ASSERT_EQ(second->clickAction("actAudit_0"), host::Outcome::Done) << lastEvent();
  EXPECT_EQ(scalar("select wxcb from vt_x_xmzzk where billno = 'DD1'").asCurrency(), Currency());
  EXPECT_EQ(scalar("select count(*) from vt_x_xmzzk where wxcb <> 0").asInteger(), 0);
}

TEST_F(OutsourcedOrder, ABillWithoutOrderNumberTouchesNoOrder) {
  query("update vt_x_xmzzk set wxcb = 99");
  auto form = newBill("");
  ui.queueLookup("服务项目查询", R"([{"id":"1","code":"XM001","name":"喷绘","price_in":"10"}])");
  ASSERT_EQ(form->clickAction("actDetail_Add"), host::Outcome::Done);
  save(*form);
  std::string extra = "unset";
  form->generateSqlAuditing_1(extra);
  EXPECT_EQ(extra, "");
  ASSERT_EQ(form->clickAction("actAudit"), host::Outcome::Done) << lastEvent();
  EXPECT_EQ(scalar("select count(*) from vt_x_xmzzk where wxcb <> 99").asInteger(), 0);
}

TEST_F(OutsourcedOrder, CostStatementIsTheShopsTextWithTheNumberQuoted) {
  EXPECT_EQ(plugs::coreapp::xmwtk::outsourcingCostSql("D'1"),
            "update vt_x_xmzzk set wxcb = isnull(t2.hjje,0) from  \r\n"
            "vt_x_xmzzk t1 left join( \r\n"
            "select orderbillno, sum(hjje) hjje  from vt_x_xmwtk where orgid='0001' and orderbillno = 'D''1' and "
            "status = 1 group by orderbillno \r\n"
            ") t2 on t1.billno = t2.orderbillno \r\n"
            "where t1.orgid='0001' and t1.billno = 'D''1'");
}

}  // namespace
