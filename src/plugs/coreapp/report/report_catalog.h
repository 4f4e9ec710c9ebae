// The owner's reports, each a ReportSpec over its stored procedure (db/schema
// 130_reports.sql), in the order the 报表 ribbon group shows them.
#pragma once

#include <string_view>
#include <vector>

#include "plugs/coreapp/report/report_spec.h"

namespace plugs::coreapp {

//! Every report, in ribbon order.
const std::vector<ReportSpec>& reportSpecs();
//! The report with this command name or plug code, or null.
const ReportSpec* findReport(std::string_view nameOrCode);

}  // namespace plugs::coreapp
