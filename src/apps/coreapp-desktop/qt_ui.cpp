// QtUi: each request becomes a modal window; the answer maps back to the host's modal
// results. Button texts are the shop's language, not the toolkit's.
#include "apps/coreapp-desktop/qt_ui.h"

#include <QApplication>
#include <QDialog>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>
#include <QVBoxLayout>

#include "apps/coreapp-desktop/form_view.h"
#include "apps/coreapp-desktop/host_dialog_windows.h"
#include "apps/coreapp-desktop/lookup_dialog.h"
#include "apps/coreapp-desktop/print_preview.h"
#include "core/abort.h"
#include "host/forms/base_form.h"

namespace desktop {

namespace {

QString qs(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<int>(s.size())); }

QMessageBox::Icon iconOf(int type) {
  switch (type) {
    case host::mtError:
      return QMessageBox::Critical;
    case host::mtConfirmation:
      return QMessageBox::Question;
    default:
      return QMessageBox::Information;
  }
}

// The window of a modal form: Esc and the close box ask the form first, as its own
// close button does, so unsaved edits are never closed away.
class ModalFormDialog : public QDialog {
 public:
  using QDialog::QDialog;
  FormView* view = nullptr;
  host::TBaseForm* form = nullptr;

  void reject() override {
    if (view != nullptr && form != nullptr && !form->isClosed()) {
      view->run([this] {
        if (!form->CloseQuery()) throw core::Abort();
        form->Close();
      });
      if (!form->isClosed() && form->ModalResult == host::mrNone) return;  // stays
    }
    QDialog::reject();
  }
};

}  // namespace

QWidget* QtUi::parent() const {
  if (QWidget* modal = QApplication::activeModalWidget()) return modal;
  if (QWidget* active = QApplication::activeWindow()) return active;
  return main_;
}

QString windowTitleOf(const std::string& caption) {
  return qs(caption.substr(0, caption.find('|')));
}

int QtUi::messageBox(std::string_view text, std::string_view caption, int type,
                     host::MsgButtons buttons) {
  QMessageBox box(iconOf(type), qs(caption), qs(text), QMessageBox::NoButton, parent());
  const struct {
    host::MsgButtons flag;
    QMessageBox::ButtonRole role;
    const char* text;
    int result;
  } kinds[] = {{host::mbOK, QMessageBox::AcceptRole, "确定", host::mrOK},
               {host::mbYes, QMessageBox::YesRole, "是", host::mrYes},
               {host::mbNo, QMessageBox::NoRole, "否", host::mrNo},
               {host::mbCancel, QMessageBox::RejectRole, "取消", host::mrCancel}};
  std::vector<std::pair<QAbstractButton*, int>> results;
  for (const auto& k : kinds)
    if ((buttons & k.flag) != 0) results.emplace_back(box.addButton(k.text, k.role), k.result);
  if (results.empty())
    results.emplace_back(box.addButton("确定", QMessageBox::AcceptRole), host::mrOK);
  box.setDefaultButton(static_cast<QPushButton*>(results.front().first));
  box.exec();
  for (const auto& [button, result] : results)
    if (box.clickedButton() == button) return result;
  // Closed without a button (Esc, the window's close box): the cancelling answer.
  return (buttons & host::mbCancel) ? host::mrCancel
         : (buttons & host::mbNo)   ? host::mrNo
                                    : host::mrOK;
}

std::string QtUi::lookup(const host::LookupRequest& request) {
  LookupDialog dlg(qs(request.caption), request.candidates, request.multi, parent());
  if (!request.filter.empty()) dlg.search(qs(request.filter));
  if (dlg.shownRows() == 0) dlg.search({});  // the query already applied the filter text
  return dlg.exec() == QDialog::Accepted ? dlg.chosenJson() : std::string();
}

int QtUi::showModal(host::FormModel& form) {
  auto* base = dynamic_cast<host::TBaseForm*>(&form);
  ModalFormDialog dlg(parent());
  dlg.setWindowTitle(windowTitleOf(form.caption));
  auto* layout = new QVBoxLayout(&dlg);
  layout->setContentsMargins(0, 0, 0, 0);
  auto* view = new FormView(form, &dlg);
  layout->addWidget(view);
  dlg.view = view;
  dlg.form = base;
  dlg.resize(1000, 680);
  view->onFinished = [&dlg] { dlg.done(QDialog::Accepted); };
  if (!view->finished()) dlg.exec();
  dlg.view = nullptr;
  delete view;  // before the form goes: the view watches its datasets
  if (base != nullptr && base->ModalResult != host::mrNone) return base->ModalResult;
  return host::mrCancel;
}

host::DialogReply QtUi::hostDialog(std::string_view className, const host::DialogArgs& args) {
  return runHostDialog(className, args, parent());
}

void QtUi::printed(const host::PrintJob& job) {
  std::string title;
  for (const auto& [name, value] : job.values)
    if (name == "表单名称") title = value;
  // The print service wrote the document; only the preview's print button prints it.
  if (!previewPrints) {
    if (onStatus) onStatus("打印文件已生成：" + qs(job.file));
    return;
  }
  PrintPreview preview(qs(job.file), qs(title.empty() ? job.code : title), parent());
  preview.exec();
  if (onStatus) onStatus((preview.printed() ? "已打印：" : "已预览：") + qs(job.file));
}

void QtUi::drawerOpened() {
  if (onStatus) onStatus("钱箱已打开");
}

void QtUi::log(std::string_view tag, std::string_view text) {
  if (onLog) onLog(tag, text);
}

bool QtUi::progress(std::string_view caption) {
  if (progress_ == nullptr) {
    progress_ = new QProgressDialog(parent());
    progress_->setWindowTitle(QString::fromUtf8(caption.data(), static_cast<int>(caption.size())));
    progress_->setLabelText("正在查询，请稍候…");
    progress_->setCancelButtonText("取消");
    progress_->setRange(0, 0);  // a query cannot tell how far it is
    progress_->setWindowModality(Qt::WindowModal);
    progress_->setAutoClose(false);
    progressSince_.start();
  }
  if (!progress_->isVisible() && progressSince_.elapsed() >= 500) progress_->show();
  QApplication::processEvents();
  return !progress_->wasCanceled();
}

void QtUi::progressDone() { delete progress_.data(); }

}  // namespace desktop
