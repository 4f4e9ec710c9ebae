// Views that read user functions. The translator writes a function's body into the view
// that calls it, so the view's text, and the functions it reads, are kept in
// tsql_view_sources; when one of those functions is altered, each view that reads it is
// translated again and made anew, and answers with the new body as SQL Server's does.
// A dropped function's views fail their reads until it is made again; `unbound` keeps
// such a view's last translation, so that a function made again with other arguments
// can give its views that mismatch's error instead of the drop's.
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
                    " (name varchar(256) PRIMARY KEY, functions text NOT NULL, body text NOT NULL, unbound text)");
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

// The view `name` failing every read with `error`, with the columns of `translated`, its
// translation while it still bound. LIMIT is worked out before any row is read, so even
// a view with no rows fails.
std::string failingView(const std::string& name, const std::string& translated, const std::string& error) {
  const std::string head = "CREATE VIEW " + translate::quoteIdent(name) + " AS ";
  assert(translated.starts_with(head));
  return head + "SELECT * FROM (" + translated.substr(head.size()) + ") AS \"tsql_unbound\" LIMIT tsql_error(" +
         translate::quoteText(error) + ")";
}

}  // namespace

// A table kept by an older build has no `unbound` column yet.
void Interpreter::keepUnboundViews() {
  const auto* columns = backend_->columns(kTable);
  if (columns)
    for (const auto& c : *columns)
      if (toLower(c.name) == "unbound") return;
  backend_->execute(std::string("ALTER TABLE ") + kTable + " ADD COLUMN unbound text");
  forgetSchema();
}

// The view `name` failing every read with `error`, its translation while it bound kept.
void Interpreter::failView(const std::string& name, const std::string& translated, const std::string& error) {
  if (translated.empty()) return;
  backend_->replaceView(name, failingView(name, translated, error));
  keepUnboundViews();
  std::unique_ptr<Cursor> keep = backend_->prepare(std::string("UPDATE ") + kTable + " SET unbound = ?2 WHERE name = ?1");
  keep->bind(1, SqlValue::text(name));
  keep->bind(2, SqlValue::text(translated));
  runToEnd(*keep);
}

// The translation the view `name` had before its function changed; "" when it binds.
std::string Interpreter::unboundView(const std::string& name) {
  keepUnboundViews();
  std::unique_ptr<Cursor> row =
      backend_->prepare(std::string("SELECT unbound FROM ") + kTable + " WHERE name = ?1");
  row->bind(1, SqlValue::text(name));
  return row->step() && !row->column(0).isNull() ? row->column(0).toText() : std::string();
}

// Each view that reads `function`, made again from its kept text (`before`: how each
// translated before the function changed; empty for a function made anew). A view that
// no longer translates, because the function takes other arguments now, fails every read
// with that mismatch (313, 8144), as SQL Server binds a view when it is read; one that
// reads another function that was dropped is left failing as that DROP left it.
void Interpreter::remakeViewsReading(const std::string& function, const std::vector<std::string>& before,
                                     int line) {
  const std::vector<std::string> texts = viewTextsReading(function);
  for (std::size_t i = 0; i < texts.size(); ++i) {
    ast::Batch batch = Parser::parse(texts[i]);
    const ast::CreateViewStmt& view = keptView(batch, line);
    try {
      defineView(view, true);
    } catch (const translate::TranslateError& e) {
      const bool missing = e.number() == errors::number(errors::Error::UnknownUserFunction) ||
                           e.number() == errors::number(errors::Error::InvalidObject);
      if (missing) continue;
      const std::string name = catalog::normalizeObjectName(view.name);
      failView(name, i < before.size() && !before[i].empty() ? before[i] : unboundView(name), e.what());
    }
  }
  forgetSchema();
}

// The views that read `function`, as they translate before it is altered or dropped
// ("" for one that fails already).
std::vector<std::string> Interpreter::viewsBeforeChange(const std::string& function, int line) {
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
void Interpreter::failViewsReading(const std::string& function, const std::vector<std::string>& before,
                                   int line) {
  const std::vector<std::string> texts = viewTextsReading(function);
  for (std::size_t i = 0; i < texts.size() && i < before.size(); ++i) {
    ast::Batch batch = Parser::parse(texts[i]);
    const ast::CreateViewStmt& view = keptView(batch, line);
    const std::string name = catalog::normalizeObjectName(view.name);
    // a view failing already (another function dropped, or this one's arguments
    // changed) fails from now on with what its text gives now
    const std::string translated = before[i].empty() ? unboundView(name) : before[i];
    if (translated.empty()) continue;
    std::string error;
    try {
      translate::SqlTranslator tr(*this, true);
      std::vector<catalog::ColumnInfo> columns;
      tr.createView(view, columns);
      continue;  // it reads the function no more
    } catch (const translate::TranslateError& e) {
      error = e.what();
    }
    failView(name, translated, error);
  }
  forgetSchema();
}

}  // namespace tsql::exec
