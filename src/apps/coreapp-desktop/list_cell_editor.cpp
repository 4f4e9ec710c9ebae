// ListCellEditor: a line editor with its own list of matches. The list never takes the
// focus (it is a tool tip window), so typing, an input method and the grid's Tab and
// Enter all stay with the editor; the grid's delegate reads picked() when the cell closes.
#include "apps/coreapp-desktop/list_cell_editor.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QListWidget>
#include <QStyle>
#include <algorithm>

namespace desktop {

namespace {

constexpr int kRowsShown = 8;

bool startsWith(const QString& text, const QString& typed) {
  return !text.isEmpty() && text.startsWith(typed, Qt::CaseInsensitive);
}

bool sameText(const QString& text, const QString& typed) {
  return !text.isEmpty() && text.compare(typed, Qt::CaseInsensitive) == 0;
}

}  // namespace

ListCellEditor::ListCellEditor(QStringList entries, bool freeText, QWidget* parent)
    : QLineEdit(parent),
      entries_(std::move(entries)),
      list_(new QListWidget(this)),
      freeText_(freeText) {
  list_->setWindowFlags(Qt::ToolTip);
  list_->setAttribute(Qt::WA_ShowWithoutActivating);
  list_->setFocusPolicy(Qt::NoFocus);
  list_->setSelectionMode(QAbstractItemView::SingleSelection);
  connect(list_, &QListWidget::itemClicked, this, [this] { pickClicked(); });
  connect(this, &QLineEdit::textEdited, this, [this](const QString& typed) { offer(typed); });
  // The drop-down a mouse opens: the whole list, the cell's value highlighted.
  QAction* drop =
      addAction(style()->standardIcon(QStyle::SP_ArrowDown), QLineEdit::TrailingPosition);
  connect(drop, &QAction::triggered, this, [this] { moveHighlight(0); });
}

void ListCellEditor::setValue(const QString& value) {
  setText(value);
  choosing_ = false;
  offered_.clear();
  list_->clear();
  list_->hide();
}

// The entry named exactly first, then the entries that begin with the text, in list order.
void ListCellEditor::offer(const QString& typed) {
  choosing_ = true;
  offered_.clear();
  for (int pass = 0; pass < 2; ++pass)
    for (int i = 0; i < entries_.size(); ++i) {
      const bool exact = sameText(entries_[i], typed);
      const bool begins = typed.isEmpty() || startsWith(entries_[i], typed);
      if (pass == 0 ? exact : begins && !exact) offered_.push_back(i);
    }
  list_->clear();
  for (int i : offered_) list_->addItem(entries_[i]);
  list_->setCurrentRow(typed.isEmpty() || offered_.empty() ? -1 : 0);
  showList();
}

// Down and Up move through the list; on a closed list they open it at the cell's value.
void ListCellEditor::moveHighlight(int step) {
  if (!list_->isVisible()) {
    const QString value = text();
    offer(QString());
    for (int row = 0; row < static_cast<int>(offered_.size()); ++row)
      if (entries_[offered_[static_cast<size_t>(row)]] == value) list_->setCurrentRow(row);
    return;
  }
  const int rows = list_->count();
  if (rows == 0) return;
  const int row = list_->currentRow() < 0 ? (step > 0 ? 0 : rows - 1) : list_->currentRow() + step;
  list_->setCurrentRow(std::clamp(row, 0, rows - 1));
}

void ListCellEditor::showList() {
  if (offered_.empty()) {
    list_->hide();
    return;
  }
  const int shown = std::min(kRowsShown, list_->count());
  list_->resize(std::max(width(), 180), shown * list_->sizeHintForRow(0) + 2 * list_->frameWidth());
  list_->move(mapToGlobal(QPoint(0, height())));
  list_->show();
}

// A click on an entry picks it as Enter would: the grid closes the cell and writes it.
void ListCellEditor::pickClicked() {
  QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
  QApplication::sendEvent(this, &enter);
}

std::optional<QString> ListCellEditor::picked() const {
  if (!choosing_) return std::nullopt;
  const int row = list_->currentRow();
  if (row >= 0 && row < static_cast<int>(offered_.size()))
    return entries_[offered_[static_cast<size_t>(row)]];
  if (text().isEmpty()) return QString();
  if (freeText_) return text();
  return std::nullopt;  // a fixed list's cell keeps its value when the text begins no entry
}

QStringList ListCellEditor::offered() const {
  QStringList names;
  for (int i : offered_) names << entries_[i];
  return names;
}

int ListCellEditor::highlightedRow() const { return list_->currentRow(); }

void ListCellEditor::keyPressEvent(QKeyEvent* event) {
  const bool altDown = event->key() == Qt::Key_Down && (event->modifiers() & Qt::AltModifier);
  if (event->key() == Qt::Key_F4 || altDown) {
    moveHighlight(0);
  } else if (event->key() == Qt::Key_Down || event->key() == Qt::Key_Up) {
    moveHighlight(event->key() == Qt::Key_Down ? 1 : -1);
  } else {
    QLineEdit::keyPressEvent(event);
    return;
  }
  event->accept();
}

}  // namespace desktop
