// Host dialog windows. Each returns the reply the host service reads: the reason text,
// the chosen customer id, the bill options' "newbill" flag and configuration text, the
// file name, the export format, or the entry form's fields by name.
#include "apps/coreapp-desktop/host_dialog_windows.h"

#include <QCheckBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStringList>
#include <QVBoxLayout>

#include "apps/coreapp-desktop/lookup_dialog.h"
#include "core/json.h"
#include "db/connection.h"
#include "host/host.h"
#include "host/services/sys_services.h"
#include "host/sys_auth.h"

namespace desktop {

namespace {

QString qs(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<int>(s.size())); }

std::string arg(const host::DialogArgs& args, const char* key) {
  auto it = args.find(key);
  return it == args.end() ? std::string() : it->second;
}

// A dialog with a body layout and OK / Cancel buttons under it.
QDialogButtonBox* addButtons(QDialog& dlg, QLayout* body) {
  auto* layout = new QVBoxLayout(&dlg);
  layout->addLayout(body);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dlg);
  buttons->button(QDialogButtonBox::Ok)->setText("确定");
  buttons->button(QDialogButtonBox::Cancel)->setText("取消");
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dlg, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dlg, &QDialog::reject);
  layout->addWidget(buttons);
  return buttons;
}

// The new password typed twice, masked; OK only when both agree. A "note" argument says
// why it is asked (the first password of a database).
host::DialogReply newPassword(const host::DialogArgs& args, QWidget* parent) {
  QDialog dlg(parent);
  dlg.setObjectName("Tpasswordform");
  dlg.setWindowTitle("设置密码 - " + qs(arg(args, "name")));
  auto* form = new QFormLayout;
  auto* first = new QLineEdit(&dlg);
  auto* second = new QLineEdit(&dlg);
  for (QLineEdit* e : {first, second}) e->setEchoMode(QLineEdit::Password);
  first->setObjectName("password");
  second->setObjectName("password2");
  auto* note = new QLabel(qs(arg(args, "note")), &dlg);
  note->setObjectName("note");
  form->addRow("新密码：", first);
  form->addRow("确认密码：", second);
  form->addRow(note);
  QDialogButtonBox* buttons = addButtons(dlg, form);
  QObject::disconnect(buttons, &QDialogButtonBox::accepted, &dlg, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dlg, [&] {
    if (first->text() == second->text())
      dlg.accept();
    else
      note->setText("两次输入的密码不一致");
  });
  host::DialogReply reply;
  reply.result = dlg.exec() == QDialog::Accepted ? host::mrOK : host::mrCancel;
  if (reply.result == host::mrOK) reply.text = first->text().toStdString();
  return reply;
}

host::DialogReply reason(const host::DialogArgs& args, QWidget* parent) {
  host::DialogReply reply;
  bool ok = false;
  const QString title = qs(arg(args, "title"));
  QString text = QInputDialog::getMultiLineText(parent, title.isEmpty() ? "原因" : title,
                                                "请输入原因：", {}, &ok);
  reply.result = ok ? host::mrOK : host::mrCancel;
  reply.text = text.toStdString();
  return reply;
}

// The store's default customer is picked from the customers of the store's branch.
host::DialogReply defaultCustomer(QWidget* parent) {
  host::DialogReply reply;
  db::BatchResult found = host::currentHost().db().execBatch(
      "select id, code, name, tel, lxr from vt_b_khbmk where orgid = :orgid and isnull(isdel, 0) = "
      "0 order by isort, code",
      {{"orgid", core::Value(host::sysAuth().orgid)}});
  if (!found.ok() || found.resultSets.empty()) {
    host::MessageMyDlg(found.errorMessage(), "提示", host::mtError);
    return reply;
  }
  LookupDialog dlg("设置默认客户", found.resultSets.back(), false, parent);
  if (dlg.exec() != QDialog::Accepted) return reply;
  const std::vector<core::JsonRow> chosen = core::parseSelection(dlg.chosenJson());
  if (!chosen.empty()) reply.kh_id = chosen.front().value("id").asInteger();
  reply.result = reply.kh_id != 0 ? host::mrOK : host::mrCancel;
  return reply;
}

host::DialogReply billOptions(const host::DialogArgs& args, QWidget* parent) {
  host::DialogReply reply;
  QDialog dlg(parent);
  dlg.setWindowTitle("单据设置");
  auto* body = new QVBoxLayout;
  auto* newbill = new QCheckBox("打开时直接新建单据", &dlg);
  newbill->setChecked(host::currentHost().billOptionsOf(arg(args, "code")).newbill == "1");
  body->addWidget(newbill);
  body->addWidget(new QLabel("单据配置（JSON）：", &dlg));
  auto* config = new QPlainTextEdit(qs(arg(args, "config")), &dlg);
  body->addWidget(config);
  addButtons(dlg, body);
  dlg.resize(560, 420);
  if (dlg.exec() != QDialog::Accepted) return reply;
  reply.result = host::mrOK;
  reply.values.emplace("newbill", newbill->isChecked() ? "1" : "0");
  if (config->toPlainText().toStdString() != arg(args, "config"))
    reply.values["config"] = config->toPlainText().toStdString();
  return reply;
}

