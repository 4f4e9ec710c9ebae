// JSON helpers over nlohmann::json. Selections are read with the SAX interface so
// that numbers keep the exact text they were written with ("12.50" stays "12.50")
// and keys keep their order; documents use ordered_json for the same reason.
#include "core/json.h"

#include <nlohmann/json.hpp>

namespace core {
namespace {

using OrderedJson = nlohmann::ordered_json;

std::string jsonQuoted(const std::string& s) {
  // Invalid UTF-8 is replaced rather than refused: a stray byte in a remark must not
  // make a whole selection unreadable.
  return OrderedJson(s).dump(-1, ' ', false, OrderedJson::error_handler_t::replace);
}

// Collects rows from the events of an array of objects; nested containers inside a
// row are re-serialised compactly as the text of their key.
class SelectionReader {
 public:
  using number_integer_t = OrderedJson::number_integer_t;
  using number_unsigned_t = OrderedJson::number_unsigned_t;
  using number_float_t = OrderedJson::number_float_t;
  using string_t = OrderedJson::string_t;
  using binary_t = OrderedJson::binary_t;

  std::vector<JsonRow> rows;
  std::string error;

  bool null() { return scalar("", "null"); }
  bool boolean(bool v) { return scalar(v ? "true" : "false", v ? "true" : "false"); }
  bool number_integer(number_integer_t v) { return scalar(std::to_string(v), std::to_string(v)); }
  bool number_unsigned(number_unsigned_t v) { return scalar(std::to_string(v), std::to_string(v)); }
  bool number_float(number_float_t, const string_t& text) { return scalar(text, text); }
  bool string(string_t& v) { return scalar(v, jsonQuoted(v)); }
  bool binary(binary_t&) { return fail("binary values are not supported"); }

  bool start_object(std::size_t) {
    if (depth_ == 0) return fail("the text is a JSON object, not an array");
    if (depth_ == 1) {
      rows.emplace_back();
    } else {
      open('{');
    }
    ++depth_;
    return true;
  }
  bool end_object() {
    --depth_;
    if (depth_ >= 2) close('}');
    return true;
  }
  bool start_array(std::size_t) {
    if (depth_ == 1) return notObject();
    if (depth_ >= 2) open('[');
    ++depth_;
    return true;
  }
  bool end_array() {
    --depth_;
    if (depth_ >= 2) close(']');
    return true;
  }
  bool key(string_t& k) {
    if (depth_ == 2) {
      key_ = k;
    } else {
      separate();
      nested_ += jsonQuoted(k) + ':';
      afterKey_ = true;
    }
    return true;
  }
  bool parse_error(std::size_t position, const std::string&, const nlohmann::detail::exception& e) {
    const std::string what = e.what();
    const std::size_t cut = what.find("] ");  // drop the library's "[json.exception...]" tag
    return fail("malformed JSON at byte " + std::to_string(position) + ": " +
                (cut == std::string::npos ? what : what.substr(cut + 2)));
  }

 private:
  bool fail(const std::string& what) {
    if (error.empty()) error = what;
    return false;
  }
  bool notObject() { return fail("element " + std::to_string(rows.size()) + " is not an object"); }

  bool scalar(const std::string& text, const std::string& json) {
    if (depth_ == 0) return fail("the text is a single value, not an array");
    if (depth_ == 1) return notObject();
    if (depth_ == 2) {
      rows.back().set(key_, text);
    } else {
      separate();
      nested_ += json;
    }
    return true;
  }
  void separate() {
    if (afterKey_) {
      afterKey_ = false;
    } else if (!commas_.empty()) {
      if (commas_.back()) nested_ += ',';
      commas_.back() = true;
    }
  }
  void open(char c) {
    separate();
    nested_ += c;
    commas_.push_back(false);
  }
  void close(char c) {
    nested_ += c;
    commas_.pop_back();
    if (commas_.empty()) {
      rows.back().set(key_, nested_);
      nested_.clear();
    }
  }

