// Keyword lookup: the identifier is lower-cased into a small buffer and compared with
// the few keywords of the same length and first letter (buckets made once at
// start-up). Most identifiers of a batch are column names that meet an empty bucket.
#include "tsql/lexer/keyword.h"

#include <array>
#include <cctype>
#include <cstring>
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

using Bucket = std::vector<std::pair<std::string, Keyword>>;
using Buckets = std::array<std::array<Bucket, 26>, kMaxKeywordLength + 1>;

const Buckets& keywordBuckets() {
  static const Buckets buckets = [] {
    Buckets b;
    const std::pair<std::string, Keyword> all[] = {
#define TSQL_KEYWORD_ENTRY(name) {lowerName(#name), Keyword::name},
        TSQL_KEYWORDS(TSQL_KEYWORD_ENTRY)
#undef TSQL_KEYWORD_ENTRY
    };
    for (const auto& entry : all) b[entry.first.size()][entry.first[0] - 'a'].push_back(entry);
    return b;
  }();
  return buckets;
}

}  // namespace

Keyword lookupKeyword(std::string_view word) {
  if (word.empty() || word.size() > kMaxKeywordLength) return Keyword::None;
  std::array<char, kMaxKeywordLength> buf;
  for (std::size_t i = 0; i < word.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(word[i]);
    buf[i] = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
  }
  unsigned first = static_cast<unsigned char>(buf[0]) - 'a';
  if (first >= 26) return Keyword::None;
  for (const auto& [name, keyword] : keywordBuckets()[word.size()][first])
    if (std::memcmp(name.data(), buf.data(), word.size()) == 0) return keyword;
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
    case Keyword::Save:   // reserved on the server; a column may still be named so here
    case Keyword::Check:
      return false;
    default:
      return true;
  }
}

}  // namespace tsql
