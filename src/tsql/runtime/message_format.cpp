// The substitutions of RAISERROR and FORMATMESSAGE, as C's printf writes them for the
// integer and text types those statements take. Widths and precisions count
// characters, not bytes, so a name in Chinese pads like one in Latin letters.
#include "tsql/runtime/message_format.h"

#include <algorithm>
#include <optional>

#include "tsql/runtime/utf8.h"
#include "tsql/runtime/value_conversion.h"

namespace tsql::runtime {

namespace {

constexpr std::int64_t kMaxWidth = 4096;  // past any message's length

struct Spec {
  bool left = false, plus = false, zero = false, alt = false, space = false;
  int width = -1;
  int precision = -1;
  char size = 0;  // 'h', 'l' or 0
  char type = 0;
};

std::size_t characters(std::string_view s) {
  std::size_t n = 0;
  for (std::size_t i = 0; i < s.size(); ++n) Utf8::next(s, i);
  return n;
}

std::string firstCharacters(std::string_view s, std::size_t n) {
  std::size_t at = 0;
  for (std::size_t k = 0; k < n && at < s.size(); ++k) Utf8::next(s, at);
  return std::string(s.substr(0, at));
}

class Formatter {
 public:
  Formatter(std::string_view f, const std::vector<MessageArg>& args) : f_(f), args_(args) {}

  std::string run() {
    while (i_ < f_.size()) {
      if (f_[i_] != '%' || i_ + 1 >= f_.size()) {
        out_ += f_[i_++];
      } else if (f_[i_ + 1] == '%') {
        out_ += '%';
        i_ += 2;
      } else {
        substitution();
      }
    }
    return std::move(out_);
  }

 private:
  // A specification that ends in no known type is written as it stands.
  void substitution() {
    std::size_t start = i_++;
    Spec s;
    flags(s);
    if (std::optional<std::int64_t> w = amount()) {
      s.left = s.left || *w < 0;
      s.width = static_cast<int>(std::min<std::int64_t>(*w < 0 ? -*w : *w, kMaxWidth));
    }
    if (i_ < f_.size() && f_[i_] == '.') {  // a negative precision is as none
      ++i_;
      std::optional<std::int64_t> p = amount();
      s.precision = !p ? 0 : *p < 0 ? -1 : static_cast<int>(std::min<std::int64_t>(*p, kMaxWidth));
    }
    if (f_.substr(i_, 3) == "I64")
      i_ += 3, s.size = 'l';
    else if (i_ < f_.size() && (f_[i_] == 'h' || f_[i_] == 'l'))
      s.size = f_[i_++];
    s.type = i_ < f_.size() ? f_[i_] : 0;
    if (std::string_view("diuoxXs").find(s.type) == std::string_view::npos || s.type == 0) {
      out_ += f_.substr(start, i_ - start);
      return;
    }
    ++i_;
    const MessageArg* arg = next();
    if (!arg || arg->kind == MessageArg::Kind::Null) return pad(s, "", "(null)");
    bool wantsText = s.type == 's';
    if (wantsText != (arg->kind == MessageArg::Kind::Text)) mismatch();
    if (wantsText) {
      std::string text = s.precision >= 0
                             ? firstCharacters(arg->text, static_cast<std::size_t>(s.precision))
                             : arg->text;
      return pad(s, "", text);
    }
    integer(s, arg->integer);
  }

  void flags(Spec& s) {
    for (; i_ < f_.size(); ++i_) {
      switch (f_[i_]) {
        case '-':
          s.left = true;
          break;
        case '+':
          s.plus = true;
          break;
        case '0':
          s.zero = true;
          break;
        case '#':
          s.alt = true;
          break;
        case ' ':
          s.space = true;
          break;
        default:
          return;
      }
    }
  }

