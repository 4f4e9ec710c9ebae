// TSimpleBillForm: the bill editor of every simple bill, made from its description:
// header controls bound to their fields and host lists, the line grid from the shipped
// bill settings, and the save (new and existing bill, number issued inside the
// transaction, total recomputed) and delete batches. A bill class adds only its own
// rules: line checks, line arithmetic, a counterparty, what its audit does besides.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "host/forms/bill_save_batch.h"
#include "host/forms/sample_bill_edit_ribbon_form.h"
#include "plugs/coreapp/simple_bill/simple_bill_spec.h"

namespace plugs::coreapp {

class TSimpleBillForm : public host::TSampleBillEditRibbonForm {
 public:
  TSimpleBillForm(host::FormModel* owner, host::TPlugItem* item, const SimpleBillSpec& spec);

  const SimpleBillSpec& spec;  //!< what this bill is

  //! Names the line grid, the inherited creation, addLeadingControls, then the header
  //! controls of the description.
  void FormCreate() override;
  //! Posts an edited header, the inherited check, then the description's required
  //! header fields in order.
  bool CheckBillError(std::string& message) override;
  //! The description's required line fields, in order; each refusal abandons the post.
  void cdsDetailBeforePost(dataset::ClientDataSet& ds) override;
  //! A name chosen in a list cell writes its entry's id and code into the line.
  void dsDetailDataChange(dataset::DataSource& sender, const dataset::Field* field) override;
  //! Refused while a required header field is empty; the inherited audit; when it
  //! succeeds and the bill says so, the cash drawer opens.
  int AuditingData_1() override;
  int Insert_() override;
  int Update_() override;
  //! Deletes the open bill's header and lines; 0 = done, -1 = the database refused.
  int delete_() override;
  //! Writes a new bill in one batch; 0 = saved, 1 = the database reported failure.
  virtual int doInsert();
  //! Writes the open bill in one batch; 0 = saved, 1 = the database reported failure.
  virtual int doUpdate();

 protected:
  //! Controls shown before the description's header fields; the base adds none.
  virtual void addLeadingControls() {}
  //! Header and line statements of the pending changes and the total statement; a
  //! bill with a further line table adds its statements (`moreLines`).
  virtual host::BillSaveTexts saveTexts(bool isNew) const;
  //! Logs the batch under `tag` and runs it: 0 = done, 1 = failed.
  int runSaveBatch(const std::string& batch, const char* tag) const;
  //! The first of the description's required header fields that holds no id; null = none.
  const RequiredField* missingHeaderField() const;

 private:
  //! One entry of a host list behind a line cell.
  struct ListEntry {
    std::int64_t id;
    std::string code;
    std::string name;
  };
  //! Loads the host lists of the description's list cells and makes those cells combos.
  void bindLineLists();
  //! Writes the id and code of the entry named `name` into the line (0 and null for none).
  void followListChoice(const LineListField& list, const std::string& name);

  std::map<std::string, std::vector<ListEntry>> lineListEntries;  //!< by name field
};

//! Registers a simple bill: ships its configuration document and adds its plug item
//! (bill-editor creator, the description's rights) to the pool. `Form` is constructed
//! with (owner, item).
template <class Form>
void registerSimpleBill(const SimpleBillSpec& spec);

//! Ships the configuration document and registers the item with `formClass`.
void registerSimpleBillItem(const SimpleBillSpec& spec, host::TFormClass formClass);

template <class Form>
void registerSimpleBill(const SimpleBillSpec& spec) {
  registerSimpleBillItem(spec, host::TFormClass{spec.className, [](host::Owner owner) {
                                                  return std::unique_ptr<host::FormModel>(
                                                      std::make_unique<Form>(owner, nullptr));
                                                }});
}

}  // namespace plugs::coreapp
