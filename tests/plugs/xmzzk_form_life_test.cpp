// An order's life in the editor on the embedded database: save refused without a
// customer; the first save issues the number and the server computes staff points,
// performance amounts, the staff summary and the total; an edit saves again; complete,
// re-open with its refusals, void with its refusals and the audit log (a voided order is
// never edited again), the customer kept outside editing and taken from 新客户, print
// and delete.
#include <gtest/gtest.h>

#include <algorithm>

#include "plugs/coreapp/xmzzk/publicfunc.h"
#include "xmzzk_session.h"

namespace {

using core::Currency;
using plugs::coreapp::xmzzk::TxmzzkForm;
using xmzzk_test::Texts;

class OrderLife : public xmzzk_test::OrderSession {
 protected:
  // A new order for C001: XM002 × 5 (tier price 25, amount 125) with 李强 60% and
  // 张丽 40%, and one product 2 × 3.
  void SetUp() override {
    form = openEditor();
    ASSERT_EQ(form->clickAction("actAdd"), host::Outcome::Done);
    form->setkhinfo(R"([{"id":"1","code":"C001","name":"星光广告","khlx":"签单","ywy_id":"0"}])");
    ui.queueLookup("服务项目查询", R"([{"id":"2"}])");
    ASSERT_EQ(form->clickAction("actDetail_Add"), host::Outcome::Done);
    setField(form->cdsDetail, "sl", 5.0);
    form->cdsDetail.post();
    const std::string uid = text(form->cdsDetail, "uid");
    plugs::coreapp::xmzzk::zzry_addone(form->cdszzry, form->workBillno, uid, 2, "002", "李强", 60);
    plugs::coreapp::xmzzk::zzry_addone(form->cdszzry, form->workBillno, uid, 3, "003", "张丽", 40);
    form->cdscpmx.append();
    form->cdscpmx.fieldByName("cpname").setValue("易拉宝");
    form->cdscpmx.fieldByName("sl").setValue(2.0);
    form->cdscpmx.fieldByName("dj").setValue(Currency::fromInt(3));
    form->cdscpmx.post();
  }

  void save() {
    ASSERT_EQ(form->clickAction("actSave"), host::Outcome::Done) << lastEvent();
    ASSERT_FALSE(form->billno.empty());
  }

  // Columns of the order's header, and of its staff rows by employee.
  Texts header(const std::string& columns) {
    return cells("select " + columns + " from vt_x_xmzzk where billno = '" + form->billno + "'");
  }
  Texts staff(const std::string& columns) {
    return cells("select " + columns + " from vt_x_xmzzk_mx_zzry where billno = '" +
                 form->billno + "' order by yg_id");
  }

  bool logged(const std::string& tag) const {
    const auto& log = ui.logEntries();
    return std::any_of(log.begin(), log.end(), [&](const auto& e) { return e.first == tag; });
  }

  //! Answers the void dialog with a reason and clicks "作废".
  host::Outcome voidOrder() {
    host::DialogReply reason;
    reason.result = host::mrOK;
    reason.text = "客户取消";
    ui.queueDialog("TAuditingDataForm", reason);
    return form->clickAction("actzfflag");
  }

