// Command-line parameters. Typed values are checked here so that a mistyped number is
// a usage error naming the parameter, not a conversion error deep in the batch.
#include "db/param_text.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <string>

namespace db {
namespace {

[[noreturn]] void bad(std::string_view name, std::string_view type, std::string_view value) {
  throw ParamTextError("parameter " + std::string(name) + ": '" + std::string(value) +
                       "' is not a valid " + std::string(type));
}

core::Value typedValue(std::string_view name, std::string_view type, std::string_view value) {
  if (type == "text" || type == "varchar") return core::Value(value);
  if (value.empty()) return core::Value();
  if (type == "int") {
    std::int64_t v = 0;
    auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), v);
    if (ec != std::errc() || end != value.data() + value.size()) bad(name, type, value);
    return core::Value(v);
  }
  if (type == "float") {
    std::string s(value);
    char* end = nullptr;
    double v = std::strtod(s.c_str(), &end);
    if (end != s.c_str() + s.size() || !std::isfinite(v)) bad(name, type, value);
    return core::Value(v);
  }
  if (type == "money") {
    auto m = core::Currency::parse(value);
    if (!m) bad(name, type, value);
    return core::Value(*m);
  }
  if (type == "datetime") {
    auto d = core::DateTime::parse(value);
    if (!d) bad(name, type, value);
    return core::Value(*d);
  }
  if (type == "bit") {
    if (value == "1" || value == "true" || value == "True") return core::Value(true);
    if (value == "0" || value == "false" || value == "False") return core::Value(false);
    bad(name, type, value);
  }
  throw ParamTextError("parameter " + std::string(name) + ": unknown type '" + std::string(type) +
                       "' (use int, float, money, datetime, bit or text)");
}

}  // namespace

std::pair<std::string, core::Value> ParamText::parse(std::string_view text) {
  auto eq = text.find('=');
  if (eq == std::string_view::npos) {
    throw ParamTextError("parameter '" + std::string(text) + "' has no '=' (write NAME=VALUE)");
  }
  std::string_view name = text.substr(0, eq);
  std::string_view value = text.substr(eq + 1);
  if (!name.empty() && name.front() == ':') name.remove_prefix(1);
  std::string_view type;
  if (auto colon = name.find(':'); colon != std::string_view::npos) {
    type = name.substr(colon + 1);
    name = name.substr(0, colon);
  }
  if (name.empty()) throw ParamTextError("parameter '" + std::string(text) + "' has no name");
  if (type.empty()) return {std::string(name), core::Value(value)};
  return {std::string(name), typedValue(name, type, value)};
}

}  // namespace db
