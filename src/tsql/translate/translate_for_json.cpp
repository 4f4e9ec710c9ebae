// FOR JSON: the query is written as it stands and read as a derived table whose rows
// tsql_json_object turns into objects (a value's kind from its column's type: numbers
// and bits as JSON's own, money, dates and text as strings, JSON_QUERY's result and a
// nested FOR JSON as they are), joined in the query's order into one text.
#include "tsql/ast/decimal_type.h"
#include "tsql/translate/sql_translator.h"
#include "tsql/translate/translate_helpers.h"

namespace tsql::translate {

using ast::DataType;
using ast::TypeKind;

namespace {

// A JSON object key: only quotes and backslashes need escaping in a root's name.
std::string jsonKey(std::string_view s) {
  std::string out = "\"";
  for (char c : s) {
    if (c == '"' || c == '\\') out += '\\';
    out += c;
  }
  return out + '"';
}

bool isFragment(const ast::Expr* e) {
  if (const auto* f = ast::nodeAs<ast::FunctionCallExpr>(e))
    return f->name == "json_query" || f->name == "json_modify";
  const auto* s = ast::nodeAs<ast::SubqueryExpr>(e);
  return s && s->query->forJson;
}

}  // namespace

DataType SqlTranslator::forJsonType() {
  DataType t;
  t.kind = TypeKind::NVarchar;
  t.length = -1;
  return t;
}

// A column's value as the text tsql_json_object reads, and its kind.
std::string SqlTranslator::jsonValueSql(const std::string& column, const DataType& t, bool fragment,
                                        char& kind) {
  kind = fragment ? 'j' : 's';
  if (fragment || t.binary || t.guid || t.offset) return "CAST(" + column + " AS TEXT)";
  switch (t.kind) {
    case TypeKind::Bit:
      kind = 'b';
      return "CAST(" + column + " AS TEXT)";
    case TypeKind::Money:
      return "tsql_money_text(" + column + ")";
    case TypeKind::DateTime:
    case TypeKind::SmallDateTime:  // whole seconds without their ".000", as style 126 shows them
      return "replace(tsql_datetime_text(" + column + ", 126), '.000', '')";
    case TypeKind::Date:
      return "substr(tsql_datetime_text(" + column + ", 126), 1, 10)";
    case TypeKind::Decimal:  // with its scale's digits; the file keeps a decimal as a double
      kind = 'n';
      if (env_.dialect().typedFunctions || ast::asDecimal(t).scale == 0)
        return "CAST(" + column + " AS TEXT)";
      return "printf('%." + std::to_string(ast::asDecimal(t).scale) + "f', " + column + ")";
    default:
      if (t.isNumeric()) kind = 'n';
      return "CAST(" + column + " AS TEXT)";
  }
}

std::vector<SqlTranslator::Output> SqlTranslator::emitForJson(const ast::Query& q) {
  const ast::ForJson& f = *q.forJson;
  const ast::Query* outer = std::exchange(forJsonInner_, &q);
  std::string head = std::move(out_);
  out_.clear();
  std::vector<Output> rows = emitQuery(q, nullptr);
  std::string rowsSql = std::move(out_);
  out_ = std::move(head);
  forJsonInner_ = outer;
  // a select list without stars lines up with the outputs: its JSON fragments are known
  const auto& items = q.cores[0].items;
  bool lined = items.size() == rows.size();
  std::string prefix = f.root.empty() ? "" : "{" + jsonKey(f.root) + ":";
  std::string suffix = f.root.empty() ? "" : "}";
  if (!f.withoutArrayWrapper) prefix += '[', suffix = ']' + suffix;
  bool typed = env_.dialect().typedFunctions;
  out_ += "SELECT CASE WHEN COUNT(*) = 0 THEN NULL ELSE " + quoteText(prefix) + " || ";
  out_ += typed ? "string_agg(" : "tsql_string_agg(";
  out_ +=
      std::string("tsql_json_object('") + (f.path ? "p" : "a") + (f.includeNulls ? "n" : "") + "'";
  for (std::size_t i = 0; i < rows.size(); ++i) {
    if (rows[i].name.empty()) throw TranslateError(errors::Error::JsonUnnamedColumn);
    char kind = 's';
    std::string value = jsonValueSql("\"tsql_json_\"." + quoteIdent(rows[i].name), rows[i].type,
                                     lined && isFragment(items[i].expr.get()), kind);
    out_ += ", " + quoteText(rows[i].name) + ", '" + kind + "', " + value;
  }
  out_ += "), ',') || " + quoteText(suffix) + " END FROM (" + rowsSql + ") AS \"tsql_json_\"";
  return {{"JSON_F52E2B61-18A1-11d1-B105-00805F49916B", forJsonType()}};
}

}  // namespace tsql::translate
