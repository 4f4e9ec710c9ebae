// PlanCache: parsed batches kept by shape (see batch_shape.h), least recently used
// dropped past the capacity. A batch whose shape was seen before is only scanned: the
// kept tree takes the new text's literal values and keeps the translations made while
// it ran (its TranslationMemo). Batches that define schema (CREATE, ALTER, DROP) and
// shapes the scan does not lift exactly as the lexer does (an ORDER BY ordinal) are
// parsed afresh each time. Not thread safe; a plan stays alive while it is held.
#pragma once

#include <cstddef>
#include <list>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "tsql/ast/stmt.h"
#include "tsql/exec/batch_shape.h"
#include "tsql/exec/translation_memo.h"

namespace tsql::exec {

//! A parsed batch and what was learnt running it.
struct BatchPlan {
  ast::Batch batch;
  TranslationMemo memo;
  //! The literal node each lifted literal (by its index in the text) gives its value,
  //! but for those statements bind from the text (memo.lifted).
  std::vector<std::pair<std::size_t, ast::LiteralExpr*>> values;
  //! Lifted literals the parser did not make literal nodes of (a type's length, an
  //! alias in quotes): part of the tree, so a reuse needs the same text.
  std::vector<std::pair<std::size_t, std::string>> fixedTexts;
};

class PlanCache : private ShapeCandidates {
 public:
  explicit PlanCache(std::size_t capacity) : capacity_(capacity) {}

  //! The plan for `text`, parsed or reused with the text's literal values.
  //! Throws SyntaxError.
  std::shared_ptr<BatchPlan> plan(std::string_view text);
  //! Drops every kept plan.
  void clear();
  std::size_t size() const { return plans_.size(); }  //!< plans kept
  std::size_t hits() const { return hits_; }          //!< batches that were not parsed

 private:
  struct Entry {
    std::shared_ptr<BatchPlan> plan;
    std::list<std::string>::iterator lru;
  };
  //! Hashes a shape by its length and its two ends: a save batch's shape is tens of
  //! kilobytes, and the lookup compares the whole key anyway.
  struct KeyHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view s) const {
      constexpr std::size_t kEnd = 256;
      if (s.size() <= 2 * kEnd) return std::hash<std::string_view>{}(s);
      std::hash<std::string_view> h;
      return h(s.substr(0, kEnd)) ^ (h(s.substr(s.size() - kEnd)) * 31) ^ s.size();
    }
  };
  using Plans = std::unordered_map<std::string, Entry, KeyHash, std::equal_to<>>;
  //! The kept plan of the latest key with these first bytes: the scan compares against it.
  std::string_view candidate(std::string_view prefix) override;
  //! Makes `kept` the candidate for keys of its first bytes.
  void offer(Plans::value_type& kept);
  //! Erases a kept plan, its place in the order and as a candidate.
  void forget(Plans::iterator it);
  bool reuse(BatchPlan& plan, std::string_view text);
  //! Hands the scan's literals of `text` to the plan that runs it.
  void lend(BatchPlan& plan, std::string_view text);
  void keep(std::shared_ptr<BatchPlan> plan);

  std::size_t capacity_;
  std::size_t hits_ = 0;
  BatchShape shape_;              // the last batch's, its storage kept for the next
  std::list<std::string> order_;  // most recently used first
  Plans plans_;
  //! Views of plans_' keys' first kPrefixBytes (of keys that long): a node's address
  //! stays while it is kept.
  std::unordered_map<std::string_view, Plans::value_type*> byPrefix_;
  Plans::value_type* candidate_ = nullptr;  // the last candidate() gave
  //! The plan the last text ran: a form's look-up per line asks the same short shape
  //! again and again, compared with it before its key is hashed.
  Plans::value_type* last_ = nullptr;
};

}  // namespace tsql::exec
