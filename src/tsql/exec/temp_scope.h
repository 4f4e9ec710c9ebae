// TempScope: the local temporary tables (#name) that procedures made, by the level of
// the procedure that made each. A table made by the batch itself keeps its own name
// and lives on the connection; one made in a procedure gets a name of its own level,
// hides an outer table of the same name while the procedure runs, and is dropped when
// the procedure ends. Global temporary tables (##name) are never kept here.
#pragma once

#include <string>
#include <unordered_map>
#include <vector>

namespace tsql::exec {

class TempScope {
 public:
  //! True for a local temporary table's name (one '#', not two).
  static bool isLocalTemp(const std::string& name) {
    return name.size() > 1 && name[0] == '#' && name[1] != '#';
  }
  //! The table `name` (normalized) stands for: the innermost procedure's own, else itself.
  const std::string& resolve(const std::string& name) const;
  //! True when the procedure at `depth` has already made a table named `name`.
  bool madeAt(const std::string& name, int depth) const;
  //! Notes that the procedure at `depth` (> 0) makes `name`; returns the table's name.
  std::string add(const std::string& name, int depth);
  //! Forgets the table `table` (a name resolve gave) when it was a procedure's.
  void dropped(const std::string& table);
  //! Forgets the tables of the procedure at `depth` and returns them, to be dropped.
  std::vector<std::string> endLevel(int depth);

 private:
  struct Made {
    int depth;
    std::string table;
  };
  std::unordered_map<std::string, std::vector<Made>> byName_;  //!< innermost last
};

}  // namespace tsql::exec
