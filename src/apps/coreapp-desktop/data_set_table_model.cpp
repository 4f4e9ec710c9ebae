// DataSetTableModel: the dataset's rows as the views know them are kept as bookmarks.
// Every notification compares them with the dataset's visible rows and reports the
// difference as removed and inserted rows, so a view never sees a row count that
// disagrees with what it was told. Cells are read through the bookmark, never the bare
// position, because between a change and its report the positions have already moved.
#include "apps/coreapp-desktop/data_set_table_model.h"

#include <algorithm>

#include "core/abort.h"
#include "core/number_format.h"
#include "dataset/client_data_set.h"
#include "host/forms/money_format.h"

namespace desktop {

namespace {

bool isNumeric(dataset::FieldType t) {
  return t == dataset::FieldType::Integer || t == dataset::FieldType::Float ||
         t == dataset::FieldType::Currency;
}

// The pattern a column shows its numbers with: its own, the field's, or for money
// (a money column or a money field) the shop's amount pattern.
std::string patternOf(const host::GridColumn& col, const dataset::Field& f) {
  if (!col.format.empty()) return col.format;
  if (!f.displayFormat().empty()) return f.displayFormat();
  if (col.editor == "money" || f.type() == dataset::FieldType::Currency) return host::shownMoneyFormat({});
  return {};
}

std::string displayText(const host::GridColumn& col, const dataset::Field& f,
                        const core::Value& v) {
  if (v.isNull()) return {};
  const std::string pattern = patternOf(col, f);
  switch (v.type()) {
    case core::ValueType::Currency:
      return pattern.empty() ? v.asText() : v.asCurrency().format(pattern);
    case core::ValueType::Float:
    case core::ValueType::Integer:
      return pattern.empty() ? v.asText() : core::formatFloat(v.asFloat(), pattern);
    default:
      return v.asText();
  }
}

}  // namespace

DataSetTableModel::DataSetTableModel(dataset::ClientDataSet& ds,
                                     std::vector<host::GridColumn> columns, QObject* parent)
    : QAbstractTableModel(parent), ds_(&ds), configured_(std::move(columns)) {
  source_.setDataSet(&ds);
  source_.onDataChange = [this](dataset::DataSource&, const dataset::Field* f) { sync(f); };
  capture();
}

DataSetTableModel::~DataSetTableModel() = default;

void DataSetTableModel::run(const std::function<void()>& work) {
  if (runner_) return runner_(work);
  lastError_.clear();
  try {
    work();
  } catch (const core::Abort&) {
    // The silent abort: the form has already said why.
  } catch (const std::exception& e) {
    lastError_ = e.what();
  }
}

// ---- following the dataset ----------------------------------------------------------

std::vector<DataSetTableModel::Bookmark> DataSetTableModel::liveRows() const {
  std::vector<Bookmark> out;
  if (source_.dataSet() == nullptr || !ds_->active()) return out;
  const int n = ds_->recordCount();
  out.reserve(static_cast<size_t>(n));
  for (int r = 0; r < n; ++r) out.push_back(ds_->bookmarkAt(r));
  return out;
}

bool DataSetTableModel::structureChanged() const {
  if (source_.dataSet() == nullptr) return !fieldNames_.empty();
  if (static_cast<int>(fieldNames_.size()) != ds_->fieldCount()) return true;
  for (int i = 0; i < ds_->fieldCount(); ++i)
    if (ds_->field(i).name() != fieldNames_[static_cast<size_t>(i)]) return true;
  return false;
}

// Takes the dataset as it is now: fields, columns, rows (inside a model reset).
void DataSetTableModel::capture() {
  fieldNames_.clear();
  columns_.clear();
  const bool attached = source_.dataSet() != nullptr;
  if (attached)
    for (int i = 0; i < ds_->fieldCount(); ++i) fieldNames_.push_back(ds_->field(i).name());
  if (!configured_.empty()) {
    for (const host::GridColumn& c : configured_)
      if (c.visible) columns_.push_back(c);
  } else if (attached) {
    for (int i = 0; i < ds_->fieldCount(); ++i) {
      const dataset::Field& f = ds_->field(i);
      if (!f.visible()) continue;
      host::GridColumn c;
      c.field = f.name();
      c.caption = f.displayLabel();
      columns_.push_back(std::move(c));
    }
  }
  rows_ = liveRows();
  live_.clear();
  for (size_t i = 0; i < rows_.size(); ++i) live_[rows_[i]] = static_cast<int>(i);
}

// Reports the difference between the rows the views know and the dataset's rows as
// one removed block and one inserted block (common head and tail kept).
void DataSetTableModel::syncRows() {
  std::vector<Bookmark> now = liveRows();
  live_.clear();
  for (size_t i = 0; i < now.size(); ++i) live_[now[i]] = static_cast<int>(i);
  if (now == rows_) return;
  size_t head = 0;
  while (head < rows_.size() && head < now.size() && rows_[head] == now[head]) ++head;
  size_t tail = 0;
  while (tail < rows_.size() - head && tail < now.size() - head &&
         rows_[rows_.size() - 1 - tail] == now[now.size() - 1 - tail])
    ++tail;
  const int removed = static_cast<int>(rows_.size() - head - tail);
  const int inserted = static_cast<int>(now.size() - head - tail);
  const int at = static_cast<int>(head);
  if (removed > 0) {
    beginRemoveRows(QModelIndex(), at, at + removed - 1);
    rows_.erase(rows_.begin() + at, rows_.begin() + at + removed);
    endRemoveRows();
  }
  if (inserted > 0) {
    beginInsertRows(QModelIndex(), at, at + inserted - 1);
    rows_.insert(rows_.begin() + at, now.begin() + at, now.begin() + at + inserted);
    endInsertRows();
  }
}

void DataSetTableModel::sync(const dataset::Field* field) {
  if (structureChanged()) {
    beginResetModel();
    capture();
    endResetModel();
  } else if (field != nullptr && static_cast<int>(rows_.size()) == ds_->recordCount()) {
    // One field of the current row was assigned: only its cells changed.
    const int row = currentRow();
    for (int c = 0; c < columnCount() && row >= 0; ++c)
      if (QString::fromStdString(columns_[static_cast<size_t>(c)].field)
              .compare(QString::fromStdString(field->name()), Qt::CaseInsensitive) == 0)
        Q_EMIT dataChanged(index(row, c), index(row, c));
  } else {
    syncRows();
    if (!rows_.empty() && columnCount() > 0)
      Q_EMIT dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
  }
  if (onChanged) onChanged();
}

int DataSetTableModel::livePosition(int row) const {
  if (row < 0 || row >= static_cast<int>(rows_.size()) || source_.dataSet() == nullptr) return -1;
  auto it = live_.find(rows_[static_cast<size_t>(row)]);
  if (it == live_.end() || it->second >= ds_->recordCount()) return -1;
  // Notifications may be held back (DisableControls): trust the position only when
  // the dataset still has that row there.
  return ds_->bookmarkAt(it->second) == it->first ? it->second : -1;
}

const dataset::Field* DataSetTableModel::fieldOf(int c) const {
  if (source_.dataSet() == nullptr || c < 0 || c >= columnCount()) return nullptr;
  return ds_->findField(columns_[static_cast<size_t>(c)].field);
}

int DataSetTableModel::currentRow() const {
  if (source_.dataSet() == nullptr || !ds_->active() || ds_->isEmpty()) return -1;
  auto it = std::find(rows_.begin(), rows_.end(), ds_->bookmark());
  return it == rows_.end() ? -1 : static_cast<int>(it - rows_.begin());
}

void DataSetTableModel::moveTo(int row) {
  if (row < 0 || row >= rowCount() || row == currentRow()) return;
  run([this, row] { goTo(row); });
}

void DataSetTableModel::goTo(int row) {
  if (row < 0 || row >= rowCount() || row == currentRow()) return;
  const Bookmark b = rows_[static_cast<size_t>(row)];
  if (ds_->bookmarkValid(b)) ds_->gotoBookmark(b);
}

// ---- the model interface ------------------------------------------------------------

int DataSetTableModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int DataSetTableModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(columns_.size());
}

