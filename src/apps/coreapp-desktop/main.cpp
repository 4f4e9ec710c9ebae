// coreapp-desktop: the desktop shell. Opens the demo database (made on first start in
// the user's data folder) or the file given with --db (with --demo: made as a demo
// database when missing), sets a new shop up when the database holds no branch, signs
// the user in with his password, shows the main window and makes the day's backup.
#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QStandardPaths>
#include <QTimer>
#include <exception>
#include <functional>
#include <optional>

#include "apps/coreapp-desktop/chinese_translations.h"
#include "apps/coreapp-desktop/login_dialog.h"
#include "apps/coreapp-desktop/main_window.h"
#include "apps/coreapp-desktop/qt_ui.h"
#include "db/embedded_connection.h"
#include "db/storage_fault.h"
#include "host/lookup/host_plugs.h"
#include "host/services/daily_backup.h"
#include "plugs/coreapp/package.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  // A file found damaged is refused at the login with the newest backup named: the
  // owner's backup folder is searched too, not only the database's own.
  db::setBackupFolder(host::backupFolderSetting());
  QApplication::setOrganizationName("coreapp");
  QApplication::setApplicationName("coreapp-desktop");
  desktop::installChineseTranslations(app);

  QCommandLineParser parser;
  parser.setApplicationDescription("coreapp desktop shell");
  parser.addHelpOption();
  const QCommandLineOption dbOption("db", "Database file (default: the demo database).", "FILE");
  const QCommandLineOption rightsOption(
      "rights", "Narrow the operator's rights (from the database) to these codes, comma separated.",
      "CODES");
  const QCommandLineOption demoOption("demo",
                                      "Make the --db file with the demo data when it is missing.");
  parser.addOption(dbOption);
  parser.addOption(demoOption);
  parser.addOption(rightsOption);
  parser.process(app);

  const bool demo = !parser.isSet(dbOption);
  const QString dbPath =
      demo ? QDir(QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation))
                 .filePath("demo.db")
           : parser.value(dbOption);

  host::registerHostPlugs();
  plugs::coreapp::initializePackage();

  desktop::LoginDialog login(dbPath, demo);
  if (login.exec() != QDialog::Accepted) return 0;
  std::unique_ptr<db::Connection> connection = login.takeConnection();

  desktop::QtUi ui;
  host::Host session;
  session.ui = &ui;
  try {
    std::optional<host::Rights> rights;
    if (parser.isSet(rightsOption))
      rights = desktop::parseRights(parser.value(rightsOption).toStdString());
    desktop::signIn(session, *connection, login.lists(), login.storeId(), login.operatorId(),
                    std::move(rights));
  } catch (const std::exception& e) {
    ui.messageBox(e.what(), "登录", host::mtError, host::mbOK);
    return 1;
  }
  host::HostScope scope(session);
  desktop::MainWindow window(ui);
  window.backups().setAddress(login.address());
  window.setReopen([&](const std::function<void()>& whileClosed) {
    session.connection = nullptr;
    connection.reset();  // a file is replaced only once nothing holds it open
    std::exception_ptr failure;
    try {
      whileClosed();
    } catch (...) {
      failure = std::current_exception();
    }
    connection = desktop::openDatabase(login.address(), false);
    session.connection = connection.get();
    if (failure) std::rethrow_exception(failure);
  });
  window.show();
  QTimer::singleShot(0, &window, [&window] { window.backups().backUpOnSignIn(); });
  return QApplication::exec();
}
