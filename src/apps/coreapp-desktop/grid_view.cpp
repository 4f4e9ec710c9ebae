// GridView: the table, its footer and the cell editors. Editing starts with a key or a
// click on the selected cell; a double click is kept for the button columns, whose
// button handler (a lookup, usually) must not race an open cell editor.
#include "apps/coreapp-desktop/grid_view.h"

#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QRegularExpressionValidator>
#include <QScrollBar>
#include <QStatusTipEvent>
#include <QStyledItemDelegate>
#include <QTabWidget>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

#include "apps/coreapp-desktop/list_cell_editor.h"
#include "dataset/client_data_set.h"
#include "host/forms/form_model.h"

namespace desktop {

namespace {

// Rows every grid shows without scrolling, so a clerk sees more than the current line.
constexpr int kRowsAlwaysShown = 3;

// A bill number (A1100202612060001) is read whole: its column is never narrower, in a
// bill's lines and in every picker alike.
bool isBillNumber(const std::string& field) {
  return field == "orderno" ||
         (field.size() >= 6 && field.compare(field.size() - 6, 6, "billno") == 0);
}

int billNumberWidth(const QFontMetrics& metrics) {
  return metrics.horizontalAdvance(QStringLiteral("A1100202612060001")) +
         2 * metrics.averageCharWidth();
}

bool sameName(const std::string& a, const std::string& b) {
  return QString::fromStdString(a).compare(QString::fromStdString(b), Qt::CaseInsensitive) == 0;
}

// Cells of columns with a list of texts are edited with a ListCellEditor.
class ComboDelegate : public QStyledItemDelegate {
 public:
  ComboDelegate(DataSetTableModel& model, QObject* parent)
      : QStyledItemDelegate(parent), model_(model) {}

  QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                        const QModelIndex& index) const override {
    const host::GridColumn& col = model_.column(index.column());
    if (col.items.empty()) {
      QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
      // A number cell takes digits, one point and a leading minus, nothing else.
      if (auto* line = qobject_cast<QLineEdit*>(editor); line && model_.isNumberColumn(index.column())) {
        static const QRegularExpression number("-?[0-9]*\\.?[0-9]*");
        line->setValidator(new QRegularExpressionValidator(number, line));
        line->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
      }
      return editor;
    }
    // A fixed list takes only its texts. A host list (lookup column) hands a text that
    // names no entry to the form, which finds the entry by its code or stores none.
    QStringList names;
    for (const std::string& item : col.items) names << QString::fromStdString(item);
    return new ListCellEditor(names, col.editor != "combo", parent);
  }
  void setEditorData(QWidget* editor, const QModelIndex& index) const override {
    if (auto* list = dynamic_cast<ListCellEditor*>(editor))
      list->setValue(index.data(Qt::EditRole).toString());
    else
      QStyledItemDelegate::setEditorData(editor, index);
  }
  // A list cell left without a choice keeps its value: nothing is written, so no field
  // changes and no recalculation runs.
  void setModelData(QWidget* editor, QAbstractItemModel* model,
                    const QModelIndex& index) const override {
    if (auto* list = dynamic_cast<ListCellEditor*>(editor)) {
      const std::optional<QString> picked = list->picked();
      if (picked && *picked != index.data(Qt::EditRole).toString())
        model->setData(index, *picked, Qt::EditRole);
    } else {
      QStyledItemDelegate::setModelData(editor, model, index);
    }
  }

 private:
  DataSetTableModel& model_;
};

// The table, able to commit the cell editor that is open when a tool button is clicked.
// Tab, Enter and Shift+Tab move to the next (previous) editable cell as a spreadsheet
// does, across rows. Committing a cell runs the form's recalculation, which may have
// rebuilt the rows and with them closed the editor already: then only the move is left.
class GridTable : public QTableView {
 public:
  using QTableView::QTableView;
  void commitEditor() {
    if (state() != QAbstractItemView::EditingState) return;
    if (QWidget* editor = indexWidget(currentIndex())) {
      commitData(editor);
      closeEditor(editor, QAbstractItemDelegate::NoHint);
    }
  }

 protected:
  void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override {
    const QModelIndex from = editing_.isValid() ? QModelIndex(editing_) : currentIndex();
    if (from.isValid() && indexWidget(from) == editor)
      QTableView::closeEditor(editor, QAbstractItemDelegate::NoHint);
    editing_ = QPersistentModelIndex();
    if (hint == QAbstractItemDelegate::EditNextItem || hint == QAbstractItemDelegate::SubmitModelCache)
      editNeighbour(from, 1);
    else if (hint == QAbstractItemDelegate::EditPreviousItem)
      editNeighbour(from, -1);
  }
  bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override {
    const bool opened = QTableView::edit(index, trigger, event);
    if (opened) editing_ = index;
    return opened;
  }

