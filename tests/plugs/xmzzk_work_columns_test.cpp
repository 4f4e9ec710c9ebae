// The processing window's line grid as its configuration document and the user's field
// rules build it:
//   1. every column key: label, width (default 100), footer in any case, kind other
//      than sum, editing, money decimals and format, combo items, button, lookup join
//   2. the user's rules: caption and visibility, 金额 / 整数 / 小数 / 日期 / 文件 types
//   3. twelve columns fit the grid's width, thirteen do not
//   4. the saved column layout comes back when the window is built again
//   5. cell editors: a button column runs its lookup, a file column takes a file name
#include <gtest/gtest.h>

#include "host/forms/my_cx_grid.h"
#include "xmzzk_work_session.h"

namespace {

using host::GridColumn;
using plugs::coreapp::xmzzk::WorkDetailColumn;

// The shipped queries with the columns under test.
std::string documentWith(const std::string& columns) {
  return R"({"data": {"master": {"sql": "select * from vt_v_xmzzk where orgid=:orgid and billno=:billno"},
    "detail": {"sql": "select t1.*, xm.code xm_code, xm.name xm_name, xm.jjfs, xm.minje from vt_x_xmzzk_mx t1 left join vt_b_xmbmk xm on t1.xm_id = xm.id where t1.orgid=:orgid and t1.billno=:billno order by t1.id",
    "columns": )" +
         columns + "}}}";
}

std::string plainColumns(int count) {
  std::string list = "[";
  for (int i = 0; i < count; ++i)
    list += std::string(i ? "," : "") + R"({"fieldname": "f)" + std::to_string(i) + R"("})";
  return list + "]";
}

class WorkColumns : public xmzzk_test::WorkSession {
 protected:
  const GridColumn& col(const std::string& field) {
    for (const GridColumn& c : form->control("cxgDetail").columns)
      if (c.field == field) return c;
    throw std::out_of_range("no column " + field);
  }
  const WorkDetailColumn& setup(const std::string& field) {
    for (const WorkDetailColumn& c : form->detailColumns)
      if (c.field == field) return c;
    throw std::out_of_range("no column " + field);
  }
  void build(const std::string& columns) {
    host.plugInfo["1101"] = documentWith(columns);
    form = openWork();
  }

  std::unique_ptr<plugs::coreapp::xmzzk::Txmzzkworkform> form;
};

// ---- 1. column keys ---------------------------------------------------------------------

TEST_F(WorkColumns, EveryColumnKeyIsHonoured) {
  build(R"([
    {"fieldname": "xm_name", "label": "名称", "editing": "false"},
    {"fieldname": "sl", "label": "数量", "width": "70", "footer": "TRUE"},
    {"fieldname": "n", "label": "套数", "width": "abc", "footer": "true", "kind": "count"},
    {"fieldname": "dj", "type": "money", "decimal": "x"},
    {"fieldname": "je", "type": "money", "decimal": "2", "format": "0.00"},
    {"fieldname": "zk", "type": "combo", "items": ["1", "0.9", "0.8"]},
    {"fieldname": "beizhu", "type": "date", "format": "yyyy-mm-dd"},
    {"fieldname": "gcxmmc", "type": "color", "editing": "true"}])");
  EXPECT_EQ(col("xm_name").caption, "名称");
  EXPECT_TRUE(col("xm_name").readOnly);
  EXPECT_FALSE(col("gcxmmc").readOnly);
  EXPECT_FALSE(col("sl").readOnly);
  EXPECT_EQ(col("sl").width, 70);
  EXPECT_EQ(col("n").width, 100);
  EXPECT_TRUE(setup("sl").footerItem && setup("sl").footerSum);
  EXPECT_EQ(col("sl").footer, "sum");
  EXPECT_TRUE(setup("n").footerItem);
  EXPECT_FALSE(setup("n").footerSum);
  EXPECT_EQ(col("n").footer, "");
  EXPECT_FALSE(setup("dj").footerItem);
  EXPECT_TRUE(form->detailFooter);
  EXPECT_EQ(col("dj").editor, "money");
  EXPECT_EQ(col("dj").decimals, 4);
  EXPECT_EQ(col("dj").format, "0.0000");
  EXPECT_EQ(col("je").decimals, 2);
  EXPECT_EQ(col("je").format, "0.00");
  EXPECT_EQ(col("zk").editor, "combo");
  EXPECT_EQ(col("zk").items, (std::vector<std::string>{"1", "0.9", "0.8"}));
  EXPECT_EQ(col("beizhu").editor, "date");
  EXPECT_EQ(col("beizhu").format, "yyyy-mm-dd");
  EXPECT_EQ(col("gcxmmc").editor, "color");
}

