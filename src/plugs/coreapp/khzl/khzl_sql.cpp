// The receivable aging page's SQL texts. The store comes in through sqlTemplate, the
// dates and the customer as bound parameters, so nothing typed reaches the text.
#include "plugs/coreapp/khzl/khzl_sql.h"

namespace plugs::coreapp::khzl {

const char* const kKhyszlQuery =
    "exec sp_sys_khyszl @orgid = :orgid, @rq = :rq, @kh_id = 0, @detail = 0";

const char* const kKhyszlBillsQuery =
    "exec sp_sys_khyszl @orgid = :orgid, @rq = :rq, @kh_id = 0, @detail = 1";

const char* const kKhwlmxQuery =
    "exec sp_sys_khwlmx @orgid = :orgid, @kh_id = :kh_id, @rq1 = :rq1, @rq2 = :rq2";

}  // namespace plugs::coreapp::khzl
