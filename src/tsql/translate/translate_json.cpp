// ISJSON, JSON_VALUE, JSON_QUERY and JSON_MODIFY: the runtime's tsql_ functions with
// their arguments as text. JSON_MODIFY is told how to write its new value: a number
// or a bit as JSON's own, JSON_QUERY's result as the fragment it is, anything else as
// a JSON string.
#include "tsql/translate/sql_translator.h"
#include "tsql/translate/translate_helpers.h"

namespace tsql::translate {

using ast::DataType;
using ast::TypeKind;

namespace {

DataType nvarchar(int length) {
  DataType t;
  t.kind = TypeKind::NVarchar;
  t.length = length;
  return t;
}

bool isJsonFragment(const ast::Expr& e) {
  const auto* f = ast::nodeAs<ast::FunctionCallExpr>(&e);
  return f && (f->name == "json_query" || f->name == "json_modify");
}

}  // namespace

std::optional<DataType> SqlTranslator::jsonFunctionType(const ast::FunctionCallExpr& f) {
  if (f.name == "isjson") return DataType{TypeKind::Int};
  if (f.name == "json_value") return nvarchar(4000);
  if (f.name == "json_query" || f.name == "json_modify") return nvarchar(-1);
  return std::nullopt;
}

// A text argument: where the database picks functions by type, cast to text.
void SqlTranslator::emitJsonText(const ast::Expr& e) {
  DataType t = typeOf(e);
  bool typed = env_.dialect().typedFunctions;
  if (typed) out_ += "CAST(";
  if (t.isText() && !t.binary)
    emitTextValue(e);
  else if (t.kind == TypeKind::Null || !t.isKnown())
    emit(e);
  else
    emitCast(e, nvarchar(4000), nullptr);
  if (typed) out_ += " AS text)";
}

bool SqlTranslator::emitJsonFunction(const ast::FunctionCallExpr& f) {
  const std::string& n = f.name;
  if (n != "isjson" && n != "json_value" && n != "json_query" && n != "json_modify") return false;
  out_ += "tsql_" + n + '(';
  emitJsonText(*f.args[0]);
  if (f.args.size() > 1) {
    out_ += ", ";
    if (n == "isjson")
      emitDatePartName(*f.args[1]);  // VALUE, SCALAR, ARRAY or OBJECT as a word
    else
      emitJsonText(*f.args[1]);
  }
  if (n == "json_modify") {
    const ast::Expr& v = *f.args[2];
    DataType t = typeOf(v);
    const char* how = isJsonFragment(v)         ? "j"
                      : t.kind == TypeKind::Bit ? "b"
                      : t.isNumeric()           ? "n"
                                                : "s";
    out_ += ", ";
    emitJsonText(v);
    out_ += std::string(", '") + how + "'";
  }
  out_ += ')';
  return true;
}

}  // namespace tsql::translate
