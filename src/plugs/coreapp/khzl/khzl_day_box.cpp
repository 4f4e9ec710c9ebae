// Shared pieces of the receivable pages.
#include "plugs/coreapp/khzl/khzl_day_box.h"

#include "core/abort.h"
#include "host/services/sys_services.h"

namespace plugs::coreapp::khzl {

core::DateTime dayOf(const host::Control& box) {
  const auto day = core::DateTime::parse(box.text);
  if (!day) {
    host::MessageMyDlg("请输入正确的日期.", "提示", 2);
    throw core::Abort();
  }
  return *day;
}

}  // namespace plugs::coreapp::khzl
