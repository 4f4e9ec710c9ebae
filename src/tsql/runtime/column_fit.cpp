// Length counted in characters (UTF-8 lead bytes), as the variable cut counts them.
#include "tsql/runtime/column_fit.h"

#include "tsql/runtime/sql_args.h"
#include "tsql/runtime/text_collation.h"
#include "tsql/runtime/value_conversion.h"

namespace tsql::runtime {

namespace {

// Byte offset where character `length` starts; npos when the text is no longer.
std::size_t offsetOfChar(std::string_view text, int length) {
  std::size_t chars = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if ((static_cast<unsigned char>(text[i]) & 0xC0) == 0x80) continue;
    if (chars == static_cast<std::size_t>(length)) return i;
    ++chars;
  }
  return std::string_view::npos;
}

void fit(SqlArgs& a) {
  if (a.isNull(0)) return a.setNull();
  std::string_view text = a.text(0);
  std::size_t end = offsetOfChar(text, static_cast<int>(a.integer(1)));
  if (end == std::string_view::npos) return a.setValue(a[0]);  // fits: keep its type
  a.set(fitColumn(text, static_cast<int>(a.integer(1))));
}

// Text compared with a char(n) column, which keeps its padding: blanks past the text
// become the column's n characters; a longer text stays as it is (it equals no value).
void padToColumn(SqlArgs& a) {
  if (a.anyNull()) return a.setNull();
  std::string_view text = TextCollation::trimRight(a.text(0));
  a.set(ValueConversion::padChars(std::string(text), static_cast<int>(a.integer(1))));
}

}  // namespace

std::string fitColumn(std::string_view text, int length) {
  std::size_t end = length > 0 ? offsetOfChar(text, length) : std::string_view::npos;
  if (end == std::string_view::npos) return std::string(text);
  if (text.find_first_not_of(' ', end) != std::string_view::npos)
    throw RuntimeError(errors::Error::StringTruncated);
  return std::string(text.substr(0, end));
}

int installColumnFit(sqlite3* db) {
  return firstFailure(
      {defineFunction<fit>(db, "tsql_fit", 2), defineFunction<padToColumn>(db, "tsql_pad", 2)});
}

}  // namespace tsql::runtime
