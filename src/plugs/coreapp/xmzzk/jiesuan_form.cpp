// Tjiesuanform, creation and opening: the header and amount boxes, the three entry
// pages, the line and history grids, the actions with their enabled rules, opening the
// order with its lists, cards and history, and the unit's registration of 1100_07.
#include "plugs/coreapp/xmzzk/jiesuan_form.h"

#include <algorithm>
#include <tuple>

#include "core/abort.h"
#include "core/strings.h"
#include "host/forms/money_format.h"
#include "host/plug/standard_rules.h"
#include "host/plug/t_plugs_pool.h"
#include "host/services/data_services.h"
#include "host/services/sys_services.h"
#include "plugs/coreapp/xmzzk/order_print_templates.h"
#include "plugs/coreapp/xmzzk/xmzzk_select_form.h"

namespace plugs::coreapp::xmzzk {

using host::Control;
using host::ControlKind;

namespace {

constexpr const char* kPageCash = "现结";
constexpr const char* kPageReduction = "减免";
constexpr const char* kPageCard = "会员卡";

// The order's settlement rows and the receipts written off against it, one history.
const std::vector<std::string> kHistorySql = {
    "declare @billno varchar(50),@orgid varchar(10)",
    "set @billno=:billno",
    "set @orgid=:orgid",
    "select m.*, b1.code czy_code, b1.name czy_name from(",
    "select js.id,js.orgid,js.uid,js.billno,js.jsfs_id,js.jssj,js.zh_id,js.je,js.sn,js.remark,"
    "czy_id, jsfs.code as jsfs_code, jsfs.name as jsfs_name, zh.code as zh_code, zh.name as "
    "zh_name ",
    "from dbo.vt_x_xmzzk_js js left join vt_b_jsfs jsfs on js.jsfs_id=jsfs.id",
    "left join vt_b_zhbmk zh on js.zh_id = zh.id",
    "where js.orgid=@orgid and js.billno=@billno",
    "union",
    "select id,orgid,uid,hxbillno,0,hxbilldate,0,bchx,'','',czy_id,'',zy,'','' from vt_sys_hx_kh "
    "where orgid=@orgid and hxbillno=@billno",
    ") m left join vt_b_ygbmk b1 on m.czy_id = b1.id order by jssj, m.id"};

// The customer's cards with their balance; the customer id is formatted in.
constexpr const char* kCardSql =
    "declare @kh_id int,@orgid varchar(10)\r\n"
    "set @orgid=:orgid\r\n"
    "set @kh_id=%d\r\n"
    "select t1.*, t2.je from ( \r\n"
    "select * from vt_b_khbmk_vip where id in(select card_id from vt_b_khbmk where id = @kh_id "
    "and orgid=@orgid)\r\n"
    ") t1 left join (\r\n"
    "select card_id, sum(incje) - sum(decje) je from vt_b_khbmk_vip_pay where kh_id=@kh_id and "
    "orgid=@orgid group by card_id \r\n"
    ") t2 on t1.id = t2.card_id";

Control textBox(std::string name, ControlKind kind, std::string caption, bool readOnly) {
  Control c(std::move(name), kind, std::move(caption));
  c.readOnly = readOnly;
  if (kind == ControlKind::CurrencyEdit) c.format = host::moneyFormat(host::MoneyKind::Amount);
  return c;
}

host::GridColumn column(std::string field, std::string caption, bool readOnly = true) {
  host::GridColumn c;
  c.field = std::move(field);
  c.caption = std::move(caption);
  c.readOnly = readOnly;
  return c;
}

host::GridColumn moneyColumn(std::string field, std::string caption, bool readOnly) {
  host::GridColumn c = column(std::move(field), std::move(caption), readOnly);
  c.editor = "money";
  c.footer = "sum";
  c.format = host::moneyFormat(host::MoneyKind::Amount);  // as the window's amount boxes read
  return c;
}

}  // namespace

Tjiesuanform::Tjiesuanform(host::FormModel* owner, const std::string& billno)
    : TBaseRibbonForm(owner, host::plugsPool().plugbyName("1100_07"), "Tjiesuanform", "订单结算"),
      billno(billno),
      SQLStore(kHistorySql) {}

void Tjiesuanform::FormCreate() {
  for (auto* ds : {&cdsMain, &cdsResult, &cdsjiesuan, &cdsjsfs, &cdszh, &cdskhvip})
    registerDataSet(ds->name(), *ds);
  using DS = dataset::ClientDataSet;
  // A line is made from the entry boxes, which give it its method; a row typed into
  // the grid would have none.
  cdsjiesuan.beforeInsert = [this](DS&) {
    if (!addingLine) throw core::Abort();
  };
  cdsjiesuan.afterInsert = [this](DS& ds) { cdsjiesuanAfterInsert(ds); };
  cdsjiesuan.beforePost = [this](DS& ds) { cdsjiesuanBeforePost(ds); };
  cdsjiesuan.afterPost = [this](DS& ds) { cdsjiesuanAfterPost(ds); };
  cdsjiesuan.afterDelete = [this](DS& ds) { cdsjiesuanAfterPost(ds); };
  dsjiesuan.setDataSet(&cdsjiesuan);
  dsjiesuan.onDataChange = [this](dataset::DataSource& s, const dataset::Field* f) {
    dsjiesuanDataChange(s, f);
  };
  createHeaderControls();
  createPageControls();
  createGrids();
  createActions();
  TBaseRibbonForm::FormCreate();  // the close action, settings, init_
  action("actclose").caption = "取消";
}

void Tjiesuanform::createHeaderControls() {
  addControl(textBox("edtwldw", ControlKind::Edit, "往来单位：", true));
  addControl(textBox("edtwldwmc", ControlKind::Edit, "", true));
  addControl(textBox("edtbillno", ControlKind::Edit, "单号：", true));
  addControl(textBox("edtlxr", ControlKind::Edit, "联系人：", true));
  addControl(textBox("edttel", ControlKind::Edit, "电话：", true));
  addControl(textBox("edtaddr", ControlKind::Edit, "地址：", true));
  const std::pair<const char*, const char*> amounts[] = {
      {"edthjje", "合计金额："}, {"edtjmje", "减免："}, {"edtysje", "应收："},
      {"edtyjje", "已结："},     {"edtwjje", "未结："}, {"edtbcjs", "本次结算："}};
  for (const auto& [name, caption] : amounts)
    addControl(textBox(name, ControlKind::CurrencyEdit, caption, true));
}

void Tjiesuanform::createPageControls() {
  Control& pages = addControl(Control("cxPageControl1", ControlKind::ComboBox));
  pages.onChange = [this, &pages] {
    const auto& shown = pages.items;
    if (std::find(shown.begin(), shown.end(), pages.text) == shown.end()) pages.text = page_;
    page_ = pages.text;
    showPageFields();
  };
  addControl(textBox("edtxj_je", ControlKind::CurrencyEdit, "收款金额：", false));
  Control& zh = addControl(textBox("cbbxj_zh", ControlKind::LookupCombo, "结算账户：", false));
  zh.onChange = [this, &zh] {
    // Keeps the picked account's id with the combo; a text that names no account has none.
    zh.tag = 0;
    for (std::size_t i = 0; i < zh.items.size(); ++i)
      if (zh.items[i] == zh.text) zh.tag = zh.itemIds[i];
  };
  addControl(textBox("edtxj_sn", ControlKind::Edit, "结算号：", false));
  addControl(textBox("edtxj_remark", ControlKind::Edit, "备注：", false));
  addControl(textBox("edtjm_je", ControlKind::CurrencyEdit, "减免金额：", false));
  addControl(textBox("edtjm_remark", ControlKind::Edit, "备注：", false));
  addControl(textBox("edthyk_je", ControlKind::CurrencyEdit, "本次消费：", false));
  addControl(textBox("edthyk_ye", ControlKind::CurrencyEdit, "当前余额：", true));
  addControl(textBox("edthyk_pwd", ControlKind::Edit, "消费密码：", false)).format = "*";
  addControl(textBox("edthyk_remark", ControlKind::Edit, "备注：", false));
}

void Tjiesuanform::createGrids() {
  Control lines("cxgjiesuan", ControlKind::Grid, "本次结算");
  lines.dataSet = "cdsjiesuan";
  host::GridColumn account = column("zh_name", "收款账户", false);
  account.editor = "lookupcombobox";
  lines.columns = {column("jsfs_name", "结算方式"), account, moneyColumn("je", "结算金额", false),
                   column("sn", "结算号", false), column("remark", "备注", false)};
  lines.insertRows = false;
  addControl(std::move(lines));
  Control history("cxgResult", ControlKind::Grid, "历史结算");
  history.dataSet = "cdsResult";
  history.readOnly = true;
  history.columns = {column("jsfs_name", "结算方式"),
                     column("jssj", "结算时间"),
                     column("czy_name", "经办人"),
                     column("zh_name", "收款账户"),
                     moneyColumn("je", "结算金额", true),
                     column("sn", "结算号"),
                     column("remark", "备注")};
  addControl(std::move(history));
}

void Tjiesuanform::createActions() {
  addAction("actadd", "确定").onExecute = [this](host::Action& a) { actaddExecute(a); };
  host::Action& del = addAction("actdel", "删除");
  del.onExecute = [this](host::Action& a) { actdelExecute(a); };
  del.onUpdate = [this](host::Action& a) {
    a.enabled = cdsjiesuan.active() && !cdsjiesuan.isEmpty();
  };
  for (const auto& [name, caption, tag] :
       {std::tuple{"actok", "确认后返回", 0}, std::tuple{"actok_print", "确认后打印", 1}}) {
    host::Action& ok = addAction(name, caption);
    ok.tag = tag;
    ok.onExecute = [this](host::Action& a) { actokExecute(a); };
    ok.onUpdate = [this](host::Action& a) {
      const bool editing = cdsjiesuan.state() == dataset::DataSetState::Edit ||
                           cdsjiesuan.state() == dataset::DataSetState::Insert;
      const bool hasOrder = cdsMain.active() && !cdsMain.isEmpty();  // else nothing to settle
      a.enabled = hasOrder && (cdsjiesuan.changeCount() > 0 || editing ||
                               unsettled() == core::Currency());
    };
  }
  addAction("actprint", "打印").onExecute = [this](host::Action& a) { actprintExecute(a); };
}

void Tjiesuanform::init_() {
  Control& pages = control("cxPageControl1");
  pages.items = {kPageCash, kPageReduction};
  pages.text = page_ = kPageCash;
  const std::string quotedNo = core::replaceAll(billno, "'", "''");
  host::openDataToCDS(cdsMain, host::sqlTemplate("select * from vt_v_xmzzk where billno='" +
                                                 quotedNo + "' and orgid=:orgid"));
  if (!cdsMain.isEmpty() && cdsMain.fieldByName("ispay").asInteger() == 2) hideSettlementGroup();
  showOrder();
  host::openDataToCDS(cdszh,
                      host::sqlTemplate("select id, code, name from vt_b_zhbmk where "
                                        "orgid=:orgid and isDel = 0 order by isort desc, code"));
  host::openDataToCDS(cdsjsfs,
                      host::sqlTemplate("select id, code, name from vt_b_jsfs where "
                                        "orgid=:orgid and isDel=0 order by isort desc, code"));
  Control& zh = control("cbbxj_zh");
  for (cdszh.first(); !cdszh.eof(); cdszh.next()) {
    zh.items.push_back(cdszh.fieldByName("name").asString());
    zh.itemIds.push_back(cdszh.fieldByName("id").asInteger());
  }
  for (host::GridColumn& c : control("cxgjiesuan").columns)
    if (c.field == "zh_name") c.items = zh.items;
  if (!zh.items.empty()) {  // the store's first account (by its sort order) is preset
    zh.text = zh.items.front();
    zh.tag = zh.itemIds.front();
  }
  openCards();
  jiesuanlist();
}

void Tjiesuanform::showOrder() {
  auto text = [this](const char* field) {
    return cdsMain.isEmpty() ? std::string() : cdsMain.fieldByName(field).asString();
  };
  auto money = [this](const char* field) {
    return cdsMain.isEmpty() ? core::Currency() : cdsMain.fieldByName(field).asCurrency();
  };
  control("edtwldw").text = text("kh_code");
  control("edtwldwmc").text = text("kh_name");
  control("edtbillno").text = text("billno");
  control("edtlxr").text = text("lxr");
  control("edttel").text = text("tel");
  control("edtaddr").text = text("addr");
  control("edthjje").text = money("hjje").toString();
  control("edtjmje").text = money("jmje").toString();
  control("edtysje").text = (money("hjje") - money("jmje")).toString();
  control("edtyjje").text = money("hjsk").toString();
  control("edtwjje").text = unsettled().toString();
  control("edtbcjs").text = core::Currency().toString();
  for (const char* name : {"edtxj_je", "edtjm_je", "edthyk_je"})
    control(name).text = unsettled().toString();
}

void Tjiesuanform::openCards() {
  const std::int64_t khId = cdsMain.isEmpty() ? 0 : cdsMain.fieldByName("kh_id").asInteger();
  std::string sql = core::replaceAll(kCardSql, "%d", std::to_string(khId));
  host::openDataToCDS(cdskhvip, host::sqlTemplate(sql));
  const bool hasCard = !cdskhvip.isEmpty();
  if (hasCard) control("cxPageControl1").items.push_back(kPageCard);
  showPageFields();
  control("edthyk_ye").text =
      (hasCard ? cdskhvip.fieldByName("je").asCurrency() : core::Currency()).toString();
}

// Only the chosen kind's entry fields are shown (the card's only for a card holder).
void Tjiesuanform::showPageFields() {
  const bool open = control("cxPageControl1").visible;
  const bool hasCard = cdskhvip.active() && !cdskhvip.isEmpty();
  const std::pair<const char*, std::vector<const char*>> pages[] = {
      {kPageCash, {"edtxj_je", "cbbxj_zh", "edtxj_sn", "edtxj_remark"}},
      {kPageReduction, {"edtjm_je", "edtjm_remark"}},
      {kPageCard, {"edthyk_je", "edthyk_ye", "edthyk_pwd", "edthyk_remark"}}};
  for (const auto& [page, fields] : pages)
    for (const char* name : fields)
      control(name).visible =
          open && page_ == page && (std::string_view(page) != kPageCard || hasCard);
}

void Tjiesuanform::hideSettlementGroup() {
  for (const char* name : {"cxPageControl1", "edtxj_je", "cbbxj_zh", "edtxj_sn", "edtxj_remark",
                           "edtjm_je", "edtjm_remark", "edthyk_je", "edthyk_ye", "edthyk_pwd",
                           "edthyk_remark", "cxgjiesuan", "edtbcjs"})
    control(name).visible = false;
  for (const char* name : {"actadd", "actdel", "actok", "actok_print"}) {
    host::Action& a = action(name);
    a.visible = false;
    a.onUpdate = [](host::Action& hidden) { hidden.enabled = false; };
  }
}

void Tjiesuanform::jiesuanlist() {
  host::openDataToCDS(cdsResult, host::sqlTemplate(core::join(SQLStore, "\r\n")),
                      {{"billno", billno}});
  cdsjiesuan.copyStructure(cdsResult);
}

core::Currency Tjiesuanform::unsettled() const {
  if (!cdsMain.active() || cdsMain.isEmpty()) return {};
  auto money = [this](const char* field) { return cdsMain.fieldByName(field).asCurrency(); };
  return (money("hjje") - money("jmje")) - money("hjsk");
}

core::Currency Tjiesuanform::thisSettlement() const {
  if (!cdsjiesuan.active() || cdsjiesuan.isEmpty()) return {};
  return cdsjiesuan.sum("je").asCurrency();
}

std::string Tjiesuanform::activePage() const { return page_; }

// ---- registration ----------------------------------------------------------------------

void registerJiesuanForm() {
  registerOrderPrintTemplates();
  host::TFormClass formClass{"Tjiesuanform",
                             [](host::Owner owner) -> std::unique_ptr<host::FormModel> {
                               return std::make_unique<Tjiesuanform>(owner, "");
                             }};
  host::PlugCreator creator = [](host::Owner owner, host::TPlugItem&, const std::string& number,
                                 const std::string&, const std::vector<std::string>&) {
    // From the ribbon no order is given: the clerk picks one first.
    const std::string billno = number.empty() ? selectOrderBillno(owner, true) : number;
    if (billno.empty()) return;
    Tjiesuanform form(owner, billno);
    form.ShowModal();
  };
  host::registerPackageItem("{641CE352-FB6B-4F3A-9986-A188F405525A}", "订单结算", "1100_07",
                            std::move(formClass), std::move(creator), {});
}

host::UnitInitialization& jiesuanFormUnit() {
  static host::UnitInitialization unit(&registerJiesuanForm);
  return unit;
}

}  // namespace plugs::coreapp::xmzzk
