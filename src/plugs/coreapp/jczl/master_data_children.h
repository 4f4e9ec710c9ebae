// MasterDataChildren: the child-row grids of a master-data page (a service item's
// quantity tiers, a customer's agreement prices): one dataset and grid per child list
// of the page description, read with the focused row, editable while the row is,
// checked and turned into bound parameters for the row's own save batch.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "dataset/client_data_set.h"
#include "db/connection.h"
#include "plugs/coreapp/jczl/master_data_spec.h"

namespace plugs::coreapp::jczl {

class TMasterDataForm;

class MasterDataChildren {
 public:
  //! Adds a dataset "cds<name>" and a grid "cxg<name>" per child list to the page.
  explicit MasterDataChildren(TMasterDataForm& page);
  //! Reads the child rows of row `id` (none for 0).
  void load(std::int64_t id);
  //! Lets the grids be edited (or not).
  void setEditing(bool on);
  //! Checks the rows (refusing with a message) and returns the save SQL for them,
  //! adding their values to `params`; empty when the page has no child lists.
  std::string saveSql(db::Params& params);

 private:
  struct Lookup {
    std::vector<std::int64_t> ids;
    std::vector<std::string> names;
  };
  void addGrid(const MasterChildSpec& child, dataset::ClientDataSet& data);
  void addRowParams(const MasterChildSpec& child, dataset::ClientDataSet& data, int row,
                    db::Params& params);
  TMasterDataForm& page_;
  std::vector<std::unique_ptr<dataset::ClientDataSet>> data_;
  std::vector<std::vector<Lookup>> lookups_;  //!< per child, per column (empty when none)
};

}  // namespace plugs::coreapp::jczl
