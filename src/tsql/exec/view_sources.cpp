// Views that read user functions. The translator writes a function's body into the view
// that calls it, so the view's text, and the functions it reads, are kept in
// tsql_view_sources; when one of those functions is altered, each view that reads it is
// translated again and made anew, and answers with the new body as SQL Server's does.
// A dropped function's views fail their reads until it is made again.
// The table is made by the first such view, so a database without one never has it.
#include <cassert>

#include "tsql/exec/interpreter.h"
#include "tsql/parser/parser.h"
#include "tsql/translate/sql_translator.h"

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

// The kept CREATE VIEW texts of the views that read `function`.
std::vector<std::string> Interpreter::viewTextsReading(const std::string& function) {
  std::vector<std::string> texts;
  if (!objectExists("table", kTable)) return texts;
  std::unique_ptr<Cursor> rows =
      backend_->prepare(std::string("SELECT body FROM ") + kTable + " WHERE functions LIKE ?1 ORDER BY name");
  rows->bind(1, SqlValue::text("% " + function + " %"));
  while (rows->step()) texts.push_back(rows->column(0).toText());
  return texts;
}

namespace {

const ast::CreateViewStmt& keptView(const ast::Batch& batch, int line) {
  const auto* view = batch.statements.size() == 1 ? ast::nodeAs<ast::CreateViewStmt>(batch.statements[0].get())
                                                  : nullptr;
  if (!view) throw SqlException(errors::Error::UserMessage, line, {"A kept view text no longer reads as a view."});
  return *view;
}

}  // namespace

// Each view that reads `function`, made again from its kept text. After an ALTER, a
// view that no longer translates (the function now takes other arguments) fails the
// ALTER, as the view would fail every read after it. A view that reads another function
// that was dropped is left failing its reads as that DROP left it, and so is one that
// does not translate after a CREATE.
void Interpreter::remakeViewsReading(const std::string& function, int line, bool altered) {
  for (const auto& text : viewTextsReading(function)) {
    ast::Batch batch = Parser::parse(text);
    try {
      defineView(keptView(batch, line), true);
    } catch (const translate::TranslateError& e) {
      const bool missing = e.number() == errors::number(errors::Error::UnknownUserFunction) ||
                           e.number() == errors::number(errors::Error::InvalidObject);
      if (altered && !missing) throw;
    }
  }
}

// The views that read `function`, as they translate before it is dropped ("" for one
// that fails already: it read another function dropped before).
std::vector<std::string> Interpreter::viewsBeforeDrop(const std::string& function, int line) {
  std::vector<std::string> sqls;
  for (const auto& text : viewTextsReading(function)) {
    ast::Batch batch = Parser::parse(text);
    translate::SqlTranslator tr(*this, true);
    std::vector<catalog::ColumnInfo> columns;
    try {
      sqls.push_back(tr.createView(keptView(batch, line), columns));
    } catch (const translate::TranslateError&) {
      sqls.emplace_back();
    }
  }
  return sqls;
}

// After DROP FUNCTION each view that read it fails every read with the error its text
// now gives (SQL Server binds a view's names when it is read), keeping its columns so
// that views over it stay as they are; it is made again when the function is.
// LIMIT is worked out before any row is read, so even a view with no rows fails.
void Interpreter::failViewsReading(const std::string& function, const std::vector<std::string>& before,
                                   int line) {
  const std::vector<std::string> texts = viewTextsReading(function);
  for (std::size_t i = 0; i < texts.size() && i < before.size(); ++i) {
    if (before[i].empty()) continue;
    ast::Batch batch = Parser::parse(texts[i]);
    const ast::CreateViewStmt& view = keptView(batch, line);
    std::string error;
    try {
      translate::SqlTranslator tr(*this, true);
      std::vector<catalog::ColumnInfo> columns;
      tr.createView(view, columns);
      continue;  // it reads the function no more
    } catch (const translate::TranslateError& e) {
      error = e.what();
    }
    const std::string name = catalog::normalizeObjectName(view.name);
    const std::string head = "CREATE VIEW " + translate::quoteIdent(name) + " AS ";
    assert(before[i].starts_with(head));
    const std::string sql = head + "SELECT * FROM (" + before[i].substr(head.size()) +
                            ") AS \"tsql_unbound\" LIMIT tsql_error(" + translate::quoteText(error) + ")";
    backend_->replaceView(name, sql);
  }
  forgetSchema();
}

}  // namespace tsql::exec
