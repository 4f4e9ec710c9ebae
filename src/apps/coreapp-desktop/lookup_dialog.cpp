// LookupDialog: a table over the candidate rows with a filter over every column.
// Only the columns a clerk chooses by are shown, with Chinese captions (ids, marks and
// internals are hidden); the forms still get every column of the row.
#include "apps/coreapp-desktop/lookup_dialog.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSortFilterProxyModel>
#include <QStandardItemModel>
#include <QTableView>
#include <QVBoxLayout>
#include <nlohmann/json.hpp>

#include "apps/coreapp-desktop/lookup_columns.h"
#include "host/forms/money_format.h"
#include "host/print/print_template.h"
#include "host/services/data_services.h"

namespace desktop {

namespace {

bool isMoney(const tsql::Column& column, const core::Value& v) {
  return column.type == core::ValueType::Currency || v.type() == core::ValueType::Currency;
}

// A price reads as it does in the bill's grid; every other cell as the row holds it.
std::string shownText(const tsql::Column& column, const core::Value& v) {
  if (v.isNull() || !isMoney(column, v)) return host::jsonText(v);
  return v.asCurrency().format(host::shownMoneyFormat({}));
}

}  // namespace

std::string rowsJson(const tsql::ResultSet& rows, const std::vector<int>& chosen) {
  if (chosen.empty()) return {};
  nlohmann::ordered_json out = nlohmann::ordered_json::array();
  for (int r : chosen) {
    nlohmann::ordered_json obj = nlohmann::ordered_json::object();
    const auto& values = rows.rows[static_cast<size_t>(r)];
    for (size_t c = 0; c < rows.columns.size() && c < values.size(); ++c)
      obj[rows.columns[c].name] = host::jsonText(values[c]);
    out.push_back(std::move(obj));
  }
  return out.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
}

LookupDialog::LookupDialog(const QString& caption, const tsql::ResultSet& rows, bool multi,
                           QWidget* parent)
    : QDialog(parent), rows_(rows) {
  setWindowTitle(caption);
  resize(720, 460);
  auto* layout = new QVBoxLayout(this);
  auto* searchRow = new QHBoxLayout;
  searchRow->addWidget(new QLabel("查找：", this));
  searchBox_ = new QLineEdit(this);
  searchRow->addWidget(searchBox_, 1);
  layout->addLayout(searchRow);
  model_ = new QStandardItemModel(static_cast<int>(rows.rows.size()),
                                  static_cast<int>(rows.columns.size()), this);
  for (size_t c = 0; c < rows.columns.size(); ++c)
    model_->setHeaderData(static_cast<int>(c), Qt::Horizontal,
                          QString::fromStdString(lookupCaption(rows.columns[c].name)));
  for (size_t r = 0; r < rows.rows.size(); ++r)
    for (size_t c = 0; c < rows.columns.size() && c < rows.rows[r].size(); ++c) {
      auto* item = new QStandardItem(QString::fromStdString(shownText(rows.columns[c], rows.rows[r][c])));
      if (isMoney(rows.columns[c], rows.rows[r][c])) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
      item->setData(static_cast<int>(r), Qt::UserRole);
      item->setEditable(false);
      model_->setItem(static_cast<int>(r), static_cast<int>(c), item);
    }
  filter_ = new QSortFilterProxyModel(this);
  filter_->setSourceModel(model_);
  filter_->setFilterKeyColumn(-1);
  filter_->setFilterCaseSensitivity(Qt::CaseInsensitive);
  table_ = new QTableView(this);
  table_->setModel(filter_);
  table_->setSelectionBehavior(QAbstractItemView::SelectRows);
  table_->setSelectionMode(multi ? QAbstractItemView::MultiSelection
                                 : QAbstractItemView::SingleSelection);
  table_->verticalHeader()->hide();
  showChoosingColumns();
  layout->addWidget(table_, 1);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->button(QDialogButtonBox::Ok)->setText("确定");
  buttons->button(QDialogButtonBox::Cancel)->setText("取消");
  layout->addWidget(buttons);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(searchBox_, &QLineEdit::textChanged, this, [this](const QString& t) { search(t); });
  if (!multi) connect(table_, &QTableView::doubleClicked, this, &QDialog::accept);
  // One choice starts on the first row; several start with none (a click toggles).
  if (!multi && filter_->rowCount() > 0) table_->selectRow(0);
}

// The captioned columns; a lookup of other data (none captioned) shows its columns by
// name, still without keys and secrets.
void LookupDialog::showChoosingColumns() {
  bool anyCaptioned = false;
  for (const tsql::Column& c : rows_.columns) anyCaptioned |= !lookupCaption(c.name).empty();
  for (size_t c = 0; c < rows_.columns.size(); ++c) {
    const std::string& name = rows_.columns[c].name;
    const bool shown = anyCaptioned ? !lookupCaption(name).empty()
                                    : !host::isKeyField(name) && !host::isSecretField(name);
    if (shown && !anyCaptioned)
      model_->setHeaderData(static_cast<int>(c), Qt::Horizontal, QString::fromStdString(name));
    table_->setColumnHidden(static_cast<int>(c), !shown);
  }
}

void LookupDialog::search(const QString& text) {
  if (searchBox_->text() != text) searchBox_->setText(text);
  filter_->setFilterFixedString(text);
  if (table_->selectionMode() == QAbstractItemView::SingleSelection && filter_->rowCount() > 0 &&
      !table_->selectionModel()->hasSelection())
    table_->selectRow(0);
}

int LookupDialog::shownRows() const { return filter_->rowCount(); }

void LookupDialog::choose(int row) {
  const QModelIndex index = filter_->index(row, 0);
  if (table_->selectionMode() == QAbstractItemView::SingleSelection)
    table_->selectionModel()->clearSelection();
  table_->selectionModel()->select(index, QItemSelectionModel::Select | QItemSelectionModel::Rows);
}

std::string LookupDialog::chosenJson() const {
  std::vector<int> chosen;
  for (const QModelIndex& index : table_->selectionModel()->selectedRows())
    chosen.push_back(filter_->mapToSource(index).row());
  std::sort(chosen.begin(), chosen.end());
  return rowsJson(rows_, chosen);
}

}  // namespace desktop
