// The server going away under saving clients: a batch cut off is told in the clerk's
// words (not done, or in doubt when its COMMIT was sent and never answered), the
// connection comes back, and reading the bill back after reconnecting tells which
// it was. Every bill the clients were told is saved is there whole; no other is.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <set>
#include <thread>
#include <vector>

#include "db/connection_cut.h"
#include "db/pg_connection.h"
#include "pg_test_cluster.h"

namespace {

const char* kSetup =
    "create table bill(id int identity(1,1) primary key, code varchar(20) unique, n int)\r\n"
    "create table line(id int identity(1,1) primary key, code varchar(20), q int)\r\n";

// A whole save: the header, three lines and the header's total, or nothing.
std::string saveBatch(const std::string& code) {
  const std::string c = "'" + code + "'";
  return "begin try\r\n begin tran\r\n insert into bill(code, n) values(" + c +
         ", 0)\r\n"
         " insert into line(code, q) values(" +
         c + ", 1)\r\n insert into line(code, q) values(" + c +
         ", 2)\r\n"
         " insert into line(code, q) values(" +
         c + ", 3)\r\n update bill set n = (select count(*) from line where code = " + c +
         ") where code = " + c +
         "\r\n commit\r\nend try\r\nbegin catch\r\n if @@trancount > 0 rollback\r\n"
         " raiserror('save failed', 16, 1)\r\nend catch\r\n";
}

// The bill read back: -1 when absent, else its line count (3 when whole).
int readBack(db::Connection& c, const std::string& code) {
  db::BatchResult r = c.execBatch(
      "select isnull((select n from bill where code = :c), -1), (select count(*) from line where "
      "code = :c)",
      {{"c", core::Value(code)}});
  if (!r.ok()) return -2;
  const auto& row = r.resultSets.back().rows.at(0);
  const auto n = row[0].asInteger();
  return n < 0 ? (row[1].asInteger() == 0 ? -1 : -3)
               : (n == row[1].asInteger() ? static_cast<int>(n) : -3);
}

struct CutCase {
  const char* name;
  db::ConnectionCut cut;
  db::Loss loss;
  const char* message;
  int readBack;  // 3: the bill is there whole, -1: absent
};

// The cut before the commit (at the header's last write: the server rolls back) and at
// the commit (the COMMIT sent, its answer never read: the server commits). Both through a batch's
// own COMMIT and through the host unit's; a batch run while the connection is gone is not done and
// touches nothing.
TEST(LostConnection, CommitCutOffIsToldAndResolvedByReadingBack) {
  const std::string uri = pgtest::freshDatabase("lost_commit");
  ASSERT_FALSE(uri.empty());
  db::PgConnection c(uri);
  ASSERT_TRUE(c.execBatch(kSetup).ok());
  const CutCase cases[] = {
      {"before", {false, "UPDATE"}, db::Loss::NotDone, db::kConnectionLostMessage, -1},
      {"after", {true, "COMMIT"}, db::Loss::InDoubt, db::kCommitInDoubtMessage, 3},
  };
  for (const CutCase& k : cases)
    for (bool unit : {false, true}) {
      const std::string code = std::string(k.name) + (unit ? "-unit" : "-batch");
      db::ConnectionCut cut = k.cut;
      db::armConnectionCut(&cut);
      std::string message;
      if (unit) {
        c.beginUnit();
        message = c.execBatch(saveBatch(code)).errorMessage();  // cut here when before
        const std::string committed = c.commitUnit();
        EXPECT_EQ(committed, k.message) << code;
        if (message.empty()) message = committed;
      } else {
        message = c.execBatch(saveBatch(code)).errorMessage();
      }
      db::armConnectionCut(nullptr);
      EXPECT_TRUE(cut.fired) << code;
      EXPECT_EQ(message, k.message) << code;
      EXPECT_EQ(c.lastLoss(), k.loss) << code;
      EXPECT_FALSE(c.connected()) << code;
      db::BatchResult meanwhile = c.execBatch(saveBatch(code + "-x"));
      EXPECT_EQ(meanwhile.errorMessage(), db::kConnectionLostMessage) << code;
      EXPECT_EQ(c.lastLoss(), k.loss) << code;
      ASSERT_TRUE(c.reconnect()) << code;
      EXPECT_EQ(readBack(c, code), k.readBack) << code;
      EXPECT_EQ(readBack(c, code + "-x"), -1) << code;
    }
}

// A cluster of this test's own, so stopping it disturbs no other test of the run.
class OwnCluster {
 public:
  OwnCluster()
      : state_(std::string(COREAPP_BINARY_DIR) + "/pg-restart-" + std::to_string(getpid())) {
    if (script("start").empty()) uri_ = pgtest::readFirstLine(state_ + "/uri");
  }
  ~OwnCluster() { script("stop"); }
  //! "" when done, else the script's output.
  std::string script(const std::string& action, const std::string& mode = "") {
    const std::string cmd = "bash '" + std::string(COREAPP_SOURCE_DIR) +
                            "/scripts/pg_cluster.sh' " + action + " '" + state_ + "' " + mode +
                            " 2>&1";
    std::string out;
    FILE* p = popen(cmd.c_str(), "r");
    if (!p) return "cannot run " + cmd;
    char buf[512];
    while (fgets(buf, sizeof buf, p)) out += buf;
    return pclose(p) == 0 ? "" : out.empty() ? "failed" : out;
  }
  const std::string& uri() const { return uri_; }

