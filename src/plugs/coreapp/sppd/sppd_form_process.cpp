// Tsppdform, the processing of an audited stocktake: one batch numbers a draft loss
// and gain bill in the 1126 series, copies the header and one line per counted goods
// item (difference as quantity, no price), and marks the stocktake processed with a
// raised version; any failure rolls all of it back. A processed stocktake refuses to be
// un-audited until its loss and gain bill is deleted, which releases it. The loss and
// gain editor opens on the bill just made, as the message to the clerk promises.
#include <algorithm>
#include <utility>
#include <vector>

#include "core/format.h"
#include "core/json.h"
#include "core/strings.h"
#include "host/plug/t_plugs_pool.h"
#include "host/services/data_services.h"
#include "host/services/sys_services.h"
#include "plugs/coreapp/sppd/sppd_form.h"

namespace plugs::coreapp::sppd {

namespace {

// Fills the first occurrence of each marker, all found in the text as it was given, so a
// value that happens to contain another marker is never filled in a second time.
std::string fillFirstMarkers(const std::string& text, std::vector<std::pair<std::string, std::string>> markers) {
  std::vector<std::pair<std::size_t, std::size_t>> hits;  // (position, marker index)
  for (std::size_t i = 0; i < markers.size(); ++i)
    if (const std::size_t at = text.find(markers[i].first); at != std::string::npos) hits.emplace_back(at, i);
  std::sort(hits.begin(), hits.end());
  std::string out;
  std::size_t from = 0;
  for (const auto& [at, i] : hits) {
    out.append(text, from, at - from);
    out.append(markers[i].second);
    from = at + markers[i].first.size();
  }
  return out.append(text, from, std::string::npos);
}

}  // namespace

const std::string& sppdProcessText() {
  static const std::string text = core::join(
      {"DECLARE ", "@orgid varchar(50),", "@category varchar(20),", "@tag varchar(20),", "@ck_id int,",
       "@billno varchar(50),", "@pdbillno varchar(50)", "", "set @orgid = :orgid", "set @category ='1126'",
       "set @tag = :tag", "set @pdbillno=:pdbillno", "set @ck_id=:ck_id", "", "begin tran", "begin try",
       "exec [dbo].[sp_sys_genbillno] @orgid ,@category ,@tag ,@ck_id,@billno OUTPUT",
       "set @billno = isnull(@billno, '')", "if @billno = '' raiserror('单据保存失败', 16, 1)", "",
       "INSERT INTO vt_c_spsy(orgid,billno,billdate,kdr_id,status,remark,ck_id,zy,pdbillno)",
       "select orgid,@billno,getdate(),kdr_id,0,remark,ck_id,zy,billno from vt_c_sppd where billno=@pdbillno", "",
       "INSERT INTO vt_c_spsy_mx(orgid,uid,billno,sp_id,sl,dj,je,beizhu)",
       "select orgid,newid(),@billno,sp_id,yksl,0,0,beizhu from vt_c_sppd_mx where billno=@pdbillno", "",
       "update vt_c_sppd set version=version+1, isDone = 1 where billno=@pdbillno", "", "end try", "begin catch",
       "if (@@trancount>0) rollback tran", "raiserror('单据保存失败', 16, 1)", "end catch",
       "if (@@trancount>0) commit tran"},
      "\r\n");
  return text;
}

bool Tsppdform::isDone() const {
  const dataset::Field* done = cdsMaster.findField("isDone");
  return done != nullptr && done->asBoolean();
}

bool Tsppdform::processable() const {
  return !editMode && cdsMaster.active() && !cdsMaster.isEmpty() && masterStatus() == 1 && !isDone();
}

void Tsppdform::acttosyUpdate(host::Action& sender) { sender.enabled = processable(); }

void Tsppdform::acttosyExecute(host::Action&) {
  if (!processable()) return;
  requireRight("_07");
  checkVersionOrReload();
  const host::SysAuth& login = host::sysAuth();
  const std::string sql = fillFirstMarkers(host::sqlTemplate(sppdProcessText()),
                                           {{":tag", core::QuotedStr(login.tag)},
                                            {":ck_id", std::to_string(login.ck_id)},
                                            {":pdbillno", core::QuotedStr(billno)}});
  host::LogMsgWithTag(sql, "处理盘点单");
  if (!host::execSQL(sql)) {
    const std::string why = host::lastExecSQLError();
    refuse(why.empty() ? "单据保存失败" : why);
  }
  host::MessageMyDlg("盘点单处理完成，将自动打开损益单，确认无误后审核损益单库存盘点结果将生效。", "提示",
                     host::mtInformation, host::mbOK);
  OpenBillData(billno);
  const std::vector<core::JsonRow> made = core::parseSelection(host::openDataJson(
      host::sqlTemplate(
          "select billno from vt_c_spsy where orgid = :orgid and pdbillno = :pdbillno"),
      {{"pdbillno", core::Value(billno)}}));
  if (host::TPlugItem* lossAndGain = host::plugsPool().plugbyName("损益单"))
    lossAndGain->create(nullptr, made.empty() ? "" : made.front().get("billno"), "", {"-1"});
}

int Tsppdform::AuditingData_0() {
  if (isDone()) refuse("该盘点单已处理完成，请先删除相应损益单后重试。");
  return TStockBillForm::AuditingData_0();
}

void Tsppdform::generateSqlAuditing_0(std::string& sql) {
  sql = "update vt_c_sppd set isDone = 0 where id=" + std::to_string(cdsMaster.fieldByName("id").asInteger());
}

}  // namespace plugs::coreapp::sppd
