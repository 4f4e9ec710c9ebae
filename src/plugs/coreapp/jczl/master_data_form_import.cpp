// TMasterDataForm: 导入 on the pages a sheet can fill. The user picks the file in a host
// dialog; the same import the command line runs checks every row and writes all or none,
// asking the screen now and then whether to go on.
#include "core/abort.h"
#include "host/export/grid_export.h"
#include "host/host.h"
#include "host/import/sheet_rows.h"
#include "host/services/sys_services.h"
#include "host/services/t_auth.h"
#include "plugs/coreapp/jczl/master_data_form.h"
#include "plugs/coreapp/jczl/master_data_import.h"

namespace plugs::coreapp::jczl {

namespace {

// Every problem on its own line, numbered by the sheet's rows as the command line lists
// them, and where the workbook of the refused rows was written (when it could be).
std::string problemList(const std::vector<ImportProblem>& problems, const std::string& report) {
  std::string text = "以下问题须先改正，未导入任何数据：";
  for (const ImportProblem& p : problems)
    text += "\n第" + std::to_string(p.row) + "行：" + p.message;
  if (!report.empty()) text += "\n有问题的行已写入 " + report;
  return text;
}

// The refused rows as a workbook in the print folder, for the user to fix and import
// again; "" when it could not be written (the message still lists every problem).
std::string writeReport(const host::SheetRows& rows, const std::vector<ImportProblem>& problems,
                        const std::string& caption) {
  const std::string file = (host::exportFolder() / (caption + "导入问题.xlsx")).string();
  return MasterDataImport::writeProblemReport(rows, problems, file).empty() ? file : "";
}

// Runs the import with the screen's progress shown; the progress ends however it ends.
ImportOutcome importShown(MasterDataImport& import, const host::SheetRows& rows,
                          const std::string& caption) {
  host::Ui& ui = host::currentHost().screen();
  import.keepGoing = [&ui, caption ] { return ui.progress(caption);
};
struct Done {
  host::Ui& ui;
  ~Done() { ui.progressDone(); }
} done{ui};
return import.run(rows);
}  // namespace

}  // namespace plugs::coreapp::jczl

void TMasterDataForm::actImportExecute(host::Action&) {
  host::TAuth::requireRight(spec.code + "_01");
  const host::DialogReply reply = host::currentHost().screen().hostDialog(
      "TImportFileDialog", {{"title", "导入" + spec.caption}});
  if (reply.result != host::mrOK || reply.file.empty()) return;
  host::SheetRows rows;
  try {
    rows = host::readSheetFile(reply.file);
  } catch (const host::SheetError& e) {
    refuse(e.what());
  }
  MasterDataImport import(host::currentHost().db(), host::sysAuth().orgid, spec);
  ImportOutcome out;
  try {
    out = importShown(import, rows, "正在导入" + spec.caption);
  } catch (const std::runtime_error& e) {
    refuseFailed(spec.caption + "导入", e.what());
  }
  if (out.cancelled) refuse("已取消");
  if (!out.problems.empty())
    refuse(problemList(out.problems, writeReport(rows, out.problems, spec.caption)));
  reloadList(focusedId());
  host::MessageMyDlg("已导入" + std::to_string(out.rows) + "行" + spec.caption, "提示",
                     host::mtInformation);
}

}  // namespace plugs::coreapp::jczl
