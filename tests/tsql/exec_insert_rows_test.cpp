// A kept save batch's one-row INSERTs of one shape run together as statements of many
// rows. Whatever the rows hold, the tables, the errors with their lines, @@ROWCOUNT and
// the identity must come out as a fresh engine running the same text statement by
// statement leaves them.
#include <sqlite3.h>

#include <functional>

#include "conformance/engine_fixture.h"
#include "tsql/statement_fault.h"

namespace {

const char* kSchema =
    "create table line(id int identity(1,1) primary key, bill varchar(10), k int, s varchar(12), m money)\n"
    "create unique index ux_line_k on line(k)\n"
    "create table staff(id int identity(1,1) primary key, bill varchar(10), k int)";

// A save of `rows` lines and five staff rows; line `bad` (if any) repeats line 3's key.
std::string saveBatch(const std::string& bill, int base, int rows, int bad = -1, const std::string& around = "") {
  std::string b = "declare @bill varchar(10) = '" + bill + "'\r\n";
  if (!around.empty()) b += "begin tran\r\nbegin try\r\n";
  for (int i = 0; i < rows; ++i) {
    const int k = base + (i == bad ? 3 : i);
    b += "insert into line(bill, k, s, m) values(@bill, " + std::to_string(k) + ", 'it''s " + std::to_string(i) +
         "', " + std::to_string(i) + ".25)\r\n";
  }
  for (int i = 0; i < 5; ++i)
    b += "insert into staff(bill, k) values(@bill, " + std::to_string(base + i) + ")\r\n";
  if (!around.empty()) b += "commit\r\nend try\r\nbegin catch\r\n" + around + "\r\nend catch\r\n";
  return b + "select @@rowcount, scope_identity() - (select max(id) from staff)";
}

struct Outcome {
  std::string errors;  // number@line, in order
  std::string result;  // the result sets
  std::string tables;  // the rows left, in the order they were written
};

class InsertRows : public conformance::EngineFixture {
 protected:
  static Outcome outcome(tsql::Engine& engine, const std::string& batch) {
    tsql::BatchResult r = engine.run(batch, {});
    Outcome o;
    for (const auto& e : r.errors) o.errors += std::to_string(e.number) + "@" + std::to_string(e.line) + ";";
    for (const auto& rs : r.resultSets) o.result += rows(rs) + "/";
    tsql::BatchResult t = engine.run("select bill, k, s, m from line order by id\n"
                                     "select bill, k from staff order by id", {});
    for (const auto& rs : t.resultSets) o.tables += rows(rs) + "/";
    return o;
  }

  // The batch on a fresh database, after `warm` (a save of its shape with other values,
  // then emptied away) when there is one: as the engine runs it, counting the INSERTs
  // SQLite starts, or `alone`, a statement at a time (while a statement fault is armed,
  // here one that never fires, every statement is counted and runs alone).
  static Outcome run(const std::string& warm, const std::string& batch, bool alone, int* inserts = nullptr) {
    sqlite3* db = nullptr;
    EXPECT_EQ(sqlite3_open(":memory:", &db), SQLITE_OK);
    Outcome o;
    int started = 0;
    {
      tsql::Engine engine(db);
      EXPECT_TRUE(engine.run(kSchema, {}).ok());
      tsql::StatementFault never;
      if (alone) tsql::armStatementFault(&never);
      if (!warm.empty()) {
        EXPECT_TRUE(engine.run(warm, {}).ok());
        EXPECT_TRUE(engine.run("delete from line\ndelete from staff", {}).ok());
      }
      sqlite3_trace_v2(
          db, SQLITE_TRACE_STMT,
          [](unsigned, void* count, void* stmt, void*) {
            if (std::string_view(sqlite3_sql(static_cast<sqlite3_stmt*>(stmt))).starts_with("INSERT"))
              ++*static_cast<int*>(count);
            return 0;
          },
          &started);
      o = outcome(engine, batch);
      sqlite3_trace_v2(db, 0, nullptr, nullptr);
      tsql::armStatementFault(nullptr);
    }
    sqlite3_close(db);
    if (inserts) *inserts = started;
    return o;
  }
  static Outcome oneByOne(const std::string& warm, const std::string& batch) { return run(warm, batch, true); }
  static Outcome together(const std::string& warm, const std::string& batch, int* inserts = nullptr) {
    return run(warm, batch, false, inserts);
  }
};

void expectSame(const Outcome& got, const Outcome& want) {
  EXPECT_EQ(got.errors, want.errors);
  EXPECT_EQ(got.result, want.result);
  EXPECT_EQ(got.tables, want.tables);
}

TEST_F(InsertRows, RowsOfOneShapeRunTogetherAndLeaveWhatOneByOneLeaves) {
  const std::string batch = saveBatch("B", 100, 70);
  for (const std::string& warm : {std::string(), saveBatch("W", 200, 70)}) {  // new, then kept
    const Outcome want = oneByOne(warm, batch);
    EXPECT_EQ(want.result, "1|0/");  // the last statement's count, the last row's identity
    int inserts = 0;
    expectSame(together(warm, batch, &inserts), want);
    EXPECT_GT(inserts, 0);
    EXPECT_LT(inserts, 75 / 4);  // 75 rows in far fewer statements
  }
}

// Rows that give their own identity move the numbering past the highest, as each
// statement would; a NULL among the values is a shape of its own.
TEST_F(InsertRows, GivenIdentitiesAndNullsLeaveWhatOneByOneLeaves) {
  std::string batch = "set identity_insert staff on\r\n";
  for (int i = 0; i < 9; ++i)
    batch += "insert into staff(id, bill, k) values(" + std::to_string(90 - i * 7) + ", " +
             (i % 3 == 2 ? "NULL" : "'G'") + ", " + std::to_string(i) + ")\r\n";
  batch += "set identity_insert staff off\r\ninsert into staff(bill, k) values('N', 99)\r\n"
           "select @@identity, scope_identity()";
  for (const std::string& warm : {std::string(), batch}) {
    Outcome want = oneByOne(warm, batch);
    EXPECT_TRUE(want.errors.empty()) << want.errors;
    expectSame(together(warm, batch), want);
  }
}

// The row that breaks the unique key, or does not fit its column, fails alone at its
// own line, after the rows before it; a CATCH sees that line and rolls back the save.
// Seventy rows come after a save of their shape, seventy-one first of theirs.
TEST_F(InsertRows, AFailingRowFailsAloneAtItsOwnLine) {
  for (int rows : {70, 71}) {
    const std::string warm = rows == 70 ? saveBatch("W", 200, rows) : std::string();
    for (const std::string& batch :
         {saveBatch("B", 100, rows, 40), saveBatch("B", 100, rows, 66),
          saveBatch("B", 100, rows, 40, "rollback\r\nselect error_number(), error_line()")}) {
      SCOPED_TRACE(std::to_string(rows) + batch.substr(batch.size() - 120));
      Outcome want = oneByOne(warm, batch);
      EXPECT_NE((want.errors + want.result).find("2627"), std::string::npos);  // the key is met
      expectSame(together(warm, batch), want);
    }
    std::string tooLong = saveBatch("B", 100, rows);
    tooLong.replace(tooLong.find("'it''s 50'"), 10, "'it''s 50 and more'");
    expectSame(together(warm, tooLong), oneByOne(warm, tooLong));
  }
}

}  // namespace
