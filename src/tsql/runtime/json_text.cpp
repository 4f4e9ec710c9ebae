// Reading JSON in place: one validating pass when the text is taken, then navigation
// that trusts it. Nesting is capped so that hostile text cannot exhaust the stack.
#include "tsql/runtime/json_text.h"

#include <cctype>
#include <utility>

#include "tsql/runtime/utf8.h"
#include "tsql/runtime/value_conversion.h"

namespace tsql::runtime {

namespace {

constexpr int kMaxDepth = 128;

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

// The validating pass: each function returns the offset past what it read, or throws
// with the offset of the character it could not take.
class Reader {
 public:
  explicit Reader(std::string_view t) : t_(t) {}

  struct Failure {
    std::size_t at;
  };

  JsonText::Span document() {
    std::size_t at = skip(0);
    JsonText::Span s = value(at, 0);
    if (skip(s.end) != t_.size()) throw Failure{skip(s.end)};
    return s;
  }
  //! The value starting at `i` of a text already read whole.
  JsonText::Span span(std::size_t i) { return value(i, 0); }

 private:
  std::size_t skip(std::size_t at) const {
    while (at < t_.size() && isSpace(t_[at])) ++at;
    return at;
  }
  char at(std::size_t i) const {
    if (i >= t_.size()) throw Failure{t_.size()};
    return t_[i];
  }
  JsonText::Span value(std::size_t i, int depth) {
    if (depth > kMaxDepth) throw Failure{i};
    char c = at(i);
    if (c == '{' || c == '[') return container(i, depth);
    if (c == '"') return {i, string(i), JsonText::Kind::String};
    if (c == '-' || isDigit(c)) return {i, number(i), JsonText::Kind::Number};
    for (auto [word, kind] :
         {std::pair{"true", JsonText::Kind::Bool}, std::pair{"false", JsonText::Kind::Bool},
          std::pair{"null", JsonText::Kind::Null}}) {
      std::string_view w(word);
      if (t_.substr(i, w.size()) == w) return {i, i + w.size(), kind};
    }
    throw Failure{i};
  }
  JsonText::Span container(std::size_t i, int depth) {
    const bool object = t_[i] == '{';
    const char close = object ? '}' : ']';
    std::size_t p = skip(i + 1);
    if (at(p) == close) return {i, p + 1, object ? JsonText::Kind::Object : JsonText::Kind::Array};
    for (;;) {
      if (object) {
        if (at(p) != '"') throw Failure{p};
        p = skip(string(p));
        if (at(p) != ':') throw Failure{p};
        p = skip(p + 1);
      }
      p = skip(value(p, depth + 1).end);
      if (at(p) == close)
        return {i, p + 1, object ? JsonText::Kind::Object : JsonText::Kind::Array};
      if (t_[p] != ',') throw Failure{p};
      p = skip(p + 1);
    }
  }
  std::size_t string(std::size_t i) {
    for (std::size_t p = i + 1;; ++p) {
      char c = at(p);
      if (c == '"') return p + 1;
      if (static_cast<unsigned char>(c) < 0x20) throw Failure{p};
      if (c != '\\') continue;
      c = at(++p);
      if (c == 'u') {
        for (int k = 1; k <= 4; ++k)
          if (!std::isxdigit(static_cast<unsigned char>(at(p + k)))) throw Failure{p + k};
        p += 4;
      } else if (std::string_view("\"\\/bfnrt").find(c) == std::string_view::npos) {
        throw Failure{p};
      }
    }
  }
  std::size_t number(std::size_t i) {
    std::size_t p = i + (t_[i] == '-');
    if (!isDigit(at(p))) throw Failure{p};
    if (t_[p] == '0')
      ++p;
    else
      while (p < t_.size() && isDigit(t_[p])) ++p;
    if (p < t_.size() && t_[p] == '.') {
      if (!isDigit(at(++p))) throw Failure{p};
      while (p < t_.size() && isDigit(t_[p])) ++p;
    }
    if (p < t_.size() && (t_[p] == 'e' || t_[p] == 'E')) {
      ++p;
      if (at(p) == '+' || t_[p] == '-') ++p;
      if (!isDigit(at(p))) throw Failure{p};
      while (p < t_.size() && isDigit(t_[p])) ++p;
    }
    return p;
  }

