// Printing a bill: the named datasets become one self-contained HTML page (shop name,
// title, header fields, a line table with totals, print time) written to the host's
// print folder, where the desktop shell opens it for the printer.
#include "host/print/print_service.h"

#include <filesystem>
#include <fstream>

#include "dataset/client_data_set.h"
#include "host/host.h"
#include "host/print/print_template.h"
#include "host/services/data_services.h"
#include "host/services/sys_services.h"

namespace host {

namespace {

using dataset::ClientDataSet;

std::string escapeHtml(std::string_view text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

std::string printText(const core::Value& v) {
  if (v.type() == core::ValueType::DateTime) {
    core::DateTime d = v.asDateTime();
    if (d == d.date()) return d.toDateString();  // a date without time prints as a date
  }
  return v.asText();
}

const ClientDataSet* findDataSet(const TDataSetCollection& sets, std::string_view name,
                                 size_t fallback) {
  for (const auto& [n, ds] : sets.items())
    if (n == name) return ds;
  return fallback < sets.items().size() ? sets.items()[fallback].second : nullptr;
}

// Position of a field (any case, as findField matches), -1 when there is none.
int fieldIndex(const ClientDataSet& ds, std::string_view name) {
  const dataset::Field* f = ds.findField(name);
  for (int i = 0; f != nullptr && i < ds.fieldCount(); ++i)
    if (&ds.field(i) == f) return i;
  return -1;
}

bool isKeyField(const std::string& name) {
  return name == "id" || name == "uid" || name == "orgid" || name == "version" ||
         (name.size() > 3 && name.compare(name.size() - 3, 3, "_id") == 0) ||
         (name.size() > 4 && name.compare(name.size() - 4, 4, "_uid") == 0);
}

// The template's columns that the dataset has; without a template list, the known
// columns it has; when it has none of those, every field that is not a key.
std::vector<PrintColumn> presentColumns(const ClientDataSet& ds,
                                        const std::vector<PrintColumn>& wanted,
                                        const std::vector<PrintColumn>& known) {
  std::vector<PrintColumn> out;
  for (const PrintColumn& c : wanted.empty() ? known : wanted)
    if (ds.findField(c.field) != nullptr) out.push_back(c);
  if (!out.empty() || !wanted.empty()) return out;
  for (int i = 0; i < ds.fieldCount(); ++i) {
    const dataset::Field& f = ds.field(i);
    if (isKeyField(f.name())) continue;
    out.push_back({f.displayLabel(), f.name(), f.type() == dataset::FieldType::Currency});
  }
  return out;
}

std::string renderHeader(const ClientDataSet* ds, const PrintTemplate& t) {
  if (ds == nullptr || ds->isEmpty()) return {};
  std::string html = "<table class=\"head\">\n";
  for (const PrintColumn& c : presentColumns(*ds, t.header, PrintTemplate::knownHeader())) {
    int index = fieldIndex(*ds, c.field);
    html += "<tr><th>" + escapeHtml(c.caption) + "</th><td>" +
            escapeHtml(printText(ds->valueAt(0, index))) + "</td></tr>\n";
  }
  return html + "</table>\n";
}

std::string totalText(const ClientDataSet& ds, const PrintColumn& c) {
  dataset::FieldType type = ds.findField(c.field)->type();
  bool numeric = type == dataset::FieldType::Integer || type == dataset::FieldType::Float ||
                 type == dataset::FieldType::Currency;
  return c.total && numeric ? ds.sum(c.field).asText() : std::string();
}

std::string renderTable(const ClientDataSet& ds, const std::vector<PrintColumn>& cols) {
  std::vector<int> index;
  for (const PrintColumn& c : cols) index.push_back(fieldIndex(ds, c.field));
  std::string html = "<table class=\"lines\">\n<tr><th>序号</th>";
  for (const PrintColumn& c : cols) html += "<th>" + escapeHtml(c.caption) + "</th>";
  html += "</tr>\n";
  for (int r = 0; r < ds.recordCount(); ++r) {
    html += "<tr><td>" + std::to_string(r + 1) + "</td>";
    for (int i : index) html += "<td>" + escapeHtml(printText(ds.valueAt(r, i))) + "</td>";
    html += "</tr>\n";
  }
  html += "<tr class=\"total\"><td>合计</td>";
  for (const PrintColumn& c : cols) html += "<td>" + escapeHtml(totalText(ds, c)) + "</td>";
  return html + "</tr>\n</table>\n";
}

// The line table, then every further dataset with rows (products, staff, consumables
// of an order) under its name, with all of its fields that are not keys.
std::string renderTables(const TDataSetCollection& sets, const PrintTemplate& t) {
  const ClientDataSet* head = findDataSet(sets, t.headerDataset, 0);
  const ClientDataSet* lines = findDataSet(sets, t.linesDataset, 1);
  std::string html;
  if (lines != nullptr)
    html += renderTable(*lines, presentColumns(*lines, t.lines, PrintTemplate::knownLines()));
  for (const auto& [name, ds] : sets.items()) {
    if (ds == head || ds == lines || ds->isEmpty()) continue;
    html += "<h3>" + escapeHtml(name) + "</h3>\n" + renderTable(*ds, presentColumns(*ds, {}, {}));
  }
  return html;
}

std::string valueOf(const PrintValues& values, std::string_view name) {
  for (const auto& [n, v] : values)
    if (n == name) return v;
  return {};
}

// The branch's name, else the outlet's; a missing name only leaves the line empty.
std::string shopName() {
  const char* queries[] = {"select name from vt_sys_org where orgid = :orgid",
                           "select name from vt_b_ckbmk where orgid = :orgid and id = :ck_id"};
  for (const char* sql : queries) {
    db::BatchResult r = currentHost().db().execBatch(
        sql, {{"orgid", core::Value(sysAuth().orgid)}, {"ck_id", core::Value(sysAuth().ck_id)}});
    if (r.ok() && !r.resultSets.empty() && !r.resultSets.back().rows.empty()) {
      std::string name = r.resultSets.back().rows.front().front().asText();
      if (!name.empty()) return name;
    }
  }
  return {};
}

std::string renderDocument(const TDataSetCollection& sets, const PrintTemplate& t,
                           const PrintValues& values) {
  std::string title = t.title.empty() ? valueOf(values, "表单名称") : t.title;
  std::string html = "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>" +
                     escapeHtml(title) +
                     "</title>\n<style>body{font-family:sans-serif}table{border-collapse:collapse}"
                     "table.lines td,table.lines th{border:1px solid #444;padding:2px 6px}"
                     "tr.total{font-weight:bold}</style></head>\n<body>\n";
  html += "<h2 class=\"shop\">" + escapeHtml(shopName()) + "</h2>\n";
  html += "<h1>" + escapeHtml(title) + "</h1>\n";
  html += renderHeader(findDataSet(sets, t.headerDataset, 0), t);
  html += renderTables(sets, t);
  html += "<p class=\"printed\">打印时间：" + core::DateTime::now().toString() + "　操作员：" +
          escapeHtml(sysAuth().name) + "</p>\n</body></html>\n";
  return html;
}

std::filesystem::path outputFile(std::string_view code, const TDataSetCollection& sets,
                                 const PrintTemplate& t) {
  std::string folder = currentHost().printFolder;
  std::filesystem::path dir = folder.empty()
                                  ? std::filesystem::temp_directory_path() / "coreapp-print"
                                  : std::filesystem::path(folder);
  std::filesystem::create_directories(dir);
  std::string billno;
  const ClientDataSet* head = findDataSet(sets, t.headerDataset, 0);
  if (head != nullptr && !head->isEmpty() && fieldIndex(*head, "billno") >= 0)
    billno = head->valueAt(0, fieldIndex(*head, "billno")).asText();
  std::string stem = std::string(code) + "-" + (billno.empty() ? std::string("bill") : billno);
  for (char& c : stem)
    if (c == '/' || c == '\\' || c == ':') c = '_';
  return dir / (stem + ".html");
}

}  // namespace

std::string OpenSetPrintReportForm(Owner /*owner*/, std::string_view code,
                                   const TDataSetCollection& datasets, const PrintValues& values,
                                   const std::function<void()>& done) {
  Host& host = currentHost();
  PrintTemplate t = PrintTemplate::load(host.printTemplateFolder, code);
  std::filesystem::path file = outputFile(code, datasets, t);
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out << renderDocument(datasets, t, values);
  if (!out.flush()) throw HostError("无法写入打印文件：" + file.string());
  out.close();

  PrintJob job{std::string(code), {}, values, file.string()};
  for (const auto& [name, ds] : datasets.items())
    job.datasets.emplace_back(name, ds->recordCount());
  LogMsgWithTag(file.string(), "打印");
  host.screen().printed(job);
  if (done) done();
  return file.string();
}

}  // namespace host
