// LoginDialog: a database that cannot be opened, or holds no branch and the new shop's
// set-up is cancelled, leaves the dialog open with the reason shown, so the user can
// pick another file. The password box is emptied after every attempt.
#include "apps/coreapp-desktop/login_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

#include "apps/coreapp-desktop/first_run_dialog.h"
#include "apps/coreapp-desktop/host_dialog_windows.h"
#include "db/embedded_connection.h"
#include "db/pg_connection.h"
#include "host/services/first_run.h"
#include "host/services/operator_sign_in.h"

namespace desktop {

namespace {

QString qs(const std::string& s) { return QString::fromStdString(s); }

}  // namespace

LoginDialog::LoginDialog(const QString& dbPath, bool createDemo, QWidget* parent)
    : QDialog(parent) {
  setWindowTitle("登录");
  auto* layout = new QVBoxLayout(this);
  auto* form = new QFormLayout;
  auto* fileRow = new QHBoxLayout;
  file_ = new QLineEdit(this);
  file_->setReadOnly(true);
  file_->setMinimumWidth(320);
  auto* browse = new QToolButton(this);
  browse->setText("…");
  fileRow->addWidget(file_, 1);
  fileRow->addWidget(browse);
  form->addRow("数据库：", fileRow);
  server_ = new QLineEdit(this);
  server_->setObjectName("server");
  server_->setPlaceholderText("postgresql://用户@主机/数据库（回车连接）");
  form->addRow("服务器：", server_);
  stores_ = new QComboBox(this);
  operators_ = new QComboBox(this);
  form->addRow("门店：", stores_);
  form->addRow("操作员：", operators_);
  password_ = new QLineEdit(this);
  password_->setObjectName("password");
  password_->setEchoMode(QLineEdit::Password);
  form->addRow("密码：", password_);
  layout->addLayout(form);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->button(QDialogButtonBox::Ok)->setText("登录");
  buttons->button(QDialogButtonBox::Cancel)->setText("退出");
  layout->addWidget(buttons);
  connect(buttons, &QDialogButtonBox::accepted, this, [this] { trySignIn(); });
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(browse, &QToolButton::clicked, this, [this] { chooseFile(); });
  connect(server_, &QLineEdit::returnPressed, this, [this] {
    if (!server_->text().trimmed().isEmpty()) openFile(server_->text().trimmed(), false);
  });
  connect(stores_, &QComboBox::currentIndexChanged, this, [this] { fillOperators(); });
  openFile(dbPath, createDemo);
}

LoginDialog::~LoginDialog() = default;

void LoginDialog::openFile(const QString& path, bool createDemo) {
  if (!db::isServerUri(path.toStdString())) file_->setText(path);
  stores_->clear();
  operators_->clear();
  conn_.reset();
  lists_ = {};
  try {
    auto conn = openDatabase(path.toStdString(), createDemo);
    if (host::needsFirstRun(*conn)) {
      FirstRunDialog firstRun(*conn, this);
      if (firstRun.exec() != QDialog::Accepted)
        throw std::runtime_error("数据库中还没有分店资料，请先完成新店设置");
    }
    lists_ = readLoginLists(*conn);
    conn_ = std::move(conn);
    address_ = path.toStdString();
  } catch (const std::exception& e) {
    QMessageBox::warning(this, "提示",
                         "无法打开数据库 " + path + "：\n" + QString::fromUtf8(e.what()));
    return;
  }
  setWindowTitle("登录 - " + qs(lists_.orgName));
  for (const LoginEntry& s : lists_.stores)
    stores_->addItem(qs(s.name), QVariant::fromValue<qlonglong>(s.id));
  fillOperators();
  password_->setFocus();
}

void LoginDialog::chooseFile() {
  const QString path = QFileDialog::getOpenFileName(this, "选择数据库", file_->text(),
                                                    "数据库 (*.db *.sqlite);;所有文件 (*)");
  if (!path.isEmpty()) openFile(path, false);
}

// The operators of the chosen store first, then everyone else.
void LoginDialog::fillOperators() {
  operators_->clear();
  const std::int64_t store = storeId();
  for (int pass = 0; pass < 2; ++pass)
    for (const LoginEntry& op : lists_.operators)
      if ((op.ck_id == store) == (pass == 0))
        operators_->addItem(qs(op.code + " " + op.name), QVariant::fromValue<qlonglong>(op.id));
}

void LoginDialog::trySignIn() {
  if (!conn_ || storeId() == 0 || operatorId() == 0) return;
  const std::string password = password_->text().toStdString();
  password_->clear();
  try {
    if (checkPassword(*conn_, lists_, operatorId(), password) == host::SignInStep::SetOwnPassword &&
        !askOwnPassword())
      return;
  } catch (const std::exception& e) {
    QMessageBox::warning(this, "登录", QString::fromUtf8(e.what()));
    password_->setFocus();
    return;
  }
  accept();
}

// The owner of a database without any password yet is in once his own is kept: the
// masked dialog asks it twice; one too short is asked again, Cancel stays at the login.
bool LoginDialog::askOwnPassword() {
  const host::DialogArgs args = {{"name", operators_->currentText().toStdString()},
                                 {"note", "数据库还没有设置密码，请先设置您自己的登录密码"}};
  for (;;) {
    const host::DialogReply reply = runHostDialog("Tpasswordform", args, this);
    if (reply.result != host::mrOK) return false;
    try {
      setOwnPassword(*conn_, lists_, operatorId(), reply.text);
      return true;
    } catch (const host::SignInRefused&) {
      throw;  // someone else's password came first: the usual refusal
    } catch (const std::exception& e) {
      QMessageBox::warning(this, "设置密码", QString::fromUtf8(e.what()));
    }
  }
}

std::unique_ptr<db::Connection> LoginDialog::takeConnection() { return std::move(conn_); }

std::int64_t LoginDialog::storeId() const { return stores_->currentData().toLongLong(); }

std::int64_t LoginDialog::operatorId() const { return operators_->currentData().toLongLong(); }

}  // namespace desktop
