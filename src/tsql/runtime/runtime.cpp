// Installs the whole T-SQL runtime on a SQLite connection and maps the runtime's
// messages back to SQL Server's error numbers for the batch result.
#include "tsql/runtime/runtime.h"

#include <stdexcept>
#include <string>

#include "tsql/errors/error_table.h"
#include "tsql/runtime/binary_conversion.h"
#include "tsql/runtime/binary_values.h"
#include "tsql/runtime/column_fit.h"
#include "tsql/runtime/date_functions.h"
#include "tsql/runtime/date_offset.h"
#include "tsql/runtime/date_styles.h"
#include "tsql/runtime/datetime2_text.h"
#include "tsql/runtime/decimal_functions.h"
#include "tsql/runtime/decimal_sort_key.h"
#include "tsql/runtime/format_function.h"
#include "tsql/runtime/guid_conversion.h"
#include "tsql/runtime/json_functions.h"
#include "tsql/runtime/money_aggregates.h"
#include "tsql/runtime/number_functions.h"
#include "tsql/runtime/report_aggregates.h"
#include "tsql/runtime/string_functions.h"
#include "tsql/runtime/percentiles.h"
#include "tsql/runtime/text_builders.h"
#include "tsql/runtime/text_functions.h"
#include "tsql/runtime/time_of_day.h"

namespace tsql::runtime {

void Runtime::install(sqlite3* db) {
  for (int (*part)(sqlite3*) : {&TextFunctions::install, &DateFunctions::install,
                                &NumberFunctions::install, &MoneyAggregates::install,
                                &TextBuilders::install, &DecimalFunctions::install,
                                &installGuidFunctions, &installDateStyleFunctions,
                                &installColumnFit, &installDecimalSortKey,
                                &installBinaryConversions, &installOffsetFunctions, &installOffsetPartFunctions, &installTimeFunctions, &installBinaryValueFunctions,
                                &installDatetime2Functions, &StringFunctions::install,
                                &ReportAggregates::install, &Percentiles::install, &FormatFunction::install, &JsonFunctions::install}) {
    int rc = part(db);
    if (rc != SQLITE_OK) {
      throw std::runtime_error(std::string("cannot register the T-SQL functions: ") +
                               sqlite3_errstr(rc));
    }
  }
}

int Runtime::errorNumber(std::string_view message) { return errors::numberOfMessage(message); }

}  // namespace tsql::runtime
