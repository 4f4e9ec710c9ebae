// QtUi driven without a person: a zero timer reads the modal window that opened, checks
// what it shows and presses one of its buttons, so every call returns. Message boxes
// carry the form's caption, text and answer; a lookup returns the chosen rows with all
// their columns; a form shown modally closes on its own modal result. Qt's own texts
// load in Chinese.
#include "apps/coreapp-desktop/qt_ui.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QMessageBox>
#include <QRadioButton>
#include <QTableView>
#include <QTimer>
#include <QTranslator>
#include <filesystem>
#include <fstream>
#include <functional>

#include "apps/coreapp-desktop/action_bar.h"
#include "apps/coreapp-desktop/chinese_translations.h"
#include "apps/coreapp-desktop/form_view.h"
#include "apps/coreapp-desktop/host_dialog_windows.h"
#include "apps/coreapp-desktop/lookup_dialog.h"
#include "host/forms/base_form.h"
#include "host/host.h"

namespace {

// Runs `inspect` on the modal window once it is open.
void whenModalOpens(std::function<void(QWidget*)> inspect) {
  QTimer::singleShot(0, [inspect = std::move(inspect)] {
    QWidget* modal = QApplication::activeModalWidget();
    ASSERT_NE(modal, nullptr);
    inspect(modal);
  });
}

QAbstractButton* buttonWithText(QMessageBox* box, const QString& text) {
  for (QAbstractButton* b : box->buttons())
    if (b->text() == text) return b;
  return nullptr;
}

tsql::ResultSet customers() {
  tsql::ResultSet rs;
  rs.columns = {{"id"}, {"code"}, {"name"}, {"orgid"}};
  rs.rows = {{core::Value(1), core::Value("C000"), core::Value("零售散客"), core::Value("0001")},
             {core::Value(2), core::Value("C001"), core::Value("华宇地产"), core::Value("0001")},
             {core::Value(3), core::Value("C002"), core::Value("蓝天教育"), core::Value("0001")}};
  return rs;
}

class ModalForm : public host::TBaseForm {
 public:
  ModalForm() : TBaseForm(nullptr, "TModalForm", "订单结算") {}
  void FormCreate() override {
    addAction("actOK", "确定").onExecute = [this](host::Action&) {
      ModalResult = host::mrOK;
      Close();
    };
  }
};

class QtUiTest : public ::testing::Test {
 protected:
  QtUiTest() {
    ui.previewPrints = false;
    host.ui = &ui;
  }
  desktop::QtUi ui;
  host::Host host;
  host::HostScope scope{host};
};

// A question shows caption, text and icon and answers with the button pressed; a notice
// has one button and answers OK.
TEST_F(QtUiTest, MessageBoxShowsCaptionTextAndAnswer) {
  QString caption, text;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  whenModalOpens([&](QWidget* w) {
    auto* box = qobject_cast<QMessageBox*>(w);
    ASSERT_NE(box, nullptr);
    caption = box->windowTitle();
    text = box->text();
    icon = box->icon();
    ASSERT_NE(buttonWithText(box, "取消"), nullptr);
    buttonWithText(box, "取消")->click();
  });
  const int answer = ui.messageBox("是否确认保存该单据？", "提示", host::mtConfirmation,
                                   host::mbOK | host::mbCancel);
  EXPECT_EQ(caption, "提示");
  EXPECT_EQ(text, "是否确认保存该单据？");
  EXPECT_EQ(icon, QMessageBox::Question);
  EXPECT_EQ(answer, host::mrCancel);
  whenModalOpens([](QWidget* w) {
    auto* box = qobject_cast<QMessageBox*>(w);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->icon(), QMessageBox::Information);
    EXPECT_EQ(box->buttons().size(), 1);
    box->buttons().front()->click();
  });
  EXPECT_EQ(ui.messageBox("单据无明细，不能保存", "提示", host::mtInformation, host::mbOK),
            host::mrOK);
}

