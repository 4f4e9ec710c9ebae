// Every window a clerk meets, opened the way the clerk opens it (ribbon, buttons, the
// tab's close box) with the shell's own Ui: the sign-in, every page with a new bill, the
// main window with the order page, the customer and item lookups, the unsaved-changes question, the order selector
// before settlement and processing, both of those, the print preview and the source
// pickers. Each is pictured over the main window at 1280x800 and 1600x1000
// (build/desktop-screenshots/window_<name>_<width>.png, for a person to look at) and
// checked to fit there.
#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPainter>
#include <QPointer>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>

#include <functional>
#include <memory>

#include "apps/coreapp-desktop/login_dialog.h"
#include "apps/coreapp-desktop/lookup_dialog.h"
#include "desktop/desktop_session.h"
#include "desktop/screenshot.h"
#include "desktop/window_fit.h"
#include "plugs/coreapp/cpfh/chfhselectxmddmx_form.h"
#include "plugs/coreapp/gysfk/gysfkhx_select_form.h"
#include "plugs/coreapp/gysfk/gysyfk_select_form.h"
#include "plugs/coreapp/khkp/khsk_select_form.h"
#include "plugs/coreapp/khsk/khskhx_select_form.h"
#include "plugs/coreapp/khsk/khysk_select_form.h"
#include "plugs/coreapp/xmwtk/importxmddmx_form.h"
#include "plugs/coreapp/xmzzk/xmzzk_select_form.h"
#include "plugs/coreapp/xmzzk/xmzzk_work_form.h"

namespace {

const QSize kScreens[] = {QSize(1280, 800), QSize(1600, 1000)};

class EveryWindow : public desktop_test::ShellSession {
 protected:
  EveryWindow() { host.ui = &qtUi; }

  // The main window at the screen's size (a bare screen before sign-in) with `dialog`
  // (if any) over its middle, saved as window_<name>_<width>.png, both checked to fit.
  void picture(const std::string& name, QWidget* dialog = nullptr, bool overMainWindow = true) {
    for (const QSize screen : kScreens) {
      window->resize(screen);
      QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
      desktop_test::expectFits(*window, screen, "main window under " + name);
      QPixmap shot = overMainWindow ? window->grab() : QPixmap(screen);
      if (!overMainWindow) shot.fill(Qt::darkCyan);
      if (dialog != nullptr) {
        desktop_test::expectFits(*dialog, screen, name);
        QPainter painter(&shot);
        painter.drawPixmap((screen.width() - dialog->width()) / 2, (screen.height() - dialog->height()) / 2,
                           dialog->grab());
      }
      const QString file = QString("window_%1_%2.png").arg(QString::fromStdString(name)).arg(screen.width());
      EXPECT_TRUE(shot.save(desktop_test::pictureFile(file))) << name;
    }
    window->resize(kScreens[0]);
  }

  // Waits for the modal window whose title starts with `title` and hands it to `look`,
  // which answers it (or it is closed unanswered when `look` leaves it open). The flag
  // says whether it showed; the wait outlives the caller, so a window that opens after
  // the caller's own window closed is caught too.
  std::shared_ptr<bool> expectModal(const QString& title, std::function<void(QWidget&)> look) {
    auto shown = std::make_shared<bool>(false);
    auto poll = std::make_shared<std::function<void(int)>>();
    std::weak_ptr<std::function<void(int)>> self = poll;
    *poll = [title, look = std::move(look), shown, self](int triesLeft) {
      QWidget* modal = QApplication::activeModalWidget();
      if (modal == nullptr || !modal->windowTitle().startsWith(title)) {
        if (auto again = self.lock(); again && triesLeft > 0)
          QTimer::singleShot(0, [again, triesLeft] { (*again)(triesLeft - 1); });
        return;
      }
      *shown = true;
      QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
      QPointer<QWidget> alive(modal);
      look(*modal);
      if (alive && alive->isVisible()) static_cast<QDialog*>(alive.data())->reject();
    };
    QTimer::singleShot(0, [poll] { (*poll)(1000); });
    return shown;
  }

  // Runs `open` and says whether the modal window titled `title` showed meanwhile.
  bool whenShown(const QString& title, std::function<void(QWidget&)> look, const std::function<void()>& open) {
    const std::shared_ptr<bool> shown = expectModal(title, std::move(look));
    open();
    return *shown;
  }

