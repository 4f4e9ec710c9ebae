// MasterDataChildren: a lookup column is edited by name (a combo of the list's names)
// and saved by id; a name the list does not hold is refused rather than saved as 0.
// The save replaces the row's child rows as a whole inside the row's own transaction.
#include "plugs/coreapp/jczl/master_data_children.h"

#include <cmath>

#include "core/json.h"
#include "host/forms/base_form.h"
#include "host/services/data_services.h"
#include "plugs/coreapp/jczl/master_data_form.h"
#include "plugs/coreapp/jczl/master_data_sql.h"
#include "plugs/coreapp/report/report_columns.h"

namespace plugs::coreapp::jczl {

MasterDataChildren::MasterDataChildren(TMasterDataForm& page) : page_(page) {
  for (const MasterChildSpec& child : page.spec.children) {
    data_.push_back(std::make_unique<dataset::ClientDataSet>("cds" + child.name));
    page.registerDataSet("cds" + child.name, *data_.back());
    lookups_.emplace_back();
    for (const MasterField& c : child.columns) {
      Lookup lookup;
      if (c.kind == FieldKind::Lookup) {
        const std::string sql = std::string("select id, name from ") + host::hostListTable(c.list) +
                                " where orgid=:orgid and isnull(isdel,0)=0 order by id";
        for (const core::JsonRow& row :
             core::parseSelection(host::openDataJson(host::sqlTemplate(sql)))) {
          lookup.ids.push_back(row.value("id").asInteger());
          lookup.names.push_back(row.get("name"));
        }
      }
      lookups_.back().push_back(std::move(lookup));
    }
    addGrid(child, *data_.back());
  }
}

void MasterDataChildren::addGrid(const MasterChildSpec& child, dataset::ClientDataSet&) {
  host::Control grid("cxg" + child.name, host::ControlKind::Grid, child.caption);
  grid.dataSet = "cds" + child.name;
  grid.readOnly = true;
  const std::vector<Lookup>& lookups = lookups_.back();
  for (std::size_t i = 0; i < child.columns.size(); ++i) {
    const MasterField& c = child.columns[i];
    if (c.kind == FieldKind::Money) {
      grid.columns.push_back(reportMoneyColumn(c.field.c_str(), c.caption.c_str(), false));
      grid.columns.back().editor = "money";
    } else {
      const std::string field = c.kind == FieldKind::Lookup ? c.field + "_name" : c.field;
      grid.columns.push_back(reportTextColumn(field.c_str(), c.caption.c_str(), c.width));
    }
    if (c.kind != FieldKind::Lookup) continue;
    grid.columns.back().editor = "combo";
    grid.columns.back().items = lookups[i].names;
  }
  page_.addControl(std::move(grid));
}

void MasterDataChildren::load(std::int64_t id) {
  for (std::size_t k = 0; k < data_.size(); ++k)
    host::openDataToCDS(*data_[k],
                        host::sqlTemplate(MasterDataSql::childQuery(page_.spec.children[k])),
                        {{"id", core::Value(id)}});
}

void MasterDataChildren::setEditing(bool on) {
  for (const MasterChildSpec& child : page_.spec.children)
    page_.control("cxg" + child.name).readOnly = !on;
}

// One row's values as parameters :<name><row>_<column>; a lookup by the id of its name.
void MasterDataChildren::addRowParams(const MasterChildSpec& child, dataset::ClientDataSet& data,
                                      int row, db::Params& params) {
  const std::vector<Lookup>& lookups = lookups_[&child - page_.spec.children.data()];
  const std::string prefix = child.name + std::to_string(row) + "_";
  for (std::size_t i = 0; i < child.columns.size(); ++i) {
    const MasterField& c = child.columns[i];
    const std::string where = child.caption + "第" + std::to_string(row + 1) + "行：";
    if (c.kind == FieldKind::Lookup) {
      const std::string name = data.fieldByName(c.field + "_name").asString();
      std::int64_t id = 0;
      for (std::size_t j = 0; j < lookups[i].names.size() && id == 0; ++j)
        if (lookups[i].names[j] == name) id = lookups[i].ids[j];
      if (id == 0) TMasterDataForm::refuse(where + "请选择" + c.caption);
      params.emplace_back(prefix + c.field, core::Value(id));
      continue;
    }
    const dataset::Field& field = data.fieldByName(c.field);
    if (field.asFloat() < 0 || !std::isfinite(field.asFloat()))
      TMasterDataForm::refuse(where + c.caption + "不能小于0");
    params.emplace_back(prefix + c.field, c.kind == FieldKind::Money
                                              ? core::Value(field.asCurrency())
                                              : core::Value(field.asFloat()));
  }
}

std::string MasterDataChildren::saveSql(db::Params& params) {
  if (data_.empty()) return {};
  std::vector<int> rows;
  for (std::size_t k = 0; k < data_.size(); ++k) {
    dataset::ClientDataSet& data = *data_[k];
    if (data.state() != dataset::DataSetState::Browse) data.post();
    // A refused save leaves the grid where the user was, not on its last row.
    const dataset::Bookmark focused = data.bookmark();
    int row = 0;
    for (data.first(); !data.eof(); data.next())
      addRowParams(page_.spec.children[k], data, row++, params);
    if (data.bookmarkValid(focused)) data.gotoBookmark(focused);
    rows.push_back(row);
  }
  return MasterDataSql::childRows(page_.spec, rows);
}

}  // namespace plugs::coreapp::jczl
