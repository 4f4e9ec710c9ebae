// Plug items: the rules list that refuses a repeated code, and the checked calls of
// creator and selection routine.
#include "host/plug/plug_item.h"

#include <stdexcept>

namespace host {

void TPlugItem::addRule(TauthRule rule) {
  // The host keeps rules in a dictionary keyed by code; a second key is its
  // duplicate-key error, which ends the registration of the unit.
  if (this->rule(rule.code) != nullptr)
    throw std::invalid_argument("Duplicates not allowed: rule " + rule.code + " of plug item " +
                                code + " " + caption + " is added twice");
  rules_.push_back(std::move(rule));
}

const TauthRule* TPlugItem::rule(std::string_view ruleCode) const {
  for (const TauthRule& r : rules_)
    if (r.code == ruleCode) return &r;
  return nullptr;
}

void TPlugItem::create(Owner owner, const std::string& billno, const std::string& text2,
                       const std::vector<std::string>& args) {
  if (!creator)
    throw std::logic_error("plug item " + caption + " cannot be opened: it has no creator");
  creator(owner, *this, billno, text2, args);
}

std::string TPlugItem::selectData(Owner owner, const std::string& filter,
                                  const std::string& options) {
  if (!select) throw std::logic_error("plug item " + caption + " is not a query plug");
  return select(owner, *this, filter, options);
}

}  // namespace host
