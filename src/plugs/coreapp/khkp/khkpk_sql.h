// The customer invoice's SQL texts (lines end in CR LF).
#pragma once

namespace plugs::coreapp::khkp {

//! Lines of invoice :billno with each receipt's number, date, total, invoiced elsewhere
//! and the rest.
extern const char* const kKhkpkLineQuery;
//! Audited receipts of customer :kh_id with an amount not yet invoiced on other
//! invoices than :billno.
extern const char* const kKhskSelectListQuery;

}  // namespace plugs::coreapp::khkp
