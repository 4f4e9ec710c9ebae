// The shape scan. It must lift exactly the literal tokens the lexer makes, and the
// plan cache checks that on every new shape against the lexer (see plan_cache.cpp);
// what follows a literal is in the key, so texts of one key lex alike. A lifted
// literal leaves a marker: byte 0x01 and its class. A text holding byte 0x01 anywhere
// could spell a marker, so it is not scanned at all.
#include "tsql/exec/batch_shape.h"

#include <array>
#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "tsql/lexer/lexer.h"

namespace tsql::exec {

namespace {

constexpr char kMarker = '\x01';
constexpr std::size_t kMaxLiteralDigits = 9;  // longer integers may be bigint: kept whole

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// What a byte may start, for the scan: most bytes need only be copied.
enum class ByteClass : std::uint8_t { Plain, Name, Digit, Quote, Delimiter, Comment, Point };

const std::array<ByteClass, 256>& byteClasses() {
  static const std::array<ByteClass, 256> table = [] {
    std::array<ByteClass, 256> t{};
    for (int c = 0; c < 256; ++c) {
      auto& k = t[static_cast<std::size_t>(c)];
      if (isIdentifierChar(static_cast<char>(c))) k = ByteClass::Name;
      if (isDigit(static_cast<char>(c))) k = ByteClass::Digit;
    }
    t['\''] = ByteClass::Quote;
    t['['] = t['"'] = ByteClass::Delimiter;
    t['-'] = t['/'] = ByteClass::Comment;
    t['.'] = ByteClass::Point;
    return t;
  }();
  return table;
}

// The first byte at or after `i` that is not plain or part of a name: a digit, a quote,
// a delimiter, a comment's first byte or a point ('-' '.' '/' and the digits are the
// one range 0x2D..0x39). Most of a batch is names and punctuation, so the scan steps
// over it sixteen bytes at a time where it can.
std::size_t nextSpecial(std::string_view text, std::size_t i) {
  const std::size_t n = text.size();
#if defined(__SSE2__)
  const __m128i rangeStart = _mm_set1_epi8(0x2D), rangeWidth = _mm_set1_epi8(0x39 - 0x2D);
  const __m128i quote = _mm_set1_epi8('\''), bracket = _mm_set1_epi8('['),
                dquote = _mm_set1_epi8('"');
  for (; i + 16 <= n; i += 16) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text.data() + i));
    const __m128i offset = _mm_sub_epi8(v, rangeStart);
    __m128i hit = _mm_cmpeq_epi8(_mm_min_epu8(offset, rangeWidth), offset);  // offset <= width
    hit = _mm_or_si128(hit, _mm_cmpeq_epi8(v, quote));
    hit = _mm_or_si128(hit, _mm_or_si128(_mm_cmpeq_epi8(v, bracket), _mm_cmpeq_epi8(v, dquote)));
    if (const int mask = _mm_movemask_epi8(hit))
      return i + static_cast<std::size_t>(__builtin_ctz(static_cast<unsigned>(mask)));
  }
#endif
  const std::array<ByteClass, 256>& classes = byteClasses();
  while (i < n) {
    ByteClass k = classes[static_cast<unsigned char>(text[i])];
    if (k != ByteClass::Plain && k != ByteClass::Name) break;
    ++i;
  }
  return i;
}

template <typename Word>
Word load(const char* p) {
  Word w;
  std::memcpy(&w, p, sizeof w);
  return w;
}

// Whether n bytes at a and b are alike. Most pieces of a key are a few bytes, where a
// call to memcmp costs more than the compare: up to 16 bytes are two loads a side.
bool sameBytes(const char* a, const char* b, std::size_t n) {
  using U64 = std::uint64_t;
  using U32 = std::uint32_t;
  if (n > 16) return std::memcmp(a, b, n) == 0;
  if (n >= 8) return load<U64>(a) == load<U64>(b) && load<U64>(a + n - 8) == load<U64>(b + n - 8);
  if (n >= 4) return load<U32>(a) == load<U32>(b) && load<U32>(a + n - 4) == load<U32>(b + n - 4);
  if (n >= 2) return load<std::uint16_t>(a) == load<std::uint16_t>(b) && a[n - 1] == b[n - 1];
  return n == 0 || *a == *b;
}

}  // namespace

