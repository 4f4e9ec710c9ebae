// Whether a window of the shell fits a clerk's screen: it is no larger than the screen,
// its tool bar keeps every shown command out of the overflow menu, its dialog buttons
// and status bar lie inside it, and each grid shows several rows.
#pragma once

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QStatusBar>
#include <QTableView>
#include <QToolBar>
#include <string>

namespace desktop_test {

//! Rows a grid shows without scrolling.
inline int rowsShown(const QTableView& table) {
  const int rowHeight = table.verticalHeader()->defaultSectionSize();
  return rowHeight > 0 ? table.viewport()->height() / rowHeight : 0;
}

//! True when `child` lies wholly inside `top`.
inline bool inside(const QWidget& top, const QWidget& child) {
  const QRect r(child.mapTo(&top, QPoint(0, 0)), child.size());
  return top.rect().contains(r);
}

//! Checks `top`, shown at its size, against a screen of `screen`; `where` names it.
inline void expectFits(const QWidget& top, QSize screen, const std::string& where) {
  const std::string at = where + " at " + std::to_string(screen.width()) + "x" + std::to_string(screen.height());
  EXPECT_LE(top.width(), screen.width()) << at;
  EXPECT_LE(top.height(), screen.height()) << at;
  for (const QToolBar* bar : top.findChildren<QToolBar*>()) {
    if (!bar->isVisible()) continue;
    for (QAction* a : bar->actions()) {
      if (!a->isVisible() || a->isSeparator()) continue;
      const QWidget* button = bar->widgetForAction(a);
      EXPECT_TRUE(button != nullptr && button->isVisible() && inside(top, *button))
          << at << ": command " << a->text().toStdString() << " (" << a->objectName().toStdString() << " of "
          << bar->objectName().toStdString() << ") is not in view";
    }
  }
  for (const QDialogButtonBox* box : top.findChildren<QDialogButtonBox*>())
    for (const QAbstractButton* b : box->buttons())
      EXPECT_TRUE(b->isVisible() && inside(top, *b)) << at << ": button " << b->text().toStdString();
  for (const QStatusBar* status : top.findChildren<QStatusBar*>())
    EXPECT_TRUE(status->isVisible() && inside(top, *status)) << at << ": status bar";
  for (const QTableView* table : top.findChildren<QTableView*>()) {
    if (!table->isVisible()) continue;
    EXPECT_GE(rowsShown(*table), 3) << at << ": grid under " << table->parentWidget()->objectName().toStdString();
  }
}

}  // namespace desktop_test
