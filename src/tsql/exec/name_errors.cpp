// SQLite may qualify the name ("main.t") or prefix the column with its table ("t.c");
// SQL Server names what the batch wrote, so only the last part is kept.
#include "tsql/exec/name_errors.h"

#include <string>
#include <string_view>

#include "tsql/errors/error_table.h"

namespace tsql::exec {

namespace {

std::string lastPart(std::string_view name) {
  std::size_t dot = name.rfind('.');
  return std::string(dot == std::string_view::npos ? name : name.substr(dot + 1));
}

}  // namespace

SqlError nameError(SqlError e) {
  constexpr std::string_view kTable = "no such table: ";
  constexpr std::string_view kColumn = "no such column: ";
  constexpr std::string_view kFunction = "no such function: ";
  std::string_view msg = e.message;
  if (msg.starts_with(kTable)) {
    e.number = 208;
    e.message = "Invalid object name '" + lastPart(msg.substr(kTable.size())) + "'.";
  } else if (msg.starts_with(kColumn)) {
    e.number = 207;
    e.message = "Invalid column name '" + lastPart(msg.substr(kColumn.size())) + "'.";
  } else if (msg.starts_with(kFunction)) {
    e.number = errors::number(errors::Error::UnknownFunction);
    e.severity = errors::severityOf(e.number);
    e.message = errors::message(errors::Error::UnknownFunction, {msg.substr(kFunction.size())});
  }
  return e;
}

}  // namespace tsql::exec
