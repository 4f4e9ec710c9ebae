// Player: one step at a time, each run the way the desktop would run the user's act
// (through the form's dispatcher, so a silent abort ends only that step). Names the
// form does not have make the scenario malformed; anything else that fails is an
// "error" event and the next step runs.
#include "host/player/player.h"

#include <cstdio>
#include <nlohmann/json.hpp>

#include "core/abort.h"
#include "dataset/client_data_set.h"
#include "host/forms/base_form.h"
#include "host/forms/bill_config.h"
#include "host/forms/page_control.h"
#include "host/host.h"
#include "host/plug/t_plugs_pool.h"
#include "host/print/print_folder.h"
#include "host/scripted_ui.h"
#include "host/services/data_services.h"
#include "host/services/first_run.h"

namespace host {

using Json = nlohmann::ordered_json;

namespace {

std::string dumpJson(const Json& j) { return j.dump(-1, ' ', false, Json::error_handler_t::replace); }

// "step 4" -> 4, "step 3.2" -> "3.2": top-level steps are numbered, queued ones dotted.
Json stepId(const Step& step) {
  std::string id = step.where.substr(5);
  if (id.find('.') == std::string::npos) return step.number;
  return id;
}

Json valueJson(const core::Value& v) {
  switch (v.type()) {
    case core::ValueType::Null: return nullptr;
    case core::ValueType::Integer: return v.asInteger();
    case core::ValueType::Float: return v.asFloat();
    case core::ValueType::Currency: return Json::parse(v.asCurrency().toString());
    case core::ValueType::Boolean: return v.asBool();
    case core::ValueType::DateTime: return v.asDateTime().toString();
    case core::ValueType::Text: return v.asText();
  }
  return nullptr;
}

const char* stateName(dataset::DataSetState s) {
  switch (s) {
    case dataset::DataSetState::Inactive: return "inactive";
    case dataset::DataSetState::Browse: return "browse";
    case dataset::DataSetState::Edit: return "edit";
    case dataset::DataSetState::Insert: return "insert";
  }
  return "inactive";
}

// Keys the player hands out instead of random GUIDs, so that transcripts repeat.
std::string sequentialId(int n) {
  char buf[40];
  std::snprintf(buf, sizeof buf, "00000000-0000-0000-0000-%012d", n);
  return buf;
}

[[noreturn]] void malformed(const Step& step, const std::string& what) {
  throw MalformedScenario(step.where + ": " + what);
}

std::string keysText(const std::vector<std::pair<std::string, core::Value>>& keys) {
  Json j = Json::object();
  for (const auto& [field, value] : keys) j[field] = valueJson(value);
  return dumpJson(j);
}

}  // namespace

Player::Player(db::Connection& connection, std::ostream& out, bool logEvents)
    : connection_(connection), out_(out), logEvents_(logEvents) {}

Player::~Player() = default;

std::size_t Player::pendingQueued() const {
  return (ui_ != nullptr ? ui_->pendingAnswers() : 0) + modals_.size();
}

void Player::emit(const std::string& event) { ui_->emit(event); }

void Player::run(const Scenario& scenario) {
  ScriptedUi ui([this](const std::string& event) { out_ << event << '\n' << std::flush; });
  ui.setLogEvents(logEvents_);
  ui.setModalRunner([this](FormModel& form) { return playModal(form); });
  ui_ = &ui;
  Host host;
  host.connection = &connection_;
  host.ui = &ui;
  const ScenarioLogin& l = scenario.login;
  host.login = SysAuth{l.orgid, l.tag, l.ckId, l.czyId, l.code, l.name};
  host.rights.all = l.allRights;
  host.rights.codes.insert(l.rights.begin(), l.rights.end());
  host.controlRules = scenario.rules;
  host.settings = scenario.settings;
  for (const auto& [code, newbill] : scenario.newBillOptions) host.billOptions[code].newbill = newbill ? "1" : "0";
  host.defaultPlugInfo = [](std::string_view code) { return defaultBillConfig(code); };
  host.printFolder = printFolderOf(connection_);  // the database's own, as the desktop's
  int ids = 0;
  if (sequentialIds_) host.idSource = [&ids] { return sequentialId(++ids); };
  HostScope scope(host);
  try {
    runSteps(scenario.steps, nullptr);
  } catch (...) {
    PageControl().clear();
    ui_ = nullptr;
    throw;
  }
  PageControl().clear();
  ui_ = nullptr;
}

void Player::runSteps(const std::vector<Step>& steps, FormModel* modal) {
  for (const Step& step : steps) {
    if (modal != nullptr) {
      auto* form = dynamic_cast<TBaseForm*>(modal);
      if (form != nullptr && (form->ModalResult != mrNone || form->isClosed())) {
        emit(dumpJson({{"event", "error"}, {"step", stepId(step)}, {"text", "the form has closed"}}));
        continue;
      }
    }
    try {
      const bool watcherRanIt = watcher_ && watcher_(step, watchedForm(modal));
      if (!watcherRanIt) runStep(step, modal);
    } catch (const MalformedScenario&) {
      throw;
    } catch (const std::exception& e) {
      emit(dumpJson({{"event", "error"}, {"step", stepId(step)}, {"text", e.what()}}));
    }
    if (modal == nullptr) PageControl().releaseClosed();
  }
}

void Player::runStep(const Step& step, FormModel* modal) {
  switch (step.verb) {
    case StepVerb::Open: return open(step);
    case StepVerb::QueueLookup:
    case StepVerb::QueueAnswer:
    case StepVerb::QueueModal:
    case StepVerb::QueueDialog: return queue(step);
    case StepVerb::Sql: return runSql(step);
    case StepVerb::FirstRun: return firstRun(step);
    default: return runFormStep(step, currentForm(step, modal));
  }
}

FormModel* Player::watchedForm(FormModel* modal) {
  return modal != nullptr ? modal : PageControl().activePage();
}

FormModel& Player::currentForm(const Step& step, FormModel* modal) {
  if (modal != nullptr) return *modal;
  TBaseForm* page = PageControl().activePage();
  if (page == nullptr) throw std::runtime_error(step.where + ": no form is open");
  return *page;
}

void Player::emitOutcome(int outcome, const Step& step, const std::string& actionName) {
  if (outcome == static_cast<int>(Outcome::Aborted)) {
    emit(dumpJson({{"event", "abort"}, {"step", stepId(step)}}));
  } else if (outcome == static_cast<int>(Outcome::Disabled)) {
    emit(dumpJson({{"event", "disabled"}, {"action", actionName}, {"step", stepId(step)}}));
  }
}

void Player::open(const Step& step) {
  TPlugItem* item = plugsPool().plugbyName(step.target);
  if (item == nullptr) malformed(step, "unknown form \"" + step.target + "\"");
  FormModel scratch("", "");  // only its dispatcher: the creator runs before any form exists
  Outcome o = scratch.dispatch([&] { item->create(nullptr, step.billno); });
  emitOutcome(static_cast<int>(o), step, "");
}

void Player::runFormStep(const Step& step, FormModel& form) {
  switch (step.verb) {
    case StepVerb::Do: {
      if (form.findAction(step.target) == nullptr) malformed(step, "unknown action \"" + step.target + "\"");
      emitOutcome(static_cast<int>(form.clickAction(step.target)), step, step.target);
      return;
    }
    case StepVerb::Control: {
      Control* c = form.findControl(step.target);
      if (c == nullptr) malformed(step, "unknown control \"" + step.target + "\"");
      Outcome o = form.dispatch([&] {
        if (step.tag) c->tag = *step.tag;
        if (step.text) form.setControlText(*c, *step.text);
      });
      // A key on a box that takes none (read-only, hidden) is told as a disabled one.
      if (o == Outcome::Done && step.key)
        return emitOutcome(static_cast<int>(form.keyDownControl(step.target, *step.key)), step, step.target);
      return emitOutcome(static_cast<int>(o), step, "");
    }
    case StepVerb::Click:
    case StepVerb::DblClick: {
      if (form.findControl(step.target) == nullptr) malformed(step, "unknown control \"" + step.target + "\"");
      Outcome o = !step.column.empty()           ? form.columnClickControl(step.target, step.column)
                  : step.verb == StepVerb::Click ? form.clickControl(step.target)
                                                 : form.dblClickControl(step.target);
      return emitOutcome(o == Outcome::Disabled ? -1 : static_cast<int>(o), step, "");
    }
    case StepVerb::Dump: return dump(step, form);
    case StepVerb::Close: {
      auto* window = dynamic_cast<TBaseForm*>(&form);
      Outcome o = form.dispatch([&] {
        if (window == nullptr) return;
        if (!window->CloseQuery()) throw core::Abort();  // the user stays in the form
        window->Close();
      });
      return emitOutcome(static_cast<int>(o), step, "");
    }
    default: return runDataSetStep(step, form);
  }
}

void Player::runDataSetStep(const Step& step, FormModel& form) {
  std::string dsName = step.target, fieldName;
  if (step.verb == StepVerb::Set) {
    fieldName = dsName.substr(dsName.find('.') + 1);
    dsName = dsName.substr(0, dsName.find('.'));
  }
  dataset::ClientDataSet* ds = form.findDataSet(dsName);
  if (ds == nullptr) malformed(step, "unknown dataset \"" + dsName + "\"");
  if (step.verb == StepVerb::Set && ds->findField(fieldName) == nullptr)
    malformed(step, "unknown field \"" + step.target + "\"");
  for (const auto& key : step.keys)
    if (ds->findField(key.first) == nullptr) malformed(step, "unknown field \"" + dsName + "." + key.first + "\"");
  // A row is added or deleted as a clerk would, through a grid that offers it.
  const bool rowStep = step.verb == StepVerb::Append || step.verb == StepVerb::Delete;
  if (rowStep && !form.userMayChangeRows(dsName, step.verb == StepVerb::Append))
    return emitOutcome(static_cast<int>(Outcome::Disabled), step, "");
  Outcome o = form.dispatch([&] {
    switch (step.verb) {
      case StepVerb::Set:
        if (ds->state() == dataset::DataSetState::Browse) ds->edit();
        ds->fieldByName(fieldName).setValue(step.value);
        break;
      case StepVerb::Post: ds->post(); break;
      case StepVerb::Cancel: ds->cancel(); break;
      case StepVerb::Append: ds->append(); break;
      case StepVerb::Delete: ds->deleteRecord(); break;
      case StepVerb::Goto:
        if (!step.keys.empty()) {
          if (!ds->locate(step.keys)) throw std::runtime_error(dsName + " has no row with " + keysText(step.keys));
          break;
        }
        if (step.row > ds->recordCount())
          throw std::runtime_error(dsName + " has " + std::to_string(ds->recordCount()) + " rows, no row " +
                                   std::to_string(step.row));
        ds->setRecNo(step.row);
        break;
      default: break;
    }
  });
  emitOutcome(static_cast<int>(o), step, "");
}

void Player::queue(const Step& step) {
  switch (step.verb) {
    case StepVerb::QueueLookup: return ui_->queueLookup(step.target, step.rowsJson);
    case StepVerb::QueueAnswer: return ui_->queueAnswer(modalResultFromText(step.answer));
    case StepVerb::QueueModal: {
      modals_.push_back({step.target, step.steps});
      return;
    }
    default: break;
  }
  DialogReply reply;
  reply.result = modalResultFromText(step.answer);
  if (reply.result == mrNone) malformed(step, "dialog result \"" + step.answer + "\" is not OK, Cancel, Yes or No");
  if (step.text) reply.text = *step.text;
  if (step.khId) reply.kh_id = *step.khId;
  if (step.file) reply.file = *step.file;
  ui_->queueDialog(step.target, std::move(reply));
}

int Player::playModal(FormModel& form) {
  auto it = modals_.begin();
  while (it != modals_.end() && it->className != form.className()) ++it;
  auto* window = dynamic_cast<TBaseForm*>(&form);
  int result = mrCancel;
  if (it != modals_.end()) {
    std::vector<Step> steps = std::move(it->steps);
    modals_.erase(it);
    runSteps(steps, &form);
    if (window != nullptr && window->ModalResult != mrNone) result = window->ModalResult;
  }
  emit(dumpJson({{"event", "modal"}, {"class", form.className()}, {"result", result}}));
  return result;
}

void Player::dump(const Step& step, FormModel& form) {
  if (step.target == "controls" || step.target == "actions") {
    FormDescription d = form.describe();
    Json list = Json::array();
    if (step.target == "controls") {
      for (const ControlView& c : d.controls)
        list.push_back({{"name", c.name}, {"caption", c.caption}, {"text", c.text}, {"tag", c.tag},
                        {"readOnly", c.readOnly}, {"visible", c.visible}});
    } else {
      for (const ActionView& a : d.actions)
        list.push_back({{"name", a.name}, {"caption", a.caption}, {"enabled", a.enabled}, {"visible", a.visible}});
    }
    emit(dumpJson({{"event", "dump"}, {step.target, list}}));
    return;
  }
  dataset::ClientDataSet* ds = form.findDataSet(step.target);
  if (ds == nullptr) malformed(step, "unknown dataset \"" + step.target + "\"");
  Json rows = Json::array();
  for (int r = 0; ds->active() && r < ds->recordCount(); ++r) {
    Json row = Json::object();
    for (int f = 0; f < ds->fieldCount(); ++f) row[ds->field(f).name()] = valueJson(ds->valueAt(r, f));
    rows.push_back(std::move(row));
  }
  emit(dumpJson({{"event", "dump"}, {"dataset", step.target}, {"state", stateName(ds->state())}, {"rows", rows}}));
}

void Player::runSql(const Step& step) {
  db::BatchResult result = connection_.execBatch(sqlTemplate(step.target));
  for (const db::ResultSet& rs : result.resultSets) {
    Json columns = Json::array();
    for (const db::Column& c : rs.columns) columns.push_back(c.name);
    Json rows = Json::array();
    for (const auto& values : rs.rows) {
      Json row = Json::array();
      for (const core::Value& v : values) row.push_back(valueJson(v));
      rows.push_back(std::move(row));
    }
    emit(dumpJson({{"event", "sql"}, {"columns", columns}, {"rows", rows}}));
  }
  if (!result.ok()) emit(dumpJson({{"event", "error"}, {"step", stepId(step)}, {"text", result.errorMessage()}}));
}

// Sets an empty database's shop up as the first-run dialog's OK does; a refusal is the
// dialog's message, and the database stays empty.
void Player::firstRun(const Step& step) {
  FirstRunInput input;
  const auto box = [&step](const char* name, std::string& into) {
    if (auto it = step.firstRun.find(name); it != step.firstRun.end()) into = it->second;
  };
  box("shop", input.shop);
  box("store", input.store);
  box("owner", input.owner);
  box("password", input.password);
  try {
    runFirstRun(connection_, input);
  } catch (const std::runtime_error& e) {
    ui_->messageBox(e.what(), "提示", mtInformation, mbOK);
    emit(dumpJson({{"event", "abort"}, {"step", stepId(step)}}));
  }
}

}  // namespace host
