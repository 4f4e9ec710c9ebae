// The scalar JSON functions over JsonText: lax paths give NULL where strict ones raise
// SQL Server's 13608, 13623, 13624 and 13625.
#include "tsql/runtime/json_functions.h"

#include <cctype>
#include <optional>
#include <string>
#include <vector>

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

// One row of FOR JSON: (name, kind, value) triples after the flags (p: dotted names
// nest objects, n: NULLs written as null rather than left out). Columns in a row that
// share a dotted prefix one after another share its object.
class RowObject {
 public:
  explicit RowObject(bool path) : path_(path) {}

  void add(std::string_view name, std::string value) {
    std::vector<std::string> keys = split(name);
    std::size_t common = 0;
    while (common < open_.size() && common + 1 < keys.size() && open_[common] == keys[common])
      ++common;
    while (open_.size() > common) close();
    for (std::size_t k = common; k + 1 < keys.size(); ++k) {
      member(keys[k]);
      out_ += '{';
      open_.push_back(keys[k]);
      fresh_.push_back(true);
    }
    member(keys.back());
    out_ += value;
  }
  std::string finish() {
    while (!open_.empty()) close();
    return out_ + '}';
  }

 private:
  std::vector<std::string> split(std::string_view name) const {
    std::vector<std::string> keys;
    for (std::size_t from = 0;;) {
      std::size_t dot = path_ ? name.find('.', from) : std::string_view::npos;
      keys.emplace_back(
          name.substr(from, dot == std::string_view::npos ? std::string_view::npos : dot - from));
      if (dot == std::string_view::npos) return keys;
      from = dot + 1;
    }
  }
  void member(const std::string& key) {
    if (!fresh_.back()) out_ += ',';
    fresh_.back() = false;
    out_ += JsonText::quote(key) + ':';
  }
  void close() {
    out_ += '}';
    open_.pop_back();
    fresh_.pop_back();
  }

  bool path_;
  std::string out_ = "{";
  std::vector<std::string> open_;
  std::vector<bool> fresh_{true};
};

void jsonObject(SqlArgs& a) {
  std::string_view flags = a.text(0);
  const bool nulls = flags.find('n') != std::string_view::npos;
  RowObject row(flags.find('p') != std::string_view::npos);
  for (int i = 1; i + 2 < a.count(); i += 3) {
    if (a.isNull(i + 2) && !nulls) continue;
    std::string_view kind = a.text(i + 1), v = a.text(i + 2);
    std::string value = a.isNull(i + 2)              ? "null"
                        : kind == "n" || kind == "j" ? std::string(v)
                        : kind == "b"                ? std::string(v == "0" ? "false" : "true")
                                                     : JsonText::quote(v);
    row.add(a.text(i), std::move(value));
  }
  a.set(row.finish());
}

}  // namespace

int JsonFunctions::install(sqlite3* db) {
  return firstFailure(
      {defineFunction<isjson>(db, "tsql_isjson", 1), defineFunction<isjson>(db, "tsql_isjson", 2),
       defineFunction<jsonValue>(db, "tsql_json_value", 2),
       defineFunction<jsonQuery>(db, "tsql_json_query", 1),
       defineFunction<jsonQuery>(db, "tsql_json_query", 2),
       defineFunction<jsonModify>(db, "tsql_json_modify", 4),
       defineFunction<jsonObject>(db, "tsql_json_object", -1), JsonTableFunctions::install(db)});
}

}  // namespace tsql::runtime
