// Conversions between SQLite values, declared T-SQL types and core::Value. The text
// parsing and SQL Server's error texts come from the runtime's ValueConversion so the
// executor and the SQL functions convert alike.
#include "tsql/exec/sql_value.h"

#include <cmath>
#include <optional>

#include "tsql/ast/decimal_type.h"
#include "tsql/runtime/binary_values.h"
#include "tsql/runtime/date_offset.h"
#include "tsql/runtime/datetime2_text.h"
#include "tsql/runtime/decimal_value.h"
#include "tsql/runtime/guid_conversion.h"
#include "tsql/runtime/time_of_day.h"
#include "tsql/runtime/value_conversion.h"

namespace tsql::exec {

using ast::TypeKind;
using runtime::ValueConversion;

SqlValue SqlValue::fromColumn(sqlite3_stmt* stmt, int col) {
  switch (sqlite3_column_type(stmt, col)) {
    case SQLITE_INTEGER: return integer(sqlite3_column_int64(stmt, col));
    case SQLITE_FLOAT: return real(sqlite3_column_double(stmt, col));
    case SQLITE_NULL: return {};
    default: {
      const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(stmt, col));
      return text(std::string(p ? p : "", static_cast<std::size_t>(sqlite3_column_bytes(stmt, col))));
    }
  }
}

SqlValue SqlValue::fromCore(const core::Value& v) {
  switch (v.type()) {
    case core::ValueType::Null: return {};
    case core::ValueType::Integer: return integer(v.asInteger());
    case core::ValueType::Boolean: return integer(v.asBool() ? 1 : 0);
    case core::ValueType::Float: return real(v.asFloat());
    case core::ValueType::Currency: return real(v.asCurrency().toDouble());
    case core::ValueType::DateTime: return text(ValueConversion::dateTimeText(v.asDateTime()));
    case core::ValueType::Text: return text(v.asText());
  }
  return {};
}

int SqlValue::bind(sqlite3_stmt* stmt, int index) const {
  switch (type) {
    case Type::Null: return sqlite3_bind_null(stmt, index);
    case Type::Integer: return sqlite3_bind_int64(stmt, index, i);
    case Type::Real: return sqlite3_bind_double(stmt, index, d);
    case Type::Text:
      return sqlite3_bind_text(stmt, index, s.data(), static_cast<int>(s.size()), SQLITE_TRANSIENT);
  }
  return SQLITE_OK;
}

std::string SqlValue::toText() const {
  switch (type) {
    case Type::Null: return {};
    case Type::Integer: return std::to_string(i);
    case Type::Real: return ValueConversion::realText(d);
    case Type::Text: return s;
  }
  return {};
}

std::int64_t SqlValue::toInteger() const {
  switch (type) {
    case Type::Integer: return i;
    case Type::Real: return static_cast<std::int64_t>(d);
    case Type::Text: return ValueConversion::textToInt(s, true);
    default: return 0;
  }
}

namespace {

double toReal(const SqlValue& v) {
  if (v.type == SqlValue::Type::Integer) return static_cast<double>(v.i);
  if (v.type == SqlValue::Type::Real) return v.d;
  return ValueConversion::textToFloat(v.s);
}

std::string truncateChars(std::string s, int length) {
  if (length <= 0) return s;
  std::size_t chars = 0;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if ((static_cast<unsigned char>(s[i]) & 0xC0) != 0x80) {
      if (chars == static_cast<std::size_t>(length)) return s.substr(0, i);
      ++chars;
    }
  }
  return s;
}

runtime::Decimal toDecimal(const SqlValue& v) {
  switch (v.type) {
    case SqlValue::Type::Integer: return runtime::Decimal::fromInt(v.i);
    case SqlValue::Type::Real: {
      std::optional<runtime::Decimal> d = runtime::Decimal::fromDouble(v.d);
      if (!d) throw runtime::RuntimeError(errors::Error::ArithmeticOverflow, {"float", "numeric"});
      return *d;
    }
    default: return runtime::decimalOfText(v.s);
  }
}

