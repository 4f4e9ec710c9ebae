// The embedded file as any SQLite tool sees it: the stock sqlite3 shell checks a fresh
// file and one brought up from the first schema generation by `coreapp db upgrade`
// (made here from a new file with the first generation's schema text, blank-ended
// keys and a column a later schema added taken away), and looks a text key up
// case-blind in the index; the engine still finds it too. An upgrade the database
// refuses half-way leaves the file as it was.
#include <sqlite3.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>

#include "schema/file_upgrade.h"
#include "schema_db_test.h"

namespace {

using schematest::coreapp;
using schematest::scalar;

// Standard output (and error) of a command, without its last line breaks.
std::string outputOf(const std::string& command) {
  std::string out;
  FILE* p = popen((command + " 2>&1").c_str(), "r");
  if (p == nullptr) return out;
  for (int c = std::fgetc(p); c != EOF; c = std::fgetc(p)) out.push_back(static_cast<char>(c));
  pclose(p);
  while (!out.empty() && out.back() == '\n') out.pop_back();
  return out;
}

// What the stock shell prints for `sql` on `file`, fed on its standard input.
std::string shell(const std::string& file, const std::string& sql) {
  const std::string script = file + ".sql";
  std::ofstream(script) << sql << "\n";
  std::string out = outputOf("sqlite3 -batch " + file + " < " + script);
  std::filesystem::remove(script);
  return out;
}

std::string bytesOf(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void rawExec(sqlite3* db, const std::string& sql) {
  char* err = nullptr;
  ASSERT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &err), SQLITE_OK)
      << (err ? err : "") << "\nin: " << sql;
}

// The first generation: text columns under the engine's own collation (the indexes
// sorted again under it), trailing blanks kept as given, no `version` on customers,
// views in the engine's own functions.
void makeFirstGeneration(const std::string& path, const std::string& more = "") {
  db::EmbeddedConnection c(path);
  rawExec(c.handle(),
          "BEGIN;"
          "ALTER TABLE vt_b_khbmk DROP COLUMN version;"
          "PRAGMA writable_schema=ON;"
          "UPDATE sqlite_master SET sql = replace(sql, 'COLLATE NOCASE', 'COLLATE tsql_ci') "
          "WHERE type = 'table' AND name LIKE 'vt%';"
          "UPDATE sqlite_master SET sql = (SELECT 'CREATE VIEW \"' || name || '\" AS ' || body "
          "FROM tsql_views v WHERE v.name = sqlite_master.name) WHERE type = 'view';"
          "PRAGMA schema_version = 9999; PRAGMA writable_schema=RESET; REINDEX;"
          "DROP TABLE tsql_views;"
          "UPDATE vt_b_khbmk SET code = code || '  ' WHERE code IN ('Ab7', 'k1');" +
              more + "PRAGMA user_version = 1; COMMIT;");
}

bool shellMissing() { return std::system("command -v sqlite3 >/dev/null") != 0; }

class PortableFile : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!std::filesystem::exists(schematest::coreappBinary())) GTEST_SKIP() << "no coreapp";
    if (shellMissing()) GTEST_SKIP() << "the sqlite3 shell is not installed";
  }
  // A demo database with customers whose codes differ in case, blanks, accents, script.
  std::string demoFile(const std::string& stem) {
    const std::string path = schematest::freshPath(stem);
    EXPECT_EQ(coreapp("db init --db " + path + " --demo"), 0);
    db::EmbeddedConnection c(path);
    schematest::run(c,
                    "insert into vt_b_khbmk(orgid, code, name) values ('0001', 'k1 ', 'a'), "
                    "('0001', 'K1', 'b'), ('0001', N'Émile', 'd'), ('0001', N'émile', 'e'), "
                    "('0001', N'客户', 'f'), ('0001', N'客户 ', 'g'), ('0001', 'Ab7', 'h')");
    return path;
  }
  std::string upgrade(const std::string& path) {
    return outputOf(schematest::coreappBinary() + " db upgrade --db " + path);
  }
};

