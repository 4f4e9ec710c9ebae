// Tkhdzkauditform: the customer statement's review dialog ("客户对账单复核对账"): the
// statement's lines with their figures, a tick per line the customer confirmed and an
// editable remark. "确认对账" writes ticks and remarks, marks the statement reviewed,
// copies each tick to its bill and logs the review; any other close changes nothing.
#pragma once

#include <cstdint>
#include <string>

#include "dataset/client_data_set.h"
#include "host/forms/base_form.h"

namespace plugs::coreapp::khsk {

class Tkhdzkauditform : public host::TBaseForm {
 public:
  Tkhdzkauditform(host::FormModel* owner, std::string billno);

  dataset::ClientDataSet cdsResult{"cdsResult"};  //!< the statement's lines

  //! The grid and buttons, then the lines of the statement.
  void FormCreate() override;
  //! Ticks (true) or unticks every line; the "选择" header's next click does the opposite.
  void tickAll(bool tick);
  //! Header click on "选择": ticks all when its tag is 0, else unticks all.
  void selectedHeaderClick();
  //! One batch of ticks, remarks and marks and the log row, in one unit of work and
  //! guarded by the statement's version read at opening; when both succeed, OK.
  void actconfirmExecute();

 private:
  std::string billno_;
  //! The statement's header as read when the dialog opened: its confirm is refused
  //! when another dialog or window has changed the statement since.
  std::int64_t statementId_ = 0;
  std::int64_t version_ = 0;
  int selectedTag_ = 0;  //!< 0: the next header click ticks, 1: it unticks

  void createControls();
  //! The batch of the pending line changes followed by the review statements.
  std::string reviewBatch() const;
  //! The review batch, refused when the statement changed since the dialog read it.
  bool guardedReview() const;
  //! The log row of the review, in the review's unit of work.
  bool writeLog() const;
};

}  // namespace plugs::coreapp::khsk
