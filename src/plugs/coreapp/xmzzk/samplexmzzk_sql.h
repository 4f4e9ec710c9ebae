// SamplexmzzkSql: the SQL texts of the ad-hoc business bill, character for character as
// the database side expects them: the store check, the quick-item list and its upkeep,
// the empty structures of header and lines, the save batch and the print queries.
// Lines are joined by CR LF; texts with ":orgid" bind it or go through sqlTemplate.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace plugs::coreapp::xmzzk {

class SamplexmzzkSql {
 public:
  //! The signed-in user's store row (params orgid, ck_id).
  static std::string storeRow();
  //! SQL store item 0: the store's quick items with their categories (params orgid, ck_id).
  static std::string quickList();
  //! SQL store item 1: the save batch; "%0:s" takes the header statements, "%1:s" the
  //! line statements (params orgid, category, tag, gcxmmc, ck_id).
  static std::string saveBatch();
  //! Puts an item on the outlet's quick list once (":orgid" templated).
  static std::string quickAdd(std::int64_t ckId, std::int64_t xmId);
  //! The empty line structure (the order-line view).
  static std::string emptyLines();
  //! The empty header structure.
  static std::string emptyHeader();
  //! The number the save issued, found by the order's uid (":orgid" templated).
  static std::string issuedBillno(std::string_view billuid);
  //! Print: the order header (params orgid, billno).
  static std::string printHeader();
  //! Print: the order lines (params orgid, billno).
  static std::string printLines();
};

}  // namespace plugs::coreapp::xmzzk
