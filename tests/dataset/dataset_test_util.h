// Helpers shared by the dataset tests: building result sets and datasets in one
// line, rendering a dataset's visible rows and state as text, and an event log that
// records every event and display notification of a dataset in order.
#pragma once

#include <string>
#include <vector>

#include "dataset/client_data_set.h"
#include "dataset/data_source.h"

namespace dataset::testing {

//! A result set with typed columns and the given rows.
inline tsql::ResultSet resultSet(std::vector<tsql::Column> columns,
                                 std::vector<std::vector<core::Value>> rows) {
  tsql::ResultSet rs;
  rs.columns = std::move(columns);
  rs.rows = std::move(rows);
  return rs;
}

inline const char* stateName(DataSetState s) {
  switch (s) {
    case DataSetState::Inactive:
      return "inactive";
    case DataSetState::Browse:
      return "browse";
    case DataSetState::Edit:
      return "edit";
    case DataSetState::Insert:
      return "insert";
  }
  return "?";
}

//! "browse 2/3 changes=1 [1,a|2,b|3,c]": state, recNo/recordCount, change count and
//! the visible rows (values as text, null as "~").
inline std::string describe(const ClientDataSet& ds) {
  std::string out = std::string(stateName(ds.state())) + " " + std::to_string(ds.recNo()) + "/" +
                    std::to_string(ds.recordCount()) +
                    " changes=" + std::to_string(ds.changeCount()) + " [";
  for (int r = 0; r < ds.recordCount(); ++r) {
    if (r) out += "|";
    for (int f = 0; f < ds.fieldCount(); ++f) {
      const core::Value& v = ds.valueAt(r, f);
      out += (f ? "," : "") + (v.isNull() ? std::string("~") : v.asText());
    }
  }
  return out + "]";
}

//! Records events and notifications of one dataset as words: "beforePost",
//! "state=browse", "dataChange(sl)", "dataChange(-)" (no field).
class EventLog {
 public:
  explicit EventLog(ClientDataSet& ds) : source(ds) {
    auto hook = [this](const char* name) { return [this, name](ClientDataSet&) { add(name); }; };
    ds.beforeOpen = hook("beforeOpen"), ds.afterOpen = hook("afterOpen");
    ds.beforeClose = hook("beforeClose"), ds.afterClose = hook("afterClose");
    ds.beforeInsert = hook("beforeInsert"), ds.afterInsert = hook("afterInsert");
    ds.onNewRecord = hook("onNewRecord");
    ds.beforeEdit = hook("beforeEdit"), ds.afterEdit = hook("afterEdit");
    ds.beforePost = hook("beforePost"), ds.afterPost = hook("afterPost");
    ds.beforeCancel = hook("beforeCancel"), ds.afterCancel = hook("afterCancel");
    ds.beforeDelete = hook("beforeDelete"), ds.afterDelete = hook("afterDelete");
    ds.beforeScroll = hook("beforeScroll"), ds.afterScroll = hook("afterScroll");
    source.onDataChange = [this](DataSource&, const Field* f) {
      add("dataChange(" + (f ? f->name() : "-") + ")");
    };
    source.onStateChange = [this](DataSource& s) {
      add(std::string("state=") + stateName(s.dataSet()->state()));
    };
  }
  void add(const std::string& word) { words.push_back(word); }
  //! The words recorded since the last call, separated by blanks.
  std::string take() {
    std::string out;
    for (const std::string& w : words) out += (out.empty() ? "" : " ") + w;
    words.clear();
    return out;
  }

  DataSource source;
  std::vector<std::string> words;
};

//! Edits the current row: sets one field and posts.
inline void editField(ClientDataSet& ds, const char* field, const core::Value& value) {
  ds.edit();
  ds.fieldByName(field).setValue(value);
  ds.post();
}

//! Opens `ds` with columns id (integer) and name (text) and the given rows.
inline void loadPeople(ClientDataSet& ds, std::vector<std::pair<int, std::string>> rows) {
  std::vector<std::vector<core::Value>> values;
  for (auto& [id, name] : rows) values.push_back({id, name});
  ds.loadFrom(resultSet({{"id", core::ValueType::Integer, 0}, {"name", core::ValueType::Text, 20}},
                        values));
}

}  // namespace dataset::testing
