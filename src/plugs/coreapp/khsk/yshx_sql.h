// The advance receipt write-off's SQL texts (money-side lines, receipt selector list,
// audit), and the derivation of its supplier twin's texts, which differ only in tables,
// counterparty and kind.
#pragma once

#include <string>

namespace plugs::coreapp::khsk {

extern const char* const kYshxMoneyLineQuery;
extern const char* const kKhyskListQuery;
extern const char* const kYshxAuditSql;
//! The receipt's write-off line query read from vt_f_yshx_hx.
const char* yshxBillLineQuery();
//! `text` with customer receipts and advance write-offs turned into supplier payments
//! and prepayment write-offs (tables, kind "付款单", counterparty gys_id).
std::string toSupplierSide(const std::string& text);

}  // namespace plugs::coreapp::khsk
