// The master-data pages, one description each, in the order of the 基础资料 ribbon group.
// Lengths are the columns' own; the references are the columns that hold a row's id in
// the bills and in the other master tables, so a row in use is disabled, never deleted.
#include "plugs/coreapp/jczl/master_data_spec.h"
#include "plugs/coreapp/jczl/member_card_actions.h"

namespace plugs::coreapp::jczl {

namespace {

using K = FieldKind;

MasterField make(const char* field, const char* caption, FieldKind kind, int width,
                 int length = 0) {
  MasterField f;
  f.field = field;
  f.caption = caption;
  f.kind = kind;
  f.width = width;
  f.maxLength = length;
  return f;
}
MasterField text(const char* field, const char* caption, int length, int width = 14) {
  return make(field, caption, K::Text, width, length);
}
MasterField money(const char* field, const char* caption) {
  return make(field, caption, K::Money, 10);
}
MasterField number(const char* field, const char* caption) {
  return make(field, caption, K::Number, 8);
}
MasterField choice(const char* field, const char* caption, std::vector<std::string> items) {
  MasterField f = make(field, caption, K::Choice, 8);
  f.items = std::move(items);
  return f;
}
MasterField lookup(const char* field, const char* caption, const char* list,
                   bool required = false) {
  MasterField f = make(field, caption, K::Lookup, 10);
  f.list = list;
  f.required = required;
  return f;
}
MasterField remark() {
  MasterField f = text("remark", "备注", 500, 20);
  f.inList = false;
  return f;
}

// The columns of the bills that name a row by `column`, master and lines alike.
std::vector<MasterReference> refs(const char* column, std::vector<const char*> tables) {
  std::vector<MasterReference> out;
  for (const char* t : tables) out.push_back({t, column});
  return out;
}

std::vector<MasterReference> operator+(std::vector<MasterReference> a,
                                       const std::vector<MasterReference>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

MasterDataPageSpec store() {
  return {
      "1201",
      "{05A4A44E-1DFE-4C6A-8142-B7C170B28D30}",
      "分店管理",
      "Tckbmkform",
      "vt_b_ckbmk",
      50,
      200,
      {text("addr", "地址", 200, 20), text("tel", "电话", 50), number("isort", "排序"), remark()},
      refs("ck_id", {"vt_b_ygbmk", "vt_x_xmzzk", "vt_x_xmwtk", "vt_x_cpfhk", "vt_c_spjh",
                     "vt_c_spch", "vt_c_qtrk", "vt_c_qtck", "vt_c_spkc", "vt_f_khsk", "vt_f_gysfk",
                     "vt_f_srdj", "vt_f_fydj", "vt_f_zjzz", "vt_b_khbmk_vip_pay"})};
}

MasterDataPageSpec employee() {
  MasterDataPageSpec s{
      "1202",
      "{7A48A107-D7A2-43A4-86B4-77BB3C7E8585}",
      "员工管理",
      "Tygbmkform",
      "vt_b_ygbmk",
      50,
      100,
      {lookup("ck_id", "门店", "ck", true), text("tel", "电话", 50), remark()},
      refs("kdr_id", {"vt_x_xmzzk", "vt_x_xmwtk", "vt_x_cpfhk", "vt_c_spjh", "vt_c_spch",
                      "vt_f_khsk", "vt_f_gysfk", "vt_f_srdj", "vt_f_fydj", "vt_f_zjzz"}) +
          refs("ywy_id", {"vt_b_khbmk", "vt_x_xmzzk"}) +
          refs("yg_id", {"vt_x_xmzzk_mx_zzry", "vt_sys_doworks"})};
  s.setsPassword = true;
  return s;
}

MasterDataPageSpec customer() {
  MasterField fullname = text("fullname", "全称", 200, 18);
  fullname.inList = false;
  MasterField shuihao = text("shuihao", "税号", 50);
  shuihao.inList = false;
  MasterDataPageSpec s{
      "1203",
      "{C5C9D8A1-0DBA-46F3-8B94-87AD0BF9D9AF}",
      "客户管理",
      "Tkhbmkform",
      "vt_b_khbmk",
      50,
      200,
      {fullname, choice("xyjlx", "价格类型", {"协议价", "会员等级"}),
       lookup("vip_id", "会员等级", "vipdj"), choice("khlx", "付款方式", {"现结", "签单", "预存"}),
       lookup("ywy_id", "业务员", "yg"), text("lxr", "联系人", 50, 8), text("tel", "电话", 50),
       text("addr", "地址", 200, 20), shuihao, remark()},
      refs("kh_id",
           {"vt_x_xmzzk", "vt_x_cpfhk", "vt_c_spch", "vt_c_qtck", "vt_f_khsk", "vt_f_khkpk",
            "vt_f_khdzk", "vt_f_yshx", "vt_b_khbmk_vip", "vt_b_khbmk_vip_pay", "vt_b_ckbmk"})};
  // The customer's agreement prices, used while its price type is 协议价.
  s.children = {{"Khxyj",
                 "协议价",
                 "vt_b_khxyj",
                 "kh_id",
                 {lookup("xm_id", "服务项目", "xm", true), money("dj", "单价")}}};
  return s;
}

MasterDataPageSpec serviceItem() {
  MasterField k = number("k", "面积系数");
  MasterField minje = choice("minje", "最低收费", {"0", "1"});
  MasterDataPageSpec s{"1204",
                       "{45982788-8CDB-4F9C-9051-4A8D0E4B4524}",
                       "服务项目",
                       "Txmbmkform",
                       "vt_b_xmbmk",
                       50,
                       200,
                       {text("itemno", "规格", 100, 10), text("baseunit", "单位", 20, 6),
                        money("price_sale", "售价"), money("price_in", "成本价"),
                        choice("jjfs", "按面积计价", {"否", "是"}), k, minje,
                        number("jxbl", "绩效比例"), number("scjf", "生产积分"), remark()},
                       refs("xm_id", {"vt_x_xmzzk_mx", "vt_x_xmwtk_mx", "vt_x_cpfhk_mx",
                                      "vt_b_khxyj", "vt_b_xmbmk_quick"})};
  // The price an order line takes: a quantity tier first, then the level's price.
  s.children = {{"Jtdj",
                 "数量阶梯价",
                 "vt_b_xmbmk_jtdj",
                 "xm_id",
                 {number("from_sl", "起始数量"), number("to_sl", "截止数量"), money("dj", "单价")},
                 // Both bounds count, so a later tier must start above the end of every
                 // earlier one: that refuses overlaps and tiers out of order alike.
                 "select 1 from vt_b_xmbmk_jtdj a where a.xm_id = @parent_id and (a.from_sl > "
                 "a.to_sl or exists (select 1 from vt_b_xmbmk_jtdj b where b.xm_id = @parent_id "
                 "and b.id > a.id and b.from_sl <= a.to_sl))",
                 "数量阶梯价须从小到大且不能重叠，请检查起始数量和截止数量"},
                {"Vipxyj",
                 "会员等级价",
                 "vt_b_vipxyj",
                 "xm_id",
                 {lookup("vip_id", "会员等级", "vipdj", true), money("dj", "单价")}}};
  return s;
}

MasterDataPageSpec goods() {
  return {"1205",
          "{6BC0B5F0-C8AC-4F29-9C4C-3753115DB4E2}",
          "商品管理",
          "Tspbmkform",
          "vt_b_spbmk",
          50,
          200,
          {text("itemno", "货号", 100, 10), text("baseunit", "单位", 20, 6),
           money("pricein", "进价"), money("pricesale", "售价"), remark()},
          refs("sp_id", {"vt_c_spjh_mx", "vt_c_spch_mx", "vt_c_qtrk_mx", "vt_c_qtck_mx",
                         "vt_c_spkc", "vt_c_sppd_mx", "vt_c_spsy_mx", "vt_c_sptj_mx",
                         "vt_c_spyk_mx", "vt_b_xmbmk_hc", "vt_x_xmzzk_mx_hc"})};
}

MasterDataPageSpec account() {
  return {"1206",
          "{37435319-98FA-4B7D-9035-21962F6D7510}",
          "账户管理",
          "Tzhbmkform",
          "vt_b_zhbmk",
          50,
          100,
          {number("isort", "排序"), remark()},
          refs("zh_id", {"vt_x_xmzzk_js", "vt_x_xmwtk", "vt_c_spjh", "vt_c_spch", "vt_f_khsk_mx",
                         "vt_f_gysfk_mx", "vt_f_srdj", "vt_f_fydj"}) +
              refs("ozh_id", {"vt_f_zjzz_mx"}) + refs("izh_id", {"vt_f_zjzz_mx"})};
}

MasterDataPageSpec settlementMethod() {
  return {"1207",
          "{75758C84-8C0C-4DBE-94C1-EB5E00E5364B}",
          "结算方式",
          "Tjsfsform",
          "vt_b_jsfs",
          50,
          100,
          {number("isort", "排序"), remark()},
          refs("jsfs_id", {"vt_x_xmzzk_js", "vt_f_khsk_mx", "vt_f_gysfk_mx", "vt_f_zjzz_mx"})};
}

MasterDataPageSpec supplier() {
  MasterField fullname = text("fullname", "全称", 200, 18);
  fullname.inList = false;
  return {"1208",
          "{9B784782-D43C-4B09-B7E1-E09F75F66EFF}",
          "供应商管理",
          "Tgysbmkform",
          "vt_b_gysbmk",
          50,
          200,
          {fullname, text("lxr", "联系人", 50, 8), text("tel", "电话", 50),
           text("addr", "地址", 200, 20), remark()},
          refs("gys_id", {"vt_c_spjh", "vt_c_qtrk", "vt_x_xmwtk", "vt_f_gysfk", "vt_f_yfhx"})};
}

MasterDataPageSpec category() {
  return {"1209",
          "{93D76CAD-7197-441A-BFCD-2089AC0FC27E}",
          "类别管理",
          "Tcategoryform",
          "vt_b_category",
          50,
          100,
          {choice("kind", "用于", {"xm", "sp"}), number("isort", "排序")},
          refs("p1", {"vt_b_xmbmk", "vt_b_spbmk"}) + refs("p2", {"vt_b_xmbmk", "vt_b_spbmk"})};
}

// A card is issued to a customer, who then pays with it: saving points the customer's
// card at it (and takes it from a customer it was issued to before). The card number is
// the code, unique in the branch; the password is set by its own action, never shown.
MasterDataPageSpec memberCard() {
  MasterDataPageSpec s{
      "1213",
      "{3E0F6C55-2B7A-4D0B-9C1E-6A8B51D2F4C7}",
      "会员卡管理",
      "Tkhbmkvipform",
      "vt_b_khbmk_vip",
      50,
      100,
      {lookup("kh_id", "客户", "kh", true), lookup("vip_id", "会员等级", "vipdj"), remark()},
      refs("card_id", {"vt_b_khbmk_vip_pay"})};
  s.saveTail =
      "declare @card_id int\n"
      "select @card_id = id from vt_b_khbmk_vip where orgid = :orgid and code = :code\n"
      "update vt_b_khbmk set card_id = 0 where orgid = :orgid and card_id = @card_id and id <> "
      ":kh_id\n"
      "update vt_b_khbmk set card_id = @card_id where orgid = :orgid and id = :kh_id\n";
  s.moreRights = {{"_04", "充值退款"}};
  s.addPageActions = &MemberCardActions::addTo;
  return s;
}

// A member level prices the service items for the customers (and cards) of that level;
// its prices are the same rows the service item page shows from the item's side.
MasterDataPageSpec memberLevel() {
  MasterDataPageSpec s{"1214",
                       "{DB5A4F35-630B-428E-9DD0-B501B4617A07}",
                       "会员等级",
                       "Tvipdjform",
                       "vt_b_vipdj",
                       50,
                       100,
                       {number("isort", "排序")},
                       refs("vip_id", {"vt_b_khbmk", "vt_b_khbmk_vip"})};
  s.children = {{"Vipxyj",
                 "会员等级价",
                 "vt_b_vipxyj",
                 "vip_id",
                 {lookup("xm_id", "服务项目", "xm", true), money("dj", "单价")}}};
  return s;
}

// The shop's own companies that issue invoices; an invoice keeps the company's id.
MasterDataPageSpec invoiceCompany() {
  MasterField bank = text("bank", "开户行及账号", 200, 20);
  bank.inList = false;
  return {"1215",
          "{82A6E1B8-22AB-48E0-8BA0-6361F3924ED8}",
          "开票单位",
          "Tcompform",
          "vt_b_comp",
          50,
          200,
          {text("shuihao", "税号", 50), text("addr", "地址", 200, 20), text("tel", "电话", 50),
           bank, number("isort", "排序")},
          refs("comp_id", {"vt_f_khkpk"})};
}

// The small lists: code, name and where the bills name them.
MasterDataPageSpec smallList(const char* code, const char* guid, const char* caption,
                             const char* className, const char* table,
                             std::vector<MasterReference> referencedBy) {
  return {code,
          guid,
          caption,
          className,
          table,
          50,
          100,
          {number("isort", "排序")},
          std::move(referencedBy)};
}

}  // namespace

const std::vector<MasterDataPageSpec>& masterDataSpecs() {
  static const std::vector<MasterDataPageSpec> specs = {
      store(),
      employee(),
      customer(),
      serviceItem(),
      goods(),
      account(),
      settlementMethod(),
      supplier(),
      category(),
      smallList("1210", "{78453116-ADEA-4FCB-9B24-07E2735B4377}", "送货方式", "Tshfsform",
                "vt_b_shfs", refs("shfs_id", {"vt_x_xmzzk", "vt_x_xmwtk", "vt_x_cpfhk"})),
      smallList("1211", "{649EA2C8-421C-4399-9DFF-9AC7D007A4ED}", "收入类别", "Tsrlbform",
                "vt_b_srlb", refs("sr_id", {"vt_f_srdj_mx"})),
      smallList("1212", "{CFCC23C2-A89A-4475-B027-97CBBB43E1BE}", "费用类别", "Tfylbform",
                "vt_b_fylb", refs("fy_id", {"vt_f_fydj_mx"})),
      memberCard(),
      memberLevel(),
      invoiceCompany(),
  };
  return specs;
}

const MasterDataPageSpec* masterDataSpec(const std::string& code) {
  for (const MasterDataPageSpec& s : masterDataSpecs())
    if (s.code == code) return &s;
  return nullptr;
}

}  // namespace plugs::coreapp::jczl
