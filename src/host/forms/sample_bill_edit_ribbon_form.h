// TSampleBillEditRibbonForm: the bill editor base of every registered bill type. To the
// bill editor it adds the line grid built from the bill settings (genDetailColumns),
// and the creator that opens a bill editor as a page of the main window.
#pragma once

#include <string>

#include "host/forms/base_bill_edit_ribbon_form.h"
#include "host/plug/plug_item.h"

namespace host {

class TSampleBillEditRibbonForm : public TBaseBillEditRibbonForm {
 public:
  TSampleBillEditRibbonForm(FormModel* owner, TPlugItem* item, std::string className,
                            std::string caption);

  //! Builds the line grid's columns from the bill settings (data.detail.columns).
  virtual void genDetailColumns();
  //! The inherited creation, then genDetailColumns.
  void FormCreate() override;
};

//! The creator of every bill editor: generateForm on the main window's page control,
//! OpenBillData with the bill number, and, when no number was given and the bill
//! options say to start with a new bill, actAdd's Execute at once.
void openBillEditor(FormModel* owner, TPlugItem& item, const std::string& billno);

//! openBillEditor as a plug item's creator routine.
PlugCreator billEditorCreator();

}  // namespace host
