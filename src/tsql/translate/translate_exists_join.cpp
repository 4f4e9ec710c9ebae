// A derived table of one table's rows that have a match in a second table, joined on
// the right of a LEFT JOIN. SQLite cannot join a derived table that is a join in flat
// there, and materialises it instead; the shipment form's reload
//   main LEFT JOIN (SELECT t1.id, t1.fhsl FROM mx t1 LEFT JOIN hd t2 ON t1.billno = t2.billno
//                   WHERE t1.billno = @b AND t2.status = 1) temp ON main.id = temp.id
// reads the bill's lines twice and indexes one copy for the join. When t2 is unique on
// the columns the inner ON equates (a primary key or unique index among them) each t1
// row matches at most one t2 row, so it stands in the derived table at most once, and
// then exactly when some t2 row meets the inner ON and the WHERE. When moreover the
// WHERE fixes each t1 column the inner ON equates (t1.billno = @b), the t2 column
// equal to it equals that value, and with only t1's columns selected the join is the
// same as
//   main LEFT JOIN mx t1 ON main.id = t1.id AND t1.billno = @b
//     AND EXISTS (SELECT 1 FROM hd t2 WHERE t2.billno = @b AND t2.status = 1)
// which SQLite runs as a look-up of t1 by its key per row and the EXISTS once, with
// no copy of the lines. Where the outer ON joins an integer key of t1, the EXISTS is
// written into that key (emitExistsOn) so that a bill whose header fails the test
// looks no line up. An inner LEFT JOIN counts only when the WHERE rejects its NULL row
// (a comparison of a t2 column with a constant). Anything else is written as it stands.
#include "tsql/parser/parser.h"
#include "tsql/translate/sql_translator.h"
#include "tsql/translate/translate_helpers.h"