  std::unique_ptr<TxmzzkForm> form;
};

TEST_F(OrderLife, SaveWithoutCustomerIsRefused) {
  form->control("edtwldw").tag = 0;
  EXPECT_EQ(form->clickAction("actSave"), host::Outcome::Aborted);
  EXPECT_TRUE(said("\"text\":\"请选择往来单位.\""));
  EXPECT_TRUE(rows("select id from vt_x_xmzzk").empty());
  EXPECT_TRUE(form->editMode);
}

TEST_F(OrderLife, FirstSaveIssuesNumberServerComputesStaffAndAnEditSavesAgain) {
  const std::string working = form->workBillno;
  save();
  EXPECT_EQ(form->billno.substr(0, 5), "A1100");
  EXPECT_NE(form->billno, working);
  EXPECT_EQ(header("hjje, zzryinfo, kh_id"), (Texts{"125", "李强,张丽,", "1"}));
  // points = sl × n × scjf × perc / 100; amount = je × perc / 100 × jxbl / 100 (jxbl 20).
  EXPECT_EQ(staff("jxjf, jxje"), (Texts{"3", "15", "2", "10"}));
  EXPECT_EQ(cells("select je from vt_x_xmzzk_cp where billno = '" + form->billno + "'"),
            Texts{"6"});
  EXPECT_TRUE(logged("添加单据"));
  // Reopened from the database: the staff show the server's figures.
  EXPECT_FALSE(form->editMode);
  EXPECT_EQ(form->cdszzry.recordCount(), 2);
  EXPECT_EQ(money(form->cdszzry, "jxje"), Currency::fromInt(15));

  const std::string number = form->billno;
  ASSERT_EQ(form->clickAction("actEdit"), host::Outcome::Done);
  setField(form->cdsDetail, "sl", 10.0);  // open tier: 20 × 10
  save();
  EXPECT_EQ(form->billno, number);
  EXPECT_EQ(header("hjje"), Texts{"200"});
  EXPECT_EQ(staff("jxje"), (Texts{"24", "16"}));  // 200 × 0.6 × 0.2, 200 × 0.4 × 0.2
  EXPECT_EQ(rows("select id from vt_x_xmzzk").size(), 1u);
  EXPECT_TRUE(logged("保存单据"));
}

// Completing closes the order's open processing step; re-opening deletes its steps and
// settlement rows; neither touches another order's.
TEST_F(OrderLife, CompleteThenReopenClearsSettlement) {
  save();
  const std::string id = header("id").front();
  rows("insert into vt_sys_doworks(orgid, xmzzk_id, billno, workname) values ('0001', " + id +
       ", '" + form->billno + "', '印刷')");
  rows("insert into vt_sys_doworks(orgid, xmzzk_id, billno, workname) values ('0001', 999, "
       "'OTHER', '印刷')");
  rows("update vt_x_xmzzk set dowork_id = 1, version = version + 1");
  ASSERT_EQ(form->clickAction("actRef"), host::Outcome::Done);
  ASSERT_EQ(form->action("actAudit").caption, "完工");
  ASSERT_EQ(form->clickAction("actAudit"), host::Outcome::Done) << lastEvent();
  EXPECT_EQ(header("status, dowork_id"), (Texts{"2", "0"}));
  EXPECT_EQ(cells("select isdone from vt_sys_doworks order by id"), (Texts{"True", "False"}));
  EXPECT_EQ(form->control("cxLabel3").text, "已完工");
  EXPECT_EQ(form->action("actAudit").caption, "草稿");
  form->updateActions();  // the completed order's audit button re-opens it: no second 草稿
  EXPECT_FALSE(form->action("actAudit_0").visible);
  rows("update vt_x_xmzzk set jmje = 5, hjsk = 20, ispay = 1, version = version + 1");
  rows("insert into vt_x_xmzzk_js(orgid, uid, billno) values ('0001', 'j1', '" + form->billno +
       "')");
  rows("insert into vt_x_xmzzk_js(orgid, uid, billno) values ('0001', 'j2', 'OTHER')");
  ASSERT_EQ(form->clickAction("actRef"), host::Outcome::Done);
  ASSERT_EQ(form->clickAction("actAudit"), host::Outcome::Done) << lastEvent();
  EXPECT_EQ(header("status, ispay, hjsk"), (Texts{"0", "0", "0"}));
  EXPECT_EQ(cells("select xmzzk_id from vt_sys_doworks"), Texts{"999"});  // the other order's
  EXPECT_EQ(cells("select uid from vt_x_xmzzk_js"), Texts{"j2"});
  EXPECT_EQ(form->control("cxLabel3").text, "未处理");
}

TEST_F(OrderLife, ReopenRefusedForWriteOffStatementAndVoid) {
  save();
  ASSERT_EQ(form->clickAction("actAudit"), host::Outcome::Done);
  rows("insert into vt_sys_hx_kh(orgid, billno, biztype, hxbillno, bchx) values ('0001', 'SK1', "
       "'项目订单', '" + form->billno + "', 10)");
  EXPECT_EQ(form->clickAction("actAudit"), host::Outcome::Aborted);
  EXPECT_TRUE(said("订单已核销或部分核算（结算），不能反审核。"));
  rows("update vt_x_xmzzk set dzflag = 1, version = version + 1");
  ASSERT_EQ(form->clickAction("actRef"), host::Outcome::Done);
  EXPECT_EQ(form->control("cxLabel3").text, "已对账");
  EXPECT_EQ(form->clickAction("actAudit"), host::Outcome::Aborted);
  EXPECT_TRUE(said("该订单已生成对账单，不能反审核。"));
  EXPECT_EQ(form->clickAction("actzfflag"), host::Outcome::Disabled);
  rows("update vt_x_xmzzk set dzflag = 0, zfflag = 1, version = version + 1");
  ASSERT_EQ(form->clickAction("actRef"), host::Outcome::Done);
  EXPECT_EQ(form->clickAction("actAudit"), host::Outcome::Aborted);
  EXPECT_TRUE(said("该订单已作废，不能反审核。"));
  EXPECT_EQ(header("status"), Texts{"2"});
}

// A stale order is reloaded, an unanswered reason and a settled order refuse; then the
// void zeroes the total, writes the audit log and the order is never edited again.
TEST_F(OrderLife, VoidRefusalsThenVoidLogsAndLocksTheOrder) {
  save();
  rows("update vt_x_xmzzk set version = version + 1");
  EXPECT_EQ(form->clickAction("actzfflag"), host::Outcome::Aborted);
  EXPECT_TRUE(said("当前数据状态已改变，已为您刷新数据，请重试."));
  EXPECT_EQ(form->clickAction("actzfflag"), host::Outcome::Aborted);  // dialog not answered
  EXPECT_EQ(header("zfflag"), Texts{"False"});
  rows("update vt_x_xmzzk set ispay = 1, version = version + 1");
  ASSERT_EQ(form->clickAction("actRef"), host::Outcome::Done);
  EXPECT_EQ(form->clickAction("actzfflag"), host::Outcome::Disabled);
  EXPECT_EQ(form->dispatch([&] { form->action("actzfflag").execute(); }), host::Outcome::Aborted);
  EXPECT_TRUE(said("对不起，单据已结算，不能作废。"));
  rows("update vt_x_xmzzk set ispay = 0, version = version + 1");
  ASSERT_EQ(form->clickAction("actRef"), host::Outcome::Done);

  auto other = openEditor(form->billno);  // a second window edits while this one voids
  ASSERT_EQ(other->clickAction("actEdit"), host::Outcome::Done);
  ASSERT_EQ(voidOrder(), host::Outcome::Done) << lastEvent();
  EXPECT_EQ(header("zfflag, hjje"), (Texts{"True", "0"}));
  EXPECT_EQ(cells("select modulecode, billtype, billno, auditmsg, auditstate "
                  "from vt_sys_billaudit_logs"),
            (Texts{"1100", "项目订单", form->billno, "客户取消", "作废"}));
  EXPECT_EQ(form->control("cxLabel3").text, "已作废");
  EXPECT_EQ(form->control("lblispay").text, "");
  EXPECT_EQ(form->clickAction("actzfflag"), host::Outcome::Disabled);
  EXPECT_EQ(form->clickAction("actjiesuan"), host::Outcome::Disabled);
  EXPECT_EQ(form->clickAction("actEdit"), host::Outcome::Aborted);
  EXPECT_TRUE(said("该单据已作废，不能修改。"));
  EXPECT_FALSE(form->editMode);
  // The window that was already editing cannot save it back to a total either.
  EXPECT_EQ(other->clickAction("actSave"), host::Outcome::Aborted);
  EXPECT_EQ(header("zfflag, hjje"), (Texts{"True", "0"}));
}

TEST_F(OrderLife, CustomerButtonWorksOnlyWhileEditing) {
  save();
  const std::size_t before = ui.transcript().size();
  ui.queueLookup("客户会员查询", R"([{"id":"2","code":"C002","name":"蓝天会员","khlx":"现结"}])");
  EXPECT_EQ(form->clickControl("edtwldw"), host::Outcome::Done);
  EXPECT_EQ(ui.transcript().size(), before) << "no lookup ran";
  EXPECT_EQ(form->control("edtwldw").tag, 1);
  EXPECT_EQ(form->control("edtwldwmc").text, "星光广告");
  // The next edit saves the customer the order had.
  ASSERT_EQ(form->clickAction("actEdit"), host::Outcome::Done);
  ASSERT_EQ(form->clickAction("actSave"), host::Outcome::Done) << lastEvent();
  EXPECT_EQ(header("kh_id"), Texts{"1"});
  // While editing the button picks the customer.
  ASSERT_EQ(form->clickAction("actEdit"), host::Outcome::Done);
  EXPECT_EQ(form->clickControl("edtwldw"), host::Outcome::Done);
  EXPECT_EQ(form->control("edtwldw").tag, 2);
  // 新客户 makes a customer and the order takes it at once; a cancelled entry changes nothing.
  host::DialogReply reply;
  reply.result = host::mrOK;
  reply.values = {{"code", "KH77"}, {"name", "新来的客户"}};
  ui.queueDialog("Tkhbmkeditform", reply);
  ASSERT_EQ(form->clickAction("actNewCust"), host::Outcome::Done) << lastEvent();
  EXPECT_EQ(form->control("edtwldw").text, "KH77");
  EXPECT_EQ(form->control("edtwldwmc").text, "新来的客户");
  EXPECT_EQ(Texts{std::to_string(form->control("edtwldw").tag)},
            cells("select id from vt_b_khbmk where code = 'KH77'"));
  ui.queueDialog("Tkhbmkeditform", host::DialogReply{});
  ASSERT_EQ(form->clickAction("actNewCust"), host::Outcome::Done);
  EXPECT_EQ(form->control("edtwldw").text, "KH77");
  ASSERT_EQ(form->clickAction("actSave"), host::Outcome::Done) << lastEvent();
  EXPECT_EQ(header("kh_id"), cells("select id from vt_b_khbmk where code = 'KH77'"));
}

TEST_F(OrderLife, PrintHandsSevenDatasetsAndLogsThePrintThenDeleteRemovesEveryRow) {
  save();
  ASSERT_EQ(form->clickAction("actPrint"), host::Outcome::Done) << lastEvent();
  const std::string print = lastOf("print");
  for (const char* name : {"\"表头数据\":1", "\"明细数据\":1", "\"产品信息\":1", "\"员工业绩\":2",
                           "\"生产耗材\":0", "\"明细数据(合并)\":1", "\"会员卡信息\":0"})
    EXPECT_NE(print.find(name), std::string::npos) << name << " in " << print;
  EXPECT_EQ(cells("select billno from vt_sys_billpirnt_logs"), Texts{form->billno});

  ASSERT_EQ(form->clickAction("actDel"), host::Outcome::Done) << lastEvent();
  for (const char* table :
       {"vt_x_xmzzk", "vt_x_xmzzk_mx", "vt_x_xmzzk_cp", "vt_x_xmzzk_mx_hc", "vt_x_xmzzk_mx_zzry"})
    EXPECT_TRUE(rows(std::string("select id from ") + table).empty()) << table;
  EXPECT_FALSE(form->hasBill());
}

}  // namespace
