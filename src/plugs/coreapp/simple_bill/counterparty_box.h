// CounterpartyBox: the "往来单位：" box of a bill made out to a customer or supplier:
// a button edit whose text is the counterparty's code and whose tag is its id, and
// the name beside it. Its button runs the counterparty lookup; the header's id field
// is written from the tag only when the bill is checked before saving.
#pragma once

#include <cstdint>
#include <functional>

#include "dataset/client_data_set.h"
#include "host/forms/base_bill_edit_ribbon_form.h"
#include "plugs/coreapp/simple_bill/stock_bill_spec.h"

namespace plugs::coreapp {

class CounterpartyBox {
 public:
  //! The form's bill list filters and shows the counterparty the box names.
  CounterpartyBox(host::TBaseBillEditRibbonForm& form, const Counterparty& counterparty)
      : form_(form), counterparty_(counterparty) {
    form.counterpartyField = counterparty.idField;
  }

  //! Adds the box (its button runs `onButton`) and the name beside it.
  void add(std::function<void()> onButton);
  //! Empties code, name and id.
  void clear();
  //! Shows the header's counterparty (id, code and name fields).
  void show(const dataset::ClientDataSet& master);
  //! Box and name follow the editor's read-only switch.
  void setReadOnly(bool readOnly);
  //! The id in the box (0 = none chosen).
  std::int64_t id() const;
  //! Runs the counterparty lookup; the first chosen row fills the box. A lookup that
  //! is missing or a selection that cannot be read is refused with a message.
  void pick();

 private:
  host::TBaseBillEditRibbonForm& form_;
  const Counterparty& counterparty_;
};

}  // namespace plugs::coreapp
