// The master-data pages (1201 ...), every description through the one page: a row
// added and edited with hostile text and read back, a code taken refused, a row changed
// meanwhile refused and reloaded, a row nothing names deleted (running every reference
// check of its description), a row in use disabled instead, and the rights per action.
#include <gtest/gtest.h>

#include "bill_session.h"
#include "core/abort.h"
#include "host/forms/page_control.h"
#include "host/services/t_auth.h"
#include "plugs/coreapp/jczl/master_data_form.h"

namespace {

using core::Value;
using plugs::coreapp::jczl::FieldKind;
using plugs::coreapp::jczl::MasterDataPageSpec;
using plugs::coreapp::jczl::TMasterDataForm;

constexpr const char* kHostile = "O'Neil :orgid 100% --";

class MasterDataPages : public bill_test::BillSession {
 protected:
  MasterDataPages()
      : BillSession(
            "insert into vt_b_ckbmk(orgid, code, name) values ('0001', '01', '总店')\n"
            "insert into vt_b_vipdj(orgid, code, name) values ('0001', '01', '金卡')") {
    registerOnce("1201", &plugs::coreapp::jczl::registerJczlForms);
  }
  ~MasterDataPages() override { host::PageControl().clear(); }

  //! Opens page `code` as the current login; null when refused.
  TMasterDataForm* open(const std::string& code) {
    try {
      host::plugsPool().plugbyName(code)->create(nullptr, "");
    } catch (const core::Abort&) {
      return nullptr;
    }
    return dynamic_cast<TMasterDataForm*>(host::PageControl().activePage());
  }

  //! Adds (or, on a focused row after 修改, rewrites) a row: code, name and a value of
  //! each field's kind; the outcome of 保存.
  static host::Outcome save(TMasterDataForm& page, const char* action, const std::string& code,
                            const std::string& name) {
    if (page.clickAction(action) != host::Outcome::Done) return host::Outcome::Aborted;
    page.cdsEdit.fieldByName("code").setValue(Value(code));
    page.cdsEdit.fieldByName("name").setValue(Value(name));
    for (const auto& f : page.spec.fields) {
      dataset::Field& field = page.cdsEdit.fieldByName(f.field);
      if (f.kind == FieldKind::Text)
        field.setValue(Value(std::string(kHostile).substr(0, f.maxLength)));
      if (f.kind == FieldKind::Money) field.setValue(Value(core::Currency::fromDouble(12.3456)));
      if (f.kind == FieldKind::Number) field.setValue(Value(2.5));
      if (f.kind == FieldKind::Choice) field.setValue(Value(f.items.back()));
      const host::Control& combo = page.control("edt" + f.field);
      if (f.kind == FieldKind::Lookup && !combo.itemIds.empty())
        field.setValue(Value(combo.itemIds.front()));
    }
    return page.clickAction("actSave");
  }

