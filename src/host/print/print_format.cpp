// Printed values: the shop reads money as "1,234.50" and dates as "2026-12-06", never
// the stored "1234.5" or "2026-12-06 14:30:05.120".
#include "host/print/print_format.h"

#include "core/currency.h"
#include "core/date_time.h"
#include "core/number_format.h"

namespace host {

namespace {

bool isNumber(const core::Value& v) {
  return v.type() == core::ValueType::Integer || v.type() == core::ValueType::Float ||
         v.type() == core::ValueType::Currency;
}

// A number kept as text (a view column of unknown type) still prints as a number.
bool readsAsNumber(const core::Value& v) {
  return isNumber(v) || (v.type() == core::ValueType::Text &&
                         core::Currency::parse(v.asText()).has_value());
}

// A date column kept as text that is no date prints as it is.
bool readsAsDate(const core::Value& v) {
  return v.type() == core::ValueType::DateTime ||
         (v.type() == core::ValueType::Text && core::DateTime::parse(v.asText()).has_value());
}

std::string plainText(const core::Value& v) {
  if (v.type() == core::ValueType::DateTime) {
    core::DateTime d = v.asDateTime();
    return d == d.date() ? d.toDateString() : d.format("yyyy-mm-dd hh:nn");
  }
  return v.asText();
}

}  // namespace

std::string formatPrintValue(const core::Value& v, PrintFormat format) {
  if (v.isNull()) return {};
  switch (format) {
    case PrintFormat::Text:
      return plainText(v);
    case PrintFormat::Money:
      return readsAsNumber(v) ? v.asCurrency().format("#,0.00") : v.asText();
    case PrintFormat::Price:
      return readsAsNumber(v) ? v.asCurrency().format("#,0.00##") : v.asText();
    case PrintFormat::Quantity:
      return readsAsNumber(v) ? core::formatFloat(v.asFloat(), "0.####") : v.asText();
    case PrintFormat::Percent:
      return readsAsNumber(v) ? core::formatFloat(v.asFloat(), "0.00") + "%" : v.asText();
    case PrintFormat::Date:
      return readsAsDate(v) ? v.asDateTime().toDateString() : v.asText();
    case PrintFormat::DateTime:
      return readsAsDate(v) ? v.asDateTime().format("yyyy-mm-dd hh:nn") : v.asText();
  }
  return v.asText();
}

}  // namespace host
