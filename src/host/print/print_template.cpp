// Print templates: the default one and the per-code files that override it.
#include "host/print/print_template.h"

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <stdexcept>

namespace host {

namespace {

std::vector<PrintColumn> columnsOf(const nlohmann::json& list, const std::string& file) {
  std::vector<PrintColumn> out;
  if (!list.is_array()) throw std::runtime_error(file + ": a column list must be an array");
  for (const auto& c : list) {
    if (!c.is_array() || c.size() < 2 || !c[0].is_string() || !c[1].is_string())
      throw std::runtime_error(file +
                               ": each column is [caption, field] or [caption, field, true]");
    out.push_back({c[0].get<std::string>(), c[1].get<std::string>(),
                   c.size() > 2 && c[2].is_boolean() && c[2].get<bool>()});
  }
  return out;
}

void readPart(const nlohmann::json& doc, const char* key, const char* listKey, std::string& dataset,
              std::vector<PrintColumn>& columns, const std::string& file) {
  auto part = doc.find(key);
  if (part == doc.end()) return;
  if (part->contains("dataset")) dataset = (*part)["dataset"].get<std::string>();
  if (part->contains(listKey)) columns = columnsOf((*part)[listKey], file);
}

}  // namespace

PrintTemplate PrintTemplate::load(std::string_view folder, std::string_view code) {
  PrintTemplate t;
  if (folder.empty()) return t;
  std::filesystem::path file = std::filesystem::path(folder) / (std::string(code) + ".json");
  std::ifstream in(file);
  if (!in) return t;  // no template of its own: the default serves
  std::stringstream text;
  text << in.rdbuf();
  try {
    auto doc = nlohmann::json::parse(text.str());
    if (doc.contains("title")) t.title = doc["title"].get<std::string>();
    readPart(doc, "header", "fields", t.headerDataset, t.header, file.string());
    readPart(doc, "lines", "columns", t.linesDataset, t.lines, file.string());
  } catch (const nlohmann::json::exception& e) {
    throw std::runtime_error("打印模板 " + file.string() + " 有误：" + e.what());
  }
  return t;
}

const std::vector<PrintColumn>& PrintTemplate::knownHeader() {
  static const std::vector<PrintColumn> columns = {
      {"单据编号", "billno"}, {"单据日期", "billdate"}, {"客户", "kh_name"},
      {"供应商", "gys_name"}, {"门店", "ck_name"},      {"联系人", "lxr"},
      {"电话", "tel"},        {"地址", "addr"},         {"交货日期", "jhrq"},
      {"业务员", "ywy_name"}, {"合计金额", "hjje"},     {"减免", "jmje"},
      {"其它费用", "qtfy"},   {"制作要求", "zzyq"},     {"摘要", "zy"},
      {"备注", "remark"},     {"制单人", "kdr_name"},
  };
  return columns;
}

const std::vector<PrintColumn>& PrintTemplate::knownLines() {
  static const std::vector<PrintColumn> columns = {
      {"编码", "xm_code"},
      {"名称", "xm_name"},
      {"编码", "sp_code"},
      {"名称", "sp_name"},
      {"规格", "xm_itemno"},
      {"规格", "itemno"},
      {"工程项目", "gcxmmc"},
      {"单位", "xm_baseunit"},
      {"单位", "baseunit"},
      {"长", "x"},
      {"宽", "y"},
      {"套数", "n"},
      {"数量", "sl", true},
      {"单价", "dj"},
      {"折扣", "zk"},
      {"金额", "je", true},
      {"核销金额", "hxje", true},
      {"备注", "beizhu"},
      {"备注", "remark"},
  };
  return columns;
}

}  // namespace host
