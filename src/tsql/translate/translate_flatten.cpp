// Flattening of a joined derived table. SQLite materialises a subquery on the right
// of a LEFT JOIN when the subquery is itself a join — the whole table, every time —
// so the save batch's performance statement
//   ... from zzry t1 left join (select b1.uid, sl, ... from mx b1 left join xm b2
//       on b1.xm_id = b2.id) t2 on t1.mx_uid = t2.uid where t1.billno = @billno
// would read every order line of the database on every save. When the derived table
// is a plain projection of columns over a chain of LEFT JOINs, and the outer ON
// uses only columns of its first table, joining the chain in directly means the same:
//   t1 LEFT JOIN mx b1 ON t1.mx_uid = b1.uid LEFT JOIN xm b2 ON b1.xm_id = b2.id
// (a t1 row without a b1 match gets NULLs for every t2 column either way). Column
// references are then written qualified, t2's columns as the inner expressions, so
// nothing the derived table hid can make a name ambiguous.
#include "tsql/parser/parser.h"
#include "tsql/translate/sql_translator.h"
#include "tsql/translate/translate_helpers.h"

namespace tsql::translate {

namespace {

// chain := named-table { LEFT JOIN named-table ON expr }   (left-deep)
bool leftChain(const ast::TableRef& t, std::vector<const ast::NamedTableRef*>& tables,
               std::vector<const ast::JoinedTableRef*>& joins) {
  if (const auto* n = ast::nodeAs<ast::NamedTableRef>(&t)) {
    tables.push_back(n);
    return true;
  }
  const auto* j = ast::nodeAs<ast::JoinedTableRef>(&t);
  if (!j || j->type != ast::JoinType::Left || !leftChain(*j->left, tables, joins)) return false;
  const auto* right = ast::nodeAs<ast::NamedTableRef>(j->right.get());
  if (!right) return false;
  tables.push_back(right);
  joins.push_back(j);
  return true;
}

std::string nameOf(const ast::NamedTableRef& n) {
  if (!n.alias.empty()) return toLower(n.alias);
  return n.isVariable() ? n.name : catalog::normalizeObjectName(n.name);
}

void collectNames(const ast::TableRef& t, std::vector<std::string>& out) {
  if (const auto* n = ast::nodeAs<ast::NamedTableRef>(&t)) out.push_back(nameOf(*n));
  else if (const auto* j = ast::nodeAs<ast::JoinedTableRef>(&t)) {
    collectNames(*j->left, out);
    collectNames(*j->right, out);
  } else {
    out.push_back(toLower(t.alias));
  }
}

bool hasColumnNamed(const std::vector<catalog::ColumnInfo>* cols, const std::string& name) {
  if (!cols) return false;
  for (const auto& c : *cols)
    if (toLower(c.name) == toLower(name)) return true;
  return false;
}

}  // namespace

bool collectColumns(const ast::Expr& e, std::vector<const ast::ColumnRefExpr*>& out) {
  const unsigned r = exprReads(&e, [&](const ast::ColumnRefExpr& c) {
    out.push_back(&c);
    return 0u;
  });
  return !(r & (kReadsOpaque | kReadsWindow));
}

bool SqlTranslator::canFlatten(const ast::JoinedTableRef& j, const std::vector<ast::TableRefPtr>& from) {
  if (j.type != ast::JoinType::Left && j.type != ast::JoinType::Inner) return false;
  const auto* d = ast::nodeAs<ast::DerivedTableRef>(j.right.get());
  if (!d || !j.on || d->query->cores.size() != 1 || !d->query->orderBy.empty()) return false;
  const ast::SelectCore& c = d->query->cores[0];
  if (c.distinct || c.top || c.where || !c.groupBy.empty() || c.having || c.from.size() != 1) return false;
  std::vector<const ast::NamedTableRef*> tables;
  std::vector<const ast::JoinedTableRef*> joins;
  if (!leftChain(*c.from[0], tables, joins)) return false;
  std::vector<std::string> inner;
  std::vector<int> owner;
  return innerNamesFree(tables, from, inner) && itemOwners(c, tables, inner, owner) &&
         onReadsFirstTable(*j.on, *d, owner);
}

// The inner tables' names, none of which may meet a name of the outer query.
bool SqlTranslator::innerNamesFree(const std::vector<const ast::NamedTableRef*>& tables,
                                   const std::vector<ast::TableRefPtr>& from, std::vector<std::string>& inner) const {
  std::vector<std::string> outer;
  for (const auto& t : from) collectNames(*t, outer);
  for (const Scope* s = scope_; s; s = s->outer)
    for (const auto& src : s->sources) outer.push_back(src.alias);
  for (const auto* t : tables) {
    if (t->isVariable() && !env_.tableVariable(t->name)) return false;
    inner.push_back(nameOf(*t));
    for (const auto& o : outer)
      if (o == inner.back()) return false;
  }
  return true;
}

// Items are plain columns, each found in exactly one inner table (when unqualified);
// owner[i] is the index of item i's table.
bool SqlTranslator::itemOwners(const ast::SelectCore& c, const std::vector<const ast::NamedTableRef*>& tables,
                               const std::vector<std::string>& inner, std::vector<int>& owner) {
  std::vector<const std::vector<catalog::ColumnInfo>*> cols;
  for (const auto* t : tables) cols.push_back(env_.columns(tableSqlName(t->name)));
  for (const auto& item : c.items) {
    const auto* col = ast::nodeAs<ast::ColumnRefExpr>(item.expr.get());
    if (item.star || !col || col->parts.size() > 2) return false;
    int found = -1;
    for (std::size_t i = 0; i < tables.size(); ++i) {
      bool match = col->parts.size() == 2 ? toLower(col->parts[0]) == inner[i] && hasColumnNamed(cols[i], col->column())
                                          : hasColumnNamed(cols[i], col->column());
      if (!match) continue;
      if (found >= 0) return false;  // ambiguous
      found = static_cast<int>(i);
    }
    if (found < 0) return false;
    owner.push_back(found);
  }
  return true;
}

// The outer ON may read the derived table only through columns of its first table.
bool SqlTranslator::onReadsFirstTable(const ast::Expr& on, const ast::DerivedTableRef& d, const std::vector<int>& owner) {
  const ast::SelectCore& c = d.query->cores[0];
  std::vector<const ast::ColumnRefExpr*> onColumns;
  if (!collectColumns(on, onColumns)) return false;
  std::string alias = toLower(d.alias);
  for (const auto* ref : onColumns) {
    if (ref->parts.size() != 2) return false;  // unqualified: cannot tell whose
    if (toLower(ref->parts[0]) != alias) continue;
    bool ok = false;
    for (std::size_t i = 0; i < c.items.size(); ++i) {
      std::string name = c.items[i].alias.empty() ? ast::nodeCast<ast::ColumnRefExpr>(*c.items[i].expr).column()
                                                  : c.items[i].alias;
      if (toLower(name) == toLower(ref->column())) ok = owner[i] == 0;
    }
    if (!ok) return false;
  }
  return true;
}

void SqlTranslator::emitFlattenedJoin(const ast::JoinedTableRef& j, Scope& scope) {
  qualifyColumns_ = true;
  emitTableRef(*j.left, scope);
  out_ += j.type == ast::JoinType::Left ? " LEFT JOIN " : " INNER JOIN ";
  const auto& d = ast::nodeCast<ast::DerivedTableRef>(*j.right);
  const ast::SelectCore& c = d.query->cores[0];
  std::vector<const ast::NamedTableRef*> tables;
  std::vector<const ast::JoinedTableRef*> joins;
  leftChain(*c.from[0], tables, joins);
  auto inner = std::make_shared<Scope>();
  inner->outer = scope.outer;
  emitTableRef(*tables[0], *inner);
  const std::size_t flatIndex = scope.sources.size();
  scope.sources.push_back(flattenedSource(d.alias, c, inner));
  Scope* saved = scope_;
  scope_ = &scope;
  out_ += " ON ";
  emit(*j.on);
  scope_ = inner.get();
  for (std::size_t k = 0; k < joins.size(); ++k) {
    out_ += " LEFT JOIN ";
    emitTableRef(*tables[k + 1], *inner);
    out_ += " ON ";
    emit(*joins[k]->on);
  }
  for (std::size_t i = 0; i < c.items.size(); ++i) scope.sources[flatIndex].columns[i].type = typeOf(*c.items[i].expr);
  scope_ = saved;
}

bool SqlTranslator::resolveColumn(const ast::ColumnRefExpr& c, const Source*& source, std::size_t& index,
                                  const Scope** owner) const {
  if (c.parts.size() > 2) return false;
  std::string q = c.parts.size() == 2 ? toLower(c.parts[0]) : std::string();
  std::string name = toLower(c.column());
  for (const Scope* s = scope_; s; s = s->outer) {
    for (const auto& src : s->sources) {
      if (!q.empty() && src.alias != q) continue;
      for (std::size_t i = 0; i < src.columns.size(); ++i) {
        if (toLower(src.columns[i].name) == name) {
          source = &src;
          index = i;
          if (owner) *owner = s;
          return true;
        }
      }
      if (!q.empty()) return false;  // the qualifier's table lacks it: leave as written
    }
  }
  return false;
}

// A derived table's column that an expression fills, or a computed column, holds the
// text as computed: only a column read as it was stored has had its blanks taken off.
bool SqlTranslator::storedColumn(const ast::Expr& e) const {
  const auto* c = ast::nodeAs<ast::ColumnRefExpr>(&e);
  if (!c) return false;
  const Source* source = nullptr;
  std::size_t index = 0;
  return !resolveColumn(*c, source, index) || !source->columns[index].computed;
}

}  // namespace tsql::translate
