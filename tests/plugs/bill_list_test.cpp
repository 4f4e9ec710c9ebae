// The bill list every bill page opens (单据列表) and the number typed into 单据编号:
// each filter finds its bill on every bill type and a double click opens it; the sort
// follows the clicked column; pages of 100; only the store's bills and only with the
// bill's right; typed text never changes the SQL.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "bill_session.h"
#include "host/forms/base_bill_edit_ribbon_form.h"
#include "host/forms/bill_list_form.h"
#include "host/forms/page_control.h"
#include "host/import/xlsx_reader.h"
#include "plugs/coreapp/package.h"

namespace {

using host::TBillListForm;

struct BillType {
  const char* code;
  const char* table;
  const char* counterparty;  // the header's counterparty id field, "" none
};

const BillType kBillTypes[] = {
    {"1100", "vt_x_xmzzk", "kh_id"},  {"1102", "vt_x_xmwtk", "gys_id"},
    {"1105", "vt_x_cpfhk", "kh_id"},  {"1110", "vt_f_fydj", ""},
    {"1111", "vt_f_srdj", ""},        {"1112", "vt_f_khsk", "kh_id"},
    {"1113", "vt_f_gysfk", "gys_id"}, {"1114", "vt_f_zjzz", ""},
    {"1115", "vt_f_yshx", "kh_id"},   {"1116", "vt_f_yfhx", "gys_id"},
    {"1117", "vt_f_khdzk", "kh_id"},  {"1118", "vt_f_khkpk", "kh_id"},
    {"1120", "vt_c_spjh", "gys_id"},  {"1121", "vt_c_spch", "kh_id"},
    {"1122", "vt_c_qtrk", "gys_id"},  {"1123", "vt_c_qtck", "kh_id"},
    {"1124", "vt_c_spyk", ""},        {"1125", "vt_c_sptj", ""},
    {"1126", "vt_c_spsy", ""},        {"1127", "vt_c_sppd", ""},
};

class BillList : public bill_test::BillSession {
 protected:
  BillList()
      : BillSession(
            "insert into vt_b_ckbmk(orgid, code, name) values ('0001', 'C01', '总店'), ('0001', "
            "'C02', '东门店')\n"
            "insert into vt_b_ygbmk(orgid, code, name) values ('0001', 'Y01', '王敏')\n"
            "insert into vt_b_khbmk(orgid, code, name) values ('0001', 'K01', '蓝天'), ('0001', "
            "'K02', '红星印务')\n"
            "insert into vt_b_gysbmk(orgid, code, name) values ('0001', 'G01', '纸业'), ('0001', "
            "'G02', '红星材料')") {
    host::plugsPool().clear();
    host::registerHostPlugs();
    plugs::coreapp::initializePackage();
  }
  ~BillList() override {
    host::PageControl().clear();
    plugs::coreapp::finalizePackage();
  }

  // Three bills of the store and one of another store: L1 (counterparty 1, outlet 1,
  // status 0), L2 (counterparty 2, outlet 2, status 1), L3 voided; the dates in March.
  void addBills(const BillType& t) {
    const std::string cp = *t.counterparty ? std::string(", ") + t.counterparty : "";
    auto row = [&](const char* org, const char* no, const char* day, int who, int ck, int status,
                   int voided) {
      return std::string("('") + org + "', '" + no + "', '2026-03-" + day + " 17:30'" +
             (*t.counterparty ? ", " + std::to_string(who) : "") + ", " + std::to_string(ck) +
             ", 1, " + std::to_string(status) + ", " + std::to_string(voided) + ", '摘要')";
    };
    query(std::string("insert into ") + t.table + "(orgid, billno, billdate" + cp +
          ", ck_id, kdr_id, status, zfflag, zy) values " + row("0001", "L1", "01", 1, 1, 0, 0) +
          ", " + row("0001", "L2", "05", 2, 2, 1, 0) + ", " + row("0001", "L3", "31", 1, 1, 0, 1) +
          ", " + row("0002", "L9", "05", 2, 2, 1, 0));
  }

  // The page of plug `code`, opened through its creator.
  host::TBaseBillEditRibbonForm& openPage(const char* code) {
    host::plugsPool().plugbyName(code)->create(nullptr, "");
    return dynamic_cast<host::TBaseBillEditRibbonForm&>(*host::PageControl().activePage());
  }

  // Runs `filter` on a list over March, then reads the bill numbers it lists.
  static std::string listed(TBillListForm& list,
                            const std::function<void(TBillListForm&)>& filter) {
    list.control("edtbt").text = "2026-03-01";
    list.control("edtet").text = "2026-03-31";
    list.control("edtbillno").text.clear();
    if (host::Control* wldw = list.findControl("edtwldw")) wldw->text.clear();
    list.control("cbstatus").text.clear();
    list.control("cbck").tag = 0;
    filter(list);
    EXPECT_EQ(list.clickAction("actfilter"), host::Outcome::Done);
    return column(list.cdsMain, "billno");
  }

