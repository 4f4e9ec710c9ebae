// TranslationMemo: translations kept by the tree node they were made from, so a
// statement run again (in a loop, a procedure called again, a batch whose shape was
// seen before) skips the translator. A translation depends on the schema (checked
// by a generation number the interpreter raises on every schema change) and on the
// names the translator asked the interpreter about (variables and their types, table
// variables' temp tables, caller parameters' types): those answers are kept with it
// and asked again before reuse. Owned by the tree's owner; not thread safe.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "tsql/ast/node.h"
#include "tsql/translate/sql_translator.h"

namespace tsql::exec {

//! One question the translator asked about a name, with the answer it got.
struct NameDependency {
  enum class Kind : std::uint8_t { Variable, TableVariable, HostParameter };
  Kind kind = Kind::Variable;
  std::string name;
  bool found = false;
  ast::DataType type;  //!< variables and caller parameters
  std::string table;   //!< table variables
};

//! A translation and what it was made under.
struct MemoEntry {
  std::uint64_t generation = 0;
  //! A translation that wrote a user function's body (or asked for one) is made again
  //! when another connection may have changed that function (Interpreter::functionGeneration_).
  bool readsFunctions = false;
  std::uint64_t functionGeneration = 0;
  std::vector<NameDependency> names;
  std::shared_ptr<translate::Translation> translation;
  std::shared_ptr<translate::AssignmentPlan> assignment;
  //! INSERT ... VALUES shared by shape: the value each literal slot takes (by index).
  std::shared_ptr<const std::vector<std::size_t>> valueOfSlot;
};

class TranslationMemo {
 public:
  //! The entry kept for `node`, or nullptr.
  MemoEntry* find(const ast::Node* node) {
    auto it = entries_.find(node);
    return it == entries_.end() ? nullptr : &it->second;
  }
  MemoEntry& put(const ast::Node* node, MemoEntry entry) { return entries_[node] = std::move(entry); }
  void clear() { entries_.clear(); }

 private:
  std::unordered_map<const ast::Node*, MemoEntry> entries_;
};

}  // namespace tsql::exec
