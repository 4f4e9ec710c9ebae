// TWriteOffSelectForm: the modal source selector of the write-off bills. It lists the
// counterparty's bills that are still open (amount, settled part, open rest), in one
// store or every store of the branch, lets the user tick any of them and hands the
// ticked rows back as a JSON array text. It never writes to the database. The customer
// and supplier classes differ only in their description (SelectSourceSpec).
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "dataset/client_data_set.h"
#include "host/forms/base_form.h"

namespace plugs::coreapp {

//! One column of the listed sources (after the tick); money columns show a footer sum.
struct SelectColumn {
  const char* field;
  const char* caption;
  bool money = false;
};

struct SelectSourceSpec {
  const char* className;                    //!< "Tkhskhxselectform"
  const char* caption;                      //!< "选择源单(业务单)"
  const char* counterparty;                 //!< parameter of the list query ("kh_id" / "gys_id")
  const char* listQuery;                    //!< query item 0: the open bills
  const char* statementQuery = nullptr;     //!< query item 2 (statement variant); null = none
  const char* linesQuery = nullptr;         //!< query item 1: lines of the focused bill; null = none
  const char* types[3] = {"全部", "", ""};  //!< the type filter's entries
  //! The list's columns; empty = the write-off columns (open bills with settled parts).
  std::vector<SelectColumn> columns = {};
};

class TWriteOffSelectForm : public host::TBaseForm {
 public:
  TWriteOffSelectForm(host::FormModel* owner, const SelectSourceSpec& spec, std::int64_t counterpartyId,
                      std::int64_t storeId, std::string billno, bool statement = false);

  const SelectSourceSpec& spec;
  dataset::ClientDataSet cds_ck{"cds_ck"};        //!< the branch's stores
  dataset::ClientDataSet cdsResult{"cdsResult"};  //!< the listed bills
  dataset::ClientDataSet cdsywmx{"cdsywmx"};      //!< lines of the focused bill
  std::string listSql;                            //!< the list query chosen at creation
  std::string resultJson;                         //!< the ticked rows after OK; "" otherwise

  //! Picks the list query, opens the store list and preselects the given store.
  void FormCreate() override;
  //! Loads the list for the counterparty and the store in the picker ("" = all).
  void initData();
  //! Header click on the tick column: ticks every row, the next click unticks them.
  void selectedHeaderClick();
  //! Loads the lines of the focused bill (classes with a lines panel).
  void cdsResultAfterScroll();
  //! The ticked rows become the result and the dialog closes; without one it stays.
  void actokExecute(host::Action& sender);
  void actcancelExecute(host::Action& sender);

 private:
  std::int64_t counterpartyId_;
  std::int64_t storeId_;
  std::string billno_;
  bool statement_;
  int selectedTag_ = 0;  //!< 0: the next header click ticks, 1: it unticks

  void createControls();
  void createActions();
  void attachScroll(bool on);
};

//! Makes a source selector of class `Selector` and shows it modally; the ticked rows
//! as a JSON array text, "" when cancelled.
template <class Selector, class... Args>
std::string runSourceSelector(Args&&... args) {
  auto form = host::makeForm<Selector>(std::forward<Args>(args)...);
  if (form->ShowModal() != host::mrOK) return {};
  return form->resultJson;
}

}  // namespace plugs::coreapp