bool DataSetTableModel::isTickColumn(int c) const {
  const std::string& editor = column(c).editor;
  if (editor == "check" || editor == "checkbox") return true;
  const dataset::Field* f = fieldOf(c);
  return f != nullptr && f->type() == dataset::FieldType::Boolean;
}

bool DataSetTableModel::isNumberColumn(int c) const {
  const dataset::Field* f = fieldOf(c);
  return f != nullptr && isNumeric(f->type()) && !isTickColumn(c);
}

bool DataSetTableModel::isMoneyColumn(int c) const {
  const dataset::Field* f = fieldOf(c);
  return f != nullptr && (column(c).editor == "money" || f->type() == dataset::FieldType::Currency);
}

std::string DataSetTableModel::displayPattern(int c) const {
  const dataset::Field* f = fieldOf(c);
  return f == nullptr ? std::string() : patternOf(column(c), *f);
}

QVariant DataSetTableModel::data(const QModelIndex& index, int role) const {
  if ((role == Qt::ToolTipRole || role == Qt::StatusTipRole) && index.isValid())
    return headerData(index.column(), Qt::Horizontal, role);
  const int pos = livePosition(index.row());
  const dataset::Field* f = fieldOf(index.column());
  if (!index.isValid() || pos < 0 || f == nullptr) return {};
  const core::Value& v = ds_->valueAt(pos, f->index());
  const bool tick = isTickColumn(index.column());
  switch (role) {
    case Qt::DisplayRole:
      return tick ? QVariant()
                  : QVariant(QString::fromStdString(displayText(column(index.column()), *f, v)));
    case Qt::EditRole:
      return QString::fromStdString(v.asText());
    case Qt::CheckStateRole:
      return tick ? QVariant(v.asBool() ? Qt::Checked : Qt::Unchecked) : QVariant();
    case Qt::TextAlignmentRole:
      return isNumeric(f->type()) ? QVariant(Qt::AlignRight | Qt::AlignVCenter) : QVariant();
    default:
      return {};
  }
}

