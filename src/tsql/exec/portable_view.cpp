// A small scanner over the translator's own output: quoted strings and identifiers
// are copied as they are, a word directly followed by "(" is a call, its arguments
// split at the commas of their own level and rewritten in turn.
#include "tsql/exec/portable_view.h"

#include <cctype>
#include <vector>

namespace tsql::exec {

namespace {

bool isWordChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }

std::string trimmed(const std::string& s) {
  const std::size_t b = s.find_first_not_of(' ');
  return b == std::string::npos ? std::string() : s.substr(b, s.find_last_not_of(' ') - b + 1);
}

std::string lowered(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

// Words the translator writes right before "(" that are SQL, not calls.
bool isKeyword(const std::string& word) {
  static const char* const kWords[] = {"as",     "cast", "exists", "in",    "values", "over",
                                       "filter", "and",  "or",     "not",   "when",   "then",
                                       "else",   "on",   "using",  "where", "select", "from"};
  for (const char* k : kWords)
    if (word == k) return true;
  return false;
}

class Rewriter {
 public:
  explicit Rewriter(const std::function<bool(std::string_view)>& isStock) : isStock_(isStock) {}

  // `text` rewritten; sets failed_ when something of the engine's has no stand-in.
  std::string rewrite(std::string_view text) {
    std::string out;
    std::size_t i = 0;
    while (i < text.size() && !failed_) {
      const char c = text[i];
      if (c == '\'' || c == '"') {
        const std::size_t end = quotedEnd(text, i);
        out += text.substr(i, end - i);
        i = end;
      } else if (isWordChar(c) && (i == 0 || !isWordChar(text[i - 1]))) {
        std::size_t end = i;
        while (end < text.size() && isWordChar(text[end])) ++end;
        i = word(text, i, end, out);
      } else {
        out += c;
        ++i;
      }
    }
    return out;
  }

  bool failed() const { return failed_; }

 private:
  // Past the quote that closes the one at `open` (a doubled quote stays inside).
  static std::size_t quotedEnd(std::string_view text, std::size_t open) {
    const char q = text[open];
    std::size_t i = open + 1;
    while (i < text.size()) {
      if (text[i] == q && (i + 1 >= text.size() || text[i + 1] != q)) return i + 1;
      i += text[i] == q ? 2 : 1;
    }
    return text.size();
  }

  // The word text[begin, end): a call, a collation name, or copied. Returns where to go on.
  std::size_t word(std::string_view text, std::size_t begin, std::size_t end, std::string& out) {
    const std::string name = lowered(text.substr(begin, end - begin));
    if (name == "collate") return collation(text, end, out);
    if (end >= text.size() || text[end] != '(' || isKeyword(name)) {
      out += text.substr(begin, end - begin);
      return end;
    }
    const std::size_t close = closingParen(text, end);
    const std::vector<std::string> args = arguments(text.substr(end + 1, close - end - 1));
    if ((name == "tsql_money" || name == "tsql_smallmoney") && args.size() == 1)
      out += "round(" + trimmed(args[0]) + ", 4)";
    else if (name == "tsql_div" && args.size() == 2)
      out += "(" + trimmed(args[0]) + " / " + trimmed(args[1]) + ")";
    else if (name == "money_sum" && args.size() == 1)
      out += "round(sum(" + trimmed(args[0]) + "), 4)";
    else if (isStock_(name)) {
      out += text.substr(begin, end - begin);
      out += "(";
      for (std::size_t a = 0; a < args.size(); ++a) out += (a ? "," : "") + args[a];
      out += ")";
    } else {
      failed_ = true;
    }
    return close + 1;
  }

  std::size_t collation(std::string_view text, std::size_t at, std::string& out) {
    std::size_t i = at;
    while (i < text.size() && text[i] == ' ') ++i;
    std::size_t end = i;
    while (end < text.size() && isWordChar(text[end])) ++end;
    const std::string name = lowered(text.substr(i, end - i));
    if (name == "tsql_ci" || name == "nocase")
      out += "COLLATE NOCASE";
    else if (name == "binary" || name == "rtrim")
      out += "COLLATE " + name;
    else
      failed_ = true;
    return end;
  }

  // The ")" matching the "(" at `open` (the text's end when there is none).
  static std::size_t closingParen(std::string_view text, std::size_t open) {
    int depth = 0;
    for (std::size_t i = open; i < text.size();) {
      if (text[i] == '\'' || text[i] == '"') {
        i = quotedEnd(text, i);
        continue;
      }
      if (text[i] == '(') ++depth;
      if (text[i] == ')' && --depth == 0) return i;
      ++i;
    }
    return text.size();
  }

  // The arguments of a call, each rewritten, split at the commas of their own level.
  std::vector<std::string> arguments(std::string_view inner) {
    std::vector<std::string> args;
    std::size_t start = 0;
    int depth = 0;
    for (std::size_t i = 0; i <= inner.size();) {
      if (i < inner.size() && (inner[i] == '\'' || inner[i] == '"')) {
        i = quotedEnd(inner, i);
        continue;
      }
      if (i == inner.size() || (inner[i] == ',' && depth == 0)) {
        args.push_back(rewrite(inner.substr(start, i - start)));
        start = i + 1;
      } else if (inner[i] == '(') {
        ++depth;
      } else if (inner[i] == ')') {
        --depth;
      }
      ++i;
    }
    if (args.size() == 1 && args[0].empty()) args.clear();
    return args;
  }

  const std::function<bool(std::string_view)>& isStock_;
  bool failed_ = false;
};

}  // namespace

std::optional<std::string> portableViewBody(
    std::string_view body, const std::function<bool(std::string_view)>& isStockFunction) {
  Rewriter rewriter(isStockFunction);
  std::string out = rewriter.rewrite(body);
  if (rewriter.failed()) return std::nullopt;
  return out;
}

}  // namespace tsql::exec
