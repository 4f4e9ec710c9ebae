// The scalar JSON functions over JsonText: lax paths give NULL where strict ones raise
// SQL Server's 13608, 13623, 13624 and 13625.
#include "tsql/runtime/json_functions.h"

#include <cctype>
#include <optional>
#include <string>

#include "tsql/runtime/json_table_functions.h"
#include "tsql/runtime/json_text.h"
#include "tsql/runtime/sql_args.h"

namespace tsql::runtime {

namespace {

constexpr std::size_t kValueLength = 4000;  // JSON_VALUE gives an nvarchar(4000)

void isjson(SqlArgs& a) {
  if (a.isNull(0)) return a.setNull();
  std::optional<JsonText::Kind> kind = JsonText::kindOf(a.text(0));
  std::string want = a.count() > 1 ? std::string(a.text(1)) : std::string();
  for (char& c : want) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  bool container = kind && (*kind == JsonText::Kind::Object || *kind == JsonText::Kind::Array);
  bool ok = want.empty()       ? container
            : want == "value"  ? kind.has_value()
            : want == "scalar" ? kind && !container
            : want == "array"  ? kind == JsonText::Kind::Array
                               : kind == JsonText::Kind::Object;
  a.set(static_cast<std::int64_t>(ok));
}

void jsonValue(SqlArgs& a) {
  if (a.anyNull()) return a.setNull();
  JsonPath path = JsonPath::parse(a.text(1));
  JsonText doc(a.text(0));
  std::optional<JsonText::Span> at = doc.find(path.steps, path.steps.size());
  if (!at) {
    if (path.strict) throw RuntimeError(errors::Error::JsonPropertyMissing);
    return a.setNull();
  }
  if (at->kind == JsonText::Kind::Object || at->kind == JsonText::Kind::Array) {
    if (path.strict) throw RuntimeError(errors::Error::JsonNotScalar);
    return a.setNull();
  }
  if (at->kind == JsonText::Kind::Null) return a.setNull();
  std::string text = doc.scalarText(*at);
  if (JsonText::charCount(text) > kValueLength) {
    if (path.strict) throw RuntimeError(errors::Error::JsonValueTruncated);
    return a.setNull();
  }
  a.set(text);
}

void jsonQuery(SqlArgs& a) {
  if (a.anyNull()) return a.setNull();
  JsonPath path = JsonPath::parse(a.count() > 1 ? a.text(1) : std::string_view("$"));
  JsonText doc(a.text(0));
  std::optional<JsonText::Span> at = doc.find(path.steps, path.steps.size());
  if (!at) {
    if (path.strict) throw RuntimeError(errors::Error::JsonPropertyMissing);
    return a.setNull();
  }
  if (at->kind != JsonText::Kind::Object && at->kind != JsonText::Kind::Array) {
    if (path.strict) throw RuntimeError(errors::Error::JsonNotObjectOrArray);
    return a.setNull();
  }
  a.set(doc.raw(*at));
}

// The new value as JSON: text quoted, a number as its text, a bit true/false, a JSON
// fragment (JSON_QUERY's result) as it is.
std::optional<std::string> newValueJson(SqlArgs& a) {
  if (a.isNull(2)) return std::nullopt;
  std::string_view how = a.text(3);
  std::string_view v = a.text(2);
  if (how == "n") return std::string(v);
  if (how == "b") return std::string(v == "0" ? "false" : "true");
  if (how == "j") return std::string(v);
  return JsonText::quote(v);
}

void jsonModify(SqlArgs& a) {
  if (a.isNull(0) || a.isNull(1)) return a.setNull();
  JsonPath path = JsonPath::parse(a.text(1), true);
  JsonText doc(a.text(0));
  a.set(doc.modify(path, newValueJson(a)));
}

}  // namespace

int JsonFunctions::install(sqlite3* db) {
  return firstFailure(
      {defineFunction<isjson>(db, "tsql_isjson", 1), defineFunction<isjson>(db, "tsql_isjson", 2),
       defineFunction<jsonValue>(db, "tsql_json_value", 2),
       defineFunction<jsonQuery>(db, "tsql_json_query", 1),
       defineFunction<jsonQuery>(db, "tsql_json_query", 2),
       defineFunction<jsonModify>(db, "tsql_json_modify", 4), JsonTableFunctions::install(db)});
}

}  // namespace tsql::runtime
