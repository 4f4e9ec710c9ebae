// CONVERT's date styles: a datetime as the text of style n (0/100 "Mar  5 2024  8:30PM",
// 101 mm/dd/yyyy, 103 dd/mm/yyyy, 112 yyyymmdd, 120/121 ODBC ...; the style minus 100
// writes a two-digit year), and the day order a style gives text read back as a date.
#pragma once

#include <sqlite3.h>

#include <optional>
#include <string>

#include "core/date_time.h"

namespace tsql::runtime {

//! `d` in CONVERT style `style`; nullopt for a style we do not know.
std::optional<std::string> styledDateText(core::DateTime d, int style);

//! The DATEFORMAT order ("mdy", "dmy", "ymd") that text in style `style` is written
//! in; nullopt when the style leaves it to the session.
std::optional<std::string> styleOrder(int style);

//! Registers tsql_text_date(text, style): the text read as a date in that style's
//! order, as the stored "YYYY-MM-DD HH:MM:SS.mmm" (the caller rounds it to its type).
int installDateStyleFunctions(sqlite3* db);

}  // namespace tsql::runtime
