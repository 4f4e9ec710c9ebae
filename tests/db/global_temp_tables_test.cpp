// ##tables are the database's, on the file and on the server: another connection of
// the same database reads and writes the same rows and cannot make one of the same
// name in another case (2714), while #tables stay each connection's own. The table
// goes when the connection that made it closes, not when another one does, and one
// whose maker ended without closing is swept by the next connection that opens. A
// program still reading it as its maker closes keeps it to the end of its transaction.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <memory>

#include <sqlite3.h>

#include "db/embedded_connection.h"
#include "db/pg_connection.h"
#include "pg_test_cluster.h"

namespace {

std::string rows(const db::BatchResult& r) {
  std::string out;
  for (const auto& e : r.errors) out += "error " + std::to_string(e.number) + "\n";
  if (r.resultSets.empty()) return out;
  for (const auto& row : r.resultSets.back().rows) {
    for (std::size_t i = 0; i < row.size(); ++i)
      out += (i ? "|" : "") + (row[i].isNull() ? "NULL" : row[i].asText());
    out += "\n";
  }
  return out;
}

using Open = std::function<std::unique_ptr<db::Connection>()>;

const char* kExists =
    "select case when object_id('tempdb..##shared') is null then 0 else 1 end, "
    "case when object_id('##ghost') is null then 0 else 1 end";

// `deadOwner` names a connection that is not open, as a crashed one's record does.
void sharedByConnections(const Open& open, const std::string& deadOwner) {
  auto a = open();
  auto b = open();
  ASSERT_TRUE(a->execBatch("create table ##Shared (n int)\r\ninsert into ##shared values (1)\r\n"
                           "create table #own (n int)")
                  .ok());
  EXPECT_EQ(rows(b->execBatch("insert into ##SHARED values (2)\r\nselect sum(n) from ##shared")),
            "3\n");
  EXPECT_EQ(rows(a->execBatch("select sum(n) from [##shared]")), "3\n");
  EXPECT_EQ(rows(b->execBatch("create table ##sHaReD (m int)")), "error 2714\n");
  EXPECT_EQ(rows(b->execBatch("select n from #own")), "error 208\n");

  // A connection that did not make the table closes: it stays.
  b.reset();
  auto c = open();
  EXPECT_EQ(rows(c->execBatch("select count(*) from ##shared")), "2\n");

  // Its maker closes: it goes, and the name is free for another connection.
  a.reset();
  EXPECT_EQ(rows(c->execBatch(kExists)), "0|0\n");
  ASSERT_TRUE(c->execBatch("select 5 as n into ##shared").ok());

  // A maker that ended without closing leaves its table and record behind (here the
  // record is made to name such a maker); the next connection to open drops them, and
  // leaves the open connection's table alone.
  ASSERT_EQ(rows(c->execBatch("create table ##ghost (n int)\r\n"
                              "update tsql_global_temps set owner = '" + deadOwner +
                              "' where name = 'tsql_global##ghost'")),
            "");
  EXPECT_EQ(rows(c->execBatch(kExists)), "1|1\n");
  auto d = open();
  EXPECT_EQ(rows(d->execBatch(kExists)), "1|0\n");
  EXPECT_EQ(rows(d->execBatch("select n from ##shared")), "5\n");
}

// Another program still reading the table in its transaction as the maker closes keeps
// it to the end of that transaction, and the maker's close does not wait for it. Then
// the name is free again: a connection that makes a ##table of it sweeps the old one.
struct OutsideReader {
  std::function<std::string()> holdAndCount;  //!< in its open transaction: the table's rows
  std::function<void()> commit;
  std::function<void()> makerGone;  //!< waits until the database knows the maker ended
};

void readerOutlivesItsMaker(const Open& open, const OutsideReader& reader) {
  auto maker = open();
  auto other = open();
  ASSERT_EQ(rows(maker->execBatch("create table ##kept (n int)\r\ninsert into ##kept values (1), (2)")), "");
  EXPECT_EQ(reader.holdAndCount(), "2");
  maker.reset();
  reader.makerGone();
  EXPECT_EQ(reader.holdAndCount(), "2");
  reader.commit();
  EXPECT_EQ(rows(other->execBatch("create table ##kept (m int)\r\ninsert into ##kept values (7)\r\n"
                                  "select m from ##kept")),
            "7\n");
}

TEST(GlobalTempTables, SharedByTheConnectionsOfOneFile) {
  std::filesystem::path file =
      std::filesystem::temp_directory_path() / ("global-temps-" + std::to_string(getpid()) + ".db");
  std::filesystem::remove(file);
  sharedByConnections([&] { return std::make_unique<db::EmbeddedConnection>(file.string()); },
                      std::to_string(getpid()) + ":0");  // serials start at 1
  std::filesystem::remove(file);
  sqlite3* raw = nullptr;
  ASSERT_EQ(sqlite3_open(file.string().c_str(), &raw), SQLITE_OK);
  auto count = [raw](const char* sql) {
    std::string n;
    sqlite3_exec(raw, sql, [](void* out, int, char** v, char**) {
      *static_cast<std::string*>(out) = v[0] ? v[0] : "NULL";
      return 0;
    }, &n, nullptr);
    return n;
  };
  count("BEGIN");
  OutsideReader reader{[&] { return count("SELECT count(*) FROM \"tsql_global##kept\""); },
                       [&] { count("COMMIT"); }, [] {}};  // a session ends with its close
  readerOutlivesItsMaker([&] { return std::make_unique<db::EmbeddedConnection>(file.string()); }, reader);
  sqlite3_close(raw);
  for (const char* suffix : {"", "-wal", "-shm"}) std::filesystem::remove(file.string() + suffix);
}

TEST(GlobalTempTables, SharedByTheConnectionsOfOneServerDatabase) {
  std::string uri = pgtest::freshDatabase("global_temps");
  ASSERT_FALSE(uri.empty());
  sharedByConnections([&] { return std::make_unique<db::PgConnection>(uri); },
                      "0");  // no server process has pid 0
  PGconn* raw = PQconnectdb(uri.c_str());
  ASSERT_EQ(PQstatus(raw), CONNECTION_OK);
  auto value = [raw](const char* sql) {
    PGresult* r = PQexec(raw, sql);
    std::string v = PQresultStatus(r) == PGRES_TUPLES_OK && PQntuples(r) > 0 ? PQgetvalue(r, 0, 0) : "";
    PQclear(r);
    return v;
  };
  value("BEGIN");
  // a closed connection's server process leaves a moment after its client; counted
  // outside the reader's transaction, whose activity view stays as it first read it
  auto makerGone = [&] {
    PGconn* probe = PQconnectdb(uri.c_str());
    const std::string others = "SELECT count(*) FROM pg_stat_activity WHERE datname = current_database() "
                               "AND pid <> pg_backend_pid()";
    for (int i = 0; i < 500; ++i) {
      PGresult* r = PQexec(probe, others.c_str());
      const bool twoLeft = PQresultStatus(r) == PGRES_TUPLES_OK && std::string(PQgetvalue(r, 0, 0)) == "2";
      PQclear(r);
      if (twoLeft) break;  // the reader and the connection that makes the table anew
      usleep(10000);
    }
    PQfinish(probe);
  };
  OutsideReader reader{[&] { return value("SELECT count(*) FROM \"tsql_global##kept\""); },
                       [&] { value("COMMIT"); }, makerGone};
  readerOutlivesItsMaker([&] { return std::make_unique<db::PgConnection>(uri); }, reader);
  PQfinish(raw);
}

}  // namespace
