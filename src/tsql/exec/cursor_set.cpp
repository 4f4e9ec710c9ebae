// Cursor lookup and lifetime. A connection holds a handful of cursors, so a list
// searched by name serves.
#include "tsql/exec/cursor_set.h"

namespace tsql::exec {

DeclaredCursor* CursorSet::find(const std::string& name, bool global, int depth) {
  DeclaredCursor* found = nullptr;
  for (DeclaredCursor& c : cursors_) {
    if (c.name != name) continue;
    if (c.local && !global && c.depth == depth) return &c;
    if (!c.local) found = &c;
  }
  return found;
}

bool CursorSet::declared(const std::string& name, bool local, int depth) const {
  for (const DeclaredCursor& c : cursors_)
    if (c.name == name && c.local == local && (!local || c.depth == depth)) return true;
  return false;
}

DeclaredCursor& CursorSet::add(DeclaredCursor c) {
  c.serial = nextSerial_++;
  cursors_.push_back(std::move(c));
  return cursors_.back();
}

void CursorSet::remove(const DeclaredCursor& c) {
  cursors_.remove_if([&](const DeclaredCursor& x) { return &x == &c; });
}

void CursorSet::endLevel(int depth) {
  cursors_.remove_if([&](const DeclaredCursor& c) { return c.local && c.depth >= depth; });
}

std::int64_t CursorSet::cursorRows() const {
  for (const DeclaredCursor& c : cursors_) {
    if (c.serial != lastOpened_) continue;
    if (!c.open) return 0;
    bool counted = c.type == ast::CursorType::Static || c.type == ast::CursorType::Keyset;
    return counted ? static_cast<std::int64_t>(c.rows->size()) : -1;
  }
  return 0;
}

}  // namespace tsql::exec
