// ledgerBillSpec: the shared shape of the income and expense bills. The header shows the
// settlement account (required, "请选择结算账户.") and the total, which every save
// recomputes from the lines; lines are typed into the grid and a successful audit opens
// the cash drawer.
#include "plugs/coreapp/simple_bill/ledger_bill_spec.h"

#include "plugs/coreapp/simple_bill/goods_columns.h"
#include "plugs/coreapp/simple_bill/stock_bill_spec.h"

namespace plugs::coreapp {

SimpleBillSpec ledgerBillSpec(const LedgerBillKind& kind) {
  const LineListField& c = kind.category;
  return SimpleBillSpec{
      .code = kind.code,
      .caption = kind.caption,
      .className = kind.className,
      .guid = kind.guid,
      .rights = host::standardNineRights(),
      .masterTable = kind.masterTable,
      .header = {kStoreBox, kMakerBox, kSummaryBox, kAccountBox, kTotalBox, kRemarkBox},
      .masterJoins = {kStoreJoin, kMakerJoin, kAccountJoin},
      .lineJoins = {kind.categoryJoin},
      .lineDisplayFields = {"id", c.codeField, c.nameField},
      .columns = {{c.nameField, kind.categoryCaption, 140}, {"je", "金额", 100, "money", true, true},
                  kLineRemarkColumn},
      .insertTotal = kind.totalStatement,
      .lineLists = {c},
      .lineRequired = {{c.idField, kind.categoryMessage}},
      .headerRequired = {{"zh_id", "请选择结算账户."}},
      .gridEntry = true,
      .opensDrawer = true};
}

}  // namespace plugs::coreapp