  // Digits, or * for the next argument (an integer); nothing when neither is there.
  std::optional<std::int64_t> amount() {
    if (i_ < f_.size() && f_[i_] == '*') {
      ++i_;
      const MessageArg* arg = next();
      if (!arg || arg->kind == MessageArg::Kind::Null) return std::nullopt;
      if (arg->kind != MessageArg::Kind::Integer) mismatch();
      return arg->integer;
    }
    if (i_ >= f_.size() || f_[i_] < '0' || f_[i_] > '9') return std::nullopt;
    std::int64_t n = 0;
    while (i_ < f_.size() && f_[i_] >= '0' && f_[i_] <= '9')
      n = std::min<std::int64_t>(n * 10 + (f_[i_++] - '0'), kMaxWidth);
    return n;
  }

  void integer(const Spec& s, std::int64_t v) {
    bool isSigned = s.type == 'd' || s.type == 'i';
    std::uint64_t magnitude = 0;
    std::string prefix;
    if (isSigned) {
      if (s.size == 'h') v = static_cast<std::int16_t>(v);
      if (v < 0)
        prefix = "-";
      else if (s.plus)
        prefix = "+";
      else if (s.space)
        prefix = " ";
      magnitude = v < 0 ? 0 - static_cast<std::uint64_t>(v) : static_cast<std::uint64_t>(v);
    } else if (s.size == 'h') {
      magnitude = static_cast<std::uint16_t>(v);
    } else if (v >= INT32_MIN && v <= INT32_MAX) {
      magnitude = static_cast<std::uint32_t>(static_cast<std::int32_t>(v));
    } else {
      magnitude = static_cast<std::uint64_t>(v);
    }
    unsigned base = s.type == 'o' ? 8 : (s.type == 'x' || s.type == 'X') ? 16 : 10;
    const char* digitsOf = s.type == 'X' ? "0123456789ABCDEF" : "0123456789abcdef";
    std::string digits;
    for (std::uint64_t m = magnitude; m > 0; m /= base)
      digits.insert(digits.begin(), digitsOf[m % base]);
    if (digits.empty() && s.precision != 0) digits = "0";
    if (s.precision > 0 && digits.size() < static_cast<std::size_t>(s.precision))
      digits.insert(0, static_cast<std::size_t>(s.precision) - digits.size(), '0');
    if (s.alt && magnitude != 0) {
      if (s.type == 'o' && digits[0] != '0') prefix = "0";
      if (s.type == 'x') prefix = "0x";
      if (s.type == 'X') prefix = "0X";
    }
    pad(s, prefix, digits);
  }

  // Fills to the width: blanks on the right (-), zeros after the sign (0, for a
  // number without a precision), else blanks on the left.
  void pad(const Spec& s, const std::string& prefix, const std::string& body) {
    std::size_t length = prefix.size() + characters(body);
    std::size_t fill =
        s.width > 0 && length < static_cast<std::size_t>(s.width) ? s.width - length : 0;
    if (s.left) {
      out_ += prefix + body + std::string(fill, ' ');
    } else if (s.zero && s.type != 's' && s.precision < 0 && body != "(null)") {
      out_ += prefix + std::string(fill, '0') + body;
    } else {
      out_ += std::string(fill, ' ') + prefix + body;
    }
  }

  const MessageArg* next() {
    ++used_;
    return used_ <= args_.size() ? &args_[used_ - 1] : nullptr;
  }

  [[noreturn]] void mismatch() const {
    throw RuntimeError(errors::Error::SubstitutionType, {std::to_string(used_)});
  }

  std::string_view f_;
  const std::vector<MessageArg>& args_;
  std::size_t i_ = 0;
  std::size_t used_ = 0;
  std::string out_;
};

}  // namespace

std::string MessageFormat::format(std::string_view format, const std::vector<MessageArg>& args) {
  return limitLength(Formatter(format, args).run());
}

std::string MessageFormat::limitLength(std::string message) {
  constexpr std::size_t kLongest = 2047, kKept = 2044;
  if (characters(message) <= kLongest) return message;
  return firstCharacters(message, kKept) + "...";
}

}  // namespace tsql::runtime
