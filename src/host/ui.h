// Ui: every interaction of a form with the person at the screen passes through here
// (message boxes, lookups, modal forms, the host's own dialogs, print and drawer
// notices, the debug log), so one form runs unchanged under the tests, the scenario
// player and the desktop shell. Implementations: ScriptedUi (tests, player), the Qt shell.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "tsql/batch_result.h"

namespace host {

class FormModel;  // host/forms: the headless model every form is built on

// Modal results, numbered as the toolkit numbers them.
constexpr int mrNone = 0;    //!< still open / nothing chosen
constexpr int mrOK = 1;      //!< OK
constexpr int mrCancel = 2;  //!< Cancel (also: closed)
constexpr int mrYes = 6;     //!< Yes
constexpr int mrNo = 7;      //!< No

// Message box types as MessageMyDlg takes them.
constexpr int mtError = 1;         //!< error box
constexpr int mtInformation = 2;   //!< information box
constexpr int mtConfirmation = 3;  //!< confirmation box

// Message box buttons, combined with |: mbOK | mbCancel.
using MsgButtons = unsigned;
constexpr MsgButtons mbOK = 1;
constexpr MsgButtons mbCancel = 2;
constexpr MsgButtons mbYes = 4;
constexpr MsgButtons mbNo = 8;

//! "OK", "Cancel", "Yes", "No" for a modal result ("" for others).
std::string modalResultText(int result);
//! The modal result named by "OK", "Cancel", "Yes", "No" (any case); mrNone when unknown.
int modalResultFromText(std::string_view text);

//! What a lookup plug asks the user to choose from.
struct LookupRequest {
  std::string caption;         //!< plug caption, e.g. "服务项目查询"
  std::string filter;          //!< the filter text the caller passed
  std::string options;         //!< options JSON text as passed ("" or {"model":"multi"})
  bool multi = false;          //!< several rows may be chosen
  tsql::ResultSet candidates;  //!< rows the query found for the filter
};

//! Arguments of a host dialog, by name (e.g. "ck_id" for the default-customer dialog).
using DialogArgs = std::map<std::string, std::string>;

//! How a host dialog closed and what it gives back.
struct DialogReply {
  int result = mrCancel;                      //!< modal result
  std::string text;                           //!< reason dialog: the typed reason
  std::int64_t kh_id = 0;                     //!< default-customer dialog: chosen customer
  std::string file;                           //!< file dialog: chosen file name
  std::map<std::string, std::string> values;  //!< anything else a dialog returns
};

//! One finished print: what was rendered and where it went.
struct PrintJob {
  std::string code;                                         //!< plug code
  std::vector<std::pair<std::string, int>> datasets;        //!< dataset name, row count
  std::vector<std::pair<std::string, std::string>> values;  //!< "表单编号", "表单名称", ...
  std::string file;                                         //!< the HTML document written
  std::vector<std::vector<std::string>> fields;             //!< each dataset's field names
};

class Ui {
 public:
  virtual ~Ui() = default;

  //! Shows a message (type mtError/mtInformation/mtConfirmation) with the given
  //! buttons; returns the modal result of the button pressed.
  virtual int messageBox(std::string_view text, std::string_view caption, int type,
                         MsgButtons buttons) = 0;
  //! Lets the user pick rows among the candidates; returns the chosen rows as a JSON
  //! array text (objects keyed by column, values as text), "" when cancelled.
  virtual std::string lookup(const LookupRequest& request) = 0;
  //! Shows a form modally until it closes; returns its modal result.
  virtual int showModal(FormModel& form) = 0;
  //! Runs one of the host's own dialogs ("TAuditingDataForm", "Tckbmkdefkhinfoform",
  //! "Tbilloptionsform", "TOpenDialog", ...) with its arguments.
  virtual DialogReply hostDialog(std::string_view className, const DialogArgs& args) = 0;
  //! A document was printed (written) for the user.
  virtual void printed(const PrintJob& job) = 0;
  //! The cash drawer was opened.
  virtual void drawerOpened() = 0;
  //! A debug-log entry (SQL batches with their tags).
  virtual void log(std::string_view tag, std::string_view text) = 0;
  //! A long query named by `caption` is still running: shows that it is (at once, or
  //! keeps showing it) and returns false when the user asked to stop it. A screen
  //! that cannot show it lets the query run.
  virtual bool progress(std::string_view /*caption*/) { return true; }
  //! The query that showed its progress has ended.
  virtual void progressDone() {}
};

}  // namespace host