TEST_F(WorkColumns, LookupColumnOpensItsJoinedList) {
  build(R"([{"fieldname": "gcxmmc", "label": "负责人", "type": "lookupcombobox",
    "join": {"sql": "select id, code, name from vt_b_ygbmk where orgid = ':orgid' and ':iclass' = '1101' order by id",
             "keyfieldnames": "name", "listfieldnames": "name",
             "fields": [{"fieldname": "code", "caption": "编号"},
                        {"fieldname": "name", "caption": "姓名", "width": "120"},
                        {"fieldname": "id", "caption": "序号", "visiable": "false"}]}}])");
  ASSERT_EQ(form->joinTableList.count("gcxmmc"), 1u);
  const host::TjoinTableObject& list = *form->joinTableList.at("gcxmmc");
  EXPECT_EQ(
      list.sql,
      "select id, code, name from vt_b_ygbmk where orgid = '0001' and '1101' = '1101' order by id");
  EXPECT_EQ(list.cds.recordCount(), 3);
  EXPECT_EQ(col("gcxmmc").editor, "lookupcombobox");
  EXPECT_EQ(col("gcxmmc").items, (std::vector<std::string>{"王敏", "李强", "张丽"}));
  const WorkDetailColumn& s = setup("gcxmmc");
  EXPECT_EQ(s.keyFieldNames, "name");
  ASSERT_EQ(s.listColumns.size(), 2u);  // the invisible id is left out
  EXPECT_EQ(s.listColumns[0].caption, "编号");
  EXPECT_EQ(s.listColumns[0].width, 80);
  EXPECT_EQ(s.listColumns[1].width, 120);
  EXPECT_EQ(form->control("cxgDetail_gcxmmc").kind, host::ControlKind::LookupCombo);
}

// ---- 2. the user's field rules ---------------------------------------------------------------

TEST_F(WorkColumns, UserRulesReplaceCaptionVisibilityAndEditor) {
  host.custBillRules["1101"] = R"({
    "xm_name": {"caption": "品名", "visible": "false"},
    "je": {"type": "金额", "decimal": "1", "format": "0.0"},
    "dj": {"type": "金额", "decimal": "3", "format": "0.000"},
    "x": {"type": "整数"},
    "y": {"type": "小数", "decimal": "3", "format": "0.000"},
    "gcxmmc": {"type": "日期", "format": "yyyy年m月"},
    "beizhu": {"type": "文件"}})";
  build(R"([{"fieldname": "xm_name", "label": "名称"}, {"fieldname": "je"},
    {"fieldname": "dj", "type": "money"}, {"fieldname": "x"}, {"fieldname": "y"},
    {"fieldname": "gcxmmc", "type": "date", "format": "yyyy-mm-dd"}, {"fieldname": "beizhu"}])");
  EXPECT_EQ(col("xm_name").caption, "品名");
  EXPECT_FALSE(col("xm_name").visible);
  EXPECT_EQ(col("je").editor, "money");
  EXPECT_EQ(col("je").decimals, 2);  // never fewer than two for money
  EXPECT_EQ(col("je").format, "0.0");
  EXPECT_EQ(col("dj").decimals, 3);
  EXPECT_EQ(col("x").editor, "money");
  EXPECT_EQ(col("x").decimals, 0);
  EXPECT_EQ(col("y").decimals, 3);
  EXPECT_EQ(col("y").format, "0.000");
  EXPECT_EQ(col("gcxmmc").format, "yyyy年m月");
  EXPECT_EQ(col("beizhu").editor, "button");
  EXPECT_TRUE(setup("beizhu").fileButton);
}