  // The form shown in a modal window, or null.
  template <class Form>
  static Form* formIn(QWidget& modal) {
    auto* view = modal.findChild<desktop::FormView*>();
    return view == nullptr ? nullptr : dynamic_cast<Form*>(&view->form());
  }
};

// On first start the sign-in makes the demo database and offers its stores and operators,
// the chosen store's own operators first.
TEST_F(EveryWindow, SignIn) {
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
  auto* password = login.findChild<QLineEdit*>("password");
  ASSERT_NE(password, nullptr);
  EXPECT_EQ(password->echoMode(), QLineEdit::Password);
  password->setText("123456");
  login.show();
  picture("login", &login, false);
  login.findChildren<QComboBox*>().front()->setCurrentIndex(1);  // the other store's operators come first now
  EXPECT_EQ(storeOfOperator(), login.lists().stores[1].id);
  // A wrong password is refused with the one message and the box emptied; the demo
  // password signs in.
  password->setText("654321");
  EXPECT_TRUE(whenShown(
      "登录",
      [&](QWidget& w) {
        auto* box = qobject_cast<QMessageBox*>(&w);
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->text(), QString("用户名或密码错误"));
        box->accept();
      },
      [&] { login.trySignIn(); }));
  EXPECT_TRUE(password->text().isEmpty());
  EXPECT_NE(login.result(), QDialog::Accepted);
  password->setText("123456");
  login.trySignIn();
  EXPECT_EQ(login.result(), QDialog::Accepted);
  EXPECT_NE(login.takeConnection(), nullptr);
}

TEST_F(EveryWindow, OrderPageLookupsAndTheUnsavedQuestion) {
  ribbon("1100")->trigger();
  auto* page = dynamic_cast<host::TBaseBillEditRibbonForm*>(host::PageControl().activePage());
  ASSERT_NE(page, nullptr);
  desktop::FormView* view = window->pageView(*page);
  ASSERT_NE(view, nullptr);
  view->actionBar()->button("actAdd")->trigger();
  picture("order");
  // The customer is picked: the bill now holds an edit a clerk would lose.
  EXPECT_TRUE(whenShown("客户会员查询", [&](QWidget& w) {
    picture("customer_lookup", &w);
    auto* lookup = dynamic_cast<desktop::LookupDialog*>(&w);
    ASSERT_NE(lookup, nullptr);
    lookup->choose(0);
    lookup->accept();
  }, [&] { view->run([&] { page->clickControl("edtwldw"); }); }));
  EXPECT_NE(page->control("edtwldw").tag, 0);
  EXPECT_TRUE(whenShown("服务项目查询", [&](QWidget& w) { picture("item_lookup", &w); },
                        [&] { page->clickAction("actDetail_Add"); }));
  // The new bill is unsaved: closing its tab asks; no answer keeps the page.
  EXPECT_TRUE(whenShown("提示", [&](QWidget& w) {
    EXPECT_NE(qobject_cast<QMessageBox*>(&w), nullptr);
    picture("unsaved_question", &w);
  }, [&] { Q_EMIT window->pages()->tabCloseRequested(0); }));
  EXPECT_EQ(window->pages()->count(), 1);
}

// Each page opens from its plug; a bill editor starts a new bill with its date box, line
// grid and main commands shown. Every page is pictured and fits the main window.
TEST_F(EveryWindow, EveryPageStartsANewBillAndFits) {
  for (const char* code : desktop_test::kPageCodes) {
    SCOPED_TRACE(code);
    window->openItem(*host::plugsPool().plugbyName(code));
    auto* page = dynamic_cast<host::TBaseForm*>(host::PageControl().activePage());
    ASSERT_NE(page, nullptr);
    desktop::FormView* view = window->pageView(*page);
    ASSERT_NE(view, nullptr);
    if (auto* bill = dynamic_cast<host::TBaseBillEditRibbonForm*>(page)) {
      view->actionBar()->button("actAdd")->trigger();
      EXPECT_TRUE(bill->editMode);
      EXPECT_NE(view->grid("cxgDetail"), nullptr);
      EXPECT_NE(view->controlWidget("edtbilldate"), nullptr);
      for (const char* name : {"actclose", "actSave", "actCancel", "actAudit", "actPrint"})
        EXPECT_NE(view->actionBar()->button(name), nullptr) << name;
    }
    picture(std::string("page_") + code);
    host.ui = &ui;  // the new bill's question is answered "discard" from the queue
    ui.queueAnswer(host::mrNo);
    Q_EMIT window->pages()->tabCloseRequested(0);
    host.ui = &qtUi;
    EXPECT_EQ(window->pages()->count(), 0);
  }
}

