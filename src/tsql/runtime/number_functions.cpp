// Arithmetic by T-SQL's type precedence at run time: text meets a number by converting
// to the number's type ('1' + 1 = 2, 'abc' + 1 is error 245), text + text
// concatenates, integer division truncates, and dividing by zero is error 8134 —
// SQLite's own operators would give 1, 'abc1'-style surprises or NULL instead.
#include "tsql/runtime/number_functions.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>

#include "tsql/runtime/sql_args.h"
#include "tsql/runtime/value_conversion.h"

namespace tsql::runtime {
namespace {

enum class Op { Add, Sub, Mul, Div, Mod };

const char* opName(Op op) {
  switch (op) {
    case Op::Add: return "add";
    case Op::Sub: return "subtract";
    case Op::Mul: return "multiply";
    case Op::Div: return "divide";
    case Op::Mod: return "modulo";
  }
  return "";
}

bool isText(int type) { return type == SQLITE_TEXT || type == SQLITE_BLOB; }

[[noreturn]] void overflow() {
  throw RuntimeError(errors::Error::ArithmeticOverflow, {"expression", "bigint"});
}

[[noreturn]] void divideByZero() { throw RuntimeError(errors::Error::DivideByZero); }

void integerOp(SqlArgs& a, Op op, std::int64_t x, std::int64_t y) {
  std::int64_t r = 0;
  switch (op) {
    case Op::Add: if (__builtin_add_overflow(x, y, &r)) overflow(); break;
    case Op::Sub: if (__builtin_sub_overflow(x, y, &r)) overflow(); break;
    case Op::Mul: if (__builtin_mul_overflow(x, y, &r)) overflow(); break;
    case Op::Div:
    case Op::Mod:
      if (y == 0) divideByZero();
      if (x == INT64_MIN && y == -1) overflow();
      r = op == Op::Div ? x / y : x % y;  // C++ truncates toward zero, as T-SQL does
      break;
  }
  a.set(r);
}

void realOp(SqlArgs& a, Op op, double x, double y) {
  double r = 0;
  switch (op) {
    case Op::Add: r = x + y; break;
    case Op::Sub: r = x - y; break;
    case Op::Mul: r = x * y; break;
    case Op::Div: if (y == 0.0) divideByZero(); r = x / y; break;
    case Op::Mod: if (y == 0.0) divideByZero(); r = std::fmod(x, y); break;
  }
  if (std::isinf(r)) throw RuntimeError(errors::Error::ArithmeticOverflow, {"expression", "float"});
  a.set(r);
}

template <Op O>
void arith(SqlArgs& a) {
  if (a.anyNull()) return a.setNull();
  int tx = a.type(0), ty = a.type(1);
  if (isText(tx) && isText(ty)) {
    if (O != Op::Add) {
      throw RuntimeError(errors::Error::OperandTypeInvalid, {"varchar", opName(O)});
    }
    std::string s(a.text(0));
    s += a.text(1);
    return a.set(s);
  }
  // A text operand takes the other operand's type: int when it is an integer.
  bool integral = (tx == SQLITE_INTEGER || isText(tx)) && (ty == SQLITE_INTEGER || isText(ty));
  if (integral) {
    return integerOp(a, O, ValueConversion::toInt(a[0], tx == SQLITE_INTEGER),
                     ValueConversion::toInt(a[1], ty == SQLITE_INTEGER));
  }
  realOp(a, O, ValueConversion::toFloat(a[0]), ValueConversion::toFloat(a[1]));
}

void negate(SqlArgs& a) {
  if (a.isNull(0)) return a.setNull();
  if (a.type(0) == SQLITE_FLOAT) return a.set(-sqlite3_value_double(a[0]));
  std::int64_t v = ValueConversion::toInt(a[0], true);
  if (v == INT64_MIN) overflow();
  a.set(-v);
}

void isnull(SqlArgs& a) { a.setValue(a.isNull(0) ? a[1] : a[0]); }

void newid(SqlArgs& a) {
  thread_local std::mt19937_64 gen{std::random_device{}()};
  std::uint64_t hi = gen(), lo = gen();
  hi = (hi & 0xFFFFFFFFFFFF0FFFULL) | 0x4000ULL;            // version 4
  lo = (lo & 0x3FFFFFFFFFFFFFFFULL) | 0x8000000000000000ULL;  // RFC 4122 variant
  char buf[40];
  std::snprintf(buf, sizeof buf, "%08X-%04X-%04X-%04X-%012llX", static_cast<unsigned>(hi >> 32),
                static_cast<unsigned>((hi >> 16) & 0xFFFF), static_cast<unsigned>(hi & 0xFFFF),
                static_cast<unsigned>(lo >> 48),
                static_cast<unsigned long long>(lo & 0xFFFFFFFFFFFFULL));
  a.set(std::string_view(buf));
}

void absolute(SqlArgs& a) {
  if (a.isNull(0)) return a.setNull();
  if (a.type(0) == SQLITE_INTEGER) {
    std::int64_t v = sqlite3_value_int64(a[0]);
    if (v == INT64_MIN) overflow();
    return a.set(v < 0 ? -v : v);
  }
  a.set(std::fabs(ValueConversion::toFloat(a[0])));
}

// Rounds half away from zero at `digits` decimals (negative: tens, hundreds...). The
// scaled value is first snapped to 12 significant digits so that 2.675 (stored as
// 2.67499999...) rounds to 2.68 the way its decimal text says. The snap moves the scaled value by at most 5e-12 of itself; when the nearest value at
// which the answer turns (a half for rounding, a whole number for truncating) is
// farther off than that, the snap cannot change the answer and is skipped: formatting
// and reading the text back cost more than all the rest of a money rounding.
double roundDecimal(double x, std::int64_t digits, bool truncate) {
  if (digits > 15) return x;
  double p = std::pow(10.0, static_cast<double>(digits));
  const double scaled = x * p;
  const double magnitude = std::fabs(scaled);
  if (magnitude < 1e10) {
    const double whole = std::floor(magnitude);
    const double turn = truncate ? std::min(magnitude - whole, whole + 1 - magnitude)
                                 : std::fabs(magnitude - (whole + 0.5));
    if (turn > magnitude * 1e-11) return (truncate ? std::trunc(scaled) : std::round(scaled)) / p;
  }
  char buf[40];
  std::snprintf(buf, sizeof buf, "%.12g", x * p);
  double y = std::strtod(buf, nullptr);
  y = truncate ? std::trunc(y) : std::round(y);
  return y / p;
}

void round(SqlArgs& a) {
  if (a.isNull(0) || a.isNull(1)) return a.setNull();
  std::int64_t digits = a.integer(1);
  bool truncate = a.count() > 2 && !a.isNull(2) && a.integer(2) != 0;
  if (a.type(0) == SQLITE_INTEGER) {
    std::int64_t v = sqlite3_value_int64(a[0]);
    if (digits >= 0) return a.set(v);
    if (digits < -18) return a.set(std::int64_t{0});
    std::int64_t p = 1;
    for (std::int64_t i = 0; i < -digits; ++i) p *= 10;
    std::int64_t q = v / p, rem = v % p;
    if (!truncate && 2 * (rem < 0 ? -rem : rem) >= p) q += v < 0 ? -1 : 1;
    return a.set(q * p);
  }
  a.set(roundDecimal(ValueConversion::toFloat(a[0]), digits, truncate));
}

void toBit(SqlArgs& a) {
  if (a.isNull(0)) return a.setNull();
  a.set(static_cast<std::int64_t>(ValueConversion::toBit(a[0])));
}

void toInt(SqlArgs& a) {
  if (a.isNull(0)) return a.setNull();
  a.set(ValueConversion::toInt(a[0]));
}

// smallint and tinyint results of arithmetic, refused past their type's range.
template <std::int64_t Low, std::int64_t High>
void toNarrowInt(SqlArgs& a) {
  if (a.isNull(0)) return a.setNull();
  std::int64_t v = ValueConversion::toInt(a[0]);
  if (v < Low || v > High)
    throw RuntimeError(errors::Error::ArithmeticOverflow, {"expression", Low == 0 ? "tinyint" : "smallint"});
  a.set(v);
}

void toBigint(SqlArgs& a) {
  if (a.isNull(0)) return a.setNull();
  a.set(ValueConversion::toInt(a[0], true));
}

void toFloat(SqlArgs& a) {
  if (a.isNull(0)) return a.setNull();
  a.set(ValueConversion::toFloat(a[0]));
}

void toSmallMoney(SqlArgs& a) {
  if (a.isNull(0)) return a.setNull();
  a.set(ValueConversion::checkedSmallMoney(ValueConversion::toMoney(a[0])).toDouble());
}

void toMoney(SqlArgs& a) {
  if (a.isNull(0)) return a.setNull();
  a.set(ValueConversion::toMoney(a[0]).toDouble());
}

// CAST(x AS varchar(n)): text is cut to n characters; a number too long for n is '*'.
// Text of a[0] cut to a[1] characters; a number too long for them is "*".
std::string varcharText(SqlArgs& a) {
  std::string s = ValueConversion::toText(a[0]);
  if (a.count() > 1 && !a.isNull(1)) {
    auto n = static_cast<std::size_t>(a.integer(1));
    if (!isText(a.type(0)) && s.size() > n) return "*";
    std::size_t cut = 0, chars = 0;
    while (cut < s.size() && chars < n) {
      cut += 1;
      while (cut < s.size() && (static_cast<unsigned char>(s[cut]) & 0xC0) == 0x80) ++cut;
      ++chars;
    }
    s.resize(cut);
  }
  return s;
}

void toVarchar(SqlArgs& a) {
  if (a.isNull(0)) return a.setNull();
  a.set(varcharText(a));
}

// char(n): cut like varchar(n), then blank-padded to n characters.
void toChar(SqlArgs& a) {
  if (a.anyNull()) return a.setNull();
  a.set(ValueConversion::padChars(varcharText(a), static_cast<int>(a.integer(1))));
}

void moneyText(SqlArgs& a) {
  if (a.isNull(0)) return a.setNull();
  int style = a.count() > 1 && !a.isNull(1) ? static_cast<int>(a.integer(1)) : 0;
  a.set(ValueConversion::moneyText(ValueConversion::toMoney(a[0]), style));
}

void floatText(SqlArgs& a) {
  if (a.isNull(0)) return a.setNull();
  a.set(ValueConversion::floatText(ValueConversion::toFloat(a[0])));
}

// STR(x[, length[, decimals]]): right-aligned in `length` (10) characters with
// `decimals` (0, at most 16) rounded decimals, fewer decimals where they do not fit, and
// `length` asterisks where the whole part does not.
void str(SqlArgs& a) {
  if (a.anyNull()) return a.setNull();
  double v = ValueConversion::toFloat(a[0]);
  std::int64_t length = a.count() > 1 ? a.integer(1) : 10;
  std::int64_t decimals = a.count() > 2 ? std::clamp<std::int64_t>(a.integer(2), 0, 16) : 0;
  if (length <= 0 || length > 8000) return a.setNull();
  for (std::int64_t d = decimals; d >= 0; --d) {
    char buf[400];
    double scale = std::pow(10.0, static_cast<double>(d));
    double rounded = std::isfinite(v * scale) ? std::round(v * scale) / scale : v;  // halves away from zero
    std::snprintf(buf, sizeof buf, "%.*f", static_cast<int>(d), rounded);
    std::string s = buf;
    if (static_cast<std::int64_t>(s.size()) <= length)
      return a.set(std::string(static_cast<std::size_t>(length) - s.size(), ' ') + s);
  }
  a.set(std::string(static_cast<std::size_t>(length), '*'));
}

// DATALENGTH of text: a[1] bytes a character (2 for nvarchar); in varchar a character
// beyond ASCII takes two, as in the shop's double-byte code page.
void datalength(SqlArgs& a) {
  if (a.isNull(0)) return a.setNull();
  std::string_view s = a.text(0);
  std::int64_t bytes = 0;
  bool wide = a.integer(1) == 2;
  for (std::size_t i = 0; i < s.size(); ++i) {
    auto c = static_cast<unsigned char>(s[i]);
    if ((c & 0xC0) == 0x80) continue;         // continuation byte
    bytes += wide ? (c >= 0xF0 ? 4 : 2) : (c < 0x80 ? 1 : 2);  // 4: a UTF-16 surrogate pair
  }
  a.set(bytes);
}

// a ^ b on the integers SQLite's own | and & make of their operands (a text's leading
// digits, a real's whole part), so it agrees with them on every value.
void bitXor(SqlArgs& a) {
  if (a.anyNull()) return a.setNull();
  a.set(static_cast<std::int64_t>(sqlite3_value_int64(a[0]) ^ sqlite3_value_int64(a[1])));
}

void raise(SqlArgs& a) { throw RuntimeError(errors::Error::UserMessage, {a.text(0)}); }

// tsql_recursion(level, limit): a recursive common table expression's row of `level`,
// which past the limit (0: none) ends the statement as SQL Server's 530.
void recursionLevel(SqlArgs& a) {
  std::int64_t level = a.integer(0), limit = a.integer(1);
  if (limit > 0 && level > limit)
    throw RuntimeError(errors::Error::MaxRecursionExhausted, {std::to_string(limit)});
  a.set(level);
}

}  // namespace

int NumberFunctions::install(sqlite3* db) {
  return firstFailure({defineFunction<isnull>(db, "isnull", 2),
                       defineFunction<isnull>(db, "tsql_isnull", 2),
                       defineFunction<newid>(db, "newid", 0, false),
                       defineFunction<absolute>(db, "abs", 1),
                       defineFunction<round>(db, "round", 2),
                       defineFunction<round>(db, "round", 3),
                       defineFunction<arith<Op::Add>>(db, "tsql_add", 2),
                       defineFunction<arith<Op::Sub>>(db, "tsql_sub", 2),
                       defineFunction<arith<Op::Mul>>(db, "tsql_mul", 2),
                       defineFunction<arith<Op::Div>>(db, "tsql_div", 2),
                       defineFunction<arith<Op::Mod>>(db, "tsql_mod", 2),
                       defineFunction<negate>(db, "tsql_neg", 1),
                       defineFunction<bitXor>(db, "tsql_bitxor", 2),
                       defineFunction<toBit>(db, "tsql_bit", 1),
                       defineFunction<toInt>(db, "tsql_int", 1),
                       defineFunction<toBigint>(db, "tsql_bigint", 1),
                       defineFunction<toNarrowInt<-32768, 32767>>(db, "tsql_smallint", 1),
                       defineFunction<toNarrowInt<0, 255>>(db, "tsql_tinyint", 1),
                       defineFunction<toFloat>(db, "tsql_float", 1),
                       defineFunction<toMoney>(db, "tsql_money", 1),
                       defineFunction<toSmallMoney>(db, "tsql_smallmoney", 1),
                       defineTolerant<toSmallMoney>(db, "tsql_try_smallmoney", 1),
                       defineTolerant<toBit>(db, "tsql_try_bit", 1),
                       defineTolerant<toInt>(db, "tsql_try_int", 1),
                       defineTolerant<toBigint>(db, "tsql_try_bigint", 1),
                       defineTolerant<toFloat>(db, "tsql_try_float", 1),
                       defineTolerant<toMoney>(db, "tsql_try_money", 1),
                       defineFunction<toVarchar>(db, "tsql_varchar", 1),
                       defineFunction<toVarchar>(db, "tsql_varchar", 2),
                       defineFunction<toChar>(db, "tsql_char", 2),
                       defineFunction<moneyText>(db, "tsql_money_text", 1),
                       defineFunction<moneyText>(db, "tsql_money_text", 2),
                       defineFunction<floatText>(db, "tsql_float_text", 1),
                       defineFunction<str>(db, "str", 1),
                       defineFunction<str>(db, "str", 2),
                       defineFunction<str>(db, "str", 3),
                       defineFunction<datalength>(db, "tsql_datalength", 2),
                       defineFunction<raise>(db, "tsql_error", 1, false),
                       defineFunction<recursionLevel>(db, "tsql_recursion", 2, false)});
}

}  // namespace tsql::runtime
