// The receipt's SQL texts (write-off lines, audit) and those of the customer source
// selector (open bills, statement variant, lines of one bill).
#pragma once

namespace plugs::coreapp::khsk {

extern const char* const kKhskLineQuery;
extern const char* const kKhskAuditSql;
extern const char* const kKhskhxListQuery;
extern const char* const kKhskhxStatementQuery;
extern const char* const kKhskhxLinesQuery;

}  // namespace plugs::coreapp::khsk
