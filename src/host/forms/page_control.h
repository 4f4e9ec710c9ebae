// TPageControl: the host main window's page control. Every bill editor opens as a page
// and belongs to it; a page that closes is released at the next safe point (never from
// inside its own handler). PageControl() is the one the host's common unit provides.
// A page may open from anywhere (a ribbon click, a form's own action): the main window
// learns of each through onPageAdded, wherever it came from.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "host/forms/base_form.h"

namespace host {

class TPageControl {
 public:
  //! Takes the form as a new page and makes it the active page. Returns it.
  TBaseForm& addPage(std::unique_ptr<TBaseForm> form);
  //! Open pages, in the order they were added (closed ones not yet released included).
  std::vector<TBaseForm*> pages() const;
  //! The last page added that is still open, or null.
  TBaseForm* activePage() const;
  //! Frees every page that has closed; call only between user events.
  void releaseClosed();
  //! Frees every page (the main window closing).
  void clear();

  //! Told of every page added, as it is added: its creator is still running then (the
  //! bill not yet opened), so a shell shows the page once the running event is over.
  std::function<void(TBaseForm& page)> onPageAdded;

 private:
  std::vector<std::unique_ptr<TBaseForm>> pages_;
};

//! The main window's page control (the common unit's `PageControl`).
TPageControl& PageControl();

}  // namespace host