 private:
  std::string state_;
  std::string uri_;
};

constexpr int kClients = 4;
constexpr int kMaxBillsEach = 400;
constexpr int kLossesEach = 3;  // a client stops once it came back this often

// What one client was told of its bills, and any message that is not the clerk's.
struct ClientLog {
  std::vector<std::string> attempted;
  std::set<std::string> toldSaved;
  int cutOff = 0;
  int inDoubt = 0;
  int cameBack = 0;
  std::vector<std::string> strange;
};

// Keeps connecting until the server answers (a bounded number of tries).
bool comeBack(db::Connection& c, ClientLog& log) {
  for (int attempt = 0; attempt < 3000; ++attempt) {
    if (c.reconnect()) return ++log.cameBack, true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  log.strange.push_back("never reconnected");
  return false;
}

// After reconnecting, the bill as the server has it: the read itself may meet the
// server going away again, and is then made once more.
int settledReadBack(db::Connection& c, const std::string& code, ClientLog& log) {
  for (int tries = 0; tries < 20; ++tries) {
    if (!c.connected() && !comeBack(c, log)) return -2;
    if (const int found = readBack(c, code); found != -2) return found;
  }
  return -2;
}

// One save until the client is told it is saved: a save not done is made again, one in
// doubt read back first.
void saveUntilTold(db::Connection& c, const std::string& code, ClientLog& log) {
  for (int tries = 0; tries < 50 && !log.toldSaved.contains(code); ++tries) {
    if (!c.connected() && !comeBack(c, log)) return;
    db::BatchResult r = c.execBatch(saveBatch(code));
    if (r.ok()) {
      log.toldSaved.insert(code);
      return;
    }
    ++log.cutOff;
    const db::Loss loss = c.lastLoss();
    const std::string told =
        loss == db::Loss::InDoubt ? db::kCommitInDoubtMessage : db::kConnectionLostMessage;
    if (loss == db::Loss::None || r.errorMessage() != told) log.strange.push_back(r.errorMessage());
    if (loss != db::Loss::InDoubt) continue;
    ++log.inDoubt;
    const int found = settledReadBack(c, code, log);
    if (found == 3)
      log.toldSaved.insert(code);
    else if (found != -1)
      log.strange.push_back(code + " read back as " + std::to_string(found));
  }
}

void clerk(const std::string& uri, int id, std::atomic<int>& progress, std::atomic<int>& running,
           ClientLog& log) {
  {
    db::PgConnection c(uri);
    for (int k = 0; k < kMaxBillsEach && log.cameBack < kLossesEach && log.strange.empty(); ++k) {
      log.attempted.push_back("c" + std::to_string(id) + "-" + std::to_string(k));
      saveUntilTold(c, log.attempted.back(), log);
      ++progress;
    }
  }
  --running;
}

TEST(LostConnection, ServerRestartedUnderFourSavingClients) {
  OwnCluster cluster;
  ASSERT_FALSE(cluster.uri().empty()) << "the test's own cluster did not start";
  ASSERT_EQ(pgtest::run(cluster.uri(), "CREATE DATABASE shop"), "");
  // the cluster runs without waiting for its log; a commit told must outlive a crash
  ASSERT_EQ(pgtest::run(cluster.uri(), "ALTER DATABASE shop SET synchronous_commit = on"), "");
  const std::string uri =
      "postgresql:///shop" + cluster.uri().substr(std::string("postgresql:///postgres").size());
  {
    db::PgConnection setup(uri);
    ASSERT_TRUE(setup.execBatch(kSetup).ok());
  }
  std::atomic<int> progress{0};
  std::atomic<int> running{kClients};
  std::vector<ClientLog> logs(kClients);
  std::vector<std::thread> clients;
  for (int i = 0; i < kClients; ++i)
    clients.emplace_back(clerk, uri, i, std::ref(progress), std::ref(running), std::ref(logs[i]));
  // the server stops (politely, then as in a crash) each time the clients have saved a
  // few more bills, until every client came back from it often enough
  const char* modes[] = {"fast", "immediate"};
  for (int round = 0; round < 4 * kLossesEach && running > 0; ++round) {
    const int from = progress;
    while (running > 0 && progress < from + 2 * kClients)
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    EXPECT_EQ(cluster.script("halt", modes[round % 2]), "") << "round " << round;
    EXPECT_EQ(cluster.script("resume"), "") << "round " << round;
  }
  for (std::thread& t : clients) t.join();

  db::PgConnection check(uri);
  int told = 0;
  for (int i = 0; i < kClients; ++i) {
    for (const std::string& s : logs[i].strange) ADD_FAILURE() << "client " << i << ": " << s;
    EXPECT_GE(logs[i].cutOff, 1) << "client " << i << " never met the server going away";
    EXPECT_EQ(logs[i].toldSaved.size(), logs[i].attempted.size()) << "client " << i;
    told += static_cast<int>(logs[i].toldSaved.size());
    for (const std::string& code : logs[i].attempted)
      EXPECT_EQ(readBack(check, code), logs[i].toldSaved.contains(code) ? 3 : -1) << code;
  }
  db::BatchResult all = check.execBatch("select count(*) from bill");
  ASSERT_TRUE(all.ok());
  EXPECT_EQ(all.resultSets.back().rows.at(0)[0].asInteger(), told);
}

}  // namespace
