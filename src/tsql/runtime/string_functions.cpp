// T-SQL's character and code functions on SQLite. NULL in gives NULL out; a code outside
// its range gives NULL, as SQL Server does; TRANSLATE with lists of different lengths
// is SQL Server's 9828. varchar is the code page 936 text of the Chinese_PRC
// collations: ASCII gives a character's first byte there, CHAR(128) is the euro sign
// and CHAR(129..255) is NULL (a lead byte alone is no complete character).
#include "tsql/runtime/string_functions.h"

#include <iconv.h>

#include <algorithm>
#include <vector>

#include "tsql/errors/error_table.h"
#include "tsql/runtime/sql_args.h"
#include "tsql/runtime/utf8.h"

namespace tsql::runtime {
namespace {

std::vector<char32_t> codePoints(std::string_view s) {
  std::vector<char32_t> out;
  for (std::size_t p = 0; p < s.size();) out.push_back(Utf8::next(s, p));
  return out;
}

// The first byte of `cp` in code page 936; '?' (63) for a character it lacks.
std::int64_t codePageByte(char32_t cp) {
  if (cp < 0x80) return static_cast<std::int64_t>(cp);
  std::string in;
  Utf8::append(in, cp);
  iconv_t cd = iconv_open("CP936", "UTF-8");
  if (cd == reinterpret_cast<iconv_t>(-1)) return 63;
  char out[8] = {};
  char* src = in.data();
  char* dst = out;
  std::size_t inLeft = in.size(), outLeft = sizeof out;
  std::size_t rc = iconv(cd, &src, &inLeft, &dst, &outLeft);
  iconv_close(cd);
  return rc == static_cast<std::size_t>(-1) || dst == out ? 63 : static_cast<unsigned char>(out[0]);
}

void ascii(SqlArgs& a) {
  if (a.isNull(0) || a.text(0).empty()) return a.setNull();
  std::size_t p = 0;
  a.set(codePageByte(Utf8::next(a.text(0), p)));
}

void unicode(SqlArgs& a) {
  if (a.isNull(0) || a.text(0).empty()) return a.setNull();
  std::size_t p = 0;
  a.set(static_cast<std::int64_t>(Utf8::next(a.text(0), p)));
}

void charOf(SqlArgs& a) {
  if (a.isNull(0)) return a.setNull();
  std::int64_t n = a.integer(0);
  if (n < 0 || n > 128) return a.setNull();
  if (n == 0) return a.set(std::string_view());  // no text of either database holds a NUL
  std::string out;
  Utf8::append(out, n == 128 ? U'\u20AC' : static_cast<char32_t>(n));
  a.set(out);
}

void ncharOf(SqlArgs& a) {
  if (a.isNull(0)) return a.setNull();
  std::int64_t n = a.integer(0);
  if (n < 0 || n > 0x10FFFF || (n >= 0xD800 && n <= 0xDFFF)) return a.setNull();
  if (n == 0) return a.set(std::string_view());
  std::string out;
  Utf8::append(out, static_cast<char32_t>(n));
  a.set(out);
}

void space(SqlArgs& a) {
  if (a.isNull(0)) return a.setNull();
  std::int64_t n = a.integer(0);
  if (n < 0) return a.setNull();
  a.set(std::string(static_cast<std::size_t>(std::min<std::int64_t>(n, 8000)), ' '));
}

void translate(SqlArgs& a) {
  if (a.anyNull()) return a.setNull();
  std::vector<char32_t> from = codePoints(a.text(1)), to = codePoints(a.text(2));
  if (from.size() != to.size()) throw RuntimeError(errors::Error::TranslateLengths);
  std::string out;
  std::string_view s = a.text(0);
  for (std::size_t p = 0; p < s.size();) {
    char32_t c = Utf8::next(s, p);
    auto at = std::find(from.begin(), from.end(), c);  // the first pair of a character wins
    Utf8::append(out, at == from.end() ? c : to[static_cast<std::size_t>(at - from.begin())]);
  }
  a.set(out);
}

// QUOTENAME: delimited by [] (the default), quotes, parentheses, angle or curly
// brackets or backticks, the closing character doubled inside; NULL past 128 characters.
void quotename(SqlArgs& a) {
  if (a.anyNull()) return a.setNull();
  std::string_view s = a.text(0);
  char open = '[';
  if (a.count() > 1) {
    std::string_view q = a.text(1);
    if (q.size() != 1) return a.setNull();
    open = q[0];
  }
  static constexpr std::string_view kOpen = "[]\"'()<>{}`", kClose = "]]\"'))>>}}`";
  std::size_t k = kOpen.find(open);
  if (k == std::string_view::npos || Utf8::count(s) > 128) return a.setNull();
  char close = kClose[k];
  std::string out(1, open == ']'   ? '['
                     : open == ')' ? '('
                     : open == '>' ? '<'
                     : open == '}' ? '{'
                                   : open);
  for (char c : s) {
    out += c;
    if (c == close) out += c;
  }
  a.set(out += close);
}

int soundexCode(char c) {
  static constexpr std::string_view kCodes = "01230120022455012623010202";  // A..Z
  return c >= 'A' && c <= 'Z' ? kCodes[static_cast<std::size_t>(c - 'A')] - '0' : -1;
}

void soundexOf(SqlArgs& a) {
  if (a.isNull(0)) return a.setNull();
  a.set(StringFunctions::soundex(a.text(0)));
}

// DIFFERENCE: how many of the four SOUNDEX characters agree, place by place.
void difference(SqlArgs& a) {
  if (a.anyNull()) return a.setNull();
  std::string x = StringFunctions::soundex(a.text(0)), y = StringFunctions::soundex(a.text(1));
  std::int64_t same = 0;
  for (std::size_t i = 0; i < 4 && i < x.size() && i < y.size(); ++i) same += x[i] == y[i];
  a.set(same);
}

}  // namespace

// The first letter, then the codes of the consonants that follow: letters of one code
// next to each other, or parted only by H or W, count once; vowels part them.
std::string StringFunctions::soundex(std::string_view s) {
  std::string out;
  int last = -1;
  for (char raw : s) {
    char c = raw >= 'a' && raw <= 'z' ? static_cast<char>(raw - 32) : raw;
    int code = soundexCode(c);
    if (code < 0) continue;
    if (out.empty()) {
      out += c;
      last = code;
    } else if (c == 'H' || c == 'W') {
      continue;
    } else if (code == 0) {
      last = 0;
    } else if (code != last) {
      out += static_cast<char>('0' + code);
      last = code;
    }
    if (out.size() == 4) break;
  }
  if (!out.empty()) out.resize(4, '0');
  return out;
}

int StringFunctions::install(sqlite3* db) {
  return firstFailure(
      {defineFunction<ascii>(db, "tsql_ascii", 1), defineFunction<unicode>(db, "tsql_unicode", 1),
       defineFunction<charOf>(db, "tsql_chr", 1), defineFunction<ncharOf>(db, "tsql_nchr", 1),
       defineFunction<space>(db, "tsql_space", 1),
       defineFunction<translate>(db, "tsql_translate", 3),
       defineFunction<quotename>(db, "tsql_quotename", 1),
       defineFunction<quotename>(db, "tsql_quotename", 2),
       defineFunction<soundexOf>(db, "tsql_soundex", 1),
       defineFunction<difference>(db, "tsql_difference", 2)});
}

}  // namespace tsql::runtime
