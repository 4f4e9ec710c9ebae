// TSimpleBillForm, the line side the description drives: cells picked from host lists
// (the cell shows a name, the line stores its id) and the line fields a bill requires.
// A code or a name's beginning picks the entry; a text that names no entry stores id 0,
// so the bill's own check refuses it.
#include <stdexcept>

#include "core/json.h"
#include "host/forms/base_form.h"
#include "host/forms/entry_named.h"
#include "host/services/data_services.h"
#include "plugs/coreapp/simple_bill/simple_bill_form.h"

namespace plugs::coreapp {

void TSimpleBillForm::bindLineLists() {
  std::vector<host::GridColumn>* columns =
      detailGridName.empty() ? nullptr : &control(detailGridName).columns;
  for (const LineListField& l : spec.lineLists) {
    const char* table = host::hostListTable(l.list);
    if (table == nullptr) throw std::invalid_argument(std::string("unknown host list \"") + l.list + "\"");
    const std::string sql = std::string("select id, code, name from ") + table +
                            " where orgid=:orgid and isnull(isdel,0)=0 order by isort, id";
    std::vector<ListEntry>& entries = lineListEntries[l.nameField];
    entries.clear();
    for (const core::JsonRow& row : core::parseSelection(host::openDataJson(host::sqlTemplate(sql))))
      entries.push_back({row.value("id").asInteger(), row.get("code"), row.get("name")});
    if (columns == nullptr) continue;
    for (host::GridColumn& c : *columns) {
      if (c.field != l.nameField) continue;
      c.editor = "lookupcombobox";
      c.items.clear();
      for (const ListEntry& e : entries) c.items.push_back(e.name);
    }
  }
}

// A code or the beginning of a name typed into the cell picks that entry, and the cell
// then shows the entry's name (that write comes back here with the name itself).
void TSimpleBillForm::followListChoice(const LineListField& list, const std::string& name) {
  const ListEntry* chosen = host::entryNamed(lineListEntries[list.nameField], name);
  if (chosen != nullptr && chosen->name != name) {
    cdsDetail.fieldByName(list.nameField).setValue(core::Value(chosen->name));
    return;
  }
  cdsDetail.fieldByName(list.idField).setValue(core::Value(chosen ? chosen->id : std::int64_t{0}));
  if (*list.codeField != '\0' && cdsDetail.findField(list.codeField) != nullptr)
    cdsDetail.fieldByName(list.codeField).setValue(chosen ? core::Value(chosen->code) : core::Value());
}

void TSimpleBillForm::dsDetailDataChange(dataset::DataSource& sender, const dataset::Field* field) {
  TSampleBillEditRibbonForm::dsDetailDataChange(sender, field);
  if (field == nullptr || cdsDetail.state() == dataset::DataSetState::Browse) return;
  for (const LineListField& l : spec.lineLists)
    if (field->name() == l.nameField) followListChoice(l, field->asString());
}

void TSimpleBillForm::cdsDetailBeforePost(dataset::ClientDataSet& ds) {
  TSampleBillEditRibbonForm::cdsDetailBeforePost(ds);
  for (const RequiredField& r : spec.lineRequired)
    if (ds.fieldByName(r.field).asInteger() == 0) refuse(r.message);
}

}  // namespace plugs::coreapp
