// Format and QuotedStr. Each directive is parsed into its parts first, then the
// argument is rendered by type; numbers with decimals go through the display
// pattern engine so currency arguments keep their exact digits.
#include "core/format.h"

#include <charconv>
#include <cstdio>

#include "core/number_format.h"
#include "core/strings.h"

namespace core {
namespace {

struct Directive {
  int index = -1;     // explicit argument index, -1 for "next"
  bool left = false;  // '-' : pad on the right
  int width = -1;
  int precision = -1;
  char type = 0;  // lower-case type letter
};

[[noreturn]] void fail(std::string_view format, const std::string& what) {
  throw FormatError("Format \"" + std::string(format) + "\": " + what);
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }

int readInt(std::string_view f, std::size_t& pos) {
  int v = 0;
  while (pos < f.size() && isDigit(f[pos])) v = v * 10 + (f[pos++] - '0');
  return v;
}

// directive := '%' [index ':'] ['-'] [width] ['.' precision] type   (pos is after '%')
Directive readDirective(std::string_view f, std::size_t& pos) {
  Directive d;
  if (pos < f.size() && isDigit(f[pos])) {
    const int n = readInt(f, pos);
    if (pos < f.size() && f[pos] == ':') {
      d.index = n;
      ++pos;
    } else {
      d.width = n;
    }
  }
  if (d.width < 0 && pos < f.size() && f[pos] == '-') {
    d.left = true;
    ++pos;
  }
  if (d.width < 0 && pos < f.size() && isDigit(f[pos])) d.width = readInt(f, pos);
  if (pos < f.size() && f[pos] == '.') {
    ++pos;
    if (pos >= f.size() || !isDigit(f[pos])) fail(f, "precision expected after '.'");
    d.precision = readInt(f, pos);
  }
  if (pos >= f.size()) fail(f, "directive at the end has no type");
  const char t = static_cast<char>(f[pos] | 0x20);  // type letters are case-insensitive
  if (std::string_view("dufnegsx").find(t) == std::string_view::npos) {
    fail(f, std::string("unknown directive type '") + f[pos] + "'");
  }
  d.type = t;
  ++pos;
  return d;
}

std::size_t utf8Length(std::string_view s) {
  std::size_t n = 0;
  for (char c : s) n += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  return n;
}

std::string utf8Prefix(const std::string& s, std::size_t chars) {
  std::size_t n = 0;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if ((static_cast<unsigned char>(s[i]) & 0xC0) != 0x80 && n++ == chars) return s.substr(0, i);
  }
  return s;
}

// Integers, booleans, whole floats or amounts (a count read back as 3.0) and texts
// that are plain integers; anything else is refused rather than guessed.
bool integerOf(const Value& v, std::int64_t& out) {
  switch (v.type()) {
    case ValueType::Integer:
    case ValueType::Boolean:
      out = v.asInteger();
      return true;
    case ValueType::Float:
    case ValueType::Currency:
      out = v.asInteger();
      return v.asFloat() == static_cast<double>(out);
    case ValueType::Text: {
      const std::string t = trim(v.asText());
      const std::size_t digits = (!t.empty() && (t[0] == '-' || t[0] == '+')) ? 1 : 0;
      out = v.asInteger();
      return t.size() > digits && t.find_first_not_of("0123456789", digits) == std::string::npos;
    }
    default:
      return false;
  }
}

std::string renderInteger(std::string_view f, const Directive& d, const Value& v, int argNo) {
  std::int64_t n = 0;
  if (!integerOf(v, n)) fail(f, "argument " + std::to_string(argNo) + " is not an integer");
  if (d.type == 'x') {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%llX", static_cast<unsigned long long>(n));
    std::string s = buf;
    if (d.precision > static_cast<int>(s.size())) s.insert(0, d.precision - s.size(), '0');
    return s;
  }
  std::string digits = std::to_string(n < 0 ? -(n + 1) + 1ULL : static_cast<unsigned long long>(n));
  if (d.precision > static_cast<int>(digits.size()))
    digits.insert(0, d.precision - digits.size(), '0');
  return n < 0 ? "-" + digits : digits;
}

std::string renderFloat(std::string_view f, const Directive& d, const Value& v, int argNo) {
  const ValueType t = v.type();
  const bool numeric = t == ValueType::Integer || t == ValueType::Float ||
                       t == ValueType::Currency ||
                       // a text is a number when no fallback shows through
                       (t == ValueType::Text && v.asFloat(0.5) == v.asFloat(-0.5));
  if (!numeric) fail(f, "argument " + std::to_string(argNo) + " is not a number");
  if (d.type == 'e' || d.type == 'g') {
    char buf[512];
    const int prec = d.precision < 0 ? 15 : d.precision;
    std::snprintf(buf, sizeof buf, d.type == 'e' ? "%.*E" : "%.*G", prec, v.asFloat());
    return buf;
  }
  const int prec = d.precision < 0 ? 2 : d.precision;
  std::string pattern = d.type == 'n' ? "#,0" : "0";
  if (prec > 0) pattern += "." + std::string(static_cast<std::size_t>(prec), '0');
  if (t == ValueType::Currency || (t == ValueType::Text && Currency::parse(v.asText()))) {
    return v.asCurrency().format(pattern);  // exact decimal digits
  }
  return formatFloat(v.asFloat(), pattern);
}

std::string render(std::string_view f, const Directive& d, const Value& v, int argNo) {
  std::string s;
  if (d.type == 's') {
    s = v.asText();
    if (d.precision >= 0) s = utf8Prefix(s, static_cast<std::size_t>(d.precision));
  } else if (d.type == 'd' || d.type == 'u' || d.type == 'x') {
    s = renderInteger(f, d, v, argNo);
  } else {
    s = renderFloat(f, d, v, argNo);
  }
  const std::size_t len = utf8Length(s);
  if (d.width > 0 && static_cast<std::size_t>(d.width) > len) {
    const std::string pad(static_cast<std::size_t>(d.width) - len, ' ');
    s = d.left ? s + pad : pad + s;
  }
  return s;
}

}  // namespace

std::string Format(std::string_view format, std::span<const Value> args) {
  std::string out;
  out.reserve(format.size() + 16 * args.size());
  int next = 0;
  for (std::size_t pos = 0; pos < format.size();) {
    const std::size_t percent = format.find('%', pos);  // the text up to it goes as it is
    out.append(format.substr(pos, percent == std::string_view::npos ? std::string_view::npos : percent - pos));
    if (percent == std::string_view::npos) break;
    pos = percent + 1;
    if (pos < format.size() && format[pos] == '%') {
      out += '%';
      ++pos;
      continue;
    }
    const Directive d = readDirective(format, pos);
    const int argNo = d.index >= 0 ? d.index : next;
    if (argNo >= static_cast<int>(args.size())) {
      fail(format, "argument " + std::to_string(argNo) + " is missing (" +
                       std::to_string(args.size()) + " given)");
    }
    const Value& arg = args[static_cast<std::size_t>(argNo)];
    if (d.type == 'd' && d.width <= 0 && d.precision < 0 && arg.type() == ValueType::Integer) {
      char digits[24];  // a key written into SQL text, a line at a time: no string of its own
      out.append(digits, std::to_chars(digits, digits + sizeof digits, arg.asInteger()).ptr);
    } else {
      out += render(format, d, arg, argNo);
    }
    next = argNo + 1;
  }
  return out;
}

std::string QuotedStr(std::string_view text) {
  std::string out = "'";
  for (char c : text) {
    out += c;
    if (c == '\'') out += '\'';
  }
  out += '\'';
  return out;
}

}  // namespace core
