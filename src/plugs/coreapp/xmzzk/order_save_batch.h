// OrderSaveBatch: assembles the one T-SQL batch that saves a project order from the
// statements generated for its five datasets. A new order gets its number from
// sp_sys_genbillno inside the transaction; an existing one keeps its own. Either way
// the server recomputes staff points, performance amounts, the staff summary and the
// total before committing, and any error rolls back with "单据保存失败".
#pragma once

#include <string>
#include <string_view>

namespace plugs::coreapp::xmzzk {

//! Generated statement texts of one save, one per dataset: every statement followed by
//! CR LF, or empty when the dataset has no pending change (or products are not open).
struct OrderSaveTexts {
  std::string header;       //!< vt_x_xmzzk
  std::string lines;        //!< vt_x_xmzzk_mx
  std::string products;     //!< vt_x_xmzzk_cp
  std::string staff;        //!< vt_x_xmzzk_mx_zzry
  std::string consumables;  //!< vt_x_xmzzk_mx_hc
};

//! Who saves a new order: the numbering arguments of sp_sys_genbillno.
struct OrderNumbering {
  std::string orgid;     //!< store id
  std::string category;  //!< plug code
  std::string tag;       //!< the user's bill-number tag
  int ckId = 0;          //!< the user's outlet
};

class OrderSaveBatch {
 public:
  //! Batch of a new order: every quoted working number in every text becomes @billno.
  static std::string insertBatch(OrderSaveTexts texts, std::string_view workingBillno,
                                 const OrderNumbering& numbering);
  //! Batch of an existing order `billno`: only the header text has its quoted number
  //! replaced; the other texts keep the order's own number.
  static std::string updateBatch(OrderSaveTexts texts, std::string_view billno,
                                 std::string_view orgid);
  //! Replaces every "'" + billno + "'" in `text` by @billno.
  static std::string replaceQuotedBillno(std::string text, std::string_view billno);

  //! The statements after staff and consumables: performance, staff summary, total.
  static std::string recalcStatements();
  //! Closing lines: rethrow as "单据保存失败" after a rollback, else commit.
  static std::string closingStatements();
};

}  // namespace plugs::coreapp::xmzzk
