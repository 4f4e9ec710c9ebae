// DataSetTableModel: a Qt table model over one of a form's client datasets. Columns
// are the grid control's columns (or the dataset's visible fields when the grid names
// none); cells show the display text through the column's pattern; an edit assigns
// the field on the row as typing into a grid cell does, so the form's events run.
// The model watches the dataset through a DataSource of its own and reports inserted
// and removed rows and changed fields to its views.
// Ownership: the dataset belongs to the form; either may be destroyed first.
#pragma once

#include <QAbstractTableModel>
#include <cstdint>
#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

#include "dataset/data_source.h"
#include "host/forms/control.h"

namespace dataset {
class ClientDataSet;
class Field;
}  // namespace dataset

namespace desktop {

//! Runs a piece of form code for the shell: the dispatcher's abort rule, errors shown.
using Runner = std::function<void(const std::function<void()>& work)>;

class DataSetTableModel : public QAbstractTableModel {
 public:
  //! `columns` empty: one column per visible field of the dataset.
  DataSetTableModel(dataset::ClientDataSet& ds, std::vector<host::GridColumn> columns,
                    QObject* parent = nullptr);
  ~DataSetTableModel() override;

  //! What runs edits and cursor moves (default: run, keeping the last error's text).
  void setRunner(Runner runner) { runner_ = std::move(runner); }
  //! A read-only grid accepts no edits (the form's edit mode is off).
  void setReadOnly(bool on) { readOnly_ = on; }
  bool readOnly() const { return readOnly_; }
  //! The text of the last failure the default runner kept ("" when none).
  const std::string& lastError() const { return lastError_; }

  //! The column shown at `c`.
  const host::GridColumn& column(int c) const { return columns_[static_cast<size_t>(c)]; }
  //! True when column `c` shows a tick box (boolean field or a check editor).
  bool isTickColumn(int c) const;
  //! True when column `c` holds a number (integer, float or money field).
  bool isNumberColumn(int c) const;
  //! True when column `c` shows money (a money column or a money field).
  bool isMoneyColumn(int c) const;
  //! The display pattern column `c` shows its numbers with ("" = plain text).
  std::string displayPattern(int c) const;
  //! The column's footer: the sum or count over the visible rows, "" when it has none.
  QString footerText(int c) const;
  //! The row of the dataset's cursor, -1 when there is none.
  int currentRow() const;
  //! Moves the dataset's cursor to `row`, as clicking the row does (scroll events run).
  void moveTo(int row);
  //! Runs after every change the model reported (views follow the cursor, footers).
  std::function<void()> onChanged;

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation,
                      int role = Qt::DisplayRole) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

 private:
  using Bookmark = std::uint64_t;

  void sync(const dataset::Field* field);
  void syncRows();
  bool structureChanged() const;
  void capture();
  std::vector<Bookmark> liveRows() const;
  int livePosition(int row) const;
  void goTo(int row);
  const dataset::Field* fieldOf(int c) const;
  void run(const std::function<void()>& work);

  dataset::ClientDataSet* ds_;
  dataset::DataSource source_;
  std::vector<host::GridColumn> configured_;  // as given; empty = follow the fields
  std::vector<host::GridColumn> columns_;     // visible columns shown
  std::vector<std::string> fieldNames_;       // the dataset's fields when last captured
  std::vector<Bookmark> rows_;                // rows as the views know them
  std::unordered_map<Bookmark, int> live_;    // bookmark -> position in the dataset
  bool readOnly_ = false;
  Runner runner_;
  std::string lastError_;
};

}  // namespace desktop
