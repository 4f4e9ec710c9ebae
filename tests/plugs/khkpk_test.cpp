// The customer invoice (1118): the default company, receipts offered while they have
// an amount not yet invoiced (drafts of other invoices count), a picked receipt's line,
// the total, the refusals, figures read again when a receipt is no longer audited,
// and an audit that writes nothing.
#include <gtest/gtest.h>

#include "core/scoped_flag.h"
#include "host/forms/page_control.h"
#include "plugs/coreapp/khkp/khkpk_form.h"
#include "write_off_session.h"

namespace {

using core::Currency;
using core::Value;
using plugs::coreapp::khkp::Tkhkpkform;

// Receipts of customer 1: SK001 (1000, audited), SK002 (300, draft); of customer 2:
// SK003 (500, audited). Companies: 01 鑫彩 first in list order, 02 华东.
const char* const kReceipts = R"sql(
insert into vt_f_khsk(orgid, billno, billdate, kh_id, ck_id, hjje, status) values ('0001', 'SK001', '2026-11-10', 1, 1, 1000, 1)
insert into vt_f_khsk(orgid, billno, billdate, kh_id, ck_id, hjje, status) values ('0001', 'SK002', '2026-11-11', 1, 1, 300, 0)
insert into vt_f_khsk(orgid, billno, billdate, kh_id, ck_id, hjje, status) values ('0001', 'SK003', '2026-11-12', 2, 1, 500, 1)
insert into vt_b_comp(orgid, code, name, isort) values ('0001', '02', '华东图文', 2)
insert into vt_b_comp(orgid, code, name, isort) values ('0001', '01', '鑫彩广告', 1)
)sql";

class Invoice : public write_off_test::WriteOffSession {
 protected:
  Invoice() {
    registerOnce("1118", &plugs::coreapp::khkp::registerKhkpkForm);
    query(kReceipts);
  }

  //! Types `je` into the focused line and posts it.
  host::Outcome typeAmount(Tkhkpkform& form, const char* je) {
    return form.dispatch([&] {
      form.cdsDetail.edit();
      form.cdsDetail.fieldByName("je").setValue(Value(std::string(je)));
      form.cdsDetail.post();
    });
  }

  //! A new invoice for customer 1 with `receipts` picked.
  std::unique_ptr<Tkhkpkform> invoice(std::vector<std::string> receipts) {
    auto form = newCustomerBill<Tkhkpkform>("1118");
    EXPECT_EQ(pickSources(*form, std::move(receipts)), host::Outcome::Done) << lastEvent();
    return form;
  }

  //! A saved invoice of `je` on SK001; its number.
  std::string invoiced(const char* je) {
    auto form = invoice({"SK001"});
    EXPECT_EQ(typeAmount(*form, je), host::Outcome::Done) << lastEvent();
    EXPECT_EQ(save(*form), host::Outcome::Done) << lastEvent();
    return form->billno;
  }

  //! The receipts the selector lists for customer 1 on a new invoice, each with its
  //! invoiced part and rest ("SK001 600 400").
  std::vector<std::string> offered() {
    std::vector<std::string> rows;
    onSelector = [&rows](plugs::coreapp::TWriteOffSelectForm& selector) {
      selector.clickAction("cxButton3");
      for (selector.cdsResult.first(); !selector.cdsResult.eof(); selector.cdsResult.next())
        rows.push_back(texts(selector.cdsResult, "bizbillno kpjeok kpjeno"));
      return host::mrCancel;
    };
    auto form = newCustomerBill<Tkhkpkform>("1118");
    EXPECT_EQ(form->clickAction("actDetail_Add"), host::Outcome::Done) << lastEvent();
    onSelector = nullptr;
    return rows;
  }
};

TEST_F(Invoice, ANewInvoiceIsIssuedByTheFirstCompany) {
  host::plugsPool().plugbyName("1118")->create(nullptr, "");
  auto* page = dynamic_cast<Tkhkpkform*>(host::PageControl().activePage());
  ASSERT_NE(page, nullptr);
  ASSERT_EQ(page->clickAction("actAdd"), host::Outcome::Done) << lastEvent();
  EXPECT_EQ(page->cdsMaster.fieldByName("comp_name").asString(), "鑫彩广告");
  page->Close();
}

