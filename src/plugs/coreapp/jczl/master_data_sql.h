// MasterDataSql: the texts a master-data page runs, made from its description: the list
// (searched by code or name, lookups named), and the save, state and delete batches.
// Every batch is one transaction that checks before it writes: a code taken in the
// branch, a row changed since it was read (its version), a row still referred to.
// Everything typed is a bound parameter; only the description's own names are written in.
#pragma once

#include <string>
#include <vector>

#include "plugs/coreapp/jczl/master_data_spec.h"

namespace plugs::coreapp::jczl {

class MasterDataSql {
 public:
  //! What a refused batch raises, read back by the page to say why.
  static constexpr const char* kCodeTaken = "code taken";
  static constexpr const char* kChanged = "error";
  static constexpr const char* kInUse = "in use";

  //! The rows of the branch whose code or name holds :key ("%text%"), disabled ones too:
  //! id, code, name, the fields, `<lookup>_name` per lookup, zt, isdel, version.
  static std::string listQuery(const MasterDataPageSpec& spec);
  //! The same columns for the one row :id.
  static std::string rowQuery(const MasterDataPageSpec& spec);
  //! Adds rows first..first+count-1 of an import in one transaction: row n's values are
  //! :code_n, :name_n and :<field>_n, :orgid is shared, at most 1000 rows per INSERT;
  //! refused (kCodeTaken) when a code is then taken twice in the branch.
  static std::string importBatch(const MasterDataPageSpec& spec, std::size_t count);
  //! Adds a row (:code, :name and one parameter per field) unless the code is taken;
  //! `children` (childRows) runs after it, before the commit.
  static std::string insertBatch(const MasterDataPageSpec& spec, const std::string& children = {});
  //! Rewrites row :id read at :version unless the code is taken by another row.
  static std::string updateBatch(const MasterDataPageSpec& spec, const std::string& children = {});
  //! Replaces the child rows of the branch's row :code by `rows` rows whose values are
  //! the parameters :<child name><row>_<column>.
  static std::string childRows(const MasterDataPageSpec& spec, const std::vector<int>& rows);
  //! The rows of `child` under row :id, lookups named (`<column>_name`).
  static std::string childQuery(const MasterChildSpec& child);
  //! Sets row :id's isdel to :isdel when it is still at :version.
  static std::string stateBatch(const MasterDataPageSpec& spec);
  //! Deletes row :id at :version, with its child rows, unless a reference holds it.
  static std::string deleteBatch(const MasterDataPageSpec& spec);
};

}  // namespace plugs::coreapp::jczl
