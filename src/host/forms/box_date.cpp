// boxDate: the date filters of the bill list and the pickers read one way.
#include "host/forms/box_date.h"

#include "core/abort.h"
#include "core/strings.h"
#include "host/services/sys_services.h"

namespace host {

std::optional<core::DateTime> boxDate(const Control& box) {
  const std::string text = core::trim(box.text);
  if (text.empty()) return std::nullopt;
  std::optional<core::DateTime> d = core::DateTime::parse(text);
  if (!d) {
    MessageMyDlg(box.caption + "“" + text + "”不是有效的日期。", "提示", mtInformation);
    throw core::Abort();
  }
  return d->date();
}

}  // namespace host
