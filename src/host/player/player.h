// Player: the headless host that plays a scenario. It signs the scenario's user in,
// installs his rights, settings, control rules and bill options, answers every dialog
// from the scenario's queues (through a ScriptedUi) and drives the forms step by step,
// writing the transcript as JSON lines. The caller registers the plug items first.
#pragma once

#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "host/player/scenario.h"

namespace db {
class Connection;
}

namespace host {

class FormModel;
class ScriptedUi;

class Player {
 public:
  //! Events go to `out`, one per line; `logEvents` adds the debug log (--log).
  Player(db::Connection& connection, std::ostream& out, bool logEvents);
  ~Player();

  //! Plays the scenario. Throws MalformedScenario (naming the step) when a step names
  //! an unknown form, dataset, field, control or action; every other failure of a
  //! step is an "error" event and the player goes on.
  void run(const Scenario& scenario);

  //! Sees each step (top-level and queued) before it runs, with the form it acts on
  //! (null when none is open); returning true means the watcher ran the step itself.
  using StepWatcher = std::function<bool(const Step& step, FormModel* form)>;
  void watchSteps(StepWatcher watcher) { watcher_ = std::move(watcher); }
  //! Keys made during the play are random GUIDs instead of the numbered ones that keep
  //! transcripts repeatable (for several players writing to one database).
  void useRandomIds() { sequentialIds_ = false; }
  //! Answers, lookups, dialogs and modal steps queued and not used yet.
  std::size_t pendingQueued() const;

 private:
  struct ModalQueue {
    std::string className;
    std::vector<Step> steps;
  };

  void runSteps(const std::vector<Step>& steps, FormModel* modal);
  void runStep(const Step& step, FormModel* modal);
  void runFormStep(const Step& step, FormModel& form);
  void runDataSetStep(const Step& step, FormModel& form);
  void queue(const Step& step);
  void dump(const Step& step, FormModel& form);
  void runSql(const Step& step);
  void firstRun(const Step& step);
  void open(const Step& step);
  int playModal(FormModel& form);
  FormModel& currentForm(const Step& step, FormModel* modal);
  FormModel* watchedForm(FormModel* modal);
  void emit(const std::string& event);
  void emitOutcome(int outcome, const Step& step, const std::string& actionName);

  db::Connection& connection_;
  std::ostream& out_;
  bool logEvents_;
  ScriptedUi* ui_ = nullptr;
  std::vector<ModalQueue> modals_;
  StepWatcher watcher_;
  bool sequentialIds_ = true;
};

}  // namespace host
