// TPageControl: owns the pages; closed pages wait until releaseClosed so that a form
// closing from its own action is not freed under its feet.
#include "host/forms/page_control.h"

#include <algorithm>

namespace host {

TBaseForm& TPageControl::addPage(std::unique_ptr<TBaseForm> form) {
  pages_.push_back(std::move(form));
  TBaseForm& page = *pages_.back();
  if (onPageAdded) onPageAdded(page);
  return page;
}

std::vector<TBaseForm*> TPageControl::pages() const {
  std::vector<TBaseForm*> out;
  for (const auto& p : pages_) out.push_back(p.get());
  return out;
}

TBaseForm* TPageControl::activePage() const {
  for (auto it = pages_.rbegin(); it != pages_.rend(); ++it)
    if (!(*it)->isClosed()) return it->get();
  return nullptr;
}

void TPageControl::releaseClosed() {
  std::erase_if(pages_, [](const std::unique_ptr<TBaseForm>& p) { return p->isClosed(); });
}

void TPageControl::clear() { pages_.clear(); }

TPageControl& PageControl() {
  static TPageControl control;
  return control;
}

}  // namespace host
