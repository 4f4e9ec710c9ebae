// The string, code and report functions whose runtime names differ from T-SQL's
// (tsql_ascii, tsql_var ...: the databases have functions of those names that mean
// something else), their argument counts (174 / 189 as SQL Server words them), their
// result types, STRING_AGG with WITHIN GROUP and FORMAT, which takes the value's kind.
#include <optional>

#include "tsql/translate/sql_translator.h"
#include "tsql/translate/translate_helpers.h"

namespace tsql::translate {

using ast::DataType;
using ast::TypeKind;

namespace {

struct Builtin {
  const char* name;
  const char* runtime;  //!< the name the SQL calls; nullptr where the translator writes it
  int minArgs, maxArgs;
};

constexpr Builtin kBuiltins[] = {
    {"ascii", "tsql_ascii", 1, 1},
    {"unicode", "tsql_unicode", 1, 1},
    {"char", "tsql_chr", 1, 1},
    {"nchar", "tsql_nchr", 1, 1},
    {"space", "tsql_space", 1, 1},
    {"translate", "tsql_translate", 3, 3},
    {"quotename", "tsql_quotename", 1, 2},
    {"soundex", "tsql_soundex", 1, 1},
    {"difference", "tsql_difference", 2, 2},
    {"var", "tsql_var", 1, 1},
    {"varp", "tsql_varp", 1, 1},
    {"stdev", "tsql_stdev", 1, 1},
    {"stdevp", "tsql_stdevp", 1, 1},
    {"count_big", "count", 1, 1},
    {"string_agg", nullptr, 2, 2},
    {"format", nullptr, 2, 3},
    {"len", nullptr, 1, 1},
    {"left", nullptr, 2, 2},
    {"right", nullptr, 2, 2},
    {"substring", nullptr, 3, 3},
    {"replace", nullptr, 3, 3},
    {"upper", nullptr, 1, 1},
    {"lower", nullptr, 1, 1},
    {"reverse", nullptr, 1, 1},
    {"replicate", nullptr, 2, 2},
    {"stuff", nullptr, 4, 4},
    {"charindex", nullptr, 2, 3},
    {"isjson", nullptr, 1, 2},
    {"json_value", nullptr, 2, 2},
    {"json_query", nullptr, 1, 2},
    {"json_modify", nullptr, 3, 3},
};

const Builtin* builtinNamed(const std::string& name) {
  for (const Builtin& b : kBuiltins)
    if (name == b.name) return &b;
  return nullptr;
}

DataType textOf(TypeKind kind, int length) {
  DataType t;
  t.kind = kind;
  t.length = length;
  return t;
}

DataType ofKind(TypeKind kind) { return textOf(kind, 0); }

struct FormatKind {
  const char* letter;      //!< how FORMAT's runtime reads the value: i (int), l (bigint), m, f, d
  const char* serverType;  //!< the type a database that picks functions by type is handed
};

// Integers, exact numbers, floats, dates and times; nullptr for text, which FORMAT refuses.
const FormatKind* formatKind(const DataType& t) {
  static constexpr FormatKind kTime{"t", "text"};  // a TimeSpan's formats, not a date's
  static constexpr FormatKind kOffset{"z", "text"};  // a DateTimeOffset's: a date's and its offset
  if (t.time) return &kTime;
  if (t.offset) return &kOffset;
  static constexpr FormatKind kInt{"i", "bigint"}, kBigint{"l", "bigint"}, kExact{"m", "numeric"},
      kFloat{"f", "double precision"}, kDate{"d", "timestamp"};
  switch (t.kind) {
    case TypeKind::Null:
    case TypeKind::Bit:
    case TypeKind::Int:
      return &kInt;
    case TypeKind::BigInt:
      return &kBigint;
    case TypeKind::Decimal:
    case TypeKind::Money:
      return &kExact;
    case TypeKind::Float:
    case TypeKind::Unknown:
      return &kFloat;
    case TypeKind::DateTime:
    case TypeKind::SmallDateTime:
    case TypeKind::Date:
    case TypeKind::DateTime2:
      return &kDate;
    default:
      return nullptr;
  }
}

}  // namespace

// The argument count SQL Server wants of a function it knows; 174 or 189 otherwise.
void SqlTranslator::checkArgumentCount(const ast::FunctionCallExpr& f) {
  const Builtin* b = builtinNamed(f.name);
  int n = f.star ? 1 : static_cast<int>(f.args.size());
  if (!b || (n >= b->minArgs && n <= b->maxArgs)) return;
  if (b->minArgs == b->maxArgs)
    throw TranslateError(errors::Error::FunctionArguments, {f.name, std::to_string(b->minArgs)});
  throw TranslateError(errors::Error::FunctionArgumentRange,
                       {f.name, std::to_string(b->minArgs), std::to_string(b->maxArgs)});
}

const char* SqlTranslator::builtinRuntimeName(const std::string& name) {
  const Builtin* b = builtinNamed(name);
  return b ? b->runtime : nullptr;
}

std::optional<DataType> SqlTranslator::builtinType(const ast::FunctionCallExpr& f) {
  const std::string& n = f.name;
  if (auto json = jsonFunctionType(f)) return json;
  if (n == "ascii" || n == "unicode" || n == "difference") return ofKind(TypeKind::Int);
  if (n == "count_big") return ofKind(TypeKind::BigInt);
  if (n == "var" || n == "varp" || n == "stdev" || n == "stdevp") return ofKind(TypeKind::Float);
  if (n == "char") return textOf(TypeKind::Varchar, 1);
  if (n == "nchar") return textOf(TypeKind::NVarchar, 1);
  if (n == "soundex") return textOf(TypeKind::Varchar, 4);
  if (n == "space") return textOf(TypeKind::Varchar, 8000);
  if (n == "quotename") return textOf(TypeKind::NVarchar, 258);
  if (n == "format") return textOf(TypeKind::NVarchar, 4000);
  if (n == "translate" && !f.args.empty()) return typeOf(*f.args[0]);
  if (n == "string_agg" && !f.args.empty()) {  // varchar stays varchar; anything else is nvarchar
    DataType t = typeOf(*f.args[0]);
    return t.kind == TypeKind::Varchar && !t.binary && !t.guid && !t.offset
               ? textOf(TypeKind::Varchar, 8000)
               : textOf(TypeKind::NVarchar, 4000);
  }
  return std::nullopt;
}

// STRING_AGG(value, separator) [WITHIN GROUP (ORDER BY ...)]: the value as text, NULLs
// left out. The server's string_agg takes the order in its arguments; the file's
// tsql_string_agg takes the keys as arguments after their directions.
void SqlTranslator::emitStringAgg(const ast::FunctionCallExpr& f) {
  DataType t = typeOf(*f.args[0]);
  bool ordered = env_.dialect().typedFunctions;
  out_ += ordered ? "string_agg(CAST(" : "tsql_string_agg(";
  if (t.isText() && !t.binary)
    emitTextValue(*f.args[0]);
  else
    emitCast(*f.args[0], textOf(TypeKind::NVarchar, 4000), nullptr);
  out_ += ordered ? " AS text), CAST(" : ", ";
  emit(*f.args[1]);
  if (ordered) out_ += " AS text)";
  if (!f.withinGroup.empty()) {
    if (!ordered) {
      out_ += ", '";
      for (const auto& k : f.withinGroup) out_ += k.descending ? 'd' : 'a';
      out_ += '\'';
    }
    for (std::size_t i = 0; i < f.withinGroup.size(); ++i) {
      out_ += ordered ? (i ? ", " : " ORDER BY ") : ", ";
      emitValueOrderKey(*f.withinGroup[i].expr);
      if (ordered) out_ += orderDirection(f.withinGroup[i].descending);
    }
  }
  out_ += ')';
}

// FORMAT(value, format[, culture]): tsql_format with the value's kind.
void SqlTranslator::emitFormat(const ast::FunctionCallExpr& f) {
  DataType t = typeOf(*f.args[0]);
  const FormatKind* kind = formatKind(t);
  if (!kind || t.binary || t.guid) {
    throw TranslateError(errors::Error::ArgumentDataType,
                         {t.kind == TypeKind::NVarchar ? "nvarchar" : "varchar", "1", "format"});
  }
  bool typed = env_.dialect().typedFunctions;
  out_ += typed ? "tsql_format(CAST(" : "tsql_format(";
  emit(*f.args[0]);
  out_ += typed ? std::string(" AS ") + kind->serverType + "), CAST(" : std::string(", ");
  emit(*f.args[1]);
  out_ += typed ? " AS text), CAST(" : ", ";
  if (f.args.size() > 2)
    emit(*f.args[2]);
  else
    out_ += "'en-US'";  // the session's language, us_english
  out_ += std::string(typed ? " AS text)" : "") + ", '" + kind->letter + "')";
}

bool SqlTranslator::emitBuiltinFunction(const ast::FunctionCallExpr& f) {
  checkArgumentCount(f);
  if (f.name == "string_agg") return emitStringAgg(f), true;
  if (f.name == "format") return emitFormat(f), true;
  return emitJsonFunction(f);
}

}  // namespace tsql::translate
