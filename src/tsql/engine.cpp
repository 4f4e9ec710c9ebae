// Engine: the public entry of the embedded T-SQL interpreter (see engine.h).
#include "tsql/engine.h"

#include "tsql/exec/interpreter.h"
#include "tsql/exec/sqlite_backend.h"

namespace tsql {

Engine::Engine(sqlite3* db) {
  auto backend = std::make_unique<exec::SqliteBackend>(db);
  sqlite_ = backend.get();
  interpreter_ = std::make_unique<exec::Interpreter>(std::move(backend));
}

Engine::Engine(std::unique_ptr<exec::Backend> backend)
    : interpreter_(std::make_unique<exec::Interpreter>(std::move(backend))) {}

Engine::~Engine() = default;

BatchResult Engine::run(std::string_view text, const Params& params) {
  return interpreter_->run(text, params);
}

std::optional<std::vector<BatchResult>> Engine::runTogether(const std::vector<std::string>& texts,
                                                            const Params& params) {
  return interpreter_->runTogether(texts, params);
}

StorageFault Engine::takeStorageFault() {
  return sqlite_ ? sqlite_->takeStorageFault() : StorageFault::None;
}

void Engine::beginUnit() { interpreter_->beginUnit(); }

std::string Engine::commitUnit() { return interpreter_->commitUnit(); }

void Engine::rollbackUnit() { interpreter_->rollbackUnit(); }

bool Engine::unitOpen() const { return interpreter_->unitOpen(); }

}  // namespace tsql
