// The shipment bill (1105): what its print hands the host, and the receiver box bound
// to the salesman field.
#include <gtest/gtest.h>

#include "host/forms/page_control.h"
#include "order_line_bill_session.h"

namespace {

class OrderLinePages : public order_line_test::OrderLineSession {};

TEST_F(OrderLinePages, PrintHandsTheHeaderAndLinesWithNumberAndName) {
  query("insert into vt_x_cpfhk(orgid, billno, kh_id) values ('0001', 'FH1', 1)");
  query("insert into vt_x_cpfhk_mx(uid, orgid, billno, mx_id, xm_id, fhsl) values ('f1', '0001', 'FH1', 2, 2, 3)");
  auto form = openEditor<plugs::coreapp::cpfh::Tcpfhform>("1105", "FH1");
  EXPECT_EQ(form->control("cbshr").hint, "ywy_id");
  ASSERT_EQ(form->clickAction("actPrint"), host::Outcome::Done) << lastEvent();
  EXPECT_TRUE(said(R"("event":"print","code":"1105","datasets":{"表头数据":1,"明细数据":1},"values":{"表单编号":"1105","表单名称":"成品发货单"})"))
      << lastEvent();
}

}  // namespace
