// The customer statement's SQL texts as the shop's database expects them: the line
// query (figures of the moment the statement opens) and the un-audit that clears the
// reconciliation marks. Lines end in CR LF.
#pragma once

namespace plugs::coreapp::khsk {

//! Lines of statement :billno with each bill's number, date, store, amount, received and owed.
extern const char* const kKhdzkLineQuery;
//! Clears the marks of statement '%0:s' on its lines and their bills (versions untouched).
extern const char* const kKhdzkUnauditSql;

}  // namespace plugs::coreapp::khsk

namespace plugs::coreapp::khsk {

//! After the lines' ticks and remarks: statement '%0:s' reviewed, each bill takes its line's tick.
extern const char* const kKhdzkReviewSql;
//! The review's row in the bill audit log (bound parameters).
extern const char* const kKhdzkReviewLogSql;

}  // namespace plugs::coreapp::khsk
