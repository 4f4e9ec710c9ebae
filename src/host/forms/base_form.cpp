// TBaseForm: creation in two phases, the modal loop handed to the host's Ui, and the
// question before unsaved edits are closed away.
#include "host/forms/base_form.h"

#include "dataset/client_data_set.h"
#include "host/host.h"
#include "host/services/sys_services.h"

namespace host {

TBaseForm::TBaseForm(FormModel* owner, std::string className, std::string caption)
    : FormModel(std::move(className), std::move(caption)), owner(owner) {}

TBaseForm::~TBaseForm() = default;

void TBaseForm::initialize() {
  if (created_) return;
  created_ = true;
  FormCreate();
}

void TBaseForm::FormCreate() {}

int TBaseForm::ShowModal() {
  initialize();
  closed_ = false;
  ModalResult = mrNone;
  modal_ = true;
  FormShow();
  int result = mrCancel;
  try {
    result = currentHost().screen().showModal(*this);
  } catch (...) {
    modal_ = false;
    throw;
  }
  modal_ = false;
  if (ModalResult == mrNone) ModalResult = result == mrNone ? mrCancel : result;
  if (!closed_) {
    closed_ = true;
    FormClose();
  }
  return ModalResult;
}

void TBaseForm::Close() {
  if (closed_) return;
  FormClose();
  closed_ = true;
  if (modal_ && ModalResult == mrNone) ModalResult = mrCancel;
}

bool TBaseForm::dataSetDirty(const dataset::ClientDataSet& ds) {
  const bool editing =
      ds.state() == dataset::DataSetState::Edit || ds.state() == dataset::DataSetState::Insert;
  return ds.changeCount() > 0 || (editing && ds.modified());
}

bool TBaseForm::hasUnsavedChanges() const {
  for (const std::string& name : dataSetNames())
    if (dataSetDirty(*findDataSet(name))) return true;
  return false;
}

bool TBaseForm::CloseQuery() {
  if (!hasUnsavedChanges()) return true;
  const int answer = MessageMyDlg("单据未保存，是否保存？", "提示", mtConfirmation,
                                  mbYes | mbNo | mbCancel, true);
  if (answer == mrNo) return true;
  if (answer != mrYes) return false;
  return saveForClose();
}

bool TBaseForm::saveForClose() {
  for (const char* name : {"actSave", "actsave", "actok"}) {
    if (findAction(name) == nullptr) continue;
    // A refused save (a message and an abort) keeps the form open with its edits.
    if (clickAction(name) != Outcome::Done) return false;
    return isClosed() || ModalResult != mrNone || !hasUnsavedChanges();
  }
  return false;
}

}  // namespace host
