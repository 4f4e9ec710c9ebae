// MemberCardActions: the member-card page's own part (会员卡管理): 充值 and 退款 move money
// between a card and an account as one ledger row in one transaction, 设置密码 stores a
// new card password as the settlement compares it, and the focused card's ledger and
// balance show under the list.
#pragma once

#include <string>

namespace plugs::coreapp::jczl {

class TMasterDataForm;

class MemberCardActions {
 public:
  //! What the money batch raises when a refund is above the balance.
  static constexpr const char* kOverBalance = "over balance";
  //! Adds the amount, account and remark boxes, the balance, the ledger grid and the
  //! actions 充值 (_04), 退款 (_04) and 设置密码 (_02) to a card page.
  static void addTo(TMasterDataForm& page);
  //! One ledger row for card :card_id: :incje in or :decje out through account :zh_id,
  //! refused when the card is gone or disabled or :decje is above its balance. The card
  //! row is written first, so a second movement of the card waits for this one.
  static std::string moveBatch();
};

}  // namespace plugs::coreapp::jczl
