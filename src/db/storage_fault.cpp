// The backup search reads only folder listings and 16 header bytes, so the message
// costs nothing on a shop's folder of dated backups.
#include "db/storage_fault.h"

#include <filesystem>
#include <fstream>
#include <system_error>

#include "db/file_checksum.h"

namespace db {
namespace {

namespace fs = std::filesystem;

bool isSqliteFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  char header[16] = {};
  return in.read(header, sizeof header) && std::string(header, 15) == "SQLite format 3";
}

std::string backupFolder;
thread_local int openingDamaged = 0;

}  // namespace

void setBackupFolder(const std::string& folder) { backupFolder = folder; }

OpeningDamagedFile::OpeningDamagedFile() { ++openingDamaged; }
OpeningDamagedFile::~OpeningDamagedFile() { --openingDamaged; }
bool OpeningDamagedFile::active() { return openingDamaged > 0; }

// A backup of shop.db is named for it (shop-20261207.db, shop-backup.db): a folder of
// backups may hold other databases' too, and restoring one of those would lose the shop.
std::string newestBackup(const std::string& database) {
  const fs::path own = fs::absolute(database).parent_path();
  const std::string stem = fs::path(database).stem().string() + "-";
  std::string newest;
  fs::file_time_type newestTime;
  for (const fs::path& folder : {own, backupFolder.empty() ? own : fs::absolute(backupFolder)}) {
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
      const fs::path& p = it->path();
      if (p.filename().string().rfind(stem, 0) != 0 || fs::equivalent(p, database, ec) ||
          !it->is_regular_file(ec) ||
          !fs::exists(checksumFileOf(p.string()), ec))
        continue;
      const fs::file_time_type when = it->last_write_time(ec);
      if (!ec && (newest.empty() || when > newestTime) && isSqliteFile(p))
        newest = p.string(), newestTime = when;
    }
  }
  return newest;
}

std::string damagedFileAdvice(const std::string& database) {
  const std::string backup = newestBackup(database);
  if (backup.empty())
    return "没有找到它的备份。请先运行 coreapp db check --db " + database +
           " 查看损坏之处，再与管理员联系。";
  return "请关闭所有 coreapp 窗口，用最近的备份 " + backup + " 恢复：coreapp db restore --db " +
         database + " --from " + backup + "。该备份之后录入的单据需要重新录入。";
}

std::string storageFaultCause(tsql::StorageFault fault, const std::string& database) {
  switch (fault) {
    case tsql::StorageFault::DiskFull:
      return "磁盘空间不足，本次操作未保存任何内容。请释放磁盘空间后重试。";
    case tsql::StorageFault::IoError:
      return "数据库文件读写错误，本次操作未保存任何内容。请检查磁盘后重试；若一再出现，" +
             damagedFileAdvice(database);
    case tsql::StorageFault::Damaged:
      return "数据库文件已损坏，本次操作未保存任何内容。" + damagedFileAdvice(database);
    case tsql::StorageFault::None:
      break;
  }
  return {};
}

std::string damageMarkerOf(const std::string& database) { return database + ".damaged"; }

void markDamaged(const std::string& database) {
  std::ofstream(damageMarkerOf(database))
      << "SQLite reported this database damaged; restore it from a backup.\n";
}

void clearDamageMark(const std::string& database) {
  std::error_code ignored;
  fs::remove(damageMarkerOf(database), ignored);
}

}  // namespace db

namespace db {

std::string damageMarkMessage(const std::string& database) {
  std::error_code ec;
  if (OpeningDamagedFile::active() || !fs::exists(damageMarkerOf(database), ec)) return {};
  return "数据库文件 " + database + " 已损坏，不能继续使用。" + damagedFileAdvice(database);
}

}  // namespace db
