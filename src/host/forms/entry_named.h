// entryNamed: which entry of a host list (accounts, stores, settlement methods...) a typed
// text names. A grid's list cell and a header's lookup combo resolve a clerk's text alike:
// the name itself, else the code, else the first entry whose code or name begins with it.
#pragma once

#include <string>
#include <vector>

#include "core/strings.h"

namespace host {

//! The entry `typed` names: its name, else its code, else the first entry (in list
//! order) whose code or name begins with the text (letters in either case); null when
//! none does. `Entry` has `code` and `name` strings.
template <class Entry>
const Entry* entryNamed(const std::vector<Entry>& entries, const std::string& typed) {
  if (typed.empty()) return nullptr;
  const std::string wanted = core::lowerCase(typed);
  for (const Entry& e : entries)
    if (e.name == typed) return &e;
  for (const Entry& e : entries)
    if (core::lowerCase(e.code) == wanted) return &e;
  for (const Entry& e : entries)
    if (core::lowerCase(e.code).starts_with(wanted) || core::lowerCase(e.name).starts_with(wanted))
      return &e;
  return nullptr;
}

}  // namespace host
