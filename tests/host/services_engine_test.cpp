// Host services over the real embedded engine (an in-memory database): what the
// services promise must hold for the SQL the engine actually runs.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <memory>

#include "dataset/client_data_set.h"
#include "host/host.h"
#include "host/lookup/host_plugs.h"
#include "host/plug/t_plugs_pool.h"
#include "host/scripted_ui.h"
#include "host/services/data_services.h"
#include "tsql/engine.h"

namespace {

using core::Value;

class EngineConnection : public db::Connection {
 public:
  EngineConnection() {
    if (sqlite3_open(":memory:", &db_) != SQLITE_OK)
      throw std::runtime_error("sqlite3_open failed");
    engine_ = std::make_unique<tsql::Engine>(db_);
  }
  ~EngineConnection() override {
    engine_.reset();
    sqlite3_close(db_);
  }
  db::BatchResult execBatch(std::string_view sql, const db::Params& params) override {
    return engine_->run(sql, params);
  }

 private:
  sqlite3* db_ = nullptr;
  std::unique_ptr<tsql::Engine> engine_;
};

class EngineServicesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    host.connection = &conn;
    host.ui = &ui;
    host.login = {"A'B", "A", 1, 7, "001", "王敏"};
    run("create table vt_b_xmbmk (id int identity(1,1) primary key, orgid varchar(20), code "
        "varchar(50),"
        " name varchar(200), itemno varchar(100), price_sale money default 0, isort int default 0,"
        " isdel bit default 0)");
    run("insert into vt_b_xmbmk(orgid, code, name, itemno, price_sale) values"
        "('A''B', 'X01', 'O''Brien写真', '', 12.5), ('A''B', 'X02', '喷绘', '', 3),"
        "('0002', 'X03', 'O''Brien其它店', '', 1)");
    run("create table vt_x_bill (id int identity(1,1) primary key, orgid varchar(20), version "
        "int)");
    run("insert into vt_x_bill(orgid, version) values('A''B', 2)");
    host::plugsPool().clear();
    host::registerHostPlugs();
  }
  void TearDown() override { host::plugsPool().clear(); }

  void run(const std::string& sql) {
    db::BatchResult r = conn.execBatch(sql, {});
    ASSERT_TRUE(r.ok()) << r.errorMessage() << "\n" << sql;
  }
  std::int64_t count(const std::string& table) {
    db::BatchResult r = conn.execBatch("select count(*) from " + table, {});
    return r.ok() ? r.resultSets.back().rows.front().front().asInteger() : -1;
  }

  EngineConnection conn;
  host::ScriptedUi ui;
  host::Host host;
  host::HostScope scope{host};
};

TEST_F(EngineServicesTest, LookupFilterWithAQuoteFindsTheRowAndChangesNothing) {
  struct Spy : host::ScriptedUi {
    tsql::ResultSet seen;
    std::string lookup(const host::LookupRequest& r) override {
      seen = r.candidates;
      return "";
    }
  } spy;
  host.ui = &spy;
  auto* plug = host::plugsPool().plugbyName("服务项目查询");
  plug->selectData(nullptr, "O'Brien", "");
  ASSERT_EQ(spy.seen.rows.size(), 1u);  // the other store's row stays out
  EXPECT_EQ(spy.seen.rows[0][3], Value("O'Brien写真"));

  plug->selectData(nullptr, "x'; delete from vt_b_xmbmk; --", "");
  EXPECT_TRUE(spy.seen.rows.empty());
  EXPECT_EQ(count("vt_b_xmbmk"), 3);

  plug->selectData(nullptr, "", "");
  EXPECT_EQ(spy.seen.rows.size(), 2u);  // no filter: the whole store
}

TEST_F(EngineServicesTest, TemplatedStoreIdWithAQuoteSelectsTheStore) {
  std::string json = host::openDataJson(
      host::sqlTemplate("select code from vt_b_xmbmk where orgid = :orgid order by code"));
  EXPECT_EQ(json, R"([{"code":"X01"},{"code":"X02"}])");
  dataset::ClientDataSet ds("cds");
  host::openDataToCDS(
      ds, "select code, price_sale from vt_b_xmbmk where orgid = :orgid and code = :code",
      {{"code", Value("X01")}});
  ASSERT_EQ(ds.recordCount(), 1);
  EXPECT_EQ(ds.fieldByName("price_sale").asCurrency(), core::Currency::fromRaw(125000));
}

TEST_F(EngineServicesTest, ExecSqlKeepsTheRaisedMessageAndVersionCheckReadsTheRow) {
  EXPECT_FALSE(
      host::execSQL("begin tran\nupdate vt_x_bill set version = version + 1\n"
                    "raiserror('单据保存失败', 16, 1)\nrollback tran"));
  EXPECT_EQ(host::lastExecSQLError(), "单据保存失败");
  EXPECT_TRUE(host::checkBillVersion("vt_x_bill", 1, 2));
  EXPECT_TRUE(host::execSQL("update vt_x_bill set version = version + 1 where id = 1"));
  EXPECT_FALSE(host::checkBillVersion("vt_x_bill", 1, 2));
  EXPECT_TRUE(host::checkBillVersion("vt_x_bill", 1, 3));
  EXPECT_FALSE(host::checkBillVersion("vt_x_bill", 99, 3));
}

}  // namespace
