// OrderSql: the fixed SQL texts of project orders (price lookup, child lists, delete,
// complete, re-open, void, print queries). Lines are joined by CR LF. Texts holding
// ":orgid" still go through the host's sqlTemplate before they run.
#pragma once

#include <string>
#include <string_view>

namespace plugs::coreapp::xmzzk {

class OrderSql {
 public:
  //! Customer price of an item by quantity (params xm_id, kh_id int; sl float).
  static std::string customerPrice();
  //! Consumables of a bill with goods code and name.
  static std::string consumablesOfBill(std::string_view billno, std::string_view orgid);
  //! Staff of a bill with employee code and name.
  static std::string staffOfBill(std::string_view billno, std::string_view orgid);
  //! Products of a bill (param billno; ":orgid" templated).
  static std::string productsOfBill();
  //! Consumables of a service item with their per-unit quantity (":orgid" templated).
  static std::string consumablesOfItem(long long itemId);
  //! The customer's default contact (":orgid" templated).
  static std::string defaultContact(long long khId);
  //! Deletes an order and everything that belongs to it.
  static std::string deleteOrder(std::string_view billno, std::string_view orgid);
  //! Complete: closes the open processing step and sets status 2, guarded by version.
  //! The shop's own text: its CATCH rolls back without raising, so the caller reads
  //! the outcome back from the order.
  static std::string complete(long long id, long long version);
  //! Re-open: back to status 0, settlement cleared, steps deleted (":orgid" templated),
  //! guarded by version, in the same frame as complete.
  static std::string reopen(long long id, long long version, std::string_view billno);
  //! Finds receipt write-offs of the order (":orgid" templated).
  static std::string writeOffs(std::string_view billno);
  //! Voids the order and writes the audit log (params orgid, modulecode, billtype,
  //! billno, ck_id, czy_id, auditmsg, auditstate).
  static std::string voidOrder(long long id);
  //! Extra SQL of the complete action: the consumables cost (":orgid" templated).
  static std::string auditingExtra(std::string_view billno);
  //! SQLStore item 0: merged lines for printing (params billno, orgid).
  static std::string printMergedLines();
  //! SQLStore item 1: the customer's member cards and balances (params orgid, kh_id, dt).
  static std::string printMemberCards();
};

}  // namespace plugs::coreapp::xmzzk
