// The catalog reads T-SQL column types back from SQLite's schema and the side table,
// sees temp tables, ignores `dbo.` and case, and notices schema changes.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include "tsql/catalog/catalog.h"

namespace {

using tsql::ast::TypeKind;
using tsql::catalog::Catalog;

class CatalogDb : public ::testing::Test {
 protected:
  void SetUp() override { sqlite3_open(":memory:", &db_); }
  void TearDown() override { sqlite3_close(db_); }
  void exec(const char* sql) {
    char* err = nullptr;
    ASSERT_EQ(sqlite3_exec(db_, sql, nullptr, nullptr, &err), SQLITE_OK) << err;
  }
  TypeKind kind(Catalog& c, const char* table, const char* column) {
    auto t = c.columnType(table, column);
    return t ? t->kind : TypeKind::Null;  // Null here stands for "no such column"
  }
  sqlite3* db_ = nullptr;
};

TEST_F(CatalogDb, DeclaredTypesComeBackAsTsqlTypes) {
  exec("create table vt_x(id integer primary key autoincrement, billno varchar(50), "
       "hjje money, billdate datetime, jhrq smalldatetime, sl float, zfflag bit, perc decimal(18,4))");
  Catalog c(db_);
  EXPECT_EQ(kind(c, "vt_x", "id"), TypeKind::Int);
  EXPECT_EQ(kind(c, "VT_X", "BILLNO"), TypeKind::Varchar);
  EXPECT_EQ(c.columnType("vt_x", "billno")->length, 50);
  EXPECT_EQ(kind(c, "dbo.vt_x", "hjje"), TypeKind::Money);
  EXPECT_EQ(kind(c, "[dbo].[vt_x]", "billdate"), TypeKind::DateTime);
  EXPECT_EQ(kind(c, "vt_x", "jhrq"), TypeKind::SmallDateTime);
  EXPECT_EQ(kind(c, "vt_x", "sl"), TypeKind::Float);
  EXPECT_EQ(kind(c, "vt_x", "zfflag"), TypeKind::Bit);
  EXPECT_EQ(kind(c, "vt_x", "perc"), TypeKind::Decimal);
  EXPECT_EQ(c.columnType("vt_x", "perc")->scale, 4);
  EXPECT_EQ(kind(c, "vt_x", "nosuch"), TypeKind::Null);
  EXPECT_EQ(c.columns("nosuch"), nullptr);
  EXPECT_EQ(c.columns("vt_x")->size(), 8u);
}

TEST_F(CatalogDb, SeesNewTablesTempTablesAndChanges) {
  Catalog c(db_);
  EXPECT_EQ(c.columns("t"), nullptr);
  exec("create temp table t(a money)");
  EXPECT_EQ(kind(c, "t", "a"), TypeKind::Money);
  exec("drop table t");
  exec("create temp table t(a varchar(10))");
  EXPECT_EQ(kind(c, "t", "a"), TypeKind::Varchar);
  exec("alter table t add column b datetime");
  EXPECT_EQ(kind(c, "t", "b"), TypeKind::DateTime);
}

TEST_F(CatalogDb, ViewExpressionColumnsUseRecordedTypes) {
  exec("create table m(je money, sl float)");
  exec("create view v as select je, je * sl as total, 'x' as tag from m");
  Catalog c(db_);
  EXPECT_EQ(kind(c, "v", "je"), TypeKind::Money);  // a plain column keeps its type
  EXPECT_EQ(kind(c, "v", "total"), TypeKind::Unknown);
  tsql::catalog::ColumnInfo total{"total", {TypeKind::Money}};
  c.recordTypes("dbo.v", {total});
  EXPECT_EQ(kind(c, "v", "total"), TypeKind::Money);
  c.forgetTypes("v");
  EXPECT_EQ(kind(c, "v", "total"), TypeKind::Unknown);
}

}  // namespace
