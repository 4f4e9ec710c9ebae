// The current session's date settings, one pointer per thread: a batch runs start to
// end on the thread that called it, SQLite's function calls included.
#include "tsql/runtime/date_settings.h"

namespace tsql::runtime {

namespace {

const DateSettings kDefaults;
thread_local const DateSettings* current = &kDefaults;

}  // namespace

bool DateSettings::validOrder(std::string_view order) {
  std::string o;
  for (char c : order) o += static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
  return o == "mdy" || o == "dmy" || o == "ymd" || o == "ydm" || o == "myd" || o == "dym";
}

const DateSettings& currentDateSettings() { return *current; }

ScopedDateSettings::ScopedDateSettings(const DateSettings& s) : previous_(current) { current = &s; }

ScopedDateSettings::~ScopedDateSettings() { current = previous_; }

}  // namespace tsql::runtime
