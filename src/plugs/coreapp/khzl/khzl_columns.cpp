// Shared pieces of the receivable pages. Money shows two decimals as the balances page
// does; the figures behind it stay exact.
#include "plugs/coreapp/khzl/khzl_columns.h"

#include "core/abort.h"
#include "host/services/sys_services.h"

namespace plugs::coreapp::khzl {

host::GridColumn textColumn(const char* field, const char* caption, int width) {
  host::GridColumn c;
  c.field = field;
  c.caption = caption;
  c.width = width;
  c.readOnly = true;
  return c;
}

host::GridColumn moneyColumn(const char* field, const char* caption, bool sum) {
  host::GridColumn c = textColumn(field, caption, 110);
  c.editor = "money";
  c.format = "0.00";
  c.decimals = 2;
  if (sum) c.footer = "sum";
  return c;
}

core::DateTime dayOf(const host::Control& box) {
  const auto day = core::DateTime::parse(box.text);
  if (!day) {
    host::MessageMyDlg("请输入正确的日期.", "提示", 2);
    throw core::Abort();
  }
  return *day;
}

}  // namespace plugs::coreapp::khzl
