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
