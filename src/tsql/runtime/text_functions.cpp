// String functions with T-SQL's meaning: positions are 1-based characters, len ignores
// trailing blanks, replace and charindex find text case-blind like the default
// collation, and a negative substring length is an error rather than an empty text.
#include "tsql/runtime/text_functions.h"

#include <string>

#include "tsql/runtime/runtime.h"
#include "tsql/runtime/sql_args.h"
#include "tsql/runtime/text_collation.h"
#include "tsql/runtime/utf8.h"

namespace tsql::runtime {
namespace {

void len(SqlArgs& a) {
  if (a.isNull(0)) return a.setNull();
  a.set(static_cast<std::int64_t>(Utf8::count(TextCollation::trimRight(a.text(0)))));
}

void ltrim(SqlArgs& a) {
  if (a.isNull(0)) return a.setNull();
  std::string_view s = a.text(0);
  while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
  a.set(s);
}

void rtrim(SqlArgs& a) {
  if (a.isNull(0)) return a.setNull();
  const std::string_view text = a.text(0);
  const std::string_view trimmed = TextCollation::trimRight(text);
  if (trimmed.size() == text.size() && a.type(0) == SQLITE_TEXT) return a.setValue(a[0]);  // no copy to make
  a.set(trimmed);
}

void replace(SqlArgs& a) {
  if (a.anyNull()) return a.setNull();
  std::string s(a.text(0)), find(a.text(1)), with(a.text(2));
  if (find.empty()) return a.set(s);
  std::string out;
  std::size_t pos = 0, matched = 0;
  for (;;) {
    std::size_t at = TextCollation::find(s, find, pos, matched);
    if (at == std::string::npos) break;
    out.append(s, pos, at - pos);
    out += with;
    pos = at + matched;
  }
  out.append(s, pos, std::string::npos);
  a.set(out);
}

// Characters [start, start+length) of s, 1-based, clipped to the text.
std::string_view slice(std::string_view s, std::int64_t start, std::int64_t length) {
  std::int64_t end = start + length;  // exclusive, 1-based
  if (start < 1) start = 1;
  if (end <= start) return {};
  std::size_t from = Utf8::offsetOf(s, static_cast<std::size_t>(start - 1));
  std::size_t to = from + Utf8::offsetOf(s.substr(from), static_cast<std::size_t>(end - start));
  return s.substr(from, to - from);
}

void substring(SqlArgs& a) {
  if (a.anyNull()) return a.setNull();
  std::int64_t length = a.integer(2);
  if (length < 0) {
    throw RuntimeError(errors::Error::InvalidSubstringLength);
  }
  std::string s(a.text(0));
  a.set(slice(s, a.integer(1), length));
}

void left(SqlArgs& a) {
  if (a.anyNull()) return a.setNull();
  std::int64_t n = a.integer(1);
  if (n < 0) throw RuntimeError(errors::Error::InvalidLength, {"left"});
  std::string s(a.text(0));
  a.set(slice(s, 1, n));
}

void right(SqlArgs& a) {
  if (a.anyNull()) return a.setNull();
  std::int64_t n = a.integer(1);
  if (n < 0) throw RuntimeError(errors::Error::InvalidLength, {"right"});
  std::string s(a.text(0));
  auto count = static_cast<std::int64_t>(Utf8::count(s));
  a.set(slice(s, count - n + 1, n));
}

void charindex(SqlArgs& a) {
  if (a.anyNull()) return a.setNull();
  std::string find(a.text(0)), s(a.text(1));
  std::int64_t start = a.count() > 2 ? a.integer(2) : 1;
  if (start < 1) start = 1;
  std::size_t from = Utf8::offsetOf(s, static_cast<std::size_t>(start - 1));
  std::size_t matched = 0;
  std::size_t at = find.empty() ? std::string::npos : TextCollation::find(s, find, from, matched);
  a.set(static_cast<std::int64_t>(at == std::string::npos ? 0 : Utf8::count(s.substr(0, at)) + 1));
}

void upper(SqlArgs& a) {
  if (a.isNull(0)) return a.setNull();
  a.set(TextCollation::upper(a.text(0)));
}

void lower(SqlArgs& a) {
  if (a.isNull(0)) return a.setNull();
  a.set(TextCollation::lower(a.text(0)));
}

// SQLite calls like(pattern, value[, escape]) for `value LIKE pattern`.
void like(SqlArgs& a) {
  if (a.anyNull()) return a.setNull();
  char32_t escape = 0;
  if (a.count() > 2) {
    std::string_view e = a.text(2);
    std::size_t p = 0;
    if (!e.empty()) escape = Utf8::next(e, p);
  }
  std::string pattern(a.text(0));
  a.set(static_cast<std::int64_t>(TextCollation::like(a.text(1), pattern, escape)));
}

int collate(void*, int na, const void* a, int nb, const void* b) {
  return TextCollation::compare(std::string_view(static_cast<const char*>(a), na),
                                std::string_view(static_cast<const char*>(b), nb));
}

}  // namespace

int TextFunctions::install(sqlite3* db) {
  return firstFailure(
      {sqlite3_create_collation_v2(db, kCollation, SQLITE_UTF8, nullptr, &collate, nullptr),
       defineFunction<len>(db, "len", 1), defineFunction<ltrim>(db, "ltrim", 1),
       defineFunction<rtrim>(db, "rtrim", 1), defineFunction<replace>(db, "replace", 3),
       defineFunction<substring>(db, "substring", 3), defineFunction<left>(db, "left", 2),
       defineFunction<right>(db, "right", 2), defineFunction<left>(db, "tsql_left", 2),
       defineFunction<right>(db, "tsql_right", 2), defineFunction<charindex>(db, "charindex", 2),
       defineFunction<charindex>(db, "charindex", 3), defineFunction<upper>(db, "upper", 1),
       defineFunction<lower>(db, "lower", 1), defineFunction<like>(db, "like", 2),
       defineFunction<like>(db, "like", 3)});
}

}  // namespace tsql::runtime
