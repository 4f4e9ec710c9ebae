// The sweep lives in a step watcher of the scenario player: it sees the form the step
// acts on, clicks the action itself with the fault armed, and compares the database
// digest and the form's datasets before and after each failed attempt.
#include "reliability/fault_sweep.h"

#include <nlohmann/json.hpp>
#include <regex>
#include <sstream>

#include "dataset/client_data_set.h"
#include "host/forms/base_form.h"
#include "host/forms/base_ribbon_form.h"
#include "host/player/player.h"
#include "reliability/database_fingerprint.h"
#include "reliability/demo_database.h"
#include "tsql/statement_fault.h"

namespace reliability {

namespace {

constexpr int kMostStatements = 1000;  // a batch longer than this means the sweep is stuck

// Every dataset's state and rows as text: what the user sees and would save.
std::string formState(const host::FormModel& form) {
  std::string out;
  for (const std::string& name : form.dataSetNames()) {
    const dataset::ClientDataSet* ds = form.findDataSet(name);
    out += name + ' ' + std::to_string(static_cast<int>(ds->state())) + '\n';
    for (int r = 0; ds->active() && r < ds->recordCount(); ++r) {
      for (int f = 0; f < ds->fieldCount(); ++f) out += ds->valueAt(r, f).asText() + '\x1f';
      out += '\n';
    }
  }
  if (const auto* window = dynamic_cast<const host::TBaseForm*>(&form))
    out += window->hasUnsavedChanges() ? "unsaved\n" : "saved\n";
  return out;
}

// The texts of the message boxes among the transcript lines from `from` on.
std::vector<std::string> messagesSince(const std::string& transcript, std::size_t from) {
  std::vector<std::string> texts;
  std::istringstream lines(transcript.substr(from));
  for (std::string line; std::getline(lines, line);) {
    nlohmann::json event = nlohmann::json::parse(line, nullptr, false);
    // confirmations come before the batch; errors and information tell the outcome
    if (event.is_object() && event.value("event", "") == "message" && event.value("type", 0) != 3)
      texts.push_back(event.value("text", ""));
  }
  return texts;
}

// Arms a fault for one scope, whatever leaves it.
class ArmedFault {
 public:
  explicit ArmedFault(tsql::StatementFault& fault) { tsql::armStatementFault(&fault); }
  ~ArmedFault() { tsql::armStatementFault(nullptr); }
  ArmedFault(const ArmedFault&) = delete;
  ArmedFault& operator=(const ArmedFault&) = delete;
};

// The bill editor's own commands, whose failures the user must see in the bill's words.
bool isBillCommand(const std::string& action) {
  return action == "actSave" || action == "actAudit" || action == "actAudit_0" || action == "actDel";
}

class Sweeper {
 public:
  Sweeper(db::EmbeddedConnection& conn, host::Player& player, const std::ostringstream& transcript,
          std::string scenario)
      : conn_(conn), player_(player), transcript_(transcript), scenario_(std::move(scenario)) {}

  bool watch(const host::Step& step, host::FormModel* form) {
    if (step.verb != host::StepVerb::Do || form == nullptr || form->findAction(step.target) == nullptr) return false;
    if (player_.pendingQueued() > 0) return false;
    // the editor's audit button becomes the un-audit ("草稿") once the bill is audited
    const bool unaudit = step.target == "actAudit" && form->findAction(step.target)->caption == "草稿";
    SweptAction swept{scenario_, step.where, "", form->className(), unaudit ? "actAudit_0" : step.target, 0, {}, {}};
    if (const auto* ribbon = dynamic_cast<const host::TBaseRibbonForm*>(form)) swept.plugCode = ribbon->plugCode();
    for (int k = 1; k <= kMostStatements; ++k) {
      if (!attempt(*form, step.target, k, swept)) break;
    }
    found.push_back(std::move(swept));
    return true;
  }

  std::vector<SweptAction> found;
  const std::string& name() const { return scenario_; }

