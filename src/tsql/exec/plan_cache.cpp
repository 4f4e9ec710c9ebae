// Parsed batches by shape with LRU eviction. Parsing and freeing the tree of a save
// batch costs as much as SQLite's own work on it; a shop saves the same shapes of
// batch all day. A new shape is lexed and parsed as any batch; it is kept only when
// the shape scan lifted exactly the literal tokens the lexer made (and that the
// translator reads only as values), so a reuse can never read another tree.
#include "tsql/exec/plan_cache.h"

#include "tsql/lexer/lexer.h"
#include "tsql/parser/parser.h"

namespace tsql::exec {

namespace {

bool isLiteral(TokenKind k) {
  return k == TokenKind::Integer || k == TokenKind::Number || k == TokenKind::String || k == TokenKind::NString;
}

// The translator writes an ORDER BY ordinal into the SQL as it stands: such an
// integer is not a value. Any integer from ORDER BY until a keyword other than
// ASC/DESC may be one (written "(1)" too), so none of them is taken for a value.
class OrdinalWatch {
 public:
  bool mayBeOrdinal(const Token& t, const Token*) const { return t.kind == TokenKind::Integer && open_; }
  void see(const Token& t, const Token* prev) {
    if (t.is(Keyword::By) && prev && prev->is(Keyword::Order)) open_ = true;
    else if (t.keyword != Keyword::None && !t.is(Keyword::Asc) && !t.is(Keyword::Desc)) open_ = false;
  }

