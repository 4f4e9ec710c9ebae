// The process-wide plug pool.
#include "host/plug/t_plugs_pool.h"

#include <stdexcept>

#include "host/lookup/host_plugs.h"

namespace host {

TPlugItem& TPlugsPool::registerPlug(std::unique_ptr<TPlugItem> item) {
  if (!item) throw std::invalid_argument("registerPlug: no plug item given");
  // Two items with one code would make every lookup by code ambiguous.
  if (!item->code.empty() && plugbyName(item->code) != nullptr)
    throw std::invalid_argument("Duplicates not allowed: plug item " + item->code +
                                " is already registered");
  items_.push_back(std::move(item));
  return *items_.back();
}

TPlugItem* TPlugsPool::plugbyName(std::string_view name) const {
  for (const auto& item : items_)
    if (item->caption == name || (!item->code.empty() && item->code == name)) return item.get();
  return nullptr;
}

std::vector<TPlugItem*> TPlugsPool::items() const {
  std::vector<TPlugItem*> out;
  out.reserve(items_.size());
  for (const auto& item : items_) out.push_back(item.get());
  return out;
}

void TPlugsPool::clear() { items_.clear(); }

TPlugsPool& plugsPool() {
  static TPlugsPool pool;
  // The host's own plugs are there before any package registers (as in the shell,
  // which loads packages after its own start-up). A plain flag, not a static
  // initializer: registerHostPlugs() calls back into plugsPool().
  static bool hostPlugsRegistered = false;
  if (!hostPlugsRegistered) {
    hostPlugsRegistered = true;
    registerHostPlugs();
  }
  return pool;
}

}  // namespace host
