// ListCellEditor: the cell editor of a grid column whose values come from a list (an
// account, a settlement method, a fixed text). The clerk types (an input method's text
// too); the entries that begin with the typed text show under the cell, the best one
// highlighted, Up and Down move the highlight, and leaving the cell picks the
// highlighted entry. Leaving without typing or choosing keeps the cell's value.
#pragma once

#include <QLineEdit>
#include <QStringList>
#include <optional>
#include <vector>

class QListWidget;

namespace desktop {

class ListCellEditor : public QLineEdit {
 public:
  //! `freeText`: a typed text that begins no entry is taken as it is (the form may know
  //! it by another name: a host list's code).
  ListCellEditor(QStringList entries, bool freeText, QWidget* parent);

  //! Shows the cell's value; nothing is typed or chosen yet.
  void setValue(const QString& value);
  //! What leaving the cell writes: the highlighted entry; "" when the text was cleared;
  //! the typed text of a free-text list that begins no entry; none: keep the value.
  std::optional<QString> picked() const;
  //! The names offered under the cell now, the highlighted one at highlightedRow().
  QStringList offered() const;
  int highlightedRow() const;

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void offer(const QString& typed);
  void moveHighlight(int step);
  void showList();
  void pickClicked();

  QStringList entries_;
  std::vector<int> offered_;  // entries_ indexes, in the order shown
  QListWidget* list_;
  bool freeText_;
  bool choosing_ = false;  // typed or moved through the list since the value was shown
};

}  // namespace desktop
