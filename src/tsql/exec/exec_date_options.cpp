// SET XACT_ABORT (see exec_errors.cpp); SET DATEFORMAT, SET DATEFIRST and SET LANGUAGE:
// the session's date settings, kept from batch to batch like the server's connection
// options, and handed to a database whose own functions read dates from text.
#include "tsql/exec/interpreter.h"
#include "tsql/parser/parser.h"

namespace tsql::exec {

void Interpreter::setDateOption(const ast::SetOptionStmt& s) {
  std::string value = toLower(s.value);
  if (s.option == "dateformat") {
    if (!runtime::DateSettings::validOrder(value))
      throw SqlException(errors::Error::BadDateFormat, line(s), {s.value});
    dateSettings_.order = value;
  } else if (s.option == "datefirst") {
    int first = std::atoi(value.c_str());
    if (first < 1 || first > 7)  // refused under the engine's general number, like SQLite's refusals
      throw SqlException(errors::Error::UserMessage, line(s), {"SET DATEFIRST " + s.value + " is out of range."});
    dateSettings_.dateFirst = first;
  } else if (s.option == "xact_abort") {
    xactAbort_ = value == "on";
    rowCount_ = 0;
    return;
  } else if (s.option == "language" && (value == "us_english" || value == "english")) {
    dateSettings_ = runtime::DateSettings{};  // us_english: mdy, weeks from Sunday
  }
  if (const char* handOver = backend_->dialect().sessionDateSettings) {
    std::unique_ptr<Cursor> stmt = backend_->prepare(handOver);
    stmt->bind(1, SqlValue::text(dateSettings_.order));
    stmt->bind(2, SqlValue::text(std::to_string(dateSettings_.dateFirst)));
    stmt->step();
  }
  rowCount_ = 0;  // NOCOUNT and friends change nothing else
}

}  // namespace tsql::exec
