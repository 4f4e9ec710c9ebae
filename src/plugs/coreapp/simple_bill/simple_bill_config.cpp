// Builds a simple bill's configuration document. The header query is the master table
// joined with the names its lookup combos and counterparty show; those names are left
// out of the generated SQL (ignorefields). The line query joins the display columns
// and keeps the lines in the order they were entered.
#include "plugs/coreapp/simple_bill/simple_bill_config.h"

#include <nlohmann/json.hpp>

#include "core/strings.h"

namespace plugs::coreapp {

namespace {

// "ck.name ck_name" -> "ck_name"; "sp.itemno" -> "itemno".
std::string selectedName(const std::string& part) {
  std::string item = core::trim(part);
  std::size_t cut = item.find_last_of(' ');
  if (cut == std::string::npos) cut = item.find_last_of('.');
  return cut == std::string::npos ? item : item.substr(cut + 1);
}

std::string openQuery(const std::string& table, const std::vector<DisplayJoin>& joins,
                      const char* tail) {
  std::string select = "select t1.*";
  std::string from = " from " + table + " t1";
  for (const DisplayJoin& j : joins) {
    select += std::string(", ") + j.select;
    from += std::string(" ") + j.join;
  }
  return select + from + " where t1.orgid = :orgid and t1.billno = :billno" + tail;
}

nlohmann::json columnsOf(const SimpleBillSpec& spec) {
  nlohmann::json columns = nlohmann::json::array();
  for (const LineColumn& c : spec.columns) {
    nlohmann::json col = {{"fieldname", c.field}, {"label", c.caption}, {"width", std::to_string(c.width)}};
    if (!c.editable) col["editing"] = "false";
    if (*c.type != '\0') col["type"] = c.type;
    if (c.footerSum) col["footer"] = "true";
    columns.push_back(std::move(col));
  }
  return columns;
}

}  // namespace

std::string simpleBillConfig(const SimpleBillSpec& spec) {
  nlohmann::json ignore = nlohmann::json::array();
  for (const DisplayJoin& j : spec.masterJoins)
    for (const std::string& part : core::split(j.select, ",")) ignore.push_back(selectedName(part));
  const std::string table = spec.masterTable;
  nlohmann::json doc = {
      {"data",
       {{"master", {{"table", table}, {"sql", openQuery(table, spec.masterJoins, "")}, {"ignorefields", ignore}}},
        {"detail", {{"sql", openQuery(table + "_mx", spec.lineJoins, " order by t1.id")}, {"columns", columnsOf(spec)}}}}}};
  return doc.dump();
}

}  // namespace plugs::coreapp