  static std::string column(dataset::ClientDataSet& ds, const char* field) {
    std::string out;
    for (ds.first(); !ds.eof(); ds.next())
      out += (out.empty() ? "" : ",") + ds.fieldByName(field).asString();
    return out;
  }
};

TEST_F(BillList, EveryBillTypeFiltersItsBillsAndOpensTheOneDoubleClicked) {
  for (const BillType& t : kBillTypes) {
    SCOPED_TRACE(t.code);
    addBills(t);
    host::TBaseBillEditRibbonForm& page = openPage(t.code);
    ui.setModalRunner([&](host::FormModel& form) {
      auto& list = dynamic_cast<TBillListForm&>(form);
      EXPECT_EQ(listed(list, [](TBillListForm&) {}),
                "L3,L2,L1");  // newest first, L9 is another store's
      EXPECT_EQ(listed(list, [](TBillListForm& l) { l.control("edtet").text = "2026-03-30"; }),
                "L2,L1");
      EXPECT_EQ(listed(list, [](TBillListForm& l) { l.control("edtbillno").text = " 2 "; }), "L2");
      EXPECT_EQ(listed(list, [](TBillListForm& l) { l.control("cbck").tag = 2; }), "L2");
      // the status box offers every status (""), the bill's own captions, then 已作废
      EXPECT_EQ(listed(list,
                       [](TBillListForm& l) {
                         l.control("cbstatus").text = l.control("cbstatus").items[2];
                       }),
                "L2");
      EXPECT_EQ(listed(list, [](TBillListForm& l) { l.control("cbstatus").text = "已作废"; }),
                "L3");
      EXPECT_EQ(list.findControl("edtwldw") != nullptr, *t.counterparty != '\0');
      if (*t.counterparty) {
        EXPECT_EQ(listed(list, [](TBillListForm& l) { l.control("edtwldw").text = "红星"; }),
                  "L2");  // by name
        EXPECT_EQ(listed(list, [](TBillListForm& l) { l.control("edtwldw").text = "01"; }),
                  "L3,L1");  // by code
        EXPECT_EQ(column(list.cdsMain, "wldw_name"),
                  t.counterparty == std::string("kh_id") ? "蓝天,蓝天" : "纸业,纸业");
      }
      listed(list, [](TBillListForm& l) { l.control("edtbillno").text = "L2"; });
      EXPECT_EQ(column(list.cdsMain, "ck_name") + "|" + column(list.cdsMain, "kdr_name"),
                "东门店|王敏");
      EXPECT_EQ(list.dblClickControl("cxgMain"), host::Outcome::Done);
      return list.ModalResult;
    });
    EXPECT_EQ(page.clickAction("actlist"), host::Outcome::Done);
    EXPECT_EQ(page.billno, "L2");
    EXPECT_EQ(page.controlText(page.control("edtbillno")), "L2");
  }
}

TEST_F(BillList, SortsByTheClickedColumnAndReadsAPageAtATime) {
  query(
      "declare @i int = 1\n"
      "while @i <= 250 begin\n"
      "  insert into vt_c_spjh(orgid, billno, billdate, gys_id, ck_id, status, zy)\n"
      "  values ('0001', 'P' + right('000' + cast(@i as varchar(4)), 4), dateadd(day, @i % 7, "
      "'2026-03-01'),\n"
      "          1 + @i % 2, 1, 0, '')\n"
      "  set @i = @i + 1\n"
      "end");
  auto list = host::makeForm<TBillListForm>(
      nullptr, host::BillListSpec{"1120", "购货单", "vt_c_spjh", "gys_id", {"未审核", "已审核"}});
  list->control("edtbt").text = "";
  list->control("edtet").text = "";
  auto firstAndLast = [&] {
    list->cdsMain.first();
    std::string first = list->cdsMain.fieldByName("billno").asString();
    list->cdsMain.last();
    return first + ".." + list->cdsMain.fieldByName("billno").asString() + " " +
           list->control("lblpage").text;
  };
  list->clickAction("actfilter");
  EXPECT_EQ(list->total(), 250);
  EXPECT_EQ(list->clickAction("actpageprev"), host::Outcome::Disabled);
  list->columnClickControl("cxgMain", "billno");
  EXPECT_EQ(firstAndLast(), "P0001..P0100 共 250 张，第 1/3 页");
  list->clickAction("actpagenext");
  list->clickAction("actpagenext");
  EXPECT_EQ(firstAndLast(), "P0201..P0250 共 250 张，第 3/3 页");
  EXPECT_EQ(list->clickAction("actpagenext"), host::Outcome::Disabled);
  list->columnClickControl("cxgMain", "billno");  // again: the other way round, from the first page
  EXPECT_EQ(firstAndLast(), "P0250..P0151 共 250 张，第 1/3 页");
  // Equal names keep one order across pages: every bill once, each name in one run.
  list->columnClickControl("cxgMain", "wldw_name");
  std::vector<std::string> names, billnos;
  for (int p = 0; p < 3; ++p, list->clickAction("actpagenext"))
    for (list->cdsMain.first(); !list->cdsMain.eof(); list->cdsMain.next()) {
      names.push_back(list->cdsMain.fieldByName("wldw_name").asString());
      billnos.push_back(list->cdsMain.fieldByName("billno").asString());
    }
  EXPECT_EQ(names.end() - std::unique(names.begin(), names.end()), 248);  // two runs of 125
  std::sort(billnos.begin(), billnos.end());
  EXPECT_EQ(std::unique(billnos.begin(), billnos.end()) - billnos.begin(), 250);
  // 导出 takes every bill under the filters in the sort shown, not the page shown.
  host::DialogReply xlsx;
  xlsx.result = host::mrOK;
  xlsx.values["format"] = "xlsx";
  ui.queueDialog("TExportDialog", xlsx);
  host.printFolder = ::testing::TempDir() + "bill_list_export_" + std::to_string(::getpid());
  const host::XlsxCells cells = host::XlsxReader::readCells(list->exportList());
  ASSERT_EQ(cells.size(), 251u);
  EXPECT_EQ(cells[0][3].text, "往来单位编号");
  EXPECT_TRUE(cells[1][1].isDate());
  std::vector<std::string> exported;
  for (std::size_t i = 1; i < cells.size(); ++i) exported.push_back(cells[i][4].text);
  EXPECT_EQ(exported.end() - std::unique(exported.begin(), exported.end()), 248);  // two runs
  std::filesystem::remove_all(host.printFolder);
  // A field that is no column of the list sorts nothing.
  EXPECT_EQ(list->columnClickControl("cxgMain", "gys_id; drop table vt_c_spjh"),
            host::Outcome::Done);
  EXPECT_EQ(list->page(), 2);
}

TEST_F(BillList, ANumberTypedIntoTheBillNumberBoxOpensThatBill) {
  addBills(kBillTypes[12]);  // 购货单
  host::TBaseBillEditRibbonForm& page = openPage("1120");
  auto type = [&](const std::string& text) {
    page.setControlText(page.control("edtbillno"), text);
    return page.keyDownControl("edtbillno", "Enter");
  };
  EXPECT_EQ(type(" L2 "), host::Outcome::Done);
  EXPECT_EQ(page.billno, "L2");
  for (const char* missing :
       {"L9", "L2' or '1'='1", "'; delete from vt_c_spjh --"}) {  // L9: another store's
    SCOPED_TRACE(missing);
    EXPECT_EQ(type(missing), host::Outcome::Aborted);
    EXPECT_NE(lastEvent().find(std::string("单据“") + missing + "”不存在。"), std::string::npos)
        << lastEvent();
    EXPECT_EQ(page.billno, "L2");
    EXPECT_EQ(page.controlText(page.control("edtbillno")), "L2");
  }
  EXPECT_EQ(countOf("vt_c_spjh"), 4);
  EXPECT_EQ(type("L1"), host::Outcome::Done);
  ASSERT_EQ(page.clickAction("actEdit"), host::Outcome::Done);  // while edited the box only shows the number
  EXPECT_EQ(type("L2"), host::Outcome::Disabled);
  EXPECT_EQ(page.billno, "L1");
}

TEST_F(BillList, HostileFilterTextIsOnlyEverSearchedFor) {
  addBills(kBillTypes[12]);
  auto list = host::makeForm<TBillListForm>(
      nullptr, host::BillListSpec{"1120", "购货单", "vt_c_spjh", "gys_id", {"未审核", "已审核"}});
  for (const char* hostile :
       {"' or 1=1 --", "'; delete from vt_c_spjh --", ":orgid", "红星'\"\\%"}) {
    SCOPED_TRACE(hostile);
    EXPECT_EQ(listed(*list, [&](TBillListForm& l) { l.control("edtbillno").text = hostile; }), "");
    EXPECT_EQ(listed(*list, [&](TBillListForm& l) { l.control("edtwldw").text = hostile; }), "");
  }
  EXPECT_EQ(countOf("vt_c_spjh"), 4);
}

TEST_F(BillList, WithoutTheBillsRightNeitherTheListNorATypedNumberOpens) {
  addBills(kBillTypes[12]);
  host::TBaseBillEditRibbonForm& page = openPage("1120");
  int shown = 0;
  ui.setModalRunner([&](host::FormModel&) {
    ++shown;
    return host::mrCancel;
  });
  host.rights = {false, {"1121"}};
  EXPECT_EQ(page.clickAction("actlist"), host::Outcome::Aborted);
  page.setControlText(page.control("edtbillno"), "L2");
  EXPECT_EQ(page.keyDownControl("edtbillno", "Enter"), host::Outcome::Aborted);
  EXPECT_EQ(shown, 0);
  EXPECT_EQ(page.billno, "");
  EXPECT_EQ(count("对不起，您没有该功能的操作权限，访问被拒绝。"), 2);
}

}  // namespace
