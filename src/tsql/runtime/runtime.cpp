// Installs the whole T-SQL runtime on a SQLite connection and maps the runtime's
// messages back to SQL Server's error numbers for the batch result.
#include "tsql/runtime/runtime.h"

#include <stdexcept>
#include <string>

#include "tsql/errors/error_table.h"
#include "tsql/runtime/date_functions.h"
#include "tsql/runtime/date_styles.h"
#include "tsql/runtime/decimal_functions.h"
#include "tsql/runtime/guid_conversion.h"
#include "tsql/runtime/money_aggregates.h"
#include "tsql/runtime/number_functions.h"
#include "tsql/runtime/text_builders.h"
#include "tsql/runtime/text_functions.h"

namespace tsql::runtime {

void Runtime::install(sqlite3* db) {
  for (int (*part)(sqlite3*) : {&TextFunctions::install, &DateFunctions::install,
                                &NumberFunctions::install, &MoneyAggregates::install,
                                &TextBuilders::install, &DecimalFunctions::install,
                                &installGuidFunctions, &installDateStyleFunctions}) {
    int rc = part(db);
    if (rc != SQLITE_OK) {
      throw std::runtime_error(std::string("cannot register the T-SQL functions: ") +
                               sqlite3_errstr(rc));
    }
  }
}

int Runtime::errorNumber(std::string_view message) {
  struct Known {
    std::string_view prefix;
    int number;
  };
  static const Known known[] = {
      {"Conversion failed when converting date and/or time", 241},
      {"The conversion of a varchar data type to a datetime", 242},
      {"Operand data type", 8117},
      {"Invalid length parameter passed to the substring", 537},
      {"Invalid length parameter passed to the", 536},
      {"The conversion of the varchar value", 248},
      {"Adding a value to a 'datetime' column caused an overflow.", 517},
      {"Cannot construct data type date", 289},
      {"The datediff function resulted in an overflow.", 535},
      {"The datepart ", 9810},
  };
  if (int n = errors::numberOfMessage(message)) return n;
  for (const auto& k : known) {
    if (message.substr(0, k.prefix.size()) == k.prefix) return k.number;
  }
  if (message.find("is not a recognized datepart option") != std::string_view::npos) return 155;
  return 0;
}

}  // namespace tsql::runtime
