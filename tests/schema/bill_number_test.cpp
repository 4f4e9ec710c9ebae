// sp_sys_genbillno: the number format, one sequence per branch, series, tag and day,
// numbers given back by a rolled-back save, unique ordered numbers when two processes
// save into one database at the same time, and unique numbers when four processes
// call the procedure at once, inside their own transactions or outside any.
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <functional>
#include <set>

#include "schema_db_test.h"

namespace {

using schematest::run;
using schematest::scalar;

std::string today() {
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char text[16];
  std::strftime(text, sizeof text, "%Y%m%d", &local);
  return text;
}

std::string issue(db::Connection& c, const std::string& orgid, const std::string& category,
                  const std::string& tag, int ckId) {
  return scalar(c, "declare @billno varchar(50)\nexec sp_sys_genbillno :orgid, :category, :tag, :ck_id, @billno OUTPUT\n"
                   "select @billno as billno",
                {{"orgid", orgid}, {"category", category}, {"tag", tag}, {"ck_id", ckId}}).asText();
}

// The save batch shape of every bill: number, header row, then optionally a statement
// that fails (a line without its key), all in one transaction.
std::string saveBatch(bool failing) {
  return std::string(
             "DECLARE @orgid varchar(50)\r\nDECLARE @category varchar(20)\r\nDECLARE @tag varchar(20)\r\n"
             "DECLARE @billno varchar(50)\r\nset @orgid = '0001'\r\nset @category = '1100'\r\nset @tag = 'A'\r\n"
             "begin tran\r\nbegin try\r\nexec [dbo].[sp_sys_genbillno] @orgid ,@category ,@tag ,1, @billno OUTPUT\r\n"
             "set @billno = isnull(@billno, '')\r\nif @billno = '' raiserror('单据保存失败', 16, 1)\r\n"
             "insert into vt_x_xmzzk(uid, orgid, billno, kh_id) values (newid(), @orgid, @billno, 1)\r\n") +
         (failing ? "insert into vt_x_xmzzk_mx(orgid, billno) values (@orgid, @billno)\r\n" : "") +
         "end try\r\nbegin catch\r\nif (@@trancount>0) rollback tran\r\n"
         "raiserror('单据保存失败', 16, 1)\r\nend catch\r\nif (@@trancount>0) commit tran";
}

std::vector<std::string> savedNumbers(db::Connection& c) {
  std::vector<std::string> out;
  auto r = run(c, "select billno from vt_x_xmzzk order by id");
  for (const auto& row : r.resultSets.at(0).rows) out.push_back(row[0].asText());
  return out;
}

class BillNumbers : public schematest::SchemaDb {};
SCHEMA_ON_BOTH_BACKENDS(BillNumbers);

// One sequence per branch, series, tag and day, past four digits when it must.
TEST_P(BillNumbers, FormatAndSequences) {
  open(false);
  const std::string d = today();
  struct Case {
    const char* orgid;
    const char* category;
    const char* tag;
    int ckId;
    std::string expected;
  };
  const Case cases[] = {
      {"0001", "1100", "A", 1, "A1100" + d + "0001"},
      {"0001", "1100", "A", 1, "A1100" + d + "0002"},
      {"0001", "1100", "A", 2, "A1100" + d + "0003"},  // another outlet on the same tag
      {"0001", "1100", "B", 1, "B1100" + d + "0001"},  // another tag
      {"0001", "1120", "A", 1, "A1120" + d + "0001"},  // another series
      {"0002", "1100", "A", 1, "A1100" + d + "0001"},  // another branch
      {"0001", "1100", "", 1, "1100" + d + "0001"},    // no tag
      {"", "1100", "A", 1, ""},                        // no branch: cannot issue
      {"0001", "", "A", 1, ""},                        // no series: cannot issue
  };
  for (const auto& c : cases)
    EXPECT_EQ(issue(*db, c.orgid, c.category, c.tag, c.ckId), c.expected)
        << c.orgid << "/" << c.category << "/" << c.tag;
  run(*db, "update vt_sys_billno set lastno = 9998 where orgid = '0002' and billday = '" + d + "'");
  EXPECT_EQ(issue(*db, "0002", "1100", "A", 1), "A1100" + d + "9999");
  EXPECT_EQ(issue(*db, "0002", "1100", "A", 1), "A1100" + d + "10000");
  if (today() != d) GTEST_SKIP() << "the day changed during the test";
}

TEST_P(BillNumbers, RolledBackSaveGivesItsNumberBackAndDeletedNumbersStayUsed) {
  open(false);
  const std::string d = today();
  EXPECT_TRUE(db->execBatch(saveBatch(false)).ok());
  auto failed = db->execBatch(saveBatch(true));
  ASSERT_FALSE(failed.ok());
  EXPECT_EQ(failed.errorMessage(), "单据保存失败");
  EXPECT_TRUE(db->execBatch(saveBatch(false)).ok());
  // The failed save wrote nothing and its number went to the next save.
  EXPECT_EQ(savedNumbers(*db),
            (std::vector<std::string>{"A1100" + d + "0001", "A1100" + d + "0002"}));
  // A deleted bill's number is not issued again.
  run(*db, "delete from vt_x_xmzzk where billno = 'A1100" + d + "0002'");
  EXPECT_TRUE(db->execBatch(saveBatch(false)).ok());
  EXPECT_EQ(savedNumbers(*db),
            (std::vector<std::string>{"A1100" + d + "0001", "A1100" + d + "0003"}));
}

TEST_P(BillNumbers, TwoProcessesSavingAtOnceGetUniqueOrderedNumbers) {
  open(false);
  const std::string d = today();
  db.reset();  // the children open their own connections; none is carried over fork
  constexpr int kSaves = 40;
  std::vector<pid_t> children;
  for (int p = 0; p < 2; ++p) {
    pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      int failures = 0;
      try {
        auto own = connect();
        for (int i = 0; i < kSaves; ++i)
          if (!own->execBatch(saveBatch(false)).ok()) ++failures;
      } catch (...) {
        failures = -1;  // reported through the exit status below
      }
      _exit(failures == 0 ? 0 : 1);
    }
    children.push_back(pid);
  }
  for (pid_t pid : children) {
    int status = 0;
    waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0)
        << "a save failed in process " << pid;
  }
  db = connect();
  auto numbers = savedNumbers(*db);
  ASSERT_EQ(numbers.size(), 2u * kSaves);
  // In the order the rows were written the numbers are 0001, 0002, ... with no gap
  // and no repeat: each save got the next number inside its own transaction.
  for (int i = 0; i < 2 * kSaves; ++i) {
    char seq[8];
    std::snprintf(seq, sizeof seq, "%04d", i + 1);
    EXPECT_EQ(numbers[i], "A1100" + d + seq);
  }
}

