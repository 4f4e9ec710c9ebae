// Field conversions: every value enters a row through convertForField, so a row only
// ever holds values of its fields' types (or null). The filter, the SQL generator and
// the aggregates rely on that and compare values without converting them again.
#include "dataset/field.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <string>

#include "core/number_format.h"
#include "dataset/client_data_set.h"
#include "dataset/data_set_error.h"

namespace dataset {

core::ValueType valueTypeOf(FieldType type) {
  switch (type) {
    case FieldType::Integer:
      return core::ValueType::Integer;
    case FieldType::Float:
      return core::ValueType::Float;
    case FieldType::Currency:
      return core::ValueType::Currency;
    case FieldType::Text:
      return core::ValueType::Text;
    case FieldType::DateTime:
      return core::ValueType::DateTime;
    case FieldType::Boolean:
      return core::ValueType::Boolean;
  }
  return core::ValueType::Text;
}

FieldType fieldTypeOf(core::ValueType type) {
  switch (type) {
    case core::ValueType::Integer:
      return FieldType::Integer;
    case core::ValueType::Float:
      return FieldType::Float;
    case core::ValueType::Currency:
      return FieldType::Currency;
    case core::ValueType::DateTime:
      return FieldType::DateTime;
    case core::ValueType::Boolean:
      return FieldType::Boolean;
    case core::ValueType::Null:
    case core::ValueType::Text:
      return FieldType::Text;
  }
  return FieldType::Text;
}

const char* fieldTypeName(FieldType type) {
  switch (type) {
    case FieldType::Integer:
      return "integer";
    case FieldType::Float:
      return "float";
    case FieldType::Currency:
      return "currency";
    case FieldType::Text:
      return "text";
    case FieldType::DateTime:
      return "date-time";
    case FieldType::Boolean:
      return "boolean";
  }
  return "text";
}

namespace {

std::string_view trim(std::string_view s) {
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front()))) s.remove_prefix(1);
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.remove_suffix(1);
  return s;
}

// What the user is asked to type instead, by the field's type.
const char* expectedEntry(FieldType type) {
  switch (type) {
    case FieldType::Integer:
      return "整数";
    case FieldType::Float:
    case FieldType::Currency:
      return "数字";
    case FieldType::DateTime:
      return "日期";
    case FieldType::Boolean:
      return "是或否";
    case FieldType::Text:
      break;
  }
  return "文字";
}

// The message reaches the clerk who typed into a cell or box: it says what to type
// (the cell is his; the internal field name would mean nothing to him).
[[noreturn]] void refuse(const core::Value& v, FieldType type, std::string_view /*fieldName*/) {
  const std::string entry = expectedEntry(type);
  const std::string how = type == FieldType::DateTime ? "请按 2024-03-01 的格式输入日期。"
                                                      : "请输入" + entry + "。";
  throw DataSetError("“" + v.asText() + "”不是有效的" + entry + "，" + how);
}

bool parseInteger(std::string_view s, std::int64_t& out) {
  if (!s.empty() && s.front() == '+') s.remove_prefix(1);
  auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), out);
  return ec == std::errc() && p == s.data() + s.size() && !s.empty();
}

bool parseFloat(std::string_view s, double& out) {
  std::string text(s);
  if (text.empty()) return false;
  char* end = nullptr;
  out = std::strtod(text.c_str(), &end);
  return end == text.c_str() + text.size();
}

// "true"/"false" and the usual spellings; anything else is not a boolean.
bool parseBoolean(std::string_view s, bool& out) {
  std::string lower;
  for (char c : s) lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (lower == "true" || lower == "1" || lower == "yes") return out = true, true;
  if (lower == "false" || lower == "0" || lower == "no") return out = false, true;
  return false;
}

core::Value fromText(FieldType type, const core::Value& v, std::string_view fieldName) {
  std::string full = v.asText();
  std::string_view s = trim(full);
  if (s.empty()) return {};
  switch (type) {
    case FieldType::Integer: {
      std::int64_t i = 0;
      if (parseInteger(s, i)) return i;
      break;
    }
    case FieldType::Float: {
      double d = 0;
      if (parseFloat(s, d)) return d;
      break;
    }
    case FieldType::Currency:
      if (auto c = core::Currency::parse(s)) return *c;
      break;
    case FieldType::Boolean: {
      bool b = false;
      if (parseBoolean(s, b)) return b;
      break;
    }
    case FieldType::DateTime:
      if (auto d = core::DateTime::parse(s)) return *d;
      break;
    case FieldType::Text:
      return v;
  }
  refuse(v, type, fieldName);
}

// A number (integer, float, currency or boolean as 1/0) converted to a numeric type.
core::Value fromNumber(FieldType type, const core::Value& v, std::string_view fieldName) {
  switch (type) {
    case FieldType::Integer: {
      if (v.type() == core::ValueType::Integer || v.type() == core::ValueType::Boolean)
        return v.asInteger();
      long double x = v.type() == core::ValueType::Currency ? v.asCurrency().toLongDouble()
                                                            : static_cast<long double>(v.asFloat());
      if (!std::isfinite(x) || std::fabs(x) > 9.2e18L) refuse(v, type, fieldName);
      return static_cast<std::int64_t>(core::roundHalfEven(x, 0));
    }
    case FieldType::Float:
      if (v.type() == core::ValueType::Currency)
        return static_cast<double>(v.asCurrency().toLongDouble());
      return v.type() == core::ValueType::Integer || v.type() == core::ValueType::Boolean
                 ? static_cast<double>(v.asInteger())
                 : v.asFloat();
    case FieldType::Currency:
      if (v.type() == core::ValueType::Float && !std::isfinite(v.asFloat()))
        refuse(v, type, fieldName);
      return v.asCurrency();
    case FieldType::Boolean:
      return v.asBool();
    default:
      refuse(v, type, fieldName);
  }
}

}  // namespace

core::Value convertForField(FieldType type, const core::Value& v, std::string_view fieldName) {
  if (v.isNull() || v.type() == valueTypeOf(type)) return v;
  if (type == FieldType::Text) return v.asText();
  switch (v.type()) {
    case core::ValueType::Text:
      return fromText(type, v, fieldName);
    case core::ValueType::DateTime:
      refuse(v, type, fieldName);
    default:
      if (type == FieldType::DateTime) refuse(v, type, fieldName);
      return fromNumber(type, v, fieldName);
  }
}

const core::Value& Field::value() const { return owner_->currentValue(index_); }

std::string Field::displayText() const {
  const core::Value& v = value();
  if (v.isNull()) return {};
  if (def_.displayFormat.empty()) return v.asText();
  switch (def_.type) {
    case FieldType::Currency:
      return v.asCurrency().format(def_.displayFormat);
    case FieldType::Float:
    case FieldType::Integer:
      return core::formatFloat(v.asFloat(), def_.displayFormat);
    default:
      return v.asText();
  }
}

void Field::setValue(const core::Value& v) { owner_->setFieldValue(*this, v); }

}  // namespace dataset
