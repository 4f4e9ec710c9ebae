// TPlugsPool: the host's registry of plug items, in registration order. Items are
// found by caption or code; the pool owns them for the life of the process.
#pragma once

#include <memory>
#include <string_view>
#include <vector>

#include "host/plug/plug_item.h"

namespace host {

class TPlugsPool {
 public:
  //! Takes ownership of the item; returns it. A second item with the code of an
  //! existing package item replaces nothing: throws std::invalid_argument.
  TPlugItem& registerPlug(std::unique_ptr<TPlugItem> item);
  //! The item whose caption or code equals `name`, or null.
  TPlugItem* plugbyName(std::string_view name) const;
  //! Every item, in registration order.
  std::vector<TPlugItem*> items() const;
  //! Removes every item (tests only).
  void clear();

 private:
  std::vector<std::unique_ptr<TPlugItem>> items_;
};

//! The process-wide pool; the first call registers the host's own plugs
//! (registerHostPlugs) so lookups are found whoever starts the host.
TPlugsPool& plugsPool();

}  // namespace host
