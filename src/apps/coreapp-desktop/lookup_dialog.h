// LookupDialog: the host's lookup window — the rows a lookup query found, a search box
// that narrows them as the user types, and single or multiple choice. The chosen rows
// come back as the JSON array text the forms read (objects keyed by column, values as
// text), "" when the window was cancelled.
#pragma once

#include <QDialog>
#include <string>
#include <vector>

#include "tsql/batch_result.h"

class QLineEdit;
class QSortFilterProxyModel;
class QStandardItemModel;
class QTableView;

namespace desktop {

class LookupDialog : public QDialog {
 public:
  LookupDialog(const QString& caption, const tsql::ResultSet& rows, bool multi,
               QWidget* parent = nullptr);

  //! The chosen rows as JSON array text ("" when none is chosen).
  std::string chosenJson() const;
  //! Types a search text (what the search box does).
  void search(const QString& text);
  //! Number of rows the search leaves.
  int shownRows() const;
  //! Selects the shown row `row` (adding to the selection when multi).
  void choose(int row);

 private:
  void showChoosingColumns();
  const tsql::ResultSet& rows_;
  QLineEdit* searchBox_;
  QStandardItemModel* model_;
  QSortFilterProxyModel* filter_;
  QTableView* table_;
};

//! The JSON array text of rows `chosen` of `rows` ("" when `chosen` is empty).
std::string rowsJson(const tsql::ResultSet& rows, const std::vector<int>& chosen);

}  // namespace desktop