  std::string_view t_;
};

unsigned hex4(std::string_view s) {
  unsigned v = 0;
  for (char c : s.substr(0, 4))
    v = v * 16 + static_cast<unsigned>(isDigit(c) ? c - '0' : (c | 0x20) - 'a' + 10);
  return v;
}

}  // namespace

JsonText::JsonText(std::string_view text) : text_(text) {
  try {
    root_ = Reader(text).document();
  } catch (const Reader::Failure& f) {
    std::string_view rest = text.substr(std::min(f.at, text.size()));
    std::string ch = rest.empty() ? std::string() : std::string(rest.substr(0, charBytes(rest[0])));
    throw RuntimeError(errors::Error::JsonTextFormat,
                       {ch, std::to_string(charCount(text.substr(0, f.at)))});
  }
}

std::optional<JsonText::Kind> JsonText::kindOf(std::string_view text) {
  try {
    return Reader(text).document().kind;
  } catch (const Reader::Failure&) {
    return std::nullopt;
  }
}

std::vector<JsonText::Member> JsonText::children(Span c) const {
  std::vector<Member> out;
  if (c.kind != Kind::Object && c.kind != Kind::Array) return out;
  Reader reader(text_);
  std::size_t p = c.begin + 1;
  auto skip = [&] {
    while (isSpace(text_[p])) ++p;
  };
  for (skip(); text_[p] != '}' && text_[p] != ']';) {
    Member m;
    if (c.kind == Kind::Object) {
      std::size_t end = stringEnd(text_, p);
      m.key = unescape(text_.substr(p, end - p));
      p = end;
      skip();
      ++p;  // the colon
      skip();
    } else {
      m.key = std::to_string(out.size());
    }
    m.value = reader.span(p);
    p = m.value.end;
    skip();
    if (text_[p] == ',') ++p;
    skip();
    out.push_back(std::move(m));
  }
  return out;
}

std::optional<JsonText::Span> JsonText::find(const std::vector<JsonPath::Step>& steps,
                                             std::size_t count) const {
  Span at = root_;
  for (std::size_t i = 0; i < count; ++i) {
    const JsonPath::Step& s = steps[i];
    if (at.kind != (s.isIndex ? Kind::Array : Kind::Object)) return std::nullopt;
    std::vector<Member> kids = children(at);
    const Member* hit = nullptr;
    if (s.isIndex) hit = s.index < kids.size() ? &kids[s.index] : nullptr;
    for (std::size_t k = 0; !s.isIndex && k < kids.size() && !hit; ++k)
      if (kids[k].key == s.key) hit = &kids[k];
    if (!hit) return std::nullopt;
    at = hit->value;
  }
  return at;
}

// JSON_MODIFY. Only the containers along the path are written again; a path that
// leads nowhere changes nothing in lax mode and is error 13608 in strict mode.
std::string JsonText::modify(const JsonPath& path, const std::optional<std::string>& json) const {
  std::optional<std::string> out;
  if (path.append)
    out = appendAt(path, json.value_or("null"));
  else if (path.steps.empty())
    out = json.value_or("null");
  else
    out = modifyAt(root_, path, 0, json);
  return out ? *out : std::string(text_);
}

std::optional<std::string> JsonText::appendAt(const JsonPath& path, const std::string& json) const {
  std::optional<Span> target = find(path.steps, path.steps.size());
  if (!target || target->kind != Kind::Array) {
    if (path.strict) throw RuntimeError(errors::Error::JsonPropertyMissing);
    return std::nullopt;
  }
  JsonPath inner = path;
  inner.append = false;
  auto items = parts(*target);
  items.emplace_back("", json);
  return inner.steps.empty() ? rebuild(Kind::Array, items)
                             : modifyAt(root_, inner, 0, rebuild(Kind::Array, items));
}

std::optional<std::string> JsonText::modifyAt(Span node, const JsonPath& path, std::size_t step,
                                              const std::optional<std::string>& json) const {
  const JsonPath::Step& s = path.steps[step];
  const bool last = step + 1 == path.steps.size();
  auto items = parts(node);
  std::size_t hit = items.size();
  if (node.kind == (s.isIndex ? Kind::Array : Kind::Object)) {
    if (s.isIndex) hit = std::min(s.index, items.size());
    for (std::size_t k = 0; !s.isIndex && k < items.size() && hit == items.size(); ++k)
      if (items[k].first == s.key) hit = k;
  }
  if (hit == items.size()) {  // missing: a lax path adds a member to an object it reaches
    if (path.strict) throw RuntimeError(errors::Error::JsonPropertyMissing);
    if (!last || !json || s.isIndex || node.kind != Kind::Object) return std::nullopt;
    items.emplace_back(s.key, *json);
    return rebuild(node.kind, items);
  }
  if (!last) {
    std::optional<std::string> child = modifyAt(children(node)[hit].value, path, step + 1, json);
    if (!child) return std::nullopt;
    items[hit].second = *child;
  } else if (!json && !path.strict && node.kind == Kind::Object) {
    items.erase(items.begin() + static_cast<std::ptrdiff_t>(hit));
  } else {
    items[hit].second = json.value_or("null");
  }
  return rebuild(node.kind, items);
}

std::vector<std::pair<std::string, std::string>> JsonText::parts(Span container) const {
  std::vector<std::pair<std::string, std::string>> out;
  for (const Member& m : children(container)) out.emplace_back(m.key, std::string(raw(m.value)));
  return out;
}

std::string JsonText::rebuild(Kind kind,
                              const std::vector<std::pair<std::string, std::string>>& parts) {
  const bool object = kind == Kind::Object;
  std::string out(1, object ? '{' : '[');
  for (std::size_t i = 0; i < parts.size(); ++i) {
    if (i) out += ',';
    if (object) out += quote(parts[i].first) + ':';
    out += parts[i].second;
  }
  return out + (object ? '}' : ']');
}

std::string JsonText::scalarText(Span s) const {
  switch (s.kind) {
    case Kind::String:
      return unescape(raw(s));
    case Kind::Number:
    case Kind::Bool:
      return std::string(raw(s));
    default:
      return {};
  }
}

std::size_t JsonText::stringEnd(std::string_view text, std::size_t quote) {
  for (std::size_t p = quote + 1; p < text.size(); ++p) {
    if (text[p] == '\\')
      ++p;
    else if (text[p] == '"')
      return p + 1;
  }
  return std::string_view::npos;
}

std::string JsonText::unescape(std::string_view q) {
  std::string out;
  std::string_view s = q.substr(1, q.size() >= 2 ? q.size() - 2 : 0);
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] != '\\' || i + 1 >= s.size()) {
      out += s[i];
      continue;
    }
    char c = s[++i];
    switch (c) {
      case 'b':
        out += '\b';
        break;
      case 'f':
        out += '\f';
        break;
      case 'n':
        out += '\n';
        break;
      case 'r':
        out += '\r';
        break;
      case 't':
        out += '\t';
        break;
      case 'u': {
        unsigned cp = hex4(s.substr(i + 1));
        i += 4;
        // a surrogate pair is one character
        if (cp >= 0xD800 && cp < 0xDC00 && s.substr(i + 1, 2) == "\\u") {
          unsigned low = hex4(s.substr(i + 3));
          if (low >= 0xDC00 && low < 0xE000) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
            i += 6;
          }
        }
        Utf8::append(out, static_cast<char32_t>(cp));
        break;
      }
      default:
        out += c;
    }
  }
  return out;
}

std::string JsonText::quote(std::string_view text) {
  std::string out = "\"";
  for (char c : text) {
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '/':
        out += "\\/";
        break;
      case '\b':
        out += "\\b";
        break;
      case '\f':
        out += "\\f";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        if (static_cast<unsigned char>(c) < 0x20) {
          static constexpr char kHex[] = "0123456789abcdef";
          out += "\\u00";
          out += kHex[(c >> 4) & 0xF];
          out += kHex[c & 0xF];
        } else {
          out += c;
        }
    }
  }
  return out + '"';
}

std::size_t JsonText::charBytes(char lead) {
  auto b = static_cast<unsigned char>(lead);
  return b < 0xC0 ? 1 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
}

std::size_t JsonText::charCount(std::string_view text) {
  std::size_t n = 0;
  for (char c : text)
    if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++n;
  return n;
}

}  // namespace tsql::runtime
