// Computed columns that every read computes (GETDATE, NEWID, RAND ... not PERSISTED): the
// table holds no value for them, so wherever a statement reads one its expression is
// written in its place, over the same row. That happens where a column name is resolved
// (emitColumnRef) and where `*` lists a table's columns, so every kind of read (SELECT,
// joins, views, cursors, OUTPUT, MERGE, INSERT ... SELECT, SELECT ... INTO) gets it alike.
#include "tsql/parser/parser.h"
#include "tsql/translate/sql_translator.h"

namespace tsql::translate {

namespace {

bool datePartFunction(const std::string& n) {
  return n == "dateadd" || n == "datediff" || n == "datediff_big" || n == "datepart" || n == "datename" ||
         n == "datetrunc";
}

// Names each column the expression reads by `qualifier`, the name the statement reads the
// table by. A computed column reads no subquery, so the nodes below are all it can hold.
void qualify(ast::Expr* e, const std::string& qualifier) {
  using ast::NodeKind;
  if (!e) return;
  switch (e->kind) {
    case NodeKind::ColumnRef: {
      auto& c = ast::nodeCast<ast::ColumnRefExpr>(*e);
      if (c.parts.size() == 1) c.parts.insert(c.parts.begin(), qualifier);
      return;
    }
    case NodeKind::Unary: return qualify(ast::nodeCast<ast::UnaryExpr>(*e).operand.get(), qualifier);
    case NodeKind::Binary: {
      auto& b = ast::nodeCast<ast::BinaryExpr>(*e);
      qualify(b.lhs.get(), qualifier);
      return qualify(b.rhs.get(), qualifier);
    }
    case NodeKind::FunctionCall: {
      auto& f = ast::nodeCast<ast::FunctionCallExpr>(*e);
      // DATEADD(day, ...): the date part is a bare name, no column
      for (std::size_t i = datePartFunction(f.name) ? 1 : 0; i < f.args.size(); ++i) qualify(f.args[i].get(), qualifier);
      return;
    }
    case NodeKind::Cast: {
      auto& c = ast::nodeCast<ast::CastExpr>(*e);
      qualify(c.operand.get(), qualifier);
      return qualify(c.style.get(), qualifier);
    }
    case NodeKind::Case: {
      auto& c = ast::nodeCast<ast::CaseExpr>(*e);
      qualify(c.operand.get(), qualifier);
      for (auto& w : c.whens) {
        qualify(w.when.get(), qualifier);
        qualify(w.then.get(), qualifier);
      }
      return qualify(c.elseExpr.get(), qualifier);
    }
    case NodeKind::In: {
      auto& in = ast::nodeCast<ast::InExpr>(*e);
      qualify(in.operand.get(), qualifier);
      for (auto& x : in.list) qualify(x.get(), qualifier);
      return;
    }
    case NodeKind::Between: {
      auto& b = ast::nodeCast<ast::BetweenExpr>(*e);
      for (ast::Expr* x : {b.operand.get(), b.low.get(), b.high.get()}) qualify(x, qualifier);
      return;
    }
    case NodeKind::Like: {
      auto& l = ast::nodeCast<ast::LikeExpr>(*e);
      for (ast::Expr* x : {l.operand.get(), l.pattern.get(), l.escape.get()}) qualify(x, qualifier);
      return;
    }
    case NodeKind::IsNull: return qualify(ast::nodeCast<ast::IsNullExpr>(*e).operand.get(), qualifier);
    default: return;
  }
}

}  // namespace

const ast::Expr& TranslateEnv::computedOnRead(const std::string& expression, const std::string& qualifier) {
  std::string key = qualifier + '\n' + expression;
  auto it = computedOnRead_.find(key);
  if (it != computedOnRead_.end()) return *it->second;
  ast::ExprPtr e = Parser::parseExpression(expression);
  qualify(e.get(), qualifier);
  return *computedOnRead_.emplace(std::move(key), std::move(e)).first->second;
}

bool SqlTranslator::isComputedOnRead(const ast::ColumnRefExpr& c, const Source*& source, std::size_t& index) const {
  return resolveColumn(c, source, index) && !source->inner && !source->columns[index].expression.empty();
}

bool SqlTranslator::emitComputedOnRead(const ast::ColumnRefExpr& c) {
  const Source* source = nullptr;
  std::size_t index = 0;
  if (!isComputedOnRead(c, source, index)) return false;
  emitComputedOnRead(*source, index);
  return true;
}

void SqlTranslator::emitComputedOnRead(const Source& source, std::size_t index) {
  out_ += '(';
  emit(env_.computedOnRead(source.columns[index].expression, source.alias));
  out_ += ')';
}

bool SqlTranslator::readsComputedOnRead(const Source& source) {
  for (const auto& c : source.columns)
    if (!c.expression.empty()) return true;
  return false;
}

}  // namespace tsql::translate