namespace tsql::translate {

namespace {

void conjuncts(const ast::Expr& e, std::vector<const ast::Expr*>& out) {
  const auto* b = ast::nodeAs<ast::BinaryExpr>(&e);
  if (b == nullptr || b->op != ast::BinaryOp::And) return out.push_back(&e);
  conjuncts(*b->lhs, out);
  conjuncts(*b->rhs, out);
}

bool comparison(ast::BinaryOp op) {
  using ast::BinaryOp;
  return op == BinaryOp::Eq || op == BinaryOp::Ne || op == BinaryOp::Lt || op == BinaryOp::Le ||
         op == BinaryOp::Gt || op == BinaryOp::Ge;
}

// Comparisons and arithmetic of columns, constants and variables: nothing that reads
// other rows, runs a function of the user's or depends on how often it is evaluated.
bool plainTest(const ast::Expr* e) {
  using ast::NodeKind;
  switch (e->kind) {
    case NodeKind::Literal:
    case NodeKind::ColumnRef:
    case NodeKind::Variable:
    case NodeKind::HostParameter:
      return true;
    case NodeKind::Unary:
      return plainTest(ast::nodeCast<ast::UnaryExpr>(*e).operand.get());
    case NodeKind::IsNull:
      return plainTest(ast::nodeCast<ast::IsNullExpr>(*e).operand.get());
    case NodeKind::Binary: {
      const auto& b = ast::nodeCast<ast::BinaryExpr>(*e);
      return plainTest(b.lhs.get()) && plainTest(b.rhs.get());
    }
    default:
      return false;
  }
}

// Every column `e` reads is named with one of the two tables (no name left for the
// database to resolve differently once t2 sits in a subquery of its own).
bool readsOnlyQualified(const ast::Expr& e, const std::vector<std::string>& inner) {
  std::vector<const ast::ColumnRefExpr*> refs;
  if (!plainTest(&e) || !collectColumns(e, refs)) return false;
  for (const auto* r : refs)
    if (r->parts.size() != 2 || (toLower(r->parts[0]) != inner[0] && toLower(r->parts[0]) != inner[1]))
      return false;
  return true;
}

const ast::ColumnRefExpr* columnOf(const ast::Expr* e, const std::string& table) {
  const auto* c = ast::nodeAs<ast::ColumnRefExpr>(e);
  return c != nullptr && c->parts.size() == 2 && toLower(c->parts[0]) == table ? c : nullptr;
}

// A conjunct `t2.col <cmp> constant`: false or unknown for t2's NULL row.
bool rejectsNullRow(const ast::Expr& where, const std::string& second) {
  std::vector<const ast::Expr*> parts;
  conjuncts(where, parts);
  for (const ast::Expr* p : parts) {
    const auto* b = ast::nodeAs<ast::BinaryExpr>(p);
    if (b == nullptr || !comparison(b->op)) continue;
    for (auto [col, other] : {std::pair{b->lhs.get(), b->rhs.get()}, std::pair{b->rhs.get(), b->lhs.get()}}) {
      const auto* lit = ast::nodeAs<ast::LiteralExpr>(other);
      if (columnOf(col, second) && lit && lit->literalKind != ast::LiteralKind::Null) return true;
    }
  }
  return false;
}

const ast::DataType* typeIn(const std::vector<catalog::ColumnInfo>* cols, const std::string& name) {
  if (cols != nullptr)
    for (const auto& c : *cols)
      if (toLower(c.name) == toLower(name)) return &c.type;
  return nullptr;
}

// Equal under `=` exactly when equal in a unique index: both integers of one width, or
// both text of one kind (every text column carries the case-blind collation).
bool sameKeyType(const ast::DataType* a, const ast::DataType* b) {
  using ast::TypeKind;
  if (a == nullptr || b == nullptr || a->kind != b->kind) return false;
  if (a->kind == TypeKind::Int || a->kind == TypeKind::BigInt) return true;
  return a->isText() && a->fixed == b->fixed && a->guid == b->guid && a->binary == b->binary &&
         a->time == b->time && a->offset == b->offset;
}

// Which of the two tables `e` reads: bit 1 the first, bit 2 the second.
unsigned tablesRead(const ast::Expr& e, const std::vector<std::string>& names) {
  std::vector<const ast::ColumnRefExpr*> refs;
  collectColumns(e, refs);
  unsigned read = 0;
  for (const auto* r : refs) read |= toLower(r->parts[0]) == names[0] ? 1u : 2u;
  return read;
}

bool plainText(const ast::DataType& t) {
  return t.isText() && !t.fixed && !t.guid && !t.binary && !t.time && !t.offset;
}

// A value compared with a key column as the column is with its partner: an integer of
// the column's width, or text with text.
bool sameValueKind(const ast::DataType* column, const ast::DataType& value) {
  if (column == nullptr) return false;
  if (column->kind == ast::TypeKind::Int || column->kind == ast::TypeKind::BigInt) return value.kind == column->kind;
  return plainText(*column) && plainText(value);
}

// A column SQLite compares as an integer whichever side of `=` it stands on.
bool integerKey(ast::TypeKind k) { return k == ast::TypeKind::Int || k == ast::TypeKind::BigInt; }

}  // namespace

// The derived table's tests sorted by the table they read: t1's go to the outer ON,
// t2's (and those of neither) into the EXISTS, each equated pair as t2's column equal
// to the value the WHERE fixes t1's to.
struct SqlTranslator::ExistsSplit {
  std::vector<const ast::Expr*> firstTests;
  std::vector<const ast::Expr*> secondTests;
  std::vector<std::pair<const ast::ColumnRefExpr*, const ast::Expr*>> keys;  //!< t2 column, value
};

bool SqlTranslator::canJoinWithExists(const ast::JoinedTableRef& j, const std::vector<ast::TableRefPtr>& from) {
  ExistsSplit split;
  return splitExistsJoin(j, from, split);
}

bool SqlTranslator::splitExistsJoin(const ast::JoinedTableRef& j, const std::vector<ast::TableRefPtr>& from,
                                    ExistsSplit& split) {
  const auto* d = ast::nodeAs<ast::DerivedTableRef>(j.right.get());
  if (j.type != ast::JoinType::Left || d == nullptr || !j.on || d->query->cores.size() != 1 ||
      !d->query->orderBy.empty() || d->query->offset || d->query->fetch)
    return false;
  const ast::SelectCore& c = d->query->cores[0];
  if (c.distinct || c.top || !c.groupBy.empty() || c.having || c.from.size() != 1 || !c.where) return false;
  const auto* inner = ast::nodeAs<ast::JoinedTableRef>(c.from[0].get());
  if (inner == nullptr || !inner->on || (inner->type != ast::JoinType::Inner && inner->type != ast::JoinType::Left))
    return false;
  const auto* first = ast::nodeAs<ast::NamedTableRef>(inner->left.get());
  const auto* second = ast::nodeAs<ast::NamedTableRef>(inner->right.get());
  if (first == nullptr || second == nullptr || first->isVariable() || second->isVariable() || findCte(*first) ||
      findCte(*second))
    return false;
  std::vector<const ast::NamedTableRef*> tables{first, second};
  std::vector<std::string> names;
  std::vector<int> owner;
  if (!innerNamesFree(tables, from, names) || !itemOwners(c, tables, names, owner)) return false;
  for (int o : owner)
    if (o != 0) return false;  // t2 is not joined in the outer query
  if (!onReadsFirstTable(*j.on, *d, owner) || !readsOnlyQualified(*inner->on, names) ||
      !readsOnlyQualified(*c.where, names))
    return false;
  if (inner->type == ast::JoinType::Left && !rejectsNullRow(*c.where, names[1])) return false;
  return splitTests(*inner, *c.where, names, split);
}

bool SqlTranslator::splitTests(const ast::JoinedTableRef& inner, const ast::Expr& where,
                               const std::vector<std::string>& names, ExistsSplit& split) {
  const auto* firstCols = env_.columns(tableSqlName(ast::nodeCast<ast::NamedTableRef>(*inner.left).name));
  const std::string second = tableSqlName(ast::nodeCast<ast::NamedTableRef>(*inner.right).name);
  const auto* secondCols = env_.columns(second);
  std::vector<const ast::Expr*> onParts, whereParts;
  conjuncts(*inner.on, onParts);
  conjuncts(where, whereParts);
  std::vector<std::pair<std::string, const ast::ColumnRefExpr*>> pairs;  // t1 column, t2 column
  for (const ast::Expr* p : onParts) {
    const unsigned read = tablesRead(*p, names);
    if (read != 3) {
      (read == 1 ? split.firstTests : split.secondTests).push_back(p);
      continue;
    }
    const auto* b = ast::nodeAs<ast::BinaryExpr>(p);
    if (b == nullptr || b->op != ast::BinaryOp::Eq) return false;
    const bool secondLeft = columnOf(b->lhs.get(), names[1]) != nullptr;
    const auto* mine = columnOf(secondLeft ? b->lhs.get() : b->rhs.get(), names[1]);
    const auto* theirs = columnOf(secondLeft ? b->rhs.get() : b->lhs.get(), names[0]);
    if (!mine || !theirs || !sameKeyType(typeIn(secondCols, mine->column()), typeIn(firstCols, theirs->column())))
      return false;
    pairs.emplace_back(toLower(theirs->column()), mine);
  }
  std::vector<std::string> equated;
  for (const auto& [firstColumn, secondColumn] : pairs) {
    const ast::Expr* value = fixedValue(whereParts, names[0], firstColumn, typeIn(firstCols, firstColumn));
    if (value == nullptr) return false;
    split.keys.emplace_back(secondColumn, value);
    equated.push_back(toLower(secondColumn->column()));
  }
  for (const ast::Expr* p : whereParts) {
    const unsigned read = tablesRead(*p, names);
    if (read == 3) return false;  // a test of both tables together
    (read == 1 ? split.firstTests : split.secondTests).push_back(p);
  }
  return !equated.empty() && env_.uniqueOn(second, equated);
}

// The variable or constant of a WHERE conjunct `first.column = value`, of the column's
// own kind of type (the three equalities then mean one relation); nullptr when none.
const ast::Expr* SqlTranslator::fixedValue(const std::vector<const ast::Expr*>& whereParts, const std::string& first,
                                           const std::string& column, const ast::DataType* type) {
  for (const ast::Expr* p : whereParts) {
    const auto* b = ast::nodeAs<ast::BinaryExpr>(p);
    if (b == nullptr || b->op != ast::BinaryOp::Eq) continue;
    for (auto [col, value] : {std::pair{b->lhs.get(), b->rhs.get()}, std::pair{b->rhs.get(), b->lhs.get()}}) {
      const auto* c = columnOf(col, first);
      const bool constant = value->kind == ast::NodeKind::Variable || value->kind == ast::NodeKind::Literal;
      if (c == nullptr || toLower(c->column()) != column || !constant) continue;
      if (sameValueKind(type, typeOf(*value))) return value;
    }
  }
  return nullptr;
}

// The outer ON's `alias.column = other.column` whose derived column is an integer column
// the first table is unique on (what SQLite seeks its rows by) and whose other column is
// an integer of the outer query: the conjunct, the derived side in `mine`; nullptr when none.
const ast::Expr* SqlTranslator::seekKey(const std::vector<const ast::Expr*>& onParts, const ast::DerivedTableRef& d,
                                        const ast::NamedTableRef& first, const ast::ColumnRefExpr*& mine) {
  const std::string table = tableSqlName(first.name);
  const std::string alias = toLower(d.alias);
  for (const ast::Expr* p : onParts) {
    const auto* b = ast::nodeAs<ast::BinaryExpr>(p);
    if (b == nullptr || b->op != ast::BinaryOp::Eq) continue;
    const auto* l = ast::nodeAs<ast::ColumnRefExpr>(b->lhs.get());
    const auto* r = ast::nodeAs<ast::ColumnRefExpr>(b->rhs.get());
    if (l == nullptr || r == nullptr || l->parts.size() != 2 || r->parts.size() != 2) continue;
    if ((toLower(l->parts[0]) == alias) == (toLower(r->parts[0]) == alias)) continue;
    mine = toLower(l->parts[0]) == alias ? l : r;
    const ast::ColumnRefExpr* theirs = mine == l ? r : l;
    const ast::ColumnRefExpr* column = nullptr;  // the first table's column behind `mine`
    for (const auto& item : d.query->cores[0].items) {
      const auto& c = ast::nodeCast<ast::ColumnRefExpr>(*item.expr);
      if (toLower(item.alias.empty() ? c.column() : item.alias) == toLower(mine->column())) column = &c;
    }
    const ast::DataType* type = column ? typeIn(env_.columns(table), column->column()) : nullptr;
    const ast::TypeKind other = typeOf(*theirs).kind;
    if (type && integerKey(type->kind) && integerKey(other) && env_.uniqueOn(table, {toLower(column->column())}))
      return p;
  }
  return nullptr;
}

void SqlTranslator::emitExistsJoin(const ast::JoinedTableRef& j, Scope& scope) {
  ExistsSplit split;
  splitExistsJoin(j, *currentFrom_, split);
  qualifyColumns_ = true;
  emitTableRef(*j.left, scope);
  out_ += " LEFT JOIN ";
  const auto& d = ast::nodeCast<ast::DerivedTableRef>(*j.right);
  const ast::SelectCore& c = d.query->cores[0];
  const auto& inner = ast::nodeCast<ast::JoinedTableRef>(*c.from[0]);
  auto rows = std::make_shared<Scope>();  // t1, seen as the derived table's columns
  rows->outer = scope.outer;
  emitTableRef(*inner.left, *rows);
  const std::size_t flatIndex = scope.sources.size();
  scope.sources.push_back(flattenedSource(d.alias, c, rows));
  Scope* saved = scope_;
  scope_ = &scope;
  const bool matched = emitExistsOn(j, inner, split, scope);
  scope_ = rows.get();
  emitTests(split.firstTests, " AND ");
  if (!matched) {
    out_ += " AND ";
    emitMatchExists(inner, split, scope);
  }
  for (std::size_t i = 0; i < c.items.size(); ++i) scope.sources[flatIndex].columns[i].type = typeOf(*c.items[i].expr);
  scope_ = saved;
}

// The outer ON, with the header test written into the seek key where there is one,
//   t1.id = CASE WHEN EXISTS (...) THEN main.id END
// so that a failing test gives a NULL key and no line is sought: SQLite tests a LEFT
// JOIN's other ON terms only after the joined row's seek. Integers on both sides: the
// comparison then takes no collation and no affinity from which side a column stands on.
// False when there is no such key and the EXISTS is still to be written.
bool SqlTranslator::emitExistsOn(const ast::JoinedTableRef& j, const ast::JoinedTableRef& inner,
                                 const ExistsSplit& split, const Scope& scope) {
  const auto& d = ast::nodeCast<ast::DerivedTableRef>(*j.right);
  std::vector<const ast::Expr*> onParts;
  conjuncts(*j.on, onParts);
  const ast::ColumnRefExpr* mine = nullptr;
  const ast::Expr* key = seekKey(onParts, d, ast::nodeCast<ast::NamedTableRef>(*inner.left), mine);
  out_ += " ON (";
  if (key == nullptr) {
    emit(*j.on);
    out_ += ")";
    return false;
  }
  const auto& b = ast::nodeCast<ast::BinaryExpr>(*key);
  emit(*mine);
  out_ += " = CASE WHEN ";
  emitMatchExists(inner, split, scope);
  out_ += " THEN ";
  emit(b.lhs.get() == mine ? *b.rhs : *b.lhs);
  out_ += " END)";
  std::erase(onParts, key);
  emitTests(onParts, " AND ");
  return true;
}

// EXISTS (SELECT 1 FROM t2 WHERE <t2's keys equal the values the WHERE fixes> AND <t2's tests>).
void SqlTranslator::emitMatchExists(const ast::JoinedTableRef& inner, const ExistsSplit& split, const Scope& scope) {
  Scope* saved = scope_;
  out_ += "EXISTS (SELECT 1 FROM ";
  Scope match;  // t2 alone: the EXISTS reads nothing of the row
  match.outer = scope.outer;
  emitTableRef(*inner.right, match);
  scope_ = &match;
  // integers or text (splitTests): no long decimals
  for (std::size_t i = 0; i < split.keys.size(); ++i) {
    out_ += i == 0 ? " WHERE " : " AND ";
    emitComparison(*split.keys[i].first, ast::BinaryOp::Eq, *split.keys[i].second);
  }
  emitTests(split.secondTests, " AND ");
  out_ += ")";
  scope_ = saved;
}

// Each test in parentheses, the first after `lead`, the others after AND.
void SqlTranslator::emitTests(const std::vector<const ast::Expr*>& tests, const char* lead) {
  for (std::size_t i = 0; i < tests.size(); ++i) {
    out_ += i == 0 ? lead : " AND ";
    out_ += '(';
    emit(*tests[i]);
    out_ += ')';
  }
}

}  // namespace tsql::translate
