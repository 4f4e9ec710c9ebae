// Tjiesuanform: the order settlement window ("订单结算", plug 1100_07). It shows one
// project order's totals and its settlement history, and takes new settlement lines of
// three kinds — cash or account payment ("现结"), reduction ("减免") and member-card
// consumption ("会员卡"). Lines stay in memory until the user confirms: then one batch
// writes them, the card ledger row and the order's recalculated totals, and the cash
// drawer opens. Shown modally; the modal result tells the caller what to do next
// (OK: reload the order, Yes: reload and print, Cancel: nothing was written).
//
// Controls a shell or a scenario drives, by page (the page control "cxPageControl1" is
// a combo whose text is the active page and whose items are the visible pages):
//   现结:   edtxj_je "收款金额：", cbbxj_zh "结算账户：" (names of cdszh; tag = the picked
//           account id), edtxj_sn "结算号：", edtxj_remark "备注："
//   减免:   edtjm_je "减免金额：", edtjm_remark "备注："
//   会员卡: edthyk_je "本次消费：", edthyk_ye "当前余额：", edthyk_pwd "消费密码：",
//           edthyk_remark "备注："
// Actions: actadd (the active page's "确定"), actdel, actok, actok_print, actprint and
// the inherited actclose ("取消").
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "core/currency.h"
#include "dataset/client_data_set.h"
#include "dataset/data_source.h"
#include "host/forms/base_ribbon_form.h"
#include "host/plug/unit_initialization.h"

namespace plugs::coreapp::xmzzk {

class Tjiesuanform : public host::TBaseRibbonForm {
 public:
  //! Owner (may be null) and the number of the order to settle. Construction builds
  //! nothing yet: FormCreate (initialize(), or ShowModal) opens the order.
  Tjiesuanform(host::FormModel* owner, const std::string& billno);

  std::string billno;  //!< the order being settled
  //! SQL kept in the form: the history query, one line per entry (joined by CR LF).
  std::vector<std::string> SQLStore;

  dataset::ClientDataSet cdsMain{"cdsMain"};        //!< the order row (vt_v_xmzzk)
  dataset::ClientDataSet cdsResult{"cdsResult"};    //!< settlement history, read-only
  dataset::ClientDataSet cdsjiesuan{"cdsjiesuan"};  //!< lines entered in this dialog
  dataset::ClientDataSet cdsjsfs{"cdsjsfs"};        //!< payment methods
  dataset::ClientDataSet cdszh{"cdszh"};            //!< money accounts
  dataset::ClientDataSet cdskhvip{"cdskhvip"};      //!< the customer's cards with balance
  dataset::DataSource dsjiesuan;                    //!< watches the lines (grid picks)
  bool addingLine = false;  //!< true while 确定 makes a line of the entry boxes (the only way)

  //! Builds the controls and actions, then the inherited FormCreate runs init_.
  void FormCreate() override;
  //! Opens the order, the lists, the cards and the history and fills the screen.
  void init_() override;
  //! Opens the history; the line dataset takes its structure, empty.
  void jiesuanlist();

  // Line events.
  void cdsjiesuanAfterInsert(dataset::ClientDataSet& ds);
  void cdsjiesuanBeforePost(dataset::ClientDataSet& ds);
  //! Also the after-delete handler: "本次结算" and the entry amounts follow the lines.
  void cdsjiesuanAfterPost(dataset::ClientDataSet& ds);
  //! An account or method typed into the line grid brings its code and id.
  void dsjiesuanDataChange(dataset::DataSource& sender, const dataset::Field* field);

  // Actions.
  void actaddExecute(host::Action& sender);
  void actdelExecute(host::Action& sender);
  //! actok and actok_print (tag 1: result Yes).
  void actokExecute(host::Action& sender);
  void actprintExecute(host::Action& sender);

  //! "未结": (hjje − jmje) − hjsk of the order.
  core::Currency unsettled() const;
  //! "本次结算": sum of `je` over the lines of this dialog (0 when none).
  core::Currency thisSettlement() const;

 private:
  void createHeaderControls();
  void createPageControls();
  void createGrids();
  void createActions();
  void showOrder();
  void showPageFields();
  void openCards();
  void hideSettlementGroup();
  void addCash();
  void addReduction();
  void addCardPayment();
  void fillMethod(const char* code);
  void editLineOf(const char* code);
  void postLine(const char* code, core::Currency je, const char* remarkControl,
                const std::function<void()>& fillOwnFields = {});
  void resetEntryAmounts();
  std::string settlementBatch();
  core::Currency amountOf(const char* controlName);
  std::string activePage() const;

  std::string page_;  // the page shown last; a typed page name that is not shown reverts to it
};

//! The unit's use-counted start-up; its first initialize() registers plug 1100_07.
host::UnitInitialization& jiesuanFormUnit();
//! Registers plug 1100_07 "订单结算" (no rules; the right to settle is 1100's _07).
void registerJiesuanForm();

}  // namespace plugs::coreapp::xmzzk
