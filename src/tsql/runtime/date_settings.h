// DateSettings: the session options that change how dates read and count — SET
// DATEFORMAT (the order of day, month and year in '12/20/1974'), SET DATEFIRST (the
// first day of the week) and SET LANGUAGE us_english (mdy, Sunday first). Each
// session keeps its own; while it runs a batch it makes them current on its thread,
// where the conversions (in C++ and inside SQLite's function calls) read them.
#pragma once

#include <string>
#include <string_view>

namespace tsql::runtime {

struct DateSettings {
  std::string order = "mdy";  //!< DATEFORMAT: mdy, dmy, ymd, ydm, myd or dym
  int dateFirst = 7;          //!< DATEFIRST: 1 = Monday ... 7 = Sunday

  //! True for the six orders DATEFORMAT takes (any case).
  static bool validOrder(std::string_view order);
};

//! The settings of the session running on this thread (the defaults when none does).
const DateSettings& currentDateSettings();

//! Makes a session's settings current for as long as it lives (one batch).
class ScopedDateSettings {
 public:
  explicit ScopedDateSettings(const DateSettings& s);
  ~ScopedDateSettings();
  ScopedDateSettings(const ScopedDateSettings&) = delete;
  ScopedDateSettings& operator=(const ScopedDateSettings&) = delete;

 private:
  const DateSettings* previous_;
};

}  // namespace tsql::runtime
