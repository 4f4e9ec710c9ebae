// What each backend's dialect writes where the databases differ: column types (money
// exact to four decimals on both; varchar(max) unbounded).
#include <gtest/gtest.h>

#include "tsql/dialect/dialect.h"

namespace {

using tsql::ast::DataType;
using tsql::ast::TypeKind;

TEST(Dialect, ColumnTypesOnEachBackend) {
  struct Case {
    DataType type;
    const char* sqlite;
    const char* postgres;
  } cases[] = {
      {{TypeKind::Money}, "money", "numeric(19,4)"},
      {{TypeKind::DateTime}, "datetime", "timestamp(3)"},
      {{TypeKind::SmallDateTime}, "smalldatetime", "timestamp(0)"},
      {{TypeKind::Date}, "date", "date"}, {{TypeKind::Bit}, "bit", "smallint"},
      {{TypeKind::Float}, "float", "double precision"},
      {{TypeKind::Decimal, 0, 9, 2}, "decimal(9,2)", "numeric(9,2)"},
      {{TypeKind::Decimal, 0, 18, 2}, "decimal blob(18,2)", "numeric(18,2)"},  // past a double: kept as text
      {{TypeKind::NVarchar, 20}, "nvarchar(20)", "varchar(20)"},
      {{TypeKind::Varchar, -1}, "varchar", "text"},
      {{TypeKind::Varchar, 3, 0, 0, true}, "char(3)", "char(3)"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(tsql::dialect::sqliteDialect().columnType(c.type), c.sqlite);
    EXPECT_EQ(tsql::dialect::postgresDialect().columnType(c.type), c.postgres);
  }
}

}  // namespace
