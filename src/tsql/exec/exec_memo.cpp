// Translations reused through the TranslationMemo of the running tree: the answers
// the translator got about names are recorded while it runs and asked again before a
// kept translation is reused; a schema change (the generation) retires them all. An
// INSERT ... VALUES is also shared by shape across the rows of a save batch, each
// statement pointing the shared translation at its own literals before it runs.
#include "tsql/exec/interpreter.h"
#include "tsql/translate/sql_translator.h"

namespace tsql::exec {

namespace {

bool isNullLiteral(const ast::Expr& e) {
  const auto* l = ast::nodeAs<ast::LiteralExpr>(&e);
  return l && l->literalKind == ast::LiteralKind::Null;
}

// The shape of a one-row INSERT ... VALUES whose values are all literals, variables
// or caller parameters: everything its translation depends on besides the names the
// memo re-checks. Empty when the statement has another form.
std::string insertShapeKey(const ast::InsertStmt& s) {
  if (s.query || s.defaultValues || s.output || s.exec || s.rows.size() != 1) return {};
  std::string key = s.table;
  for (const auto& c : s.columns) {
    key += '\x1f';
    key += c;
  }
  key += '\x1e';
  for (const auto& v : s.rows[0]) {
    switch (v->kind) {
      case ast::NodeKind::Literal: key += isNullLiteral(*v) ? 'N' : 'L'; break;
      case ast::NodeKind::Variable: key += 'V' + ast::nodeCast<ast::VariableExpr>(*v).name; break;
      case ast::NodeKind::HostParameter: key += 'H' + ast::nodeCast<ast::HostParameterExpr>(*v).name; break;
      default: return {};
    }
    key += '\x1f';
  }
  return key;
}

}  // namespace

// Literal slots of a shared INSERT translation take this statement's literals.
void Interpreter::pointAtLiterals(translate::Translation& t, const std::vector<std::size_t>& valueOfSlot,
                                  const ast::InsertStmt& s) {
  const auto& values = s.rows[0];
  for (std::size_t k = 0; k < valueOfSlot.size(); ++k) {
    translate::Slot& slot = t.slots[k];
    if (slot.kind == translate::Slot::Kind::Literal)
      slot.literal = &ast::nodeCast<ast::LiteralExpr>(*values[valueOfSlot[k]]);
  }
}

MemoEntry Interpreter::recordTranslation(const std::function<void(translate::SqlTranslator&, MemoEntry&)>& make) {
  MemoEntry entry;
  entry.generation = schemaGeneration_;
  std::vector<NameDependency>* outer = recording_;
  recording_ = &entry.names;
  struct Restore {
    std::vector<NameDependency>*& slot;
    std::vector<NameDependency>* saved;
    ~Restore() { slot = saved; }
  } restore{recording_, outer};
  translate::SqlTranslator tr(*this);
  make(tr, entry);
  entry.readsFunctions = !tr.functionsRead().empty();
  entry.functionGeneration = functionGeneration_;
  memoReadsFunctions_ = memoReadsFunctions_ || entry.readsFunctions;
  return entry;
}

bool Interpreter::stillValid(const MemoEntry& e) const {
  if (e.generation != schemaGeneration_) return false;
  if (e.readsFunctions && e.functionGeneration != functionGeneration_) return false;
  for (const auto& d : e.names) {
    using Kind = NameDependency::Kind;
    const Variable* v = d.kind == Kind::HostParameter ? nullptr : findVariable(d.name);
    switch (d.kind) {
      case Kind::Variable:
        if (d.found != (v && v->tempTable.empty()) || (d.found && !(v->type == d.type))) return false;
        break;
      case Kind::TableVariable:
        if (d.found != (v && !v->tempTable.empty()) || (d.found && v->tempTable != d.table)) return false;
        break;
      case Kind::HostParameter:
        if (!(parameterType(d.name) == d.type)) return false;
        break;
    }
  }
  return true;
}

std::shared_ptr<const translate::Translation> Interpreter::translation(
    const ast::Node& n, const std::function<translate::Translation(translate::SqlTranslator&)>& make) {
  KeptTranslation* k = memo_->find(&n);
  if (!k || !stillValid(*k->entry)) {
    auto fresh = std::make_shared<MemoEntry>(recordTranslation([&](translate::SqlTranslator& tr, MemoEntry& m) {
      m.translation = std::make_shared<translate::Translation>(make(tr));
    }));
    k = &memo_->put(&n, std::move(fresh));
  }
  return k->entry->translation;
}

std::shared_ptr<const translate::AssignmentPlan> Interpreter::assignmentPlan(const ast::SelectStmt& s) {
  KeptTranslation* k = memo_->find(&s);
  if (!k || !stillValid(*k->entry)) {
    auto fresh = std::make_shared<MemoEntry>(recordTranslation([&](translate::SqlTranslator& tr, MemoEntry& m) {
      m.assignment = std::make_shared<translate::AssignmentPlan>(tr.assignment(s.query));
    }));
    k = &memo_->put(&s, std::move(fresh));
  }
  return k->entry->assignment;
}

// A save batch repeats one INSERT ... VALUES shape hundreds of times with other
// literals. Such a statement's translation does not depend on the literal values
// (they are bound, converted to the column type in C++), so it is made once per
// shape and pointed at each statement's own literals.
std::shared_ptr<MemoEntry> Interpreter::insertEntry(const ast::InsertStmt& s) {
  std::string key = insertShapeKey(s);
  auto shared = key.empty() ? insertShapes_.end() : insertShapes_.find(key);
  if (shared != insertShapes_.end() && stillValid(*shared->second)) return shared->second;
  auto entry = std::make_shared<MemoEntry>(recordTranslation([&](translate::SqlTranslator& tr, MemoEntry& m) {
    m.translation = std::make_shared<translate::Translation>(tr.insert(s));
  }));
  if (key.empty()) return entry;
  auto valueOfSlot = std::make_shared<std::vector<std::size_t>>();
  for (std::size_t i = 0; i < s.rows[0].size(); ++i)
    if (!isNullLiteral(*s.rows[0][i])) valueOfSlot->push_back(i);
  if (valueOfSlot->size() != entry->translation->slots.size()) return entry;  // not one slot per value
  entry->valueOfSlot = std::move(valueOfSlot);
  insertShapes_[key] = entry;
  return entry;
}

// A kept batch's statement whose literals are bound from the text reads its tree only
// when it is translated again or bound another way: its values are written in first.
// A statement kept under a shared INSERT shape is one VALUES row without OUTPUT or EXEC
// (insertShapeKey): the rest of its node is not read again, where it would miss the cache.
void Interpreter::execInsert(const ast::InsertStmt& s) {
  KeptTranslation* k = memo_->find(&s);
  if ((!k || !k->entry->valueOfSlot) && s.exec) return execInsertExec(s);
  bool inTree = !k || k->firstLifted >= KeptTranslation::kInTree;  // the tree holds this run's values
  if (!k || !stillValid(*k->entry)) {
    if (!inTree) writeLiftedValues(s, k->firstLifted);
    inTree = true;
    k = &memo_->put(&s, insertEntry(s));
  }
  const MemoEntry& e = *k->entry;
  std::shared_ptr<translate::Translation> t = e.translation;
  std::size_t firstLifted = KeptTranslation::kInTree;
  if (e.valueOfSlot) {
    if (k->firstLifted == KeptTranslation::kUnknown) k->firstLifted = bindFromText(s);
    if (k->firstLifted < KeptTranslation::kInTree) firstLifted = k->firstLifted;
    else pointAtLiterals(*t, *e.valueOfSlot, s);
  } else if (!inTree) {
    writeLiftedValues(s, k->firstLifted);
  }
  checkIdentityInsert(*t, s);
  const bool oneRow = e.valueOfSlot != nullptr;
  if (!oneRow && s.output)
    execOutput(*t, *s.output, line(s), "INSERT");
  else
    execModify(*t, line(s), true,
               oneRow ? 1 : (s.query || s.defaultValues ? 0 : static_cast<std::int64_t>(s.rows.size())),
               firstLifted);
  noteIdentityInsert(*t);
}

namespace {

// Where `node` is in the plan's literal nodes; statements first run in text order, so
// the search starts after the last statement's literals.
std::size_t findNode(const LiftedValues& lifted, const ast::LiteralExpr* node) {
  const auto& nodes = *lifted.nodes;
  for (std::size_t i = lifted.searchFrom; i < nodes.size(); ++i)
    if (nodes[i].second == node) return i;
  for (std::size_t i = 0; i < lifted.searchFrom && i < nodes.size(); ++i)
    if (nodes[i].second == node) return i;
  return nodes.size();
}

}  // namespace

// The literals of a VALUES row bound from a kept batch's text: those of the row, in
// order, must be the batch's lifted literals first, first + 1, ... of their kinds.
std::uint32_t Interpreter::bindFromText(const ast::InsertStmt& s) {
  LiftedValues& lifted = memo_->lifted;
  if (!lifted.nodes) return KeptTranslation::kInTree;
  const auto& nodes = *lifted.nodes;
  std::size_t at = nodes.size(), count = 0;
  for (const auto& v : s.rows[0]) {
    const auto* l = ast::nodeAs<ast::LiteralExpr>(v.get());
    if (!l || l->literalKind == ast::LiteralKind::Null) continue;
    if (count == 0) at = findNode(lifted, l);
    const std::size_t i = at + count;
    if (i >= nodes.size() || nodes[i].second != l || nodes[i].first != nodes[at].first + count ||
        nodes[i].first >= lifted.spans.size() || literalKind(lifted.spans[nodes[i].first]) != l->literalKind)
      return KeptTranslation::kInTree;
    ++count;
  }
  if (count == 0) return KeptTranslation::kInTree;
  lifted.searchFrom = at + count;
  const auto first = static_cast<std::uint32_t>(nodes[at].first);
  lifted.newlyBound.emplace_back(first, first + static_cast<std::uint32_t>(count));
  return first;
}

void Interpreter::writeLiftedValues(const ast::InsertStmt& s, std::uint32_t first) {
  const LiftedValues& lifted = memo_->lifted;
  for (const auto& v : s.rows[0]) {
    if (v->kind != ast::NodeKind::Literal || isNullLiteral(*v)) continue;
    assignLiteralValue(ast::nodeCast<ast::LiteralExpr>(*v).text, lifted.text, lifted.spans[first++]);
  }
}

// Another connection may have changed the schema since the last batch. A function's body
// lives in a row, not in the schema: a translation that wrote one inline is made again
// once any other write may have changed it (always on a backend that cannot tell).
void Interpreter::noticeSchemaChanges() {
  if (backend_->schemaChangedElsewhere()) forgetSchema();
  if (!memoReadsFunctions_) return;
  const std::uint64_t stamp = backend_->changeStamp();
  if (stamp != 0 && stamp == functionStamp_) return;
  ++functionGeneration_;
  functionStamp_ = stamp;
}

}  // namespace tsql::exec
