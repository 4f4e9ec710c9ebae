// The display-pattern engine behind Currency::format and formatFloat. A pattern is
// split into sections, each section into literal prefix, digit placeholders and
// literal suffix; the value is rounded once to the section's decimals.
#include "core/number_format.h"

#include <cmath>
#include <cstdio>
#include <vector>

#include "core/currency.h"

namespace core {
namespace {

struct Section {
  std::string prefix;
  std::string suffix;
  bool hasDigits = false;
  bool grouping = false;
  int intZeros = 0;      // minimum integer digits
  int fracZeros = 0;     // decimals always shown
  int fracOptional = 0;  // further decimals shown when not zero
};

bool isPlaceholder(char c) { return c == '0' || c == '#' || c == ',' || c == '.'; }

// Splits on ';' outside quotes.
std::vector<std::string> splitSections(std::string_view pattern) {
  std::vector<std::string> out(1);
  char quote = 0;
  for (char c : pattern) {
    if (quote != 0) {
      if (c == quote) quote = 0;
    } else if (c == '\'' || c == '"') {
      quote = c;
    } else if (c == ';') {
      out.emplace_back();
      continue;
    }
    out.back() += c;
  }
  return out;
}

Section parseSection(const std::string& text) {
  Section s;
  bool afterPoint = false;
  char quote = 0;
  for (char c : text) {
    std::string& literal = s.hasDigits ? s.suffix : s.prefix;
    if (quote != 0) {
      if (c == quote)
        quote = 0;
      else
        literal += c;
    } else if (c == '\'' || c == '"') {
      quote = c;
    } else if (isPlaceholder(c) && !(s.hasDigits && !s.suffix.empty())) {
      s.hasDigits = true;
      if (c == '.')
        afterPoint = true;
      else if (c == ',')
        s.grouping = s.grouping || !afterPoint;
      else if (!afterPoint)
        s.intZeros += (c == '0');
      else if (c == '#')
        s.fracOptional += 1;
      else {  // a '0' after a '#' makes the decimals before it required too
        s.fracZeros += s.fracOptional + 1;
        s.fracOptional = 0;
      }
    } else {
      literal += c;
    }
  }
  return s;
}

std::string groupThousands(const std::string& digits) {
  std::string out;
  const int n = static_cast<int>(digits.size());
  for (int i = 0; i < n; ++i) {
    if (i > 0 && (n - i) % 3 == 0) out += ',';
    out += digits[i];
  }
  return out;
}

std::string renderSection(const Section& s, RoundedNumber n, bool withSign) {
  std::string digits = n.intDigits == "0" ? "" : n.intDigits;
  while (static_cast<int>(digits.size()) < s.intZeros) digits.insert(digits.begin(), '0');
  if (s.grouping) digits = groupThousands(digits);
  std::string frac = n.fracDigits;
  while (static_cast<int>(frac.size()) > s.fracZeros && frac.back() == '0') frac.pop_back();
  std::string body = frac.empty() ? digits : digits + "." + frac;
  if (!s.hasDigits) body.clear();
  return (withSign ? "-" : "") + s.prefix + body + s.suffix;
}

bool isZero(const RoundedNumber& n) {
  return n.intDigits.find_first_not_of('0') == std::string::npos &&
         n.fracDigits.find_first_not_of('0') == std::string::npos;
}

}  // namespace

std::string formatNumber(std::string_view pattern, const NumberRounder& round) {
  // No pattern: plain text with up to ten decimals, trailing zeros dropped.
  if (pattern.empty()) pattern = "0.##########";
  std::vector<std::string> texts = splitSections(pattern);
  std::vector<Section> sections;
  for (const std::string& t : texts) sections.push_back(parseSection(t));
  const bool hasNegative = sections.size() >= 2 && !texts[1].empty();
  const bool hasZero = sections.size() >= 3 && !texts[2].empty();

  RoundedNumber probe = round(sections[0].fracZeros + sections[0].fracOptional);
  const Section* chosen = &sections[0];
  if (probe.negative && hasNegative) chosen = &sections[1];
  RoundedNumber n = round(chosen->fracZeros + chosen->fracOptional);
  if (isZero(n)) {
    return renderSection(hasZero ? sections[2] : sections[0], n, false);
  }
  return renderSection(*chosen, n, n.negative && chosen == &sections[0]);
}

std::string formatFloat(double value, std::string_view pattern) {
  return formatNumber(pattern, [value](int decimals) {
    long double r = roundHalfEven(static_cast<long double>(value), decimals);
    RoundedNumber n;
    n.negative = r < 0;
    char buf[512];
    std::snprintf(buf, sizeof buf, "%.*Lf", decimals, std::fabs(r));
    std::string text = buf;
    std::size_t point = text.find('.');
    n.intDigits = text.substr(0, point);
    n.fracDigits = point == std::string::npos ? "" : text.substr(point + 1);
    return n;
  });
}

}  // namespace core
