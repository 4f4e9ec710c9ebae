// Reading the bill settings out of a plug's configuration document. Texts that the
// document writes as strings ("100", "true") are read the way the bill-settings editor
// writes them; missing keys take their defaults (width 100, editable, 4 decimals).
#include "host/forms/bill_config.h"

#include "host/forms/money_format.h"

#include <algorithm>
#include <nlohmann/json.hpp>
#include <stdexcept>

namespace host {

using Json = nlohmann::ordered_json;

namespace {

std::string lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::tolower(c); });
  return s;
}

// A value the settings editor may have stored as text or as a JSON scalar.
std::string scalarText(const Json& obj, const char* key) {
  if (!obj.contains(key)) return {};
  const Json& v = obj[key];
  if (v.is_string()) return v.get<std::string>();
  if (v.is_null()) return {};
  return v.dump();
}

int intOr(const Json& obj, const char* key, int fallback) {
  std::string t = scalarText(obj, key);
  try {
    return t.empty() ? fallback : std::stoi(t);
  } catch (const std::exception&) {
    return fallback;  // the settings editor writes free text; a non-number means "default"
  }
}

GridColumn parseColumn(const Json& c, std::size_t index) {
  if (!c.is_object() || !c.contains("fieldname"))
    throw std::invalid_argument("data.detail.columns[" + std::to_string(index) + "] needs a \"fieldname\"");
  GridColumn col;
  col.field = scalarText(c, "fieldname");
  col.caption = c.contains("label") ? scalarText(c, "label") : col.field;
  col.width = intOr(c, "width", 100);
  if (lower(scalarText(c, "footer")) == "true") {
    std::string kind = lower(scalarText(c, "kind"));
    col.footer = (kind.empty() || kind == "sum") ? "sum" : "count";
  }
  std::string editing = lower(scalarText(c, "editing"));
  col.readOnly = (editing == "false" || editing == "0");
  col.editor = lower(scalarText(c, "type"));
  if (c.contains("items") && c["items"].is_array())
    for (const Json& item : c["items"]) col.items.push_back(item.is_string() ? item.get<std::string>() : item.dump());
  col.decimals = intOr(c, "decimal", 4);
  col.format = scalarText(c, "format");
  col.hint = scalarText(c, "hint");
  if (col.format.empty() && col.editor == "money") col.format = moneyFormat(MoneyKind::Amount);
  std::string visible = lower(scalarText(c, "visible"));
  col.visible = !(visible == "false" || visible == "0");
  return col;
}

}  // namespace

BillConfig BillConfig::parse(std::string_view json) {
  BillConfig cfg;
  if (json.find_first_not_of(" \t\r\n") == std::string_view::npos) return cfg;
  Json doc;
  try {
    doc = Json::parse(json);
  } catch (const Json::parse_error& e) {
    throw std::invalid_argument(std::string("configuration document is not valid JSON: ") + e.what());
  }
  if (!doc.is_object()) throw std::invalid_argument("configuration document must be a JSON object");
  const Json data = doc.contains("data") ? doc["data"] : Json::object();
  const Json master = data.contains("master") ? data["master"] : Json::object();
  const Json detail = data.contains("detail") ? data["detail"] : Json::object();
  cfg.masterTable = scalarText(master, "table");
  cfg.masterSql = scalarText(master, "sql");
  cfg.detailSql = scalarText(detail, "sql");
  if (master.contains("ignorefields")) {
    if (!master["ignorefields"].is_array()) throw std::invalid_argument("data.master.ignorefields must be an array");
    for (const Json& f : master["ignorefields"]) cfg.ignoreFields.push_back(f.get<std::string>());
  }
  if (detail.contains("columns")) {
    if (!detail["columns"].is_array()) throw std::invalid_argument("data.detail.columns must be an array");
    std::size_t i = 0;
    for (const Json& c : detail["columns"]) cfg.columns.push_back(parseColumn(c, i++));
  }
  return cfg;
}

}  // namespace host
