// Batches that each only call one procedure whose body is one query (a bill asks a
// look-up per line: the book stock of each goods item), run as one statement of that
// query over all their argument lists (SqlTranslator::queryForEachCall) instead of a
// batch, a call and a statement per line. Each batch still gets the result set it gets
// alone: its arguments are matched, defaulted and converted as EXEC does, and the
// columns are described as the body's own statement describes them. Anything else (a
// batch of another form, a body that does more, an argument or statement that fails)
// is left to run batch by batch, which then reports what went wrong where.
#include <algorithm>

#include "core/strings.h"
#include "tsql/exec/interpreter.h"
#include "tsql/parser/parser.h"
#include "tsql/translate/sql_translator.h"

namespace tsql::exec {

namespace {

// The batch's one statement when it is EXEC of a procedure with no OUTPUT argument
// and no return code kept.
const ast::ExecStmt* procedureCall(const ast::Batch& b) {
  if (b.statements.size() != 1) return nullptr;
  const auto* call = ast::nodeAs<ast::ExecStmt>(b.statements[0].get());
  if (!call || !call->returnVar.empty()) return nullptr;
  for (const auto& arg : call->args)
    if (arg.output) return nullptr;
  return call;
}

// The procedures the interpreter runs itself, whatever the database holds.
bool ownProcedure(const std::string& name) {
  for (const char* own : {"sp_executesql", "sp_addmessage", "sp_dropmessage"})
    if (core::sameText(name, own)) return true;
  return false;
}

// The body's one query, SET NOCOUNT aside: a SELECT that gives its rows back, with no
// INTO, assignment, TOP, ORDER BY or FOR JSON (whose rows or order are per call).
const ast::SelectStmt* bodyQuery(const ast::StmtList& body) {
  const ast::SelectStmt* found = nullptr;
  for (const auto& s : body) {
    const auto* set = ast::nodeAs<ast::SetOptionStmt>(s.get());
    if (set && set->option == "nocount") continue;
    const auto* block = ast::nodeAs<ast::BlockStmt>(s.get());
    const ast::SelectStmt* select = block ? bodyQuery(block->body) : ast::nodeAs<ast::SelectStmt>(s.get());
    if (!select || found) return nullptr;
    found = select;
  }
  if (!found) return nullptr;
  const ast::Query& q = found->query;
  if (!q.orderBy.empty() || q.offset || q.forJson) return nullptr;
  for (const auto& core : q.cores) {
    if (!core.into.empty() || core.top) return nullptr;
    for (const auto& item : core.items)
      if (!item.assignTo.empty()) return nullptr;
  }
  return found;
}

// The server reads a column of the rows' VALUES as the type of its values, where it
// reads a marker as the type its place asks for: alike for whole numbers and text only,
// and a NULL there would have no type at all.
bool readAlike(const std::vector<std::vector<SqlValue>>& calls) {
  for (const auto& call : calls)
    for (const SqlValue& v : call)
      if (v.type != SqlValue::Type::Integer && v.type != SqlValue::Type::Text) return false;
  return true;
}

}  // namespace

std::optional<std::vector<BatchResult>> Interpreter::runTogether(const std::vector<std::string>& texts,
                                                                 const Params& params) {
  if (texts.size() < 2 || unitOpen_) return std::nullopt;
  // An armed fault counts the statement that reads for all the batches; firing there, it
  // is put back and fires on the batches run one by one, as it would without this.
  StatementFault* armed = armedStatementFault();
  fault_ = armed && (!armed->selects || armed->selects(texts.front())) ? armed : nullptr;
  BatchResult scratch;
  runtime::ScopedDateSettings dates(dateSettings_);
  Frame top;
  startAttempt(top, params, scratch);
  const SessionState before = sessionState();
  std::optional<std::vector<BatchResult>> results;
  try {
    noticeSchemaChanges();
    results = runCallsTogether(texts);
  } catch (const RunBatchAgain&) {
    forgetSchema();
  } catch (const std::exception&) {  // refused or failed: each batch runs alone and says why
  }
  if (!results || !scratch.ok()) {
    results.reset();
    restoreSession(before);
  }
  endAttempt(top);
  fault_ = nullptr;
  return results;
}

std::optional<std::vector<BatchResult>> Interpreter::runCallsTogether(const std::vector<std::string>& texts) {
  std::shared_ptr<ast::Batch> body;  // the procedure's tree, alive whatever loads next
  const ast::CreateProcedureStmt* procedure = nullptr;
  const ast::SelectStmt* query = nullptr;
  std::string name;
  std::vector<std::vector<SqlValue>> calls;
  calls.reserve(texts.size());
  std::shared_ptr<BatchPlan> matched;  // the tree whose arguments `args` points into
  std::vector<const ast::ExecArg*> args;
  for (const std::string& text : texts) {
    // A kept batch shape takes each text's literals in turn: its values are read at once.
    std::shared_ptr<BatchPlan> plan = plans_.plan(text);
    const ast::ExecStmt* call = procedureCall(plan->batch);
    if (!call || (procedure && call->procedure != name && !core::sameText(call->procedure, name)))
      return std::nullopt;
    if (!procedure) {
      const Procedure* proc = ownProcedure(call->procedure) ? nullptr : loadProcedure(call->procedure);
      if (!proc || !(query = bodyQuery(proc->stmt->body))) return std::nullopt;
      body = proc->batch;
      procedure = proc->stmt;
      name = call->procedure;
    }
    memo_ = &plan->memo;
    if (plan != matched) {  // the texts of one kept shape name their arguments alike
      args = matchArguments(*call, *procedure);
      matched = plan;
    }
    calls.push_back(parameterValues(*call, *procedure, args));
  }
  if (backend_->dialect().lateralJoins && !readAlike(calls)) return std::nullopt;
  std::vector<std::string> parameters;
  Frame callee;  // the parameters, for the translator to ask their types
  callee.depth = 1;
  for (std::size_t i = 0; i < procedure->params.size(); ++i) {
    const ast::ProcParam& p = procedure->params[i];
    parameters.push_back(p.name);
    callee.vars[p.name] = Variable{p.type, calls.front()[i], {}, {}, nullptr};
  }
  frames_.push_back(&callee);
  std::vector<ResultSet> sets(calls.size());
  const bool read = readCallsTogether(body, *query, parameters, calls, sets);
  frames_.pop_back();
  if (!read) return std::nullopt;
  std::vector<BatchResult> results(calls.size());
  for (std::size_t i = 0; i < sets.size(); ++i) {
    typeUnknownColumns(sets[i]);
    results[i].resultSets.push_back(std::move(sets[i]));
  }
  rowCount_ = static_cast<std::int64_t>(results.back().resultSets.back().rows.size());
  lastError_ = 0;
  return results;
}

std::shared_ptr<const translate::Translation> Interpreter::togetherTranslation(
    const std::shared_ptr<ast::Batch>& body, const ast::SelectStmt& query, const std::vector<std::string>& parameters,
    std::size_t calls) {
  constexpr std::size_t kKept = 4;
  auto kept = std::find_if(together_.begin(), together_.end(), [&](const KeptTogether& k) {
    return k.query == &query && k.body == body && k.calls == calls;
  });
  if (kept != together_.end() && stillValid(*kept->entry)) return kept->entry->translation;
  auto entry = std::make_shared<MemoEntry>(recordTranslation([&](translate::SqlTranslator& tr, MemoEntry& m) {
    if (calls == 0) {
      m.translation = std::make_shared<translate::Translation>(tr.query(query.query));
    } else if (std::optional<translate::Translation> t = tr.queryForEachCall(query.query, parameters, calls)) {
      m.translation = std::make_shared<translate::Translation>(std::move(*t));
    }
  }));
  if (kept == together_.end()) {
    if (together_.size() == kKept) together_.erase(together_.begin());
    kept = together_.insert(together_.end(), KeptTogether{body, &query, calls, nullptr});
  }
  kept->entry = std::move(entry);
  return kept->entry->translation;
}

bool Interpreter::readCallsTogether(const std::shared_ptr<ast::Batch>& body, const ast::SelectStmt& query,
                                    const std::vector<std::string>& parameters,
                                    const std::vector<std::vector<SqlValue>>& calls, std::vector<ResultSet>& sets) {
  const bool lateral = backend_->dialect().lateralJoins;
  const bool markersFirst = translate::SqlTranslator::rowMarkersFirst(backend_->dialect());
  std::vector<Column> columns;
  std::vector<ast::DataType> types;
  if (!lateral) {  // the file names and types the columns when the body's statement is prepared
    const std::shared_ptr<const translate::Translation> alone = togetherTranslation(body, query, parameters, 0);
    types = describeColumns(*prepare(*alone), *alone, 0, columns);
  }
  const std::size_t per = translate::SqlTranslator::callsPerStatement(parameters.size());
  for (std::size_t first = 0; first < calls.size(); first += per) {
    const std::size_t count = std::min(per, calls.size() - first);
    const std::shared_ptr<const translate::Translation> t = togetherTranslation(body, query, parameters, count);
    if (!t) return false;
    for (const translate::Slot& slot : t->slots)
      if (slot.kind != translate::Slot::Kind::Literal) return false;  // @@ROWCOUNT and the like are per call
    if (fault_) countFaultableStatement(query);
    std::unique_ptr<Cursor> stmt = prepare(*t);
    const int rowMarkers = static_cast<int>(count * (parameters.size() + 1));
    int marker = markersFirst ? 0 : static_cast<int>(t->slots.size());
    int slotMarker = markersFirst ? rowMarkers : 0;
    for (const translate::Slot& slot : t->slots) stmt->bind(++slotMarker, boundValue(slot, nullptr));
    for (std::size_t i = first; i < first + count; ++i) {
      stmt->bind(++marker, SqlValue::integer(static_cast<std::int64_t>(i)));
      for (const SqlValue& v : calls[i]) {  // the values stay where they are until the statement is done
        if (v.type == SqlValue::Type::Text)
          stmt->bindStringInPlace(++marker, v.s);
        else
          stmt->bind(++marker, v);
      }
    }
    if (lateral && columns.empty()) types = describeColumns(*stmt, *t, 1, columns);
    if (stmt->columnCount() != static_cast<int>(columns.size()) + 1) return false;
    while (stmt->step()) {
      const SqlValue at = stmt->column(0);
      if (at.type != SqlValue::Type::Integer || at.i < 0 || static_cast<std::size_t>(at.i) >= calls.size())
        return false;
      std::vector<core::Value>& row = sets[static_cast<std::size_t>(at.i)].rows.emplace_back();
      row.reserve(columns.size());
      for (std::size_t c = 0; c < columns.size(); ++c)
        row.push_back(toCoreValue(stmt->column(static_cast<int>(c + 1)), types[c]));
    }
  }
  for (ResultSet& set : sets) set.columns = columns;
  return true;
}

}  // namespace tsql::exec