// While the key matches the candidate's, a piece is compared where the candidate has it
// and not written: the kept key and the text are read once, the key not at all.
[[gnu::always_inline]] inline void BatchShape::put(std::string_view s) {
  if (!against_.empty()) {
    if (s.size() <= against_.size() - size_ && sameBytes(against_.data() + size_, s.data(), s.size())) {
      size_ += s.size();
      return;
    }
    stopComparing();
  }
  std::memcpy(key_.data() + size_, s.data(), s.size());  // scan() sized the key for the worst case
  size_ += s.size();
  if (candidates_ && size_ >= ShapeCandidates::kPrefixBytes) [[unlikely]]
    pickCandidate();
}

// The candidate must also hold what was written past its first bytes.
void BatchShape::pickCandidate() {
  std::string_view kept = candidates_->candidate(std::string_view(key_.data(), ShapeCandidates::kPrefixBytes));
  candidates_ = nullptr;
  const std::size_t from = ShapeCandidates::kPrefixBytes;
  if (kept.size() < size_ || std::memcmp(kept.data() + from, key_.data() + from, size_ - from) != 0) return;
  against_ = kept;
}

// The key so far is the candidate's first size_ bytes: written out, the scan goes on
// writing.
void BatchShape::stopComparing() {
  std::memcpy(key_.data(), against_.data(), size_);
  against_ = {};
}

// Text between lifted literals goes into the key in one piece. Plain bytes and names
// are stepped over by nextSpecial; a digit belongs to a name when the byte before
// it is a name's (a letter, or a digit that did not end a number).
bool BatchShape::scan(std::string_view text, ShapeCandidates* candidates) {
  size_ = 0;
  literals_.clear();
  candidates_ = candidates;
  against_ = {};
  if (text.find(kMarker) != std::string_view::npos) return false;
  // A one-digit integer leaves a marker of three bytes, three times its length.
  if (key_.size() < 3 * text.size() + 64) key_.resize(3 * text.size() + 64);
  keyData_ = key_.data();
  const std::array<ByteClass, 256>& classes = byteClasses();
  auto classOf = [&](std::size_t at) { return classes[static_cast<unsigned char>(text[at])]; };
  const std::size_t n = text.size();
  std::size_t i = 0;
  std::size_t copied = 0;     // the text before this is in the key
  std::size_t numberEnd = 0;  // where the last number ended: a digit before it is not a name's
  Marker marker;
  while ((i = nextSpecial(text, i)) < n) {
    ByteClass k = classOf(i);
    const bool afterName = i > 0 && (classOf(i - 1) == ByteClass::Name ||
                                     (classOf(i - 1) == ByteClass::Digit && i != numberEnd));
    marker.size = 0;
    if (k == ByteClass::Digit && afterName) {
      ++i;
    } else if (k == ByteClass::Comment && (i + 1 >= n || text[i + 1] != (text[i] == '-' ? '-' : '*'))) {
      ++i;
    } else if (k == ByteClass::Digit || (k == ByteClass::Point && i + 1 < n && isDigit(text[i + 1]) && !afterName)) {
      scanNumber(text, i, marker);
      numberEnd = i;
    } else if (k == ByteClass::Point) {
      ++i;
    } else if (k == ByteClass::Quote) {
      if (!scanString(text, i, marker)) return false;
    } else if (k == ByteClass::Delimiter) {
      if (!skipDelimited(text, i, text[i] == '[' ? ']' : '"')) return false;
    } else if (!skipComment(text, i)) {
      return false;
    }
    if (marker.size == 0) continue;
    put(text.substr(copied, literals_.back().offset - copied));
    put(std::string_view(marker.bytes, marker.size));
    copied = i;
  }
  put(text.substr(copied));
  if (!against_.empty()) {
    if (against_.size() == size_) keyData_ = against_.data();  // both ended: the candidate's key
    else stopComparing();                                      // the text's key is shorter
  }
  return true;
}

// string := ''' { any except ''' | '''' } '''  (N'...' when an N starts the token)
bool BatchShape::scanString(std::string_view text, std::size_t& i, Marker& marker) {
  std::size_t start = i;
  bool national = i > 0 && (text[i - 1] == 'N' || text[i - 1] == 'n') && (i < 2 || !isIdentifierChar(text[i - 2]));
  bool doubled = false;
  for (++i;; ++i) {
    if (i >= text.size()) return false;
    if (text[i] != '\'') continue;
    if (i + 1 < text.size() && text[i + 1] == '\'') {
      doubled = true;
      ++i;
      continue;
    }
    break;
  }
  ++i;
  if (national) start -= 1;  // the N belongs to the literal
  literals_.push_back({static_cast<std::uint32_t>(start), static_cast<std::uint32_t>(i - start),
                       national ? LiteralSpan::Kind::NString : LiteralSpan::Kind::String, doubled});
  marker = {{kMarker, national ? 'W' : 'S'}, 2};
  return true;
}

