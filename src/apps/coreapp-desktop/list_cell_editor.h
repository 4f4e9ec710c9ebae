// ListCellEditor: the editor of a value taken from a list (an account, a settlement
// method, a fixed text), in a grid's cell and as a header's combo box alike. The clerk
// types (an input method's text too); the entries that begin with the typed text show
// under the box, the best one highlighted, Up and Down move the highlight, and leaving
// picks the highlighted entry. Leaving without typing or choosing keeps the value.
#pragma once

#include <QLineEdit>
#include <QStringList>
#include <optional>
#include <utility>
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
  //! The list changed (a header combo's list is the form's).
  void setEntries(QStringList entries) { entries_ = std::move(entries); }
  const QStringList& entries() const { return entries_; }
  //! True from the first key typed or moved through the list until setValue().
  bool choosing() const { return choosing_; }
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
