// A host session over a real embedded engine on an in-memory SQLite database with the
// few tables the demonstration bill uses, made current for the test's lifetime. The
// bill forms' batches (save, audit guard, transactions) run exactly as in the program.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "db/embedded_connection.h"
#include "host/forms/bill_config.h"
#include "host/forms/page_control.h"
#include "host/host.h"
#include "host/scripted_ui.h"

namespace forms_test {

inline const char* kTestSchema = R"sql(
create table vt_c_qtrk (id int identity(1,1) primary key, orgid varchar(20) not null,
  billno varchar(50) not null, billdate datetime default getdate(), gys_id int default 0,
  ck_id int default 0, kdr_id int default 0, rklx_id int default 0, zy varchar(200),
  hjje money, remark varchar(500), status int default 0, zfflag bit default 0,
  version int default 0, shy_id int default 0, auditdate datetime,
  createtime datetime default getdate())
create table vt_c_qtrk_mx (id int identity(1,1) primary key, uid varchar(50) not null,
  orgid varchar(20) not null, billno varchar(50) not null, sp_id int default 0,
  sl float default 1, dj money default 0, je money default 0, beizhu varchar(500))
create table vt_b_gysbmk (id int identity(1,1) primary key, orgid varchar(20), code varchar(50), name varchar(200))
create table vt_b_ckbmk (id int identity(1,1) primary key, orgid varchar(20), code varchar(50), name varchar(200), isort int default 0, isdel bit default 0)
create table vt_b_ygbmk (id int identity(1,1) primary key, orgid varchar(20), code varchar(50), name varchar(100), isort int default 0, isdel bit default 0)
create table vt_b_spbmk (id int identity(1,1) primary key, orgid varchar(20), code varchar(50), name varchar(200), itemno varchar(100), baseunit varchar(20), pricein money default 0)
create table vt_sys_billaudit_logs (id int identity(1,1) primary key, orgid varchar(20),
  modulecode varchar(20), billtype varchar(50), billno varchar(50), ck_id int default 0,
  czy_id int default 0, auditmsg varchar(500), auditstate varchar(50), createtime datetime default getdate())
create table stock_audit_calls (id int identity(1,1) primary key, orgid varchar(20), category varchar(20),
  billno varchar(50), audit int)
create procedure sp_sys_genbillno @orgid varchar(50), @category varchar(20), @tag varchar(20),
  @ck_id int, @billno varchar(50) output
as
begin
  declare @n int
  select @n = count(*) + 1 from vt_c_qtrk where orgid = @orgid
  set @billno = @tag + @category + '-' + cast(@n as varchar(10))
end
-- The database's audit procedure; here it only records how the common audit called it.
create procedure sp_sys_billaudit @orgid varchar(50), @category varchar(20), @billno varchar(50), @audit int
as
begin
  insert into stock_audit_calls(orgid, category, billno, audit) values (@orgid, @category, @billno, @audit)
end
)sql";

inline const char* kTestData = R"sql(
insert into vt_b_gysbmk(orgid, code, name) values('0001', 'G01', '华美纸业')
insert into vt_b_ckbmk(orgid, code, name) values('0001', 'C01', '总店')
insert into vt_b_ygbmk(orgid, code, name) values('0001', 'Y01', '王敏')
insert into vt_b_spbmk(orgid, code, name, itemno, baseunit, pricein) values('0001', 'S01', '铜版纸', 'A4', '包', 12.5)
)sql";

class FormsTest : public ::testing::Test {
 protected:
  FormsTest() {
    host.connection = &conn;
    host.ui = &ui;
    host.login = {"0001", "A", 1, 1, "001", "王敏"};
    host.rights.all = true;
    host.defaultPlugInfo = [](std::string_view code) { return host::defaultBillConfig(code); };
    host.idSource = [this] { return "uid-" + std::to_string(++ids); };
    db::BatchResult r = conn.execBatch(kTestSchema);
    EXPECT_TRUE(r.ok()) << r.errorMessage();
    r = conn.execBatch(kTestData);
    EXPECT_TRUE(r.ok()) << r.errorMessage();
  }
  ~FormsTest() override { host::PageControl().clear(); }

  //! Runs a query and gives its first value as text ("" when none).
  std::string scalar(const std::string& sql) {
    db::BatchResult r = conn.execBatch(sql);
    if (!r.ok() || r.resultSets.empty() || r.resultSets.back().rows.empty()) return {};
    return r.resultSets.back().rows[0][0].asText();
  }

  int ids = 0;
  db::EmbeddedConnection conn{":memory:"};  // a private database, opened as the program opens a file
  host::ScriptedUi ui;
  host::Host host;
  host::HostScope scope{host};
};

}  // namespace forms_test
