// TranslationMemo: translations kept by the tree node they were made from, so a
// statement run again (in a loop, a procedure called again, a batch whose shape was
// seen before) skips the translator. A translation depends on the schema (checked
// by a generation number the interpreter raises on every schema change) and on the
// names the translator asked the interpreter about (variables and their types, table
// variables' temp tables, caller parameters' types): those answers are kept with it
// and asked again before reuse. Owned by the tree's owner; not thread safe.
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "tsql/ast/expr.h"
#include "tsql/ast/node.h"
#include "tsql/exec/batch_shape.h"
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
  //! Its text for 2, 4, 8 ... 64 rows at once (by the power of two), made when first
  //! asked (Interpreter::execInsertRows); rowsApart when it cannot be so written.
  std::array<std::string, 7> rowsTogether;
  bool rowsApart = false;
};

//! What the memo keeps for one node: its entry (one entry serves every statement of
//! an INSERT shape) and, for a kept batch's INSERT ... VALUES, where its literals are.
struct KeptTranslation {
  //! The statement's literals are not known to be the batch's lifted ones in a row.
  static constexpr std::uint32_t kUnknown = 0xFFFFFFFF;
  //! They are not: the statement's tree holds its values.
  static constexpr std::uint32_t kInTree = 0xFFFFFFFE;
  const ast::Node* node = nullptr;
  std::shared_ptr<MemoEntry> entry;
  //! Else the index of its first literal among the batch's lifted ones: the plan cache
  //! no longer writes them into the tree, they are bound from the text.
  std::uint32_t firstLifted = kUnknown;
};

//! A kept batch's lifted literals as the text running now has them (empty for other trees).
struct LiftedValues {
  std::string_view text;  //!< the batch running; valid while it runs
  std::vector<LiteralSpan> spans;
  //! The literal nodes the plan cache writes, by lifted index (BatchPlan::values).
  const std::vector<std::pair<std::size_t, ast::LiteralExpr*>>* nodes = nullptr;
  std::size_t searchFrom = 0;  //!< in `nodes`: after the last statement's literals found
  //! Runs of lifted literals bound from the text since the plan cache last looked:
  //! the cache stops writing them into the tree.
  std::vector<std::pair<std::uint32_t, std::uint32_t>> newlyBound;
};

//! The tree's kind of constant for a lifted literal.
inline ast::LiteralKind literalKind(const LiteralSpan& span) {
  switch (span.kind) {
    case LiteralSpan::Kind::Integer: return ast::LiteralKind::Integer;
    case LiteralSpan::Kind::Number: return ast::LiteralKind::Number;
    default: return ast::LiteralKind::String;
  }
}

class TranslationMemo {
 public:
  //! The kept translation of `node`, or nullptr. A tree runs its statements in the
  //! order it ran them before, so the one after the last found is tried first.
  KeptTranslation* find(const ast::Node* node) {
    if (next_ < kept_.size() && kept_[next_].node == node) return &kept_[next_++];
    auto it = index_.find(node);
    if (it == index_.end()) return nullptr;
    next_ = it->second + 1;
    return &kept_[it->second];
  }
  //! The kept translation of `node` when it is the `n`-th after the last found (the
  //! order the statements ran in before), without moving on; nullptr otherwise.
  KeptTranslation* ahead(std::size_t n, const ast::Node* node) {
    return next_ + n < kept_.size() && kept_[next_ + n].node == node ? &kept_[next_ + n] : nullptr;
  }
  //! The next `n` kept translations were used (as `find` of each would have).
  void pass(std::size_t n) { next_ += n; }
  //! Keeps `entry` for `node` (what was learnt of its literals stays). The result
  //! stays where it is as other nodes are put.
  KeptTranslation& put(const ast::Node* node, std::shared_ptr<MemoEntry> entry) {
    auto [it, added] = index_.try_emplace(node, kept_.size());
    if (added) kept_.push_back({node, nullptr, KeptTranslation::kUnknown});
    next_ = it->second + 1;
    KeptTranslation& k = kept_[it->second];
    k.entry = std::move(entry);
    return k;
  }
  void clear() {
    kept_.clear();
    index_.clear();
    next_ = 0;
  }
  LiftedValues lifted;  //!< a kept batch's (plan_cache.h)

 private:
  std::deque<KeptTranslation> kept_;  // in the order first put
  std::unordered_map<const ast::Node*, std::size_t> index_;
  std::size_t next_ = 0;
};

}  // namespace tsql::exec
