// SchemaScript: splitting script files at GO lines and running their batches.
#include "schema/schema_script.h"

#include "db/embedded_connection.h"

#include <cctype>

namespace schema {

namespace {

// True for a line that holds only the batch separator GO.
bool isGoLine(std::string_view line) {
  auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
  while (!line.empty() && blank(line.front())) line.remove_prefix(1);
  while (!line.empty() && blank(line.back())) line.remove_suffix(1);
  return line.size() == 2 && std::toupper(static_cast<unsigned char>(line[0])) == 'G' &&
         std::toupper(static_cast<unsigned char>(line[1])) == 'O';
}

bool isBlank(std::string_view text) {
  for (char c : text)
    if (!std::isspace(static_cast<unsigned char>(c))) return false;
  return true;
}

}  // namespace

SchemaScript::SchemaScript(std::vector<ScriptFile> files) : files_(std::move(files)) {}

std::vector<ScriptBatch> SchemaScript::split(const ScriptFile& file) {
  std::vector<ScriptBatch> out;
  std::string_view text = file.text;
  std::size_t batchStart = 0;
  int batchLine = 1;
  int line = 1;
  std::size_t pos = 0;
  auto close = [&](std::size_t end) {
    std::string_view body = text.substr(batchStart, end - batchStart);
    if (!isBlank(body)) out.push_back({file.name, batchLine, body});
  };
  while (pos <= text.size()) {
    std::size_t eol = text.find('\n', pos);
    if (eol == std::string_view::npos) eol = text.size();
    if (isGoLine(text.substr(pos, eol - pos))) {
      close(pos);
      batchStart = eol < text.size() ? eol + 1 : text.size();
      batchLine = line + 1;
    }
    pos = eol + 1;
    ++line;
  }
  if (batchStart < text.size()) close(text.size());
  return out;
}

std::vector<ScriptBatch> SchemaScript::batches() const {
  std::vector<ScriptBatch> out;
  for (const auto& file : files_) {
    auto part = split(file);
    out.insert(out.end(), part.begin(), part.end());
  }
  return out;
}

void SchemaScript::run(db::Connection& connection) const {
  for (const auto& batch : batches()) {
    auto result = connection.execBatch(batch.text);
    if (result.ok()) continue;
    const auto& error = result.errors.front();
    int line = batch.firstLine + (error.line > 0 ? error.line - 1 : 0);
    throw SchemaError(std::string(batch.file) + " line " + std::to_string(line) + ": " +
                      error.message);
  }
}

void createDatabase(db::Connection& connection, bool demo) {
  SchemaScript(schemaFiles()).run(connection);
  if (demo) SchemaScript(demoFiles()).run(connection);
  // An embedded file carries its schema generation, so a later build's file is known.
  if (auto* file = dynamic_cast<db::EmbeddedConnection*>(&connection)) {
    const std::string stamp = "pragma user_version = " + std::to_string(db::EmbeddedConnection::kSchemaVersion);
    sqlite3_exec(file->handle(), stamp.c_str(), nullptr, nullptr, nullptr);
  }
}

}  // namespace schema