 private:
  // One click with statement k failing; false when no statement k came (a clean run).
  bool attempt(host::FormModel& form, const std::string& action, int k, SweptAction& swept) {
    const std::map<std::string, std::string> before = tableFingerprints(conn_.handle());
    const std::string shown = formState(form);
    const std::size_t mark = transcript_.str().size();
    tsql::StatementFault fault;
    std::string lastBatch;
    fault.selects = [&lastBatch](std::string_view text) {
      if (!isWritingBatch(text)) return false;
      lastBatch = text;
      return true;
    };
    fault.failAt = k;
    std::vector<std::string> told;
    {
      ArmedFault armed(fault);
      try {
        form.clickAction(action);
      } catch (const std::exception& e) {  // the desktop shows it in an error box
        told.push_back(e.what());
      }
    }
    if (!fault.fired) {
      swept.statements = fault.seen;
      return false;
    }
    const std::string at = "fault at statement " + std::to_string(k) + " of \n" + lastBatch + "\n: ";
    const std::string changed = changedTables(before, tableFingerprints(conn_.handle()));
    if (!changed.empty()) swept.failures.push_back(at + "the database changed: " + changed);
    checkForm(form, k, shown, at, swept);
    for (std::string& text : messagesSince(transcript_.str(), mark)) told.push_back(std::move(text));
    if (told.empty()) swept.failures.push_back(at + "the user was told nothing");
    for (const std::string& text : told) {
      ++swept.messages[text];
      // a transaction that cannot begin ends the batch with the database's own words
      // (for a busy file, the connection's message saying so)
      if (isBillCommand(action) && !fault.atBeginTran && text.find(fault.message) != std::string::npos)
        swept.failures.push_back(at + "the raw engine error reached the user");
    }
    return true;
  }

  // A save may first tidy the form (post the open row, copy header boxes into the
  // record); the first failure may do that, every later one must change nothing.
  void checkForm(const host::FormModel& form, int k, const std::string& shown, const std::string& at,
                 SweptAction& swept) {
    const std::string now = formState(form);
    if (k == 1) {
      afterFirstFailure_ = now;
      if (summary(now) != summary(shown)) swept.failures.push_back(at + "the form lost rows or its unsaved edits");
    } else if (now != afterFirstFailure_) {
      swept.failures.push_back(at + "the form changed what the user had entered");
    }
  }

  // Each dataset's name and row count, and whether the bill has unsaved edits.
  static std::string summary(const std::string& state) {
    std::string out;
    std::istringstream lines(state);
    int rows = 0;
    for (std::string line; std::getline(lines, line);) {
      if (line.find('\x1f') != std::string::npos) {
        ++rows;
        continue;
      }
      out += std::to_string(rows) + ' ' + line.substr(0, line.find(' ')) + '\n';
      rows = 0;
    }
    return out + std::to_string(rows);
  }

  std::string afterFirstFailure_;
  db::EmbeddedConnection& conn_;
  host::Player& player_;
  const std::ostringstream& transcript_;
  std::string scenario_;
};

}  // namespace

bool isWritingBatch(std::string_view text) {
  // A table variable is the batch's own scratch space, not the database.
  static const std::regex writes(
      R"(\b(?:insert(?:\s+into)?|update|delete(?:\s+from)?)\s+(?!into\b|from\b|@)|\bexec\b)", std::regex::icase);
  return std::regex_search(text.begin(), text.end(), writes);
}

std::vector<SweptAction> sweepScenario(const std::string& scenarioPath) {
  registerEverything();
  const host::Scenario scenario = host::Scenario::load(scenarioPath);
  auto conn = openDemoDatabase(":memory:");
  std::ostringstream transcript;
  host::Player player(*conn, transcript, false);
  Sweeper sweeper(*conn, player, transcript, scenarioPath.substr(scenarioPath.find_last_of('/') + 1));
  player.watchSteps([&](const host::Step& step, host::FormModel* form) { return sweeper.watch(step, form); });
  try {
    player.run(scenario);
  } catch (const std::exception& e) {  // kept with what the sweep found before it
    sweeper.found.push_back({sweeper.name(), "", "", "", "", 0, {std::string("the scenario stopped: ") + e.what()}, {}});
  }
  return std::move(sweeper.found);
}

}  // namespace reliability
