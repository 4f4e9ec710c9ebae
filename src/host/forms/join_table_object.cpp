// TjoinTableObject: a lookup column's list, opened through the host's data services.
#include "host/forms/join_table_object.h"

#include "host/services/data_services.h"

namespace host {

TjoinTableObject::TjoinTableObject() { ds.setDataSet(&cds); }

void TjoinTableObject::open() { openDataToCDS(cds, sql); }

}  // namespace host
