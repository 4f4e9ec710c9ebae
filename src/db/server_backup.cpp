// The tools run as child processes with their arguments passed as they are (no shell,
// so nothing in an address or a file name is read as a command). pg_dump and
// pg_restore are taken from PATH, else from the newest /usr/lib/postgresql/*/bin.
#include "db/server_backup.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

#include "db/file_backup.h"
#include "db/file_checksum.h"
#include "db/pg_connection.h"

extern char** environ;

namespace db {
namespace {

namespace fs = std::filesystem;

std::string toolPath(const std::string& name) {
  std::vector<fs::path> dirs;
  std::error_code ec;
  for (const auto& e : fs::directory_iterator("/usr/lib/postgresql", ec))
    dirs.push_back(e.path() / "bin");
  std::sort(dirs.begin(), dirs.end(), [](const fs::path& a, const fs::path& b) {
    return std::stoi(a.parent_path().filename().string()) >
           std::stoi(b.parent_path().filename().string());
  });
  for (const fs::path& d : dirs)
    if (fs::exists(d / name)) return (d / name).string();
  return name;  // found on PATH by posix_spawnp
}

// Runs a tool; its standard error comes back in `err`. Returns the exit code.
int runTool(const std::vector<std::string>& args, std::string& err) {
  const std::string errFile =
      fs::temp_directory_path() / ("coreapp-tool-" + std::to_string(::getpid()) + ".err");
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                   0600);
  std::vector<char*> argv;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  pid_t pid = 0;
  const int rc = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (rc != 0) throw BackupError("cannot run " + args[0] + " (is PostgreSQL's client installed?)");
  int status = 0;
  waitpid(pid, &status, 0);
  std::ifstream in(errFile);
  std::ostringstream text;
  text << in.rdbuf();
  err = text.str();
  std::error_code ignored;
  fs::remove(errFile, ignored);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void runOrThrow(const std::vector<std::string>& args, const std::string& what) {
  std::string err;
  if (runTool(args, err) != 0) throw BackupError(what + ": " + err);
}

void dumpTo(const std::string& uri, const std::string& out) {
  runOrThrow({toolPath("pg_dump"), "--format=custom", "--file=" + out, "--dbname=" + uri},
             "pg_dump could not back up the server database");
}

}  // namespace

std::string dumpServerDatabase(const std::string& uri, const std::string& out) {
  if (fs::exists(out))
    throw BackupError("The backup " + out + " already exists; choose another name.");
  const std::string partial = out + ".partial";
  try {
    dumpTo(uri, partial);
    runOrThrow({toolPath("pg_restore"), "--list", partial}, "the dump cannot be read back");
    const std::string sum = sha256OfFile(partial);
    fs::rename(partial, out);
    writeChecksumFile(out, sum);
    if (readChecksumFile(out) != sum || sha256OfFile(out) != sum)
      throw BackupError("the backup " + out + " reads back different from what was written");
    return sum;
  } catch (const BackupError& e) {
    std::error_code ignored;
    for (const std::string& f : {partial, out, checksumFileOf(out)}) fs::remove(f, ignored);
    // pg_dump's own words for a full disk ("No space left on device")
    if (std::string(e.what()).find("No space left") != std::string::npos)
      throw BackupError(diskFullBackupMessage(out));
    throw;
  } catch (...) {
    std::error_code ignored;
    for (const std::string& f : {partial, out, checksumFileOf(out)}) fs::remove(f, ignored);
    throw;
  }
}

void verifyServerBackup(const std::string& backup) {
  verifyBackupChecksum(backup);
  runOrThrow({toolPath("pg_restore"), "--list", backup},
             "The backup " + backup + " is not a readable dump");
}

std::string restoreServerDatabase(const std::string& uri, const std::string& from) {
  verifyServerBackup(from);
  const fs::path folder = fs::path(from).parent_path();
  const std::string kept = beforeRestoreName((folder / PgConnection(uri).placeName()).string());
  dumpTo(uri, kept);
  writeChecksumFile(kept, sha256OfFile(kept));
  runOrThrow({toolPath("pg_restore"), "--clean", "--if-exists", "--single-transaction",
              "--exit-on-error", "--no-owner", "--dbname=" + uri, from},
             "pg_restore failed and changed nothing");
  return kept;
}

}  // namespace db
