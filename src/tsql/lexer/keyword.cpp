// Keyword lookup: the identifier is lower-cased into a small buffer and found by
// binary search in a table sorted once at start-up. Identifiers longer than the
// longest keyword are rejected before any copying.
#include "tsql/lexer/keyword.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <string>
#include <utility>
#include <vector>

namespace tsql {
namespace {

constexpr std::size_t kMaxKeywordLength = 16;

std::string lowerName(std::string_view name) {
  std::string s(name);
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

const std::vector<std::pair<std::string, Keyword>>& keywordTable() {
  static const auto table = [] {
    std::vector<std::pair<std::string, Keyword>> t = {
#define TSQL_KEYWORD_ENTRY(name) {lowerName(#name), Keyword::name},
        TSQL_KEYWORDS(TSQL_KEYWORD_ENTRY)
#undef TSQL_KEYWORD_ENTRY
    };
    std::sort(t.begin(), t.end());
    return t;
  }();
  return table;
}

}  // namespace

Keyword lookupKeyword(std::string_view word) {
  if (word.empty() || word.size() > kMaxKeywordLength) return Keyword::None;
  std::array<char, kMaxKeywordLength> buf{};
  for (std::size_t i = 0; i < word.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(word[i]);
    buf[i] = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
  }
  std::string_view lowered(buf.data(), word.size());
  const auto& table = keywordTable();
  auto it = std::lower_bound(table.begin(), table.end(), lowered,
                             [](const auto& e, std::string_view w) { return e.first < w; });
  if (it != table.end() && it->first == lowered) return it->second;
  return Keyword::None;
}

bool isReservedKeyword(Keyword k) {
  switch (k) {
    case Keyword::None:
    case Keyword::Nocount:
    case Keyword::Key:
    case Keyword::Tran:
    case Keyword::Transaction:
    case Keyword::Try:
    case Keyword::Catch:
    case Keyword::Work:
    case Keyword::Output:
    case Keyword::Out:
    case Keyword::Identity:
    case Keyword::Percent:
    case Keyword::Clustered:
    case Keyword::Nonclustered:
    case Keyword::Add:
      return false;
    default:
      return true;
  }
}

}  // namespace tsql
