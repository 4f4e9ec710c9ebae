// Tyhqxform: the owner's page for operators ("用户权限"): the branch's operators with
// whether each has a password and whether he is locked, and for the focused operator
// the rights as a tree — every plug item, then its actions under it — each ticked when
// granted. Saving writes that operator's vt_sys_user_rights rows in one transaction;
// resetting sets his password (and lifts a lock). Both need the page's right _02.
#pragma once

#include <cstdint>
#include <set>
#include <string>

#include "dataset/client_data_set.h"
#include "host/forms/base_ribbon_form.h"
#include "host/plug/unit_initialization.h"

namespace plugs::coreapp::yhqx {

class Tyhqxform : public host::TBaseRibbonForm {
 public:
  explicit Tyhqxform(host::FormModel* owner);

  //! The operators: id, code, name, ck_name, pwdstate ("已设置" / "未设置"), lockuntil.
  dataset::ClientDataSet cdsYg{"cdsYg"};
  //! The rights tree of the focused operator: code, parent, caption (actions indented
  //! under their item), qx (granted).
  dataset::ClientDataSet cdsQx{"cdsQx"};

  //! The two grids and the actions; loads the operators and the first one's rights.
  void FormCreate() override;
  //! Re-reads the operators (and the focused one's rights).
  void actRefExecute(host::Action& sender);
  //! Writes the focused operator's rights as ticked (right _02).
  void actSaveExecute(host::Action& sender);
  //! Ticks or clears every right of the focused operator (not saved yet).
  void actAllExecute(host::Action& sender);
  void actNoneExecute(host::Action& sender);
  //! Asks for a new password of the focused operator and sets it (right _02).
  void actPwdExecute(host::Action& sender);

  //! The codes the tree grants as ticked: "*" alone when the first row (every right)
  //! is ticked; an action ticked brings its item along, since the item is what opens.
  std::set<std::string> tickedCodes();

 private:
  void addGrids();
  void cdsYgAfterScroll(dataset::ClientDataSet& ds);
  void loadRights();
  void tickAll(bool on);
  std::int64_t focusedOperator() const;
  std::int64_t shownOperator_ = 0;  //!< whose rights cdsQx holds
};

//! The page's plug code, beyond the plug table like the aging page.
inline constexpr const char* kRightsPlugCode = "1190";
//! Registers plug 1190 "用户权限": a page of the main window, right _02 修改.
void registerYhqxForm();
//! The unit of plug 1190.
host::UnitInitialization& yhqxFormUnit();

}  // namespace plugs::coreapp::yhqx
