// User-defined functions: CREATE / ALTER / DROP FUNCTION kept beside the procedures in
// tsql_procedures (one namespace of routines, as SQL Server has), the definitions the
// translator asks for, and the runs of those the translator cannot write inline: a
// scalar function's value for a slot, a multi-statement function's rows for a FROM.
#include <set>

#include "tsql/exec/interpreter.h"
#include "tsql/parser/parser.h"
#include "tsql/translate/sql_translator.h"

namespace tsql::exec {

namespace {

// SQL Server's name for a statement a function may not run; "" for one it may.
const char* sideEffect(const ast::Stmt& s) {
  using ast::NodeKind;
  auto tableVariable = [](const std::string& t) { return !t.empty() && t[0] == '@'; };
  switch (s.kind) {
    case NodeKind::Insert: return tableVariable(ast::nodeCast<ast::InsertStmt>(s).table) ? "" : "INSERT";
    case NodeKind::Update: return tableVariable(ast::nodeCast<ast::UpdateStmt>(s).target) ? "" : "UPDATE";
    case NodeKind::Delete: return tableVariable(ast::nodeCast<ast::DeleteStmt>(s).target) ? "" : "DELETE";
    case NodeKind::Print: return "PRINT";
    case NodeKind::Raiserror: return ast::nodeCast<ast::RaiserrorStmt>(s).isThrow ? "THROW" : "RAISERROR";
    case NodeKind::Exec: return "EXECUTE";
    case NodeKind::BeginTran: return "BEGIN TRANSACTION";
    case NodeKind::Commit: return "COMMIT TRANSACTION";
    case NodeKind::Rollback: return "ROLLBACK TRANSACTION";
    case NodeKind::SaveTran: return "SAVE TRANSACTION";
    case NodeKind::Truncate: return "TRUNCATE TABLE";
    case NodeKind::CreateTable: return "CREATE TABLE";
    case NodeKind::Drop: return "DROP";
    default: return "";
  }
}

void checkStatements(const ast::StmtList& list, int line);

// 443 for a statement with side effects, 444 for a SELECT that would return rows.
void checkStatement(const ast::Stmt* s, int line) {
  if (!s) return;
  if (const char* what = sideEffect(*s); *what)
    throw SqlException(errors::Error::SideEffectInFunction, line, {what});
  if (const auto* sel = ast::nodeAs<ast::SelectStmt>(s)) {
    const auto& items = sel->query.cores[0].items;
    if (items.empty() || items[0].assignTo.empty()) throw SqlException(errors::Error::SelectInFunction, line);
  } else if (const auto* b = ast::nodeAs<ast::BlockStmt>(s)) {
    checkStatements(b->body, line);
  } else if (const auto* i = ast::nodeAs<ast::IfStmt>(s)) {
    checkStatement(i->thenStmt.get(), line);
    checkStatement(i->elseStmt.get(), line);
  } else if (const auto* w = ast::nodeAs<ast::WhileStmt>(s)) {
    checkStatement(w->body.get(), line);
  } else if (const auto* t = ast::nodeAs<ast::TryCatchStmt>(s)) {
    checkStatements(t->tryBody, line);
    checkStatements(t->catchBody, line);
  }
}

void checkStatements(const ast::StmtList& list, int line) {
  for (const auto& s : list) checkStatement(s.get(), line);
}

}  // namespace

// The body's rules are checked when the function is made, as SQL Server checks them.
void Interpreter::execCreateFunction(const ast::CreateFunctionStmt& s) {
  if (!s.body.empty() || s.form != ast::CreateFunctionStmt::Form::InlineTable) {
    checkStatements(s.body, line(s));
    if (s.body.empty() || s.body.back()->kind != ast::NodeKind::Return)
      throw SqlException(errors::Error::FunctionWithoutReturn, line(s));
  }
  std::string name = catalog::normalizeObjectName(s.name);
  std::optional<std::string> old = storedProcedureText(name);
  bool isFunction = old && storedRoutineKind(*old) != "p";
  if (s.alter && !isFunction) throw SqlException(errors::Error::InvalidObject, line(s), {s.name});
  if (!s.alter && ((old && !(s.orAlter && isFunction)) || objectExists("table", name) ||
                   objectExists("view", name)))
    throw SqlException(errors::Error::ObjectExists, line(s), {s.name});
  const std::vector<std::string> views = isFunction ? viewsBeforeChange(name, line(s)) : std::vector<std::string>();
  std::unique_ptr<Cursor> stmt = backend_->prepare(backend_->dialect().storeProcedure);
  stmt->bind(1, SqlValue::text(name));
  stmt->bind(2, SqlValue::text(s.text));
  runToEnd(*stmt);
  forgetSchema();  // statements that wrote the old body inline are translated again
  remakeViewsReading(name, views, line(s));
}

void Interpreter::dropFunction(const ast::DropStmt& s) {
  std::string name = catalog::normalizeObjectName(s.name);
  std::optional<std::string> text = storedProcedureText(name);
  if (!text || storedRoutineKind(*text) == "p") {
    if (s.ifExists) return;
    throw SqlException(errors::Error::CannotDrop, line(s), {"function", s.name});
  }
  const std::vector<std::string> views = viewsBeforeChange(name, line(s));
  std::unique_ptr<Cursor> stmt = backend_->prepare("DELETE FROM tsql_procedures WHERE name = ?1");
  stmt->bind(1, SqlValue::text(name));
  runToEnd(*stmt);
  forgetSchema();
  failViewsReading(name, views, line(s));
}

// "p" for a procedure; "fn", "if" or "tf" (OBJECT_ID's types) for a function.
std::string Interpreter::storedRoutineKind(const std::string& text) {
  std::size_t i = 0;
  while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
  std::string head = toLower(text.substr(i, 40));
  if (head.find("function") == std::string::npos) return "p";
  ast::Batch batch = Parser::parse(text);
  const auto& f = ast::nodeCast<ast::CreateFunctionStmt>(*batch.statements.at(0));
  switch (f.form) {
    case ast::CreateFunctionStmt::Form::Scalar: return "fn";
    case ast::CreateFunctionStmt::Form::InlineTable: return "if";
    default: return "tf";
  }
}

// The stored definition, parsed again only when the text changed. An older parse is
// kept: translations made from it may still be asked whether they are valid.
const ast::CreateFunctionStmt* Interpreter::userFunction(const std::string& name) {
  std::string key = catalog::normalizeObjectName(name);
  std::optional<std::string> text = storedProcedureText(key);
  if (!text) return nullptr;
  auto it = functions_.find(key);
  if (it != functions_.end() && it->second.text == *text) return it->second.stmt;
  auto batch = std::make_shared<ast::Batch>(Parser::parse(*text));
  if (batch->statements.size() != 1 || batch->statements[0]->kind != ast::NodeKind::CreateFunction)
    return nullptr;
  if (it != functions_.end()) retiredFunctions_.push_back(it->second.batch);
  UserFunction& f = functions_[key];
  f.text = std::move(*text);
  f.batch = std::move(batch);
  f.memo = std::make_shared<TranslationMemo>();
  f.stmt = &ast::nodeCast<ast::CreateFunctionStmt>(*f.batch->statements[0]);
  forgetSchema();
  return f.stmt;
}

std::string Interpreter::functionResultTable(const ast::CreateFunctionStmt& f, std::size_t site) {
  std::string table = "tf_" + catalog::normalizeObjectName(f.name) + "_" + std::to_string(site);
  translate::SqlTranslator tr(*this, true);
  std::string create = tr.createTable(table, *f.result.table, true);
  auto made = functionTables_.find(table);
  if (made != functionTables_.end() && made->second == create) return table;
  int at = static_cast<int>(f.pos.line);
  execSql("DROP TABLE IF EXISTS " + tempName(table), at);
  execSql(create, at);
  recordTableTypes(table, *f.result.table, true);
  functionTables_[table] = create;
  return table;
}

// Columns a1 ... an hold an argument list as the statement computes it, compared exactly;
// v the function's value for it.
std::string Interpreter::functionValueTable(const ast::CreateFunctionStmt& f, std::size_t site) {
  const dialect::Dialect& d = backend_->dialect();
  std::string table = "uf_" + catalog::normalizeObjectName(f.name) + "_" + std::to_string(site);
  std::string create = "CREATE TEMP TABLE " + translate::quoteIdent(table) + " (";
  auto column = [&](const std::string& name, const ast::DataType& type) {
    create += translate::quoteIdent(name) + ' ' + d.columnType(type);
    if (type.isText()) create += std::string(" COLLATE ") + d.exactCollation;
  };
  for (std::size_t i = 0; i < f.params.size(); ++i) {
    column("a" + std::to_string(i + 1), f.params[i].type);
    create += ", ";
  }
  column("v", f.returns);
  create += ')';
  auto made = functionTables_.find(table);
  if (made != functionTables_.end() && made->second == create) return table;
  int at = static_cast<int>(f.pos.line);
  execSql("DROP TABLE IF EXISTS " + tempName(table), at);
  execSql(create, at);
  // the file names a temp index by its schema, the server by its table's
  const bool fileTemp = std::string_view(d.name) == "sqlite";
  std::string index = "CREATE INDEX " + (fileTemp ? tempName(table + "_args") : translate::quoteIdent(table + "_args")) +
                      " ON " + (fileTemp ? translate::quoteIdent(table) : tempName(table)) + " (";
  for (std::size_t i = 0; i < f.params.size(); ++i) index += (i ? ", \"a" : "\"a") + std::to_string(i + 1) + '"';
  if (!f.params.empty()) execSql(index + ')', at);
  functionTables_[table] = create;
  return table;
}

// The argument lists the statement's rows hold, each run once; the arguments as the
// statement computed them are the key it looks the value up by.
void Interpreter::fillFunctionValues(const translate::FunctionRun& run, const translate::Translation& t,
                                     int at) {
  const ast::FunctionCallExpr& call = *run.scalarCall;
  const ast::CreateFunctionStmt* f = userFunction(call.name);
  if (!f || f->isTable())
    throw SqlException(errors::Error::UnknownUserFunction, at, {call.schema, call.schema + "." + call.name});
  std::vector<std::vector<SqlValue>> lists;
  {
    std::unique_ptr<Cursor> read = backend_->prepare(run.argsSql);
    for (std::size_t i = 0; i < run.argSlots.size(); ++i)
      read->bind(static_cast<int>(i + 1), boundValue(t.slots[run.argSlots[i]], nullptr));
    std::set<std::string> seen;
    while (read->step()) {
      std::vector<SqlValue> list;
      std::string key;
      for (std::size_t i = 0; i < f->params.size(); ++i) {
        list.push_back(read->column(static_cast<int>(i)));
        const SqlValue& v = list.back();
        key += static_cast<char>('0' + static_cast<int>(v.type));
        key += v.type == SqlValue::Type::Text    ? v.s
               : v.type == SqlValue::Type::Real  ? std::string(reinterpret_cast<const char*>(&v.d), sizeof v.d)
               : v.type == SqlValue::Type::Integer ? std::to_string(v.i)
                                                   : std::string();
        key += '\0';
      }
      if (seen.insert(std::move(key)).second) lists.push_back(std::move(list));
    }
  }
  runStatement("DELETE FROM " + tempName(run.table));
  std::string insert = "INSERT INTO " + tempName(run.table) + " VALUES (";
  for (std::size_t i = 0; i <= f->params.size(); ++i) insert += (i ? ", ?" : "?") + std::to_string(i + 1);
  insert += ')';
  std::unique_ptr<Cursor> store = backend_->prepare(insert);
  for (const std::vector<SqlValue>& list : lists) {
    std::vector<SqlValue> args;
    for (std::size_t i = 0; i < list.size(); ++i) args.push_back(convertValue(list[i], f->params[i].type));
    const SqlValue value = scalarValue(call.name, *f, std::move(args), at);
    for (std::size_t i = 0; i < list.size(); ++i) store->bind(static_cast<int>(i + 1), list[i]);
    store->bind(static_cast<int>(list.size() + 1), value);
    runToEnd(*store);
    store->reset();
  }
}

// Each parameter takes its argument converted to its type, or its default; the values
// are read in the caller's frame.
std::vector<SqlValue> Interpreter::functionArguments(const ast::CreateFunctionStmt& f,
                                                     const std::vector<ast::ExprPtr>& args,
                                                     const std::vector<bool>& defaults, int at) {
  std::vector<SqlValue> values;
  for (std::size_t i = 0; i < f.params.size(); ++i) {
    bool given = i < args.size() && !(i < defaults.size() && defaults[i]);
    const ast::Expr* arg = given ? args[i].get() : f.params[i].defaultValue.get();
    if (!arg) throw SqlException(errors::Error::InsufficientArguments, at, {"dbo." + f.name});
    values.push_back(evaluateAs(*arg, f.params[i].type, at));
  }
  return values;
}

// Runs the body in a frame of its own; `atEnd` runs in that frame once the body returned.
void Interpreter::runFunction(const std::string& name, std::vector<SqlValue> values,
                              const std::function<void(const ast::CreateFunctionStmt&)>& atEnd, int at) {
  auto it = functions_.find(catalog::normalizeObjectName(name));
  if (it == functions_.end() || !userFunction(name))
    throw SqlException(errors::Error::InvalidObject, at, {name});
  UserFunction fn = functions_[catalog::normalizeObjectName(name)];  // survives an ALTER inside
  const ast::CreateFunctionStmt& f = *fn.stmt;
  if (static_cast<int>(frames_.size()) > kMaxNesting) throw SqlException(errors::Error::NestingTooDeep, at);
  Frame callee;
  callee.depth = static_cast<int>(frames_.size());
  callee.procedure = "dbo." + f.name;
  for (std::size_t i = 0; i < f.params.size(); ++i)
    callee.vars.emplace(f.params[i].name, Variable{f.params[i].type, std::move(values[i]), {}, {}, nullptr});
  frames_.push_back(&callee);
  // An error ends the function and the statement that called it, inside TRY or not:
  // the body runs as if in TRY, so no statement after the failing one runs.
  struct PopFrame {
    Interpreter& in;
    Frame& f;
    TranslationMemo* callerMemo;
    int callerTryDepth;
    ~PopFrame() noexcept(false) {
      in.frames_.pop_back();
      in.memo_ = callerMemo;
      in.tryDepth_ = callerTryDepth;
      in.dropTableVariables(f);
    }
  } pop{*this, callee, memo_, tryDepth_};
  memo_ = fn.memo.get();
  ++tryDepth_;
  if (f.form == ast::CreateFunctionStmt::Form::MultiStatement) declareTable(f.result);
  returnValue_ = {};
  execList(f.body);
  atEnd(f);
}

SqlValue Interpreter::callScalarFunction(const ast::FunctionCallExpr& call, int at) {
  const ast::CreateFunctionStmt* f = userFunction(call.name);
  if (!f || f->isTable())
    throw SqlException(errors::Error::UnknownUserFunction, at, {call.schema, call.schema + "." + call.name});
  return scalarValue(call.name, *f, functionArguments(*f, call.args, call.defaults, at), at);
}

// The value of scalar function `f` for arguments already of its parameters' types.
SqlValue Interpreter::scalarValue(const std::string& name, const ast::CreateFunctionStmt& f,
                                  std::vector<SqlValue> args, int at) {
  SqlValue result;
  if (f.nullOnNullInput)
    for (const SqlValue& a : args)
      if (a.isNull()) return result;  // RETURNS NULL ON NULL INPUT: the body does not run
  runFunction(name, std::move(args),
              [&](const ast::CreateFunctionStmt& fn) { result = convertValue(returnValue_, fn.returns); }, at);
  return result;
}

// The function's table variable's rows become the rows of the call's own table.
void Interpreter::fillFunctionTable(const translate::FunctionRun& run, int at) {
  const ast::FunctionTableRef& call = *run.call;
  const ast::CreateFunctionStmt* f = userFunction(call.name);
  if (!f || f->form != ast::CreateFunctionStmt::Form::MultiStatement)
    throw SqlException(errors::Error::InvalidObject, at, {call.name});
  runStatement("DELETE FROM " + tempName(run.table));
  runFunction(call.name, functionArguments(*f, call.args, call.defaults, at),
              [&](const ast::CreateFunctionStmt& fn) {
                runStatement("INSERT INTO " + tempName(run.table) + " SELECT * FROM " +
                             tempName(variable(fn.result.name, at).tempTable));
              }, at);
}

}  // namespace tsql::exec
