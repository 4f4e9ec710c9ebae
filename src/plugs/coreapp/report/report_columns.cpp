// The report pages' columns: money reads as every bill's amounts do.
#include "plugs/coreapp/report/report_columns.h"

#include "host/forms/money_format.h"

namespace plugs::coreapp {

host::GridColumn reportTextColumn(const char* field, const char* caption, int width) {
  host::GridColumn c;
  c.field = field;
  c.caption = caption;
  c.width = width;
  c.readOnly = true;
  return c;
}

host::GridColumn reportMoneyColumn(const char* field, const char* caption, bool sum) {
  host::GridColumn c = reportTextColumn(field, caption, 110);
  c.editor = "money";
  c.format = host::moneyFormat(host::MoneyKind::Amount);
  c.decimals = 4;
  if (sum) c.footer = "sum";
  return c;
}

}  // namespace plugs::coreapp