// Rounded to the declared decimal(p,s); a REAL up to 15 digits, exact text beyond.
SqlValue decimalValue(const runtime::Decimal& d, const ast::DataType& type) {
  ast::DataType t = ast::asDecimal(type);
  runtime::Decimal r = runtime::fitDecimal(d, t.precision, t.scale);
  return runtime::travelsAsReal(r) ? SqlValue::real(r.toDouble()) : SqlValue::text(r.toText());
}

core::DateTime toDate(const SqlValue& v) {
  if (v.type == SqlValue::Type::Text) return ValueConversion::textToDateTime(v.s);
  return ValueConversion::numberToDateTime(toReal(v));
}

// uniqueidentifier (its text checked) and smallmoney (money in a smaller range).
std::optional<SqlValue> convertChecked(const SqlValue& v, const ast::DataType& type, const ast::DataType& from,
                                       bool constant) {
  if (type.guid) return SqlValue::text(runtime::textToGuid(v.toText(), constant));
  if (!type.isSmallMoney()) return std::nullopt;
  SqlValue m = convertValue(v, ast::typeFromName("money"), from);
  ValueConversion::checkedSmallMoney(toCoreValue(m, type).asCurrency());
  return m;
}

}  // namespace

SqlValue convertValue(const SqlValue& v, const ast::DataType& type, const ast::DataType& from, bool constant) {
  if (v.isNull()) return v;
  if (std::optional<SqlValue> checked = convertChecked(v, type, from, constant)) return *checked;
  switch (type.kind) {
    case TypeKind::Int:
    case TypeKind::BigInt: {
      bool bigint = type.kind == TypeKind::BigInt;
      if (v.type == SqlValue::Type::Integer)
        return SqlValue::integer(ValueConversion::checkedInt(v.i, bigint));
      // money rounds to the nearest whole number (half away from zero); float truncates
      if (v.type == SqlValue::Type::Real) {
        double whole = from.kind == TypeKind::Money ? std::round(v.d) : v.d;
        return SqlValue::integer(ValueConversion::realToInt(whole, bigint));
      }
      return SqlValue::integer(ValueConversion::textToInt(v.s, bigint));
    }
    case TypeKind::Bit:
      if (v.type == SqlValue::Type::Text) return SqlValue::integer(ValueConversion::textToBit(v.s) ? 1 : 0);
      return SqlValue::integer(toReal(v) != 0 ? 1 : 0);
    case TypeKind::Money:
      if (v.type == SqlValue::Type::Integer) {
        ValueConversion::intToMoney(v.i);  // range check only: a whole amount stays INTEGER
        return v;
      }
      if (v.type == SqlValue::Type::Real) return SqlValue::real(ValueConversion::realToMoney(v.d).toDouble());
      return SqlValue::real(ValueConversion::textToMoney(v.s).toDouble());
    case TypeKind::Float:
      return v.type == SqlValue::Type::Real ? v : SqlValue::real(toReal(v));
    case TypeKind::Decimal: return decimalValue(toDecimal(v), type);
    case TypeKind::Varchar:
    case TypeKind::NVarchar: {
      if (type.offset) return SqlValue::text(runtime::toOffsetText(v.toText(), type.precision));
      if (type.time) return SqlValue::text(runtime::toTimeText(v.toText(), type.precision));
      std::string text = truncateChars(v.toText(), type.textLength());
      if (type.binary && type.fixed) return SqlValue::text(runtime::paddedBinary(std::move(text), type.length, false));
      return SqlValue::text(type.fixed ? ValueConversion::padChars(std::move(text), type.length) : text);
    }
    case TypeKind::DateTime:
      return SqlValue::text(ValueConversion::dateTimeText(ValueConversion::roundToTick(toDate(v))));
    case TypeKind::Date:
      return SqlValue::text(ValueConversion::dateTimeText(ValueConversion::dayOf(toDate(v))));
    case TypeKind::DateTime2:
      if (v.type == SqlValue::Type::Text) return SqlValue::text(runtime::datetime2TextOf(v.s, type.precision));
      return SqlValue::text(ValueConversion::dateTimeText(toDate(v)));
    case TypeKind::SmallDateTime:
      return SqlValue::text(ValueConversion::dateTimeText(ValueConversion::roundToMinute(toDate(v))));
    default:
      return v;
  }
}

