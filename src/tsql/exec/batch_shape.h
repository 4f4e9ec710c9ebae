// BatchShape: a batch text reduced to what its parse tree depends on, found by one
// pass over the bytes (no tokens). Literals are lifted out, keeping only what decides
// their static type (string or N'' string, an integer's significant digits, a
// decimal's significant digits before the point and its digits after it); everything
// else stays byte for byte, comments and line breaks included. Texts of one shape parse to the same tree but for the lifted literals'
// values. Long integers and numbers with an exponent stay whole.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tsql::exec {

//! A lifted literal: where it is in the text and what kind of token it is.
struct LiteralSpan {
  enum class Kind : std::uint8_t { String, NString, Integer, Number };
  std::uint32_t offset = 0;
  std::uint32_t length = 0;
  Kind kind = Kind::String;
  std::string_view in(std::string_view text) const { return text.substr(offset, length); }
};

class BatchShape {
 public:
  //! Scans `text`, reusing this shape's storage. False when the text is not one the
  //! scan understands (an unclosed string or comment, a stray byte): parse it afresh.
  bool scan(std::string_view text);
  std::string_view key() const { return std::string_view(key_.data(), size_); }  //!< the shape
  const std::vector<LiteralSpan>& literals() const { return literals_; }         //!< in text order
  //! Gives the literals away, taking `other`'s storage for the next scan.
  void swapLiterals(std::vector<LiteralSpan>& other) { literals_.swap(other); }

 private:
  //! What a lifted literal leaves in the key: byte 0x01 and its class.
  struct Marker {
    char bytes[4] = {};
    std::size_t size = 0;
  };
  void put(std::string_view s);
  bool scanString(std::string_view text, std::size_t& i, Marker& marker);
  void scanNumber(std::string_view text, std::size_t& i, Marker& marker);
  bool skipDelimited(std::string_view text, std::size_t& i, char close);
  bool skipComment(std::string_view text, std::size_t& i);

  std::string key_;  // key() is its first size_ bytes; the buffer is kept between scans
  std::size_t size_ = 0;
  std::vector<LiteralSpan> literals_;
};

//! Sets `out` to the value a lifted literal stands for (a string unquoted, a number
//! as written), reusing its storage.
void assignLiteralValue(std::string& out, std::string_view text, const LiteralSpan& span);

}  // namespace tsql::exec
