// TSampleBillEditRibbonForm: grid columns from the bill settings, and the bill editor
// creator (page, open, optional new bill).
#include "host/forms/sample_bill_edit_ribbon_form.h"

#include <stdexcept>

#include "host/forms/page_control.h"

namespace host {

TSampleBillEditRibbonForm::TSampleBillEditRibbonForm(FormModel* owner, TPlugItem* item,
                                                     std::string className, std::string caption)
    : TBaseBillEditRibbonForm(owner, item, std::move(className), std::move(caption)) {}

void TSampleBillEditRibbonForm::FormCreate() {
  TBaseBillEditRibbonForm::FormCreate();
  genDetailColumns();
}

void TSampleBillEditRibbonForm::genDetailColumns() {
  if (detailGridName.empty()) return;
  control(detailGridName).columns = billConfig.columns;
}

void openBillEditor(FormModel* owner, TPlugItem& item, const std::string& billno) {
  TBaseRibbonForm& page = TBaseRibbonForm::generateForm(owner, item.formClass, PageControl(), item);
  auto* editor = dynamic_cast<TBaseBillEditRibbonForm*>(&page);
  if (editor == nullptr) throw std::logic_error("plug " + item.code + ": " + item.formClass.name + " is not a bill editor");
  editor->OpenBillData(billno);
  if (billno.empty() && editor->billoptions.newbill == "1") editor->action("actAdd").execute();
}

PlugCreator billEditorCreator() {
  return [](FormModel* owner, TPlugItem& item, const std::string& billno, const std::string&,
            const std::vector<std::string>&) { openBillEditor(owner, item, billno); };
}

}  // namespace host