// Each of `processes` children opens its own connection and asks for `count` numbers,
// each call a batch of its own (in a transaction of its own when `inTransaction`), and
// writes them one a line into its pipe; a failed call writes "!".
std::vector<std::string> numbersFromProcesses(const std::function<std::unique_ptr<db::Connection>()>& connect,
                                              int processes, int count, bool inTransaction) {
  const std::string call = std::string(inTransaction ? "begin tran\n" : "") +
                           "declare @billno varchar(50)\n"
                           "exec sp_sys_genbillno '0001', '1100', 'A', 1, @billno OUTPUT\n" +
                           (inTransaction ? "commit tran\n" : "") + "select @billno as billno";
  std::vector<std::pair<pid_t, FILE*>> children;
  for (int p = 0; p < processes; ++p) {
    int fds[2];
    if (pipe(fds) != 0) ADD_FAILURE() << "no pipe";
    pid_t pid = fork();
    if (pid == 0) {
      close(fds[0]);
      FILE* out = fdopen(fds[1], "w");
      try {
        auto own = connect();
        for (int i = 0; i < count; ++i) {
          auto r = own->execBatch(call);
          const bool issued = r.ok() && !r.resultSets.empty() && !r.resultSets.back().rows.empty();
          std::fprintf(out, "%s\n",
                       issued ? r.resultSets.back().rows.front().front().asText().c_str() : "!");
        }
      } catch (...) {
        std::fprintf(out, "!\n");  // the connection could not be opened
      }
      std::fclose(out);
      _exit(0);
    }
    close(fds[1]);
    children.emplace_back(pid, fdopen(fds[0], "r"));
  }
  std::vector<std::string> numbers;
  for (auto& [pid, in] : children) {
    char line[64];
    while (std::fgets(line, sizeof line, in) != nullptr)
      numbers.emplace_back(line, std::strcspn(line, "\n"));
    std::fclose(in);
    waitpid(pid, nullptr, 0);
  }
  return numbers;
}

TEST_P(BillNumbers, FourProcessesCallingAtOnceNeverShareANumber) {
  for (bool inTransaction : {false, true}) {
    SCOPED_TRACE(inTransaction ? "each call in a transaction" : "no transaction around the call");
    open(false);
    const std::string d = today();
    db.reset();  // the children open their own connections; none is carried over fork
    constexpr int kProcesses = 4;
    constexpr int kEach = 250;
    const std::vector<std::string> numbers =
        numbersFromProcesses([this] { return connect(); }, kProcesses, kEach, inTransaction);
    ASSERT_EQ(numbers.size(), std::size_t{kProcesses * kEach});
    EXPECT_EQ(std::count(numbers.begin(), numbers.end(), "!"), 0) << "some call failed";
    // Every process got its own numbers, and together they are the day's 0001 to 1000:
    // none repeated, none skipped (the day's first row was made once).
    const std::set<std::string> distinct(numbers.begin(), numbers.end());
    EXPECT_EQ(distinct.size(), numbers.size());
    std::set<std::string> expected;
    for (int i = 1; i <= kProcesses * kEach; ++i) {
      char seq[8];
      std::snprintf(seq, sizeof seq, "%04d", i);
      expected.insert("A1100" + d + seq);
    }
    EXPECT_EQ(distinct, expected);
    db = connect();
    EXPECT_EQ(scalar(*db, "select lastno from vt_sys_billno").asInteger(), kProcesses * kEach);
    if (today() != d) GTEST_SKIP() << "the day changed during the test";
  }
}

}  // namespace
