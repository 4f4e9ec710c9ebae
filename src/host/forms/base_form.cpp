// TBaseForm: creation in two phases and the modal loop handed to the host's Ui.
#include "host/forms/base_form.h"

#include "host/host.h"

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

}  // namespace host
