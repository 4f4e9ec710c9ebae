// An ad-hoc bill session for the tests: the project order session's database and host,
// plus the outlet's default customer (C001), categories and a quick list of the four
// test items, plug 1103 registered, and helpers to fill lines and read the transcript.
#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "host/forms/base_form.h"
#include "plugs/coreapp/xmzzk/samplexmzzk_form.h"
#include "xmzzk_session.h"

namespace samplexmzzk_test {

using plugs::coreapp::xmzzk::Tsamplexmzzkform;

// Categories: 1 喷绘写真, 2 室内写真 (under 1). Item XM001 is filed under both, XM004
// under the first only; the quick list is ordered by category, then code.
inline const char* kQuickList = R"sql(
update vt_b_ckbmk set kh_id = 1
insert into vt_b_category(orgid, code, name, kind) values ('0001', '01', '喷绘写真', 'xm')
insert into vt_b_category(orgid, code, name, kind, parent_id) values ('0001', '0102', '室内写真', 'xm', 1)
update vt_b_xmbmk set p1 = 1, p2 = 2 where id = 1
update vt_b_xmbmk set p1 = 1 where id = 4
insert into vt_b_xmbmk_quick(orgid, ck_id, xm_id) values ('0001', 1, 1)
insert into vt_b_xmbmk_quick(orgid, ck_id, xm_id) values ('0001', 1, 2)
insert into vt_b_xmbmk_quick(orgid, ck_id, xm_id) values ('0001', 1, 3)
insert into vt_b_xmbmk_quick(orgid, ck_id, xm_id) values ('0001', 1, 4)
insert into vt_b_xmbmk_quick(orgid, ck_id, xm_id) values ('0001', 2, 1)
)sql";

class SampleSession : public xmzzk_test::OrderSession {
 protected:
  SampleSession() {
    const db::BatchResult r = conn.execBatch(kQuickList);
    EXPECT_TRUE(r.ok()) << r.errorMessage();
    registerOnce("1103", plugs::coreapp::xmzzk::registerSamplexmzzkForm);
  }

  //! A created form for customer `khId`, as the creator makes it.
  std::unique_ptr<Tsamplexmzzkform> openForm(std::int64_t khId = 1) {
    return host::makeForm<Tsamplexmzzkform>(nullptr, khId);
  }

  //! Adds the quick-list row `row` (1-based, list order) as a line and then types the
  //! given fields into it, posting at the end.
  void addFromList(Tsamplexmzzkform& form, int row,
                   const std::vector<std::pair<const char*, core::Value>>& typed = {}) {
    form.cdslist.setRecNo(row);
    ASSERT_EQ(form.clickAction("actmx_select"), host::Outcome::Done);
    if (typed.size() == 0) return;
    form.cdsmx.edit();
    for (const auto& [field, value] : typed) form.cdsmx.fieldByName(field).setValue(value);
    form.cdsmx.post();
  }
};

}  // namespace samplexmzzk_test
