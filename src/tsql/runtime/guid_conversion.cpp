// Checking and normalising GUID text.
#include "tsql/runtime/guid_conversion.h"

#include <cctype>

#include "tsql/runtime/sql_args.h"
#include "tsql/runtime/value_conversion.h"

namespace tsql::runtime {

namespace {

bool isGuidForm(std::string_view t) {
  if (t.size() != 36) return false;
  for (std::size_t i = 0; i < t.size(); ++i) {
    bool dash = i == 8 || i == 13 || i == 18 || i == 23;
    if (dash ? t[i] != '-' : !std::isxdigit(static_cast<unsigned char>(t[i]))) return false;
  }
  return true;
}

void toGuid(SqlArgs& a);

}  // namespace

std::string textToGuid(std::string_view text, bool constant) {
  std::string_view t = text;
  if (t.size() == 38 && t.front() == '{' && t.back() == '}') t = t.substr(1, 36);
  else if (!constant && t.size() > 36) t = t.substr(0, 36);
  if (!isGuidForm(t)) throw RuntimeError(errors::Error::GuidConversion);
  std::string out(t);
  for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return out;
}

namespace {

void toGuid(SqlArgs& a) {
  if (a.isNull(0)) return a.setNull();
  a.set(textToGuid(a.text(0), !a.isNull(1) && a.integer(1) != 0));
}

}  // namespace

int installGuidFunctions(sqlite3* db) {
  int rc = defineFunction<toGuid>(db, "tsql_guid", 2);
  return rc == SQLITE_OK ? defineTolerant<toGuid>(db, "tsql_try_guid", 2) : rc;
}

}  // namespace tsql::runtime