// number := digits [ '.' digits ] [ exponent ], as the lexer reads it. A constant's
// type counts its digits (12.345 is decimal(5,3), 10 counts two digits in decimal
// arithmetic), so the class keeps the significant digits before the point and the
// digits after it (as bytes from 2 on, never the marker byte).
void BatchShape::scanNumber(std::string_view text, std::size_t& i, Marker& marker) {
  std::size_t start = i;
  while (i < text.size() && isDigit(text[i])) ++i;
  std::size_t before = i - start;
  bool point = i < text.size() && text[i] == '.';
  if (point) ++i;
  std::size_t fraction = i;
  while (i < text.size() && isDigit(text[i])) ++i;
  std::size_t after = i - fraction;
  bool exponent = i + 1 < text.size() && (text[i] == 'e' || text[i] == 'E') &&
                  (isDigit(text[i + 1]) ||
                   ((text[i + 1] == '+' || text[i + 1] == '-') && i + 2 < text.size() && isDigit(text[i + 2])));
  if (exponent) {
    i += 2;
    while (i < text.size() && isDigit(text[i])) ++i;
  }
  if (exponent || (!point && before > kMaxLiteralDigits) || before > 250 || after > 250) return;  // kept whole
  literals_.push_back({static_cast<std::uint32_t>(start), static_cast<std::uint32_t>(i - start),
                       point ? LiteralSpan::Kind::Number : LiteralSpan::Kind::Integer});
  std::size_t zeros = 0;  // leading zeros do not count towards a constant's precision
  while (zeros < before && text[start + zeros] == '0') ++zeros;
  auto digits = static_cast<char>(before - zeros + 2);
  if (point) marker = {{kMarker, 'D', digits, static_cast<char>(after + 2)}, 4};
  else marker = {{kMarker, 'I', digits}, 3};
}

// [name] or "name", a doubled closer standing for one.
bool BatchShape::skipDelimited(std::string_view text, std::size_t& i, char close) {
  for (++i;; ++i) {
    if (i >= text.size()) return false;
    if (text[i] != close) continue;
    if (i + 1 < text.size() && text[i + 1] == close) {
      ++i;
      continue;
    }
    ++i;
    return true;
  }
}

// -- to the end of the line, or /* ... */ (nesting, as T-SQL's do).
bool BatchShape::skipComment(std::string_view text, std::size_t& i) {
  if (text[i] == '-') {
    while (i < text.size() && text[i] != '\n') ++i;
    return true;
  }
  int depth = 0;
  while (i + 1 < text.size()) {
    if (text[i] == '/' && text[i + 1] == '*') {
      ++depth;
      i += 2;
    } else if (text[i] == '*' && text[i + 1] == '/') {
      i += 2;
      if (--depth == 0) return true;
    } else {
      ++i;
    }
  }
  return false;
}

namespace {

// A literal of a kept shape mostly has as many bytes as the one before it (a number's
// digits are part of its shape): then they are overwritten where they lie.
void assignBytes(std::string& out, std::string_view s) {
  if (out.size() == s.size())
    std::memcpy(out.data(), s.data(), s.size());
  else
    out.assign(s);
}

}  // namespace

void assignLiteralValue(std::string& out, std::string_view text, const LiteralSpan& span) {
  std::string_view s(text.data() + span.offset, span.length);  // the scan of `text` made the span
  if (span.kind == LiteralSpan::Kind::Integer || span.kind == LiteralSpan::Kind::Number) {
    assignBytes(out, s);
    return;
  }
  s.remove_prefix(span.kind == LiteralSpan::Kind::NString ? 2 : 1);
  s.remove_suffix(1);
  assignBytes(out, s);
  if (!span.doubledQuote) return;  // nothing to undo
  std::size_t to = out.find('\'');
  for (std::size_t from = to; from < out.size(); ++from) {
    out[to++] = out[from];
    if (out[from] == '\'') ++from;  // '' stands for one quote
  }
  out.resize(to);
}

}  // namespace tsql::exec
