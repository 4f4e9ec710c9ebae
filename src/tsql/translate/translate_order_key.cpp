// One ORDER BY key. An ordinal stays an ordinal; a decimal of more than 15 digits
// (stored as text, or as REAL when short) sorts through tsql_dec_key, whose text order
// is numeric order (a server that stores them as numbers needs no key). A compound
// query's keys must name its columns as they are, so there they stay as written. MIN
// and MAX of such decimals compare by value too, and a datetimeoffset sorts by its instant.
#include <optional>
#include <string>

#include "core/strings.h"
#include "tsql/ast/decimal_type.h"
#include "tsql/runtime/decimal_value.h"
#include "tsql/translate/sql_translator.h"
#include "tsql/translate/translate_helpers.h"

namespace tsql::translate {

namespace {

// The 0-based select item an ORDER BY ordinal names; nullopt when it names none
// (SQLite then reports the ordinal out of range).
std::optional<std::size_t> ordinalIndex(const std::string& text, std::size_t count) {
  if (text.size() > 9) return std::nullopt;
  std::size_t n = std::stoul(text);
  if (n < 1 || n > count) return std::nullopt;
  return n - 1;
}

bool isLongDecimal(const ast::DataType& t) {
  return t.kind == ast::TypeKind::Decimal && ast::asDecimal(t).precision > runtime::kExactDoubleDigits;
}

// The output a key names by alias; nullptr when it names none.
template <class Output>
const Output* outputNamed(const std::vector<Output>& outputs, const ast::Expr& key) {
  const auto* col = ast::nodeAs<ast::ColumnRefExpr>(&key);
  if (!col || col->parts.size() != 1) return nullptr;
  for (const auto& o : outputs)
    if (core::sameText(o.name, col->column())) return &o;
  return nullptr;
}

}  // namespace

// MIN(x) / MAX(x) of a long decimal; SQLite's own would compare the texts.
bool SqlTranslator::emitLongDecimalExtreme(const ast::FunctionCallExpr& f, const ast::DataType& type) {
  if (f.args.size() != 1 || !isLongDecimal(type) || env_.dialect().longDecimalsOrderByValue) return false;
  emitConversion(f.name == "max" ? "decimal_max" : "decimal_min", *f.args[0]);
  return true;
}

// The keys' types, while the core's sources are in scope (ORDER BY is written after).
void SqlTranslator::noteOrderKeys(const ast::SelectCore& core, const std::vector<ast::OrderItem>& order) {
  orderKeyTypes_.clear();
  for (const auto& item : order) orderKeyTypes_.push_back(typeOf(*item.expr));
  if (core.topWithTies) tiesRank_ = tiesRank(core, order);
}

std::string SqlTranslator::orderDirection(bool descending) const {
  if (!env_.dialect().nullsSortHigh) return descending ? " DESC" : "";
  return descending ? " DESC NULLS LAST" : " NULLS FIRST";
}

void SqlTranslator::emitOrderKey(const ast::Query& q, std::size_t index, const std::vector<Output>& outputs,
                                 const std::vector<ast::DataType>& keyTypes) {
  const ast::Expr& key = *q.orderBy[index].expr;
  const auto* lit = ast::nodeAs<ast::LiteralExpr>(&key);
  bool ordinal = lit && lit->literalKind == ast::LiteralKind::Integer;
  bool single = q.cores.size() == 1;
  bool keyed = single && !env_.dialect().longDecimalsOrderByValue;  // long decimals need tsql_dec_key
  std::optional<std::size_t> item = ordinal ? ordinalIndex(lit->text, outputs.size()) : std::nullopt;
  std::size_t at = item.value_or(0);
  if (ordinal && (!keyed || !item || !isLongDecimal(outputs[at].type))) {
    out_ += lit->text;
    return;
  }
  const Output* named = ordinal ? nullptr : outputNamed(outputs, key);
  ast::DataType type = named ? named->type : index < keyTypes.size() ? keyTypes[index] : typeOf(key);
  if (single && !ordinal && type.offset) return emitConversion("tsql_dto_utc", key);  // by instant
  if (single && !ordinal && !named && emitDistinctItemPosition(q.cores[0], key)) return;
  if (!keyed || !(ordinal || isLongDecimal(type))) return emit(key);
  out_ += "tsql_dec_key(";
  if (ordinal) out_ += quoteIdent(outputs[at].name);
  else emit(key);
  out_ += ')';
}

// A key that is neither an ordinal nor an output's name (a window's): a datetimeoffset
// by its instant, a long decimal by its value.
void SqlTranslator::emitValueOrderKey(const ast::Expr& key) {
  ast::DataType type = typeOf(key);
  if (type.offset) return emitConversion("tsql_dto_utc", key);
  if (!isLongDecimal(type) || env_.dialect().longDecimalsOrderByValue) return emit(key);
  emitConversion("tsql_dec_key", key);
}

// Where text outputs are trimmed and collated, a DISTINCT query's ORDER BY expression
// no longer reads as the server wants it (exactly as the select list writes it): the
// key names its select item by position instead.
bool SqlTranslator::emitDistinctItemPosition(const ast::SelectCore& core, const ast::Expr& key) {
  if (!core.distinct || !env_.dialect().trimsTextComparands) return false;
  for (const auto& item : core.items)
    if (item.star) return false;  // positions are those of the expanded list
  for (std::size_t i = 0; i < core.items.size(); ++i) {
    if (!sameExpr(*core.items[i].expr, key)) continue;
    out_ += std::to_string(i + 1);
    return true;
  }
  return false;
}

}  // namespace tsql::translate
