// The shop history in batches: the same rows on a file written directly, on a file
// through T-SQL batches and on a server (the masters' ids read back beside the demo
// data); the literals the batches are made of; a run asked to stop keeps nothing on
// a file and, through `coreapp db init`, empties the server database; a killed one
// leaves a server database that is refused until made again.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "db/pg_connection.h"
#include "pg_test_cluster.h"
#include "schema/history_batch_sink.h"
#include "schema/shop_history.h"
#include "schema_db_test.h"

namespace {

using schematest::coreapp;
using schematest::scalar;

// Two years of 730 orders and 20 new customers a year.
const schema::ShopScale kSmallShop{2, 730, 20, 11};

// What a run gives, grouped by the masters' codes so that the ids' mapping counts.
const char* const kFingerprint[] = {
    "select status, count(*), sum(hjje), sum(hjsk), sum(ispay), sum(zfflag), convert(varchar(23), min(billdate), 121), "
    "convert(varchar(23), max(jhrq), 121) from vt_x_xmzzk where uid like 'O%' group by status order by status",
    "select k.code, k.tel, count(*), sum(h.hjje) from vt_x_xmzzk h join vt_b_khbmk k on k.id = h.kh_id "
    "where h.uid like 'O%' group by k.code, k.tel order by k.code",
    "select s.code, y.code, count(*) from vt_x_xmzzk h join vt_b_ckbmk s on s.id = h.ck_id join vt_b_ygbmk y "
    "on y.id = h.ywy_id where h.uid like 'O%' group by s.code, y.code order by s.code, y.code",
    "select i.code, i.price_sale, count(*), sum(l.je), sum(l.old_dj), sum(cast(l.x * 10 + 0.5 as int)), "
    "sum(cast(l.y * 10 + 0.5 as int)), sum(cast(l.sl as int)) from vt_x_xmzzk_mx l join vt_b_xmbmk i "
    "on i.id = l.xm_id where l.uid like 'O%' group by i.code, i.price_sale order by i.code",
    "select y.code, count(*), sum(z.jxje), sum(cast(z.jxjf as int)) from vt_x_xmzzk_mx_zzry z join vt_b_ygbmk y "
    "on y.id = z.yg_id where z.uid like 'ZO%' group by y.code order by y.code",
    "select g.code, g.pricein, count(*), sum(cast(c.sl as int)) from vt_x_xmzzk_mx_hc c join vt_b_spbmk g "
    "on g.id = c.sp_id where c.uid like 'CO%' group by g.code, g.pricein order by g.code",
    "select jsfs_id, count(*), sum(je) from vt_x_xmzzk_js where uid like 'JO%' group by jsfs_id "
    "order by jsfs_id",
    "select v.code, p.biztype, count(*), sum(p.incje), sum(p.decje), sum(o.hjje) from "
    "vt_b_khbmk_vip_pay p join "
    "vt_b_khbmk_vip v on v.id = p.card_id join vt_b_khbmk k on k.id = p.kh_id and k.id = v.kh_id "
    "left join "
    "vt_x_xmzzk o on o.id = p.bizid where v.code like 'VIP0%' group by v.code, p.biztype order by "
    "v.code, p.biztype",
};

// Every fingerprint query's rows, one text line a row.
std::vector<std::string> fingerprint(db::Connection& c) {
  std::vector<std::string> lines;
  for (const char* sql : kFingerprint) {
    auto r = schematest::run(c, sql);
    if (r.resultSets.empty()) continue;
    for (const auto& row : r.resultSets.front().rows) {
      std::string line;
      for (const auto& v : row) line += (v.isNull() ? std::string("null") : v.asText()) + "|";
      lines.push_back(line);
    }
    lines.push_back("--");
  }
  return lines;
}

std::vector<std::string> fileFingerprint(bool inBatches) {
  const auto path = schematest::freshPath("batches");
  std::vector<std::string> lines;
  {
    db::EmbeddedConnection c(path);
    schema::createDatabase(c, true);
    if (inBatches) schema::addShopHistoryInBatches(c, kSmallShop);
    else schema::addShopHistory(c, kSmallShop);
    lines = fingerprint(c);
  }
  schematest::removeFile(path);
  return lines;
}

TEST(HistoryBatches, SameNumbersOnTheFileDirectlyInBatchesAndOnTheServer) {
  const auto direct = fileFingerprint(false);
  ASSERT_GT(direct.size(), 300u);  // customers, items, goods and staff each have their groups
  EXPECT_EQ(fileFingerprint(true), direct);

  const std::string uri = pgtest::freshDatabase("coreapp_history_batches");
  ASSERT_FALSE(uri.empty());
  db::PgConnection server(uri);
  schema::createDatabase(server, true);
  std::vector<std::string> months;
  schema::HistoryProgress progress;
  progress.monthWritten = [&](const std::string& month, long long rows) {
    months.push_back(month + " " + std::to_string(rows));
  };
  schema::addShopHistoryInBatches(server, kSmallShop, progress);
  EXPECT_EQ(fingerprint(server), direct);
  // a line a month, from the first month of the two years to the last, rows growing to all of them
  ASSERT_EQ(months.size(), 24u);  // 730 days back from 2026-11-30 start on 2024-12-01
  EXPECT_EQ(months.front().substr(0, 7), "2024-12");
  EXPECT_EQ(months.back().substr(0, 7), "2026-11");
  long long rows = 0;
  for (const char* table : {"vt_x_xmzzk where uid like 'O%'", "vt_x_xmzzk_mx where uid like 'O%'",
                            "vt_x_xmzzk_mx_zzry where uid like 'ZO%'", "vt_x_xmzzk_mx_hc where uid like 'CO%'",
                            "vt_x_xmzzk_js where uid like 'JO%'",
                            "vt_b_khbmk_vip_pay where card_id in "
                            "(select id from vt_b_khbmk_vip where code like 'VIP_____')"})
    rows += scalar(server, std::string("select count(*) from ") + table).asInteger();
  rows += 3 + 40 + 200 + 300 + 40 + 40;  // the masters, the customers' cards among them
  EXPECT_EQ(months.back().substr(8), std::to_string(rows));
}

TEST(HistoryBatches, RowsBecomeExactLiteralsInInsertsOfBoundedSize) {
  const schema::TableShape shape{"t", "a, b, c, d", "orgid", "'0001'"};
  EXPECT_EQ(schema::rowLiteral(shape, {schema::textField("O'Neil 门店"), schema::integerField(-7),
                                       schema::decimalField(5, 2), schema::decimalField(-150, 2)}),
            "('O''Neil 门店', -7, 0.05, -1.50, '0001')");
  EXPECT_EQ(schema::rowLiteral({"t", "a", "", ""}, {schema::decimalField(1234, 0)}), "(1234)");
  const std::vector<std::string> tuples(5, "(1)");
  EXPECT_EQ(schema::insertStatements({"t", "a", "", ""}, tuples, 2),
            "insert into t(a) values (1), (1);\ninsert into t(a) values (1), (1);\ninsert into t(a) values (1);\n");
  EXPECT_EQ(schema::insertStatements(shape, {}, 2), "");
}

TEST(HistoryBatches, AStoppedRunOnAFileKeepsNothing) {
  const auto path = schematest::freshPath("stopped");
  {
    db::EmbeddedConnection c(path);
    schema::createDatabase(c, false);
    int days = 0;
    schema::HistoryProgress progress;
    progress.stopRequested = [&] { return ++days == 3; };
    EXPECT_THROW(schema::addShopHistory(c, kSmallShop, progress), schema::HistoryStopped);
    EXPECT_EQ(days, 3);
    EXPECT_EQ(scalar(c, "select count(*) from vt_x_xmzzk").asInteger(), 0);
    EXPECT_EQ(scalar(c, "select count(*) from vt_b_khbmk").asInteger(), 0);
  }
  schematest::removeFile(path);
}

// Runs `coreapp db init --db <db> --scale 1`, sends it `signal` once it has reported its
// first month, and gives its exit code (-1 when a signal ended it) and standard error.
int interruptedInit(const std::string& db, std::string& errors, int signal = SIGINT) {
  int pipeEnds[2];
  if (pipe(pipeEnds) != 0) return -1;
  const pid_t child = fork();
  if (child == 0) {
    dup2(pipeEnds[1], 2);
    close(pipeEnds[0]);
    const std::string binary = schematest::coreappBinary();
    execl(binary.c_str(), binary.c_str(), "db", "init", "--db", db.c_str(), "--scale", "1", static_cast<char*>(nullptr));
    _exit(127);
  }
  close(pipeEnds[1]);
  FILE* in = fdopen(pipeEnds[0], "r");
  char line[512];
  bool signalled = false;
  while (std::fgets(line, sizeof line, in)) {
    errors += line;
    if (!signalled && errors.find(" written, ") != std::string::npos) signalled = kill(child, signal) == 0;
  }
  std::fclose(in);
  int status = 0;
  waitpid(child, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(HistoryBatches, AnInterruptedInitLeavesNoHalfFilledDatabase) {
  if (!std::filesystem::exists(schematest::coreappBinary())) GTEST_SKIP() << "coreapp is not built";
  const std::string uri = pgtest::freshDatabase("coreapp_history_interrupted");
  ASSERT_FALSE(uri.empty());
  std::string errors;
  EXPECT_EQ(interruptedInit(uri, errors), 1);
  EXPECT_NE(errors.find("interrupted"), std::string::npos) << errors;
  EXPECT_EQ(errors.find("2026-11 written"), std::string::npos) << errors;  // it stopped early
  EXPECT_FALSE(db::PgConnection(uri).holdsSchema());

  const auto path = schematest::freshPath("interrupted");
  errors.clear();
  EXPECT_EQ(interruptedInit(path, errors), 1);
  EXPECT_NE(errors.find("interrupted"), std::string::npos) << errors;
  EXPECT_FALSE(std::filesystem::exists(path));
}

TEST(HistoryBatches, AKilledInitIsRefusedUntilMadeAgain) {
  if (!std::filesystem::exists(schematest::coreappBinary())) GTEST_SKIP() << "coreapp is not built";
  const std::string uri = pgtest::freshDatabase("coreapp_history_killed");
  ASSERT_FALSE(uri.empty());
  std::string errors;
  EXPECT_EQ(interruptedInit(uri, errors, SIGKILL), -1);
  try {
    db::openConnection(uri);
    ADD_FAILURE() << "a half-filled server database was opened";
  } catch (const db::ConnectionError& e) {
    EXPECT_NE(std::string(e.what()).find("coreapp db init --force"), std::string::npos) << e.what();
  }
  EXPECT_EQ(coreapp("db init --db '" + uri + "'"), 2);  // it holds tables
  EXPECT_EQ(coreapp("db init --force --db '" + uri + "'"), 0);
  auto connection = db::openConnection(uri);
  EXPECT_EQ(scalar(*connection, "select count(*) from vt_x_xmzzk").asInteger(), 0);
}

}  // namespace
