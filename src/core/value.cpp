// Value conversions. Texts are read leniently the way the forms read edit boxes
// and JSON fields: surrounding blanks ignored, anything that is not a number gives
// the caller's default instead of an error.
#include "core/value.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <optional>

namespace core {
namespace {

std::string_view trimBlanks(std::string_view t) {
  const std::size_t b = t.find_first_not_of(" \t\r\n");
  if (b == std::string_view::npos) return {};
  return t.substr(b, t.find_last_not_of(" \t\r\n") - b + 1);
}

// A plain decimal number ("12", "-3.5", "1e3"); no hex, inf or nan.
std::optional<double> parseFloatText(std::string_view text) {
  std::string t(trimBlanks(text));
  if (t.empty() || t.find_first_not_of("0123456789+-.eE") != std::string::npos) {
    return std::nullopt;
  }
  char* end = nullptr;
  const double v = std::strtod(t.c_str(), &end);
  if (end != t.c_str() + t.size() || !std::isfinite(v)) return std::nullopt;
  return v;
}

std::optional<std::int64_t> parseIntegerText(std::string_view text) {
  const std::string_view t = trimBlanks(text);
  std::int64_t v = 0;
  const char* first = t.data();
  if (!t.empty() && t[0] == '+') ++first;
  const auto [ptr, ec] = std::from_chars(first, t.data() + t.size(), v);
  if (ec == std::errc() && ptr == t.data() + t.size() && first != ptr) return v;
  return std::nullopt;
}

std::int64_t truncateFloat(double v) {
  // NaN, infinities and values beyond 64 bits are "not a number" for an integer.
  if (!std::isfinite(v) || std::fabs(v) >= 9.2e18) return 0;
  return static_cast<std::int64_t>(std::trunc(v));
}

std::string floatText(double v) {
  char buf[64];
  const double a = std::fabs(v);
  const auto fmt =
      (a == 0 || (a >= 1e-5 && a < 1e15)) ? std::chars_format::fixed : std::chars_format::general;
  const auto res = std::to_chars(buf, buf + sizeof buf, v, fmt);
  return std::string(buf, res.ptr);
}

template <class... Ts>
struct Overloaded : Ts... {
  using Ts::operator()...;
};
template <class... Ts>
Overloaded(Ts...) -> Overloaded<Ts...>;

}  // namespace

std::int64_t Value::asInteger() const {
  return std::visit(
      Overloaded{[](std::monostate) -> std::int64_t { return 0; }, [](std::int64_t v) { return v; },
                 [](double v) { return truncateFloat(v); },
                 [](Currency v) { return v.raw() / Currency::kScale; },
                 [](const std::string& v) -> std::int64_t {
                   if (auto i = parseIntegerText(v)) return *i;
                   if (auto f = parseFloatText(v)) return truncateFloat(*f);
                   return 0;
                 },
                 [](DateTime) -> std::int64_t { return 0; },
                 [](bool v) -> std::int64_t { return v ? 1 : 0; }},
      v_);
}

double Value::asFloat(double fallback) const {
  return std::visit(
      Overloaded{[&](std::monostate) { return fallback; },
                 [](std::int64_t v) { return static_cast<double>(v); }, [](double v) { return v; },
                 [](Currency v) { return v.toDouble(); },
                 [&](const std::string& v) { return parseFloatText(v).value_or(fallback); },
                 [&](DateTime) { return fallback; }, [](bool v) { return v ? 1.0 : 0.0; }},
      v_);
}

Currency Value::asCurrency() const {
  return std::visit(
      Overloaded{[](std::monostate) { return Currency(); },
                 [](std::int64_t v) { return Currency::fromInt(v); },
                 [](double v) { return std::isfinite(v) ? Currency::fromDouble(v) : Currency(); },
                 [](Currency v) { return v; },
                 [](const std::string& v) { return Currency::parse(v).value_or(Currency()); },
                 [](DateTime) { return Currency(); },
                 [](bool v) { return Currency::fromInt(v ? 1 : 0); }},
      v_);
}

std::string Value::asText() const {
  return std::visit(
      Overloaded{[](std::monostate) { return std::string(); },
                 [](std::int64_t v) { return std::to_string(v); },
                 [](double v) { return floatText(v); }, [](Currency v) { return v.toString(); },
                 [](const std::string& v) { return v; }, [](DateTime v) { return v.toString(); },
                 [](bool v) { return std::string(v ? "True" : "False"); }},
      v_);
}

bool Value::asBool() const {
  return std::visit(
      Overloaded{[](std::monostate) { return false; }, [](std::int64_t v) { return v != 0; },
                 [](double v) { return v != 0.0; }, [](Currency v) { return v.raw() != 0; },
                 [](const std::string& v) {
                   std::string t(trimBlanks(v));
                   std::transform(t.begin(), t.end(), t.begin(), [](unsigned char c) {
                     return static_cast<char>(std::tolower(c));
                   });
                   return t == "true" || t == "1" || t == "yes";
                 },
                 [](DateTime) { return false; }, [](bool v) { return v; }},
      v_);
}

DateTime Value::asDateTime() const {
  if (const auto* d = std::get_if<DateTime>(&v_)) return *d;
  if (const auto* s = std::get_if<std::string>(&v_))
    return DateTime::parse(*s).value_or(DateTime());
  return DateTime();
}

}  // namespace core
