// BillSaveBatch: the one T-SQL batch that saves a simple bill (goods, cash, shipment
// and outsourcing bills) from the statements generated for its header and lines, and
// the text that deletes one. A new bill gets its number from sp_sys_genbillno inside
// the transaction; an existing one keeps its own. After the statements the bill's
// total is recomputed; any error rolls everything back and raises "单据保存失败".
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace host {

//! Who saves a new bill: the numbering arguments of sp_sys_genbillno.
struct BillNumbering {
  std::string orgid;     //!< the login's store id
  std::string category;  //!< the plug code
  std::string tag;       //!< the login's bill-number tag
  int ckId = 0;          //!< the login's outlet
};

//! The generated statements of one save and the bill's total statement.
struct BillSaveTexts {
  std::vector<std::string> master;  //!< header statements (may be empty)
  std::vector<std::string> lines;   //!< line statements (empty without pending lines)
  std::string total;                //!< the statement that recomputes the total ("" = none)
};

class BillSaveBatch {
 public:
  //! Batch of a new bill: every quoted working number in header and line statements
  //! becomes @billno, and the number is issued first.
  static std::string insertBatch(const BillSaveTexts& texts, std::string_view workingBillno,
                                 const BillNumbering& numbering);
  //! Batch of the existing bill `billno`: only the header statements have the quoted
  //! number replaced; the lines keep it as written.
  static std::string updateBatch(const BillSaveTexts& texts, std::string_view billno);
  //! The text that deletes bill `billno` of store `orgid` from `masterTable` and its
  //! line table (`masterTable` + "_mx"); no transaction of its own.
  static std::string deleteText(std::string_view masterTable, std::string_view billno,
                                std::string_view orgid);
};

}  // namespace host
