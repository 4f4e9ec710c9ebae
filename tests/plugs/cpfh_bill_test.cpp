// The shipment bill and its pending-shipment selector: which order lines are listed
// (completed, not voided, the customer's, in the dates, something left to ship), each
// order line at most once on a bill, and the shipped quantity that audit adds to the
// order line and un-audit takes off, while the bill itself reads as if it were not there;
// and what its print hands the host.
#include <gtest/gtest.h>

#include "core/json.h"
#include "dataset/client_data_set.h"
#include "order_line_bill_session.h"
#include "plugs/coreapp/cpfh/chfhselectxmddmx_form.h"

namespace {

using core::Value;
using plugs::coreapp::cpfh::Tcpfhform;
using plugs::coreapp::cpfh::Tchfhselectxmddmxform;

class Shipment : public order_line_test::OrderLineSession {
 protected:
  //! The selector for customer `kh` after "查询": the listed order line ids.
  std::vector<std::int64_t> listed(Tchfhselectxmddmxform& selector) {
    EXPECT_EQ(selector.clickAction("actquery"), host::Outcome::Done) << lastEvent();
    std::vector<std::int64_t> ids;
    for (selector.cdsResult.first(); !selector.cdsResult.eof(); selector.cdsResult.next())
      ids.push_back(selector.cdsResult.fieldByName("id").asInteger());
    std::sort(ids.begin(), ids.end());
    return ids;
  }

  //! Picks the order lines `ids` into the bill through the selector.
  void pick(Tcpfhform& form, const std::vector<std::int64_t>& ids) {
    onModal = [&](host::TBaseForm& shown) {
      auto& selector = dynamic_cast<Tchfhselectxmddmxform&>(shown);
      selector.clickAction("actquery");
      for (std::int64_t id : ids) {
        ASSERT_TRUE(selector.cdsResult.locate("id", Value(id)));
        selector.cdsResult.edit();
        selector.cdsResult.fieldByName("selected").setValue(Value(true));
        selector.cdsResult.post();
      }
      selector.clickAction("actok");
    };
    ASSERT_EQ(form.clickAction("actDetail_Add"), host::Outcome::Done) << lastEvent();
  }

  //! A saved shipment for customer 1 of `fhsl` of order line `orderLine`.
  std::unique_ptr<Tcpfhform> savedShipment(std::int64_t orderLine, double fhsl) {
    auto form = openEditor<Tcpfhform>("1105");
    startBill(*form);
    pick(*form, {orderLine});
    form->cdsDetail.edit();
    form->cdsDetail.fieldByName("fhsl").setValue(Value(fhsl));
    form->cdsDetail.post();
    save(*form);
    return form;
  }

