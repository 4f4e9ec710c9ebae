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
  bool doubledQuote = false;  //!< a string holding '' (one quote): its value is not its bytes
  std::string_view in(std::string_view text) const { return text.substr(offset, length); }
};

//! Kept keys a scan may turn out to have, found by their first bytes.
class ShapeCandidates {
 public:
  //! Keys are looked up by their first kPrefixBytes; shorter keys are not.
  static constexpr std::size_t kPrefixBytes = 1024;
  //! A kept key that starts with `prefix`, or an empty view.
  virtual std::string_view candidate(std::string_view prefix) = 0;

 protected:
  ~ShapeCandidates() = default;
};

class BatchShape {
 public:
  //! Scans `text`, reusing this shape's storage. False when the text is not one the
  //! scan understands (an unclosed string or comment, a stray byte): parse it afresh.
  //! Once the key's first bytes are known, the rest is compared with the candidate
  //! they pick as the scan goes, and written only from where the two differ.
  bool scan(std::string_view text, ShapeCandidates* candidates = nullptr);
  std::string_view key() const { return std::string_view(keyData_, size_); }  //!< the shape
  //! The key is the candidate's (key() points into it: valid while that key is kept).
  bool matched() const { return keyData_ != key_.data(); }
  const std::vector<LiteralSpan>& literals() const { return literals_; }  //!< in text order
  //! Gives the literals away, taking `other`'s storage for the next scan.
  void swapLiterals(std::vector<LiteralSpan>& other) { literals_.swap(other); }

 private:
  //! What a lifted literal leaves in the key: byte 0x01 and its class.
  struct Marker {
    char bytes[4] = {};
    std::size_t size = 0;
  };
  void put(std::string_view s);
  void pickCandidate();
  void stopComparing();
  bool scanString(std::string_view text, std::size_t& i, Marker& marker);
  void scanNumber(std::string_view text, std::size_t& i, Marker& marker);
  bool skipDelimited(std::string_view text, std::size_t& i, char close);
  bool skipComment(std::string_view text, std::size_t& i);

  std::string key_;  // the key's first size_ bytes unless comparing; kept between scans
  const char* keyData_ = nullptr;
  std::size_t size_ = 0;
  ShapeCandidates* candidates_ = nullptr;  // asked once a scan, when the key reaches kPrefixBytes
  std::string_view against_;               // the candidate's key while the scan's still matches it
  std::vector<LiteralSpan> literals_;
};

//! Sets `out` to the value a lifted literal stands for (a string unquoted, a number
//! as written), reusing its storage.
void assignLiteralValue(std::string& out, std::string_view text, const LiteralSpan& span);

}  // namespace tsql::exec