  std::int64_t idOf(const MasterDataPageSpec& spec, const std::string& code) {
    return scalar("select id from " + spec.table + " where code = '" + code + "'").asInteger();
  }
};

TEST_F(MasterDataPages, EveryPageAddsEditsRefusesATakenCodeAndAStaleRowAndDeletes) {
  for (const MasterDataPageSpec& spec : plugs::coreapp::jczl::masterDataSpecs()) {
    SCOPED_TRACE(spec.code + " " + spec.caption);
    TMasterDataForm* page = open(spec.code);
    ASSERT_NE(page, nullptr);
    ASSERT_EQ(save(*page, "actAdd", "T1", kHostile), host::Outcome::Done) << lastEvent();
    const std::int64_t id = idOf(spec, "T1");
    ASSERT_NE(id, 0);
    EXPECT_EQ(page->cdsEdit.fieldByName("id").asInteger(), id);  // the new row is focused
    std::string textField, moneyField;
    for (const auto& f : spec.fields) {
      if (f.kind == FieldKind::Text && textField.empty()) textField = f.field;
      if (f.kind == FieldKind::Money && moneyField.empty()) moneyField = f.field;
    }
    EXPECT_EQ(
        scalar("select name from " + spec.table + " where id = " + std::to_string(id)).asText(),
        kHostile);
    if (!moneyField.empty()) {
      EXPECT_EQ(scalar("select " + moneyField + " from " + spec.table +
                       " where id = " + std::to_string(id))
                    .asText(),
                "12.3456");
    }
    // 修改 rewrites it and raises its version.
    ASSERT_EQ(save(*page, "actEdit", "T1", "改过的名称"), host::Outcome::Done) << lastEvent();
    EXPECT_EQ(
        rowTexts("select name, version from " + spec.table + " where id = " + std::to_string(id)),
        std::vector<std::string>{"改过的名称|1"});
    // A second row may not take the code, whatever its case or trailing blanks.
    EXPECT_EQ(save(*page, "actAdd", "t1 ", "另一行"), host::Outcome::Aborted);
    EXPECT_TRUE(saidMessage("编号“t1 ”已存在，请换一个编号"));
    EXPECT_EQ(countOf(spec.table + " where name = '另一行'"), 0);
    ASSERT_EQ(page->clickAction("actCancel"), host::Outcome::Done);
    // Someone else saved the row after it was read: refused, reloaded.
    ASSERT_TRUE(page->cdsList.locate("id", Value(id)));
    ASSERT_EQ(page->clickAction("actEdit"), host::Outcome::Done);
    query("update " + spec.table +
          " set name = '别人改的', version = version + 1 where id = " + std::to_string(id));
    page->cdsEdit.fieldByName("name").setValue(Value("我改的"));
    EXPECT_EQ(page->clickAction("actSave"), host::Outcome::Aborted);
    EXPECT_TRUE(saidMessage("当前数据状态已改变，已为您刷新数据，请重试."));
    EXPECT_FALSE(page->editing());
    EXPECT_EQ(page->cdsEdit.fieldByName("name").asString(), "别人改的");
    // Nothing names it: 删除 removes it (every reference check of the page ran).
    ui.queueAnswer(host::mrOK);
    ASSERT_EQ(page->clickAction("actDelete"), host::Outcome::Done) << lastEvent();
    EXPECT_EQ(countOf(spec.table + " where id = " + std::to_string(id)), 0);
    if (!textField.empty()) {
      EXPECT_EQ(countOf(spec.table + " where " + textField + " like '%:orgid%'"), 0);
    }
  }
}

TEST_F(MasterDataPages, ARowInUseIsDisabledNotDeletedAndLeavesTheLists) {
  struct Case {
    const char* code;
    const char* use;  // names row {id}
  };
  for (const Case& c :
       {Case{"1201",
             "insert into vt_b_ygbmk(orgid, code, name, ck_id) values ('0001', 'U', 'U', {id})"},
        Case{"1203", "update vt_b_ckbmk set kh_id = {id}"},
        Case{"1204", "insert into vt_b_khxyj(orgid, kh_id, xm_id, dj) values ('0001', 1, {id}, 1)"},
        Case{"1205", "insert into vt_b_xmbmk_hc(orgid, xm_id, sp_id) values ('0001', 1, {id})"},
        Case{"1209",
             "insert into vt_b_spbmk(orgid, code, name, p1) values ('0001', 'U', 'U', {id})"}}) {
    const MasterDataPageSpec& spec = *plugs::coreapp::jczl::masterDataSpec(c.code);
    SCOPED_TRACE(spec.caption);
    TMasterDataForm* page = open(c.code);
    ASSERT_NE(page, nullptr);
    ASSERT_EQ(save(*page, "actAdd", "U1", "在用的"), host::Outcome::Done) << lastEvent();
    const std::string id = std::to_string(idOf(spec, "U1"));
    std::string use = c.use;
    use.replace(use.find("{id}"), 4, id);
    query(use);
    ui.queueAnswer(host::mrOK);
    ui.queueAnswer(host::mrOK);
    ASSERT_EQ(page->clickAction("actDelete"), host::Outcome::Done) << lastEvent();
    EXPECT_TRUE(saidMessage("“在用的”已被使用，不能删除。是否停用？"));
    EXPECT_EQ(rowTexts("select isdel from " + spec.table + " where id = " + id),
              std::vector<std::string>{"True"});
    EXPECT_EQ(page->cdsList.fieldByName("zt").asString(), "停用");
    page->updateActions();
    EXPECT_FALSE(page->action("actDisable").enabled);
    ASSERT_EQ(page->clickAction("actEnable"), host::Outcome::Done) << lastEvent();
    EXPECT_EQ(rowTexts("select isdel from " + spec.table + " where id = " + id),
              std::vector<std::string>{"False"});
  }
}

TEST_F(MasterDataPages, RightsPerAction) {
  const auto signIn = [this](std::set<std::string> rights) {
    host.rights = {};
    host.rights.codes = std::move(rights);
  };
  signIn({"1100"});
  EXPECT_EQ(open("1205"), nullptr);
  EXPECT_TRUE(saidMessage(std::string(host::kNoRightText)));
  signIn({"1205"});  // may look, nothing more
  TMasterDataForm* page = open("1205");
  ASSERT_NE(page, nullptr);
  EXPECT_EQ(save(*page, "actAdd", "R1", "看看"), host::Outcome::Aborted);
  signIn({"1205", "1205_01"});  // may add, not change or delete
  ASSERT_EQ(save(*page, "actAdd", "R1", "新加的"), host::Outcome::Done) << lastEvent();
  EXPECT_EQ(save(*page, "actEdit", "R1", "改名"), host::Outcome::Aborted);
  ui.queueAnswer(host::mrOK);
  EXPECT_EQ(page->clickAction("actDelete"), host::Outcome::Aborted);
  EXPECT_EQ(page->clickAction("actDisable"), host::Outcome::Aborted);
  EXPECT_EQ(rowTexts("select name, isdel from vt_b_spbmk where code = 'R1'"),
            std::vector<std::string>{"新加的|False"});
}

}  // namespace
