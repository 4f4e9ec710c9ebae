// Tyhqxform: the tree is built from the plug pool, so every item the program knows
// (and only those) can be granted, in the order the menus show them. Passwords never
// pass through a dataset of this page: the dialog hands the typed text straight to
// the sign-in service, which keeps only its hash.
#include "plugs/coreapp/yhqx/yhqx_form.h"

#include "core/abort.h"
#include "host/forms/page_control.h"
#include "host/host.h"
#include "host/lookup/host_plugs.h"
#include "host/plug/standard_rules.h"
#include "host/plug/t_plugs_pool.h"
#include "host/services/data_services.h"
#include "host/services/host_dialogs.h"
#include "host/services/operator_sign_in.h"
#include "host/services/sys_services.h"
#include "host/services/t_auth.h"
#include "plugs/coreapp/report/report_columns.h"

namespace plugs::coreapp::yhqx {

// Whoever may open this page may sign in to a database without passwords to set them.
static_assert(std::string_view(kRightsPlugCode) == host::kRightsPageRight);

namespace {

constexpr const char* kAllRights = "*";
constexpr const char* kOperatorsQuery =
    "select e.id, e.code, e.name, c.name as ck_name, case when l.id is null then '未设置' "
    "else '已设置' end as pwdstate, case when l.lockuntil > getdate() then l.lockuntil end as "
    "lockuntil from vt_b_ygbmk e left join vt_b_ckbmk c on "
    "c.id = e.ck_id left join vt_sys_user_login l on l.orgid = e.orgid and l.czy_id = e.id "
    "where e.orgid = :orgid and isnull(e.isdel, 0) = 0 order by e.code";

// One row of the tree as a result-set row: code, parent, caption, granted.
void addRow(tsql::ResultSet& rs, const std::string& code, const std::string& parent,
            const std::string& caption, const host::Rights& granted) {
  // Under "*" every row shows ticked: that is what the operator may do.
  const bool on = granted.all || granted.codes.count(code) > 0;
  rs.rows.push_back(
      {core::Value(code), core::Value(parent), core::Value(caption), core::Value(on)});
}

// Every rule of every item the user can be granted, roots first, their actions after.
tsql::ResultSet rightsTree(const host::Rights& granted) {
  tsql::ResultSet rs;
  rs.columns = {{"code"}, {"parent"}, {"caption"}, {"qx"}};
  addRow(rs, kAllRights, "", "全部权限", granted);
  for (const host::TPlugItem* item : host::plugsPool().items()) {
    if (host::isHostPlug(item->caption)) continue;
    for (const host::TauthRule& rule : item->rules())
      addRow(rs, rule.code, rule.parent,
             rule.parent.empty() ? rule.caption + "（" + rule.code + "）" : "　　" + rule.caption,
             granted);
  }
  return rs;
}

}  // namespace

Tyhqxform::Tyhqxform(host::FormModel* owner)
    : TBaseRibbonForm(owner, nullptr, "Tyhqxform", "用户权限") {
  registerDataSet("cdsYg", cdsYg);
  registerDataSet("cdsQx", cdsQx);
  cdsQx.addField({"code", dataset::FieldType::Text});
  cdsQx.addField({"parent", dataset::FieldType::Text});
  cdsQx.addField({"caption", dataset::FieldType::Text});
  cdsQx.addField({"qx", dataset::FieldType::Boolean});
}

void Tyhqxform::FormCreate() {
  TBaseRibbonForm::FormCreate();
  addGrids();
  addAction("actRef", "刷新").onExecute = [this](host::Action& a) { actRefExecute(a); };
  const auto needOperator = [this](host::Action& a) { a.enabled = focusedOperator() != 0; };
  struct Spec {
    const char* name;
    const char* caption;
    void (Tyhqxform::*run)(host::Action&);
  };
  for (const Spec& s : {Spec{"actSave", "保存权限", &Tyhqxform::actSaveExecute},
                        Spec{"actAll", "全选", &Tyhqxform::actAllExecute},
                        Spec{"actNone", "全不选", &Tyhqxform::actNoneExecute},
                        Spec{"actPwd", "重置密码", &Tyhqxform::actPwdExecute}}) {
    host::Action& a = addAction(s.name, s.caption);
    a.onExecute = [this, run = s.run](host::Action& sender) { (this->*run)(sender); };
    a.onUpdate = needOperator;
  }
  cdsYg.afterScroll = [this](dataset::ClientDataSet& ds) { cdsYgAfterScroll(ds); };
  actRefExecute(action("actRef"));
}

void Tyhqxform::addGrids() {
  host::Control operators("cxgYg", host::ControlKind::Grid, "操作员");
  operators.dataSet = "cdsYg";
  operators.readOnly = true;
  operators.columns = {reportTextColumn("code", "编号", 60), reportTextColumn("name", "姓名", 80),
                       reportTextColumn("ck_name", "门店", 100),
                       reportTextColumn("pwdstate", "密码", 60),
                       reportTextColumn("lockuntil", "锁定至", 120)};
  addControl(std::move(operators));
  host::Control rights("cxgQx", host::ControlKind::Grid, "权限");
  rights.dataSet = "cdsQx";
  host::GridColumn caption = reportTextColumn("caption", "功能", 200);
  caption.readOnly = true;
  host::GridColumn granted;
  granted.field = "qx";
  granted.caption = "授权";
  granted.width = 6;
  granted.editor = "checkbox";
  rights.columns = {caption, granted};
  addControl(std::move(rights));
}

std::int64_t Tyhqxform::focusedOperator() const {
  if (!cdsYg.active() || cdsYg.isEmpty()) return 0;
  return cdsYg.fieldByName("id").asInteger();
}

void Tyhqxform::actRefExecute(host::Action&) {
  shownOperator_ = 0;
  host::openDataToCDS(cdsYg, kOperatorsQuery);
  loadRights();
}

// Moving to another operator offers to keep the ticks made for the one before.
void Tyhqxform::cdsYgAfterScroll(dataset::ClientDataSet&) {
  if (focusedOperator() == shownOperator_) return;
  if (cdsQx.active() && cdsQx.state() != dataset::DataSetState::Browse) cdsQx.post();
  if (shownOperator_ != 0 && cdsQx.changeCount() > 0 &&
      host::MessageMyDlg("当前操作员的权限已修改，是否保存？", "提示", host::mtConfirmation,
                         host::mbOK | host::mbCancel, true) == host::mrOK) {
    const std::int64_t next = focusedOperator();
    cdsYg.locate("id", core::Value(shownOperator_));
    actSaveExecute(action("actSave"));
    cdsYg.locate("id", core::Value(next));
  }
  loadRights();
}

void Tyhqxform::loadRights() {
  shownOperator_ = focusedOperator();
  host::Rights granted;
  if (shownOperator_ != 0) {
    dataset::ClientDataSet rows("cdsRows");
    host::openDataToCDS(rows,
                        "select rightcode from vt_sys_user_rights where orgid = :orgid and "
                        "czy_id = :czy_id",
                        {{"czy_id", core::Value(shownOperator_)}});
    for (rows.first(); !rows.eof(); rows.next()) {
      const std::string code = rows.fieldByName("rightcode").asString();
      if (code == kAllRights)
        granted.all = true;
      else
        granted.codes.insert(code);
    }
  }
  cdsQx.loadFrom(rightsTree(granted));
}

std::set<std::string> Tyhqxform::tickedCodes() {
  if (cdsQx.state() != dataset::DataSetState::Browse) cdsQx.post();
  std::set<std::string> codes;
  for (int row = 0; row < cdsQx.recordCount(); ++row) {
    if (!cdsQx.valueAt(row, cdsQx.fieldByName("qx").index()).asBool()) continue;
    const std::string code = cdsQx.valueAt(row, cdsQx.fieldByName("code").index()).asText();
    if (code == kAllRights) return {kAllRights};
    codes.insert(code);
    const std::string parent = cdsQx.valueAt(row, cdsQx.fieldByName("parent").index()).asText();
    if (!parent.empty()) codes.insert(parent);
  }
  return codes;
}

void Tyhqxform::actSaveExecute(host::Action&) {
  host::TAuth::requireRight(plugCode() + "_02");
  const std::int64_t czy_id = shownOperator_;
  const std::set<std::string> codes = tickedCodes();
  // The operator at the screen keeps his own way back to this page.
  if (czy_id == host::sysAuth().czy_id && !codes.count(kAllRights) &&
      !codes.count(plugCode() + "_02")) {
    host::MessageMyDlg("不能取消自己的用户权限管理权限", "提示", host::mtInformation, host::mbOK,
                       true);
    throw core::Abort();
  }
  std::string batch =
      "begin tran\nbegin try\ndelete from vt_sys_user_rights where orgid = :orgid and czy_id = "
      ":czy_id\n";
  db::Params params = {{"czy_id", core::Value(czy_id)}};
  int n = 0;
  for (const std::string& code : codes) {
    const std::string name = "c" + std::to_string(n++);
    batch += "insert into vt_sys_user_rights(orgid, czy_id, rightcode) values (:orgid, :czy_id, :" +
             name + ")\n";
    params.emplace_back(name, core::Value(code));
  }
  batch +=
      "commit tran\nend try\nbegin catch\nif (@@trancount > 0) rollback tran\n"
      "raiserror('权限保存失败', 16, 1)\nend catch";
  if (!host::execSQL(host::sqlTemplate(batch), params)) {
    host::MessageMyDlg(host::lastExecSQLError(), "提示", host::mtError, host::mbOK, true);
    throw core::Abort();
  }
  loadRights();
  host::MessageMyDlg("权限已保存", "提示", host::mtInformation, host::mbOK, true);
}

void Tyhqxform::tickAll(bool on) {
  cdsQx.disableControls();
  for (cdsQx.first(); !cdsQx.eof(); cdsQx.next()) {
    if (cdsQx.fieldByName("qx").asBoolean() == on) continue;
    cdsQx.edit();
    cdsQx.fieldByName("qx").setValue(core::Value(on));
    cdsQx.post();
  }
  cdsQx.first();
  cdsQx.enableControls();
}

void Tyhqxform::actAllExecute(host::Action&) { tickAll(true); }

void Tyhqxform::actNoneExecute(host::Action&) { tickAll(false); }

void Tyhqxform::actPwdExecute(host::Action&) {
  host::TAuth::requireRight(plugCode() + "_02");
  const std::int64_t czy_id = focusedOperator();
  std::string password;
  if (!host::askNewPassword(this, cdsYg.fieldByName("name").asString(), password))
    throw core::Abort();
  try {
    host::OperatorSignIn(host::currentHost().db(), host::sysAuth().orgid)
        .setPassword(czy_id, password);
  } catch (const std::exception& e) {
    host::MessageMyDlg(e.what(), "提示", host::mtInformation, host::mbOK, true);
    throw core::Abort();
  }
  host::openDataToCDS(cdsYg, kOperatorsQuery);
  cdsYg.locate("id", core::Value(czy_id));
  host::MessageMyDlg("密码已重置", "提示", host::mtInformation, host::mbOK, true);
}

void registerYhqxForm() {
  host::TFormClass formClass{
      "Tyhqxform", [](host::Owner owner) {
        return std::unique_ptr<host::FormModel>(std::make_unique<Tyhqxform>(owner));
      }};
  const host::TFormClass pageClass = formClass;
  host::registerPackageItem(
      "{8C2A4E61-7B3D-4F05-9E1A-5D6C0B2F7A93}", "用户权限", kRightsPlugCode, std::move(formClass),
      [pageClass](host::Owner owner, host::TPlugItem& item, const std::string&, const std::string&,
                  const std::vector<std::string>&) {
        // Only who holds the page may open it, whichever way it is asked for.
        host::TAuth::requireRight(item.code);
        host::TBaseRibbonForm::generateForm(owner, pageClass, host::PageControl(), item);
      },
      {{"_02", "修改"}});
}

host::UnitInitialization& yhqxFormUnit() {
  static host::UnitInitialization unit(&registerYhqxForm);
  return unit;
}

}  // namespace plugs::coreapp::yhqx
