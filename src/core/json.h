// JSON helpers: the selection texts the lookup windows and selectors hand back (a
// JSON array of objects whose values are all read as text), building such arrays,
// and a small read-only document view for configuration texts. The JSON library
// stays inside json.cpp.
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/value.h"

namespace core {

//! A JSON text that is malformed or not of the expected shape.
class JsonError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

//! One object of a selection: (key, text) pairs in the order of the text.
class JsonRow {
 public:
  JsonRow() = default;
  JsonRow(std::vector<std::pair<std::string, std::string>> fields) : fields_(std::move(fields)) {}

  //! True when the object has the key.
  bool has(std::string_view key) const { return find(key) != nullptr; }
  //! The key's text, or `fallback` when absent.
  std::string get(std::string_view key, std::string_view fallback = "") const;
  //! The key's text as a Value (text), null when absent; use Value's conversions.
  Value value(std::string_view key) const;
  //! Pointer to the key's text, nullptr when absent.
  const std::string* find(std::string_view key) const;
  //! Sets a key (replacing an existing one in place, else appending).
  void set(std::string key, std::string text);
  //! All pairs in order.
  const std::vector<std::pair<std::string, std::string>>& fields() const { return fields_; }

  bool operator==(const JsonRow&) const = default;

 private:
  std::vector<std::pair<std::string, std::string>> fields_;
};

//! Parses a selection text: a JSON array of objects; strings as they are, numbers as
//! their text, null as "", booleans "true"/"false", nested arrays/objects as JSON text.
//! Throws JsonError naming the problem (malformed, not an array, element not an object).
std::vector<JsonRow> parseSelection(std::string_view text);

//! Builds a JSON array of objects with every value a JSON string.
std::string buildJsonArray(const std::vector<JsonRow>& rows);

//! One object with typed values: null, numbers, booleans, strings (date-times as text).
using JsonValueRow = std::vector<std::pair<std::string, Value>>;
//! Builds a JSON array of objects keeping value types (currency as an exact number).
std::string buildJsonArray(const std::vector<JsonValueRow>& rows);

//! A read-only view of a node of a parsed JSON document; cheap to copy (shares the
//! document). Lookups of missing members or elements give a null node, never throw.
class JsonNode {
 public:
  //! Parses any JSON text; throws JsonError when malformed.
  static JsonNode parse(std::string_view text);
  //! A null node.
  JsonNode() = default;

  bool isNull() const;
  bool isObject() const;
  bool isArray() const;
  bool isString() const;
  bool isNumber() const;
  bool isBool() const;

  //! Element count of an array or member count of an object; 0 otherwise.
  std::size_t size() const;
  //! Array element; null node when out of range or not an array.
  JsonNode operator[](std::size_t index) const;
  //! Object member; null node when absent or not an object.
  JsonNode operator[](std::string_view key) const;
  //! Follows a dotted path of keys and array indexes: "data.detail.columns.0.fieldname".
  JsonNode at(std::string_view path) const;
  //! True when this is an object with the member.
  bool has(std::string_view key) const;
  //! Object keys in document order.
  std::vector<std::string> keys() const;

  //! Text as a selection reads it: strings raw, numbers as text, null "",
  //! booleans "true"/"false", containers as compact JSON.
  std::string asText() const;
  //! Typed value: null, integer, float, text or boolean (containers as JSON text).
  Value toValue() const;
  //! Compact JSON text of this node.
  std::string dump() const;

 private:
  struct Document;
  JsonNode(std::shared_ptr<const Document> doc, const void* node)
      : doc_(std::move(doc)), node_(node) {}
  std::shared_ptr<const Document> doc_;
  const void* node_ = nullptr;  // points into *doc_; null for the null node
};

}  // namespace core
