// FormView on a small form of its own: buttons follow the actions' Update handlers,
// a click runs through the form's dispatcher (a failure becomes an error box, the
// silent abort stays silent), typed text reaches the form once, status labels show
// their text and colour, a modal result finishes the view, and only a unit label shares
// its box's cell.
#include "apps/coreapp-desktop/form_view.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <memory>
#include <stdexcept>

#include "apps/coreapp-desktop/action_bar.h"
#include "core/abort.h"
#include "host/forms/base_form.h"
#include "host/host.h"
#include "host/scripted_ui.h"

namespace {

using host::Control;
using host::ControlKind;

class SmallForm : public host::TBaseForm {
 public:
  SmallForm() : TBaseForm(nullptr, "TSmallForm", "测试窗口") {}

  void FormCreate() override {
    host::Action& save = addAction("actSave", "保存");
    save.onUpdate = [this](host::Action& a) { a.enabled = ready; };
    save.onExecute = [this](host::Action&) { ++saves; };
    addAction("actFail", "失败").onExecute = [](host::Action&) {
      throw std::runtime_error("磁盘已满");
    };
    addAction("actQuiet", "放弃").onExecute = [](host::Action&) { throw core::Abort(); };
    addAction("actOK", "确定").onExecute = [this](host::Action&) { ModalResult = host::mrOK; };
    addControl(Control("edtname", ControlKind::Edit, "名称：")).onChange = [this] { ++changes; };
    addControl(Control("edtpwd", ControlKind::Edit, "密码：")).format = "*";
    Control& status = addControl(Control("cxLabel3", ControlKind::Label));
    status.text = "未审核";
    status.color = "teal";
    addControl(Control("edtremark", ControlKind::Edit, "备注："));
    addControl(Control("lblgroup", ControlKind::Label, "明细项目（可编辑）"));
    addControl(Control("edthours", ControlKind::Edit, "提前："));
    addControl(Control("lblunit", ControlKind::Label, "小时"));
  }

  bool ready = false;
  int saves = 0;
  int changes = 0;
};

class FormViewTest : public ::testing::Test {
 protected:
  FormViewTest() {
    host.ui = &ui;
    form.initialize();
    view = std::make_unique<desktop::FormView>(form);
  }

  QAction* button(const char* name) { return view->actionBar()->button(name); }
  int messages() const {
    int n = 0;
    for (const std::string& e : ui.transcript())
      n += e.find("\"event\":\"message\"") != std::string::npos;
    return n;
  }

  host::ScriptedUi ui;
  host::Host host;
  host::HostScope scope{host};
  SmallForm form;
  std::unique_ptr<desktop::FormView> view;
};

TEST_F(FormViewTest, ButtonsFollowTheUpdateHandlers) {
  EXPECT_FALSE(button("actSave")->isEnabled());
  button("actSave")->trigger();
  EXPECT_EQ(form.saves, 0);
  form.ready = true;
  view->refresh();
  EXPECT_TRUE(button("actSave")->isEnabled());
  button("actSave")->trigger();
  EXPECT_EQ(form.saves, 1);
  form.ready = false;
  button("actFail")->trigger();  // any event refreshes every button
  EXPECT_FALSE(button("actSave")->isEnabled());
}

TEST_F(FormViewTest, FailuresAreShownAndTheSilentAbortIsNot) {
  button("actQuiet")->trigger();
  EXPECT_EQ(messages(), 0);
  button("actFail")->trigger();
  ASSERT_EQ(messages(), 1);
  EXPECT_NE(ui.transcript().back().find("\"type\":1"), std::string::npos);
  EXPECT_NE(ui.transcript().back().find("磁盘已满"), std::string::npos);
}

TEST_F(FormViewTest, TypedTextReachesTheFormOnceAndLabelsFollowTheForm) {
  auto* edit = view->controlWidget("edtname")->findChild<QLineEdit*>();
  ASSERT_NE(edit, nullptr);
  edit->setText("华宇");
  Q_EMIT edit->editingFinished();
  EXPECT_EQ(form.control("edtname").text, "华宇");
  EXPECT_EQ(form.changes, 1);
  Q_EMIT edit->editingFinished();  // nothing new typed
  EXPECT_EQ(form.changes, 1);
  form.control("edtname").text = "蓝天";  // the form changes it: the view follows
  view->refresh();
  EXPECT_EQ(edit->text(), "蓝天");
  EXPECT_EQ(form.changes, 1);
  // A box whose format is "*" hides what is typed; a plain one does not.
  auto* pwd = view->controlWidget("edtpwd")->findChild<QLineEdit*>();
  ASSERT_NE(pwd, nullptr);
  EXPECT_EQ(pwd->echoMode(), QLineEdit::Password);
  EXPECT_EQ(edit->echoMode(), QLineEdit::Normal);
  pwd->setText("123456");
  Q_EMIT pwd->editingFinished();
  EXPECT_EQ(form.control("edtpwd").text, "123456");
  // A status label shows its text and colour, and follows the form's changes.
  auto* label = qobject_cast<QLabel*>(view->controlWidget("cxLabel3"));
  ASSERT_NE(label, nullptr);
  EXPECT_EQ(label->text(), "未审核");
  EXPECT_TRUE(label->styleSheet().contains("teal"));
  form.control("cxLabel3").text = "已审核";
  form.control("cxLabel3").color = "red";
  view->refresh();
  EXPECT_EQ(label->text(), "已审核");
  EXPECT_TRUE(label->styleSheet().contains("red"));
}

TEST_F(FormViewTest, AModalResultFinishesTheView) {
  bool finished = false;
  view->onFinished = [&] { finished = true; };
  button("actOK")->trigger();
  EXPECT_FALSE(finished);  // not shown modally: a result alone does not close a page
  form.Close();
  view->refresh();
  EXPECT_TRUE(view->finished());
}

// Header layout: a two-character unit label keeps to the box before it; a longer label is
// a text of its own and leaves that box its whole cell.
TEST_F(FormViewTest, OnlyAUnitLabelSharesTheBoxCell) {
  view->resize(1200, 300);
  view->show();
  auto rect = [&](const char* name) {
    QWidget* w = view->controlWidget(name);
    return QRect(w->mapTo(view.get(), QPoint(0, 0)), w->size());
  };
  // The unit sits right after its box; the long label does not squeeze the remark box.
  EXPECT_EQ(rect("edthours").center().y(), rect("lblunit").center().y());
  EXPECT_LT(rect("lblunit").left() - rect("edthours").right(), 20);
  EXPECT_GT(rect("edtremark").width(), rect("edthours").width());
}

}  // namespace
