// Views that read user functions. The translator writes a function's body into the view
// that calls it, so the view's text, and the functions it reads, are kept in
// tsql_view_sources; when one of those functions is altered, each view that reads it is
// translated again and made anew, and answers with the new body as SQL Server's does.
// The table is made by the first such view, so a database without one never has it.
#include "tsql/exec/interpreter.h"
#include "tsql/parser/parser.h"

namespace tsql::exec {

namespace {

constexpr const char* kTable = "tsql_view_sources";

// ' f g ': each name between blanks, so LIKE '% f %' finds exactly the views reading f.
std::string nameList(const std::vector<std::string>& names) {
  std::string list = " ";
  for (const auto& n : names) list += n + " ";
  return list;
}

}  // namespace

void Interpreter::keepViewSource(const ast::CreateViewStmt& s, const std::vector<std::string>& functions) {
  std::string name = catalog::normalizeObjectName(s.name);
  forgetViewSource(name);
  if (functions.empty()) return;
  backend_->execute(std::string("CREATE TABLE IF NOT EXISTS ") + kTable +
                    " (name varchar(256) PRIMARY KEY, functions text NOT NULL, body text NOT NULL)");
  std::unique_ptr<Cursor> keep =
      backend_->prepare(std::string("INSERT INTO ") + kTable + " (name, functions, body) VALUES (?1, ?2, ?3)");
  keep->bind(1, SqlValue::text(name));
  keep->bind(2, SqlValue::text(nameList(functions)));
  keep->bind(3, SqlValue::text(s.text));
  runToEnd(*keep);
}

void Interpreter::forgetViewSource(const std::string& name) {
  if (!objectExists("table", kTable)) return;
  std::unique_ptr<Cursor> forget = backend_->prepare(std::string("DELETE FROM ") + kTable + " WHERE name = ?1");
  forget->bind(1, SqlValue::text(name));
  runToEnd(*forget);
}

// Each view that reads `function`, made again from its kept text; a view that no longer
// translates (the function now takes other arguments) fails the ALTER, as the view would
// fail every read after it.
void Interpreter::remakeViewsReading(const std::string& function, int line) {
  if (!objectExists("table", kTable)) return;
  std::vector<std::string> texts;
  {
    std::unique_ptr<Cursor> rows =
        backend_->prepare(std::string("SELECT body FROM ") + kTable + " WHERE functions LIKE ?1 ORDER BY name");
    rows->bind(1, SqlValue::text("% " + function + " %"));
    while (rows->step()) texts.push_back(rows->column(0).toText());
  }
  for (const auto& text : texts) {
    ast::Batch batch = Parser::parse(text);
    const auto* view = batch.statements.size() == 1 ? ast::nodeAs<ast::CreateViewStmt>(batch.statements[0].get())
                                                    : nullptr;
    if (!view) throw SqlException(errors::Error::UserMessage, line, {"A kept view text no longer reads as a view."});
    defineView(*view, true);
  }
}

}  // namespace tsql::exec
