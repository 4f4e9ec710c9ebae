// Case-blind, trailing-space-blind text comparison and LIKE, the meaning the shop's
// queries were written for. ASCII takes a fast byte path; other scripts fold by code
// point (Latin-1, Latin Extended-A, Greek, Cyrillic; Chinese has no case).
#include "tsql/runtime/text_collation.h"

#include "tsql/runtime/utf8.h"

namespace tsql::runtime {

char32_t TextCollation::fold(char32_t c) {
  if (c < 0x80) return (c >= 'A' && c <= 'Z') ? c + 32 : c;
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return c + 32;
  if (c >= 0x100 && c <= 0x17E) {
    // Latin Extended-A comes in upper/lower pairs: upper on even code points up to
    // U+0137 and from U+014A to U+0177, on odd ones from U+0139 to U+0148 and U+0179 on.
    if (c == 0x130 || c == 0x131 || c == 0x138 || c == 0x149) return c;
    if (c == 0x178) return 0xFF;
    bool upperIsOdd = (c >= 0x139 && c <= 0x148) || c >= 0x179;
    return (c % 2 == (upperIsOdd ? 1u : 0u)) ? c + 1 : c;
  }
  if (c >= 0x391 && c <= 0x3AB && c != 0x3A2) return c + 32;
  if (c >= 0x410 && c <= 0x42F) return c + 32;
  if (c >= 0x400 && c <= 0x40F) return c + 80;
  return c;
}

char32_t TextCollation::toUpper(char32_t c) {
  if (c < 0x80) return (c >= 'a' && c <= 'z') ? c - 32 : c;
  if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return c - 32;
  if (c == 0xFF) return 0x178;
  if (c >= 0x100 && c <= 0x17F) {
    char32_t below = c - 1;  // the upper case of a pair sits just below its lower case
    return fold(below) == c && below != c ? below : c;
  }
  if (c >= 0x3B1 && c <= 0x3CB && c != 0x3C2) return c - 32;
  if (c >= 0x430 && c <= 0x44F) return c - 32;
  if (c >= 0x450 && c <= 0x45F) return c - 80;
  return c;
}

std::string_view TextCollation::trimRight(std::string_view s) {
  std::size_t n = s.size();
  while (n > 0 && s[n - 1] == ' ') --n;
  return s.substr(0, n);
}

int TextCollation::compare(std::string_view a, std::string_view b) {
  a = trimRight(a);
  b = trimRight(b);
  std::size_t i = 0, j = 0;
  while (i < a.size() && j < b.size()) {
    auto ca = static_cast<unsigned char>(a[i]);
    auto cb = static_cast<unsigned char>(b[j]);
    if (ca < 0x80 && cb < 0x80) {  // fast path: plain ASCII bytes
      int fa = (ca >= 'A' && ca <= 'Z') ? ca + 32 : ca;
      int fb = (cb >= 'A' && cb <= 'Z') ? cb + 32 : cb;
      if (fa != fb) return fa < fb ? -1 : 1;
      ++i;
      ++j;
      continue;
    }
    char32_t fa = fold(Utf8::next(a, i));
    char32_t fb = fold(Utf8::next(b, j));
    if (fa != fb) return fa < fb ? -1 : 1;
  }
  if (i < a.size()) return 1;
  if (j < b.size()) return -1;
  return 0;
}

namespace {

// Matches one bracket set "[...]" starting after '['; advances `p` past ']'. A set
// without its closing bracket matches the '[' literally, as SQL Server does.
bool matchSet(std::string_view pat, std::size_t& p, char32_t c, bool& wellFormed) {
  std::size_t q = p;
  bool negate = q < pat.size() && pat[q] == '^';
  if (negate) ++q;
  bool hit = false;
  bool first = true;
  while (q < pat.size() && (pat[q] != ']' || first)) {
    first = false;
    char32_t lo = TextCollation::fold(Utf8::next(pat, q));
    char32_t hi = lo;
    if (q + 1 < pat.size() && pat[q] == '-' && pat[q + 1] != ']') {
      ++q;
      hi = TextCollation::fold(Utf8::next(pat, q));
    }
    if (c >= lo && c <= hi) hit = true;
  }
  wellFormed = q < pat.size();
  if (!wellFormed) return false;
  p = q + 1;
  return hit != negate;
}

bool likeAt(std::string_view v, std::size_t i, std::string_view pat, std::size_t p,
            char32_t esc) {
  while (p < pat.size()) {
    std::size_t pn = p;
    char32_t pc = Utf8::next(pat, pn);
    if (pc == '%' ) {
      while (pn < pat.size() && pat[pn] == '%') ++pn;
      if (pn == pat.size()) return true;
      for (std::size_t k = i; k <= v.size();) {
        if (likeAt(v, k, pat, pn, esc)) return true;
        if (k == v.size()) break;
        Utf8::next(v, k);
      }
      return false;
    }
    if (i >= v.size()) return false;
    char32_t vc = TextCollation::fold(Utf8::next(v, i));
    if (pc == '_') {
      p = pn;
      continue;
    }
    if (pc == '[') {
      bool wellFormed = true;
      std::size_t q = pn;
      bool hit = matchSet(pat, q, vc, wellFormed);
      if (wellFormed) {
        if (!hit) return false;
        p = q;
        continue;
      }
    }
    if (esc != 0 && pc == esc && pn < pat.size()) pc = Utf8::next(pat, pn);
    if (TextCollation::fold(pc) != vc) return false;
    p = pn;
  }
  // Blanks left over after the whole pattern matched are padding, not text: 'ab   '
  // (a char(5)) matches 'ab_' and '%b'; a blank the pattern names must be there.
  return TextCollation::trimRight(v.substr(i)).empty();
}

}  // namespace

bool TextCollation::like(std::string_view value, std::string_view pattern, char32_t escape) {
  return likeAt(value, 0, pattern, 0, escape);
}

std::string TextCollation::upper(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  for (std::size_t i = 0; i < s.size();) Utf8::append(out, toUpper(Utf8::next(s, i)));
  return out;
}

std::string TextCollation::lower(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  for (std::size_t i = 0; i < s.size();) Utf8::append(out, fold(Utf8::next(s, i)));
  return out;
}

std::size_t TextCollation::find(std::string_view hay, std::string_view needle,
                                std::size_t from, std::size_t& matchedBytes) {
  for (std::size_t start = from; start < hay.size(); Utf8::next(hay, start)) {
    std::size_t i = start, j = 0;
    bool same = true;
    while (j < needle.size()) {
      if (i >= hay.size() || fold(Utf8::next(hay, i)) != fold(Utf8::next(needle, j))) {
        same = false;
        break;
      }
    }
    if (same) {
      matchedBytes = i - start;
      return start;
    }
  }
  return std::string_view::npos;
}

}  // namespace tsql::runtime
