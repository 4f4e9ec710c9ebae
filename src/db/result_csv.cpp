// ResultCsv: values are written through the JSON writer's rules so both outputs of
// `coreapp report` agree; only texts (JSON strings) lose their JSON quoting.
#include "db/result_csv.h"

#include "db/result_json.h"

namespace db {

namespace {

std::string valueText(const core::Value& v, core::ValueType columnType) {
  if (v.isNull()) return {};
  if (v.type() == core::ValueType::Text) return v.asText();
  std::string json = ResultJson::value(v, columnType);
  // A date-time comes back as a JSON string of plain digits and separators.
  if (json.size() >= 2 && json.front() == '"') return json.substr(1, json.size() - 2);
  return json;
}

}  // namespace

std::string ResultCsv::field(const std::string& value) {
  if (value.find_first_of(",\"\r\n") == std::string::npos) return value;
  std::string out = "\"";
  for (char c : value) {
    if (c == '"') out += '"';
    out += c;
  }
  return out + '"';
}

std::string ResultCsv::text(const tsql::ResultSet& rs) {
  std::string out = "\xEF\xBB\xBF";
  for (std::size_t c = 0; c < rs.columns.size(); ++c)
    out += (c ? "," : "") + field(rs.columns[c].name);
  out += "\r\n";
  for (const auto& row : rs.rows) {
    for (std::size_t c = 0; c < row.size(); ++c) {
      const core::ValueType type =
          c < rs.columns.size() ? rs.columns[c].type : core::ValueType::Null;
      out += (c ? "," : "") + field(valueText(row[c], type));
    }
    out += "\r\n";
  }
  return out;
}

}  // namespace db