// A column without fieldname and malformed rules are errors that say where.
TEST_F(WorkColumns, MalformedDocumentOrRulesAreErrorsThatSayWhere) {
  const struct {
    const char* columns;
    const char* rules;
    const char* where;
  } cases[] = {{R"([{"fieldname": "sl"}, {"label": "无字段"}])", "{}", "data.detail.columns[1]"},
               {R"([{"fieldname": "sl"}])", R"({"je": "金额"})", "plug 1101"}};
  for (const auto& c : cases) {
    host.plugInfo["1101"] = documentWith(c.columns);
    host.custBillRules["1101"] = c.rules;
    try {
      openWork();
      ADD_FAILURE() << c.where << ": accepted";
    } catch (const std::invalid_argument& e) {
      EXPECT_NE(std::string(e.what()).find(c.where), std::string::npos) << e.what();
    }
  }
}

// ---- 3. auto width ---------------------------------------------------------------------------

TEST_F(WorkColumns, TwelveColumnsFitTheWidthThirteenDoNot) {
  build(plainColumns(12));
  EXPECT_EQ(form->control("cxgDetail").columns.size(), 12u);
  EXPECT_TRUE(form->columnAutoWidth);
  build(plainColumns(13));
  EXPECT_FALSE(form->columnAutoWidth);
}

// ---- 4. saved layout ----------------------------------------------------------------------

TEST_F(WorkColumns, SavedLayoutComesBackOnTheNextWindow) {
  build(R"([{"fieldname": "sl"}, {"fieldname": "dj"}, {"fieldname": "je"}])");
  std::vector<GridColumn>& columns = form->control("cxgDetail").columns;
  std::swap(columns[0], columns[2]);  // je, dj, sl
  columns[0].width = 33;
  columns[1].visible = false;
  form->Close();
  // The document gains a column the layout has never seen: it goes last.
  build(
      R"([{"fieldname": "sl"}, {"fieldname": "beizhu"}, {"fieldname": "dj"}, {"fieldname": "je"}])");
  const std::vector<GridColumn>& again = form->control("cxgDetail").columns;
  ASSERT_EQ(again.size(), 4u);
  EXPECT_EQ(again[0].field, "je");
  EXPECT_EQ(again[0].width, 33);
  EXPECT_EQ(again[1].field, "dj");
  EXPECT_FALSE(again[1].visible);
  EXPECT_EQ(again[2].field, "sl");
  EXPECT_EQ(again[3].field, "beizhu");
  EXPECT_EQ(again[3].width, 100);
}

// ---- 5. cell editors -----------------------------------------------------------------------

// The shipped document builds the grid; its xm_code is a "select" button on 服务项目查询
// that runs the lookup with the cell's text.
TEST_F(WorkColumns, ShippedDocumentBuildsTheGridAndItsButtonColumnRunsTheLookup) {
  form = openWork();
  EXPECT_TRUE(form->columnAutoWidth);
  EXPECT_EQ(col("je").footer, "sum");
  EXPECT_EQ(col("xm_code").editor, "button");
  EXPECT_EQ(form->cdsDetail.recordCount(), 2);
  ui.queueLookup("服务项目查询", R"([{"id":"3"}])");
  EXPECT_EQ(form->clickControl("cxgDetail_xm_code"), host::Outcome::Done);
  EXPECT_TRUE(said(R"("caption":"服务项目查询","filter":"XM002")"));
  ASSERT_EQ(form->cdsDetail.recordCount(), 3);
  form->cdsDetail.last();
  EXPECT_EQ(form->cdsDetail.fieldByName("xm_id").asInteger(), 3);
  EXPECT_EQ(text(form->cdsDetail, "billno"), xmzzk_test::kWorkBillno);
}

TEST_F(WorkColumns, FileColumnTakesTheFileNameWithoutFolder) {
  host.custBillRules["1101"] = R"({"beizhu": {"type": "文件"}})";
  build(R"([{"fieldname": "beizhu"}])");
  host::DialogReply reply;
  reply.result = host::mrOK;
  reply.file = "D:\\稿件\\2026\\logo.png";
  ui.queueDialog("TOpenDialog", reply);
  EXPECT_EQ(form->clickControl("cxgDetail_beizhu"), host::Outcome::Done);
  EXPECT_EQ(text(form->cdsDetail, "beizhu"), "logo.png");
  EXPECT_TRUE(said(R"("class":"TOpenDialog")"));
}

}  // namespace