// A page a window opens from its own button shows at once, current and focused, with
// its data: the loss and gain bill made by 处理盘点单, 账户余额 beside the fund transfer,
// a customer's 对账明细 from the aging. Questions are answered from the test's queue.
TEST_F(EveryWindow, PagesOpenedFromAWindowShowAtOnceWithTheirData) {
  host.ui = &ui;
  QApplication::setActiveWindow(window.get());
  auto openedPage = [&](desktop::FormView& from, const char* action) -> desktop::FormView* {
    const int before = window->pages()->count();
    from.actionBar()->button(action)->trigger();
    QCoreApplication::processEvents();  // the event that opened it is over
    EXPECT_EQ(window->pages()->count(), before + 1) << action;
    auto* view = static_cast<desktop::FormView*>(window->pages()->currentWidget());
    EXPECT_TRUE(view != nullptr && view != &from && view->hasFocus()) << action;
    return view == &from ? nullptr : view;
  };
  auto pageOf = [&](const char* code) {
    window->openItem(*host::plugsPool().plugbyName(code));
    return window->pageView(*host::PageControl().activePage());
  };

  desktop::FormView* stocktake = pageOf("1127");
  stocktake->actionBar()->button("actAdd")->trigger();
  ui.queueLookup("商品信息查询",
                 R"([{"id":"1","code":"SP001","name":"外光喷绘布"},{"id":"3","code":"SP003"}])");
  stocktake->actionBar()->button("actDetail_Add")->trigger();
  for (const char* action : {"actSave", "actAudit"})
    stocktake->actionBar()->button(action)->trigger();
  desktop::FormView* lossAndGain = openedPage(*stocktake, "acttosy");
  ASSERT_NE(lossAndGain, nullptr) << lastEvent();
  auto& bill = dynamic_cast<host::TBaseBillEditRibbonForm&>(lossAndGain->form());
  EXPECT_EQ(bill.className(), "Tspsyform");
  EXPECT_FALSE(bill.billno.empty());
  EXPECT_EQ(lossAndGain->grid("cxgDetail")->model()->rowCount(), 2);

  desktop::FormView* transfer = pageOf("1114");
  desktop::FormView* balances = openedPage(*transfer, "actZhye");
  ASSERT_NE(balances, nullptr);
  EXPECT_EQ(balances->grid("cxgZhye")->model()->rowCount(), 4);  // the demo's four accounts

  desktop::FormView* aging = pageOf("1119");
  aging->form().control("edtrq").text = "2026-12-31";
  aging->actionBar()->button("actRef")->trigger();
  ASSERT_GT(aging->grid("cxgReport")->model()->rowCount(), 0);
  desktop::FormView* statement = openedPage(*aging, "actMx");
  ASSERT_NE(statement, nullptr);
  EXPECT_EQ(statement->form().className(), "Tkhwlmxform");
  EXPECT_FALSE(statement->form().control("lblkh").text.empty());
  picture("page_opened_from_a_window");
}

// The order selector opens before settlement and processing. The processing window, with
// an edit, asks before Esc closes it: "取消" keeps it open with the edit, "否" lets it go.
TEST_F(EveryWindow, SelectorBeforeSettlementAndProcessing) {
  const std::string billno = saveDemoOrder();
  ASSERT_FALSE(billno.empty());
  bool stayed = false, asked = false;
  auto answer = [](const char* button) {
    return [button](QWidget& w) {
      for (QAbstractButton* b : static_cast<QMessageBox&>(w).buttons())
        if (b->text() == QString::fromUtf8(button)) b->click();
    };
  };
  auto work = [&](QWidget& dialog) {
    picture("processing", &dialog);
    auto* form = formIn<plugs::coreapp::xmzzk::Txmzzkworkform>(dialog);
    ASSERT_NE(form, nullptr);
    dialog.findChild<desktop::FormView*>()->run([&] {
      form->cdsDetail.edit();
      form->cdsDetail.fieldByName("beizhu").setValue(core::Value("加急"));
      form->cdsDetail.post();
    });
    asked = whenShown(QString::fromUtf8("提示"), answer("取消"), [&] { static_cast<QDialog&>(dialog).reject(); });
    stayed = dialog.isVisible() && form->cdsDetail.fieldByName("beizhu").asString() == "加急";
    whenShown(QString::fromUtf8("提示"), answer("否"), [&] { static_cast<QDialog&>(dialog).reject(); });
    EXPECT_FALSE(dialog.isVisible());
  };
  for (const auto& [code, title] : {std::pair{"1100_07", "订单结算"}, std::pair{"1101", "处理项目订单"}}) {
    std::shared_ptr<bool> opened;
    auto choose = [&, title = QString::fromUtf8(title), code = std::string(code)](QWidget& selector) {
      auto* form = formIn<plugs::coreapp::xmzzk::Txmzzkselectform>(selector);
      ASSERT_NE(form, nullptr);
      EXPECT_EQ(selector.windowTitle(), QString::fromUtf8("订单选择"));  // one name, not its alternatives
      if (code == "1100_07") picture("order_selector", &selector);
      ASSERT_TRUE(form->cdsMain.locate("billno", core::Value(billno)));
      if (code == "1100_07")
        opened = expectModal(title, [this](QWidget& w) { picture("settlement", &w); });
      else
        opened = expectModal(title, work);
      selector.findChild<desktop::FormView*>()->run([&] { form->clickAction("actselect"); });
    };
    const bool selectorShown = whenShown(QString::fromUtf8("订单选择"), choose, [&] { ribbon(code)->trigger(); });
    EXPECT_TRUE(selectorShown) << code;
    EXPECT_TRUE(opened != nullptr && *opened) << code;
  }
  EXPECT_TRUE(asked);
  EXPECT_TRUE(stayed);
}

