// MasterDataPageSpec: what one master-data page (基础资料) is — its table, caption, plug
// code, the fields beyond code and name with their captions, kinds, widths, lookups and
// checks, and the tables whose rows refer to a row (so it is disabled, not deleted).
// Every page is one of these over the one page model, TMasterDataForm.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace plugs::coreapp::jczl {

class TMasterDataForm;

//! How a field is edited and bound.
enum class FieldKind {
  Text,    //!< free text
  Money,   //!< a price, four decimals, never negative
  Number,  //!< a float (factors, shares, points), never negative
  Choice,  //!< one of `items` (a fixed list of texts)
  Lookup,  //!< the id of a row of host list `list`, shown by its name
};

//! One column of the table beyond code and name.
struct MasterField {
  std::string field;    //!< the column
  std::string caption;  //!< the box's and the list column's caption
  FieldKind kind = FieldKind::Text;
  int width = 12;                  //!< list column width in characters
  int maxLength = 0;               //!< texts: the column's length (0 = no limit)
  bool required = false;           //!< refused empty (a lookup: none chosen)
  std::vector<std::string> items;  //!< Choice: the texts offered, the first the default
  std::string list;                //!< Lookup: the host list ("ck", "yg", "vipdj")
  bool inList = true;              //!< shown in the list grid too
};

//! A column of another table that holds this table's ids.
struct MasterReference {
  std::string table;
  std::string column;
};

//! Child rows edited in a grid under the row and saved with it (a service item's
//! quantity tiers): every row of `table` whose `parentKey` holds the row's id.
struct MasterChildSpec {
  std::string name;                  //!< its dataset and grid ("Jtdj": cdsJtdj, cxgJtdj)
  std::string caption;               //!< the grid's caption
  std::string table;                 //!< the child table ("vt_b_xmbmk_jtdj")
  std::string parentKey;             //!< its column holding the row's id ("xm_id")
  std::vector<MasterField> columns;  //!< Money, Number or Lookup (chosen by name)
  //! A select of the rows under @parent_id that break the list's rule, run in the save
  //! batch after the rows are written, so two windows saving at once cannot both pass;
  //! any row refuses the save with `refusal` (empty: no rule beyond the columns').
  std::string badRows{};
  std::string refusal{};
};

//! The page: plug item, table and fields. Code and name are every table's own.
struct MasterDataPageSpec {
  std::string code;       //!< the plug code ("1201")
  std::string guid;       //!< the plug item's GUID
  std::string caption;    //!< the page and ribbon caption ("分店管理")
  std::string className;  //!< the form class ("Tckbmkform")
  std::string table;      //!< the master table ("vt_b_ckbmk")
  int codeLength = 50;    //!< the code column's length
  int nameLength = 100;   //!< the name column's length
  std::vector<MasterField> fields;
  std::vector<MasterReference> referencedBy;
  //! Operators are employees: the page sets an employee's sign-in password.
  bool setsPassword = false;
  //! Run in the save batches after the row is written, before the commit, with the
  //! row's values bound as in the save (the row is the branch's one of :code).
  std::string saveTail{};
  //! Rights of the page's own actions beyond 新增, 修改 and 删除 ({"_04", "充值退款"}).
  std::vector<std::pair<std::string, std::string>> moreRights{};
  //! Grids of child rows under the edit area, saved in the row's own batch.
  std::vector<MasterChildSpec> children{};
  //! Adds the page's own controls and actions when the page is made.
  void (*addPageActions)(TMasterDataForm& page) = nullptr;
};

//! Every page, in ribbon order.
const std::vector<MasterDataPageSpec>& masterDataSpecs();
//! The page description of plug `code`; null when none.
const MasterDataPageSpec* masterDataSpec(const std::string& code);

}  // namespace plugs::coreapp::jczl
