// The login window: on first start it makes the demo database and offers its stores and
// operators (the chosen store's own operators first); a chosen file that is not there
// is refused with a message and leaves nobody to sign in.
#include "apps/coreapp-desktop/login_dialog.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTimer>

#include "db/embedded_connection.h"

namespace {

TEST(LoginDialog, FirstStartMakesTheDemoDatabaseAndOffersItsPeople) {
  QTemporaryDir dir;
  desktop::LoginDialog login(dir.filePath("demo.db"), true);
  ASSERT_FALSE(login.lists().stores.empty());
  EXPECT_EQ(login.storeId(), login.lists().stores.front().id);
  ASSERT_NE(login.operatorId(), 0);
  auto storeOfOperator = [&] {
    for (const desktop::LoginEntry& op : login.lists().operators)
      if (op.id == login.operatorId()) return op.ck_id;
    return std::int64_t{-1};
  };
  EXPECT_EQ(storeOfOperator(), login.storeId());
  auto* stores = login.findChildren<QComboBox*>().front();
  stores->setCurrentIndex(1);  // the other store: its operators come first now
  EXPECT_EQ(storeOfOperator(), login.lists().stores[1].id);
  EXPECT_NE(login.takeConnection(), nullptr);
}

TEST(LoginDialog, MissingChosenFileIsRefusedWithAMessage) {
  QTemporaryDir dir;
  QString shown;
  QTimer::singleShot(0, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    ASSERT_NE(box, nullptr);
    shown = box->text();
    box->accept();
  });
  desktop::LoginDialog login(dir.filePath("none.db"), false);
  EXPECT_TRUE(shown.contains("none.db"));
  EXPECT_EQ(login.operatorId(), 0);
  EXPECT_EQ(login.takeConnection(), nullptr);
}

}  // namespace
