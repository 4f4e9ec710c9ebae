// The form model's dispatcher: Update decides whether a click runs, the silent abort
// ends a handler quietly, other failures reach the caller, and bound controls read and
// write their dataset field.
#include <gtest/gtest.h>

#include <stdexcept>

#include "core/abort.h"
#include "dataset/client_data_set.h"
#include "host/forms/form_model.h"

namespace {

using host::Control;
using host::ControlKind;
using host::FormModel;
using host::Outcome;

TEST(FormModelTest, ClickRunsOnlyWhatUpdateLeavesEnabled) {
  FormModel form("TTest", "测试");
  bool allowed = false;
  int runs = 0;
  host::Action& a = form.addAction("actGo", "执行");
  a.onUpdate = [&](host::Action& self) { self.enabled = allowed; };
  a.onExecute = [&](host::Action&) { ++runs; };
  EXPECT_EQ(form.clickAction("actGo"), Outcome::Disabled);
  EXPECT_EQ(runs, 0);
  allowed = true;
  EXPECT_EQ(form.clickAction("actGo"), Outcome::Done);
  EXPECT_EQ(runs, 1);
  a.visible = false;  // a hidden action cannot be clicked either
  EXPECT_EQ(form.clickAction("actGo"), Outcome::Disabled);
  a.execute();  // code calling OnExecute runs it regardless
  EXPECT_EQ(runs, 2);
}

TEST(FormModelTest, AbortEndsTheHandlerQuietlyOtherErrorsPropagate) {
  FormModel form("TTest", "测试");
  std::string trail;
  form.addAction("actAbort", "").onExecute = [&](host::Action&) {
    trail += "a";
    throw core::Abort();
  };
  form.addAction("actFail", "").onExecute = [&](host::Action&) { throw std::runtime_error("磁盘已满"); };
  Control& label = form.addControl(Control("lblx", ControlKind::Label));
  label.onDblClick = [&] {
    trail += "d";
    throw core::Abort();
  };
  EXPECT_EQ(form.clickAction("actAbort"), Outcome::Aborted);
  EXPECT_EQ(form.dblClickControl("lblx"), Outcome::Aborted);
  EXPECT_THROW(form.clickAction("actFail"), std::runtime_error);
  EXPECT_EQ(trail, "ad");
  EXPECT_THROW(form.clickAction("actMissing"), std::out_of_range);
}

TEST(FormModelTest, ClickFallsBackToTheButtonOfAButtonEdit) {
  FormModel form("TTest", "");
  std::string trail;
  Control& edit = form.addControl(Control("edtwldw", ControlKind::ButtonEdit, "往来单位："));
  edit.onButtonClick = [&] { trail += "button "; };
  EXPECT_EQ(form.clickControl("edtwldw"), Outcome::Done);
  edit.onClick = [&] { trail += "click "; };
  EXPECT_EQ(form.clickControl("edtwldw"), Outcome::Done);
  edit.enabled = false;
  EXPECT_EQ(form.clickControl("edtwldw"), Outcome::Disabled);
  EXPECT_EQ(trail, "button click ");
}

TEST(FormModelTest, BoundControlsShowAndWriteTheirField) {
  FormModel form("TTest", "");
  dataset::ClientDataSet ds("cdsMaster");
  ds.addField({"zy", dataset::FieldType::Text});
  ds.open();
  ds.append();
  ds.fieldByName("zy").setValue(core::Value("旧摘要"));
  ds.post();
  form.registerDataSet("cdsMaster", ds);
  Control c("edtzy", ControlKind::Edit, "摘要：");
  c.dataSet = "cdsMaster";
  c.dataField = "zy";
  int changes = 0;
  c.onChange = [&] { ++changes; };
  Control& bound = form.addControl(std::move(c));
  EXPECT_EQ(form.controlText(bound), "旧摘要");
  form.setControlText(bound, "新摘要");
  EXPECT_EQ(ds.state(), dataset::DataSetState::Edit);  // typing puts a browsing row into edit
  EXPECT_EQ(ds.fieldByName("zy").asString(), "新摘要");
  EXPECT_EQ(changes, 1);
  host::FormDescription d = form.describe();
  ASSERT_EQ(d.controls.size(), 1u);
  EXPECT_EQ(d.controls[0].text, "新摘要");
  EXPECT_EQ(d.dataSets, std::vector<std::string>{"cdsMaster"});
}

}  // namespace
