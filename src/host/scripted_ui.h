// ScriptedUi: a Ui that answers from queues instead of a person, and records every
// interaction as a transcript event (one JSON object per line). The tests and the
// scenario player use it; unqueued confirmations get OK, unqueued lookups and dialogs
// are cancelled.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "host/ui.h"

namespace host {

class ScriptedUi : public Ui {
 public:
  //! Receives each transcript event as it happens (JSON object text, no newline).
  using EventSink = std::function<void(const std::string& event)>;
  //! Runs a modal form (the player plays its queued steps); returns its modal result.
  using ModalRunner = std::function<int(FormModel& form)>;

  explicit ScriptedUi(EventSink sink = {}) : sink_(std::move(sink)) {}

  //! The next confirmation or question box is answered with this modal result.
  void queueAnswer(int modalResult) { answers_.push_back(modalResult); }
  //! The next lookup with this caption returns these rows (JSON array text; "[]" =
  //! cancelled). A row that names only some columns of a candidate row (e.g. its
  //! "id") is completed from that candidate.
  void queueLookup(const std::string& caption, std::string rowsJson) {
    lookups_[caption].push_back(std::move(rowsJson));
  }
  //! The next host dialog of this class closes with this reply.
  void queueDialog(const std::string& className, DialogReply reply) {
    dialogs_[className].push_back(std::move(reply));
  }
  //! The next long query is stopped the first time it shows its progress.
  void queueProgressStop() { ++progressStops_; }
  //! Sets what runs a form shown modally (none: it closes at once with Cancel).
  void setModalRunner(ModalRunner runner) { modalRunner_ = std::move(runner); }
  //! Whether debug-log entries become "log" events (the player's --log).
  void setLogEvents(bool on) { logEvents_ = on; }
  //! Adds an event of the caller's own (abort, disabled, dump, ...) to the transcript.
  void emit(const std::string& event);

  //! Every event so far, in order.
  const std::vector<std::string>& transcript() const { return transcript_; }
  //! Every print job so far, with the field names of its datasets.
  const std::vector<PrintJob>& prints() const { return prints_; }
  //! Every log entry so far (tag, text), whether or not it became an event.
  const std::vector<std::pair<std::string, std::string>>& logEntries() const { return log_; }
  //! Answers, lookups and dialogs queued but never used.
  std::size_t pendingAnswers() const;

  int messageBox(std::string_view text, std::string_view caption, int type,
                 MsgButtons buttons) override;
  std::string lookup(const LookupRequest& request) override;
  int showModal(FormModel& form) override;
  DialogReply hostDialog(std::string_view className, const DialogArgs& args) override;
  void printed(const PrintJob& job) override;
  void drawerOpened() override;
  void log(std::string_view tag, std::string_view text) override;
  //! Lets the query run unless a stop is queued; a stop is a "progress" event.
  bool progress(std::string_view caption) override;

 private:
  EventSink sink_;
  ModalRunner modalRunner_;
  bool logEvents_ = false;
  std::deque<int> answers_;
  int progressStops_ = 0;
  std::map<std::string, std::deque<std::string>> lookups_;
  std::map<std::string, std::deque<DialogReply>> dialogs_;
  std::vector<std::string> transcript_;
  std::vector<PrintJob> prints_;
  std::vector<std::pair<std::string, std::string>> log_;
};

}  // namespace host
