// Reading a JSON path. Positions in its error count characters from 0, as the JSON
// text's errors do.
#include "tsql/runtime/json_path.h"

#include "tsql/runtime/json_text.h"
#include "tsql/runtime/value_conversion.h"

namespace tsql::runtime {

namespace {

class PathReader {
 public:
  explicit PathReader(std::string_view text) : text_(text) {}

  [[noreturn]] void fail() const {
    std::string_view rest = text_.substr(std::min(at_, text_.size()));
    std::string ch =
        rest.empty() ? std::string() : std::string(rest.substr(0, JsonText::charBytes(rest[0])));
    throw RuntimeError(errors::Error::JsonPathFormat,
                       {ch, std::to_string(JsonText::charCount(text_.substr(0, at_)))});
  }
  bool atEnd() const { return at_ >= text_.size(); }
  char peek() const { return atEnd() ? '\0' : text_[at_]; }
  bool acceptWord(std::string_view w) {
    if (text_.substr(at_, w.size()) != w || text_.size() <= at_ + w.size() ||
        text_[at_ + w.size()] != ' ')
      return false;
    at_ += w.size();
    while (peek() == ' ') ++at_;
    return true;
  }
  void expect(char c) {
    if (peek() != c) fail();
    ++at_;
  }
  JsonPath::Step index() {
    JsonPath::Step s;
    s.isIndex = true;
    std::size_t digits = 0;
    while (peek() >= '0' && peek() <= '9') {
      s.index = s.index * 10 + static_cast<std::size_t>(peek() - '0');
      if (++digits > 9) fail();
      ++at_;
    }
    if (!digits) fail();
    expect(']');
    return s;
  }
  JsonPath::Step key() {
    JsonPath::Step s;
    if (peek() == '"') {
      std::size_t end = JsonText::stringEnd(text_, at_);
      if (end == std::string_view::npos) fail();
      s.key = JsonText::unescape(text_.substr(at_, end - at_));
      at_ = end;
      return s;
    }
    std::size_t start = at_;
    while (!atEnd() && peek() != '.' && peek() != '[' && peek() != ' ' && peek() != '"' &&
           peek() != ']')
      ++at_;
    if (at_ == start) fail();
    s.key = std::string(text_.substr(start, at_ - start));
    return s;
  }

 private:
  std::string_view text_;
  std::size_t at_ = 0;
};

}  // namespace

JsonPath JsonPath::parse(std::string_view text, bool allowAppend) {
  JsonPath path;
  PathReader r(text);
  if (allowAppend) path.append = r.acceptWord("append");
  if (r.acceptWord("strict"))
    path.strict = true;
  else
    r.acceptWord("lax");
  r.expect('$');
  while (!r.atEnd()) {
    char c = r.peek();
    r.expect(c == '[' ? '[' : '.');
    path.steps.push_back(c == '[' ? r.index() : r.key());
  }
  return path;
}

}  // namespace tsql::runtime
