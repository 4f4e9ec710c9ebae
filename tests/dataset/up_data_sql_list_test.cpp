// Statements from pending changes: literals of every field type, and the statements
// that sequences of inserts, edits and deletes leave in the change log (in change
// order, keyed by the original key, a key change, nulls, quotes a user typed).
#include "dataset/up_data_sql_list.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>

#include "dataset/data_set_error.h"
#include "dataset_test_util.h"

namespace dataset {
namespace {

using core::Currency;
using core::DateTime;
using core::Value;
using core::ValueType;
using testing::resultSet;

// 1. One literal per rule.
TEST(SqlLiteral, EveryTypeByItsRule) {
  const std::vector<std::pair<Value, const char*>> cases = {
      {Value(), "NULL"}, {Value(42), "42"}, {Value(std::int64_t{-7}), "-7"}, {Value(0.1), "0.1"},
      {Value(1.0 / 3), "0.3333333333333333"}, {Value(0.1 + 0.2), "0.30000000000000004"},
      {Value(1e-5), "0.00001"}, {Value(100.0), "100"}, {Value(-0.0), "0"},
      {Value(123456789012345678.0), "123456789012345680"}, {Value(1e300), "1e+300"},
      {Value(Currency::fromInt(0)), "0.0000"}, {Value(*Currency::parse("1.5")), "1.5000"},
      {Value(*Currency::parse("-0.0001")), "-0.0001"},
      {Value(*Currency::parse("-12.3456")), "-12.3456"}, {Value(true), "1"}, {Value(false), "0"},
      {Value(DateTime::fromParts(2024, 5, 6, 7, 8, 9, 10)), "'2024-05-06 07:08:09.010'"},
      {Value(DateTime::fromParts(2024, 5, 6)), "'2024-05-06 00:00:00.000'"},
      {Value("it's"), "'it''s'"}, {Value(""), "''"}, {Value("''"), "''''''"},
      {Value("x'); drop table t; --"), "'x''); drop table t; --'"},
  };
  for (const auto& [v, sql] : cases) {
    SCOPED_TRACE(sql);
    EXPECT_EQ(sqlLiteral(v), sql);
  }
  EXPECT_THROW(sqlLiteral(Value(std::nan(""))), DataSetError);
  EXPECT_THROW(sqlLiteral(Value(std::numeric_limits<double>::infinity())), DataSetError);
}

// Two loaded lines; uid is the key, id and xm_code are never written.
void loadLines(ClientDataSet& ds) {
  ds.loadFrom(resultSet({{"id", ValueType::Integer, 0},
                         {"uid", ValueType::Text, 36}, {"billno", ValueType::Text, 20},
                         {"sl", ValueType::Float, 0}, {"dj", ValueType::Currency, 0},
                         {"je", ValueType::Currency, 0}, {"isok", ValueType::Boolean, 0},
                         {"rq", ValueType::DateTime, 0},
                         {"xm_code", ValueType::Text, 20}},
                        {{1, "u1", "B1", 2.0, Currency::fromInt(10), Currency::fromInt(20), false,
                          DateTime::fromParts(2024, 5, 6, 7, 8, 9, 10), "X1"},
                         {2, "u2", "B1", 1.0, *Currency::parse("5.5"), *Currency::parse("5.5"),
                          true, Value(), "X2"}}));
}

void set(ClientDataSet& ds, const char* field, Value v) { ds.fieldByName(field).setValue(v); }

void editRow(ClientDataSet& ds, const char* uid,
             const std::function<void(ClientDataSet&)>& change) {
  ASSERT_TRUE(ds.locate("uid", uid));
  ds.edit();
  change(ds);
  ds.post();
}

void appendRow(ClientDataSet& ds, const char* uid,
               const std::function<void(ClientDataSet&)>& fill) {
  ds.append();
  set(ds, "uid", uid);
  fill(ds);
  ds.post();
}

std::string statements(const ClientDataSet& ds) {
  std::vector<std::string> list;
  GetUpDataSQLList("vt_x_xmzzk_mx", "uid", {"id", "XM_CODE"}, ds, list);
  std::string out;
  for (const std::string& s : list) out += s + "\n";
  return out;
}

// 2. Sequences of changes and the statements they leave.
TEST(GetUpDataSQLList, StatementsForChangeSequences) {
  struct Case {
    const char* name;
    std::function<void(ClientDataSet&)> changes;
    const char* sql;
  };
  const std::vector<Case> cases = {
      {"edit writes only the changed fields",
       [](ClientDataSet& d) {
         editRow(d, "u1", [](ClientDataSet& e) { set(e, "sl", 3.0), set(e, "je", 30); });
       },
       "update vt_x_xmzzk_mx set sl=3,je=30.0000 where uid='u1'\n"},
      {"new row: fields with a value, key quoted, skipped fields left out",
       [](ClientDataSet& d) {
         appendRow(d, "u3", [](ClientDataSet& e) {
           set(e, "id", 0), set(e, "billno", "B1"), set(e, "sl", 0.1), set(e, "isok", true),
               set(e, "xm_code", "X9");
           set(e, "rq", DateTime::fromParts(2024, 12, 31, 23, 59, 59, 999));
         });
       },
       "insert into vt_x_xmzzk_mx (uid,billno,sl,isok,rq) values ('u3','B1',0.1,1,'2024-12-31 "
       "23:59:59.999')\n"},
      {"key change is keyed by the original key",
       [](ClientDataSet& d) { editRow(d, "u2", [](ClientDataSet& e) { set(e, "uid", "u2x"); }); },
       "update vt_x_xmzzk_mx set uid='u2x' where uid='u2'\n"},
      {"key changed twice is keyed by the key as loaded",
       [](ClientDataSet& d) {
         editRow(d, "u2", [](ClientDataSet& e) { set(e, "uid", "u2x"); });
         editRow(d, "u2x", [](ClientDataSet& e) { set(e, "sl", 7), set(e, "uid", "u2y"); });
       },
       "update vt_x_xmzzk_mx set uid='u2y',sl=7 where uid='u2'\n"},
      {"delete",
       [](ClientDataSet& d) {
         ASSERT_TRUE(d.locate("uid", "u1"));
         d.deleteRecord();
       },
       "delete from vt_x_xmzzk_mx where uid='u1'\n"},
      {"modified then deleted: one delete by the original key",
       [](ClientDataSet& d) {
         editRow(d, "u1", [](ClientDataSet& e) { set(e, "uid", "zz"); });
         d.deleteRecord();
       },
       "delete from vt_x_xmzzk_mx where uid='u1'\n"},
      {"inserted then edited stays one insert",
       [](ClientDataSet& d) {
         appendRow(d, "u3", [](ClientDataSet& e) { set(e, "sl", 1); });
         editRow(d, "u3", [](ClientDataSet& e) { set(e, "sl", 2), set(e, "billno", "B1"); });
       },
       "insert into vt_x_xmzzk_mx (uid,billno,sl) values ('u3','B1',2)\n"},
      {"inserted then deleted leaves nothing",
       [](ClientDataSet& d) {
         appendRow(d, "u3", [](ClientDataSet& e) { set(e, "sl", 1); });
         d.deleteRecord();
       },
       ""},
      {"changed and changed back writes nothing",
       [](ClientDataSet& d) {
         editRow(d, "u1", [](ClientDataSet& e) { set(e, "sl", 5); });
         editRow(d, "u1", [](ClientDataSet& e) { set(e, "sl", 2); });
       },
       ""},
      {"nulls and quotes a user typed",
       [](ClientDataSet& d) {
         editRow(d, "u1", [](ClientDataSet& e) {
           set(e, "je", Value()), set(e, "isok", Value()),
               set(e, "billno", "O'Neil'); delete from t; --");
         });
       },
       "update vt_x_xmzzk_mx set billno='O''Neil''); delete from t; --',je=NULL,isok=NULL where "
       "uid='u1'\n"},
      {"statements in the order the rows first changed",
       [](ClientDataSet& d) {
         editRow(d, "u2", [](ClientDataSet& e) { set(e, "sl", 4); });
         appendRow(d, "u3", [](ClientDataSet& e) { set(e, "dj", 1); });
         editRow(d, "u1", [](ClientDataSet& e) { set(e, "isok", true); });
         editRow(d, "u2", [](ClientDataSet& e) { set(e, "dj", 6); });
       },
       "update vt_x_xmzzk_mx set sl=4,dj=6.0000 where uid='u2'\n"
       "insert into vt_x_xmzzk_mx (uid,dj) values ('u3',1.0000)\n"
       "update vt_x_xmzzk_mx set isok=1 where uid='u1'\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ClientDataSet ds("cdsDetail");
    loadLines(ds);
    c.changes(ds);
    EXPECT_EQ(statements(ds), c.sql);
  }
}

// 3. An integer key is quoted too; an unposted edit is not part of the statements.
TEST(GetUpDataSQLList, IntegerKeyQuotedAndUnpostedEditIgnored) {
  ClientDataSet ds("cdsMaster");
  loadLines(ds);
  editRow(ds, "u1", [](ClientDataSet& e) { set(e, "sl", 3); });
  ds.edit();
  set(ds, "sl", 4);  // typed, not posted
  std::vector<std::string> list;
  GetUpDataSQLList("vt_x_xmzzk", "id", {"xm_code"}, ds, list);
  ASSERT_EQ(list.size(), 1u);
  EXPECT_EQ(list[0], "update vt_x_xmzzk set sl=3 where id='1'");
}

// 4. A row without a key value cannot be updated or deleted.
TEST(GetUpDataSQLList, MissingKeyIsAnError) {
  ClientDataSet ds("cdsDetail");
  ds.loadFrom(
      resultSet({{"uid", ValueType::Text, 36}, {"sl", ValueType::Float, 0}}, {{Value(), 1.0}}));
  ds.edit();
  set(ds, "sl", 2);
  ds.post();
  std::vector<std::string> list;
  EXPECT_THROW(GetUpDataSQLList("t", "uid", {}, ds, list), DataSetError);
  EXPECT_THROW(GetUpDataSQLList("t", "nosuch", {}, ds, list), DataSetError);
}

}  // namespace
}  // namespace dataset
