// libFuzzer target for the T-SQL engine: any input must either parse or throw
// SyntaxError — never crash, hang or throw anything else — and a batch that parses
// then runs on a fresh in-memory database, where every failure must come back as an
// error in the result. Batches with WHILE, GOTO or EXEC are only parsed (a loop may
// never end).
// Built with clang and -DCOREAPP_FUZZ=ON; `make test` runs it for 30 s, `make fuzz` longer.
#include <sqlite3.h>

#include <algorithm>
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "tsql/engine.h"
#include "tsql/parser/parser.h"

namespace {

bool mayLoop(std::string_view text) {
  std::string lower(text);
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  // EXEC may run a loop built out of pieces of text that spell no WHILE here.
  return lower.find("while") != std::string::npos || lower.find("goto") != std::string::npos ||
         lower.find("exec") != std::string::npos;
}

void runOnFreshDatabase(std::string_view text) {
  sqlite3* db = nullptr;
  if (sqlite3_open(":memory:", &db) != SQLITE_OK) {
    sqlite3_close(db);
    return;
  }
  {
    tsql::Engine engine(db);
    engine.run(text);  // errors come back in the result; a throw here is a finding
  }
  sqlite3_close(db);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  try {
    tsql::Parser::parse(text);
  } catch (const tsql::SyntaxError&) {
    return 0;  // rejecting malformed text is the expected outcome for most inputs
  }
  if (!mayLoop(text)) runOnFreshDatabase(text);
  return 0;
}
