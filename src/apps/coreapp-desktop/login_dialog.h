// LoginDialog: the desktop's sign-in — the database file (the demo database unless the
// user picks another) or, typed beside it, a shop server's postgresql:// address; the
// store and the operator, both read from that database, and the operator's password.
// A database without a branch first offers the new shop's set-up (FirstRunDialog); one
// without any password yet has its owner set his own before he is in.
#pragma once

#include <QDialog>
#include <memory>

#include "apps/coreapp-desktop/session.h"

class QComboBox;
class QLineEdit;

namespace desktop {

class LoginDialog : public QDialog {
 public:
  //! `createDemo`: a missing `dbPath` is made as the demo database.
  LoginDialog(const QString& dbPath, bool createDemo, QWidget* parent = nullptr);
  ~LoginDialog() override;

  //! The open database (null when it could not be opened); the caller takes it.
  std::unique_ptr<db::Connection> takeConnection();
  const LoginLists& lists() const { return lists_; }
  //! The open database's file or postgresql:// address.
  const std::string& address() const { return address_; }
  std::int64_t storeId() const;
  std::int64_t operatorId() const;
  //! Checks the typed password of the chosen operator; accepts the dialog when it is
  //! right, else shows the refusal and empties the password box. The owner of a
  //! database without any password is accepted only after setting his own.
  void trySignIn();

 private:
  bool askOwnPassword();
  void openFile(const QString& path, bool createDemo);
  void chooseFile();
  void fillOperators();

  std::unique_ptr<db::Connection> conn_;
  LoginLists lists_;
  std::string address_;
  QLineEdit* file_;
  QLineEdit* server_;
  QComboBox* stores_;
  QComboBox* operators_;
  QLineEdit* password_;
};

}  // namespace desktop