  int depth_ = 0;
  std::string key_;
  std::string nested_;
  std::vector<bool> commas_;  // per open nested container: a value was already written
  bool afterKey_ = false;
};

OrderedJson toJson(const Value& v) {
  switch (v.type()) {
    case ValueType::Null:
      return nullptr;
    case ValueType::Integer:
      return v.asInteger();
    case ValueType::Float:
      return v.asFloat();
    // A four-decimal amount of up to 15 digits survives the double's shortest form.
    case ValueType::Currency:
      return v.asCurrency().toDouble();
    case ValueType::Boolean:
      return v.asBool();
    case ValueType::Text:
    case ValueType::DateTime:
      return v.asText();
  }
  return nullptr;
}

std::string dumpLenient(const OrderedJson& j) {
  return j.dump(-1, ' ', false, OrderedJson::error_handler_t::replace);
}

}  // namespace

std::string JsonRow::get(std::string_view key, std::string_view fallback) const {
  const std::string* v = find(key);
  return v ? *v : std::string(fallback);
}

Value JsonRow::value(std::string_view key) const {
  const std::string* v = find(key);
  return v ? Value(*v) : Value();
}

const std::string* JsonRow::find(std::string_view key) const {
  for (const auto& [k, v] : fields_) {
    if (k == key) return &v;
  }
  return nullptr;
}

void JsonRow::set(std::string key, std::string text) {
  for (auto& [k, v] : fields_) {
    if (k == key) {
      v = std::move(text);
      return;
    }
  }
  fields_.emplace_back(std::move(key), std::move(text));
}

std::vector<JsonRow> parseSelection(std::string_view text) {
  if (text.find_first_not_of(" \t\r\n") == std::string_view::npos) {
    throw JsonError("Selection text is not a JSON array of objects: the text is empty");
  }
  SelectionReader reader;
  const bool ok = OrderedJson::sax_parse(text, &reader);
  if (!ok || !reader.error.empty()) {
    throw JsonError("Selection text is not a JSON array of objects: " +
                    (reader.error.empty() ? std::string("unreadable") : reader.error));
  }
  return std::move(reader.rows);
}

std::string buildJsonArray(const std::vector<JsonRow>& rows) {
  OrderedJson arr = OrderedJson::array();
  for (const JsonRow& row : rows) {
    OrderedJson obj = OrderedJson::object();
    for (const auto& [k, v] : row.fields()) obj[k] = v;
    arr.push_back(std::move(obj));
  }
  return dumpLenient(arr);
}

std::string buildJsonArray(const std::vector<JsonValueRow>& rows) {
  OrderedJson arr = OrderedJson::array();
  for (const JsonValueRow& row : rows) {
    OrderedJson obj = OrderedJson::object();
    for (const auto& [k, v] : row) obj[k] = toJson(v);
    arr.push_back(std::move(obj));
  }
  return dumpLenient(arr);
}

// ---- JsonNode -------------------------------------------------------------------

struct JsonNode::Document {
  OrderedJson root;
};

namespace {
const OrderedJson* as(const void* node) { return static_cast<const OrderedJson*>(node); }
}  // namespace

JsonNode JsonNode::parse(std::string_view text) {
  auto doc = std::make_shared<Document>();
  try {
    doc->root = OrderedJson::parse(text);
  } catch (const OrderedJson::parse_error& e) {
    throw JsonError(std::string("Malformed JSON text: ") + e.what());
  }
  const void* root = &doc->root;
  return JsonNode(std::move(doc), root);
}

bool JsonNode::isNull() const { return node_ == nullptr || as(node_)->is_null(); }
bool JsonNode::isObject() const { return node_ && as(node_)->is_object(); }
bool JsonNode::isArray() const { return node_ && as(node_)->is_array(); }
bool JsonNode::isString() const { return node_ && as(node_)->is_string(); }
bool JsonNode::isNumber() const { return node_ && as(node_)->is_number(); }
bool JsonNode::isBool() const { return node_ && as(node_)->is_boolean(); }

std::size_t JsonNode::size() const { return (isArray() || isObject()) ? as(node_)->size() : 0; }

JsonNode JsonNode::operator[](std::size_t index) const {
  if (!isArray() || index >= as(node_)->size()) return {};
  return JsonNode(doc_, &(*as(node_))[index]);
}

JsonNode JsonNode::operator[](std::string_view key) const {
  if (!isObject()) return {};
  const auto it = as(node_)->find(std::string(key));
  return it == as(node_)->end() ? JsonNode() : JsonNode(doc_, &*it);
}

JsonNode JsonNode::at(std::string_view path) const {
  JsonNode n = *this;
  while (!path.empty() && !n.isNull()) {
    const std::size_t dot = path.find('.');
    const std::string_view step = path.substr(0, dot);
    path = dot == std::string_view::npos ? std::string_view() : path.substr(dot + 1);
    const bool isIndex =
        !step.empty() && step.find_first_not_of("0123456789") == std::string_view::npos;
    n = (n.isArray() && isIndex) ? n[static_cast<std::size_t>(std::stoull(std::string(step)))]
                                 : n[step];
  }
  return n;
}

bool JsonNode::has(std::string_view key) const {
  return isObject() && as(node_)->contains(std::string(key));
}

std::vector<std::string> JsonNode::keys() const {
  std::vector<std::string> out;
  if (!isObject()) return out;
  for (const auto& item : as(node_)->items()) out.push_back(item.key());
  return out;
}

std::string JsonNode::asText() const {
  if (isNull()) return "";
  const OrderedJson& j = *as(node_);
  if (j.is_string()) return j.get<std::string>();
  return dumpLenient(j);
}

Value JsonNode::toValue() const {
  if (isNull()) return Value();
  const OrderedJson& j = *as(node_);
  if (j.is_boolean()) return Value(j.get<bool>());
  if (j.is_number_integer()) return Value(j.get<std::int64_t>());
  if (j.is_number_float()) return Value(j.get<double>());
  return Value(asText());
}

std::string JsonNode::dump() const { return node_ ? dumpLenient(*as(node_)) : "null"; }

}  // namespace core
