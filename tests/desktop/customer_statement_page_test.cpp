// The customer statement as a page of the shell, on the demo database: the demo draft
// statement opened, audited and reviewed through the page's buttons (the review dialog
// played by the modal runner: first line ticked, confirmed), then rendered as a PNG
// under the build folder for a person to see.
#include <QAction>

#include "apps/coreapp-desktop/action_bar.h"
#include "apps/coreapp-desktop/form_view.h"
#include "apps/coreapp-desktop/grid_view.h"
#include "desktop/desktop_session.h"
#include "desktop/screenshot.h"
#include "host/forms/page_control.h"
#include "host/plug/t_plugs_pool.h"
#include "plugs/coreapp/khsk/khdzk_audit_form.h"
#include "plugs/coreapp/khsk/khdzk_form.h"

namespace {

using plugs::coreapp::khsk::Tkhdzkauditform;
using plugs::coreapp::khsk::Tkhdzkform;

class StatementPage : public desktop_test::DemoSession {
 protected:
  void SetUp() override {
    host::plugsPool().plugbyName("1117")->create(nullptr, "A1117202610250001");
    page = dynamic_cast<Tkhdzkform*>(host::PageControl().activePage());
    ASSERT_NE(page, nullptr);
    view = std::make_unique<desktop::FormView>(*page);
    ui.setModalRunner([](host::FormModel& form) {
      auto* review = dynamic_cast<Tkhdzkauditform*>(&form);
      if (review == nullptr) return host::mrCancel;
      review->cdsResult.first();
      review->cdsResult.edit();
      review->cdsResult.fieldByName("dzflag").setValue(core::Value(true));
      review->cdsResult.post();
      review->clickAction("actok");
      return review->ModalResult;
    });
  }
  void TearDown() override {
    view.reset();
    host::PageControl().clear();
  }

  std::string lastEvent() const { return ui.transcript().empty() ? "" : ui.transcript().back(); }

  Tkhdzkform* page = nullptr;
  std::unique_ptr<desktop::FormView> view;
};

TEST_F(StatementPage, AuditReviewAndRenderToAPicture) {
  ASSERT_EQ(page->cdsDetail.recordCount(), 2);
  QAction* review = view->actionBar()->button("actdzkaudit");
  ASSERT_NE(review, nullptr);
  EXPECT_FALSE(review->isEnabled()) << "a draft is not reviewed";
  view->actionBar()->button("actAudit")->trigger();
  ASSERT_EQ(page->masterStatus(), 1) << lastEvent();
  ASSERT_TRUE(review->isEnabled());
  review->trigger();
  EXPECT_EQ(page->masterStatus(), 2) << lastEvent();
  EXPECT_EQ(page->control("cxLabel3").text, "已复核");

  desktop_test::savePicture(*view, "customer_statement_reviewed.png");
}

}  // namespace
