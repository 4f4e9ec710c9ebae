// The payment's SQL texts (write-off lines, audit) and the supplier source selector's
// list query.
#pragma once

namespace plugs::coreapp::gysfk {

extern const char* const kGysfkLineQuery;
extern const char* const kGysfkAuditSql;
extern const char* const kGysfkhxListQuery;

}  // namespace plugs::coreapp::gysfk
