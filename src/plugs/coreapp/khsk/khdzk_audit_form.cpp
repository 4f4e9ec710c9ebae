// Tkhdzkauditform: the review batch is the pending line changes (by row id) followed by
// the marks; the bill number enters the mark statements as a quoted literal. When the
// review and its log row are one unit of work: when either fails, or the statement
// changed since the dialog read it, nothing is written and the dialog stays open with
// a message.
#include "plugs/coreapp/khsk/khdzk_audit_form.h"

#include <utility>
#include <vector>

#include "core/format.h"
#include "core/json.h"
#include "core/strings.h"
#include "dataset/up_data_sql_list.h"
#include "host/services/data_services.h"
#include "host/services/sys_services.h"
#include "host/services/unit_of_work.h"
#include "host/services/version_guard.h"
#include "plugs/coreapp/khsk/khdzk_sql.h"
#include "plugs/coreapp/simple_bill/ticked_rows.h"

namespace plugs::coreapp::khsk {

using host::Control;
using host::ControlKind;

namespace {

constexpr const char* kMoneyFormat = "¥,0.0000;¥-,0.0000";

host::GridColumn column(const char* field, const char* caption, const char* format = "",
                        bool editable = false) {
  host::GridColumn c;
  c.field = field;
  c.caption = caption;
  c.format = format;
  c.readOnly = !editable;
  if (*format != '\0') {
    c.editor = "money";
    c.footer = "sum";
  }
  return c;
}

}  // namespace

Tkhdzkauditform::Tkhdzkauditform(host::FormModel* owner, std::string billno)
    : TBaseForm(owner, "Tkhdzkauditform", "客户对账单复核对账"), billno_(std::move(billno)) {}

void Tkhdzkauditform::FormCreate() {
  TBaseForm::FormCreate();
  registerDataSet("cdsResult", cdsResult);
  createControls();
  addAction("actselectall", "全选").onExecute = [this](host::Action&) { tickAll(true); };
  addAction("actunselectall", "全部取消").onExecute = [this](host::Action&) { tickAll(false); };
  addAction("selectedHeaderClick", "选择").onExecute = [this](host::Action&) {
    selectedHeaderClick();
  };
  addAction("actok", "确认对账").onExecute = [this](host::Action&) { actconfirmExecute(); };
  addAction("actcancel", "取消");  // closing without confirming changes nothing
  const host::SysAuth& login = host::sysAuth();
  const db::Params key = {{"orgid", core::Value(login.orgid)}, {"billno", core::Value(billno_)}};
  const std::vector<core::JsonRow> header = core::parseSelection(host::openDataJson(
      "select id, version from vt_f_khdzk where orgid=:orgid and billno=:billno", key));
  if (!header.empty()) {
    statementId_ = header.front().value("id").asInteger();
    version_ = header.front().value("version").asInteger();
  }
  host::openDataToCDS(cdsResult, kKhdzkLineQuery, key);
}

void Tkhdzkauditform::createControls() {
  Control grid("cxgResult", ControlKind::Grid);
  grid.dataSet = "cdsResult";
  grid.columns = {column("dzflag", "选择", "", true),
                  column("biztype", "业务类型"),
                  column("bizbillno", "单号"),
                  column("bizbilldate", "日期"),
                  column("ck_name", "门店"),
                  column("gcxmmc", "工程名称"),
                  column("hjje", "合计金额", kMoneyFormat),
                  column("jsje", "已核销金额", kMoneyFormat),
                  column("qkje", "未核销金额", kMoneyFormat),
                  column("beizhu", "备注（可编辑）", "", true)};
  keepRowsFixed(cdsResult, addControl(std::move(grid)));  // the statement's own lines
}

void Tkhdzkauditform::tickAll(bool tick) {
  if (!cdsResult.active() || cdsResult.isEmpty()) return;
  const dataset::Bookmark at = cdsResult.bookmark();
  for (cdsResult.first(); !cdsResult.eof(); cdsResult.next()) {
    cdsResult.edit();
    cdsResult.fieldByName("dzflag").setValue(core::Value(tick));
    cdsResult.post();
  }
  cdsResult.gotoBookmark(at);
  selectedTag_ = tick ? 1 : 0;
}

void Tkhdzkauditform::selectedHeaderClick() { tickAll(selectedTag_ == 0); }

std::string Tkhdzkauditform::reviewBatch() const {
  std::vector<std::string> lines = {"begin tran", "begin try"};
  dataset::GetUpDataSQLList("vt_f_khdzk_mx", "id", {}, cdsResult, lines);
  const std::string marks = host::sqlTemplate(kKhdzkReviewSql);
  lines.push_back(core::Format(marks, {core::Value(core::replaceAll(billno_, "'", "''"))}));
  // All or nothing: a half-applied review would mark bills of an unreviewed statement.
  for (const char* line :
       {"end try", "begin catch", "if (@@trancount>0) rollback tran",
        "raiserror('对账单复核失败', 16, 1)", "end catch", "if (@@trancount>0) commit tran"})
    lines.emplace_back(line);
  return core::join(lines, "\r\n");
}

void Tkhdzkauditform::actconfirmExecute() {
  if (cdsResult.active() && cdsResult.state() != dataset::DataSetState::Browse) cdsResult.post();
  std::string why;
  {
    host::UnitOfWork unit;
    if (!guardedReview())
      why = host::lastExecSQLError();
    else if (!writeLog())
      why = "复核记录未能保存，对账单未复核。";
    else if (!unit.commit())
      why = unit.error();
  }
  if (!why.empty()) {
    host::MessageMyDlg(why, "提示", host::mtError);
    return;
  }
  ModalResult = host::mrOK;
}

// The guard covers the review batch alone: the batch raises the statement's version
// itself, so the log row after it must not be tested against the version read.
bool Tkhdzkauditform::guardedReview() const {
  host::VersionGuard guard({"vt_f_khdzk", statementId_, version_});
  return host::execSQL(reviewBatch());
}

bool Tkhdzkauditform::writeLog() const {
  const host::SysAuth& login = host::sysAuth();
  return host::execSQL(kKhdzkReviewLogSql, {{"orgid", core::Value(login.orgid)},
                                            {"modulecode", core::Value("1117")},
                                            {"billtype", core::Value("客户对账单")},
                                            {"billno", core::Value(billno_)},
                                            {"ck_id", core::Value(login.ck_id)},
                                            {"czy_id", core::Value(login.czy_id)},
                                            {"auditmsg", core::Value("复核对账单")},
                                            {"auditstate", core::Value("复核")}});
}

}  // namespace plugs::coreapp::khsk
