// The procedure levels' temporary tables: a name maps to a stack of the tables the
// running procedures made under it, the innermost one answering.
#include "tsql/exec/temp_scope.h"

#include <algorithm>

namespace tsql::exec {

const std::string& TempScope::resolve(const std::string& name) const {
  auto it = byName_.find(name);
  return it == byName_.end() || it->second.empty() ? name : it->second.back().table;
}

bool TempScope::madeAt(const std::string& name, int depth) const {
  auto it = byName_.find(name);
  return it != byName_.end() && !it->second.empty() && it->second.back().depth == depth;
}

// '~' cannot be written in an unquoted name, so the level's table never meets a
// table the batch names itself.
std::string TempScope::add(const std::string& name, int depth) {
  std::string table = name + "~" + std::to_string(depth);
  byName_[name].push_back({depth, table});
  return table;
}

void TempScope::dropped(const std::string& table) {
  for (auto it = byName_.begin(); it != byName_.end(); ++it) {
    auto& made = it->second;
    auto at =
        std::find_if(made.begin(), made.end(), [&](const Made& m) { return m.table == table; });
    if (at == made.end()) continue;
    made.erase(at);
    if (made.empty()) byName_.erase(it);
    return;
  }
}

std::vector<std::string> TempScope::endLevel(int depth) {
  std::vector<std::string> ended;
  for (auto it = byName_.begin(); it != byName_.end();) {
    auto& made = it->second;
    while (!made.empty() && made.back().depth >= depth) {
      ended.push_back(made.back().table);
      made.pop_back();
    }
    it = made.empty() ? byName_.erase(it) : std::next(it);
  }
  return ended;
}

}  // namespace tsql::exec
