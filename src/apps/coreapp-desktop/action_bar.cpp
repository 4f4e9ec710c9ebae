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

// The line grid's dataset when the form hides its add-line action: lines are typed into
// that grid, so the grid's own commands add them. Empty otherwise.
std::string typedLinesGrid(host::FormModel& form) {
  const host::Action* add = form.findAction("actDetail_Add");
  if (add == nullptr || add->visible) return {};
  for (const host::Control* c : form.controls())
    if (c->kind == host::ControlKind::Grid) return c->dataSet;
  return {};
}

}  // namespace

ActionBar::ActionBar(host::FormModel& form, Runner run, QWidget* parent)
    : QToolBar(parent), form_(form), run_(std::move(run)), typedLines_(typedLinesGrid(form)) {
  setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
  setIconSize(QSize(16, 16));
  setMovable(false);
  std::map<std::string, std::string> gridStems = furtherGridStems(form);
  if (!typedLines_.empty()) gridStems["actdetail"] = typedLines_;
  std::string previous;
  std::map<std::string, QMenu*> menus;      // by sub-menu caption
  std::map<std::string, QMenu*> gridMenus;  // by data set and sub-menu caption
  for (const host::ActionView& a : form.describe().actions) {
    const auto grid = gridStems.find(lowered(actionStem(a.name)));
    if (grid != gridStems.end()) {
      // A further grid's sub-menu goes with that grid too, as one drop-down of its row.
      QMenu*& menu = gridMenus[grid->second + '\n' + a.group];
      if (!a.group.empty() && menu == nullptr) {
        menu = new QMenu(QString::fromStdString(a.group), this);
        gridActions_[grid->second].push_back(menu->menuAction());
      }
      QAction* placed = a.group.empty() ? nullptr : menu->addAction(QString::fromStdString(a.caption));
      QAction* made = makeAction(a.name, a.caption, placed);
      const bool hiddenAdd =
          grid->second == typedLines_ && a.name == "actDetail_Add";  // the row's 添加行 adds
      if (a.group.empty() && !hiddenAdd) gridActions_[grid->second].push_back(made);
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
  auto* shown = look.iconOnly ? qobject_cast<QToolButton*>(widgetForAction(button)) : nullptr;
  if (shown != nullptr) shown->setToolButtonStyle(Qt::ToolButtonIconOnly);  // the caption stays in the tool tip
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
