// libFuzzer target for dataset filter texts: any input must compile or throw
// DataSetError, and a compiled filter must test rows of every field type without
// crashing. Fields: id (integer), je (currency), name (text), sl (float), flag
// (boolean), d (date-time), in that order.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "dataset/data_set_error.h"
#include "dataset/filter_expression.h"

namespace {

using dataset::FieldType;
using dataset::FilterExpression;

std::optional<FilterExpression::FieldRef> resolve(std::string_view name) {
  static const std::pair<const char*, FieldType> fields[] = {{"id", FieldType::Integer}, {"je", FieldType::Currency},
                                                             {"name", FieldType::Text},  {"sl", FieldType::Float},
                                                             {"flag", FieldType::Boolean}, {"d", FieldType::DateTime}};
  for (int i = 0; i < 6; ++i) {
    std::string_view n = fields[i].first;
    if (n.size() == name.size() && std::equal(n.begin(), n.end(), name.begin(), [](char a, char b) {
          return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
        }))
      return FilterExpression::FieldRef{i, fields[i].second, std::string(n)};
  }
  return std::nullopt;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  FilterExpression filter;
  try {
    filter = FilterExpression::compile(text, resolve);
  } catch (const dataset::DataSetError&) {
    return 0;  // a malformed filter is refused with its position
  }
  const std::vector<core::Value> rows[] = {
      {core::Value(std::int64_t{1}), core::Value(core::Currency::fromInt(5)), core::Value(std::string("it's")),
       core::Value(2.5), core::Value(true), core::Value()},
      {core::Value(), core::Value(), core::Value(), core::Value(), core::Value(), core::Value()},
  };
  for (const auto& row : rows) filter.matches(row);
  filter.requiredTextEquality();
  return 0;
}