QVariant DataSetTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
  // A column's hint (its unit) is its tooltip and the status bar's text, on the header
  // and on every cell, since the caption itself stays as the bill names it.
  if ((role == Qt::ToolTipRole || role == Qt::StatusTipRole) && orientation == Qt::Horizontal) {
    if (section < 0 || section >= columnCount() || column(section).hint.empty()) return {};
    return QString::fromStdString(column(section).hint);
  }
  if (role != Qt::DisplayRole) return {};
  if (orientation == Qt::Vertical) return section + 1;
  if (section < 0 || section >= columnCount()) return {};
  return QString::fromStdString(column(section).caption);
}

Qt::ItemFlags DataSetTableModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  Qt::ItemFlags out = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
  const dataset::Field* f = fieldOf(index.column());
  if (readOnly_ || column(index.column()).readOnly || f == nullptr || f->readOnly()) return out;
  return out | (isTickColumn(index.column()) ? Qt::ItemIsUserCheckable : Qt::ItemIsEditable);
}

bool DataSetTableModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  const Qt::ItemFlags f = flags(index);
  const bool tick = role == Qt::CheckStateRole && (f & Qt::ItemIsUserCheckable);
  if (!tick && !(role == Qt::EditRole && (f & Qt::ItemIsEditable))) return false;
  const std::string field = column(index.column()).field;
  const int row = index.row();
  bool done = false;
  run([&] {
    goTo(row);
    if (currentRow() != row) return;  // the move was refused
    if (ds_->state() == dataset::DataSetState::Browse) ds_->edit();
    dataset::Field& target = ds_->fieldByName(field);
    if (tick) {
      const bool on = value.toInt() == Qt::Checked;
      target.setValue(target.type() == dataset::FieldType::Boolean ? core::Value(on)
                                                                   : core::Value(on ? 1 : 0));
    } else {
      target.setValue(core::Value(value.toString().toStdString()));
    }
    done = true;
  });
  return done;
}

QString DataSetTableModel::footerText(int c) const {
  const std::string& kind = column(c).footer;
  const dataset::Field* f = fieldOf(c);
  if (kind.empty() || f == nullptr || !ds_->active()) return {};
  if (kind == "count") return QString::number(ds_->count(f->name()));
  if (!isNumeric(f->type())) return {};
  return QString::fromStdString(displayText(column(c), *f, ds_->sum(f->name())));
}

}  // namespace desktop
