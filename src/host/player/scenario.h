// Scenario: a parsed `coreapp play` file: the login, host settings, control rules, bill
// options and the steps that drive the forms. Parsing checks the shape of every step
// (known verb, arguments of the right kind) and names the step it rejects; names of
// forms, datasets, fields, controls and actions are checked when the step runs.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "core/value.h"

namespace host {

//! A scenario the player cannot run as written (exit 2); the message names the step.
class MalformedScenario : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

//! Who signs in: the login record and the rights granted.
struct ScenarioLogin {
  std::string orgid;
  std::string tag;
  int ckId = 0;
  int czyId = 0;
  std::string code;
  std::string name;
  bool allRights = true;              //!< "rights": "*"
  std::vector<std::string> rights;    //!< rights codes when not all
};

enum class StepVerb {
  Open, Do, Set, Post, Cancel, Append, Delete, Goto, Control, Click, DblClick,
  QueueLookup, QueueAnswer, QueueModal, QueueDialog, Dump, Sql, Close, FirstRun,
};

//! The verb's name as it is written in a scenario ("queue" for the four queue kinds).
const char* stepVerbName(StepVerb verb);

struct Step {
  std::string where;   //!< "step 4", or "step 3.2" inside a queued modal form
  int number = 0;      //!< 1-based position in its own list
  StepVerb verb = StepVerb::Open;
  std::string target;  //!< plug code/caption, action, "ds.field", dataset, control, lookup
                       //!< caption, modal or dialog class, dump subject, SQL text
  std::string billno;  //!< open
  core::Value value;   //!< set
  int row = 0;         //!< goto by position
  std::vector<std::pair<std::string, core::Value>> keys;  //!< goto by field values
  std::optional<std::string> text;        //!< control; dialog reason text
  std::optional<std::int64_t> tag;        //!< control
  std::optional<std::string> key;         //!< control: a key pressed after the text ("Enter")
  std::string column;                     //!< click: a grid's column header (its field)
  std::string rowsJson;                   //!< queued lookup rows: JSON array text, values as text
  std::string answer;                     //!< queued answer "OK" "Cancel" "Yes" "No"; dialog result
  std::optional<std::int64_t> khId;       //!< dialog: default customer chosen
  std::optional<std::string> file;        //!< dialog: file chosen
  std::vector<Step> steps;                //!< queued modal form's steps
  std::map<std::string, std::string> firstRun;  //!< firstrun: shop, store, owner, password
};

struct Scenario {
  ScenarioLogin login;
  std::map<std::string, std::string> settings;  //!< host settings
  std::map<std::string, std::string> rules;     //!< control rules
  std::map<std::string, bool> newBillOptions;   //!< plug code -> start with a new bill
  std::vector<Step> steps;

  //! Parses a scenario text; throws MalformedScenario naming the step or the key.
  static Scenario parse(std::string_view json);
  //! Reads and parses a file; throws MalformedScenario when it cannot be read.
  static Scenario load(const std::string& path);
};

}  // namespace host
