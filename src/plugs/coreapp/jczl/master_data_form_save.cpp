// TMasterDataForm: saving, disabling, enabling and deleting a row, and the registration
// of every page. The page checks what it can see alone (required fields, lengths,
// negative prices) before it runs a batch; the batch checks the rest.
#include <cmath>

#include "core/abort.h"
#include "host/forms/page_control.h"
#include "host/host.h"
#include "host/plug/standard_rules.h"
#include "host/services/data_services.h"
#include "host/services/host_dialogs.h"
#include "host/services/operator_sign_in.h"
#include "host/services/sys_services.h"
#include "host/services/t_auth.h"
#include "host/services/whole_batch.h"
#include "plugs/coreapp/jczl/master_data_checks.h"
#include "plugs/coreapp/jczl/master_data_form.h"
#include "plugs/coreapp/jczl/master_data_sql.h"

namespace plugs::coreapp::jczl {

namespace {

constexpr const char* kChangedMessage = "当前数据状态已改变，已为您刷新数据，请重试.";

void checkText(const std::string& caption, const std::string& text, int length, bool required) {
  const std::string problem = textProblem(caption, text, length, required);
  if (!problem.empty()) TMasterDataForm::refuse(problem);
}

}  // namespace

void TMasterDataForm::refuse(const std::string& message) {
  host::MessageMyDlg(message, "提示", host::mtInformation, host::mbOK, true);
  throw core::Abort();
}

void TMasterDataForm::refuseFailed(const std::string& what, const std::string& error) {
  // Every storage fault's cause says that nothing was saved; any other failure is the
  // engine's own text, which the clerk cannot act on.
  const bool storage = error.find("本次操作未保存任何内容") != std::string::npos;
  refuse(what + "失败" + (storage ? "：" + error : std::string("，请重试。")));
}

// What the page alone can tell is wrong with the edited row.
void TMasterDataForm::checkRow() {
  if (cdsEdit.state() != dataset::DataSetState::Browse) cdsEdit.post();
  checkText("编号", cdsEdit.fieldByName("code").asString(), spec.codeLength, true);
  checkText("名称", cdsEdit.fieldByName("name").asString(), spec.nameLength, true);
  for (const MasterField& f : spec.fields) {
    const dataset::Field& field = cdsEdit.fieldByName(f.field);
    if (f.kind == FieldKind::Text) checkText(f.caption, field.asString(), f.maxLength, f.required);
    if (f.kind == FieldKind::Lookup && f.required && field.asInteger() == 0)
      refuse("请选择" + f.caption);
    if ((f.kind == FieldKind::Money || f.kind == FieldKind::Number) &&
        (field.asFloat() < 0 || !std::isfinite(field.asFloat())))
      refuse(f.caption + "不能小于0");
    if (f.kind == FieldKind::Choice && !choiceProblem(f, field.asString()).empty())
      refuse(choiceProblem(f, field.asString()));
  }
  // A customer priced by member level needs the level.
  const dataset::Field* priceType = cdsEdit.findField("xyjlx");
  if (priceType != nullptr) {
    const std::string problem =
        memberLevelProblem(priceType->asString(), cdsEdit.fieldByName("vip_id").asInteger());
    if (!problem.empty()) refuse(problem);
  }
}

db::Params TMasterDataForm::rowParams() const {
  db::Params params = {{"code", core::Value(cdsEdit.fieldByName("code").asString())},
                       {"name", core::Value(cdsEdit.fieldByName("name").asString())}};
  for (const MasterField& f : spec.fields) {
    const dataset::Field& field = cdsEdit.fieldByName(f.field);
    switch (f.kind) {
      case FieldKind::Money:
        params.emplace_back(f.field, core::Value(field.asCurrency()));
        break;
      case FieldKind::Number:
        params.emplace_back(f.field, core::Value(field.asFloat()));
        break;
      case FieldKind::Lookup:
        params.emplace_back(f.field, core::Value(field.asInteger()));
        break;
      default:
        params.emplace_back(f.field, core::Value(field.asString()));
        break;
    }
  }
  if (!adding_) {
    params.emplace_back("id", core::Value(cdsEdit.fieldByName("id").asInteger()));
    params.emplace_back("version", core::Value(cdsEdit.fieldByName("version").asInteger()));
  }
  return params;
}

// Runs a batch; a refusal it raised becomes its message (a changed row reloads first).
void TMasterDataForm::runOrRefuse(const std::string& batch, const db::Params& params,
                                  std::int64_t focusId) {
  if (host::execSQL(host::sqlTemplate(host::wholeOrNothing(batch)), params)) return;
  const std::string error = host::lastExecSQLError();
  if (error.find(MasterDataSql::kCodeTaken) != std::string::npos)
    refuse("编号“" + cdsEdit.fieldByName("code").asString() + "”已存在，请换一个编号");
  if (error.find(MasterDataSql::kInUse) != std::string::npos) throw MasterDataInUse();
  for (const MasterChildSpec& child : spec.children)
    if (!child.refusal.empty() && error.find(child.refusal) != std::string::npos)
      refuse(child.refusal);
  if (error == MasterDataSql::kChanged) {
    if (cdsEdit.state() != dataset::DataSetState::Browse) cdsEdit.cancel();
    setEditing(false);
    adding_ = false;
    reloadList(focusId);
    refuse(kChangedMessage);
  }
  refuseFailed(spec.caption + "保存", error);
}

void TMasterDataForm::actSaveExecute(host::Action&) {
  host::TAuth::requireRight(spec.code + (adding_ ? "_01" : "_02"));
  checkRow();
  const bool added = adding_;
  const std::int64_t id = added ? 0 : cdsEdit.fieldByName("id").asInteger();
  db::Params params = rowParams();
  const std::string children = children_->saveSql(params);
  runOrRefuse(added ? MasterDataSql::insertBatch(spec, children)
                    : MasterDataSql::updateBatch(spec, children),
              params, id);
  const std::string code = cdsEdit.fieldByName("code").asString();
  const std::string name = cdsEdit.fieldByName("name").asString();
  setEditing(false);
  adding_ = false;
  control("edtKey").text.clear();
  reloadList(id);
  if (added) cdsList.locate("code", core::Value(code));
  loadFocusedRow();
  if (added && spec.setsPassword) askPassword(focusedId(), name);
}

void TMasterDataForm::setState(bool disabled) {
  host::TAuth::requireRight(spec.code + "_03");
  const std::int64_t id = focusedId();
  runOrRefuse(MasterDataSql::stateBatch(spec),
              {{"isdel", core::Value(disabled)},
               {"id", core::Value(id)},
               {"version", core::Value(cdsEdit.fieldByName("version").asInteger())}},
              id);
  reloadList(id);
}

void TMasterDataForm::actDisableExecute(host::Action&) { setState(true); }

void TMasterDataForm::actEnableExecute(host::Action&) { setState(false); }

void TMasterDataForm::actDeleteExecute(host::Action&) {
  host::TAuth::requireRight(spec.code + "_03");
  const std::int64_t id = focusedId();
  const std::string name = cdsEdit.fieldByName("name").asString();
  if (host::MessageMyDlg("确定要删除“" + name + "”吗？", "提示", host::mtConfirmation,
                         host::mbOK | host::mbCancel, true) != host::mrOK)
    throw core::Abort();
  try {
    runOrRefuse(MasterDataSql::deleteBatch(spec),
                {{"id", core::Value(id)},
                 {"version", core::Value(cdsEdit.fieldByName("version").asInteger())}},
                id);
  } catch (const MasterDataInUse&) {
    if (host::MessageMyDlg("“" + name + "”已被使用，不能删除。是否停用？", "提示",
                           host::mtConfirmation, host::mbOK | host::mbCancel, true) != host::mrOK)
      throw core::Abort();
    setState(true);
    return;
  }
  reloadList(0);
}

void TMasterDataForm::actPwdExecute(host::Action&) {
  host::TAuth::requireRight(spec.code + "_02");
  askPassword(focusedId(), cdsEdit.fieldByName("name").asString());
}

// The password goes from the dialog straight to the sign-in service, which keeps its
// hash only; cancelling leaves the employee without a sign-in.
void TMasterDataForm::askPassword(std::int64_t czy_id, const std::string& name) {
  std::string password;
  if (czy_id == 0 || !host::askNewPassword(this, name, password)) return;
  try {
    host::OperatorSignIn(host::currentHost().db(), host::sysAuth().orgid)
        .setPassword(czy_id, password);
  } catch (const std::exception& e) {
    refuse(e.what());
  }
  host::MessageMyDlg("密码已设置", "提示", host::mtInformation, host::mbOK, true);
}

void registerJczlForms() {
  for (const MasterDataPageSpec& spec : masterDataSpecs()) {
    const MasterDataPageSpec* page = &spec;
    host::TFormClass formClass{
        spec.className, [page](host::Owner owner) {
          return std::unique_ptr<host::FormModel>(std::make_unique<TMasterDataForm>(owner, *page));
        }};
    const host::TFormClass pageClass = formClass;
    std::vector<std::pair<std::string, std::string>> rights = {
        {"_01", "新增"}, {"_02", "修改"}, {"_03", "删除"}};
    rights.insert(rights.end(), spec.moreRights.begin(), spec.moreRights.end());
    host::registerPackageItem(
        spec.guid, spec.caption, spec.code, std::move(formClass),
        [pageClass](host::Owner owner, host::TPlugItem& item, const std::string&,
                    const std::string&, const std::vector<std::string>&) {
          host::TAuth::requireRight(item.code);
          host::TBaseRibbonForm::generateForm(owner, pageClass, host::PageControl(), item);
        },
        rights);
  }
}

bool isMasterDataCode(const std::string& code) { return masterDataSpec(code) != nullptr; }

host::UnitInitialization& jczlFormUnit() {
  static host::UnitInitialization unit(&registerJczlForms);
  return unit;
}

}  // namespace plugs::coreapp::jczl