TEST_F(PortableFile, TheStockShellChecksAndReadsAFreshAndAnUpgradedFile) {
  for (bool upgraded : {false, true}) {
    SCOPED_TRACE(upgraded ? "upgraded" : "fresh");
    const std::string path = demoFile(upgraded ? "portable_upgraded" : "portable_fresh");
    if (upgraded) {
      makeFirstGeneration(path);
      EXPECT_NE(shell(path, "pragma integrity_check;"), "ok");
      EXPECT_NE(shell(path, "select count(*) from vt_v_zhye;").find("no such function"),
                std::string::npos);
      EXPECT_NE(upgrade(path).find("upgraded from schema 1 to " +
                                   std::to_string(db::EmbeddedConnection::kSchemaVersion) +
                                   " (1 columns added)"),
                std::string::npos);
      const std::string once = bytesOf(path);
      EXPECT_NE(upgrade(path).find("up to date"), std::string::npos);
      EXPECT_EQ(bytesOf(path), once);
    }
    EXPECT_EQ(shell(path, "pragma integrity_check; pragma user_version;"),
              "ok\n" + std::to_string(db::EmbeddedConnection::kSchemaVersion));
    EXPECT_EQ(shell(path,
                    "select name from vt_b_khbmk where code = 'ab7';"
                    "select group_concat(name) from vt_b_khbmk where code = 'k1';"),
              "h\na,b");
    EXPECT_NE(shell(path,
                    "explain query plan select name from vt_b_khbmk "
                    "where orgid = '0001' and code = 'AB7';")
                  .find("USING INDEX vt_b_khbmk__ix_vt_b_khbmk_orgid_code (orgid=? AND code=?)"),
              std::string::npos);
    db::EmbeddedConnection c(path);
    // Every view reads in the shell as the engine reads it, to the money type's places.
    const std::string views =
        shell(path, "select group_concat(name, ' ') from sqlite_master where type = 'view';");
    EXPECT_EQ(std::count(views.begin(), views.end(), ' '), 5) << views;
    std::istringstream names(views);
    for (std::string view; names >> view;) {
      SCOPED_TRACE(view);
      EXPECT_EQ(shell(path, "select count(*) from " + view + ";"),
                scalar(c, "select count(*) from " + view).asText());
    }
    for (const char* sum :
         {"select sum(ye) from vt_v_zhye", "select sum(cbj * kcsl) from vt_v_spkc"}) {
      SCOPED_TRACE(sum);
      EXPECT_NEAR(std::stod(shell(path, std::string(sum) + ";")), scalar(c, sum).asFloat(),
                  0.00005);
    }
    EXPECT_EQ(scalar(c,
                     "select count(*) from vt_b_khbmk where code = N'客户  ' "
                     "or (orgid = '0001 ' and code = 'aB7 ' and version = 0)")
                  .asInteger(),
              3);
    EXPECT_EQ(scalar(c, "select count(*) from vt_b_khbmk where code = N'ÉMILE'").asInteger(), 1);
    schematest::removeFile(path);
  }
  EXPECT_EQ(coreapp("db upgrade --db " + schematest::freshPath("portable_missing")), 1);
}

// A trigger of the shop's own refuses the trimming of stored blanks half-way.
TEST_F(PortableFile, AFailedUpgradeLeavesTheFileAsItWas) {
  const std::string path = demoFile("portable_refused");
  makeFirstGeneration(path,
                      "CREATE TRIGGER refuse AFTER UPDATE ON vt_b_khbmk "
                      "BEGIN SELECT RAISE(ABORT, 'refused by the shop'); END;");
  const std::string before = bytesOf(path);
  EXPECT_NE(upgrade(path).find("could not be upgraded (refused by the shop); it was not changed."),
            std::string::npos);
  EXPECT_EQ(bytesOf(path), before);
  db::EmbeddedConnection c(path);
  EXPECT_TRUE(schema::FileUpgrade::needed(c));
  EXPECT_EQ(scalar(c, "select count(*) from vt_b_khbmk where datalength(code) = 5").asInteger(), 1);
  schematest::removeFile(path);
}

// The desktop upgrades an older file on opening it, after a backup beside it that
// still holds the older generation; an up-to-date file is neither copied nor written.
TEST_F(PortableFile, AnOlderFileIsBackedUpBesideItselfBeforeItIsUpgraded) {
  const std::string path = demoFile("portable_kept");
  makeFirstGeneration(path);
  std::string copy;
  {
    db::EmbeddedConnection c(path);
    copy = schema::FileUpgrade::runKeepingCopy(c);
    EXPECT_EQ(schema::FileUpgrade::runKeepingCopy(c), "");
  }
  ASSERT_FALSE(copy.empty());
  EXPECT_NE(copy.find(path + ".before-upgrade-"), std::string::npos);
  EXPECT_EQ(shell(copy, "pragma user_version;"), "1");
  EXPECT_TRUE(std::filesystem::exists(copy + ".sha256"));
  EXPECT_EQ(shell(path, "pragma integrity_check; pragma user_version;"),
            "ok\n" + std::to_string(db::EmbeddedConnection::kSchemaVersion));
  for (const std::string& f : {path, copy, copy + ".sha256"}) schematest::removeFile(f);
}

}  // namespace
