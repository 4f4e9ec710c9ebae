// TBaseForm: lookup combos over the host lists (outlets, employees, delivery methods,
// member levels ("vipdj", for the customer page),
// accounts, ...). Every form may show one, so the binding lives on the base of all forms.
#include <stdexcept>
#include <utility>

#include "core/json.h"
#include "dataset/client_data_set.h"
#include "host/forms/base_form.h"
#include "host/forms/entry_named.h"
#include "host/services/data_services.h"

namespace host {

const char* hostListTable(std::string_view list) {
  static const std::pair<const char*, const char*> lists[] = {
      {"ck", "vt_b_ckbmk"},  {"yg", "vt_b_ygbmk"},  {"shfs", "vt_b_shfs"}, {"flow", "vt_b_flow"},
      {"zh", "vt_b_zhbmk"},  {"rklx", "vt_b_rklx"}, {"cklx", "vt_b_cklx"}, {"comp", "vt_b_comp"},
      {"jsfs", "vt_b_jsfs"}, {"srlb", "vt_b_srlb"}, {"fylb", "vt_b_fylb"}, {"vipdj", "vt_b_vipdj"},
      {"kh", "vt_b_khbmk"},  {"xm", "vt_b_xmbmk"}};
  for (const auto& [name, table] : lists)
    if (list == name) return table;
  return nullptr;
}

namespace {

// The id of the entry the combo's text names; 0 when it names none.
std::int64_t chosenId(const Control& combo, const std::string& name) {
  for (std::size_t i = 0; i < combo.items.size(); ++i)
    if (combo.items[i] == name) return combo.itemIds[i];
  return 0;
}

struct HostListEntry {
  std::int64_t id;
  std::string code, name;
};

// Writes the name of the entry a typed code named where the combo shows its text.
void showChosenName(const FormModel& form, Control& combo, const std::string& name) {
  if (!combo.isBound()) {
    combo.text = name;
  } else if (dataset::ClientDataSet* ds = form.findDataSet(combo.dataSet)) {
    ds->fieldByName(combo.dataField).setValue(core::Value(name));
  }
}

}  // namespace

void TBaseForm::BindLookupComboboxProperties(Control& combo, std::string_view listName) {
  const char* table = hostListTable(listName);
  if (table == nullptr)
    throw std::invalid_argument("unknown host list \"" + std::string(listName) + "\"");
  combo.kind = ControlKind::LookupCombo;
  combo.listName = std::string(listName);
  combo.items.clear();
  combo.itemIds.clear();
  std::string sql = std::string("select id, code, name from ") + table +
                    " where orgid=:orgid and isnull(isdel,0)=0 order by isort, id";
  std::vector<HostListEntry> entries;
  for (const core::JsonRow& row : core::parseSelection(openDataJson(sqlTemplate(sql)))) {
    entries.push_back({row.value("id").asInteger(), row.get("code"), row.get("name")});
    combo.itemIds.push_back(entries.back().id);
    combo.items.push_back(entries.back().name);
  }
  Control::Handler previous = combo.onChange;
  Control* c = &combo;
  combo.onChange = [this, c, previous, entries = std::move(entries)] {
    std::int64_t id = chosenId(*c, controlText(*c));
    // A typed code or name beginning picks that entry and shows its name.
    if (const HostListEntry* e = id == 0 ? entryNamed(entries, controlText(*c)) : nullptr) {
      showChosenName(*this, *c, e->name);
      id = e->id;
    }
    if (!c->isBound()) {
      c->tag = id;
    } else if (!c->hint.empty()) {
      dataset::ClientDataSet* ds = findDataSet(c->dataSet);
      if (ds != nullptr) ds->fieldByName(c->hint).setValue(core::Value(id));
    }
    if (previous) previous();
  };
}

}  // namespace host
