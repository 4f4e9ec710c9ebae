// QtUi: the host's Ui for a person at the desktop. Message boxes with the form's
// caption and type, lookup windows, forms shown modally (rendered by FormView), the
// host's own dialogs, a preview of every printed document, a progress window with
// 取消 while a long report runs, and the drawer and debug log notices handed to the
// main window. Every window opens over the active one.
#pragma once

#include <QElapsedTimer>
#include <QPointer>
#include <QProgressDialog>
#include <QString>
#include <functional>
#include <string>
#include <string_view>

#include "host/ui.h"

class QWidget;

namespace desktop {

//! A form's caption as a window title: the first of its '|'-separated names
//! ("订单选择|订单引用|订单选择器" is titled "订单选择").
QString windowTitleOf(const std::string& caption);

class QtUi : public host::Ui {
 public:
  //! Windows open over `main` when no other window of the program is active.
  void setMainWindow(QWidget* main) { main_ = main; }
  //! Receives short notices for the status line ("钱箱已打开").
  std::function<void(const QString&)> onStatus;
  //! Receives the debug log (SQL batches with their tags).
  std::function<void(std::string_view tag, std::string_view text)> onLog;
  //! False: printed documents are not previewed (tests).
  bool previewPrints = true;

  int messageBox(std::string_view text, std::string_view caption, int type,
                 host::MsgButtons buttons) override;
  std::string lookup(const host::LookupRequest& request) override;
  int showModal(host::FormModel& form) override;
  host::DialogReply hostDialog(std::string_view className, const host::DialogArgs& args) override;
  void printed(const host::PrintJob& job) override;
  void drawerOpened() override;
  void log(std::string_view tag, std::string_view text) override;
  //! Shows a busy progress window under the caption (after half a second, so a quick
  //! report never flashes one) and keeps the screen alive; false once 取消 was pressed.
  bool progress(std::string_view caption) override;
  void progressDone() override;
  //! The progress window while a long query runs (null otherwise; tests).
  QProgressDialog* progressWindow() const { return progress_; }

 private:
  QWidget* parent() const;

  QWidget* main_ = nullptr;
  QPointer<QProgressDialog> progress_;
  QElapsedTimer progressSince_;
};

}  // namespace desktop
