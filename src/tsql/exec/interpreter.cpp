// The batch loop: parse, run statements with statement-level error handling, bind
// slots, and the end-of-batch rule (a transaction left open is rolled back and
// reported). Frames hold variables; a procedure call pushes one.
#include "tsql/exec/interpreter.h"

#include <charconv>

#include "tsql/errors/abort_rules.h"
#include "tsql/exec/global_temps.h"
#include "tsql/exec/no_procedure.h"
#include "tsql/parser/parser.h"
#include "tsql/runtime/column_fit.h"
#include "tsql/runtime/decimal_value.h"
#include "tsql/runtime/runtime.h"
#include "tsql/runtime/text_collation.h"
#include "tsql/runtime/value_conversion.h"
#include "tsql/translate/sql_translator.h"

namespace tsql::exec {

Interpreter::Interpreter(std::unique_ptr<Backend> backend) : backend_(std::move(backend)) {
  try {
    backend_->execute(backend_->dialect().procedureTable);
  } catch (const SqlException& e) {
    throw std::runtime_error("cannot create the procedure table: " + e.error().message);
  }
  try {
    sweepGlobalTemps(*backend_);
  } catch (const SqlException&) {  // a busy database: the next open sweeps
  }
}

Interpreter::~Interpreter() { closeGlobalTemps(*backend_, tranCount_ > 0); }

bool Interpreter::isIdentity(const std::string& object, const std::string& column) {
  return backend_->isIdentity(object, column);
}

BatchResult Interpreter::run(std::string_view text, const Params& params) {
  std::shared_ptr<BatchPlan> plan;
  try {
    plan = plans_.plan(text);
  } catch (const SyntaxError& e) {
    BatchResult result;
    result.errors.push_back(
        {e.number(), errors::severityOf(e.number()), 1, static_cast<int>(e.pos().line), e.what()});
    return result;
  }
  StatementFault* armed = armedStatementFault();
  fault_ = armed && (!armed->selects || armed->selects(text)) ? armed : nullptr;
  SessionState before = sessionState();
  for (;;) {
    try {
      BatchResult result = runAttempt(*plan, params);
      fault_ = nullptr;
      return result;
    } catch (const RunBatchAgain&) {
      restoreSession(before);  // the second attempt starts where the first did
    }
  }
}

Interpreter::SessionState Interpreter::sessionState() const {
  SessionState s{dateSettings_, lastError_, rowCount_, returnValue_, 0, false, cursors_};
  if (fault_) s.faultSeen = fault_->seen, s.faultFired = fault_->fired;
  return s;
}

void Interpreter::restoreSession(const SessionState& s) {
  dateSettings_ = s.dates;
  lastError_ = s.lastError;
  rowCount_ = s.rowCount;
  returnValue_ = s.returnValue;
  cursors_ = s.cursors;
  if (fault_) fault_->seen = s.faultSeen, fault_->fired = s.faultFired;
}

BatchResult Interpreter::runAttempt(BatchPlan& plan, const Params& params) {
  BatchResult result;
  runtime::ScopedDateSettings dates(dateSettings_);  // this session's DATEFORMAT/DATEFIRST
  memo_ = &plan.memo;
  Frame top;
  startAttempt(top, params, result);
  bool batchAborted = false;  // by a batch-aborting error: rolled back without a word of its own
  try {
    try {
      noticeSchemaChanges();
      execList(plan.batch.statements);
    } catch (const SqlException& e) {  // a BatchAbort, or a bug that leaves tryDepth_ set
      report(e.error());
      batchAborted = errors::abortsBatch(e.error().number) || quietRollback_;
    }
    if (unitOpen_)
      endUnitBatch(batchAborted);
    else if (tranCount_ > 0)
      endOpenTransaction(batchAborted);
  } catch (const RunBatchAgain&) {
    endAttempt(top);
    forgetSchema();  // tables made or changed in the given-up transaction are as before it
    throw;
  }
  endAttempt(top);
  return result;
}

void Interpreter::endOpenTransaction(bool batchAborted) {
  try {
    rollbackKeepingTableVariables(0);
  } catch (const SqlException& e) {
    report(e.error());
  }
  tranCount_ = 0;
  if (batchAborted) return;
  if (std::exchange(doomed_, false))
    report({errors::number(errors::Error::UncommittableAtEnd), 16, 1, 0,
            errors::message(errors::Error::UncommittableAtEnd)});
  else
    report({errors::number(errors::Error::TranCountMismatch), 16, 1, 0,
            "The batch ended with an open transaction; it was rolled back."});
}

// The batch's own table variables end with it; nothing points into the attempt after.
void Interpreter::startAttempt(Frame& top, const Params& params, BatchResult& result) {
  frames_.assign(1, &top);
  params_ = &params;
  indexParams();
  result_ = &result;
  tranCount_ = unitOpen_ ? 1 : 0;  // the host's transaction is the batch's outer level
  tryDepth_ = 0;
  doomed_ = false;
  quietRollback_ = false;
  caught_.clear();
}

void Interpreter::endAttempt(Frame& top) {
  tranCount_ = 0;
  dropTableVariables(top);
  cursors_.endLevel(0);  // the batch's LOCAL cursors
  frames_.clear();
  memo_ = nullptr;
  result_ = nullptr;
  params_ = nullptr;
}

void Interpreter::report(const SqlError& e) {
  lastError_ = e.number;
  result_->errors.push_back(e);
  if (e.procedure == kNoProcedure) result_->errors.back().procedure.clear();
}

// statements := statement*; an error outside TRY is reported and the next runs. A GOTO
// whose label is in the list (or in one of its blocks) goes on from there.
Interpreter::Flow Interpreter::execList(const ast::StmtList& list, std::size_t from, bool entering) {
  for (std::size_t i = from; i < list.size(); ++i) {
    Flow f = Flow::Normal;
    std::size_t together = 0;
    try {
      if (!entering && i + 1 < list.size() && list[i]->kind == ast::NodeKind::Insert &&
          list[i + 1]->kind == ast::NodeKind::Insert)
        together = execInsertRows(list, i);
      if (together == 0) f = entering ? enterAtLabel(*list[i]) : exec(*list[i]);
    } catch (const BatchAbort&) {
      throw;
    } catch (const SqlException& e) {
      if (tryDepth_ > 0) throw;
      if (errors::abortsBatch(e.error().number) || endsBatch(e)) throw BatchAbort(e.error());
      report(e.error());
      entering = false;
      continue;
    }
    entering = false;
    if (together > 0) i += together - 1;
    if (f == Flow::Goto) {
      if (std::optional<std::size_t> at = labelPosition(list)) {
        i = *at - 1;  // wraps for 0; the loop's ++i brings it back
        entering = true;
        continue;
      }
    }
    if (f != Flow::Normal) return f;
  }
  return Flow::Normal;
}

// The statements that read or write tables, and BEGIN TRAN (which takes the write
// lock), are the ones a full disk or a busy file makes fail; control flow,
// assignments, COMMIT and ROLLBACK are skipped.
void Interpreter::countFaultableStatement(const ast::Stmt& s) {
  using ast::NodeKind;
  switch (s.kind) {
    case NodeKind::Select:
    case NodeKind::Insert:
    case NodeKind::Update:
    case NodeKind::Delete:
    case NodeKind::Merge:
    case NodeKind::Truncate:
    case NodeKind::BeginTran:
      break;
    default:
      return;
  }
  if (++fault_->seen != fault_->failAt) return;
  fault_->fired = true;
  if (s.kind == NodeKind::BeginTran) {
    fault_->atBeginTran = true;
    throw BatchAbort(errors::Error::UserMessage, line(s), {fault_->message});
  }
  throw SqlException(errors::Error::UserMessage, line(s), {fault_->message});
}

// A statement's error with its line; a name that resolves to nothing is marked with
// the level it was raised at (the innermost statement marks it first).
Interpreter::Flow Interpreter::exec(const ast::Stmt& s) {
  try {
    return execLocated(s);
  } catch (const NameResolutionError&) {
    throw;
  } catch (const SqlException& e) {
    if (!errors::failsNameResolution(e.error().number)) throw;
    throw NameResolutionError(e.error(), frames_.size());
  }
}

Interpreter::Flow Interpreter::execLocated(const ast::Stmt& s) {
  try {
    if (fault_ != nullptr) [[unlikely]]
      countFaultableStatement(s);
    refuseWriteWhenDoomed(s);
    return dispatch(s);
  } catch (SqlException& e) {
    e.attribute(frames_.back()->procedure);
    if (e.error().line != 0) throw;
    SqlError located = e.error();  // raised below the statement level: give it the line
    located.line = line(s);
    throw SqlException(located);
  } catch (const translate::TranslateError& e) {
    SqlException located(e.number(), errors::severityOf(e.number()), line(s), e.what());
    located.attribute(frames_.back()->procedure);
    throw located;
  } catch (const runtime::RuntimeError& e) {
    SqlException located(e.number(), 16, line(s), e.what());
    located.attribute(frames_.back()->procedure);
    throw located;
  }
}

Interpreter::Flow Interpreter::dispatch(const ast::Stmt& s) {
  using ast::NodeKind;
  switch (s.kind) {
    case NodeKind::Select:
      execSelect(ast::nodeCast<ast::SelectStmt>(s));
      break;
    case NodeKind::Insert:
      execInsert(ast::nodeCast<ast::InsertStmt>(s));
      break;
    case NodeKind::Update:
      execUpdate(ast::nodeCast<ast::UpdateStmt>(s));
      break;
    case NodeKind::Delete:
      execDelete(ast::nodeCast<ast::DeleteStmt>(s));
      break;
    case NodeKind::Merge:
      execMerge(ast::nodeCast<ast::MergeStmt>(s));
      break;
    case NodeKind::Truncate:
      execTruncate(ast::nodeCast<ast::TruncateStmt>(s));
      break;
    case NodeKind::Declare:
      execDeclare(ast::nodeCast<ast::DeclareStmt>(s));
      break;
    case NodeKind::Set:
      execSet(ast::nodeCast<ast::SetStmt>(s));
      break;
    case NodeKind::SetOption:
      if (ast::nodeCast<ast::SetOptionStmt>(s).option == "identity_insert")
        setIdentityInsert(ast::nodeCast<ast::SetOptionStmt>(s));
      else
        setDateOption(ast::nodeCast<ast::SetOptionStmt>(s));
      break;
    case NodeKind::If:
      return execIf(ast::nodeCast<ast::IfStmt>(s));
    case NodeKind::Block:
      return execList(ast::nodeCast<ast::BlockStmt>(s).body);
    case NodeKind::While:
      return execWhile(ast::nodeCast<ast::WhileStmt>(s));
    case NodeKind::Break:
      return Flow::Break;
    case NodeKind::Continue:
      return Flow::Continue;
    case NodeKind::Return:
      return execReturn(ast::nodeCast<ast::ReturnStmt>(s));
    case NodeKind::BeginTran:
      execBeginTran(s);
      break;
    case NodeKind::Commit:
      execCommit(s);
      break;
    case NodeKind::Rollback:
      execRollback(s);
      break;
    case NodeKind::SaveTran:
      execSaveTran(ast::nodeCast<ast::SaveTranStmt>(s));
      break;
    case NodeKind::TryCatch:
      return execTryCatch(ast::nodeCast<ast::TryCatchStmt>(s));
    case NodeKind::Raiserror:
      execRaiserror(ast::nodeCast<ast::RaiserrorStmt>(s));
      break;
    case NodeKind::Print:
      execPrint(ast::nodeCast<ast::PrintStmt>(s));
      break;
    case NodeKind::Exec:
      execProcedureCall(ast::nodeCast<ast::ExecStmt>(s));
      break;
    case NodeKind::CreateTable:
      execCreateTable(ast::nodeCast<ast::CreateTableStmt>(s));
      break;
    case NodeKind::CreateView:
      execCreateView(ast::nodeCast<ast::CreateViewStmt>(s));
      break;
    case NodeKind::CreateIndex:
      execCreateIndex(ast::nodeCast<ast::CreateIndexStmt>(s));
      break;
    case NodeKind::CreateProcedure:
      execCreateProcedure(ast::nodeCast<ast::CreateProcedureStmt>(s));
      break;
    case NodeKind::CreateFunction:
      execCreateFunction(ast::nodeCast<ast::CreateFunctionStmt>(s));
      break;
    case NodeKind::Drop:
      execDrop(ast::nodeCast<ast::DropStmt>(s));
      break;
    case NodeKind::Sequence:
      execSequence(ast::nodeCast<ast::SequenceStmt>(s));
      break;
    case NodeKind::CheckIdent:
      execCheckIdent(ast::nodeCast<ast::CheckIdentStmt>(s));
      break;
    case NodeKind::DeclareCursor:
      execDeclareCursor(ast::nodeCast<ast::DeclareCursorStmt>(s));
      break;
    case NodeKind::CursorOp:
      execCursorStatement(ast::nodeCast<ast::CursorStmt>(s));
      break;
    case NodeKind::ExecString:
      execString(ast::nodeCast<ast::ExecStringStmt>(s));
      break;
    case NodeKind::Goto:
      gotoLabel_ = ast::nodeCast<ast::GotoStmt>(s).label;
      return Flow::Goto;
    case NodeKind::Label:
      break;
    case NodeKind::ResultSets:
      execResultSets(ast::nodeCast<ast::ResultSetsStmt>(s));
      break;
    default:
      assert(false && "not a statement");
  }
  return Flow::Normal;
}

std::unique_ptr<Cursor> Interpreter::prepare(const translate::Translation& t) {
  return backend_->prepare(t.sql);
}

// A constant's value as a statement reads it: text as it is, digits as the number they spell.
SqlValue Interpreter::literalValue(ast::LiteralKind kind, std::string_view text) {
  if (kind == ast::LiteralKind::String) return SqlValue::text(std::string(text));
  // from_chars reads the digits the lexer kept exactly as strtoll and strtod do,
  // without their locale and errno (a save batch reads thousands of them).
  const char* end = text.data() + text.size();
  if (kind == ast::LiteralKind::Integer) {
    long long v = 0;
    auto [at, ec] = std::from_chars(text.data(), end, v);
    if (ec == std::errc() && at == end) return SqlValue::integer(v);
  }
  // A decimal constant longer than a double holds goes as its exact text.
  if (text.find_first_of("eE") == std::string_view::npos && text.size() > runtime::kExactDoubleDigits + 1)
    return SqlValue::text(std::string(text));
  double v = 0;
  auto [at, ec] = std::from_chars(text.data(), end, v);
  return SqlValue::real(ec == std::errc() && at == end ? v : std::strtod(std::string(text).c_str(), nullptr));
}

namespace {

// The value as the slot's statement reads it: fitted to its column, converted, trimmed.
SqlValue converted(const translate::Slot& slot, SqlValue v) {
  if (slot.intoColumn && v.type != SqlValue::Type::Null)
    v = SqlValue::text(runtime::fitColumn(v.toText(), slot.convertTo.textLength()));
  if (slot.convertTo.isKnown())
    v = convertValue(v, slot.convertTo, slot.convertFrom, slot.kind == translate::Slot::Kind::Literal);
  if (slot.trimBlanks && v.type == SqlValue::Type::Text) v.s.erase(runtime::TextCollation::trimRight(v.s).size());
  return v;
}

// Text bound as it is: none of the conversions above would change it.
bool bindsAsIs(const translate::Slot& slot, std::size_t size) {
  const ast::DataType& to = slot.convertTo;
  return !to.isKnown() ||
         ((to.kind == ast::TypeKind::Varchar || to.kind == ast::TypeKind::NVarchar) && !to.fixed && !to.guid &&
          (to.length < 0 || (to.length > 0 && size <= static_cast<std::size_t>(to.length))));
}

}  // namespace

void Interpreter::bindSlots(Cursor& stmt, const translate::Translation& t,
                            const std::vector<SqlValue>* row, bool variablesInPlace, std::size_t firstLifted,
                            int markerBase) {
  for (const auto& run : t.functionRuns) {
    if (run.scalarCall)
      fillFunctionValues(run, t, 0);
    else
      fillFunctionTable(run, 0);
  }
  for (std::size_t i = 0; i < t.slots.size(); ++i) {
    const translate::Slot& slot = t.slots[i];
    const int marker = markerBase + static_cast<int>(i + 1);
    if (firstLifted != KeptTranslation::kInTree && slot.kind == translate::Slot::Kind::Literal) {
      bindLifted(stmt, marker, slot, firstLifted++);
      continue;
    }
    if (bindTextInPlace(stmt, marker, slot, variablesInPlace)) continue;
    stmt.bind(marker, boundValue(slot, row));
  }
}

SqlValue Interpreter::boundValue(const translate::Slot& slot, const std::vector<SqlValue>* row) {
  SqlValue v = !slot.call                                     ? slotValue(slot, row)
               : slot.kind == translate::Slot::Kind::UserFunction ? callScalarFunction(*slot.call, 0)
                                                                : formatMessage(*slot.call, 0);
  return converted(slot, std::move(v));
}

// Text that needs no conversion, or fits the varchar it goes to, is bound where it
// lies: a save batch binds thousands of such texts. A literal's text stays as it is
// until the statement is reset; a variable's only while no statement can assign it
// mid-run, which the caller vouches for.
bool Interpreter::bindTextInPlace(Cursor& stmt, int index, const translate::Slot& slot,
                                  bool variablesInPlace) const {
  const std::string* text = nullptr;
  if (slot.kind == translate::Slot::Kind::Literal &&
      slot.literal->literalKind == ast::LiteralKind::String) {
    text = &slot.literal->text;
  } else if (slot.kind == translate::Slot::Kind::Variable && variablesInPlace) {
    const Variable* v = findVariable(slot.name);
    if (v && v->value.type == SqlValue::Type::Text) text = &v->value.s;
  }
  if (!text || !bindsAsIs(slot, text->size())) return false;
  stmt.bindTextInPlace(
      index, slot.trimBlanks ? runtime::TextCollation::trimRight(*text) : std::string_view(*text));
  return true;
}

// The batch text outlives the statement's run, so a string without a doubled quote
// is bound where it lies in it, between its quotes; the tree's literal is not read.
// The scan noted the doubled quotes: by now the text has left the cache.
void Interpreter::bindLifted(Cursor& stmt, int index, const translate::Slot& slot, std::size_t k) {
  const LiftedValues& lifted = memo_->lifted;
  const LiteralSpan& span = lifted.spans[k];
  std::string_view raw = span.in(lifted.text);
  if (literalKind(span) != ast::LiteralKind::String) {
    stmt.bind(index, converted(slot, literalValue(literalKind(span), raw)));
    return;
  }
  std::string_view inner = raw.substr(span.kind == LiteralSpan::Kind::NString ? 2 : 1);
  inner.remove_suffix(1);
  if (!span.doubledQuote && bindsAsIs(slot, inner.size())) {
    stmt.bindTextInPlace(index, slot.trimBlanks ? runtime::TextCollation::trimRight(inner) : inner);
    return;
  }
  std::string value;
  assignLiteralValue(value, lifted.text, span);
  stmt.bind(index, converted(slot, SqlValue::text(std::move(value))));
}

SqlValue Interpreter::slotValue(const translate::Slot& slot,
                                const std::vector<SqlValue>* row) const {
  using Kind = translate::Slot::Kind;
  switch (slot.kind) {
    case Kind::Literal:
      return literalValue(slot.literal->literalKind, slot.literal->text);
    case Kind::Variable: {
      auto& vars = frames_.back()->vars;
      auto it = vars.find(slot.name);
      return it == vars.end() ? SqlValue() : it->second.value;
    }
    case Kind::HostParameter:
      if (const core::Value* value = findParam(slot.name)) return SqlValue::fromCore(*value);
      throw SqlException(errors::number(errors::Error::UndeclaredVariable), 15, 0,
                         "No value was given for the parameter ':" + slot.name + "'.");
    case Kind::SystemVariable:
      if (slot.name == "@@trancount") return SqlValue::integer(tranCount_);
      if (slot.name == "@@rowcount") return SqlValue::integer(rowCount_);
      if (slot.name == "@@error") return SqlValue::integer(lastError_);
      if (slot.name == "@@identity") return sessionIdentity();
      if (slot.name == "@@fetch_status") return SqlValue::integer(cursors_.fetchStatus);
      if (slot.name == "@@cursor_rows") return SqlValue::integer(cursors_.cursorRows());
      if (slot.name == "scope_identity") return scopeIdentity();
      if (slot.name.starts_with("object_id ")) return objectId(slot.name.substr(10));
      return {};
    case Kind::ErrorInfo:
      return errorInfo(slot.name);
    case Kind::RowValue:
      return (*row)[static_cast<std::size_t>(slot.rowIndex)];
    case Kind::CursorKey:
      return positionedKey_;
    case Kind::UserFunction:
      break;  // run by bindSlots, which may change the frames
  }
  return {};
}

void Interpreter::runToEnd(Cursor& stmt) {
  while (stmt.step()) {
  }
}

void Interpreter::execSql(const std::string& sql, int line, bool mayChangeSchema) {
  try {
    backend_->execute(sql);
  } catch (const SqlException& e) {
    SqlError located = e.error();
    located.line = line;
    throw SqlException(located);
  }
  if (mayChangeSchema) forgetSchema();
}

const Interpreter::Variable* Interpreter::findVariable(const std::string& name) const {
  const auto& vars = frames_.back()->vars;
  auto it = vars.find(name);
  return it == vars.end() ? nullptr : &it->second;
}

Interpreter::Variable& Interpreter::variable(const std::string& name, int line) {
  auto& vars = frames_.back()->vars;
  auto it = vars.find(name);
  if (it == vars.end()) throw SqlException(errors::Error::UndeclaredVariable, line, {name});
  return it->second;
}

// The translator's questions about names; while a translation is being made the
// answers are recorded with it (see exec_memo.cpp).
const ast::DataType* Interpreter::variableType(const std::string& name) const {
  const Variable* v = findVariable(name);
  const ast::DataType* type = v && v->tempTable.empty() ? &v->type : nullptr;
  if (recording_)
    recording_->push_back({NameDependency::Kind::Variable,
                           name,
                           type != nullptr,
                           type ? *type : ast::DataType{},
                           {}});
  return type;
}

const std::string* Interpreter::tableVariable(const std::string& name) const {
  const Variable* v = findVariable(name);
  const std::string* table = v && !v->tempTable.empty() ? &v->tempTable : nullptr;
  if (recording_)
    recording_->push_back({NameDependency::Kind::TableVariable,
                           name,
                           table != nullptr,
                           {},
                           table ? *table : std::string()});
  return table;
}

ast::DataType Interpreter::hostParameterType(const std::string& name) const {
  ast::DataType type = parameterType(name);
  if (recording_)
    recording_->push_back({NameDependency::Kind::HostParameter, name, true, type, {}});
  return type;
}

ast::DataType Interpreter::parameterType(const std::string& name) const {
  const core::Value* value = findParam(name);
  return value != nullptr ? typeOfCore(*value) : ast::DataType{};
}

// A batch may bind many thousands of values (a sheet imported in one transaction): the
// names are indexed once per run, the first of a name winning as before.
void Interpreter::indexParams() {
  paramIndex_.clear();
  for (std::size_t i = 0; i < params_->size(); ++i) paramIndex_.emplace(toLower((*params_)[i].first), i);
}

const core::Value* Interpreter::findParam(const std::string& lowerName) const {
  const auto it = paramIndex_.find(lowerName);
  return it == paramIndex_.end() ? nullptr : &(*params_)[it->second].second;
}

// Kept translations and column lists are retired by raising the generation.
void Interpreter::forgetSchema() {
  ++schemaGeneration_;
  columnCache_.clear();
  insertShapes_.clear();
}

const std::vector<catalog::ColumnInfo>* Interpreter::columns(const std::string& object) {
  auto it = columnCache_.find(object);
  if (it == columnCache_.end()) {
    const auto* cols = backend_->columns(object);
    it = columnCache_.emplace(object, cols ? std::optional(*cols) : std::nullopt).first;
  }
  return it->second ? &*it->second : nullptr;
}

}  // namespace tsql::exec
