// Text-form values and error numbers between libpq and the engine. OIDs are the
// fixed ones of PostgreSQL's built-in types (pg_type.dat).
#include "db/pg_values.h"

#include <cstdlib>
#include <cstring>

#include "tsql/errors/error_table.h"
#include "tsql/runtime/decimal_value.h"
#include "tsql/runtime/runtime.h"

namespace db::pg {

namespace {

enum : Oid {
  kBool = 16, kInt8 = 20, kInt2 = 21, kInt4 = 23, kText = 25, kFloat4 = 700, kFloat8 = 701,
  kBpchar = 1042, kVarchar = 1043, kDate = 1082, kTimestamp = 1114, kTimestamptz = 1184, kNumeric = 1700,
};

// "2024-01-05 08:30:00" / "...:00.5" / "2024-01-05" -> "2024-01-05 08:30:00.500".
std::string engineDateTime(std::string text) {
  if (text.size() == 10) return text + " 00:00:00.000";
  auto dot = text.find('.', 19);
  if (dot == std::string::npos) return text.substr(0, 19) + ".000";
  std::string frac = text.substr(dot + 1, 3);
  frac.resize(3, '0');
  return text.substr(0, 19) + "." + frac;
}

// 'invalid input syntax for type integer: "abc"' -> SQL Server's 245 text.
std::string conversionMessage(const std::string& msg) {
  static const std::string head = "invalid input syntax for type ";
  auto colon = msg.find(": \"");
  if (msg.rfind(head, 0) != 0 || colon == std::string::npos || msg.back() != '"') return msg;
  std::string type = msg.substr(head.size(), colon - head.size());
  std::string value = msg.substr(colon + 3, msg.size() - colon - 4);
  if (type == "integer") type = "int";
  else if (type == "double precision") type = "float";
  else if (type == "numeric") type = "numeric";
  return "Conversion failed when converting the varchar value '" + value + "' to data type " + type + ".";
}

// A missing table or column in SQL Server's words: relation "x" does not exist ->
// Invalid object name 'x'.; column t.x / "x" does not exist -> Invalid column name 'x'.
std::string missingNameMessage(const std::string& msg, bool table) {
  static const std::string tail = " does not exist";
  std::string head = table ? "relation " : "column ";
  if (msg.rfind(head, 0) != 0 || msg.size() <= head.size() + tail.size() ||
      msg.compare(msg.size() - tail.size(), tail.size(), tail) != 0) {
    return msg;
  }
  std::string name = msg.substr(head.size(), msg.size() - head.size() - tail.size());
  if (name.size() >= 2 && name.front() == '"' && name.back() == '"') name = name.substr(1, name.size() - 2);
  if (!table) name = name.substr(name.rfind('.') == std::string::npos ? 0 : name.rfind('.') + 1);
  return std::string(table ? "Invalid object name '" : "Invalid column name '") + name + "'.";
}

// Significant digits of a numeric's text ("-0012.3400" has 4: 1, 2, 3, 4).
int significantDigits(const char* text) {
  int first = -1, last = -1, n = 0;
  for (const char* c = text; *c; ++c) {
    if (*c < '0' || *c > '9') continue;
    if (*c != '0') {
      if (first < 0) first = n;
      last = n;
    }
    ++n;
  }
  return first < 0 ? 0 : last - first + 1;
}

// A decimal travels as the engine's own do: a double while it has at most 15
// digits, its exact text beyond (as the embedded file keeps long decimals).
tsql::exec::SqlValue numericValue(const char* text, int length) {
  using tsql::exec::SqlValue;
  if (significantDigits(text) <= tsql::runtime::kExactDoubleDigits) return SqlValue::real(std::strtod(text, nullptr));
  return SqlValue::text(std::string(text, static_cast<std::size_t>(length)));
}

// "integer out of range" -> SQL Server's 8115 text for int (bigint, smallint alike).
std::string overflowMessage(const std::string& msg) {
  const char* type = "numeric";
  if (msg.rfind("integer out of range", 0) == 0) type = "int";
  else if (msg.rfind("bigint out of range", 0) == 0) type = "bigint";
  else if (msg.rfind("smallint out of range", 0) == 0) type = "smallint";
  return std::string("Arithmetic overflow error converting expression to data type ") + type + ".";
}

// "function foo(integer) does not exist" -> "foo"; empty for any other message
// (an operator the server lacks is not a function).
std::string unknownFunctionName(const char* msg) {
  std::string_view m = msg ? msg : "";
  constexpr std::string_view head = "function ";
  std::size_t paren = m.find('(');
  if (!m.starts_with(head) || paren == std::string_view::npos || !m.ends_with(" does not exist")) return {};
  return std::string(m.substr(head.size(), paren - head.size()));
}

}  // namespace

Oid parameterType(const tsql::exec::SqlValue& v) {
  using T = tsql::exec::SqlValue::Type;
  switch (v.type) {
    case T::Integer: return kInt8;
    case T::Real: return kFloat8;
    case T::Text:
    case T::Null: return 0;
  }
  return 0;
}

std::string parameterText(const tsql::exec::SqlValue& v) {
  using T = tsql::exec::SqlValue::Type;
  switch (v.type) {
    case T::Integer: return std::to_string(v.i);
    case T::Real: {
      char buf[40];
      std::snprintf(buf, sizeof buf, "%.17g", v.d);
      return buf;
    }
    case T::Text: return v.s;
    case T::Null: return {};
  }
  return {};
}

tsql::exec::SqlValue fieldValue(const PGresult* r, int row, int col) {
  using tsql::exec::SqlValue;
  if (PQgetisnull(r, row, col)) return {};
  const char* text = PQgetvalue(r, row, col);
  switch (PQftype(r, col)) {
    case kBool: return SqlValue::integer(text[0] == 't' ? 1 : 0);
    case kInt2:
    case kInt4:
    case kInt8: return SqlValue::integer(std::strtoll(text, nullptr, 10));
    case kFloat4:
    case kFloat8: return SqlValue::real(std::strtod(text, nullptr));
    case kNumeric: return numericValue(text, PQgetlength(r, row, col));
    case kDate:
    case kTimestamp:
    case kTimestamptz: return SqlValue::text(engineDateTime(text));
    default: return SqlValue::text(std::string(text, static_cast<std::size_t>(PQgetlength(r, row, col))));
  }
}

tsql::ast::DataType columnType(const PGresult* r, int col) {
  using K = tsql::ast::TypeKind;
  tsql::ast::DataType t;
  int mod = PQfmod(r, col);
  switch (PQftype(r, col)) {
    case kBool:
    case kInt2: t.kind = K::Bit; break;
    case kInt4: t.kind = K::Int; break;
    case kInt8: t.kind = K::BigInt; break;
    case kFloat4:
    case kFloat8: t.kind = K::Float; break;
    case kNumeric:
      t.kind = K::Decimal;
      if (mod >= 4) {
        t.precision = ((mod - 4) >> 16) & 0xffff;
        t.scale = (mod - 4) & 0xffff;
      }
      if (t.precision == 19 && t.scale == 4) t = {K::Money};
      break;
    case kText:
    case kVarchar:
    case kBpchar:
      t.kind = K::Varchar;
      if (mod > 4) t.length = mod - 4;
      break;
    case kDate: t.kind = K::Date; break;
    case kTimestamp:
    case kTimestamptz: t.kind = K::DateTime; break;
    default: break;
  }
  return t;
}

int errorNumber(const PGresult* r) {
  const char* state = PQresultErrorField(r, PG_DIAG_SQLSTATE);
  std::string s = state ? state : "";
  if (s == "23505") return 2627;                   // unique violation
  if (s == "23502") return 515;                    // NULL into NOT NULL
  if (s == "23514") return 547;                    // CHECK constraint
  if (s == "42P01") return 208;                    // no such table
  if (s == "42703") return 207;                    // no such column
  if (s == "42P07") return 2714;                   // already exists
  if (s == "42883" && !unknownFunctionName(PQresultErrorField(r, PG_DIAG_MESSAGE_PRIMARY)).empty())
    return tsql::errors::number(tsql::errors::Error::UnknownFunction);
  if (s == "22012") return 8134;                   // divide by zero
  if (s == "22003") return 8115;                   // a number out of its type's range
  if (s == "40001" || s == "40P01") return 1205;  // serialization failure, deadlock
  if (s == "22P02") return 245;                    // text that is not a number
  if (s == "22007" || s == "22008") return 241;  // text that is not a date
  const char* msg = PQresultErrorField(r, PG_DIAG_MESSAGE_PRIMARY);
  int n = msg ? tsql::runtime::Runtime::errorNumber(msg) : 0;  // raised by our runtime functions
  return n ? n : 50000;
}

std::string errorMessage(const PGresult* r, PGconn* conn) {
  const char* state = r ? PQresultErrorField(r, PG_DIAG_SQLSTATE) : nullptr;
  // SQL Server's own text where a CATCH block or a caller may read it
  if (state && std::strcmp(state, "22012") == 0) return "Divide by zero error encountered.";
  const char* primary = r ? PQresultErrorField(r, PG_DIAG_MESSAGE_PRIMARY) : nullptr;
  std::string msg = primary ? primary : PQerrorMessage(conn);
  if (state && std::strcmp(state, "22P02") == 0) return conversionMessage(msg);
  if (state && std::strcmp(state, "22003") == 0) return overflowMessage(msg);
  if (state && (std::strcmp(state, "22007") == 0 || std::strcmp(state, "22008") == 0))
    return "Conversion failed when converting date and/or time from character string.";
  if (state && std::strcmp(state, "42P01") == 0) return missingNameMessage(msg, true);
  if (state && std::strcmp(state, "42703") == 0) return missingNameMessage(msg, false);
  if (state && std::strcmp(state, "42883") == 0 && !unknownFunctionName(msg.c_str()).empty())
    return tsql::errors::message(tsql::errors::Error::UnknownFunction, {unknownFunctionName(msg.c_str())});
  while (!msg.empty() && (msg.back() == '\n' || msg.back() == ' ')) msg.pop_back();
  return msg;
}

// Errors another session's concurrent work causes, which the same batch run again
// after it may not meet: serialization failure, deadlock, and a key inserted at the same
// moment (the day's first bill number issued by two counters at once).
bool isConflict(const PGresult* r) {
  const char* state = PQresultErrorField(r, PG_DIAG_SQLSTATE);
  std::string_view s = state ? state : "";
  return s == "40001" || s == "40P01" || s == "23505";
}

}  // namespace db::pg