// A lookup returns the chosen rows with every column; a cancelled one returns nothing.
TEST_F(QtUiTest, LookupReturnsTheChosenRowsWithEveryColumn) {
  host::LookupRequest request;
  request.caption = "客户会员查询";
  request.candidates = customers();
  whenModalOpens([](QWidget* w) {
    auto* dlg = dynamic_cast<desktop::LookupDialog*>(w);
    ASSERT_NE(dlg, nullptr);
    EXPECT_EQ(dlg->windowTitle(), "客户会员查询");
    // the clerk sees code and name under Chinese captions, never ids or the store
    auto* table = dlg->findChild<QTableView*>();
    ASSERT_NE(table, nullptr);
    QStringList shown;
    for (int c = 0; c < table->model()->columnCount(); ++c)
      if (!table->isColumnHidden(c))
        shown << table->model()->headerData(c, Qt::Horizontal).toString();
    EXPECT_EQ(shown, (QStringList{"编号", "名称"}));
    dlg->search("蓝天");
    EXPECT_EQ(dlg->shownRows(), 1);
    dlg->choose(0);
    dlg->accept();
  });
  EXPECT_EQ(ui.lookup(request), R"([{"id":"3","code":"C002","name":"蓝天教育","orgid":"0001"}])");
  whenModalOpens([](QWidget* w) { static_cast<QDialog*>(w)->reject(); });
  EXPECT_EQ(ui.lookup(request), "");
}

TEST(LookupRows, MultipleChoiceKeepsRowOrder) {
  const tsql::ResultSet rs = customers();
  desktop::LookupDialog dlg("服务项目查询", rs, true);
  dlg.choose(2);
  dlg.choose(0);
  const std::string json = dlg.chosenJson();
  EXPECT_LT(json.find("C000"), json.find("C002"));
  EXPECT_EQ(json.find("C001"), std::string::npos);
  EXPECT_EQ(desktop::rowsJson(rs, {}), "");
}

// An item's price reads as the bill's grid shows money; the chosen row keeps the value.
TEST(LookupRows, PricesReadWithFourDecimals) {
  tsql::ResultSet rs;
  rs.columns = {{"code", core::ValueType::Text}, {"name", core::ValueType::Text},
                {"price_sale", core::ValueType::Currency}};
  rs.rows = {{core::Value("XM001"), core::Value("喷绘"), core::Value(*core::Currency::parse("15"))},
             {core::Value("XM002"), core::Value("写真"), core::Value(*core::Currency::parse("-2.5"))}};
  desktop::LookupDialog dlg("服务项目查询", rs, false);
  QAbstractItemModel* m = dlg.findChild<QTableView*>()->model();
  EXPECT_EQ(m->data(m->index(0, 2)).toString(), "15.0000");
  EXPECT_EQ(m->data(m->index(1, 2)).toString(), "-2.5000");
  EXPECT_EQ(m->data(m->index(0, 1)).toString(), QString::fromUtf8("喷绘"));
  dlg.choose(0);
  EXPECT_NE(dlg.chosenJson().find(R"("price_sale":"15")"), std::string::npos);
}

// A form shown modally closes on its own result, or is cancelled when the user closes it.
TEST_F(QtUiTest, ModalFormClosesOnItsOwnResult) {
  ModalForm form;
  whenModalOpens([](QWidget* w) {
    desktop::FormView* view = nullptr;
    for (QWidget* child : w->findChildren<QWidget*>())
      if (auto* v = dynamic_cast<desktop::FormView*>(child)) view = v;
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(w->windowTitle(), "订单结算");
    view->actionBar()->button("actOK")->trigger();
  });
  EXPECT_EQ(form.ShowModal(), host::mrOK);
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
  ModalForm closed;
  whenModalOpens([](QWidget* w) { static_cast<QDialog*>(w)->reject(); });
  EXPECT_EQ(closed.ShowModal(), host::mrCancel);
  EXPECT_TRUE(closed.isClosed());
}

// The status line says what happened to a print: written, only previewed, or printed.
TEST_F(QtUiTest, APrintIsReportedAsWrittenOrPreviewedNotAsPrinted) {
  QString status;
  ui.onStatus = [&status](const QString& text) { status = text; };
  host::PrintJob job;
  job.code = "1100";
  job.file = "/nonexistent/order.html";
  ui.printed(job);
  EXPECT_EQ(status, "打印文件已生成：/nonexistent/order.html");

  ui.previewPrints = true;
  whenModalOpens([](QWidget* preview) { preview->close(); });
  ui.printed(job);
  EXPECT_EQ(status, "已预览：/nonexistent/order.html");
}