 private:
  // The next editable, shown cell after `from` in reading order (before it when -1).
  void editNeighbour(const QModelIndex& from, int step) {
    if (!from.isValid() || model() == nullptr) return;
    const int columns = model()->columnCount(), cells = model()->rowCount() * columns;
    for (int at = from.row() * columns + from.column() + step; at >= 0 && at < cells; at += step) {
      const QModelIndex next = model()->index(at / columns, at % columns);
      if (isColumnHidden(next.column()) || !(model()->flags(next) & Qt::ItemIsEditable)) continue;
      setCurrentIndex(next);
      scrollTo(next);
      QTableView::edit(next);
      return;
    }
  }

  QPersistentModelIndex editing_;  // the cell whose editor is open
};

}  // namespace

GridView::GridView(host::FormModel& form, host::Control& grid, Runner run, QWidget* parent)
    : QWidget(parent), form_(form), grid_(grid), run_(std::move(run)) {
  setObjectName(QString::fromStdString(grid.name));
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(2);
  table_ = new GridTable(this);
  table_->setSelectionBehavior(QAbstractItemView::SelectRows);
  table_->setSelectionMode(QAbstractItemView::SingleSelection);
  // The row is selected as a whole; the cell being worked on keeps a frame of its own.
  table_->setStyleSheet("QTableView::item:focus { border: 2px solid #1565c0; }");
  table_->setEditTriggers(QAbstractItemView::SelectedClicked | QAbstractItemView::EditKeyPressed |
                          QAbstractItemView::AnyKeyPressed);
  table_->verticalHeader()->setDefaultSectionSize(table_->fontMetrics().height() + 8);
  // However tall the header above it, a grid keeps room for a few rows without scrolling.
  const int rowHeight = table_->verticalHeader()->defaultSectionSize();
  table_->setMinimumHeight(kRowsAlwaysShown * rowHeight + rowHeight + table_->horizontalScrollBar()->sizeHint().height() +
                           2 * table_->frameWidth());
  layout->addWidget(table_, 1);
  footer_ = new QLabel(this);
  footer_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  layout->addWidget(footer_);

  dataset::ClientDataSet* ds = form.findDataSet(grid.dataSet);
  if (ds == nullptr) return;  // a grid over a dataset the form never registered: empty
  model_ = new DataSetTableModel(*ds, grid.columns, this);
  model_->setRunner(run_);
  table_->setModel(model_);
  table_->setItemDelegate(new ComboDelegate(*model_, table_));
  const QFontMetrics metrics = table_->fontMetrics();
  for (int c = 0; c < model_->columnCount(); ++c) {
    const int chars = model_->column(c).width;  // under 40: characters, else pixels
    int width = chars >= 40 ? chars : chars * metrics.averageCharWidth();
    if (isBillNumber(model_->column(c).field)) width = std::max(width, billNumberWidth(metrics));
    if (width > 0) table_->setColumnWidth(c, width);
  }
  findColumnButtons();
  addRowActions();
  model_->onChanged = [this] { followCursor(); };
  connect(table_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
          [this](const QModelIndex& current) {
            if (!following_ && current.isValid()) model_->moveTo(current.row());
          });
  // Moving onto a cell by keyboard says the column's unit in the status bar, as the
  // mouse over it does.
  connect(table_->selectionModel(), &QItemSelectionModel::currentChanged, this,
          [this](const QModelIndex& current) {
            const QString tip = current.data(Qt::StatusTipRole).toString();
            if (tip.isEmpty()) return;
            QStatusTipEvent event(tip);
            QCoreApplication::sendEvent(this, &event);
          });
  connect(table_, &QTableView::doubleClicked, this,
          [this](const QModelIndex& index) { onDoubleClick(index.row(), index.column()); });
  if (grid_.onColumnClick) {  // the form sorts (a list read a page at a time sorts in the query)
    table_->horizontalHeader()->setSectionsClickable(true);
    connect(table_->horizontalHeader(), &QHeaderView::sectionClicked, this, [this](int column) {
      const std::string field = model_->column(column).field;
      run_([&] { form_.columnClickControl(grid_.name, field); });
    });
  }
  followCursor();
}

// A button column's button is the form's button editor bound to the same field.
void GridView::findColumnButtons() {
  for (int c = 0; c < model_->columnCount(); ++c) {
    for (const host::Control* ctl : form_.controls()) {
      if (ctl->kind == host::ControlKind::ButtonEdit && sameName(ctl->dataSet, grid_.dataSet) &&
          sameName(ctl->dataField, model_->column(c).field))
        buttons_[c] = ctl->name;
    }
  }
}

