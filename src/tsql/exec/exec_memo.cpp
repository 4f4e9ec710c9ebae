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

// Literal slots of a shared INSERT translation take this statement's literals.
void pointAtLiterals(translate::Translation& t, const std::vector<std::size_t>& valueOfSlot,
                     const ast::InsertStmt& s) {
  const auto& values = s.rows[0];
  for (std::size_t k = 0; k < valueOfSlot.size(); ++k) {
    translate::Slot& slot = t.slots[k];
    if (slot.kind == translate::Slot::Kind::Literal)
      slot.literal = &ast::nodeCast<ast::LiteralExpr>(*values[valueOfSlot[k]]);
  }
}

}  // namespace

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
  MemoEntry* e = memo_->find(&n);
  if (!e || !stillValid(*e)) {
    MemoEntry fresh = recordTranslation([&](translate::SqlTranslator& tr, MemoEntry& m) {
      m.translation = std::make_shared<translate::Translation>(make(tr));
    });
    e = &memo_->put(&n, std::move(fresh));
  }
  return e->translation;
}

std::shared_ptr<const translate::AssignmentPlan> Interpreter::assignmentPlan(const ast::SelectStmt& s) {
  MemoEntry* e = memo_->find(&s);
  if (!e || !stillValid(*e)) {
    MemoEntry fresh = recordTranslation([&](translate::SqlTranslator& tr, MemoEntry& m) {
      m.assignment = std::make_shared<translate::AssignmentPlan>(tr.assignment(s.query));
    });
    e = &memo_->put(&s, std::move(fresh));
  }
  return e->assignment;
}

// A save batch repeats one INSERT ... VALUES shape hundreds of times with other
// literals. Such a statement's translation does not depend on the literal values
// (they are bound, converted to the column type in C++), so it is made once per
// shape and pointed at each statement's own literals.
MemoEntry Interpreter::insertEntry(const ast::InsertStmt& s) {
  std::string key = insertShapeKey(s);
  auto shared = key.empty() ? insertShapes_.end() : insertShapes_.find(key);
  if (shared != insertShapes_.end() && stillValid(shared->second)) return shared->second;
  MemoEntry entry = recordTranslation([&](translate::SqlTranslator& tr, MemoEntry& m) {
    m.translation = std::make_shared<translate::Translation>(tr.insert(s));
  });
  if (key.empty()) return entry;
  auto valueOfSlot = std::make_shared<std::vector<std::size_t>>();
  for (std::size_t i = 0; i < s.rows[0].size(); ++i)
    if (!isNullLiteral(*s.rows[0][i])) valueOfSlot->push_back(i);
  if (valueOfSlot->size() != entry.translation->slots.size()) return entry;  // not one slot per value
  entry.valueOfSlot = std::move(valueOfSlot);
  insertShapes_[key] = entry;
  return entry;
}

void Interpreter::execInsert(const ast::InsertStmt& s) {
  if (s.exec) return execInsertExec(s);
  MemoEntry* e = memo_->find(&s);
  if (!e || !stillValid(*e)) e = &memo_->put(&s, insertEntry(s));
  std::shared_ptr<translate::Translation> t = e->translation;
  if (e->valueOfSlot) pointAtLiterals(*t, *e->valueOfSlot, s);
  checkIdentityInsert(*t, s);
  if (s.output)
    execOutput(*t, *s.output, line(s), "INSERT");
  else
    execModify(*t, line(s), true,
               s.query || s.defaultValues ? 0 : static_cast<std::int64_t>(s.rows.size()));
  noteIdentityInsert(*t);
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
