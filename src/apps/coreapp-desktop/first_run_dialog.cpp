// FirstRunDialog: the password fields are masked and emptied once the shop is set up,
// so the typed text does not outlive the dialog's work.
#include "apps/coreapp-desktop/first_run_dialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "host/services/first_run.h"

namespace desktop {

FirstRunDialog::FirstRunDialog(db::Connection& db, QWidget* parent) : QDialog(parent), db_(db) {
  setWindowTitle("新店设置");
  auto* layout = new QVBoxLayout(this);
  auto* intro =
      new QLabel("这是一个新的数据库。请填写店名、第一家门店和店主，店主将拥有全部权限。", this);
  intro->setWordWrap(true);
  layout->addWidget(intro);
  auto* form = new QFormLayout;
  auto field = [this, form](const char* name, const char* caption, const QString& text) {
    auto* edit = new QLineEdit(text, this);
    edit->setObjectName(name);
    edit->setMinimumWidth(260);
    form->addRow(caption, edit);
    return edit;
  };
  shop_ = field("shop", "店名：", {});
  store_ = field("store", "门店：", "总店");
  owner_ = field("owner", "店主：", {});
  password_ = field("password", "密码：", {});
  password2_ = field("password2", "确认密码：", {});
  for (QLineEdit* e : {password_, password2_}) e->setEchoMode(QLineEdit::Password);
  layout->addLayout(form);
  note_ = new QLabel(this);
  note_->setObjectName("note");
  note_->setStyleSheet("color: red");
  layout->addWidget(note_);
  for (QLineEdit* e : {shop_, store_, owner_, password_, password2_})
    connect(e, &QLineEdit::textChanged, note_, &QLabel::clear);  // a refusal is for what was typed
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->button(QDialogButtonBox::Ok)->setText("开始使用");
  buttons->button(QDialogButtonBox::Cancel)->setText("取消");
  layout->addWidget(buttons);
  connect(buttons, &QDialogButtonBox::accepted, this, [this] {
    if (setUp()) accept();
  });
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

bool FirstRunDialog::setUp() {
  if (password_->text() != password2_->text()) {
    note_->setText("两次输入的密码不一致");
    return false;
  }
  host::FirstRunInput input;
  input.shop = shop_->text().toStdString();
  input.store = store_->text().toStdString();
  input.owner = owner_->text().toStdString();
  input.password = password_->text().toStdString();
  try {
    host::runFirstRun(db_, input);
  } catch (const std::exception& e) {
    note_->setText(QString::fromUtf8(e.what()));
    return false;
  }
  password_->clear();
  password2_->clear();
  return true;
}

}  // namespace desktop
