// TMyCxGrid: the user's column layout of a plug's grid — column order, widths and
// visibility — stored when the window closes and restored when it is built again.
// The host keeps one layout per plug code for the session (Host::gridLayouts).
#pragma once

#include <string_view>

#include "host/forms/control.h"

namespace host {

class TMyCxGrid {
 public:
  //! Keeps the grid's column order, widths and visible flags for `plugCode`.
  static void storeGridColumnStyle(const Control& grid, std::string_view plugCode);
  //! Applies the layout kept for `plugCode`: saved columns first in their saved order
  //! with their widths and visibility, then columns the layout does not know, in their
  //! own order. Saved columns the grid no longer has are skipped; nothing kept, nothing
  //! changes.
  static void restoreGridColumnStyle(Control& grid, std::string_view plugCode);
};

}  // namespace host
