// Rendering a bill from its template. A column is printed only when the dataset has its
// field(s) and the field is neither a key nor a secret, so a template naming a column a
// bill lacks still prints, and no template can put an id or a password on paper.
#include "host/print/print_document.h"

#include "core/currency.h"
#include "core/date_time.h"
#include "core/strings.h"
#include "dataset/client_data_set.h"
#include "host/host.h"
#include "host/print/print_chart.h"
#include "host/print/print_format.h"
#include "host/services/sys_services.h"

namespace host {

namespace {

using dataset::ClientDataSet;

using core::escapeHtml;

const ClientDataSet* findDataSet(const TDataSetCollection& sets, std::string_view name) {
  for (const auto& [n, ds] : sets.items())
    if (n == name) return ds;
  return nullptr;
}

// "hjje-jmje-hjsk" names three fields; "hjje" one.
std::vector<std::string> fieldsOf(const PrintColumn& c) { return core::split(c.field, "-"); }

bool printable(const ClientDataSet& ds, const PrintColumn& c) {
  for (const std::string& f : fieldsOf(c))
    if (f.empty() || isKeyField(f) || isSecretField(f) || ds.findField(f) == nullptr) return false;
  return true;
}

std::vector<PrintColumn> presentColumns(const ClientDataSet& ds,
                                        const std::vector<PrintColumn>& wanted) {
  std::vector<PrintColumn> out;
  for (const PrintColumn& c : wanted)
    if (printable(ds, c)) out.push_back(c);
  return out;
}

int fieldIndex(const ClientDataSet& ds, std::string_view name) {
  const dataset::Field* f = ds.findField(name);
  for (int i = 0; f != nullptr && i < ds.fieldCount(); ++i)
    if (&ds.field(i) == f) return i;
  return -1;
}

// One field's value, or the first field less the others (money).
core::Value valueAt(const ClientDataSet& ds, int row, const PrintColumn& c) {
  const std::vector<std::string> names = fieldsOf(c);
  core::Value first = ds.valueAt(row, fieldIndex(ds, names.front()));
  if (names.size() == 1) return first;
  core::Currency rest = first.asCurrency();
  for (size_t i = 1; i < names.size(); ++i)
    rest = rest - ds.valueAt(row, fieldIndex(ds, names[i])).asCurrency();
  return core::Value(rest);
}

std::string cellText(const ClientDataSet& ds, int row, const PrintColumn& c) {
  return escapeHtml(formatPrintValue(valueAt(ds, row, c), c.format));
}

// Caption and value pairs, two to a row, as a bill's header block reads.
std::string renderHeader(const ClientDataSet* ds, const std::vector<PrintColumn>& wanted) {
  if (ds == nullptr || ds->isEmpty()) return {};
  std::vector<PrintColumn> cols = presentColumns(*ds, wanted);
  std::string html = "<table class=\"head\">\n";
  for (size_t i = 0; i < cols.size(); ++i) {
    if (i % 2 == 0) html += "<tr>";
    html += "<th>" + escapeHtml(cols[i].caption) + "</th><td>" + cellText(*ds, 0, cols[i]) + "</td>";
    if (i % 2 == 1 || i + 1 == cols.size()) html += "</tr>\n";
  }
  return html + "</table>\n";
}

std::string totalText(const ClientDataSet& ds, const PrintColumn& c) {
  if (!c.total) return {};
  core::Currency sum;
  for (int r = 0; r < ds.recordCount(); ++r) sum = sum + valueAt(ds, r, c).asCurrency();
  return escapeHtml(formatPrintValue(core::Value(sum), c.format == PrintFormat::Quantity
                                                           ? PrintFormat::Quantity
                                                           : PrintFormat::Money));
}

std::string renderSection(const ClientDataSet& ds, const PrintSection& s) {
  std::vector<PrintColumn> cols = presentColumns(ds, s.columns);
  if (cols.empty()) return {};
  std::string html = s.caption.empty() ? "" : "<h3>" + escapeHtml(s.caption) + "</h3>\n";
  html += "<table class=\"lines\">\n<tr><th>序号</th>";
  for (const PrintColumn& c : cols) html += "<th>" + escapeHtml(c.caption) + "</th>";
  html += "</tr>\n";
  for (int r = 0; r < ds.recordCount(); ++r) {
    html += "<tr><td>" + std::to_string(r + 1) + "</td>";
    for (const PrintColumn& c : cols) html += "<td>" + cellText(ds, r, c) + "</td>";
    html += "</tr>\n";
  }
  html += "<tr class=\"total\"><td>合计</td>";
  for (const PrintColumn& c : cols) html += "<td>" + totalText(ds, c) + "</td>";
  return html + "</tr>\n</table>\n";
}

// Without sections of its own a bill prints its lines with the known line columns and
// any further dataset with rows (products, consumables) the same way, under its name.
std::vector<PrintSection> sectionsOf(const TDataSetCollection& sets, const PrintTemplate& t) {
  if (!t.sections.empty()) return t.sections;
  std::vector<PrintSection> out{{"明细数据", "", PrintTemplate::knownLines()}};
  for (const auto& [name, ds] : sets.items())
    if (name != t.headerDataset && name != "明细数据")
      out.push_back({name, name, PrintTemplate::knownLines()});
  return out;
}

std::string renderSections(const TDataSetCollection& sets, const PrintTemplate& t) {
  std::string html;
  for (const PrintSection& s : sectionsOf(sets, t)) {
    const ClientDataSet* ds = findDataSet(sets, s.dataset);
    bool mainLines = s.dataset == "明细数据";
    if (ds != nullptr && (mainLines || !ds->isEmpty())) html += renderSection(*ds, s);
  }
  return html;
}

std::string renderCharts(const TDataSetCollection& sets, const PrintTemplate& t) {
  const std::vector<PrintSection> sections = sectionsOf(sets, t);
  const ClientDataSet* ds =
      sections.empty() ? nullptr : findDataSet(sets, sections.front().dataset);
  std::string html;
  for (const ChartSpec& c : t.charts)
    if (ds != nullptr) html += chartSvg(chartData(c, *ds));
  return html;
}

std::string renderTotals(const ClientDataSet* head, const std::vector<PrintColumn>& totals) {
  if (head == nullptr || head->isEmpty() || totals.empty()) return {};
  std::string html = "<p class=\"totals\">";
  for (const PrintColumn& c : presentColumns(*head, totals))
    html += "<span>" + escapeHtml(c.caption) + "：" + cellText(*head, 0, c) + "</span>　";
  return html + "</p>\n";
}

std::string renderSignatures(const std::vector<std::string>& captions) {
  std::string html = "<p class=\"sign\">";
  for (const std::string& c : captions)
    html += "<span>" + escapeHtml(c) + "________________</span>　";
  return html + "</p>\n";
}

std::string valueOf(const PrintValues& values, std::string_view name) {
  for (const auto& [n, v] : values)
    if (n == name) return v;
  return {};
}

const char* kStyle =
    "<style>body{font-family:sans-serif}table{border-collapse:collapse}"
    "table.head th{text-align:right;font-weight:normal;padding:2px 4px}"
    "table.head td{padding:2px 16px 2px 0}"
    "table.lines td,table.lines th{border:1px solid #444;padding:2px 6px}"
    "tr.total{font-weight:bold}p.sign span{margin-right:3em}</style>";

}  // namespace

std::string renderPrintDocument(const TDataSetCollection& sets, const PrintTemplate& t,
                                const PrintValues& values, const std::string& shop) {
  std::string title = t.title.empty() ? valueOf(values, "表单名称") : t.title;
  const ClientDataSet* head = findDataSet(sets, t.headerDataset);
  if (head == nullptr && !sets.items().empty()) head = sets.items().front().second;
  std::string html = "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>" +
                     escapeHtml(title) + "</title>\n" + kStyle + "</head>\n<body>\n";
  html += "<h2 class=\"shop\">" + escapeHtml(shop) + "</h2>\n";
  html += "<h1>" + escapeHtml(title) + "</h1>\n";
  html += renderHeader(head, t.header.empty() ? PrintTemplate::knownHeader() : t.header);
  html += renderSections(sets, t);
  html += renderCharts(sets, t);
  html += renderTotals(head, t.totals);
  html += renderSignatures(t.signatures.empty() ? std::vector<std::string>{"经办人：", "客户签字："}
                                                : t.signatures);
  html += "<p class=\"printed\">打印时间：" + core::DateTime::now().format("yyyy-mm-dd hh:nn") +
          "　操作员：" + escapeHtml(sysAuth().name) + "</p>\n</body></html>\n";
  return html;
}

}  // namespace host
