// ActionBar: one QAction per form action, in the form's order. The standard commands
// carry an icon and a shortcut (the shortcut in the tool tip too); the bill's own
// commands are text only, so the main ones stay in view at 1280 pixels.
#include "apps/coreapp-desktop/action_bar.h"

#include <QAction>
#include <QMenu>
#include <QStyle>
#include <QToolButton>

#include "apps/coreapp-desktop/action_keys.h"

#include "host/forms/form_model.h"

namespace desktop {

std::string actionStem(const std::string& name) { return name.substr(0, name.find('_')); }

ActionBar::ActionBar(host::FormModel& form, Runner run, QWidget* parent)
    : QToolBar(parent), form_(form), run_(std::move(run)) {
  setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
  setIconSize(QSize(16, 16));
  setMovable(false);
  std::string previous;
  std::map<std::string, QMenu*> menus;  // by sub-menu caption
  for (const host::ActionView& a : form.describe().actions) {
    const bool grouped =
        a.name.find('_') != std::string::npos || previous.find('_') != std::string::npos;
    if (!previous.empty() && grouped && actionStem(a.name) != actionStem(previous)) addSeparator();
    QAction* button = a.group.empty()
                          ? addAction(QString::fromStdString(a.caption))
                          : subMenu(menus, a.group)->addAction(QString::fromStdString(a.caption));
    button->setObjectName(QString::fromStdString(a.name));
    const ActionLook look = actionLook(a.name, *style());
    if (look.known) {
      button->setIcon(look.icon);
      button->setShortcut(look.shortcut);
      button->setShortcutContext(Qt::WidgetWithChildrenShortcut);
      button->setToolTip(QString::fromStdString(a.caption) + " (" +
                         look.shortcut.toString(QKeySequence::NativeText) + ")");
    }
    const std::string name = a.name;
    connect(button, &QAction::triggered, this,
            [this, name] {
              run_([&] { form_.clickAction(name); });
              if (afterClick) afterClick(name);
            });
    buttons_[a.name] = button;
    previous = a.name;
  }
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