  double shipped(int orderLine) {
    return scalar("select fhsl_ok from vt_x_xmzzk_mx where id = " + std::to_string(orderLine)).asFloat();
  }
};

TEST_F(Shipment, ListsOnlyTheCustomersCompletedLinesWithSomethingToShipInTheDates) {
  auto selector = host::makeForm<Tchfhselectxmddmxform>(nullptr, "W1", 1, 1);
  EXPECT_EQ(selector->cdsResult.active() ? selector->cdsResult.recordCount() : 0, 0);  // empty until 查询
  EXPECT_EQ(selector->control("edtck").text, "C01");
  // Line 3 is shipped in full; 6 is in production, 7 voided, 8 another customer's, 9 a year old.
  EXPECT_EQ(listed(*selector), (std::vector<std::int64_t>{1, 2, 4, 5}));
  ASSERT_TRUE(selector->cdsResult.locate("id", Value(std::int64_t{4})));
  EXPECT_EQ(texts(selector->cdsResult, "hjsl fhsl_no xm_code ck_name"), "6|1|XM001|总店");
  // A line never shipped has its null turned into 0 and all of it to ship.
  EXPECT_EQ(scalar("select fhsl_ok from vt_x_xmzzk_mx where id = 5").asFloat(), 0.0);
  EXPECT_EQ(listed(*host::makeForm<Tchfhselectxmddmxform>(nullptr, "W1", 1, 2)), (std::vector<std::int64_t>{8}));

  // Date bounds count whole days, both included.
  for (int offset : {0, 1}) {
    const std::string day = scalar("select convert(varchar(10), dateadd(day, " + std::to_string(offset) +
                                   ", billdate), 120) from vt_x_xmzzk where billno = 'DD1'").asText();
    selector->control("edtbt").text = selector->control("edtet").text = day;
    EXPECT_EQ(listed(*selector).size(), offset == 0 ? 4u : 0u) << day;
  }
  selector->control("edtbt").text = "not a date";
  EXPECT_EQ(selector->clickAction("actquery"), host::Outcome::Aborted);
}

TEST_F(Shipment, OkWithoutTicksStaysOpenAndQueryShowsAllAgain) {
  auto selector = host::makeForm<Tchfhselectxmddmxform>(nullptr, "W1", 1, 1);
  listed(*selector);
  selector->clickAction("actok");
  EXPECT_EQ(selector->ModalResult, host::mrNone);
  EXPECT_EQ(selector->cdsResult.recordCount(), 0);
  EXPECT_EQ(listed(*selector).size(), 4u);
  selector->clickControl("cxgResultselected");
  selector->clickAction("actok");
  EXPECT_EQ(selector->ModalResult, host::mrOK);
  EXPECT_EQ(core::parseSelection(selector->FselectedData).size(), 4u);
}

TEST_F(Shipment, TheSameOrderLineIsAddedOnceAndShipsAllThatIsOpen) {
  auto form = openEditor<Tcpfhform>("1105");
  startBill(*form);
  pick(*form, {2});
  pick(*form, {2, 4});
  ASSERT_EQ(form->cdsDetail.recordCount(), 2);
  form->cdsDetail.first();
  EXPECT_EQ(texts(form->cdsDetail, "mx_id orderno fhsl hjsl"), "2|DD1|6|10");
  form->cdsDetail.next();
  EXPECT_EQ(form->cdsDetail.fieldByName("fhsl").asFloat(), 1.0);
}

TEST_F(Shipment, RefusesWithoutCustomerAndQuantitiesThatAreNoNumber) {
  auto form = openEditor<Tcpfhform>("1105");
  ASSERT_EQ(form->clickAction("actAdd"), host::Outcome::Done);
  EXPECT_EQ(form->clickAction("actDetail_Add"), host::Outcome::Aborted);
  EXPECT_EQ(lastEvent(), R"({"event":"message","type":2,"caption":"提示","text":"请选择往来单位"})");
  ui.queueLookup("客户会员查询", R"([{"id":"1","code":"C001","name":"华宇地产"}])");
  ASSERT_EQ(form->clickControl("edtwldw"), host::Outcome::Done);
  pick(*form, {1});
  form->cdsDetail.edit();
  EXPECT_THROW(form->cdsDetail.fieldByName("fhsl").setValue(Value("三")), std::exception);
  form->cdsDetail.cancel();
  EXPECT_EQ(form->dispatch([&] { form->addPickedLines("{}"); }), host::Outcome::Aborted);
  EXPECT_TRUE(said("待发货明细无法识别"));
  EXPECT_EQ(form->cdsDetail.recordCount(), 1);
  form->control("edtwldw").tag = 0;
  EXPECT_EQ(form->clickAction("actSave"), host::Outcome::Aborted);
  EXPECT_EQ(lastEvent(), R"({"event":"message","type":2,"caption":"提示","text":"请选择往来单位."})");
}

TEST_F(Shipment, AuditAddsToTheOrderLineAndTheReopenedBillLeavesItsOwnQuantityOut) {
  auto form = savedShipment(2, 3);
  EXPECT_EQ(shipped(2), 4.0);
  ASSERT_EQ(form->clickAction("actAudit"), host::Outcome::Done) << lastEvent();
  EXPECT_EQ(shipped(2), 7.0);
  // Reopened (audit reloads it): as if this bill were not there.
  EXPECT_EQ(texts(form->cdsDetail, "fhsl_ok fhsl_no fhsl"), "4|6|3");
  auto selector = host::makeForm<Tchfhselectxmddmxform>(nullptr, "W1", 1, 1);
  listed(*selector);
  ASSERT_TRUE(selector->cdsResult.locate("id", Value(std::int64_t{2})));
  EXPECT_EQ(selector->cdsResult.fieldByName("fhsl_no").asFloat(), 3.0);
  ASSERT_EQ(form->clickAction("actAudit_0"), host::Outcome::Done) << lastEvent();
  EXPECT_EQ(shipped(2), 4.0);
  EXPECT_EQ(form->cdsDetail.fieldByName("fhsl_no").asFloat(), 6.0);

  // More than is open is shipped as entered.
  ASSERT_EQ(savedShipment(4, 5)->clickAction("actAudit"), host::Outcome::Done) << lastEvent();
  EXPECT_EQ(shipped(4), 10.0);
}

TEST_F(Shipment, PrintHandsTheHeaderAndLinesWithNumberAndName) {
  query("insert into vt_x_cpfhk(orgid, billno, kh_id) values ('0001', 'FH1', 1)");
  query("insert into vt_x_cpfhk_mx(uid, orgid, billno, mx_id, xm_id, fhsl) values ('f1', '0001', 'FH1', 2, 2, 3)");
  auto form = openEditor<Tcpfhform>("1105", "FH1");
  EXPECT_EQ(form->control("cbshr").hint, "ywy_id");
  ASSERT_EQ(form->clickAction("actPrint"), host::Outcome::Done) << lastEvent();
  EXPECT_TRUE(said(R"("event":"print","code":"1105","datasets":{"表头数据":1,"明细数据":1},"values":{"表单编号":"1105","表单名称":"成品发货单"})"))
      << lastEvent();
}

}  // namespace