core::Value toCoreValue(const SqlValue& v, const ast::DataType& type) {
  if (v.isNull()) return {};
  switch (type.kind) {
    case TypeKind::Int:
    case TypeKind::BigInt: return core::Value(v.toInteger());
    case TypeKind::Bit: return core::Value(v.type == SqlValue::Type::Text ? ValueConversion::textToBit(v.s)
                                                                         : toReal(v) != 0);
    case TypeKind::Money:
      if (v.type == SqlValue::Type::Integer) return core::Value(ValueConversion::intToMoney(v.i));
      if (v.type == SqlValue::Type::Real) return core::Value(ValueConversion::realToMoney(v.d));
      return core::Value(ValueConversion::textToMoney(v.s));
    case TypeKind::Float: return core::Value(toReal(v));
    case TypeKind::Decimal: {
      // Its exact text with every decimal of its scale ("0.2000"), as the server shows it.
      return core::Value(toDecimal(v).rounded(ast::asDecimal(type).scale).toText());
    }
    case TypeKind::DateTime:
    case TypeKind::SmallDateTime:
    case TypeKind::Date: return core::Value(toDate(v));
    case TypeKind::DateTime2:  // exactly its n fraction digits, as text (".0" and ".000" too)
      if (v.type == SqlValue::Type::Text) return core::Value(runtime::datetime2Display(v.s, type.precision));
      return core::Value(toDate(v));
    case TypeKind::Varchar:
    case TypeKind::NVarchar:
      if (type.time) return core::Value(runtime::timeDisplay(v.toText(), type.precision));
      return core::Value(v.toText());
    default: break;
  }
  switch (v.type) {
    case SqlValue::Type::Integer: return core::Value(v.i);
    case SqlValue::Type::Real: return core::Value(v.d);
    default: return core::Value(v.s);
  }
}

// A query's rows are mostly text: each value read once, so its characters move on.
core::Value toCoreValue(SqlValue&& v, const ast::DataType& type) {
  const bool plainText = ((type.kind == TypeKind::Varchar || type.kind == TypeKind::NVarchar) && !type.time) ||
                         !type.isKnown();
  if (v.type == SqlValue::Type::Text && plainText) return core::Value(std::move(v.s));
  return toCoreValue(static_cast<const SqlValue&>(v), type);
}

core::ValueType coreTypeOf(const ast::DataType& type) {
  switch (type.kind) {
    case TypeKind::Int: case TypeKind::BigInt: return core::ValueType::Integer;
    case TypeKind::Bit: return core::ValueType::Boolean;
    case TypeKind::Money: return core::ValueType::Currency;
    case TypeKind::Float: case TypeKind::Decimal: return core::ValueType::Float;
    case TypeKind::Varchar: case TypeKind::NVarchar: return core::ValueType::Text;
    case TypeKind::DateTime: case TypeKind::SmallDateTime: case TypeKind::Date: return core::ValueType::DateTime;
    case TypeKind::DateTime2: return type.precision > 3 ? core::ValueType::Text : core::ValueType::DateTime;
    default: return core::ValueType::Null;
  }
}

ast::DataType typeOfCore(const core::Value& v) {
  ast::DataType t;
  switch (v.type()) {
    case core::ValueType::Null: t.kind = TypeKind::Null; break;
    case core::ValueType::Integer: t.kind = TypeKind::BigInt; break;
    case core::ValueType::Float: t.kind = TypeKind::Float; break;
    case core::ValueType::Currency: t.kind = TypeKind::Money; break;
    case core::ValueType::Text: t.kind = TypeKind::Varchar; break;
    case core::ValueType::DateTime: t.kind = TypeKind::DateTime; break;
    case core::ValueType::Boolean: t.kind = TypeKind::Bit; break;
  }
  return t;
}

}  // namespace tsql::exec
