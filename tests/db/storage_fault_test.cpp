// The file giving way under a save: a VFS over the default one that fails the N-th
// write with SQLITE_FULL or an I/O error, and a copy with garbage written over a table
// page. The clerk reads the cause beside the batch's own text, nothing is written, and a
// damaged file is refused at the next open with its newest backup named.
#include "db/storage_fault.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cstring>
#include <filesystem>
#include <fstream>

#include "db/embedded_connection.h"
#include "db/file_backup.h"
#include "db/file_checksum.h"
#include "db/file_restore.h"

namespace db {
namespace {

namespace fs = std::filesystem;

// Every write of the database and its WAL counts down `writesLeft`; at zero each write fails with
// `failWith`.
struct FailingVfs {
  static inline sqlite3_vfs vfs{};
  static inline sqlite3_vfs* real = nullptr;
  static inline sqlite3_io_methods methods{};
  static inline int writesLeft = -1;  // -1: never fail
  static inline int failWith = SQLITE_FULL;

  struct File {
    sqlite3_file base;
    sqlite3_file* real;
  };
  static sqlite3_file* under(sqlite3_file* f) { return reinterpret_cast<File*>(f)->real; }

  static int write(sqlite3_file* f, const void* data, int n, sqlite3_int64 at) {
    if (writesLeft == 0) return failWith;
    if (writesLeft > 0) --writesLeft;
    return under(f)->pMethods->xWrite(under(f), data, n, at);
  }
  static int close(sqlite3_file* f) {
    const int rc = under(f)->pMethods ? under(f)->pMethods->xClose(under(f)) : SQLITE_OK;
    sqlite3_free(under(f));
    return rc;
  }
  static int open(sqlite3_vfs*, const char* name, sqlite3_file* f, int flags, int* outFlags) {
    File* file = reinterpret_cast<File*>(f);
    file->real = static_cast<sqlite3_file*>(sqlite3_malloc(real->szOsFile));
    std::memset(file->real, 0, real->szOsFile);
    const int rc = real->xOpen(real, name, file->real, flags, outFlags);
    if (!file->real->pMethods) {
      sqlite3_free(file->real);
      f->pMethods = nullptr;
      return rc;
    }
    if (!methods.xClose) {  // forward everything but xWrite and xClose
      methods = *file->real->pMethods;
      methods.xWrite = write;
      methods.xClose = close;
#define FORWARD(fn, ...) \
  [](sqlite3_file* g, auto... a) { return under(g)->pMethods->fn(under(g), a...); }
      methods.xRead = FORWARD(xRead);
      methods.xTruncate = FORWARD(xTruncate);
      methods.xSync = FORWARD(xSync);
      methods.xFileSize = FORWARD(xFileSize);
      methods.xLock = FORWARD(xLock);
      methods.xUnlock = FORWARD(xUnlock);
      methods.xCheckReservedLock = FORWARD(xCheckReservedLock);
      methods.xFileControl = FORWARD(xFileControl);
      methods.xSectorSize = FORWARD(xSectorSize);
      methods.xDeviceCharacteristics = FORWARD(xDeviceCharacteristics);
      methods.xShmMap = FORWARD(xShmMap);
      methods.xShmLock = FORWARD(xShmLock);
      methods.xShmBarrier = [](sqlite3_file* g) { under(g)->pMethods->xShmBarrier(under(g)); };
      methods.xShmUnmap = FORWARD(xShmUnmap);
      methods.xFetch = FORWARD(xFetch);
      methods.xUnfetch = FORWARD(xUnfetch);
#undef FORWARD
    }
    f->pMethods = &methods;
    return rc;
  }
  // Registered as the default, so every connection of the test goes through it.
  static void install() {
    if (real) return;
    real = sqlite3_vfs_find(nullptr);
    vfs = *real;
    vfs.zName = "failing";
    vfs.szOsFile = sizeof(File);
    vfs.xOpen = open;
    sqlite3_vfs_register(&vfs, 1);
  }
};

class StorageFaultTest : public ::testing::Test {
 protected:
  void SetUp() override {
    FailingVfs::install();
    FailingVfs::writesLeft = -1;
    dir = fs::temp_directory_path() / ("coreapp_storage_" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    file = (dir / "shop.db").string();
    EmbeddedConnection conn(file);
    ASSERT_TRUE(
        conn.execBatch("create table bill(billno varchar(20) primary key, remark nvarchar(200));"
                       "insert into bill values ('B1', 'first')")
            .ok());
  }
  void TearDown() override {
    FailingVfs::writesLeft = -1;
    fs::remove_all(dir);
  }
  static std::string rows(EmbeddedConnection& conn) {
    auto r = conn.execBatch("select billno + ':' + remark from bill order by billno");
    std::string all;
    for (const auto& row : r.resultSets.at(0).rows) all += row.at(0).asText() + ";";
    return all;
  }
  fs::path dir;
  std::string file;
};

// A bill save's own shape: its CATCH rolls back and raises its own text.
constexpr const char* kSave =
    "begin tran\nbegin try\nupdate bill set remark = 'edited' where billno = 'B1'\n"
    "insert into bill values ('B2', replicate('x', 200))\ncommit tran\nend try\nbegin catch\n"
    "if @@trancount > 0 rollback tran\nraiserror('单据保存失败', 16, 1)\nend catch";

TEST_F(StorageFaultTest, ASaveThatTheDiskRefusesSaysWhyAndWritesNothing) {
  struct Case {
    int code;
    int number;
    const char* cause;
  };
  for (const Case c :
       {Case{SQLITE_FULL, 1105, "磁盘空间不足，本次操作未保存任何内容"},
        Case{SQLITE_IOERR_WRITE, 823, "数据库文件读写错误，本次操作未保存任何内容"}}) {
    EmbeddedConnection conn(file);
    const std::string before = rows(conn);
    FailingVfs::failWith = c.code;
    FailingVfs::writesLeft = 0;  // the first write of the commit
    const BatchResult r = conn.execBatch(kSave);
    FailingVfs::writesLeft = -1;
    ASSERT_EQ(r.errors.size(), 2u) << r.errorMessage();
    EXPECT_EQ(r.errors[0].message, "单据保存失败");
    EXPECT_EQ(r.errors[1].number, c.number);
    EXPECT_NE(r.errors[1].message.find(c.cause), std::string::npos) << r.errors[1].message;
    EXPECT_EQ(rows(conn), before);
    EXPECT_TRUE(conn.execBatch(kSave).ok()) << "the same save goes through once the disk has room";
    ASSERT_TRUE(
        conn.execBatch("delete from bill where billno = 'B2'; update bill set remark = 'first'")
            .ok());
  }
}

// The disk fills at the copy's first write, part-way through its pages, or at its last
// step: the clerk reads that the disk is full, nothing of the copy is left, and the
// newest backup is still the one made before. With room again, the same backup is made.
TEST_F(StorageFaultTest, ABackupThatFillsTheDiskSaysSoAndLeavesNoHalfCopy) {
  {
    EmbeddedConnection conn(file);
    ASSERT_TRUE(
        conn.execBatch("declare @i int = 1 while @i <= 300 begin insert into bill values ('N' + "
                       "cast(@i as varchar(9)), replicate('y', 150)) set @i = @i + 1 end")
            .ok());
  }
  const std::string earlier = (dir / "shop-20261201.db").string();
  const std::string out = (dir / "shop-20261207.db").string();
  EmbeddedConnection source(file);
  backupDatabase(source, earlier);
  BackupOptions fewPages;
  fewPages.pagesPerStep = 4;
  fewPages.pause = std::chrono::milliseconds(0);
  for (const int writes : {0, 5, 12}) {
    FailingVfs::failWith = SQLITE_FULL;
    FailingVfs::writesLeft = writes;
    try {
      backupDatabase(source, out, fewPages);
      ADD_FAILURE() << "a backup made on a full disk, after " << writes << " writes";
    } catch (const BackupError& e) {
      EXPECT_EQ(std::string(e.what()), diskFullBackupMessage(out)) << writes;
    }
    FailingVfs::writesLeft = -1;
    for (const auto& entry : fs::directory_iterator(dir))
      EXPECT_EQ(entry.path().string().find(out), std::string::npos) << entry.path();
    EXPECT_EQ(newestBackup(file), earlier) << writes;
  }
  EXPECT_NE(diskFullBackupMessage(out).find("磁盘空间不足"), std::string::npos);
  EXPECT_FALSE(backupDatabase(source, out, fewPages).sha256.empty());
  EXPECT_EQ(newestBackup(file), out);
}

TEST_F(StorageFaultTest, ADamagedFileIsRefusedAtTheNextOpenNamingTheNewestBackup) {
  const std::string backup = (dir / "shop-backup.db").string();
  {
    EmbeddedConnection conn(file);
    ASSERT_TRUE(
        conn.execBatch("declare @i int = 1 while @i <= 200 begin insert into bill values ('N' + "
                       "cast(@i as varchar(9)), replicate('y', 150)) set @i = @i + 1 end")
            .ok());
  }
  fs::copy_file(file, backup);
  writeChecksumFile(backup, sha256OfFile(backup));
  {  // garbage over every page but the schema's
    std::fstream f(file, std::ios::in | std::ios::out | std::ios::binary);
    const std::string junk(fs::file_size(file) - 4096, '\x5a');
    f.seekp(4096);
    f.write(junk.data(), static_cast<std::streamsize>(junk.size()));
  }
  {
    EmbeddedConnection conn(file);
    const BatchResult r = conn.execBatch(kSave);
    ASSERT_FALSE(r.ok());
    const std::string told = r.errors.back().message;
    EXPECT_NE(told.find("数据库文件已损坏"), std::string::npos) << told;
    EXPECT_NE(told.find(backup), std::string::npos) << told;
  }
  try {
    EmbeddedConnection again(file);
    ADD_FAILURE() << "a damaged file opened again";
  } catch (const ConnectionError& e) {
    EXPECT_NE(std::string(e.what()).find("已损坏"), std::string::npos) << e.what();
    EXPECT_NE(std::string(e.what()).find("coreapp db restore --db " + file + " --from " + backup),
              std::string::npos)
        << e.what();
  }
  // Restoring the named backup puts a whole file in place, which opens again.
  restoreDatabase(file, backup);
  EXPECT_FALSE(fs::exists(damageMarkerOf(file)));
  EXPECT_NO_THROW(EmbeddedConnection reopened(file));
  fs::remove(checksumFileOf(backup));
  EXPECT_EQ(newestBackup(file), "") << "a file without its checksum is no backup";
  EXPECT_NE(damagedFileAdvice(file).find("coreapp db check --db " + file), std::string::npos);
}

}  // namespace
}  // namespace db
