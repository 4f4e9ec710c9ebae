// MasterDataImport: the rows are checked first, then written by one batch that checks
// the codes again inside its transaction; every value is a bound parameter.
#include "plugs/coreapp/jczl/master_data_import.h"

#include <charconv>
#include <map>
#include <set>
#include <stdexcept>

#include "core/strings.h"
#include "host/forms/base_form.h"
#include "host/services/whole_batch.h"
#include "plugs/coreapp/jczl/master_data_checks.h"
#include "plugs/coreapp/jczl/master_data_sql.h"

namespace plugs::coreapp::jczl {

namespace {

constexpr int kCode = 0, kName = 1, kFirstField = 2;
// How many rows are checked between two questions whether to go on.
constexpr std::size_t kRowsPerProgress = 250;

const std::map<std::string, std::vector<std::string>>& synonymTable() {
  static const std::map<std::string, std::vector<std::string>> table = {
      {"编号",
       {"代码", "编码", "客户编号", "供应商编号", "商品编号", "项目编号", "员工编号", "工号"}},
      {"名称", {"姓名", "客户名称", "供应商名称", "商品名称", "项目名称", "员工姓名", "简称"}},
      {"电话", {"手机", "手机号", "联系电话", "电话号码"}},
      {"地址", {"联系地址", "详细地址"}},
      {"联系人", {"联系人姓名"}},
      {"单位", {"计量单位"}},
      {"进价", {"进货价", "采购价"}},
      {"售价", {"销售价", "零售价", "单价"}},
      {"成本价", {"成本"}},
      {"规格", {"规格型号"}},
      {"货号", {"型号", "条码"}},
      {"全称", {"公司全称", "公司名称"}},
      {"门店", {"分店", "所属门店"}},
      {"备注", {"说明"}}};
  return table;
}

// A header cell as a shop writes it: spaces around, a "*" marking a required column.
std::string headerText(const std::string& cell) {
  std::string text = core::trim(cell);
  while (text.ends_with("*")) text.pop_back();
  return core::trim(text);
}

bool namesColumn(const std::string& header, const std::string& caption) {
  if (header == caption) return true;
  for (const std::string& s : MasterDataImport::synonyms(caption))
    if (header == s) return true;
  return false;
}

// Codes compare as the database compares them: case-blind, trailing blanks ignored.
std::string codeKey(const std::string& code) {
  std::string key = core::upperCase(code);
  while (key.ends_with(' ')) key.pop_back();
  return key;
}

// A price or a factor: plain decimal text, thousands separators allowed.
std::optional<double> numberOf(const std::string& text) {
  const std::string plain = core::replaceAll(text, ",", "");
  double v = 0;
  const auto [end, ec] = std::from_chars(plain.data(), plain.data() + plain.size(), v);
  if (ec != std::errc() || end != plain.data() + plain.size()) return std::nullopt;
  return v;
}

}  // namespace

MasterDataImport::MasterDataImport(db::Connection& db, std::string orgid,
                                   const MasterDataPageSpec& spec)
    : db_(db), orgid_(std::move(orgid)), spec_(spec), lookups_(spec.fields.size()) {}

const MasterDataPageSpec* MasterDataImport::specOfKind(const std::string& kind) {
  static const std::map<std::string, std::string> pages = {{"employees", "1202"},
                                                           {"customers", "1203"},
                                                           {"items", "1204"},
                                                           {"goods", "1205"},
                                                           {"suppliers", "1208"}};
  const auto it = pages.find(kind);
  return it == pages.end() ? nullptr : masterDataSpec(it->second);
}

bool MasterDataImport::imports(const MasterDataPageSpec& spec) {
  for (const char* kind : {"customers", "suppliers", "goods", "items", "employees"})
    if (specOfKind(kind) == &spec) return true;
  return false;
}

std::vector<std::string> MasterDataImport::synonyms(const std::string& caption) {
  const auto it = synonymTable().find(caption);
  return it == synonymTable().end() ? std::vector<std::string>{} : it->second;
}

db::ResultSet MasterDataImport::select(const std::string& sql) {
  const db::BatchResult r = db_.execBatch(sql, {{"orgid", core::Value(orgid_)}});
  if (!r.ok()) throw std::runtime_error(r.errorMessage());
  return r.resultSets.empty() ? db::ResultSet{} : r.resultSets.back();
}

// One batch writes every row (one transaction, all or nothing); it checks the codes
// again inside, so a code taken since the rows were checked still refuses them all.
ImportOutcome MasterDataImport::check(const host::SheetRows& rows, bool write) {
  std::vector<db::Params> rowParams;
  ImportOutcome out = inspect(rows, rowParams);
  if (!write || out.cancelled || !out.problems.empty()) return out;
  db::Params params = {{"orgid", core::Value(orgid_)}};
  params.reserve(rowParams.size() * (spec_.fields.size() + 2) + 1);
  for (std::size_t n = 0; n < rowParams.size(); ++n)
    for (std::size_t k = 1; k < rowParams[n].size(); ++k)
      params.emplace_back(rowParams[n][k].first + "_" + std::to_string(n),
                          std::move(rowParams[n][k].second));
  const db::BatchResult r = db_.execBatch(
      host::wholeOrNothing(MasterDataSql::importBatch(spec_, rowParams.size())), params);
  if (r.errorMessage() == MasterDataSql::kCodeTaken) {
    out.problems.push_back({1, "导入期间编号已被占用，请重新导入"});
    return out;
  }
  if (!r.ok()) throw std::runtime_error(r.errorMessage());
  out.written = true;
  return out;
}

// Which sheet column holds code, name and each field (-1: none).
std::vector<int> MasterDataImport::mapHeader(const std::vector<std::string>& header,
                                             std::vector<ImportProblem>& problems) const {
  const std::vector<std::string> captions = MasterDataImport::header(spec_);
  std::vector<int> columns(captions.size(), -1);
  for (std::size_t c = 0; c < header.size(); ++c) {
    const std::string text = headerText(header[c]);
    for (std::size_t k = 0; k < captions.size(); ++k) {
      if (!namesColumn(text, captions[k])) continue;
      if (columns[k] >= 0) problems.push_back({1, "列“" + captions[k] + "”重复"});
      columns[k] = static_cast<int>(c);
    }
  }
  for (int k : {kCode, kName})
    if (columns[k] < 0) problems.push_back({1, "缺少列：" + captions[k]});
  return columns;
}

ImportOutcome MasterDataImport::inspect(const host::SheetRows& rows,
                                        std::vector<db::Params>& params) {
  ImportOutcome out;
  if (rows.empty()) {
    out.problems.push_back({1, "表格是空的"});
    return out;
  }
  const std::vector<int> columns = mapHeader(rows.front(), out.problems);
  if (!out.problems.empty()) return out;
  std::set<std::string> taken;
  for (const auto& r : select("select code from " + spec_.table + " where orgid = :orgid").rows)
    taken.insert(codeKey(r[0].asText()));
  for (std::size_t i = 0; i < spec_.fields.size(); ++i) {
    if (spec_.fields[i].kind != FieldKind::Lookup) continue;
    const std::string sql = std::string("select id, code, name from ") +
                            host::hostListTable(spec_.fields[i].list) +
                            " where orgid = :orgid and isnull(isdel, 0) = 0";
    for (const auto& r : select(sql).rows) {
      lookups_[i].emplace(r[2].asText(), r[0].asInteger());
      lookups_[i].emplace(r[1].asText(), r[0].asInteger());
    }
  }
  std::map<std::string, int> seen;  // code -> its first row
  for (std::size_t i = 1; i < rows.size(); ++i) {
    if ((i - 1) % kRowsPerProgress == 0 && keepGoing && !keepGoing()) {
      out.cancelled = true;
      return out;
    }
    const int rowNumber = static_cast<int>(i) + 1;
    params.push_back(rowParams(rows[i], columns, rowNumber, out.problems));
    const std::string code = params.back()[1].second.asText();
    if (code.empty()) continue;
    if (const auto [it, fresh] = seen.emplace(codeKey(code), rowNumber); !fresh)
      out.problems.push_back(
          {rowNumber, "编号“" + code + "”与第" + std::to_string(it->second) + "行重复"});
    else if (taken.contains(codeKey(code)))
      out.problems.push_back({rowNumber, "编号“" + code + "”已存在"});
  }
  out.rows = static_cast<int>(params.size());
  return out;
}

// The row's parameters in insert order (orgid, code, name, fields); its problems appended.
db::Params MasterDataImport::rowParams(const std::vector<std::string>& cells,
                                       const std::vector<int>& columns, int rowNumber,
                                       std::vector<ImportProblem>& problems) {
  auto cell = [&](std::size_t k) {
    const int c = columns[k];
    return c >= 0 && static_cast<std::size_t>(c) < cells.size() ? core::trim(cells[c])
                                                                : std::string();
  };
  auto note = [&](const std::string& problem) {
    if (!problem.empty()) problems.push_back({rowNumber, problem});
  };
  db::Params params = {{"orgid", core::Value(orgid_)},
                       {"code", core::Value(cell(kCode))},
                       {"name", core::Value(cell(kName))}};
  note(textProblem("编号", cell(kCode), spec_.codeLength, true));
  note(textProblem("名称", cell(kName), spec_.nameLength, true));
  std::string priceType;
  std::int64_t vipId = 0;
  for (std::size_t i = 0; i < spec_.fields.size(); ++i) {
    const MasterField& f = spec_.fields[i];
    const std::string text = cell(kFirstField + i);
    core::Value value(text);
    if (f.kind == FieldKind::Text) note(textProblem(f.caption, text, f.maxLength, f.required));
    if (f.kind == FieldKind::Money || f.kind == FieldKind::Number) {
      const std::optional<double> n = text.empty() ? 0.0 : numberOf(text);
      if (!n)
        note(f.caption + "“" + text + "”不是数字");
      else if (*n < 0)
        note(f.caption + "不能小于0");
      value = f.kind == FieldKind::Money
                  ? core::Value(core::Currency::parse(core::replaceAll(text, ",", ""))
                                    .value_or(core::Currency()))
                  : core::Value(n.value_or(0));
    }
    if (f.kind == FieldKind::Choice) {
      value = core::Value(text.empty() ? f.items.front() : text);
      if (!text.empty()) note(choiceProblem(f, text));
      if (f.field == "xyjlx") priceType = value.asText();
    }
    if (f.kind == FieldKind::Lookup) {
      const auto it = lookups_[i].find(text);
      const std::int64_t id = it == lookups_[i].end() ? 0 : it->second;
      if (!text.empty() && id == 0)
        note(f.caption + "“" + text + "”不存在");
      else if (f.required && id == 0)
        note("请选择" + f.caption);
      if (f.field == "vip_id") vipId = id;
      value = core::Value(id);
    }
    params.emplace_back(f.field, std::move(value));
  }
  note(memberLevelProblem(priceType, vipId));
  return params;
}

}  // namespace plugs::coreapp::jczl
