// Scenario parsing. The file is read with key order kept, because a step's verb is its
// first key. Every shape error names the step ("step 4", "step 3.2" inside a modal
// queue) so a user can find the line to fix.
#include "host/player/scenario.h"

#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

namespace host {

using Json = nlohmann::ordered_json;

const char* stepVerbName(StepVerb verb) {
  switch (verb) {
    case StepVerb::Open: return "open";
    case StepVerb::Do: return "do";
    case StepVerb::Set: return "set";
    case StepVerb::Post: return "post";
    case StepVerb::Cancel: return "cancel";
    case StepVerb::Append: return "append";
    case StepVerb::Delete: return "delete";
    case StepVerb::Goto: return "goto";
    case StepVerb::Control: return "control";
    case StepVerb::Click: return "click";
    case StepVerb::DblClick: return "dblclick";
    case StepVerb::QueueLookup:
    case StepVerb::QueueAnswer:
    case StepVerb::QueueModal:
    case StepVerb::QueueDialog: return "queue";
    case StepVerb::Dump: return "dump";
    case StepVerb::Sql: return "sql";
    case StepVerb::Close: return "close";
    case StepVerb::FirstRun: return "firstrun";
  }
  return "?";
}

namespace {

[[noreturn]] void fail(const std::string& where, const std::string& what) {
  throw MalformedScenario(where + ": " + what);
}

std::string textOf(const Json& v, const std::string& where, const char* key) {
  if (v.is_string()) return v.get<std::string>();
  if (v.is_number()) return v.dump();
  fail(where, std::string("\"") + key + "\" must be a text");
}

std::int64_t intOf(const Json& v, const std::string& where, const char* key) {
  if (v.is_number_integer()) return v.get<std::int64_t>();
  if (v.is_number_float() && v.get<double>() == static_cast<double>(static_cast<std::int64_t>(v.get<double>())))
    return static_cast<std::int64_t>(v.get<double>());
  fail(where, std::string("\"") + key + "\" must be a whole number");
}

core::Value valueOf(const Json& v) {
  if (v.is_null()) return core::Value();
  if (v.is_boolean()) return core::Value(v.get<bool>());
  if (v.is_number_integer()) return core::Value(v.get<std::int64_t>());
  if (v.is_number()) return core::Value(v.get<double>());
  if (v.is_string()) return core::Value(v.get<std::string>());
  return core::Value(v.dump());
}

// Lookup rows reach the editors as the host's lookups give them: every value as text.
std::string rowsAsText(const Json& rows, const std::string& where) {
  if (!rows.is_array()) fail(where, "\"rows\" must be an array of objects");
  Json out = Json::array();
  for (const Json& row : rows) {
    if (!row.is_object()) fail(where, "\"rows\" must be an array of objects");
    Json obj = Json::object();
    for (auto it = row.begin(); it != row.end(); ++it) {
      const Json& v = it.value();
      obj[it.key()] = v.is_string() ? v.get<std::string>() : v.is_null() ? std::string() : v.dump();
    }
    out.push_back(std::move(obj));
  }
  return out.dump();
}

std::vector<Step> parseSteps(const Json& steps, const std::string& prefix);

void parseQueue(const Json& q, Step& s) {
  if (!q.is_object() || q.empty()) fail(s.where, "\"queue\" must be an object naming what to queue");
  const std::string kind = q.begin().key();
  const Json& v = q.begin().value();
  if (kind == "lookup") {
    s.verb = StepVerb::QueueLookup;
    s.target = textOf(v, s.where, "lookup");
    if (!q.contains("rows")) fail(s.where, "a queued lookup needs \"rows\"");
    s.rowsJson = rowsAsText(q["rows"], s.where);
  } else if (kind == "answer") {
    s.verb = StepVerb::QueueAnswer;
    s.answer = textOf(v, s.where, "answer");
    if (s.answer != "OK" && s.answer != "Cancel" && s.answer != "Yes" && s.answer != "No")
      fail(s.where, "answer \"" + s.answer + "\" is not one of OK, Cancel, Yes, No");
  } else if (kind == "modal") {
    s.verb = StepVerb::QueueModal;
    s.target = textOf(v, s.where, "modal");
    if (!q.contains("steps")) fail(s.where, "a queued modal form needs \"steps\"");
    s.steps = parseSteps(q["steps"], s.where.substr(5) + ".");
  } else if (kind == "dialog") {
    s.verb = StepVerb::QueueDialog;
    s.target = textOf(v, s.where, "dialog");
    s.answer = q.contains("result") ? textOf(q["result"], s.where, "result") : "OK";
    if (q.contains("text")) s.text = textOf(q["text"], s.where, "text");
    if (q.contains("kh_id")) s.khId = intOf(q["kh_id"], s.where, "kh_id");
    if (q.contains("file")) s.file = textOf(q["file"], s.where, "file");
  } else {
    fail(s.where, "unknown queue kind \"" + kind + "\" (lookup, answer, modal or dialog)");
  }
}

void parseVerbArguments(const Json& obj, Step& s) {
  switch (s.verb) {
    case StepVerb::Open:
      if (obj.contains("billno")) s.billno = textOf(obj["billno"], s.where, "billno");
      break;
    case StepVerb::Set:
      if (s.target.find('.') == std::string::npos)
        fail(s.where, "\"set\" names a field as \"dataset.field\"");
      if (!obj.contains("value")) fail(s.where, "\"set\" needs a \"value\"");
      s.value = valueOf(obj["value"]);
      break;
    case StepVerb::Goto:
      if (obj.contains("where")) {  // the row a clerk would pick by what it shows, whatever its place
        if (!obj["where"].is_object() || obj["where"].empty())
          fail(s.where, "\"where\" maps field names to values");
        for (auto it = obj["where"].begin(); it != obj["where"].end(); ++it) s.keys.emplace_back(it.key(), valueOf(*it));
        break;
      }
      if (!obj.contains("row")) fail(s.where, "\"goto\" needs a \"row\" or a \"where\"");
      s.row = static_cast<int>(intOf(obj["row"], s.where, "row"));
      if (s.row < 1) fail(s.where, "\"row\" counts from 1");
      break;
    case StepVerb::Control:
      if (obj.contains("text")) s.text = textOf(obj["text"], s.where, "text");
      if (obj.contains("tag")) s.tag = intOf(obj["tag"], s.where, "tag");
      if (obj.contains("key")) s.key = textOf(obj["key"], s.where, "key");
      if (!s.text && !s.tag && !s.key)
        fail(s.where, "\"control\" sets a \"text\", a \"tag\" or presses a \"key\"");
      break;
    case StepVerb::Click:
      if (obj.contains("column")) s.column = textOf(obj["column"], s.where, "column");
      break;
    default:
      break;
  }
}

// The first-run dialog's boxes; a box left out stays empty (the store keeps its default).
std::map<std::string, std::string> parseFirstRun(const Json& arg, const std::string& where) {
  if (!arg.is_object()) fail(where, "\"firstrun\" takes an object of shop, store, owner, password");
  std::map<std::string, std::string> out;
  for (auto it = arg.begin(); it != arg.end(); ++it) {
    if (it.key() != "shop" && it.key() != "store" && it.key() != "owner" && it.key() != "password")
      fail(where, "\"firstrun\" has no box \"" + it.key() + "\"");
    out[it.key()] = textOf(it.value(), where, it.key().c_str());
  }
  return out;
}

Step parseStep(const Json& obj, const std::string& where, int number) {
  static const std::map<std::string, StepVerb> verbs = {
      {"open", StepVerb::Open},     {"do", StepVerb::Do},         {"set", StepVerb::Set},
      {"post", StepVerb::Post},     {"cancel", StepVerb::Cancel}, {"append", StepVerb::Append},
      {"delete", StepVerb::Delete}, {"goto", StepVerb::Goto},     {"control", StepVerb::Control},
      {"click", StepVerb::Click},   {"dblclick", StepVerb::DblClick}, {"dump", StepVerb::Dump},
      {"sql", StepVerb::Sql},       {"close", StepVerb::Close}};
  Step s;
  s.where = where;
  s.number = number;
  if (!obj.is_object() || obj.empty()) fail(where, "a step is an object whose first key is the verb");
  const std::string verb = obj.begin().key();
  const Json& arg = obj.begin().value();
  if (verb == "queue") {
    parseQueue(arg, s);
    return s;
  }
  if (verb == "firstrun") {
    s.verb = StepVerb::FirstRun;
    s.firstRun = parseFirstRun(arg, where);
    return s;
  }
  auto it = verbs.find(verb);
  if (it == verbs.end()) fail(where, "unknown verb \"" + verb + "\"");
  s.verb = it->second;
  if (s.verb == StepVerb::Close) {
    if (!arg.is_boolean() || !arg.get<bool>()) fail(where, "\"close\" takes true");
  } else {
    s.target = textOf(arg, where, verb.c_str());
    if (s.target.empty()) fail(where, "\"" + verb + "\" needs a name");
  }
  parseVerbArguments(obj, s);
  return s;
}

std::vector<Step> parseSteps(const Json& steps, const std::string& prefix) {
  if (!steps.is_array()) fail(prefix.empty() ? "scenario" : "step " + prefix, "\"steps\" must be an array");
  std::vector<Step> out;
  int n = 0;
  for (const Json& obj : steps) {
    ++n;
    out.push_back(parseStep(obj, "step " + prefix + std::to_string(n), n));
  }
  return out;
}

ScenarioLogin parseLogin(const Json& j) {
  const std::string where = "login";
  if (!j.is_object()) fail(where, "must be an object");
  ScenarioLogin l;
  if (j.contains("orgid")) l.orgid = textOf(j["orgid"], where, "orgid");
  if (j.contains("tag")) l.tag = textOf(j["tag"], where, "tag");
  if (j.contains("ck_id")) l.ckId = static_cast<int>(intOf(j["ck_id"], where, "ck_id"));
  if (j.contains("czy_id")) l.czyId = static_cast<int>(intOf(j["czy_id"], where, "czy_id"));
  if (j.contains("code")) l.code = textOf(j["code"], where, "code");
  if (j.contains("name")) l.name = textOf(j["name"], where, "name");
  if (j.contains("rights")) {
    const Json& r = j["rights"];
    if (r.is_string() && r.get<std::string>() == "*") {
      l.allRights = true;
    } else if (r.is_array()) {
      l.allRights = false;
      for (const Json& code : r) l.rights.push_back(textOf(code, where, "rights"));
    } else {
      fail(where, "\"rights\" is \"*\" or an array of rights codes");
    }
  }
  return l;
}

std::map<std::string, std::string> parseTexts(const Json& j, const char* key) {
  if (!j.is_object()) fail(key, "must be an object of texts");
  std::map<std::string, std::string> out;
  for (auto it = j.begin(); it != j.end(); ++it) out[it.key()] = textOf(it.value(), key, it.key().c_str());
  return out;
}

std::map<std::string, bool> parseBillOptions(const Json& j) {
  if (!j.is_object()) fail("billoptions", "must be an object keyed by plug code");
  std::map<std::string, bool> out;
  for (auto it = j.begin(); it != j.end(); ++it) {
    const Json& o = it.value();
    if (!o.is_object()) fail("billoptions", "\"" + it.key() + "\" must be an object");
    out[it.key()] = o.contains("newbill") && o["newbill"].is_boolean() && o["newbill"].get<bool>();
  }
  return out;
}

}  // namespace

Scenario Scenario::parse(std::string_view json) {
  Json root;
  try {
    root = Json::parse(json);
  } catch (const Json::exception& e) {  // a syntax error, or a number past any double
    throw MalformedScenario(std::string("scenario is not valid JSON: ") + e.what());
  }
  if (!root.is_object()) throw MalformedScenario("scenario: must be a JSON object");
  Scenario sc;
  if (!root.contains("login")) throw MalformedScenario("scenario: \"login\" is missing");
  sc.login = parseLogin(root["login"]);
  if (root.contains("settings")) sc.settings = parseTexts(root["settings"], "settings");
  if (root.contains("rules")) sc.rules = parseTexts(root["rules"], "rules");
  if (root.contains("billoptions")) sc.newBillOptions = parseBillOptions(root["billoptions"]);
  if (!root.contains("steps")) throw MalformedScenario("scenario: \"steps\" is missing");
  sc.steps = parseSteps(root["steps"], "");
  return sc;
}

Scenario Scenario::load(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw MalformedScenario("cannot read scenario file " + path);
  std::ostringstream text;
  text << in.rdbuf();
  return parse(text.str());
}

}  // namespace host
