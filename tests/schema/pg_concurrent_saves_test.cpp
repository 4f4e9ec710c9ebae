// Several counters saving at once on one server: 8 client processes save 100 bills
// each (project orders and purchase bills alternately, the batches the editors send).
// Every save must come through (a conflict is run again whole, never shown), every
// number must be issued once, and every bill must be whole: its lines and its total.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

#include "db/pg_connection.h"
#include "pg_test_cluster.h"
#include "schema/schema_script.h"

namespace {

constexpr int kClients = 8;
constexpr int kSavesEach = 100;

// The save batch of a new bill: number, header, two lines, total; one transaction.
std::string saveBatch(bool order, int client, int save) {
  std::string category = order ? "1100" : "1120";
  std::string head = order ? "vt_x_xmzzk" : "vt_c_spjh";
  std::string uid = "'c" + std::to_string(client) + "-s" + std::to_string(save) + "-";
  std::string header =
      order ? "insert into vt_x_xmzzk (orgid,billno,billdate,kh_id,khlx,ck_id,kdr_id,status,version) "
              "values ('0001',@billno,'2026-12-06 10:00:00',2,'签单',1,1,0,0)\r\n"
            : "insert into vt_c_spjh (orgid,billno,billdate,gys_id,ck_id,kdr_id,status,version) "
              "values ('0001',@billno,'2026-12-06 10:00:00',1,1,1,0,0)\r\n";
  std::string lines;
  for (int i = 1; i <= 2; ++i) {
    std::string je = i == 1 ? "125.0000" : "72.5000";
    lines += order ? "insert into vt_x_xmzzk_mx (uid,orgid,billno,xm_id,sl,n,x,y,k,dj,zk,je) values (" + uid +
                         std::to_string(i) + "','0001',@billno,3,5,1,1,1,1,25.0000,1," + je + ")\r\n"
                   : "insert into vt_c_spjh_mx (uid,orgid,billno,sp_id,sl,zk,dj,je) values (" + uid +
                         std::to_string(i) + "','0001',@billno,3,500,1,1.2000," + je + ")\r\n";
  }
  return "DECLARE @billno varchar(50)\r\nbegin tran\r\nbegin try\r\n"
         "exec [dbo].[sp_sys_genbillno] '0001', '" + category + "', 'A', 1, @billno OUTPUT\r\n"
         "set @billno = isnull(@billno, '')\r\nif @billno = '' raiserror('单据保存失败', 16, 1)\r\n" +
         header + lines + "update dbo." + head + " set hjje = (select sum(je) from dbo." + head +
         "_mx where billno = @billno) where orgid = '0001' and billno = @billno\r\n"
         "end try\r\nbegin catch\r\nif (@@trancount>0) rollback tran\r\nraiserror('单据保存失败', 16, 1)\r\n"
         "end catch\r\nif (@@trancount>0) commit tran\r\n";
}

// One counter: its own connection, 100 saves; the exit code counts the failed ones.
[[noreturn]] void runClient(const std::string& uri, int client) {
  int failed = 0;
  try {
    db::PgConnection conn(uri);
    for (int save = 0; save < kSavesEach; ++save) {
      auto r = conn.execBatch(saveBatch(save % 2 == 0, client, save));
      if (r.ok()) continue;
      if (++failed == 1) std::fprintf(stderr, "client %d, save %d: %s\n", client, save, r.errorMessage().c_str());
    }
  } catch (const std::exception&) {
    failed = kSavesEach;
  }
  _exit(failed > 100 ? 100 : failed);
}

std::int64_t count(db::Connection& c, const std::string& sql) {
  auto r = c.execBatch(sql);
  EXPECT_TRUE(r.ok()) << r.errorMessage();
  return r.ok() && !r.resultSets.empty() ? r.resultSets.back().rows.at(0).at(0).asInteger() : -1;
}

TEST(PgConcurrentSaves, EightCountersSavingAtOnceGetDistinctNumbersAndWholeBills) {
  std::string uri = pgtest::freshDatabase("concurrent_saves");
  ASSERT_FALSE(uri.empty());
  {
    db::PgConnection setup(uri);
    schema::createDatabase(setup, false);
  }
  std::vector<pid_t> clients;
  for (int c = 0; c < kClients; ++c) {
    pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) runClient(uri, c);
    clients.push_back(pid);
  }
  int failedSaves = 0;
  for (pid_t pid : clients) {
    int status = 0;
    waitpid(pid, &status, 0);
    failedSaves += WIFEXITED(status) ? WEXITSTATUS(status) : kSavesEach;
  }
  EXPECT_EQ(failedSaves, 0);
  db::PgConnection check(uri);
  const std::string bills =
      "(select billno, hjje, (select count(*) from vt_x_xmzzk_mx m where m.billno = h.billno) lines, "
      "(select sum(je) from vt_x_xmzzk_mx m where m.billno = h.billno) total from vt_x_xmzzk h "
      "union all select billno, hjje, (select count(*) from vt_c_spjh_mx m where m.billno = h.billno), "
      "(select sum(je) from vt_c_spjh_mx m where m.billno = h.billno) from vt_c_spjh h) b";
  EXPECT_EQ(count(check, "select count(*) from " + bills), kClients * kSavesEach);
  EXPECT_EQ(count(check, "select count(distinct billno) from " + bills), kClients * kSavesEach);
  EXPECT_EQ(count(check, "select count(*) from " + bills + " where lines = 2 and hjje = total and hjje = 197.5"),
            kClients * kSavesEach);
}

}  // namespace
