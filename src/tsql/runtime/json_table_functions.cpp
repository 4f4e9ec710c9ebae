// The table functions behind OPENJSON and STRING_SPLIT. Each call's rows are made
// whole when SQLite starts reading it (xFilter) and handed out one by one; an argument
// column left unconstrained makes a plan SQLite must not choose (SQLITE_CONSTRAINT).
#include "tsql/runtime/json_table_functions.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "tsql/runtime/json_text.h"
#include "tsql/runtime/value_conversion.h"

namespace tsql::runtime {

namespace {

struct Cell {
  std::optional<std::string> text;  // NULL when absent and not a number
  std::optional<std::int64_t> number;
};
using Row = std::vector<Cell>;

std::string_view textOf(sqlite3_value* v) {
  auto* s = reinterpret_cast<const char*>(sqlite3_value_text(v));
  return std::string_view(s ? s : "", static_cast<std::size_t>(sqlite3_value_bytes(v)));
}

// An argument not given, or NULL.
bool absent(sqlite3_value* v) { return !v || sqlite3_value_type(v) == SQLITE_NULL; }

// OPENJSON's default schema over the container the path names.
void openJson(sqlite3_value** args, std::vector<Row>& rows) {
  if (absent(args[0])) return;
  JsonPath path = JsonPath::parse(absent(args[1]) ? "$" : textOf(args[1]));
  JsonText doc(textOf(args[0]));
  std::optional<JsonText::Span> at = doc.find(path.steps, path.steps.size());
  if (!at) {
    if (path.strict) throw RuntimeError(errors::Error::JsonPropertyMissing);
    return;
  }
  if (at->kind != JsonText::Kind::Object && at->kind != JsonText::Kind::Array) {
    if (path.strict) throw RuntimeError(errors::Error::JsonNotContainer);
    return;
  }
  // with a schema, the rows are an array's elements or the one object, each as JSON
  const bool whole = !absent(args[2]) && sqlite3_value_int64(args[2]) != 0;
  std::vector<JsonText::Member> members;
  if (whole && at->kind == JsonText::Kind::Object)
    members.push_back({"0", *at});
  else
    members = doc.children(*at);
  for (const JsonText::Member& m : members) {
    Cell value;
    if (whole || m.value.kind == JsonText::Kind::Object || m.value.kind == JsonText::Kind::Array)
      value.text = std::string(doc.raw(m.value));
    else if (m.value.kind != JsonText::Kind::Null)
      value.text = doc.scalarText(m.value);
    rows.push_back({Cell{m.key, {}}, value, Cell{{}, static_cast<std::int64_t>(m.value.kind)}});
  }
}

void stringSplit(sqlite3_value** args, std::vector<Row>& rows) {
  std::string_view sep = absent(args[1]) ? "" : textOf(args[1]);
  if (JsonText::charCount(sep) != 1) throw RuntimeError(errors::Error::ParameterType, {"separator", "nchar(1)/nvarchar(1)"});
  if (absent(args[0])) return;
  std::string_view s = textOf(args[0]);
  for (std::size_t from = 0;;) {
    std::size_t at = s.find(sep, from);
    std::string_view piece =
        s.substr(from, at == std::string_view::npos ? std::string_view::npos : at - from);
    rows.push_back(
        {Cell{std::string(piece), {}}, Cell{{}, static_cast<std::int64_t>(rows.size() + 1)}});
    if (at == std::string_view::npos) break;
    from = at + sep.size();
  }
}

struct Module {
  const char* schema;  // visible columns, then the HIDDEN arguments
  int columns;         // visible columns
  int required;        // arguments that must be given
  int arguments;
  void (*produce)(sqlite3_value**, std::vector<Row>&);  // arguments: nullptr when not given
};

constexpr Module kOpenJson{
    "CREATE TABLE x(key TEXT, value TEXT, type INTEGER, json HIDDEN, path HIDDEN, whole HIDDEN)", 3,
    1, 3, &openJson};
constexpr Module kStringSplit{
    "CREATE TABLE x(value TEXT, ordinal INTEGER, input HIDDEN, separator HIDDEN)", 2, 2, 2,
    &stringSplit};

struct Table {
  sqlite3_vtab base{};
  const Module* module;
};

struct Cursor {
  sqlite3_vtab_cursor base{};
  std::vector<Row> rows;
  std::size_t at = 0;
};

int connect(sqlite3* db, void* aux, int, const char* const*, sqlite3_vtab** out, char**) {
  const auto* m = static_cast<const Module*>(aux);
  int rc = sqlite3_declare_vtab(db, m->schema);
  if (rc != SQLITE_OK) return rc;
  auto* t = new (std::nothrow) Table{{}, m};
  if (!t) return SQLITE_NOMEM;
  *out = &t->base;
  return SQLITE_OK;
}

int disconnect(sqlite3_vtab* v) {
  delete reinterpret_cast<Table*>(v);
  return SQLITE_OK;
}

// Arguments are the hidden columns given by equality; idxNum marks which were given.
int bestIndex(sqlite3_vtab* v, sqlite3_index_info* info) {
  const Module& m = *reinterpret_cast<Table*>(v)->module;
  int given = 0;
  for (int i = 0; i < info->nConstraint; ++i) {
    const auto& c = info->aConstraint[i];
    int arg = c.iColumn - m.columns;
    if (arg < 0 || c.op != SQLITE_INDEX_CONSTRAINT_EQ) continue;
    if (!c.usable) return SQLITE_CONSTRAINT;
    info->aConstraintUsage[i].argvIndex = arg + 1;
    info->aConstraintUsage[i].omit = 1;
    given |= 1 << arg;
  }
  if ((given & ((1 << m.required) - 1)) != (1 << m.required) - 1) return SQLITE_CONSTRAINT;
  info->idxNum = given;
  info->estimatedCost = 10;
  return SQLITE_OK;
}

int open(sqlite3_vtab*, sqlite3_vtab_cursor** out) {
  auto* c = new (std::nothrow) Cursor;
  if (!c) return SQLITE_NOMEM;
  *out = &c->base;
  return SQLITE_OK;
}

int close(sqlite3_vtab_cursor* c) {
  delete reinterpret_cast<Cursor*>(c);
  return SQLITE_OK;
}

int filter(sqlite3_vtab_cursor* cur, int given, const char*, int argc, sqlite3_value** argv) {
  auto* c = reinterpret_cast<Cursor*>(cur);
  const Module& m = *reinterpret_cast<Table*>(cur->pVtab)->module;
  c->rows.clear();
  c->at = 0;
  // argv holds the given arguments in column order
  std::vector<sqlite3_value*> args(static_cast<std::size_t>(m.arguments), nullptr);
  for (int i = 0, k = 0; i < m.arguments; ++i)
    if ((given & (1 << i)) && k < argc) args[static_cast<std::size_t>(i)] = argv[k++];
  try {
    m.produce(args.data(), c->rows);
  } catch (const std::exception& e) {
    sqlite3_free(cur->pVtab->zErrMsg);
    cur->pVtab->zErrMsg = sqlite3_mprintf("%s", e.what());
    return SQLITE_ERROR;
  }
  return SQLITE_OK;
}

int next(sqlite3_vtab_cursor* cur) {
  ++reinterpret_cast<Cursor*>(cur)->at;
  return SQLITE_OK;
}

int eof(sqlite3_vtab_cursor* cur) {
  auto* c = reinterpret_cast<Cursor*>(cur);
  return c->at >= c->rows.size();
}

int column(sqlite3_vtab_cursor* cur, sqlite3_context* ctx, int i) {
  auto* c = reinterpret_cast<Cursor*>(cur);
  const Row& row = c->rows[c->at];
  if (i >= static_cast<int>(row.size())) return sqlite3_result_null(ctx), SQLITE_OK;
  const Cell& cell = row[static_cast<std::size_t>(i)];
  if (cell.number)
    sqlite3_result_int64(ctx, *cell.number);
  else if (cell.text)
    sqlite3_result_text(ctx, cell.text->c_str(), static_cast<int>(cell.text->size()),
                        SQLITE_TRANSIENT);
  else
    sqlite3_result_null(ctx);
  return SQLITE_OK;
}

int rowid(sqlite3_vtab_cursor* cur, sqlite3_int64* id) {
  *id = static_cast<sqlite3_int64>(reinterpret_cast<Cursor*>(cur)->at);
  return SQLITE_OK;
}

sqlite3_module makeModule() {
  sqlite3_module m{};
  m.xConnect = &connect;
  m.xBestIndex = &bestIndex;
  m.xDisconnect = &disconnect;
  m.xOpen = &open;
  m.xClose = &close;
  m.xFilter = &filter;
  m.xNext = &next;
  m.xEof = &eof;
  m.xColumn = &column;
  m.xRowid = &rowid;
  return m;
}

const sqlite3_module kModule = makeModule();

}  // namespace

int JsonTableFunctions::install(sqlite3* db) {
  for (auto [name, module] :
       {std::pair{"tsql_openjson", &kOpenJson}, std::pair{"tsql_string_split", &kStringSplit}}) {
    int rc = sqlite3_create_module_v2(db, name, &kModule, const_cast<Module*>(module), nullptr);
    if (rc != SQLITE_OK) return rc;
  }
  return SQLITE_OK;
}

}  // namespace tsql::runtime
