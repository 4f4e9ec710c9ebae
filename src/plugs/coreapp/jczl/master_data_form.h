// TMasterDataForm: the one page of every master-data list (基础资料), driven by its
// MasterDataPageSpec: a search box over code or name, the list, and an edit area bound to
// the focused row. 新增 (_01) and 修改 (_02) edit the area, 保存 writes it in one batch
// under the version guard, 停用/启用 (_03) keep a row that bills still name, 删除 (_03)
// removes one nothing names (and offers to disable one in use); 导入 adds a sheet's rows.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "dataset/client_data_set.h"
#include "db/connection.h"
#include "host/forms/base_ribbon_form.h"
#include "host/plug/unit_initialization.h"
#include "plugs/coreapp/jczl/master_data_children.h"
#include "plugs/coreapp/jczl/master_data_spec.h"

namespace plugs::coreapp::jczl {

//! Raised inside the page when a delete finds the row in use.
struct MasterDataInUse {};

class TMasterDataForm : public host::TBaseRibbonForm {
 public:
  TMasterDataForm(host::FormModel* owner, const MasterDataPageSpec& spec);

  const MasterDataPageSpec& spec;
  //! The rows found: id, code, name, the fields, lookups' names, zt, isdel, version.
  dataset::ClientDataSet cdsList{"cdsList"};
  //! The row shown in the edit area (the focused one, or the one being added).
  dataset::ClientDataSet cdsEdit{"cdsEdit"};

  void FormCreate() override;
  //! True while 新增 or 修改 holds the edit area.
  bool editing() const { return editing_; }
  //! The focused row's id; 0 when the list is empty.
  std::int64_t focusedId() const;
  //! Says `message` (提示) and aborts the action.
  [[noreturn]] static void refuse(const std::string& message);
  //! Refuses with "<what>失败" for a batch that failed on its own: the database's words
  //! mean nothing to a clerk, but a fault of the disk or the file is told as its cause.
  [[noreturn]] static void refuseFailed(const std::string& what, const std::string& error);
  //! Set by the page's own actions: runs whenever the edit area reads the focused row.
  std::function<void()> afterRowLoad;

  void actSearchExecute(host::Action& sender);
  void actAddExecute(host::Action& sender);
  void actEditExecute(host::Action& sender);
  void actSaveExecute(host::Action& sender);
  void actCancelExecute(host::Action& sender);
  void actDisableExecute(host::Action& sender);
  void actEnableExecute(host::Action& sender);
  void actDeleteExecute(host::Action& sender);
  //! 导入: adds the rows of a CSV or XLSX sheet the user picks, all or none (_01).
  void actImportExecute(host::Action& sender);
  //! Employees: sets the focused employee's sign-in password (_02).
  void actPwdExecute(host::Action& sender);

 private:
  void addSearchBox();
  void addEditArea();
  void addListGrid();
  void addActions();
  void setEditing(bool on);
  void loadFocusedRow();
  void reloadList(std::int64_t focusId);
  bool focusedDisabled() const;
  void checkRow();
  db::Params rowParams() const;
  void runOrRefuse(const std::string& batch, const db::Params& params, std::int64_t focusId);
  void setState(bool disabled);
  void askPassword(std::int64_t czy_id, const std::string& name);
  bool editing_ = false;
  bool adding_ = false;
  std::unique_ptr<MasterDataChildren> children_;  //!< the description's child-row grids
};

//! Registers every master-data page (1201 ...) as a page of the main window.
void registerJczlForms();
//! True for a master-data page's plug code.
bool isMasterDataCode(const std::string& code);
//! The unit of the master-data pages.
host::UnitInitialization& jczlFormUnit();

}  // namespace plugs::coreapp::jczl