void GridView::onDoubleClick(int row, int column) {
  model_->moveTo(row);
  auto it = buttons_.find(column);
  if (it != buttons_.end()) {
    if (!model_->readOnly()) run_([&] { form_.clickControl(it->second); });
    return;
  }
  const std::string& name = grid_.name;
  if (grid_.onDblClick) {
    run_([&] { form_.dblClickControl(name); });
    return;
  }
  if (model_->flags(model_->index(row, column)) & Qt::ItemIsEditable)
    table_->edit(model_->index(row, column));
}

void GridView::addRowActions() {
  dataset::ClientDataSet* ds = form_.findDataSet(grid_.dataSet);
  addRow_ = new QAction("添加行", table_);
  addRow_->setShortcut(Qt::Key_Insert);
  addRow_->setToolTip("添加行 (Ins)");
  deleteRow_ = new QAction("删除行", table_);
  deleteRow_->setShortcut(Qt::CTRL | Qt::Key_Delete);
  deleteRow_->setToolTip("删除行 (Ctrl+Del)");
  for (QAction* a : {addRow_, deleteRow_}) {
    a->setShortcutContext(Qt::WidgetShortcut);
    table_->addAction(a);
  }
  table_->setContextMenuPolicy(Qt::ActionsContextMenu);
  connect(addRow_, &QAction::triggered, this, [this, ds] {
    run_([this, ds] {
      if (grid_.offersRows(true)) ds->append();
    });
  });
  connect(deleteRow_, &QAction::triggered, this, [this, ds] {
    run_([this, ds] {
      if (grid_.offersRows(false) && ds->active() && !ds->isEmpty()) ds->deleteRecord();
    });
  });
}

// Tool buttons that follow their actions (text, enabled, visible) in a row of their own.
void GridView::addGridActions(const std::vector<QAction*>& actions, bool rowCommands) {
  std::vector<QAction*> shown;
  if (rowCommands && addRow_ != nullptr) shown = {addRow_, deleteRow_};  // already on the menu
  if (actions.empty() && shown.empty()) return;
  for (QAction* a : actions) table_->addAction(a);
  shown.insert(shown.end(), actions.begin(), actions.end());
  auto* row = new QHBoxLayout;
  row->setContentsMargins(0, 0, 0, 0);
  for (QAction* a : shown) {
    auto* button = new QToolButton(this);
    button->setDefaultAction(a);
    button->setAutoRaise(true);
    if (a->menu() != nullptr) button->setPopupMode(QToolButton::InstantPopup);
    row->addWidget(button);
  }
  row->addStretch(1);
  static_cast<QVBoxLayout*>(layout())->insertLayout(0, row);
}

// Keeps the selected row on the dataset's cursor and the footer up to date.
void GridView::followCursor() {
  following_ = true;
  const int row = model_->currentRow();
  const QModelIndex current = table_->currentIndex();
  if (row >= 0 && (!current.isValid() || current.row() != row))
    table_->setCurrentIndex(model_->index(row, current.isValid() ? current.column() : 0));
  following_ = false;
  footer_->setText(footer());
  footer_->setVisible(!footer_->text().isEmpty());
}

void GridView::commitTyped() { static_cast<GridTable*>(table_)->commitEditor(); }

QString GridView::footer() const {
  QStringList parts;
  for (int c = 0; model_ != nullptr && c < model_->columnCount(); ++c) {
    const QString sum = model_->footerText(c);
    if (sum.isEmpty()) continue;
    const host::GridColumn& column = model_->column(c);
    parts << (column.footerCaption.empty() ? QString::fromStdString(column.caption) + "："
                                           : QString::fromStdString(column.footerCaption)) +
                 sum;
  }
  return parts.join("    ");
}

void GridView::refresh() {
  // On a tab page the grid shows or hides its tab: the tab widget decides which page is
  // drawn, and showing every page would draw them over one another.
  QWidget* stack = parentWidget();
  auto* tabs = stack == nullptr ? nullptr : qobject_cast<QTabWidget*>(stack->parentWidget());
  if (tabs != nullptr && tabs->indexOf(this) >= 0)
    tabs->setTabVisible(tabs->indexOf(this), grid_.visible);
  else
    setVisible(grid_.visible);
  if (model_ == nullptr) return;
  model_->setReadOnly(grid_.readOnly || !grid_.enabled);
  // A grid whose rows come from a selector never shows the commands; the form's own
  // rule (Control::offersRows) decides when they work, as it does for the player.
  addRow_->setVisible(grid_.insertRows);
  deleteRow_->setVisible(grid_.deleteRows);
  addRow_->setEnabled(grid_.offersRows(true));
  deleteRow_->setEnabled(grid_.offersRows(false) && model_->rowCount() > 0);
  followCursor();
}

}  // namespace desktop
