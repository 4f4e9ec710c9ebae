// The receivable aging page ("应收账龄"): per customer, what is still open on completed
// orders and audited sales bills as of a day, in the buckets 0-30, 31-60, 61-90 and over
// 90 days by bill date (sp_sys_khyszl), as one report description over the report page.
// From a customer's row it opens that customer's statement.
#pragma once

#include "host/plug/unit_initialization.h"
#include "plugs/coreapp/report/report_spec.h"

namespace plugs::coreapp::khzl {

//! The aging page's plug code: beyond the plug table, so never listed as a package item.
inline constexpr const char* kAgingPlugCode = "1119";
//! The aging: rows `cdsZl` (kh_id, kh_code, kh_name, je30, je60, je90, je91, qkje) as of
//! the box `edtrq`; `actMx` 对账明细 opens the focused customer's statement from the
//! first of the as-of day's month to that day.
const ReportSpec& receivableAging();
//! Registers plug 1119 "应收账龄": a page of the main window, rights print and print
//! template settings.
void registerKhyszlForm();
//! The unit of plug 1119.
host::UnitInitialization& khyszlFormUnit();

}  // namespace plugs::coreapp::khzl
