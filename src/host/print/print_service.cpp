// Printing a bill: the named datasets become one self-contained HTML page (see
// print_document.h) written to the host's print folder, where the desktop shell opens
// it for the printer; the Ui hears of the job.
#include "host/print/print_service.h"

#include <filesystem>
#include <fstream>

#include "dataset/client_data_set.h"
#include "host/host.h"
#include "host/print/print_document.h"
#include "host/print/print_template.h"
#include "host/services/data_services.h"
#include "host/services/sys_services.h"

namespace host {

namespace {

using dataset::ClientDataSet;

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

// The bill number of the header dataset (the first one when none has its name).
std::string billnoOf(const TDataSetCollection& sets, const PrintTemplate& t) {
  if (sets.items().empty()) return {};
  const ClientDataSet* head = sets.items().front().second;
  for (const auto& [name, ds] : sets.items())
    if (name == t.headerDataset) head = ds;
  if (head->isEmpty() || head->findField("billno") == nullptr) return {};
  return head->fieldByName("billno").asString();
}

// <code>-<store>-<bill number>.html: two stores (or two databases, each with its own
// print folder) never write over each other's documents.
std::filesystem::path outputFile(std::string_view code, const TDataSetCollection& sets,
                                 const PrintTemplate& t) {
  std::string folder = currentHost().printFolder;
  std::filesystem::path dir = folder.empty()
                                  ? std::filesystem::temp_directory_path() / "coreapp-print"
                                  : std::filesystem::path(folder);
  std::filesystem::create_directories(dir);
  std::string billno = billnoOf(sets, t);
  std::string stem = std::string(code) + "-" + sysAuth().orgid + "-" +
                     (billno.empty() ? std::string("bill") : billno);
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
  out << renderPrintDocument(datasets, t, values, shopName());
  if (!out.flush()) throw HostError("无法写入打印文件：" + file.string());
  out.close();

  PrintJob job{std::string(code), {}, values, file.string(), {}};
  for (const auto& [name, ds] : datasets.items()) {
    job.datasets.emplace_back(name, ds->recordCount());
    job.fields.emplace_back();
    for (int i = 0; i < ds->fieldCount(); ++i) job.fields.back().push_back(ds->field(i).name());
  }
  LogMsgWithTag(file.string(), "打印");
  host.screen().printed(job);
  if (done) done();
  return file.string();
}

}  // namespace host
