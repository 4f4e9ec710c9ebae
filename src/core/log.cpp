// The debug log. The file sink opens the file on each write (the log is small and
// rare: one entry per saved bill) so nothing stays open and a deleted file is
// simply recreated; any failure to write is ignored, see fileSink.
#include "core/log.h"

#include <filesystem>
#include <fstream>
#include <mutex>

#include "core/date_time.h"
#include "core/user_folder.h"

namespace core {
namespace {

std::mutex& sinkMutex() {
  static std::mutex m;
  return m;
}

LogSink& currentSink() {
  static LogSink sink;
  return sink;
}

// A debug log must never break the operation that logs, so a missing home folder,
// a read-only disk or a full disk just lose the entry.
void fileSink(std::string_view text, std::string_view tag) {
  const std::string path = defaultLogPath();
  if (path.empty()) return;  // no user data folder: nowhere to write
  std::error_code ec;
  std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ec);
  std::ofstream out(path, std::ios::app | std::ios::binary);
  if (!out) return;  // see above: losing a debug entry is acceptable
  out << DateTime::now().toSqlString() << " [" << tag << "] " << text << '\n';
}

}  // namespace

std::string defaultLogPath() {
  const std::string folder = userDataFolder();
  return folder.empty() ? std::string() : folder + "/coreapp.log";
}

void LogMsg(std::string_view text) { LogMsgWithTag(text, ""); }

void LogMsgWithTag(std::string_view text, std::string_view tag) {
  LogSink sink;
  {
    std::lock_guard lock(sinkMutex());
    sink = currentSink();
  }
  if (sink) {
    sink(text, tag);
  } else {
    std::lock_guard lock(sinkMutex());  // keeps entries from two threads whole
    fileSink(text, tag);
  }
}

LogSink setLogSink(LogSink sink) {
  std::lock_guard lock(sinkMutex());
  LogSink previous = std::move(currentSink());
  currentSink() = std::move(sink);
  return previous;
}

}  // namespace core
