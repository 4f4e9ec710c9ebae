// Function calls: the T-SQL names the runtime registers pass through; some are written
// as other SQL (iif and choose as CASE, DATALENGTH by type), aggregates of money use
// the exact money aggregates and error functions become slots.
#include "tsql/ast/decimal_type.h"
#include "tsql/parser/parser.h"
#include "tsql/runtime/runtime.h"
#include "tsql/translate/sql_translator.h"
#include "tsql/translate/translate_helpers.h"

namespace tsql::translate {

using ast::TypeKind;

namespace {

// Bytes a value of a fixed-size type takes; 0 for text (measured at run time).
int storageBytes(const ast::DataType& t) {
  switch (t.kind) {
    case TypeKind::Bit: return 1;
    case TypeKind::Int: return 4;
    case TypeKind::BigInt: case TypeKind::Float: case TypeKind::DateTime: case TypeKind::DateTime2: return 8;
    case TypeKind::Money: return t.isSmallMoney() ? 4 : 8;
    case TypeKind::SmallDateTime: return 4;
    case TypeKind::Date: return 3;
    case TypeKind::Decimal: {
      int p = ast::asDecimal(t).precision;
      return p <= 9 ? 5 : p <= 19 ? 9 : p <= 28 ? 13 : 17;
    }
    default: return 0;
  }
}

}  // namespace

// DATALENGTH: the bytes of the value's type; text by its characters (nvarchar two each).
void SqlTranslator::emitDataLength(const ast::Expr& arg) {
  ast::DataType t = typeOf(arg);
  if (int bytes = storageBytes(t)) {
    out_ += "CASE WHEN ";
    emit(arg);
    out_ += " IS NULL THEN NULL ELSE " + std::to_string(bytes) + " END";
    return;
  }
  if (t.binary) {  // its "0x..." text: two hex digits a byte
    out_ += "((length(";
    emit(arg);
    out_ += ") - 2) / 2)";
    return;
  }
  out_ += "tsql_datalength(";
  emitTextValue(arg);  // a char(n) column counts its padding
  out_ += t.kind == TypeKind::NVarchar ? ", 2)" : ", 1)";
}

// Functions written as other SQL: iif and choose become CASE (only the chosen argument
// is evaluated), and abs of an int stays an int (the smallest int overflows).
bool SqlTranslator::emitRewrittenFunction(const ast::FunctionCallExpr& f) {
  const std::string& n = f.name;
  if (n == "iif" && f.args.size() == 3) {
    if (isNullLiteral(*f.args[1]) && isNullLiteral(*f.args[2])) allResultsNull();
    out_ += "CASE WHEN ";
    emit(*f.args[0]);
    out_ += " THEN ";
    emit(*f.args[1]);
    out_ += " ELSE ";
    emit(*f.args[2]);
    out_ += " END";
    return true;
  }
  if (n == "choose" && f.args.size() >= 2) {
    out_ += "CASE tsql_int(";
    emit(*f.args[0]);
    out_ += ')';
    for (std::size_t i = 1; i < f.args.size(); ++i) {
      out_ += " WHEN " + std::to_string(i) + " THEN ";
      emit(*f.args[i]);
    }
    out_ += " END";
    return true;
  }
  if (n == "datalength" && f.args.size() == 1) return emitDataLength(*f.args[0]), true;
  if (n == "collate" && f.args.size() == 2) {  // a case-sensitive (_CS_) or binary collation compares bytes
    std::string name = toLower(ast::nodeCast<ast::LiteralExpr>(*f.args[1]).text);
    bool exact = name.find("_cs") != std::string::npos || name.find("_bin") != std::string::npos;
    out_ += '(';
    emit(*f.args[0]);
    out_ += std::string(" COLLATE ") + (exact ? env_.dialect().exactCollation : runtime::kCollation) + ")";
    return true;
  }
  if (n == "abs" && f.args.size() == 1 && typeOf(*f.args[0]).kind == TypeKind::Int) {
    out_ += "tsql_int(abs(";
    emit(*f.args[0]);
    out_ += "))";
    return true;
  }
  return false;
}

// A date part is written as a bare name (DATEADD(day, ...)): it goes in as its text.
void SqlTranslator::emitDatePartName(const ast::Expr& part) {
  if (part.kind != ast::NodeKind::ColumnRef) return emit(part);
  out_ += '\'' + toLower(ast::nodeCast<ast::ColumnRefExpr>(part).column()) + '\'';
}

// Functions: T-SQL names the runtime registers pass through; aggregates over money
// use the exact money aggregates; error functions become slots.
void SqlTranslator::emitFunction(const ast::FunctionCallExpr& f) {
  if (!f.schema.empty()) return emitUserFunction(f);
  if (emitBuiltinFunction(f) || emitRewrittenFunction(f) || emitDecimalFunction(f) || emitOffsetDateFunction(f) ||
      emitTimeDateFunction(f))
    return;
  const std::string& n = f.name;
  if (n == "error_message" || n == "error_number" || n == "error_severity" ||
      n == "error_state" || n == "error_line" || n == "error_procedure" || n == "xact_state" ||
      n == "formatmessage") {
    Slot s;
    s.kind = Slot::Kind::ErrorInfo;
    s.name = n;
    if (n == "formatmessage") s.call = &f;
    return emitSlot(std::move(s));
  }
  if (n == "scope_identity" && f.args.empty()) return emitNamedSlot(Slot::Kind::SystemVariable, n);
  if (n == "object_id") return emitObjectId(f);
  std::string name = n;
  if (n == "isnull") name = env_.dialect().isnullFunction;
  if (const char* runtime = builtinRuntimeName(n)) name = runtime;
  if ((n == "sum" || n == "avg") && f.args.size() == 1) {
    TypeKind k = typeOf(*f.args[0]).kind;
    if (k == TypeKind::Money) name = n == "sum" ? "money_sum" : "money_avg";
    else if (n == "avg" && isIntegerClass(k)) name = "tsql_avg_int";
  }
  bool datePart = n == "datediff" || n == "dateadd" || n == "datepart" || n == "datename";
  const char* check = f.over ? nullptr : sumRangeCheck(f, typeOf(f), env_.dialect().typedFunctions);
  if (check) out_ += std::string(check) + '(';
  // LEFT and RIGHT are join keywords to SQLite; quoted, they name the functions.
  out_ += (n == "left" || n == "right") ? quoteIdent(name) : name;
  out_ += '(';
  if (f.star) out_ += '*';
  if (f.distinct) out_ += "DISTINCT ";
  for (std::size_t i = 0; i < f.args.size(); ++i) {
    if (i) out_ += ", ";
    const ast::Expr& a = *f.args[i];
    if (i == 0 && datePart) {
      emitDatePartName(a);
    } else if (f.distinct && name == "count" && env_.dialect().trimsTextComparands && typeOf(a).isText()) {
      out_ += "rtrim(";  // 'abc' and 'ABC ' are one value, as the collation would have it
      emit(a);
      out_ += ')';
    } else {
      emit(a);
    }
  }
  out_ += check ? "))" : ")";
}

}  // namespace tsql::translate

namespace tsql::translate {

// OBJECT_ID('name' [, 'type']): the interpreter answers from the names in scope, so the
// name is a constant the slot carries ("object_id <name>\n<type>").
void SqlTranslator::emitObjectId(const ast::FunctionCallExpr& f) {
  if (f.args.empty() || f.args.size() > 2)
    throw TranslateError(errors::Error::FunctionArgumentRange, {"object_id", "1", "2"});
  std::string name = "object_id ";
  for (std::size_t i = 0; i < f.args.size(); ++i) {
    const auto* l = ast::nodeAs<ast::LiteralExpr>(f.args[i].get());
    if (!l || l->literalKind != ast::LiteralKind::String)
      throw TranslateError(errors::Error::ArgumentDataType, {ast::typeToSql(typeOf(*f.args[i])),
                                                             std::to_string(i + 1), "object_id"});
    name += (i ? "\n" : "") + l->text;
  }
  emitNamedSlot(Slot::Kind::SystemVariable, name);
}

}  // namespace tsql::translate