TEST_F(Invoice, AReceiptIsOfferedUntilOtherInvoicesCoverItsWholeAmount) {
  EXPECT_EQ(offered(), (std::vector<std::string>{"SK001|0|1000"}));
  const std::string first = invoiced("600");
  EXPECT_EQ(offered(), (std::vector<std::string>{"SK001|600|400"}));

  auto form = invoice({"SK001"});
  ASSERT_EQ(pickSources(*form, {"SK001"}), host::Outcome::Done) << lastEvent();
  ASSERT_EQ(form->cdsDetail.recordCount(), 1);  // a receipt is invoiced once per invoice
  EXPECT_EQ(texts(form->cdsDetail, "je skje tax"), "400|1000|0.03");
  ASSERT_EQ(save(*form), host::Outcome::Done) << lastEvent();
  EXPECT_EQ(rowTexts("select biztype, bizid, tax from vt_f_khkpk_mx where billno = '" + form->billno + "'"),
            std::vector<std::string>{"收款单|1|0.03"});
  EXPECT_TRUE(offered().empty());  // 1000 - (600 + 400) is not above 0

  // Reopened, each invoice counts only the other's part as invoiced elsewhere.
  EXPECT_EQ(texts(openEditor<Tkhkpkform>("1118", first)->cdsDetail, "kpjeok kpjeno"), "400|600");
  // A line keeps its amount when its receipt is no longer audited; the figures read 0 and all.
  query("update vt_f_khsk set status = 0 where billno = 'SK001'");
  EXPECT_EQ(texts(openEditor<Tkhkpkform>("1118", first)->cdsDetail, "je kpjeok kpjeno"), "600|0|1000");
}

TEST_F(Invoice, TheTotalIsTheSumOfTheLinesAtEverySave) {
  query("update vt_f_khsk set status = 1 where billno = 'SK002'");
  auto form = invoice({"SK001", "SK002"});
  ASSERT_TRUE(form->cdsDetail.locate("bizbillno", Value(std::string("SK001"))));
  ASSERT_EQ(typeAmount(*form, "250.1234"), host::Outcome::Done) << lastEvent();
  ASSERT_EQ(save(*form), host::Outcome::Done) << lastEvent();
  const std::string total = "select hjje from vt_f_khkpk where billno = '" + form->billno + "'";
  EXPECT_EQ(scalar(total).asText(), "550.1234");

  ASSERT_EQ(form->clickAction("actEdit"), host::Outcome::Done) << lastEvent();
  ASSERT_TRUE(form->cdsDetail.locate("bizbillno", Value(std::string("SK002"))));
  ASSERT_EQ(form->dispatch([&] { form->cdsDetail.deleteRecord(); }), host::Outcome::Done) << lastEvent();
  ASSERT_EQ(save(*form), host::Outcome::Done) << lastEvent();
  EXPECT_EQ(scalar(total).asText(), "250.1234");
  EXPECT_EQ(countOf("vt_f_khkpk_mx where billno = '" + form->billno + "'"), 1);
}

TEST_F(Invoice, RefusesAmountsBelowOneCentAndSavesNothingWithoutACustomer) {
  auto named = invoice({"SK001"});
  for (const char* amount : {"0", "-5"}) {
    EXPECT_EQ(typeAmount(*named, amount), host::Outcome::Aborted) << amount;
    EXPECT_TRUE(said("请输入开票金额")) << amount;
    named->cdsDetail.cancel();
  }
  EXPECT_EQ(named->cdsDetail.fieldByName("je").asCurrency(), Currency::fromInt(1000));
  EXPECT_EQ(typeAmount(*named, "1500"), host::Outcome::Done) << lastEvent();  // more than the rest is taken

  // Without a customer a line (as a pick brings one in) does not save; typed, none comes.
  auto form = openEditor<Tkhkpkform>("1118");
  ASSERT_EQ(form->clickAction("actAdd"), host::Outcome::Done);
  EXPECT_EQ(form->dispatch([&] { form->cdsDetail.append(); }), host::Outcome::Aborted);
  ASSERT_EQ(form->dispatch([&] {
    core::ScopedFlag picking(form->addingSources);
    form->cdsDetail.append();
    form->cdsDetail.fieldByName("je").setValue(Value(10));
    form->cdsDetail.post();
  }),
            host::Outcome::Done);
  save(*form);
  EXPECT_TRUE(said("请选择往来单位."));
  EXPECT_EQ(countOf("vt_f_khkpk"), 0);
}

TEST_F(Invoice, AuditAndUnauditChangeOnlyTheState) {
  const std::string number = invoiced("600");
  auto form = openEditor<Tkhkpkform>("1118", number);
  const std::string receipt = "select hjje, hxje, iskaipiao, piaono, version from vt_f_khsk where billno = 'SK001'";
  const auto before = query(receipt);
  const std::string status = "select status from vt_f_khkpk where billno = '" + number + "'";
  ASSERT_EQ(form->clickAction("actAudit"), host::Outcome::Done) << lastEvent();
  EXPECT_EQ(scalar(status).asInteger(), 1);
  ASSERT_EQ(form->clickAction("actAudit_0"), host::Outcome::Done) << lastEvent();
  EXPECT_EQ(scalar(status).asInteger(), 0);
  EXPECT_EQ(query(receipt), before);
}

}  // namespace
