// Backup and restore of a server database through pg_dump / pg_restore: a dump restores
// the database as it was (a later change gone, the replaced database kept as a dump
// beside it, the books whole), and a truncated dump is refused with nothing changed.
#include "db/server_backup.h"

#include "db/file_backup.h"
#include "db/file_checksum.h"
#include "schema/book_checks.h"
#include "schema_db_test.h"

namespace {

namespace fs = std::filesystem;

class ServerBackup : public schematest::SchemaDb {
 protected:
  std::int64_t laterRows() {
    auto conn = connect();  // a new session: the restore replaced every table
    return schematest::scalar(*conn, "select count(*) from vt_sys_config where code = 'later'")
        .asInteger();
  }
};

INSTANTIATE_TEST_SUITE_P(Backends, ServerBackup, ::testing::Values(schematest::Backend::Server),
                         schematest::backendName);

TEST_P(ServerBackup, ADumpRestoresTheDatabaseAndADamagedOneIsRefused) {
  open(true);
  const fs::path dir =
      fs::path(::testing::TempDir()) / ("server_backup_" + std::to_string(::getpid()));
  fs::remove_all(dir);
  fs::create_directories(dir);
  const std::string dump = (dir / "shop.dump").string(), bad = (dir / "bad.dump").string();
  db::dumpServerDatabase(place, dump);
  EXPECT_EQ(db::sha256OfFile(dump), db::readChecksumFile(dump));
  schematest::run(*db,
                  "insert into vt_sys_config(orgid, code, value) values ('0001', 'later', 'x')");

  fs::copy_file(dump, bad);
  fs::copy_file(db::checksumFileOf(dump), db::checksumFileOf(bad));
  fs::resize_file(bad, fs::file_size(bad) / 2);
  EXPECT_THROW(db::restoreServerDatabase(place, bad), db::BackupError);
  EXPECT_EQ(laterRows(), 1);

  db.reset();
  const std::string kept = db::restoreServerDatabase(place, dump);
  EXPECT_EQ(laterRows(), 0);
  EXPECT_TRUE(fs::exists(kept)) << kept;
  auto conn = connect();
  EXPECT_TRUE(schema::checkBooks(*conn).empty());
  fs::remove_all(dir);
}

}  // namespace