host::DialogReply openFile(const host::DialogArgs& args, QWidget* parent) {
  host::DialogReply reply;
  const QString file =
      QFileDialog::getOpenFileName(parent, "打开", {}, fileFilter(arg(args, "filter")));
  reply.result = file.isEmpty() ? host::mrCancel : host::mrOK;
  reply.file = file.toStdString();
  return reply;
}

// 导入 on a master-data page: one existing sheet, CSV or XLSX.
host::DialogReply importFile(const host::DialogArgs& args, QWidget* parent) {
  host::DialogReply reply;
  QFileDialog dlg(parent, qs(arg(args, "title")), {},
                  "表格 (*.csv *.xlsx);;CSV 文本 (*.csv);;Excel 工作簿 (*.xlsx)");
  dlg.setObjectName("TImportFileDialog");
  dlg.setAcceptMode(QFileDialog::AcceptOpen);
  dlg.setFileMode(QFileDialog::ExistingFile);
  if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return reply;
  reply.result = host::mrOK;
  reply.file = dlg.selectedFiles().front().toStdString();
  return reply;
}

// 导出: a workbook (typed cells, the default) or CSV text for any spreadsheet.
host::DialogReply exportFormat(const host::DialogArgs& args, QWidget* parent) {
  host::DialogReply reply;
  QDialog dlg(parent);
  dlg.setObjectName("TExportDialog");
  dlg.setWindowTitle("导出 - " + qs(arg(args, "title")));
  auto* body = new QVBoxLayout;
  auto* xlsx = new QRadioButton("Excel 工作簿 (*.xlsx)", &dlg);
  auto* csv = new QRadioButton("CSV 文本 (*.csv，UTF-8)", &dlg);
  xlsx->setObjectName("xlsx");
  csv->setObjectName("csv");
  xlsx->setChecked(true);
  body->addWidget(xlsx);
  body->addWidget(csv);
  addButtons(dlg, body);
  if (dlg.exec() != QDialog::Accepted) return reply;
  reply.result = host::mrOK;
  reply.values["format"] = xlsx->isChecked() ? "xlsx" : "csv";
  return reply;
}

// New customer or supplier: name, code (empty = the next free one), phone, contact, address.
host::DialogReply entry(std::string_view className, QWidget* parent) {
  host::DialogReply reply;
  QDialog dlg(parent);
  dlg.setWindowTitle(className == "Tgysbmkeditform" ? "新供应商" : "新客户");
  auto* form = new QFormLayout;
  const struct {
    const char* key;
    const char* caption;
  } fields[] = {{"name", "名称："},
                {"code", "编号："},
                {"tel", "电话："},
                {"lxr", "联系人："},
                {"addr", "地址："}};
  std::vector<std::pair<std::string, QLineEdit*>> edits;
  for (const auto& f : fields) {
    auto* edit = new QLineEdit(&dlg);
    form->addRow(f.caption, edit);
    edits.emplace_back(f.key, edit);
  }
  addButtons(dlg, form);
  if (dlg.exec() != QDialog::Accepted) return reply;
  reply.result = host::mrOK;
  for (const auto& [key, edit] : edits) reply.values[key] = edit->text().trimmed().toStdString();
  return reply;
}

// A dialog this shell has no window for: say what was asked, let the user answer.
host::DialogReply plain(std::string_view className, const host::DialogArgs& args, QWidget* parent) {
  host::DialogReply reply;
  QDialog dlg(parent);
  dlg.setWindowTitle(qs(className));
  auto* body = new QVBoxLayout;
  QStringList lines;
  for (const auto& [key, value] : args) lines << qs(key) + "：" + qs(value);
  body->addWidget(new QLabel(lines.isEmpty() ? qs(className) : lines.join("\n"), &dlg));
  auto* text = new QLineEdit(&dlg);
  body->addWidget(text);
  addButtons(dlg, body);
  if (dlg.exec() != QDialog::Accepted) return reply;
  reply.result = host::mrOK;
  reply.text = text->text().toStdString();
  return reply;
}

}  // namespace

QString fileFilter(std::string_view hostFilter) {
  const QStringList parts = qs(hostFilter).split('|');
  QStringList out;
  for (int i = 0; i + 1 < parts.size(); i += 2)
    out << parts[i] + " (" + QString(parts[i + 1]).replace(';', ' ') + ")";
  return out.isEmpty() ? QString("所有文件 (*)") : out.join(";;");
}

host::DialogReply runHostDialog(std::string_view className, const host::DialogArgs& args,
                                QWidget* parent) {
  if (className == "Tpasswordform") return newPassword(args, parent);
  if (className == "TAuditingDataForm") return reason(args, parent);
  if (className == "Tckbmkdefkhinfoform") return defaultCustomer(parent);
  if (className == "Tbilloptionsform") return billOptions(args, parent);
  if (className == "TOpenDialog") return openFile(args, parent);
  if (className == "TExportDialog") return exportFormat(args, parent);
  if (className == "TImportFileDialog") return importFile(args, parent);
  if (className == "Tkhbmkeditform" || className == "Tgysbmkeditform")
    return entry(className, parent);
  return plain(className, args, parent);
}

}  // namespace desktop
