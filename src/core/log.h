// Debug log: LogMsg and LogMsgWithTag hand a text (usually an SQL batch) and a tag
// ("添加单据", "保存单据", "打印") to the current sink. The default sink appends to
// coreapp.log in the user's data folder; tests and the scenario player replace it.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace core {

//! Receives every logged text with its tag ("" for LogMsg).
using LogSink = std::function<void(std::string_view text, std::string_view tag)>;

//! Logs a text without a tag.
void LogMsg(std::string_view text);
//! Logs a text with a tag.
void LogMsgWithTag(std::string_view text, std::string_view tag);

//! Replaces the sink and returns the previous one; an empty sink restores the file sink.
LogSink setLogSink(LogSink sink);

//! The default log file: $XDG_DATA_HOME/coreapp/coreapp.log, else
//! ~/.local/share/coreapp/coreapp.log; empty when neither variable is set.
std::string defaultLogPath();

//! Installs a sink for the lifetime of the object, then puts the previous one back.
class ScopedLogSink {
 public:
  explicit ScopedLogSink(LogSink sink) : previous_(setLogSink(std::move(sink))) {}
  ~ScopedLogSink() { setLogSink(std::move(previous_)); }
  ScopedLogSink(const ScopedLogSink&) = delete;
  ScopedLogSink& operator=(const ScopedLogSink&) = delete;

 private:
  LogSink previous_;
};

}  // namespace core
