// JSON lines for result sets. Numbers are written by hand rather than through a JSON
// library so that money keeps its exact four-decimal text (12.5, never 12.499999...).
#include "db/result_json.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace db {
namespace {

std::string floatJson(double d) {
  if (!std::isfinite(d)) return "null";  // JSON has no NaN or infinity
  char buf[40];
  for (int precision = 15; precision <= 17; ++precision) {
    std::snprintf(buf, sizeof buf, "%.*g", precision, d);
    if (std::strtod(buf, nullptr) == d) break;
  }
  return buf;
}

}  // namespace

std::string ResultJson::quote(const std::string& text) {
  std::string out = "\"";
  for (char ch : text) {
    auto c = static_cast<unsigned char>(ch);
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      case '\b': out += "\\b"; break;
      case '\f': out += "\\f"; break;
      default:
        if (c < 0x20) {
          char buf[8];
          std::snprintf(buf, sizeof buf, "\\u%04x", c);
          out += buf;
        } else {
          out += ch;
        }
    }
  }
  return out + "\"";
}

std::string ResultJson::value(const core::Value& v, core::ValueType columnType) {
  using core::ValueType;
  switch (v.type()) {
    case ValueType::Null: return "null";
    case ValueType::Integer: return std::to_string(v.asInteger());
    case ValueType::Boolean: return v.asBool() ? "1" : "0";
    case ValueType::Currency: return v.asCurrency().toString();
    case ValueType::Float:
      if (columnType == ValueType::Currency) return v.asCurrency().toString();
      return floatJson(v.asFloat());
    case ValueType::DateTime: return quote(v.asDateTime().toString());
    case ValueType::Text: return quote(v.asText());
  }
  return "null";
}

std::string ResultJson::line(const tsql::ResultSet& rs) {
  std::string out = "{\"columns\":[";
  for (std::size_t i = 0; i < rs.columns.size(); ++i) {
    if (i > 0) out += ',';
    out += quote(rs.columns[i].name);
  }
  out += "],\"rows\":[";
  for (std::size_t r = 0; r < rs.rows.size(); ++r) {
    if (r > 0) out += ',';
    out += '[';
    const auto& row = rs.rows[r];
    for (std::size_t i = 0; i < row.size(); ++i) {
      if (i > 0) out += ',';
      auto type = i < rs.columns.size() ? rs.columns[i].type : core::ValueType::Null;
      out += value(row[i], type);
    }
    out += ']';
  }
  return out + "]}";
}

}  // namespace db
