// OPENJSON and STRING_SPLIT as sources: the runtime's table function under the query's
// alias, its arguments reading the rows to their left (an APPLY), and the columns the
// query sees as expressions over the function's own columns, resolved in a scope of
// their own the way a flattened derived table's are.
#include <utility>

#include "tsql/parser/parser.h"
#include "tsql/translate/sql_translator.h"
#include "tsql/translate/translate_helpers.h"

namespace tsql::translate {

using ast::DataType;
using ast::TypeKind;

namespace {

DataType typed(TypeKind kind, int length = 0) {
  DataType t;
  t.kind = kind;
  t.length = length;
  return t;
}

std::string aliasOf(const ast::FunctionTableRef& f) {
  return toLower(f.alias.empty() ? f.name : f.alias);
}

}  // namespace

SqlTranslator::Source SqlTranslator::functionSource(const ast::FunctionTableRef& f, Scope& scope) {
  Source raw;
  raw.alias = aliasOf(f);
  if (f.name == "openjson") {
    raw.columns = {{"key", typed(TypeKind::NVarchar, 4000), false, false},
                   {"value", typed(TypeKind::NVarchar, -1), false, false},
                   {"type", typed(TypeKind::Int), false, false}};
  } else {
    Scope* saved = std::exchange(scope_, &scope);
    DataType input = typeOf(*f.args[0]);
    scope_ = saved;
    DataType value = input.isText() && !input.binary ? input : typed(TypeKind::NVarchar, 4000);
    value.fixed = false;
    raw.columns = {{"value", value, false, false},
                   {"ordinal", typed(TypeKind::BigInt), false, false}};
  }
  auto inner = std::make_shared<Scope>();
  inner->outer = scope.outer;
  inner->sources.push_back(std::move(raw));
  Source src;
  src.alias = aliasOf(f);
  src.inner = inner;
  Scope* saved = std::exchange(scope_, inner.get());
  for (std::size_t i = 0; i < f.values.size(); ++i) {
    src.items.push_back(f.values[i].get());
    src.columns.push_back({f.columns[i], typeOf(*f.values[i]), false, false});
  }
  scope_ = saved;
  return src;
}

// tsql_openjson(json, path, whole) / tsql_string_split(text, separator) AS alias.
void SqlTranslator::emitFunctionTable(const ast::FunctionTableRef& f, Scope& scope) {
  qualifyColumns_ = true;  // the columns are expressions, written where they are read
  Scope* saved = std::exchange(scope_, &scope);
  out_ += "tsql_" + f.name + '(';
  emitJsonText(*f.args[0]);
  out_ += ", ";
  if (f.args.size() > 1)
    emitJsonText(*f.args[1]);
  else
    out_ += "'$'";
  if (f.name == "openjson") out_ += f.withSchema ? ", 1" : ", 0";
  out_ += ") AS " + quoteIdent(aliasOf(f));
  scope_ = saved;
  scope.sources.push_back(functionSource(f, scope));
}

}  // namespace tsql::translate
