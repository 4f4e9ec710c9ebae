// The receivable aging page's SQL: the aging of the store's customers and one
// customer's statement, both read from the database's procedures with bound values.
#pragma once

namespace plugs::coreapp::khzl {

//! Open amounts per customer in four age buckets as of :rq (sp_sys_khyszl).
extern const char* const kKhyszlQuery;
//! The open bills behind the aging as of :rq, one row each.
extern const char* const kKhyszlBillsQuery;
//! Statement of customer :kh_id from :rq1 to :rq2 with its running balance (sp_sys_khwlmx).
extern const char* const kKhwlmxQuery;

}  // namespace plugs::coreapp::khzl
