// The outsourced processing order (1102) and the shipment bill (1105): their pages'
// header boxes, and what their print hands the host.
#include <gtest/gtest.h>

#include "host/forms/page_control.h"
#include "order_line_bill_session.h"

namespace {

class OrderLinePages : public order_line_test::OrderLineSession {};

TEST_F(OrderLinePages, PagesOpenWithTheirHeaderBoxes) {
  const std::pair<const char*, std::vector<const char*>> pages[] = {
      {"1102", {"edtwldw", "edtorderbillno", "edtkh_name", "edtzy", "cbshfs", "edtaddr", "cbck", "cbkdr", "cbywy",
                "cbzh", "edtqtfy", "edthjje", "edtbcfk", "memzzyq"}},
      {"1105", {"edtwldw", "cbck", "cbshr", "cbshfs", "edtlxr", "edttel", "edtaddr", "edtzy", "edtcydw", "edtwldh",
                "memremark"}}};
  for (const auto& [code, boxes] : pages) {
    host::plugsPool().plugbyName(code)->create(nullptr, "");
    host::FormModel* page = host::PageControl().activePage();
    ASSERT_NE(page, nullptr) << code;
    for (const char* box : boxes) EXPECT_NE(page->findControl(box), nullptr) << code << " " << box;
  }
  EXPECT_EQ(host::PageControl().activePage()->control("cbshr").hint, "ywy_id");
}

TEST_F(OrderLinePages, PrintHandsTheHeaderAndLinesWithNumberAndName) {
  query("insert into vt_x_cpfhk(orgid, billno, kh_id) values ('0001', 'FH1', 1)");
  query("insert into vt_x_cpfhk_mx(uid, orgid, billno, mx_id, xm_id, fhsl) values ('f1', '0001', 'FH1', 2, 2, 3)");
  auto form = openEditor<plugs::coreapp::cpfh::Tcpfhform>("1105", "FH1");
  ASSERT_EQ(form->clickAction("actPrint"), host::Outcome::Done) << lastEvent();
  EXPECT_TRUE(said(R"("event":"print","code":"1105","datasets":{"表头数据":1,"明细数据":1},"values":{"表单编号":"1105","表单名称":"成品发货单"})"))
      << lastEvent();
}

}  // namespace
