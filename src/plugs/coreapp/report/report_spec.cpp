// ReportSpec: the call text names every parameter, so a report's procedure may take its
// own parameters in any order; all values are bound, never written into the text.
#include "plugs/coreapp/report/report_spec.h"

#include "host/forms/money_format.h"
#include "plugs/coreapp/report/report_columns.h"

namespace plugs::coreapp {

std::string ReportSpec::batch() const {
  std::string text = "exec " + procedure + " @orgid = :orgid";
  for (const ReportParam& p : params) text += ", @" + p.name + " = :" + p.name;
  return text;
}

tsql::Params ReportSpec::bind(const std::string& orgid,
                              const std::map<std::string, core::Value>& values) const {
  tsql::Params bound = {{"orgid", core::Value(orgid)}};
  for (const ReportParam& p : params) {
    const auto given = values.find(p.name);
    if (given != values.end())
      bound.emplace_back(p.name, given->second);
    else if (p.kind == ReportParamKind::Store || p.kind == ReportParamKind::Pick)
      bound.emplace_back(p.name, core::Value(0));
    else
      bound.emplace_back(p.name, core::Value());
  }
  return bound;
}

std::vector<host::GridColumn> ReportSpec::gridColumns() const {
  std::vector<host::GridColumn> grid;
  for (const ReportColumn& c : columns) {
    host::GridColumn g = c.kind == ReportColumnKind::Money
                             ? reportMoneyColumn(c.field.c_str(), c.caption.c_str(), c.total)
                             : reportTextColumn(c.field.c_str(), c.caption.c_str(), c.width);
    if (c.kind == ReportColumnKind::Date || c.kind == ReportColumnKind::DateTime) g.editor = "date";
    if (c.kind == ReportColumnKind::Quantity) g.format = "0.####";
    if (c.total && c.kind != ReportColumnKind::Money) g.footer = "sum";
    grid.push_back(std::move(g));
  }
  return grid;
}

host::PrintTemplate ReportSpec::printTemplate() const {
  using F = host::PrintFormat;
  host::PrintTemplate t;
  t.title = caption;
  for (const ReportParam& p : params) {
    std::string label = p.caption;
    if (label.ends_with("：")) label.resize(label.size() - std::string("：").size());
    const bool named = p.kind == ReportParamKind::Store || p.kind == ReportParamKind::Pick;
    t.header.push_back({label, named ? p.name + "_mc" : p.name, false, named ? F::Text : F::Date});
  }
  host::PrintSection lines{"明细数据", "", {}};
  for (const ReportColumn& c : columns) {
    F format = F::Text;
    if (c.kind == ReportColumnKind::Money) format = F::Money;
    if (c.kind == ReportColumnKind::Quantity) format = F::Quantity;
    if (c.kind == ReportColumnKind::Date) format = F::Date;
    if (c.kind == ReportColumnKind::DateTime) format = F::DateTime;
    lines.columns.push_back({c.caption, c.field, c.total, format});
  }
  t.sections = {std::move(lines)};
  t.signatures = {"制表人："};
  t.charts = charts;
  return t;
}

}  // namespace plugs::coreapp
