// Raising errors and what follows them: RAISERROR (printf-like messages, numbered
// messages of sp_addmessage), THROW, FORMATMESSAGE, ERROR_xxx() and XACT_STATE(),
// and SET XACT_ABORT ON, under which a run-time error dooms the open transaction:
// it can then only be rolled back, and any write in the meantime is refused.
// User-defined messages live in the table tsql_messages, made by the first
// sp_addmessage.
#include <algorithm>

#include "core/strings.h"
#include "tsql/exec/interpreter.h"
#include "tsql/exec/no_procedure.h"
#include "tsql/parser/parser.h"
#include "tsql/runtime/message_format.h"
#include "tsql/runtime/value_conversion.h"

namespace tsql::exec {

namespace {

constexpr const char* kMessageTable =
    "CREATE TABLE IF NOT EXISTS tsql_messages(message_id integer PRIMARY KEY, "
    "severity integer NOT NULL, text varchar(2047) NOT NULL)";
constexpr int kFirstUserNumber = 50001;
constexpr int kFirstRaisableNumber = 13000;

// The type name the server gives in 2748 for a value it cannot substitute.
const char* substitutionTypeName(const ast::DataType& t, const SqlValue& v) {
  using ast::TypeKind;
  switch (t.kind) {
    case TypeKind::Bit:
      return "bit";
    case TypeKind::Decimal:
      return "numeric";
    case TypeKind::Money:
      return t.isSmallMoney() ? "smallmoney" : "money";
    case TypeKind::Float:
      return t.isReal() ? "real" : "float";
    case TypeKind::DateTime:
      return "datetime";
    case TypeKind::SmallDateTime:
      return "smalldatetime";
    case TypeKind::Date:
      return "date";
    case TypeKind::DateTime2:
      return "datetime2";
    default:
      return v.type == SqlValue::Type::Real ? "float" : nullptr;
  }
}

}  // namespace

std::vector<runtime::MessageArg> Interpreter::messageArgs(const std::vector<ast::ExprPtr>& exprs,
                                                          std::size_t from, int firstPosition,
                                                          int at) {
  std::vector<runtime::MessageArg> args;
  for (std::size_t i = from; i < exprs.size(); ++i) {
    ast::DataType type;
    SqlValue v = evaluate(*exprs[i], at, &type);
    runtime::MessageArg a;
    if (const char* refused = substitutionTypeName(type, v))
      throw SqlException(errors::Error::SubstitutionDataType, at,
                         {refused, std::to_string(firstPosition + static_cast<int>(i - from))});
    if (v.type == SqlValue::Type::Integer) {
      a.kind = runtime::MessageArg::Kind::Integer;
      a.integer = v.i;
    } else if (!v.isNull()) {
      a.kind = runtime::MessageArg::Kind::Text;
      a.text = v.toText();
    }
    args.push_back(std::move(a));
  }
  return args;
}

std::optional<Interpreter::UserMessage> Interpreter::userMessage(std::int64_t number) {
  if (!objectExists("table", "tsql_messages")) return std::nullopt;
  std::unique_ptr<Cursor> stmt =
      backend_->prepare("SELECT severity, text FROM tsql_messages WHERE message_id = ?1");
  stmt->bind(1, SqlValue::integer(number));
  if (!stmt->step()) return std::nullopt;
  return UserMessage{static_cast<int>(stmt->column(0).toInteger()), stmt->column(1).toText()};
}

// RAISERROR(msg | number, severity, state, args...): a number names a message of
// sp_addmessage; severity 10 or less is only a message, 11 or more an error.
void Interpreter::execRaiserror(const ast::RaiserrorStmt& s) {
  if (s.isThrow) return execThrow(s);
  rowCount_ = 0;  // as PRINT, BEGIN TRAN and COMMIT leave it
  int at = line(s);
  SqlValue msgValue = evaluate(*s.message, at);
  std::int64_t severity = evaluate(*s.severity, at).toInteger();
  int state =
      static_cast<int>(std::clamp<std::int64_t>(evaluate(*s.state, at).toInteger(), 0, 255));
  std::vector<runtime::MessageArg> args = messageArgs(s.args, 0, 4, at);
  int number = errors::number(errors::Error::UserMessage);
  std::string format = msgValue.toText();
  if (msgValue.type == SqlValue::Type::Integer) {
    if (msgValue.i < kFirstRaisableNumber || msgValue.i == number || msgValue.i > INT32_MAX)
      throw SqlException(errors::Error::InvalidMessageNumber, at, {std::to_string(msgValue.i)});
    number = static_cast<int>(msgValue.i);
    std::optional<UserMessage> m = userMessage(number);
    if (!m)
      throw SqlException(errors::Error::MessageNotFound, at,
                         {std::to_string(number), std::to_string(severity), std::to_string(state)});
    if (severity < 0) severity = m->severity;  // -1: the message's own
    format = std::move(m->text);
  }
  std::string message = runtime::MessageFormat::format(format, args);
  severity = std::clamp<std::int64_t>(severity, 0, 25);
  if (severity <= 10) {
    result_->messages.push_back(message);
    if (std::find(s.options.begin(), s.options.end(), "seterror") != s.options.end())
      lastError_ = number;
    return;
  }
  throw RaisedError(SqlError{number, static_cast<int>(severity), state, at, message});
}

// THROW number, message, state: severity 16, the message as written (%% is one %);
// THROW alone raises the caught error again as it was.
void Interpreter::execThrow(const ast::RaiserrorStmt& s) {
  rowCount_ = 0;
  if (!s.number) {
    if (caught_.empty()) throw SqlException(errors::Error::RethrowOutsideCatch, line(s));
    throw ThrownError(caught_.back());
  }
  int at = line(s);
  SqlValue number = evaluate(*s.number, at);
  std::string text = evaluate(*s.message, at).toText();
  std::int64_t state = evaluate(*s.state, at).toInteger();
  if (number.toInteger() < errors::number(errors::Error::UserMessage) ||
      number.toInteger() > INT32_MAX)
    throw BatchAbort(errors::Error::ThrowNumberRange, at, {std::to_string(number.toInteger())});
  std::string message;
  for (std::size_t i = 0; i < text.size(); ++i) {
    message += text[i];
    if (text[i] == '%' && i + 1 < text.size() && text[i + 1] == '%') ++i;
  }
  throw ThrownError(SqlError{static_cast<int>(number.toInteger()), 16,
                             static_cast<int>(std::clamp<std::int64_t>(state, 0, 255)), at,
                             runtime::MessageFormat::limitLength(std::move(message))});
}

// FORMATMESSAGE(number | text, args...): a number names a message of sp_addmessage
// (NULL when there is none).
SqlValue Interpreter::formatMessage(const ast::FunctionCallExpr& call, int at) {
  if (call.args.empty())
    throw SqlException(errors::Error::FunctionArgumentRange, at, {"formatmessage", "1", "21"});
  SqlValue first = evaluate(*call.args[0], at);
  std::vector<runtime::MessageArg> args = messageArgs(call.args, 1, 2, at);
  if (first.isNull()) return {};
  std::string format = first.toText();
  if (first.type == SqlValue::Type::Integer) {
    std::optional<UserMessage> m = userMessage(first.i);
    if (!m) return {};
    format = std::move(m->text);
  }
  return SqlValue::text(runtime::MessageFormat::format(format, args));
}

// ERROR_xxx() of the innermost CATCH running (NULL outside one), and XACT_STATE().
SqlValue Interpreter::errorInfo(const std::string& name) const {
  if (name == "xact_state") return SqlValue::integer(tranCount_ == 0 ? 0 : doomed_ ? -1 : 1);
  if (caught_.empty()) return {};
  const SqlError& e = caught_.back();
  if (name == "error_message") return SqlValue::text(e.message);
  if (name == "error_number") return SqlValue::integer(e.number);
  if (name == "error_severity") return SqlValue::integer(e.severity);
  if (name == "error_state") return SqlValue::integer(e.state);
  if (name == "error_line") return SqlValue::integer(e.line);
  if (name == "error_procedure")
    return e.procedure.empty() || e.procedure == kNoProcedure ? SqlValue()
                                                               : SqlValue::text(e.procedure);
  return {};
}

// sp_addmessage number, severity, text [, language [, with_log [, replace]]] and
// sp_dropmessage number, by position or by their @names. False for any other name.
bool Interpreter::execSystemProcedure(const ast::ExecStmt& s) {
  // Every EXEC asks: compared in place, not lower-cased into a copy.
  const bool add = core::sameText(s.procedure, "sp_addmessage");
  if (!add && !core::sameText(s.procedure, "sp_dropmessage")) return false;
  static const std::vector<std::string> kAddNames = {"@msgnum", "@severity", "@msgtext",
                                                     "@lang",   "@with_log", "@replace"};
  static const std::vector<std::string> kDropNames = {"@msgnum", "@lang"};
  const std::vector<std::string>& names = add ? kAddNames : kDropNames;
  std::vector<SqlValue> values(names.size());
  int at = line(s);
  for (std::size_t i = 0; i < s.args.size(); ++i) {
    const ast::ExecArg& arg = s.args[i];
    std::size_t k = arg.name.empty()
                        ? i
                        : static_cast<std::size_t>(std::find(names.begin(), names.end(), arg.name) -
                                                   names.begin());
    if (k < values.size()) {
      if (arg.value) values[k] = evaluate(*arg.value, at);
      continue;
    }
    if (arg.name.empty()) throw SqlException(errors::Error::TooManyArguments, at, {s.procedure});
    throw SqlException(errors::Error::NotAParameter, at, {arg.name, s.procedure});
  }
  if (add)
    addMessage(values, at);
  else
    dropMessage(values[0].toInteger(), at);
  rowCount_ = 0;
  return true;
}

void Interpreter::addMessage(const std::vector<SqlValue>& v, int at) {
  if (v[0].isNull() || v[1].isNull() || v[2].isNull())
    throw SqlException(errors::Error::MissingParameter, at,
                       {"sp_addmessage", v[0].isNull()   ? "@msgnum"
                                         : v[1].isNull() ? "@severity"
                                                         : "@msgtext"});
  std::int64_t number = v[0].toInteger(), severity = v[1].toInteger();
  if (number < kFirstUserNumber || number > INT32_MAX)
    throw SqlException(errors::Error::MessageNumberTooLow, at);
  if (severity < 1 || severity > 25) throw SqlException(errors::Error::MessageSeverityRange, at);
  bool replace = toLower(v[5].toText()) == "replace";
  if (userMessage(number)) {
    if (!replace) throw SqlException(errors::Error::MessageExists, at);
    dropMessage(number, at);
  }
  execSql(kMessageTable, at, false);
  std::unique_ptr<Cursor> stmt = backend_->prepare(
      "INSERT INTO tsql_messages(message_id, severity, text) VALUES (?1, ?2, ?3)");
  stmt->bind(1, SqlValue::integer(number));
  stmt->bind(2, SqlValue::integer(severity));
  stmt->bind(3, SqlValue::text(runtime::MessageFormat::limitLength(v[2].toText())));
  runToEnd(*stmt);
}

void Interpreter::dropMessage(std::int64_t number, int at) {
  if (!userMessage(number))
    throw SqlException(errors::Error::NoSuchMessage, at, {std::to_string(number)});
  std::unique_ptr<Cursor> stmt =
      backend_->prepare("DELETE FROM tsql_messages WHERE message_id = ?1");
  stmt->bind(1, SqlValue::integer(number));
  runToEnd(*stmt);
}

// Under XACT_ABORT ON a run-time error caught by CATCH leaves the open transaction
// doomed; RAISERROR does not take part in XACT_ABORT, THROW does.
void Interpreter::noteCaught(const SqlException& e) {
  if (xactAbort_ && tranCount_ > 0 && !dynamic_cast<const RaisedError*>(&e)) doomed_ = true;
}

// Outside TRY, under XACT_ABORT ON any run-time error but RAISERROR's ends the batch
// and rolls the transaction back as part of the error (no word of its own at the end);
// THROW ends the batch whatever the setting.
bool Interpreter::endsBatch(const SqlException& e) {
  bool ends =
      dynamic_cast<const ThrownError*>(&e) || (xactAbort_ && !dynamic_cast<const RaisedError*>(&e));
  if (ends) quietRollback_ = xactAbort_;
  return ends;
}

// A doomed transaction takes reads and the full ROLLBACK only: a write, a COMMIT
// (3930) or a ROLLBACK to a savepoint (3931) is refused. Table variables stand outside
// transactions and stay writable.
void Interpreter::refuseWriteWhenDoomed(const ast::Stmt& s) {
  if (tranCount_ == 0) doomed_ = false;
  if (!doomed_) return;
  using ast::NodeKind;
  auto tableVariable = [](const std::string& name) { return !name.empty() && name[0] == '@'; };
  switch (s.kind) {
    case NodeKind::Insert:
      if (tableVariable(ast::nodeCast<ast::InsertStmt>(s).table)) return;
      break;
    case NodeKind::Update:
      if (tableVariable(ast::nodeCast<ast::UpdateStmt>(s).target)) return;
      break;
    case NodeKind::Delete:
      if (tableVariable(ast::nodeCast<ast::DeleteStmt>(s).target)) return;
      break;
    case NodeKind::Merge:
      if (tableVariable(ast::nodeCast<ast::MergeStmt>(s).target)) return;
      break;
    case NodeKind::Rollback:
      if (ast::nodeCast<ast::RollbackStmt>(s).name.empty() ||
          toLower(ast::nodeCast<ast::RollbackStmt>(s).name) == toLower(tranName_))
        return;
      throw SqlException(errors::Error::UncommittableSavepoint, line(s));
    case NodeKind::Truncate:
    case NodeKind::Commit:
    case NodeKind::SaveTran:
    case NodeKind::CreateTable:
    case NodeKind::CreateView:
    case NodeKind::CreateIndex:
    case NodeKind::CreateProcedure:
    case NodeKind::CreateFunction:
    case NodeKind::Drop:
      break;
    default:
      return;
  }
  throw SqlException(errors::Error::UncommittableWrite, line(s));
}

}  // namespace tsql::exec
