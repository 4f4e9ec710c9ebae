// After the schema is created, every table and view the scripts declare is in the
// database's catalog and can be read; the demo data holds what the bills rely on; an
// older database gets the tables added since when it is upgraded.
#include <libpq-fe.h>
#include <sqlite3.h>

#include <regex>
#include <set>
#include <sstream>

#include "core/md5.h"
#include "core/strings.h"
#include "schema/schema_upgrade.h"
#include "schema_db_test.h"

namespace {

using schematest::run;
using schematest::scalar;

// Names of tables and views declared by the embedded scripts (lower case): every
// line that starts with CREATE TABLE or CREATE VIEW.
std::set<std::string> declaredObjects() {
  std::set<std::string> names;
  std::regex create(R"(^\s*create\s+(table|view)\s+(\w+))", std::regex::icase);
  for (const auto& file : schema::schemaFiles()) {
    std::istringstream lines{std::string(file.text)};
    std::smatch m;
    for (std::string line; std::getline(lines, line);)
      if (std::regex_search(line, m, create)) names.insert(core::lowerCase(m[2].str()));
  }
  return names;
}

// Tables and views of the application found in the SQLite catalog of the file.
std::set<std::string> fileCatalog(const std::string& path) {
  std::set<std::string> names;
  sqlite3* handle = nullptr;
  EXPECT_EQ(sqlite3_open_v2(path.c_str(), &handle, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
  sqlite3_stmt* stmt = nullptr;
  sqlite3_prepare_v2(handle,
                     "select lower(name) from sqlite_master where type in ('table','view') "
                     "and name like 'vt\\_%' escape '\\'",
                     -1, &stmt, nullptr);
  while (stmt && sqlite3_step(stmt) == SQLITE_ROW)
    names.insert(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)));
  sqlite3_finalize(stmt);
  sqlite3_close(handle);
  return names;
}

// Tables and views of the application in the server database's own catalog.
std::set<std::string> serverCatalog(const std::string& uri) {
  std::set<std::string> names;
  PGconn* conn = PQconnectdb(uri.c_str());
  EXPECT_EQ(PQstatus(conn), CONNECTION_OK) << PQerrorMessage(conn);
  PGresult* r = PQexec(conn,
                       "select lower(table_name) from information_schema.tables "
                       "where table_schema = current_schema() and table_name like 'vt\\_%'");
  EXPECT_EQ(PQresultStatus(r), PGRES_TUPLES_OK) << PQerrorMessage(conn);
  for (int row = 0; row < PQntuples(r); ++row) names.insert(PQgetvalue(r, row, 0));
  PQclear(r);
  PQfinish(conn);
  return names;
}

class SchemaCatalog : public schematest::SchemaDb {};
SCHEMA_ON_BOTH_BACKENDS(SchemaCatalog);

TEST_P(SchemaCatalog, EveryDeclaredTableAndViewExistsAndIsQueryable) {
  open(true);
  auto declared = declaredObjects();
  auto catalog = onServer() ? serverCatalog(place) : fileCatalog(place);
  EXPECT_GT(declared.size(), 60u);
  for (const auto& name : declared)
    EXPECT_TRUE(catalog.count(name)) << "[" << name << "] missing from the catalog";
  for (const auto& name : catalog) {
    auto r = db->execBatch("select * from " + name);
    EXPECT_TRUE(r.ok()) << name << ": " << r.errorMessage();
    ASSERT_EQ(r.resultSets.size(), 1u) << name;
    EXPECT_FALSE(r.resultSets[0].columns.empty()) << name;
  }
}

TEST_P(SchemaCatalog, ViewsCarryTheDisplayColumnsOfTheOrder) {
  open(true);
  run(*db, "insert into vt_x_xmzzk(uid, orgid, billno, kh_id, ck_id, kdr_id, ywy_id, flow_id, shfs_id, status)"
           " values ('u1', '0001', 'X1', 2, 1, 1, 4, 1, 2, 2)\n"
           "insert into vt_x_xmzzk_mx(uid, orgid, billno, xm_id, sl) values ('m1', '0001', 'X1', 3, 5)");
  auto r = run(*db, "select kh_code, kh_name, ck_name, kdr_name, ywy_name, flow_name, shfs_name, statusinfo"
                    " from vt_v_xmzzk where orgid = '0001' and billno = 'X1'\n"
                    "select xm_code, xm_name, jjfs, minje from vt_v_xmzzk_mx where billno = 'X1'");
  ASSERT_EQ(r.resultSets.size(), 2u);
  ASSERT_EQ(r.resultSets[0].rows.size(), 1u);
  std::vector<std::string> header;
  for (const auto& v : r.resultSets[0].rows[0]) header.push_back(v.asText());
  EXPECT_EQ(header, (std::vector<std::string>{"C001", "华宇地产", "人民路总店", "王敏", "陈刚",
                                              "前台接待", "送货上门", "已完工"}));
  ASSERT_EQ(r.resultSets[1].rows.size(), 1u);
  EXPECT_EQ(r.resultSets[1].rows[0][0].asText(), "XM003");
  EXPECT_EQ(r.resultSets[1].rows[0][2].asText(), "否");
}

// A database made before operators had passwords (no sign-in table) gets it from the
// same script, with its defaults and unique key, once; one that has it is left alone.
// Procedures an older build left (another text, or none) get this build's; the rest
// are not written.
TEST_P(SchemaCatalog, AnOlderDatabaseGetsTheSignInTableAndThisBuildsProceduresWhenUpgraded) {
  open(true);
  EXPECT_FALSE(schema::upgradeDatabase(*db).any());
  EXPECT_EQ(scalar(*db, "select count(*) from vt_sys_user_login").asInteger(), 6);
  run(*db, "drop table vt_sys_user_login");
  run(*db, "drop procedure sp_rpt_day");
  run(*db, "alter procedure sp_rpt_days @rq1 datetime, @rq2 datetime, @from datetime output, "
           "@end datetime output as set @from = null");
  db = connect();  // opened again, as by the shop's program
  const schema::Upgraded first = schema::upgradeDatabase(*db);
  EXPECT_TRUE(first.tablesAdded);
  EXPECT_EQ(first.proceduresRenewed, 2);
  EXPECT_FALSE(schema::upgradeDatabase(*db).any());
  EXPECT_EQ(scalar(*db, "declare @f datetime, @e datetime exec sp_rpt_days '2024-03-05', '2024-03-06', "
                        "@f output, @e output select datediff(day, @f, @e)")
                .asInteger(),
            2);
  EXPECT_TRUE(db->execBatch("exec sp_rpt_day '0001'").ok());
  run(*db, "insert into vt_sys_user_login(orgid, czy_id, pwdhash) values ('0001', 1, 'h')");
  EXPECT_EQ(scalar(*db,
                   "select count(*) from vt_sys_user_login where failcount = 0 and "
                   "lockuntil is null and pwdtime is not null")
                .asInteger(),
            1);
  EXPECT_FALSE(
      db->execBatch("insert into vt_sys_user_login(orgid, czy_id, pwdhash) values ('0001', 1, 'x')")
          .ok());
  EXPECT_EQ(scalar(*db, "select @@trancount").asInteger(), 0);
}

TEST_P(SchemaCatalog, DemoDataHoldsWhatTheBillsRelyOn) {
  open(true);
  EXPECT_EQ(scalar(*db, "select code + name from vt_b_ygbmk where id = 1").asText(), "001王敏");
  EXPECT_EQ(scalar(*db, "select count(*) from vt_b_jsfs where orgid = '0001' and isdel = 0 and ((code = '01' and "
                       "name = '现结') or (code = '02' and name = '减免') or (code = '03' and name = '会员卡'))")
                .asInteger(),
            3);
  // The store the demo login works in has a default customer; the other has none.
  EXPECT_EQ(scalar(*db, "select k.code from vt_b_ckbmk c inner join vt_b_khbmk k on c.kh_id = k.id where c.id = 1")
                .asText(),
            "C000");
  EXPECT_EQ(scalar(*db, "select kh_id from vt_b_ckbmk where id = 2").asInteger(), 0);
  EXPECT_EQ(scalar(*db, "select count(distinct xyjlx) from vt_b_khbmk where orgid = '0001'").asInteger(), 2);
  // The member card's password is checked as MD5S of the typed text.
  EXPECT_EQ(scalar(*db, "select pwd from vt_b_khbmk_vip where code = 'VIP0001'").asText(),
            core::MD5S("123456"));
  auto kh = scalar(*db, "select id from vt_b_khbmk where code = 'C002'").asInteger();
  // The settlement window's card query (text as the window sends it) shows 1000.
  auto r = run(*db, "declare @kh_id int,@orgid varchar(10)\r\nset @orgid='0001'\r\nset @kh_id=" + std::to_string(kh) +
                        "\r\nselect t1.*, t2.je from ( \r\nselect * from vt_b_khbmk_vip where id in(select card_id "
                        "from vt_b_khbmk where id = @kh_id and orgid=@orgid)\r\n) t1 left join (\r\nselect card_id, "
                        "sum(incje) - sum(decje) je from vt_b_khbmk_vip_pay where kh_id=@kh_id and orgid=@orgid group "
                        "by card_id \r\n) t2 on t1.id = t2.card_id");
  ASSERT_EQ(r.resultSets.size(), 1u);
  ASSERT_EQ(r.resultSets[0].rows.size(), 1u);
  EXPECT_EQ(r.resultSets[0].columns.back().name, "je");
  EXPECT_EQ(r.resultSets[0].rows[0].back().asCurrency(), core::Currency::fromInt(1000));
  // Quantity tiers of the business cards: both bounds inclusive.
  for (auto [sl, dj] : {std::pair{4.0, 30}, {5.0, 25}, {9.0, 25}, {10.0, 20}}) {
    auto price = scalar(*db, "select t.dj from vt_b_xmbmk_jtdj t inner join vt_b_xmbmk x on t.xm_id = x.id"
                             " where x.code = 'XM003' and t.from_sl <= :sl and t.to_sl >= :sl",
                        {{"sl", core::Value(sl)}});
    EXPECT_EQ(price.asCurrency(), core::Currency::fromInt(dj)) << sl;
  }
}

}  // namespace
