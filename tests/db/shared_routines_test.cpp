// What one connection changes of the database's functions and procedures, another
// connection of the same database answers with in its next batch, on the file and on
// the server, although each keeps the translations of the statements it ran before.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <memory>

#include "db/embedded_connection.h"
#include "db/pg_connection.h"
#include "pg_test_cluster.h"

namespace {

std::string firstValue(const db::BatchResult& r) {
  for (const auto& e : r.errors) return "error " + std::to_string(e.number);
  if (r.resultSets.empty() || r.resultSets.back().rows.empty()) return "";
  const auto& v = r.resultSets.back().rows.front().front();
  return v.isNull() ? "NULL" : v.asText();
}

using Open = std::function<std::unique_ptr<db::Connection>()>;

// The reader's statements are the same text each time, so they run from what it kept.
void changesSeenByTheOtherConnection(const Open& open) {
  auto reader = open();
  auto writer = open();
  ASSERT_TRUE(writer->execBatch("create table prices (id int primary key, amount int)\r\n"
                                "insert into prices values (1, 100)")
                  .ok());
  ASSERT_TRUE(writer->execBatch("create function dbo.gross(@n int) returns int as begin return @n * 2 end").ok());
  ASSERT_TRUE(writer->execBatch("create procedure price_of @id int as select amount from prices where id = @id").ok());
  const char* readFunction = "select dbo.gross(amount) from prices where id = 1";
  const char* callProcedure = "exec price_of @id = 1";
  EXPECT_EQ(firstValue(reader->execBatch(readFunction)), "200");
  EXPECT_EQ(firstValue(reader->execBatch(readFunction)), "200");
  EXPECT_EQ(firstValue(reader->execBatch(callProcedure)), "100");

  // a row written elsewhere changes no translation; a body altered elsewhere does
  ASSERT_TRUE(writer->execBatch("update prices set amount = 150 where id = 1").ok());
  EXPECT_EQ(firstValue(reader->execBatch(readFunction)), "300");
  ASSERT_TRUE(writer->execBatch("alter function dbo.gross(@n int) returns int as begin return @n * 3 end").ok());
  EXPECT_EQ(firstValue(reader->execBatch(readFunction)), "450");
  ASSERT_TRUE(
      writer->execBatch("alter procedure price_of @id int as select amount + 1 from prices where id = @id").ok());
  EXPECT_EQ(firstValue(reader->execBatch(callProcedure)), "151");

  // dropped elsewhere, the function is unknown to the reader's next batch (4121)
  ASSERT_TRUE(writer->execBatch("drop function dbo.gross").ok());
  EXPECT_EQ(firstValue(reader->execBatch(readFunction)), "error 4121");
}

TEST(SharedRoutines, SeenByTheOtherConnectionsOfOneFile) {
  std::filesystem::path file =
      std::filesystem::temp_directory_path() / ("shared-routines-" + std::to_string(getpid()) + ".db");
  std::filesystem::remove(file);
  changesSeenByTheOtherConnection([&] { return std::make_unique<db::EmbeddedConnection>(file.string()); });
  for (const char* suffix : {"", "-wal", "-shm"}) std::filesystem::remove(file.string() + suffix);
}

TEST(SharedRoutines, SeenByTheOtherConnectionsOfOneServerDatabase) {
  std::string uri = pgtest::freshDatabase("shared_routines");
  ASSERT_FALSE(uri.empty());
  changesSeenByTheOtherConnection([&] { return std::make_unique<db::PgConnection>(uri); });
}

}  // namespace
