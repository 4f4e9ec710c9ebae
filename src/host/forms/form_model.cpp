// FormModel: controls, actions and datasets by name, and the dispatcher that runs a
// user's click. The dispatcher is the one place where the silent abort ends: the code
// that threw it has already told the user why, so nothing more is shown.
#include "host/forms/form_model.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <stdexcept>

#include "core/abort.h"
#include "core/value.h"
#include "dataset/client_data_set.h"

namespace host {

namespace {

// A spin edit holds a whole number within its range: a typed fraction is rounded and a
// number outside the range becomes the nearer end of it, as the editor itself does.
std::string spinText(const Control& c, const std::string& typed) {
  double value = core::Value(typed).asFloat(0.0);
  if (std::isnan(value)) value = 0.0;
  const double whole = std::clamp(std::round(value), static_cast<double>(c.minValue),
                                  static_cast<double>(c.maxValue));
  return std::to_string(static_cast<long long>(whole));
}

}  // namespace

FormModel::FormModel(std::string className, std::string caption)
    : caption(std::move(caption)), className_(std::move(className)) {}

FormModel::~FormModel() = default;

Control& FormModel::addControl(Control control) {
  assert(!controlIndex_.count(control.name) && "control names are unique within a form");
  controls_.push_back(std::make_unique<Control>(std::move(control)));
  Control* c = controls_.back().get();
  controlIndex_[c->name] = c;
  return *c;
}

Control* FormModel::findControl(std::string_view name) {
  auto it = controlIndex_.find(name);
  return it == controlIndex_.end() ? nullptr : it->second;
}

Control& FormModel::control(std::string_view name) {
  if (Control* c = findControl(name)) return *c;
  throw std::out_of_range(className_ + " has no control \"" + std::string(name) + "\"");
}

std::vector<Control*> FormModel::controls() const {
  std::vector<Control*> out;
  for (const auto& c : controls_) out.push_back(c.get());
  return out;
}

Action& FormModel::addAction(std::string name, std::string caption) {
  assert(!actionIndex_.count(name) && "action names are unique within a form");
  actions_.push_back(std::make_unique<Action>(std::move(name), std::move(caption)));
  Action* a = actions_.back().get();
  actionIndex_[a->name] = a;
  return *a;
}

Action* FormModel::findAction(std::string_view name) {
  auto it = actionIndex_.find(name);
  return it == actionIndex_.end() ? nullptr : it->second;
}

Action& FormModel::action(std::string_view name) {
  if (Action* a = findAction(name)) return *a;
  throw std::out_of_range(className_ + " has no action \"" + std::string(name) + "\"");
}

void FormModel::registerDataSet(std::string name, dataset::ClientDataSet& ds) {
  for (auto& [n, p] : dataSets_) {
    if (n == name) {
      p = &ds;
      return;
    }
  }
  dataSets_.emplace_back(std::move(name), &ds);
}

dataset::ClientDataSet* FormModel::findDataSet(std::string_view name) const {
  for (const auto& [n, p] : dataSets_)
    if (n == name) return p;
  return nullptr;
}

bool FormModel::userMayChangeRows(std::string_view dataSet, bool insert) const {
  for (const auto& c : controls_)
    if (c->dataSet == dataSet && c->offersRows(insert)) return true;
  return false;
}

std::vector<std::string> FormModel::dataSetNames() const {
  std::vector<std::string> out;
  for (const auto& entry : dataSets_) out.push_back(entry.first);
  return out;
}

Outcome FormModel::runGuarded(const std::function<void()>& work) {
  try {
    work();
  } catch (const core::Abort&) {
    // The silent abort: whoever threw it has already shown the user why.
    return Outcome::Aborted;
  }
  return Outcome::Done;
}

Outcome FormModel::clickAction(std::string_view name) {
  Action& a = action(name);
  bool ran = true;
  Outcome o = runGuarded([&] { ran = a.click(); });
  return (o == Outcome::Done && !ran) ? Outcome::Disabled : o;
}

Outcome FormModel::clickControl(std::string_view name) {
  Control& c = control(name);
  if (!c.enabled || !c.visible) return Outcome::Disabled;
  const Control::Handler& h = c.onClick ? c.onClick : c.onButtonClick;
  return runGuarded([&] {
    if (h) h();
  });
}

Outcome FormModel::dblClickControl(std::string_view name) {
  Control& c = control(name);
  if (!c.enabled || !c.visible) return Outcome::Disabled;
  return runGuarded([&] {
    if (c.onDblClick) c.onDblClick();
  });
}

Outcome FormModel::keyDownControl(std::string_view name, const std::string& key) {
  Control& c = control(name);
  if (!c.enabled || !c.visible || c.readOnly) return Outcome::Disabled;
  return runGuarded([&] {
    if (c.onKeyDown) c.onKeyDown(key);
  });
}

Outcome FormModel::columnClickControl(std::string_view name, const std::string& field) {
  Control& c = control(name);
  if (!c.visible || !c.onColumnClick) return Outcome::Disabled;
  return runGuarded([&] { c.onColumnClick(field); });
}

std::string FormModel::controlText(const Control& c) const {
  if (!c.isBound()) return c.text;
  dataset::ClientDataSet* ds = findDataSet(c.dataSet);
  if (ds == nullptr || !ds->active() || ds->isEmpty()) return {};
  dataset::Field* f = ds->findField(c.dataField);
  return f == nullptr ? std::string() : f->asString();
}

void FormModel::setControlText(Control& c, const std::string& typed) {
  const std::string text = c.kind == ControlKind::SpinEdit ? spinText(c, typed) : typed;
  if (c.isBound()) {
    dataset::ClientDataSet* ds = findDataSet(c.dataSet);
    if (ds == nullptr)
      throw std::out_of_range(className_ + ": control " + c.name + " is bound to unknown dataset " + c.dataSet);
    if (ds->state() == dataset::DataSetState::Browse) ds->edit();
    ds->fieldByName(c.dataField).setValue(core::Value(text));
  } else {
    c.text = text;
  }
  if (c.onChange) c.onChange();
}

void FormModel::updateActions() {
  for (auto& a : actions_) a->update();
}

FormDescription FormModel::describe() {
  FormDescription d;
  d.className = className_;
  d.caption = caption;
  for (const auto& c : controls_) {
    ControlView v;
    v.name = c->name;
    v.kind = c->kind;
    v.caption = c->caption;
    v.text = controlText(*c);
    v.tag = c->tag;
    v.readOnly = c->readOnly;
    v.visible = c->visible;
    v.enabled = c->enabled;
    v.color = c->color;
    v.format = c->format;
    v.dataSet = c->dataSet;
    v.dataField = c->dataField;
    v.listName = c->listName;
    v.items = c->items;
    v.columns = c->columns;
    v.clickable = static_cast<bool>(c->onClick) || static_cast<bool>(c->onButtonClick);
    v.doubleClickable = static_cast<bool>(c->onDblClick);
    d.controls.push_back(std::move(v));
  }
  updateActions();
  for (const auto& a : actions_)
    d.actions.push_back({a->name, a->caption, a->enabled, a->visible, a->group});
  d.dataSets = dataSetNames();
  return d;
}

}  // namespace host
