// Engine: the public entry of the embedded T-SQL interpreter (see engine.h).
#include "tsql/engine.h"

#include "tsql/exec/interpreter.h"

namespace tsql {

Engine::Engine(sqlite3* db) : interpreter_(std::make_unique<exec::Interpreter>(db)) {}

Engine::~Engine() = default;

BatchResult Engine::run(std::string_view text, const Params& params) {
  return interpreter_->run(text, params);
}

sqlite3* Engine::db() const { return interpreter_->db(); }

}  // namespace tsql
