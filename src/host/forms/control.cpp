// Control kinds by name, the editor test used by read-only switches and the rows a
// grid lets the user add or delete.
#include "host/forms/control.h"

namespace host {

const char* controlKindName(ControlKind kind) {
  switch (kind) {
    case ControlKind::Label: return "Label";
    case ControlKind::Edit: return "Edit";
    case ControlKind::ButtonEdit: return "ButtonEdit";
    case ControlKind::LookupCombo: return "LookupCombo";
    case ControlKind::ComboBox: return "ComboBox";
    case ControlKind::CheckBox: return "CheckBox";
    case ControlKind::DateEdit: return "DateEdit";
    case ControlKind::TimeEdit: return "TimeEdit";
    case ControlKind::CurrencyEdit: return "CurrencyEdit";
    case ControlKind::SpinEdit: return "SpinEdit";
    case ControlKind::Memo: return "Memo";
    case ControlKind::Grid: return "Grid";
    case ControlKind::Button: return "Button";
  }
  return "Edit";
}

bool Control::isEditor() const {
  switch (kind) {
    case ControlKind::Label:
    case ControlKind::Grid:
    case ControlKind::Button:
      return false;
    default:
      return true;
  }
}

bool Control::offersRows(bool insert) const {
  return kind == ControlKind::Grid && !readOnly && enabled && (insert ? insertRows : deleteRows);
}

}  // namespace host
