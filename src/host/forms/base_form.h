// TBaseForm: the base of every form of the system (small pickers and dialogs use it
// directly). It adds to the form model what a window has: an owner, two-phase creation
// (FormCreate runs once the object is complete, so overrides are reached), showing
// modally through the host's Ui, a modal result and closing.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <utility>

#include "host/forms/form_model.h"
#include "host/ui.h"

namespace dataset {
class ClientDataSet;
}

namespace host {

class TBaseForm : public FormModel {
 public:
  //! `owner` may be null (the main window); the form never frees it.
  TBaseForm(FormModel* owner, std::string className, std::string caption);
  ~TBaseForm() override;

  FormModel* owner;          //!< the form that opened this one, or null
  int ModalResult = mrNone;  //!< set by the form's own buttons; non-zero closes a modal form

  //! Runs FormCreate once; safe to call again. Creators call it (makeForm does).
  void initialize();
  //! True once FormCreate has run.
  bool isCreated() const { return created_; }
  //! Shows the form modally through the Ui; returns the modal result (mrCancel when it
  //! was closed without one).
  int ShowModal();
  //! Closes the form: FormClose, then closed; a modal form without a result gets mrCancel.
  void Close();
  //! True after Close.
  bool isClosed() const { return closed_; }
  //! True while ShowModal runs.
  bool isModal() const { return modal_; }

  //! True when the form holds edits that closing would lose: a registered dataset with
  //! pending changes or an unposted row. Bill editors count them only while editing.
  virtual bool hasUnsavedChanges() const;
  //! Asks before edits are lost: with unsaved changes, "单据未保存，是否保存？" (Yes saves
  //! through saveForClose, No discards, Cancel stays). True when the form may close.
  //! The close action, the desktop's page and window close buttons and the scenario
  //! player's close all ask here first.
  bool CloseQuery();
  //! Saves for CloseQuery by clicking the form's save action (actSave, actsave or
  //! actok); true when it ran to its end and nothing is left unsaved (or it closed).
  virtual bool saveForClose();
  //! A dataset with pending changes or with a typed, unposted row.
  static bool dataSetDirty(const dataset::ClientDataSet& ds);

  //! Builds the form's controls, actions and bindings (subclasses call the inherited one).
  virtual void FormCreate();
  //! Runs right before the form is shown.
  virtual void FormShow() {}
  //! Runs when the form closes (subclasses store their settings here).
  virtual void FormClose() {}

  //! Binds a lookup combo to a host list ("ck", "yg", "shfs", "flow", "zh", "rklx",
  //! "cklx", "comp", "jsfs", "srlb", "fylb", "vipdj", "kh", "xm"): shows the store's names;
  //! choosing one writes its id to the field named by the combo's hint (bound combos) or to the
  //! combo's tag (unbound ones, 0 when the text names no entry). Throws
  //! std::invalid_argument for an unknown list.
  void BindLookupComboboxProperties(Control& combo, std::string_view listName);

 private:
  bool created_ = false;
  bool closed_ = false;
  bool modal_ = false;
};

//! The master table behind a host list ("zh" -> "vt_b_zhbmk"); null for an unknown list.
const char* hostListTable(std::string_view list);

//! Constructs a form and runs its FormCreate (the two phases of creation in one call).
template <class T, class... Args>
std::unique_ptr<T> makeForm(Args&&... args) {
  auto form = std::make_unique<T>(std::forward<Args>(args)...);
  form->initialize();
  return form;
}

}  // namespace host
