// ActionBar: one QAction per form action, in the form's order. The standard commands
// carry an icon and a shortcut (the shortcut in the tool tip too); the bill's own
// commands are text only, so the main ones stay in view at 1280 pixels.
#include "apps/coreapp-desktop/action_bar.h"

#include <QAction>
#include <QMenu>
#include <QStyle>
#include <QToolButton>
#include <cctype>

#include "apps/coreapp-desktop/action_keys.h"

#include "host/forms/control.h"
#include "host/forms/form_model.h"

namespace desktop {

std::string actionStem(const std::string& name) { return name.substr(0, name.find('_')); }

namespace {

std::string lowered(std::string text) {
  for (char& ch : text) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
  return text;
}

// The grids after the first (the bill's own lines) by the stem their actions carry:
// "cdshc" -> "acthc".
std::map<std::string, std::string> furtherGridStems(const host::FormModel& form) {
  std::map<std::string, std::string> stems;
  bool first = true;
  for (const host::Control* c : form.controls()) {
    if (c->kind != host::ControlKind::Grid) continue;
    if (!first && c->dataSet.size() > 3) stems["act" + lowered(c->dataSet.substr(3))] = c->dataSet;
    first = false;
  }
  return stems;
}

}  // namespace

ActionBar::ActionBar(host::FormModel& form, Runner run, QWidget* parent)
    : QToolBar(parent), form_(form), run_(std::move(run)) {
  setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
  setIconSize(QSize(16, 16));
  setMovable(false);
  const std::map<std::string, std::string> gridStems = furtherGridStems(form);
  std::string previous;
  std::map<std::string, QMenu*> menus;  // by sub-menu caption
  for (const host::ActionView& a : form.describe().actions) {
    const auto grid = gridStems.find(lowered(actionStem(a.name)));
    if (grid != gridStems.end() && a.group.empty()) {
      gridActions_[grid->second].push_back(makeAction(a.name, a.caption, nullptr));
      continue;
    }
    const bool grouped =
        a.name.find('_') != std::string::npos || previous.find('_') != std::string::npos;
    if (!previous.empty() && grouped && actionStem(a.name) != actionStem(previous)) addSeparator();
    makeAction(a.name, a.caption,
               a.group.empty() ? addAction(QString::fromStdString(a.caption))
                               : subMenu(menus, a.group)->addAction(QString::fromStdString(a.caption)));
    previous = a.name;
  }
}

QAction* ActionBar::makeAction(const std::string& name, const std::string& caption, QAction* placed) {
  QAction* button = placed != nullptr ? placed : new QAction(QString::fromStdString(caption), this);
  button->setObjectName(QString::fromStdString(name));
  const ActionLook look = actionLook(name, *style());
  if (look.known) {
    button->setIcon(look.icon);
    button->setShortcut(look.shortcut);
    button->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    button->setToolTip(QString::fromStdString(caption) + " (" +
                       look.shortcut.toString(QKeySequence::NativeText) + ")");
  }
  connect(button, &QAction::triggered, this, [this, name] {
    run_([&] { form_.clickAction(name); });
    if (afterClick) afterClick(name);
  });
  buttons_[name] = button;
  return button;
}

std::vector<QAction*> ActionBar::gridActions(const std::string& dataSet) const {
  auto it = gridActions_.find(dataSet);
  return it == gridActions_.end() ? std::vector<QAction*>{} : it->second;
}

QMenu* ActionBar::subMenu(std::map<std::string, QMenu*>& menus, const std::string& caption) {
  QMenu*& menu = menus[caption];
  if (menu != nullptr) return menu;
  auto* opener = new QToolButton(this);
  opener->setText(QString::fromStdString(caption));
  opener->setPopupMode(QToolButton::InstantPopup);
  menu = new QMenu(opener);
  opener->setMenu(menu);
  addWidget(opener);
  return menu;
}

void ActionBar::refresh() {
  form_.updateActions();
  for (auto& [name, button] : buttons_) {
    const host::Action* a = form_.findAction(name);
    if (a == nullptr) continue;
    button->setText(QString::fromStdString(a->caption));
    button->setEnabled(a->enabled);
    button->setVisible(a->visible);
  }
}

QAction* ActionBar::button(const std::string& name) const {
  auto it = buttons_.find(name);
  return it == buttons_.end() ? nullptr : it->second;
}

}  // namespace desktop
