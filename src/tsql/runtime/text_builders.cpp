// Text built from parts with SQL Server's rules: concat reads NULL as '', concat_ws
// skips NULLs, replicate stops at 8,000 bytes as a varchar does, stuff and patindex
// count characters (not bytes) and patindex matches like LIKE does.
#include "tsql/runtime/text_builders.h"

#include <string>
#include <vector>

#include "tsql/runtime/sql_args.h"
#include "tsql/runtime/text_collation.h"
#include "tsql/runtime/utf8.h"

namespace tsql::runtime {
namespace {

constexpr std::size_t kVarcharBytes = 8000;  // the longest varchar short of max

void concat(SqlArgs& a) {
  std::string out;
  for (int i = 0; i < a.count(); ++i) out += ValueConversion::toText(a[i]);  // NULL is ''
  a.set(out);
}

void concatWs(SqlArgs& a) {
  if (a.isNull(0)) return a.setNull();
  std::string sep(a.text(0)), out;
  bool first = true;
  for (int i = 1; i < a.count(); ++i) {
    if (a.isNull(i)) continue;
    if (!first) out += sep;
    out += ValueConversion::toText(a[i]);
    first = false;
  }
  a.set(out);
}

void replicate(SqlArgs& a) {
  if (a.anyNull()) return a.setNull();
  std::int64_t n = a.integer(1);
  if (n < 0) return a.setNull();
  std::string unit(a.text(0)), out;
  for (std::int64_t i = 0; i < n && !unit.empty() && out.size() + unit.size() <= kVarcharBytes; ++i)
    out += unit;
  a.set(out);
}

std::vector<char32_t> characters(std::string_view s) {
  std::vector<char32_t> cs;
  for (std::size_t i = 0; i < s.size();) cs.push_back(Utf8::next(s, i));
  return cs;
}

void reverse(SqlArgs& a) {
  if (a.isNull(0)) return a.setNull();
  std::vector<char32_t> cs = characters(a.text(0));
  std::string out;
  for (auto it = cs.rbegin(); it != cs.rend(); ++it) Utf8::append(out, *it);
  a.set(out);
}

// stuff(s, start, length, with): NULL when start is not a position of s or length < 0.
void stuff(SqlArgs& a) {
  if (a.isNull(0) || a.isNull(1) || a.isNull(2)) return a.setNull();
  std::vector<char32_t> cs = characters(a.text(0));
  std::int64_t start = a.integer(1), length = a.integer(2);
  auto count = static_cast<std::int64_t>(cs.size());
  if (start < 1 || start > count || length < 0) return a.setNull();
  std::int64_t resume = start - 1 + length < count ? start - 1 + length : count;
  std::string out;
  for (std::int64_t i = 0; i < start - 1; ++i) Utf8::append(out, cs[static_cast<std::size_t>(i)]);
  if (!a.isNull(3)) out += a.text(3);
  for (std::int64_t i = resume; i < count; ++i) Utf8::append(out, cs[static_cast<std::size_t>(i)]);
  a.set(out);
}

// patindex(pattern, s): where the pattern first matches, 1-based; 0 when nowhere. A
// pattern not opening with % must match from the first character.
void patindex(SqlArgs& a) {
  if (a.anyNull()) return a.setNull();
  std::string pattern(a.text(0)), s(a.text(1));
  bool anywhere = !pattern.empty() && pattern[0] == '%';
  std::string_view rest = anywhere ? std::string_view(pattern).substr(1) : std::string_view(pattern);
  std::int64_t position = 1;
  for (std::size_t i = 0; i <= s.size(); ++position) {
    if (TextCollation::like(std::string_view(s).substr(i), rest)) return a.set(position);
    if (!anywhere || i == s.size()) break;
    Utf8::next(s, i);
  }
  a.set(std::int64_t{0});
}

}  // namespace

int TextBuilders::install(sqlite3* db) {
  return firstFailure(
      {defineFunction<concat>(db, "concat", -1), defineFunction<concatWs>(db, "concat_ws", -1),
       defineFunction<replicate>(db, "replicate", 2), defineFunction<reverse>(db, "reverse", 1),
       defineFunction<stuff>(db, "stuff", 4), defineFunction<patindex>(db, "patindex", 2)});
}

}  // namespace tsql::runtime