// The print preview of a saved order; the ad-hoc business bill opens from the ribbon as a
// window of its own, not a page.
TEST_F(EveryWindow, PrintPreviewAndAdHocBill) {
  saveDemoOrder();
  auto* page = dynamic_cast<host::TBaseBillEditRibbonForm*>(host::PageControl().activePage());
  ASSERT_NE(page, nullptr);
  window->syncPages();
  EXPECT_TRUE(whenShown("项目订单", [&](QWidget& w) { picture("print_preview", &w); },
                        [&] { page->clickAction("actPrint"); }));
  const int pages = window->pages()->count();
  auto look = [&](QWidget& w) {
    EXPECT_NE(w.findChild<desktop::FormView*>(), nullptr);
    picture("ad_hoc_bill", &w);
  };
  EXPECT_TRUE(whenShown(QString::fromUtf8("零散业务单"), look, [&] { ribbon("1103")->trigger(); }));
  EXPECT_EQ(window->pages()->count(), pages);  // no page of its own
}

// The source pickers, and the shell's own small dialogs: bill settings, the reason for an
// un-audit, a new customer and the store's default customer.
TEST_F(EveryWindow, SourcePickersAndHostDialogs) {
  const std::int64_t store = lists.stores.front().id;
  const std::int64_t customer = 1, supplier = 1;
  namespace p = plugs::coreapp;
  std::vector<std::pair<std::string, std::unique_ptr<host::FormModel>>> pickers;
  pickers.emplace_back("order_lines_picker", host::makeForm<p::cpfh::Tchfhselectxmddmxform>(nullptr, "", store, customer));
  pickers.emplace_back("order_details_import", host::makeForm<p::xmwtk::Timportxmddmxform>(nullptr, ""));
  pickers.emplace_back("receipt_sources_picker", host::makeForm<p::khsk::Tkhskhxselectform>(nullptr, customer, store, ""));
  pickers.emplace_back("advance_receipts_picker", host::makeForm<p::khsk::Tkhyskselectform>(nullptr, customer, store, ""));
  pickers.emplace_back("receipts_to_invoice_picker", host::makeForm<p::khkp::Tkhskselectform>(nullptr, customer, store, ""));
  pickers.emplace_back("payment_sources_picker", host::makeForm<p::gysfk::Tgysfkhxselectform>(nullptr, supplier, store, ""));
  pickers.emplace_back("prepayments_picker", host::makeForm<p::gysfk::Tgysyfkselectform>(nullptr, supplier, store, ""));
  for (auto& [name, form] : pickers) {
    EXPECT_TRUE(whenShown(desktop::windowTitleOf(form->caption), [&](QWidget& w) { picture(name, &w); },
                          [&] { qtUi.showModal(*form); }))
        << name;
  }
  for (const char* className : {"Tbilloptionsform", "TAuditingDataForm", "Tkhbmkeditform", "Tckbmkdefkhinfoform"}) {
    EXPECT_TRUE(whenShown(QString(), [&](QWidget& w) { picture(std::string("dialog_") + className, &w); },
                          [&] { qtUi.hostDialog(className, {}); }))
        << className;
  }
}

}  // namespace