// 导出 asks for a workbook or CSV; closing the choice exports nothing.
TEST_F(QtUiTest, ExportDialogGivesTheChosenFormat) {
  whenModalOpens([](QWidget* w) {
    EXPECT_EQ(w->windowTitle(), "导出 - 营业日报");
    auto* csv = w->findChild<QRadioButton*>("csv");
    ASSERT_NE(csv, nullptr);
    csv->setChecked(true);
    static_cast<QDialog*>(w)->accept();
  });
  host::DialogReply reply =
      desktop::runHostDialog("TExportDialog", {{"title", "营业日报"}}, nullptr);
  EXPECT_EQ(reply.result, host::mrOK);
  EXPECT_EQ(reply.values["format"], "csv");
  whenModalOpens([](QWidget* w) { static_cast<QDialog*>(w)->reject(); });
  reply = desktop::runHostDialog("TExportDialog", {{"title", "营业日报"}}, nullptr);
  EXPECT_EQ(reply.result, host::mrCancel);
  EXPECT_TRUE(reply.values.empty());
}

// 导入 asks for one existing CSV or XLSX sheet; closing the dialog picks nothing.
TEST_F(QtUiTest, ImportDialogGivesTheChosenSheet) {
  const std::string sheet = ::testing::TempDir() + "import_dialog_sheet.csv";
  std::ofstream(sheet) << "编号,名称\n";
  whenModalOpens([&](QWidget* w) {
    auto* dlg = qobject_cast<QFileDialog*>(w);
    ASSERT_NE(dlg, nullptr);
    EXPECT_EQ(dlg->windowTitle(), "导入客户管理");
    EXPECT_TRUE(dlg->nameFilters().front().contains("*.xlsx"));
    dlg->selectFile(QString::fromStdString(sheet));
    static_cast<QDialog*>(dlg)->accept();  // QFileDialog checks the chosen file
  });
  host::DialogReply reply =
      desktop::runHostDialog("TImportFileDialog", {{"title", "导入客户管理"}}, nullptr);
  EXPECT_EQ(reply.result, host::mrOK);
  EXPECT_EQ(std::filesystem::path(reply.file), std::filesystem::path(sheet));
  whenModalOpens([](QWidget* w) { static_cast<QDialog*>(w)->reject(); });
  reply = desktop::runHostDialog("TImportFileDialog", {{"title", "导入客户管理"}}, nullptr);
  EXPECT_EQ(reply.result, host::mrCancel);
  EXPECT_TRUE(reply.file.empty());
  std::filesystem::remove(sheet);
}

// A long report's progress window: the query runs on until 取消, then stops; the window
// goes when the query ends.
TEST_F(QtUiTest, ProgressRunsUntilCancelledAndGoesWhenTheQueryEnds) {
  EXPECT_TRUE(ui.progress("营业日报"));
  ASSERT_NE(ui.progressWindow(), nullptr);
  EXPECT_EQ(ui.progressWindow()->windowTitle(), "营业日报");
  EXPECT_TRUE(ui.progress("营业日报"));
  ui.progressWindow()->cancel();
  EXPECT_FALSE(ui.progress("营业日报"));
  ui.progressDone();
  EXPECT_EQ(ui.progressWindow(), nullptr);
  EXPECT_TRUE(ui.progress("营业日报"));  // the next query starts afresh
  ui.progressDone();
}

TEST(HostDialogs, FileFilterFromTheHostsForm) {
  EXPECT_EQ(desktop::fileFilter("所有文件|*.*"), "所有文件 (*.*)");
  EXPECT_EQ(desktop::fileFilter("图片|*.jpg;*.png|所有文件|*.*"),
            "图片 (*.jpg *.png);;所有文件 (*.*)");
  EXPECT_EQ(desktop::fileFilter(""), "所有文件 (*)");
}


// The toolkit's own texts (an editor's context menu, the print and save-as dialogs)
// read in Chinese once Qt's translations are loaded.
TEST(ChineseTranslations, ToolkitTextsReadInChinese) {
  QTranslator* translator = desktop::installChineseTranslations(*QCoreApplication::instance());
  if (translator == nullptr) GTEST_SKIP() << "qt6-translations-l10n is not installed";
  const QString undo = QCoreApplication::translate("QLineEdit", "&Undo");
  // The print and save-as dialogs the preview opens are the toolkit's too.
  const QString print = QCoreApplication::translate("QPrintDialog", "Print");
  const QString saveAs = QCoreApplication::translate("QFileDialog", "Save As");
  const QString paper = QCoreApplication::translate("QPageSetupWidget", "Paper");
  QCoreApplication::removeTranslator(translator);
  delete translator;
  EXPECT_EQ(undo, QString::fromUtf8("撤消(&U)"));
  EXPECT_EQ(print, QString::fromUtf8("打印"));
  EXPECT_EQ(saveAs, QString::fromUtf8("另存为"));
  EXPECT_EQ(paper, QString::fromUtf8("纸张"));
}

}  // namespace
