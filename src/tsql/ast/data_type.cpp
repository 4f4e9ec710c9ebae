// Type names, their SQL text and T-SQL's data type precedence.
#include "tsql/ast/data_type.h"

#include <cctype>
#include <cstdlib>

namespace tsql::ast {

namespace {

bool iequals(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

}  // namespace

TypeKind typeKindFromName(std::string_view n) {
  struct Entry {
    std::string_view name;
    TypeKind kind;
  };
  static constexpr Entry kNames[] = {
      {"int", TypeKind::Int},          {"integer", TypeKind::Int},
      {"smallint", TypeKind::Int},     {"tinyint", TypeKind::Int},
      {"bigint", TypeKind::BigInt},    {"bit", TypeKind::Bit},
      {"decimal", TypeKind::Decimal},  {"numeric", TypeKind::Decimal},
      {"money", TypeKind::Money},      {"smallmoney", TypeKind::Money},
      {"float", TypeKind::Float},      {"real", TypeKind::Float},
      {"varchar", TypeKind::Varchar},  {"char", TypeKind::Varchar},
      {"text", TypeKind::Varchar},     {"nvarchar", TypeKind::NVarchar},
      {"nchar", TypeKind::NVarchar},   {"ntext", TypeKind::NVarchar},
      {"uniqueidentifier", TypeKind::Varchar}, {"varbinary", TypeKind::Varchar}, {"binary", TypeKind::Varchar},
      {"datetimeoffset", TypeKind::Varchar}, {"time", TypeKind::Varchar},
      {"datetime", TypeKind::DateTime}, {"date", TypeKind::Date},
      {"datetime2", TypeKind::DateTime2}, {"smalldatetime", TypeKind::SmallDateTime},
  };
  for (const auto& e : kNames)
    if (iequals(e.name, n)) return e.kind;
  return TypeKind::Unknown;
}

DataType typeFromName(std::string_view name) {
  DataType t;
  t.kind = typeKindFromName(name);
  if (iequals(name, "smallmoney")) t.precision = DataType::kSmallMoneyPrecision;
  if (iequals(name, "real")) t.precision = DataType::kRealPrecision;
  // smallint and tinyint are int that keeps its width in bytes, for their arithmetic's range
  if (iequals(name, "smallint")) t.length = 2;
  if (iequals(name, "tinyint")) t.length = 1;
  t.binary = iequals(name, "varbinary") || iequals(name, "binary");
  if (t.kind == TypeKind::DateTime2) t.precision = 7;  // fraction digits
  if (iequals(name, "datetimeoffset")) {
    t.offset = true;
    t.precision = 7;
  }
  if (iequals(name, "time")) {
    t.time = true;
    t.precision = 7;
  }
  if (iequals(name, "uniqueidentifier")) {
    t.guid = true;
    t.length = 36;
  }
  return t;
}

std::string typeToSql(const DataType& t) {
  if (t.guid) return "uniqueidentifier";
  if (t.offset) return "datetimeoffset(" + std::to_string(t.precision) + ")";
  if (t.time) return t.precision == 7 ? "time" : "time(" + std::to_string(t.precision) + ")";
  if (t.binary) {
    std::string base = t.fixed && t.length > 0 ? "binary" : "varbinary";
    return t.length < 0 ? base + "(max)" : t.length > 0 ? base + "(" + std::to_string(t.length) + ")" : base;
  }
  if (t.isSmallMoney()) return "smallmoney";
  switch (t.kind) {
    case TypeKind::Bit: return "bit";
    case TypeKind::Int: return t.length == 2 ? "smallint" : t.length == 1 ? "tinyint" : "int";
    case TypeKind::BigInt: return "bigint";
    case TypeKind::Decimal:
      return "decimal(" + std::to_string(t.precision ? t.precision : 18) + "," +
             std::to_string(t.scale) + ")";
    case TypeKind::Money: return "money";
    case TypeKind::Float: return t.isReal() ? "real" : "float";
    case TypeKind::Varchar:
    case TypeKind::NVarchar: {
      std::string base = t.kind == TypeKind::Varchar ? "varchar" : "nvarchar";
      if (t.fixed && t.length > 0) base = t.kind == TypeKind::Varchar ? "char" : "nchar";
      if (t.length < 0) return base + "(max)";
      if (t.length > 0) return base + "(" + std::to_string(t.length) + ")";
      return base;
    }
    case TypeKind::DateTime: return "datetime";
    case TypeKind::SmallDateTime: return "smalldatetime";
    case TypeKind::Date: return "date";
    case TypeKind::DateTime2: return t.precision == 7 ? "datetime2" : "datetime2(" + std::to_string(t.precision) + ")";
    default: return "";
  }
}

DataType typeFromDeclaration(std::string_view decl) {
  DataType t;
  std::size_t paren = decl.find('(');
  std::string_view name = decl.substr(0, paren);
  while (!name.empty() && name.back() == ' ') name.remove_suffix(1);
  // "decimal blob(38,2)": a long decimal declared without affinity (kept exact)
  if (name.size() > 5 && iequals(name.substr(name.size() - 5), " blob")) name.remove_suffix(5);
  t = typeFromName(name);
  t.fixed = iequals(name, "char") || iequals(name, "nchar") || iequals(name, "binary");
  if (iequals(name, "INTEGER")) t.kind = TypeKind::Int;  // identity columns
  if (paren != std::string_view::npos) {
    std::string_view args = decl.substr(paren + 1);
    if (args.size() >= 3 && iequals(args.substr(0, 3), "max")) {
      t.length = -1;
    } else {
      t.length = std::atoi(std::string(args).c_str());
      t.precision = t.length;
      std::size_t comma = args.find(',');
      if (comma != std::string_view::npos) t.scale = std::atoi(std::string(args.substr(comma + 1)).c_str());
    }
  }
  return t;
}

int typePrecedence(TypeKind k) {
  switch (k) {
    case TypeKind::DateTime2: return 12;
    case TypeKind::DateTime: return 11;
    case TypeKind::SmallDateTime: return 10;
    case TypeKind::Date: return 9;
    case TypeKind::Float: return 8;
    case TypeKind::Decimal: return 7;
    case TypeKind::Money: return 6;
    case TypeKind::BigInt: return 5;
    case TypeKind::Int: return 4;
    case TypeKind::Bit: return 3;
    case TypeKind::NVarchar: return 2;
    case TypeKind::Varchar: return 1;
    default: return 0;
  }
}

}  // namespace tsql::ast
