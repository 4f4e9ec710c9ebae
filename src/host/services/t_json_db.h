// TJsonDB: dataset to JSON as the forms call it, TJsonDB::ClientDataSetToJSON(ds, flag).
#pragma once

#include <string>

#include "dataset/data_set_json.h"

namespace host {

class TJsonDB {
 public:
  //! JSON array text, keys = field names, values as text: with `currentOnly` the
  //! current row alone (the order selector), otherwise every row visible through the
  //! dataset's filter.
  static std::string ClientDataSetToJSON(const dataset::ClientDataSet& ds, bool currentOnly) {
    return dataset::ClientDataSetToJSON(ds, currentOnly);
  }
};

}  // namespace host
