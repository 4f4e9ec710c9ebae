// TBaseRibbonForm: settings hooks around creation and closing, the close action, and
// page creation for bill editors.
#include "host/forms/base_ribbon_form.h"

#include <stdexcept>

#include "core/abort.h"
#include "host/forms/page_control.h"

namespace host {

TBaseRibbonForm::TBaseRibbonForm(FormModel* owner, TPlugItem* item, std::string className,
                                 std::string caption)
    : TBaseForm(owner, std::move(className), std::move(caption)), PlugItem(item) {}

TBaseRibbonForm& TBaseRibbonForm::generateForm(FormModel* owner, const TFormClass& formClass,
                                               TPageControl& pages, TPlugItem& item) {
  if (!formClass.create)
    throw std::logic_error("plug " + item.code + ": form class " + formClass.name + " cannot be created");
  std::unique_ptr<FormModel> made = formClass.create(owner);
  auto* ribbon = dynamic_cast<TBaseRibbonForm*>(made.get());
  if (ribbon == nullptr)
    throw std::logic_error("plug " + item.code + ": " + formClass.name + " is not a ribbon form");
  std::unique_ptr<TBaseForm> form(static_cast<TBaseForm*>(made.release()));
  ribbon->PlugItem = &item;
  if (ribbon->caption.empty()) ribbon->caption = item.caption;
  ribbon->initialize();
  pages.addPage(std::move(form));
  return *ribbon;
}

void TBaseRibbonForm::FormCreate() {
  TBaseForm::FormCreate();
  Action& close = addAction("actclose", "关闭");
  close.onExecute = [this](Action&) {
    if (!CloseQuery()) throw core::Abort();
    Close();
  };
  ReadIniSettings();
  init_();
}

void TBaseRibbonForm::FormClose() { WriteIniSettings(); }

}  // namespace host
