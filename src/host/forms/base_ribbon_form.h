// TBaseRibbonForm: the base of the windows that belong to a plug item (every bill
// editor, the settlement and order-processing windows, the write-off selectors). It
// keeps the plug item, the window-settings hooks and the close action, and creates the
// bill editor pages (generateForm).
#pragma once

#include <string>

#include "host/forms/base_form.h"
#include "host/plug/plug_item.h"

namespace host {

class TPageControl;

class TBaseRibbonForm : public TBaseForm {
 public:
  //! The host constructor: owner and plug item (the item may be set later by generateForm).
  TBaseRibbonForm(FormModel* owner, TPlugItem* item, std::string className, std::string caption);

  TPlugItem* PlugItem;  //!< the item this window was opened for (not owned)

  //! Creates a page of `formClass` for `item` in `pages`: constructs it, sets its plug
  //! item, runs FormCreate, adds it as the active page. Throws std::logic_error when
  //! the class is not a ribbon form or cannot be created.
  static TBaseRibbonForm& generateForm(FormModel* owner, const TFormClass& formClass,
                                       TPageControl& pages, TPlugItem& item);

  //! The plug code ("" when no item).
  std::string plugCode() const { return PlugItem ? PlugItem->code : std::string(); }

  //! Reads the window settings kept for the plug (first thing FormCreate does).
  virtual void ReadIniSettings() {}
  //! Stores the window settings (when the form closes).
  virtual void WriteIniSettings() {}
  //! First set-up after the controls exist (last thing FormCreate does).
  virtual void init_() {}

  //! Adds the close action, reads the settings, runs init_.
  void FormCreate() override;
  //! Stores the settings.
  void FormClose() override;
};

}  // namespace host
