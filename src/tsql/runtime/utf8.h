// Utf8: the small amount of UTF-8 walking the text functions need (code points in and
// out). Invalid bytes are taken as single Latin-1 code points so nothing is lost.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tsql::runtime {

class Utf8 {
 public:
  //! Decodes the code point at `pos` and advances `pos` past it.
  static char32_t next(std::string_view s, std::size_t& pos) {
    auto b = static_cast<unsigned char>(s[pos]);
    if (b < 0x80) {
      ++pos;
      return b;
    }
    int extra = b >= 0xF0 ? 3 : b >= 0xE0 ? 2 : b >= 0xC0 ? 1 : 0;
    if (extra == 0 || pos + extra >= s.size()) {
      ++pos;
      return b;
    }
    char32_t cp = b & (0x3F >> extra);
    for (int i = 1; i <= extra; ++i) {
      auto c = static_cast<unsigned char>(s[pos + i]);
      if ((c & 0xC0) != 0x80) {
        ++pos;
        return b;
      }
      cp = (cp << 6) | (c & 0x3F);
    }
    pos += extra + 1;
    return cp;
  }

  //! Appends the UTF-8 form of `cp`.
  static void append(std::string& out, char32_t cp) {
    if (cp < 0x80) {
      out += static_cast<char>(cp);
    } else if (cp < 0x800) {
      out += static_cast<char>(0xC0 | (cp >> 6));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
      out += static_cast<char>(0xE0 | (cp >> 12));
      out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (cp >> 18));
      out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    }
  }

  //! Byte offset of the `n`-th code point (0-based); s.size() when past the end.
  static std::size_t offsetOf(std::string_view s, std::size_t n) {
    std::size_t pos = 0;
    while (n > 0 && pos < s.size()) {
      next(s, pos);
      --n;
    }
    return pos;
  }

  //! Number of code points.
  static std::size_t count(std::string_view s) {
    std::size_t pos = 0, n = 0;
    while (pos < s.size()) {
      next(s, pos);
      ++n;
    }
    return n;
  }
};

}  // namespace tsql::runtime