 private:
  bool open_ = false;
};

struct Lexed {
  std::vector<Token> tokens;
  //! (token index, literal index) of each lifted literal, in token order.
  std::vector<std::pair<std::size_t, std::size_t>> liftedOrdinal;
  bool cacheable = true;
};

// Lexes the text and checks that the scan's literals are the lexer's value literals.
Lexed lexAgainst(std::string_view text, const std::vector<LiteralSpan>& spans) {
  Lexed out;
  out.tokens.reserve(text.size() / 4 + 4);  // as the parser reserves: no regrowth of a long batch
  out.liftedOrdinal.reserve(spans.size());
  Lexer lexer(text);
  OrdinalWatch ordinals;
  for (;;) {
    out.tokens.push_back(lexer.next());
    const Token& t = out.tokens.back();
    const Token* prev = out.tokens.size() > 1 ? &out.tokens[out.tokens.size() - 2] : nullptr;
    if (t.is(Keyword::Create) || t.is(Keyword::Alter) || t.is(Keyword::Drop)) out.cacheable = false;
    if (isLiteral(t.kind)) {
      std::size_t k = out.liftedOrdinal.size();
      auto offset = static_cast<std::size_t>(t.text.data() - text.data());
      bool same = k < spans.size() && spans[k].offset == offset && spans[k].length == t.text.size();
      if (same && !ordinals.mayBeOrdinal(t, prev)) out.liftedOrdinal.emplace_back(out.tokens.size() - 1, k);
      else if (same || (k < spans.size() && spans[k].offset <= offset)) out.cacheable = false;
    }
    ordinals.see(t, prev);
    if (t.kind == TokenKind::End) break;
  }
  if (out.liftedOrdinal.size() != spans.size()) out.cacheable = false;
  return out;
}

// Literals that statements now bind from the text are no longer written into the tree.
void dropBound(BatchPlan& plan) {
  auto& bound = plan.memo.lifted.newlyBound;
  std::vector<bool> fromText(plan.memo.lifted.spans.size(), false);
  for (const auto& [first, end] : bound)
    for (std::size_t k = first; k < end; ++k) fromText[k] = true;
  std::erase_if(plan.values, [&](const auto& value) { return fromText[value.first]; });
  bound.clear();
}

}  // namespace

bool PlanCache::reuse(BatchPlan& plan, std::string_view text) {
  const auto& spans = shape_.literals();
  for (const auto& [k, fixed] : plan.fixedTexts)
    if (spans[k].in(text) != fixed) return false;
  if (!plan.memo.lifted.newlyBound.empty()) dropBound(plan);
  for (const auto& [k, node] : plan.values) assignLiteralValue(node->text, text, spans[k]);
  lend(plan, text);
  return true;
}

// The plan takes the spans (and the scan this plan's last ones, as room for the next).
void PlanCache::lend(BatchPlan& plan, std::string_view text) {
  shape_.swapLiterals(plan.memo.lifted.spans);
  plan.memo.lifted.text = text;
  plan.memo.lifted.nodes = &plan.values;
}

std::string_view PlanCache::candidate(std::string_view prefix) {
  auto it = byPrefix_.find(prefix);
  candidate_ = it == byPrefix_.end() ? nullptr : it->second;
  return candidate_ ? std::string_view(candidate_->first) : std::string_view();
}

void PlanCache::offer(Plans::value_type& kept) {
  if (kept.first.size() < kPrefixBytes) return;
  std::string_view prefix(kept.first.data(), kPrefixBytes);
  byPrefix_.erase(prefix);  // its view may be of another kept key's bytes
  byPrefix_.emplace(prefix, &kept);
}

void PlanCache::forget(Plans::iterator it) {
  if (it->first.size() >= kPrefixBytes) {
    auto offered = byPrefix_.find(std::string_view(it->first.data(), kPrefixBytes));
    if (offered != byPrefix_.end() && offered->second == &*it) byPrefix_.erase(offered);
  }
  if (last_ == &*it) last_ = nullptr;
  order_.erase(it->second.lru);
  plans_.erase(it);
}

// A save batch's key is tens of kilobytes: the scan compares it with the candidate's as
// it goes. Another shape of the same first bytes is looked up whole and becomes theirs.
std::shared_ptr<BatchPlan> PlanCache::plan(std::string_view text) {
  candidate_ = nullptr;
  bool scanned = shape_.scan(text, this);
  if (scanned) {
    Plans::value_type* kept = shape_.matched() ? candidate_ : nullptr;
    if (!kept && last_ && last_->first == shape_.key()) kept = last_;
    if (!kept) {
      auto it = plans_.find(shape_.key());
      if (it != plans_.end()) offer(*(kept = &*it));
    }
    if (kept && reuse(*kept->second.plan, text)) {
      ++hits_;
      last_ = kept;
      order_.splice(order_.begin(), order_, kept->second.lru);
      return kept->second.plan;
    }
  }
  Lexed lexed = lexAgainst(text, shape_.literals());
  auto plan = std::make_shared<BatchPlan>();
  plan->batch = Parser(text, std::move(lexed.tokens)).parseBatch();
  if (!scanned || !lexed.cacheable) return plan;
  std::vector<bool> valued(shape_.literals().size(), false);
  // both in token order: one walk pairs each literal node with its lifted literal
  auto lifted = lexed.liftedOrdinal.begin();
  plan->values.reserve(lexed.liftedOrdinal.size());
  for (const auto& ref : plan->batch.literals) {
    while (lifted != lexed.liftedOrdinal.end() && lifted->first < ref.token) ++lifted;
    if (lifted == lexed.liftedOrdinal.end()) break;
    if (lifted->first != ref.token) continue;
    plan->values.emplace_back(lifted->second, ref.node);
    valued[lifted->second] = true;
  }
  for (std::size_t k = 0; k < valued.size(); ++k)
    if (!valued[k]) plan->fixedTexts.emplace_back(k, std::string(shape_.literals()[k].in(text)));
  keep(plan);
  lend(*plan, text);
  return plan;
}

// Replaces a plan of the same shape (one whose fixed texts differ: the newer wins).
void PlanCache::keep(std::shared_ptr<BatchPlan> plan) {
  std::string key(shape_.key());  // the scan's key may be the replaced plan's own bytes
  if (auto it = plans_.find(key); it != plans_.end()) forget(it);
  order_.push_front(key);
  auto kept = plans_.emplace(std::move(key), Entry{std::move(plan), order_.begin()}).first;
  offer(*kept);
  while (plans_.size() > capacity_) forget(plans_.find(order_.back()));
}

void PlanCache::clear() {
  last_ = nullptr;
  byPrefix_.clear();
  plans_.clear();
  order_.clear();
}

}  // namespace tsql::exec
