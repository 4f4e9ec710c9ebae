// The report pages' columns: one money display for every report, the bills' "0.0000".
#include "plugs/coreapp/report/report_columns.h"

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
  c.format = "0.0000";
  c.decimals = 4;
  if (sum) c.footer = "sum";
  return c;
}

}  // namespace plugs::coreapp
