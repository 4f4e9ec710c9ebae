// ScriptedUi: queued answers in, transcript events out. Events are built with ordered
// keys so that a transcript reads in the order the command-line contract lists them.
#include "host/scripted_ui.h"

#include <nlohmann/json.hpp>

#include "host/services/data_services.h"

namespace host {

namespace {

using Json = nlohmann::ordered_json;

std::string dumpEvent(const Json& event) {
  return event.dump(-1, ' ', false, Json::error_handler_t::replace);
}

// A scenario's value as the text a lookup row carries.
std::string valueText(const Json& v) {
  if (v.is_string()) return v.get<std::string>();
  if (v.is_null()) return "";
  if (v.is_boolean()) return v.get<bool>() ? "True" : "False";
  return v.dump();
}

// The candidate row whose columns match every key the queued row names that is also a
// candidate column; -1 when none does (or the row names no candidate column).
int matchingCandidate(const Json& row, const tsql::ResultSet& candidates) {
  for (std::size_t r = 0; r < candidates.rows.size(); ++r) {
    bool named = false, same = true;
    for (std::size_t c = 0; c < candidates.columns.size() && same; ++c) {
      auto it = row.find(candidates.columns[c].name);
      if (it == row.end()) continue;
      named = true;
      same = valueText(*it) == jsonText(candidates.rows[r][c]);
    }
    if (named && same) return static_cast<int>(r);
  }
  return -1;
}

// The queued rows, each completed from its matching candidate row.
std::string completeRows(const std::string& rowsJson, const tsql::ResultSet& candidates) {
  Json rows = Json::parse(rowsJson);
  Json out = Json::array();
  for (const Json& row : rows) {
    Json obj = Json::object();
    int match = row.is_object() ? matchingCandidate(row, candidates) : -1;
    if (match >= 0) {
      const auto& values = candidates.rows[static_cast<std::size_t>(match)];
      for (std::size_t c = 0; c < candidates.columns.size() && c < values.size(); ++c)
        obj[candidates.columns[c].name] = jsonText(values[c]);
    }
    if (row.is_object())
      for (const auto& [key, value] : row.items()) obj[key] = valueText(value);
    out.push_back(std::move(obj));
  }
  return out.dump(-1, ' ', false, Json::error_handler_t::replace);
}

}  // namespace

void ScriptedUi::emit(const std::string& event) {
  transcript_.push_back(event);
  if (sink_) sink_(event);
}

std::size_t ScriptedUi::pendingAnswers() const {
  std::size_t n = answers_.size() + static_cast<std::size_t>(progressStops_);
  for (const auto& [caption, queue] : lookups_) n += queue.size();
  for (const auto& [name, queue] : dialogs_) n += queue.size();
  return n;
}

int ScriptedUi::messageBox(std::string_view text, std::string_view caption, int type,
                           MsgButtons buttons) {
  Json event = {{"event", "message"}, {"type", type}, {"caption", caption}, {"text", text}};
  int result = mrOK;
  if ((buttons & ~mbOK) != 0) {  // a confirmation or question: someone has to answer
    if (!answers_.empty()) {
      result = answers_.front();
      answers_.pop_front();
    } else {
      result = (buttons & mbOK) != 0 ? mrOK : mrYes;
    }
    event["answer"] = modalResultText(result);
  }
  emit(dumpEvent(event));
  return result;
}

std::string ScriptedUi::lookup(const LookupRequest& request) {
  emit(dumpEvent({{"event", "lookup"},
                  {"caption", request.caption},
                  {"filter", request.filter},
                  {"options", request.options}}));
  auto it = lookups_.find(request.caption);
  if (it == lookups_.end() || it->second.empty()) return "";  // nobody chose: cancelled
  std::string rows = std::move(it->second.front());
  it->second.pop_front();
  std::string chosen = completeRows(rows, request.candidates);
  return chosen == "[]" ? std::string() : chosen;
}

int ScriptedUi::showModal(FormModel& form) {
  // The runner plays the form's queued steps and writes the "modal" event itself.
  return modalRunner_ ? modalRunner_(form) : mrCancel;
}

DialogReply ScriptedUi::hostDialog(std::string_view className, const DialogArgs& /*args*/) {
  DialogReply reply;  // unqueued: the user closed it
  auto it = dialogs_.find(std::string(className));
  if (it != dialogs_.end() && !it->second.empty()) {
    reply = std::move(it->second.front());
    it->second.pop_front();
  }
  emit(dumpEvent({{"event", "dialog"}, {"class", className}, {"result", reply.result}}));
  return reply;
}

void ScriptedUi::printed(const PrintJob& job) {
  prints_.push_back(job);
  Json datasets = Json::object();
  for (const auto& [name, rows] : job.datasets) datasets[name] = rows;
  Json values = Json::object();
  for (const auto& [name, value] : job.values) values[name] = value;
  emit(dumpEvent(
      {{"event", "print"}, {"code", job.code}, {"datasets", datasets}, {"values", values}}));
}

void ScriptedUi::drawerOpened() { emit(dumpEvent({{"event", "drawer"}})); }

void ScriptedUi::log(std::string_view tag, std::string_view text) {
  log_.emplace_back(std::string(tag), std::string(text));
  if (logEvents_) emit(dumpEvent({{"event", "log"}, {"tag", tag}, {"text", text}}));
}

bool ScriptedUi::progress(std::string_view caption) {
  if (progressStops_ == 0) return true;  // how often a query asks depends on its speed
  --progressStops_;
  emit(dumpEvent({{"event", "progress"}, {"caption", caption}, {"stopped", true}}));
  return false;
}

}  // namespace host
