// A print template document, as a shop keeps one per plug code in the print template
// folder:
//   {"title":"项目订单","header":{"dataset":"表头数据","fields":[["单据编号","billno"]]},
//    "lines":{"dataset":"明细数据","columns":[["数量","sl",true,"qty"]]},
//    "sections":[{"dataset":"产品信息","caption":"产品","columns":[["名称","cpname"]]}],
//    "totals":[["未结","hjje-jmje-hjsk","money"]],"signatures":["客户签字："]}
// After caption and field a column may carry true (total it) and a format name.
#include <nlohmann/json.hpp>
#include <stdexcept>

#include "host/print/print_template.h"

namespace host {

namespace {

PrintFormat formatNamed(const std::string& name, const std::string& source) {
  static const std::pair<const char*, PrintFormat> names[] = {
      {"text", PrintFormat::Text},         {"money", PrintFormat::Money},
      {"price", PrintFormat::Price},       {"qty", PrintFormat::Quantity},
      {"percent", PrintFormat::Percent},   {"date", PrintFormat::Date},
      {"datetime", PrintFormat::DateTime},
  };
  for (const auto& [n, f] : names)
    if (name == n) return f;
  throw std::runtime_error(source + ": unknown format \"" + name +
                           "\" (text, money, price, qty, percent, date, datetime)");
}

std::vector<PrintColumn> columnsOf(const nlohmann::json& list, const std::string& source) {
  std::vector<PrintColumn> out;
  if (!list.is_array()) throw std::runtime_error(source + ": a column list must be an array");
  for (const auto& c : list) {
    if (!c.is_array() || c.size() < 2 || !c[0].is_string() || !c[1].is_string())
      throw std::runtime_error(source + ": each column is [caption, field, true?, format?]");
    PrintColumn column{c[0].get<std::string>(), c[1].get<std::string>()};
    for (size_t i = 2; i < c.size(); ++i) {
      if (c[i].is_boolean()) column.total = c[i].get<bool>();
      if (c[i].is_string()) column.format = formatNamed(c[i].get<std::string>(), source);
    }
    out.push_back(std::move(column));
  }
  return out;
}

void readHeader(const nlohmann::json& doc, PrintTemplate& t, const std::string& source) {
  auto part = doc.find("header");
  if (part == doc.end()) return;
  if (part->contains("dataset")) t.headerDataset = (*part)["dataset"].get<std::string>();
  if (part->contains("fields")) t.header = columnsOf((*part)["fields"], source);
}

PrintSection sectionOf(const nlohmann::json& part, std::string dataset,
                       const std::string& source) {
  PrintSection s{part.value("dataset", std::move(dataset)), part.value("caption", ""), {}};
  if (part.contains("columns")) s.columns = columnsOf(part["columns"], source);
  return s;
}

void readSections(const nlohmann::json& doc, PrintTemplate& t, const std::string& source) {
  if (doc.contains("lines")) t.sections.push_back(sectionOf(doc["lines"], "明细数据", source));
  if (!doc.contains("sections")) return;
  for (const auto& part : doc["sections"]) t.sections.push_back(sectionOf(part, "", source));
}

}  // namespace

PrintTemplate PrintTemplate::parse(std::string_view json, const std::string& source) {
  PrintTemplate t;
  try {
    auto doc = nlohmann::json::parse(json);
    t.title = doc.value("title", "");
    readHeader(doc, t, source);
    readSections(doc, t, source);
    if (doc.contains("totals")) t.totals = columnsOf(doc["totals"], source);
    if (doc.contains("signatures")) t.signatures = doc["signatures"].get<std::vector<std::string>>();
  } catch (const nlohmann::json::exception& e) {
    throw std::runtime_error("打印模板 " + source + " 有误：" + e.what());
  }
  return t;
}

}  // namespace host
