// Value: one field or column value of any type the system stores (null, integer,
// float, currency, text, date-time, boolean), with the conversions the forms use.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>

#include "core/currency.h"
#include "core/date_time.h"

namespace core {

enum class ValueType { Null, Integer, Float, Currency, Text, DateTime, Boolean };

class Value {
 public:
  Value() = default;
  Value(std::nullptr_t) {}
  Value(int v) : v_(static_cast<std::int64_t>(v)) {}
  Value(std::int64_t v) : v_(v) {}
  Value(double v) : v_(v) {}
  Value(Currency v) : v_(v) {}
  Value(std::string v) : v_(std::move(v)) {}
  Value(std::string_view v) : v_(std::string(v)) {}
  Value(const char* v) : v_(std::string(v)) {}
  Value(DateTime v) : v_(v) {}
  Value(bool v) : v_(v) {}

  ValueType type() const { return static_cast<ValueType>(v_.index()); }
  bool isNull() const { return type() == ValueType::Null; }

  //! Integer value; text is parsed, floats and currency truncate toward zero,
  //! booleans give 1/0; 0 when null or not a number.
  std::int64_t asInteger() const;
  //! Float value; `fallback` when null or not a number.
  double asFloat(double fallback = 0.0) const;
  //! Currency value (floats rounded half even); zero when null or not a number.
  Currency asCurrency() const;
  //! Text of any value: integers plain, floats shortest round-trip, currency
  //! Currency::toString, booleans "True"/"False", date-times DateTime::toString,
  //! null "".
  std::string asText() const;
  //! Boolean: numbers non-zero, text "true"/"1"/"yes" (any case); false otherwise.
  bool asBool() const;
  //! Date-time: text parsed by DateTime::parse; epoch when null or unparsable.
  DateTime asDateTime() const;

  //! Same type and value (null equals null).
  bool operator==(const Value& o) const { return v_ == o.v_; }

 private:
  std::variant<std::monostate, std::int64_t, double, Currency, std::string, DateTime, bool> v_;
};

}  // namespace core
