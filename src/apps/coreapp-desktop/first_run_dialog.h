// FirstRunDialog: what the desktop shows when the database holds no branch yet — the
// shop's name, its first store, the owner's name and his password typed twice. OK sets
// the shop up (host/services/first_run.h) and closes; a refusal stays in the dialog.
#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;

namespace db {
class Connection;
}  // namespace db

namespace desktop {

class FirstRunDialog : public QDialog {
 public:
  FirstRunDialog(db::Connection& db, QWidget* parent = nullptr);

  //! Checks the fields and sets the shop up; false (the reason shown) when refused.
  bool setUp();

 private:
  db::Connection& db_;
  QLineEdit* shop_;
  QLineEdit* store_;
  QLineEdit* owner_;
  QLineEdit* password_;
  QLineEdit* password2_;
  QLabel* note_;
};

}  // namespace desktop
