// The control widgets. Each commits only a text that differs from what the model
// shows, so a refresh that sets the widget's text never writes back into the form.
// Date and time editors that share one field (a delivery date and its time) each
// replace only their own part of the value.
#include "apps/coreapp-desktop/control_widgets.h"

#include <QCalendarWidget>
#include <QCheckBox>
#include <QCoreApplication>
#include <QDateEdit>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QStyle>
#include <QTimeEdit>
#include <QToolButton>

#include "apps/coreapp-desktop/list_cell_editor.h"
#include "core/date_time.h"
#include "core/value.h"
#include "host/forms/form_model.h"
#include "host/forms/money_format.h"

namespace desktop {

namespace {

// Read-only editors are drawn in the window's colour (the view's style sheet); the look
// follows the flag only when the widget is polished again after it changes.
template <class Editor>
void setReadOnlyLook(Editor* editor, bool readOnly) {
  if (editor->isReadOnly() == readOnly) return;
  editor->setReadOnly(readOnly);
  editor->style()->unpolish(editor);
  editor->style()->polish(editor);
}

QString qs(const std::string& s) { return QString::fromStdString(s); }

// What every control widget shares: the control, the form, and committing a text.
class Base : public ControlWidget {
 public:
  Base(host::FormModel& form, host::Control& c, Runner run)
      : form_(form), c_(c), run_(std::move(run)) {}

 protected:
  std::string text() const { return form_.controlText(c_); }
  void commit(const std::string& typed) {
    if (typed == text()) return;
    run_([&] { form_.setControlText(c_, typed); });
  }
  void click() {
    run_([&] { form_.clickControl(c_.name); });
  }
  void dblClick() {
    run_([&] { form_.dblClickControl(c_.name); });
  }
  bool editable() const { return !c_.readOnly && c_.enabled; }
  void showState(QWidget* w) {
    w->setVisible(c_.visible);
    w->setEnabled(c_.enabled);
  }

  host::FormModel& form_;
  host::Control& c_;
  Runner run_;
};

// A label that reports clicks and double clicks (status labels react to them).
class ClickLabel : public QLabel {
 public:
  using QLabel::QLabel;
  std::function<void()> onClick, onDblClick;

 protected:
  void mouseReleaseEvent(QMouseEvent* e) override {
    if (onClick && e->button() == Qt::LeftButton) onClick();
  }
  void mouseDoubleClickEvent(QMouseEvent*) override {
    if (onDblClick) onDblClick();
  }
};

class LabelWidget : public Base {
 public:
  LabelWidget(host::FormModel& form, host::Control& c, Runner run, QWidget* parent)
      : Base(form, c, std::move(run)), label_(new ClickLabel(parent)) {
    label_->setObjectName(qs(c.name));
    if (c.onClick) label_->onClick = [this] { click(); };
    if (c.onDblClick) label_->onDblClick = [this] { dblClick(); };
  }
  QWidget* widget() override { return label_; }
  void refresh() override {
    const std::string t = text();
    label_->setText(qs(t.empty() ? c_.caption : t));
    label_->setStyleSheet(c_.color.empty()
                              ? QString()
                              : "QLabel { color: " + qs(c_.color) + "; font-weight: bold; }");
    showState(label_);
  }

 private:
  ClickLabel* label_;
};

// Hands the key presses of a widget to a function; true from it consumes the key.
class KeyFilter : public QObject {
 public:
  KeyFilter(QObject* parent, std::function<bool(QKeyEvent*)> onKey)
      : QObject(parent), onKey_(std::move(onKey)) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* e) override {
    if (e->type() == QEvent::KeyPress && onKey_(static_cast<QKeyEvent*>(e))) return true;
    return QObject::eventFilter(watched, e);
  }

 private:
  std::function<bool(QKeyEvent*)> onKey_;
};

// Calls a function when a widget loses the focus (a click elsewhere leaves a box).
class LeaveFilter : public QObject {
 public:
  LeaveFilter(QObject* parent, std::function<void()> onLeave)
      : QObject(parent), onLeave_(std::move(onLeave)) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* e) override {
    if (e->type() == QEvent::FocusOut) onLeave_();
    return QObject::eventFilter(watched, e);
  }

 private:
  std::function<void()> onLeave_;
};

// Moves the focus on as Tab does (Enter in a header field goes to the next field).
void focusNextField(QWidget* from) {
  QKeyEvent tab(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier);
  QCoreApplication::sendEvent(from, &tab);
}

// Edit, button edit and currency edit: a line editor with a button when the control
// has a click or button handler. A money box shows its display pattern; a read-only
// box's button is inert unless the control says it only opens or shows. Enter commits
// and moves to the next field; Down, and Enter after typing, reach the control's key
// handler (the customer box's quick lookup).
class LineWidget : public Base {
 public:
  LineWidget(host::FormModel& form, host::Control& c, Runner run, QWidget* parent)
      : Base(form, c, std::move(run)), box_(new QWidget(parent)), edit_(new QLineEdit(box_)) {
    box_->setObjectName(qs(c.name));
    auto* layout = new QHBoxLayout(box_);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(1);
    layout->addWidget(edit_, 1);
    if (c.kind == host::ControlKind::CurrencyEdit) edit_->setAlignment(Qt::AlignRight);
    if (c.kind == host::ControlKind::Edit && c.format == "*")  // a password box
      edit_->setEchoMode(QLineEdit::Password);
    QObject::connect(edit_, &QLineEdit::editingFinished, box_, [this] { commitTyped(); });
    edit_->installEventFilter(new KeyFilter(edit_, [this](QKeyEvent* e) { return key(e); }));
    if (c.onButtonClick || c.onClick) {
      button_ = new QToolButton(box_);
      button_->setText("…");
      layout->addWidget(button_);
      QObject::connect(button_, &QToolButton::clicked, box_, [this] { click(); });
    }
  }
  QWidget* widget() override { return box_; }
  void commitTyped() override {
    if (edit_->isReadOnly()) return;
    const std::string typed = edit_->text().toStdString();
    edit_->setModified(false);  // from here the model's text is what the box shows
    if (shownAmount(text()) == typed) return;  // the shown "420.00" of a stored 420
    commit(typed);
  }
  bool key(QKeyEvent* e) {
    const bool enter = e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter;
    if (!enter && e->key() != Qt::Key_Down) return false;
    const bool typed = edit_->isModified();
    const bool handled = c_.onKeyDown && !edit_->isReadOnly() && (!enter || typed);
    if (!handled && !enter) return false;
    commitTyped();
    if (handled) run_([&] { form_.keyDownControl(c_.name, enter ? "Enter" : "Down"); });
    if (enter) focusNextField(edit_);
    return true;
  }
  void refresh() override {
    const std::string t = shownAmount(text());
    // What the clerk is typing stays as typed until he leaves the box.
    if (edit_->text() != qs(t) && !(edit_->hasFocus() && edit_->isModified())) edit_->setText(qs(t));
    setReadOnlyLook(edit_, c_.readOnly);
    if (button_) button_->setEnabled(c_.enabled && (!c_.readOnly || c_.buttonWhenReadOnly));
    showState(box_);
  }

 private:
  // A money box shows its amount through its display pattern, editable or not, so
  // every amount of a window reads alike.
  std::string shownAmount(const std::string& t) const {
    if (c_.kind != host::ControlKind::CurrencyEdit || t.empty()) return t;
    return core::Value(t).asCurrency().format(host::shownMoneyFormat(c_.format));
  }

  QWidget* box_;
  QLineEdit* edit_;
  QToolButton* button_ = nullptr;
};

// A memo commits when it loses the focus; its double click is the form's.
class MemoEdit : public QPlainTextEdit {
 public:
  using QPlainTextEdit::QPlainTextEdit;
  std::function<void()> onLeave, onDblClick;

 protected:
  void focusOutEvent(QFocusEvent* e) override {
    QPlainTextEdit::focusOutEvent(e);
    if (onLeave) onLeave();
  }
  void mouseDoubleClickEvent(QMouseEvent* e) override {
    if (onDblClick) return onDblClick();
    QPlainTextEdit::mouseDoubleClickEvent(e);
  }
};

class MemoWidget : public Base {
 public:
  MemoWidget(host::FormModel& form, host::Control& c, Runner run, QWidget* parent)
      : Base(form, c, std::move(run)), memo_(new MemoEdit(parent)) {
    memo_->setObjectName(qs(c.name));
    memo_->setMaximumHeight(memo_->fontMetrics().height() * 3);  // two lines and a margin
    memo_->onLeave = [this] { commitTyped(); };
    if (c.onDblClick) memo_->onDblClick = [this] { dblClick(); };
  }
  QWidget* widget() override { return memo_; }
  void commitTyped() override {
    if (!memo_->isReadOnly()) commit(memo_->toPlainText().toStdString());
  }
  void refresh() override {
    const QString t = qs(text());
    if (memo_->toPlainText() != t) memo_->setPlainText(t);
    setReadOnlyLook(memo_, c_.readOnly);
    showState(memo_);
  }

 private:
  MemoEdit* memo_;
};

// Date and time editors over "YYYY-MM-DD HH:MM:SS" texts; an empty value shows blank.
class DateTimeWidget : public Base {
 public:
  DateTimeWidget(host::FormModel& form, host::Control& c, Runner run, QWidget* parent)
      : Base(form, c, std::move(run)), time_(c.kind == host::ControlKind::TimeEdit) {
    edit_ = time_ ? static_cast<QDateTimeEdit*>(new QTimeEdit(parent)) : new QDateEdit(parent);
    edit_->setObjectName(qs(c.name));
    edit_->setDisplayFormat(time_ ? "HH:mm" : "yyyy-MM-dd");
    if (!time_) {
      edit_->setSpecialValueText(" ");  // the minimum date stands for an empty value
      edit_->setMinimumDate(QDate(1899, 12, 30));
      edit_->setCalendarPopup(true);
      QObject::connect(edit_->calendarWidget(), &QCalendarWidget::clicked, edit_,
                       [this] { save(); });
    }
    QObject::connect(edit_, &QDateTimeEdit::editingFinished, edit_, [this] { save(); });
  }
  QWidget* widget() override { return edit_; }
  void commitTyped() override { save(); }
  void refresh() override {
    const auto value = core::DateTime::parse(text());
    if (time_) {
      const QTime shown =
          value ? QTime(value->hour(), value->minute(), value->second()) : QTime(0, 0);
      if (edit_->time() != shown) edit_->setTime(shown);
    } else {
      const QDate shown =
          value ? QDate(value->year(), value->month(), value->day()) : edit_->minimumDate();
      if (edit_->date() != shown) edit_->setDate(shown);
    }
    setReadOnlyLook(edit_, c_.readOnly);
    showState(edit_);
  }

 private:
  // Replaces the editor's own part (date or time) of the value, keeping the other.
  void save() {
    if (!editable() || c_.readOnly) return;
    if (!time_ && edit_->date() == edit_->minimumDate()) return;  // left empty
    const auto value = core::DateTime::parse(text());
    const QDateTime now = QDateTime::currentDateTime();
    QDate date = value ? QDate(value->year(), value->month(), value->day()) : now.date();
    QTime time = value ? QTime(value->hour(), value->minute(), value->second()) : QTime(0, 0);
    if (time_)  // the editor shows no seconds: keep the value's own
      time = QTime(edit_->time().hour(), edit_->time().minute(), time.second());
    else
      date = edit_->date();
    commit(QDateTime(date, time).toString("yyyy-MM-dd HH:mm:ss").toStdString());
  }

  bool time_;
  QDateTimeEdit* edit_;
};

class SpinWidget : public Base {
 public:
  SpinWidget(host::FormModel& form, host::Control& c, Runner run, QWidget* parent)
      : Base(form, c, std::move(run)), spin_(new QSpinBox(parent)) {
    spin_->setObjectName(qs(c.name));
    spin_->setRange(c.minValue, c.maxValue);
    QObject::connect(spin_, &QSpinBox::editingFinished, spin_, [this] { commitTyped(); });
  }
  QWidget* widget() override { return spin_; }
  void commitTyped() override {
    if (!spin_->isReadOnly()) commit(std::to_string(spin_->value()));
  }
  void refresh() override {
    const int v = static_cast<int>(core::Value(text()).asFloat());
    if (spin_->value() != v) spin_->setValue(v);
    setReadOnlyLook(spin_, c_.readOnly);
    showState(spin_);
  }

 private:
  QSpinBox* spin_;
};

class CheckWidget : public Base {
 public:
  CheckWidget(host::FormModel& form, host::Control& c, Runner run, QWidget* parent)
      : Base(form, c, std::move(run)), box_(new QCheckBox(qs(c.caption), parent)) {
    box_->setObjectName(qs(c.name));
    QObject::connect(box_, &QCheckBox::clicked, box_, [this](bool on) { commit(on ? "1" : "0"); });
  }
  QWidget* widget() override { return box_; }
  void refresh() override {
    box_->setChecked(core::Value(text()).asBool());
    showState(box_);
    box_->setEnabled(editable());
  }

 private:
  QCheckBox* box_;
};

// Combos over fixed texts and lookup combos over a host list: both show names and are
// typed into as a grid's list cell is (ListCellEditor). Tab, Enter or leaving the box
// commits the highlighted entry; left untouched, the box keeps its value. A lookup
// combo's text that begins no name goes to the form, which finds the entry by its
// code; the form's change handler writes the chosen entry's id.
class ComboWidget : public Base {
 public:
  ComboWidget(host::FormModel& form, host::Control& c, Runner run, QWidget* parent)
      : Base(form, c, std::move(run)),
        edit_(new ListCellEditor(
            {}, c.kind == host::ControlKind::LookupCombo && !c.listName.empty(), parent)) {
    edit_->setObjectName(qs(c.name));
    edit_->setMinimumWidth(edit_->fontMetrics().averageCharWidth() * 12);
    edit_->installEventFilter(new KeyFilter(edit_, [this](QKeyEvent* e) { return key(e); }));
    edit_->installEventFilter(new LeaveFilter(edit_, [this] { commitTyped(); }));
  }
  QWidget* widget() override { return edit_; }
  void commitTyped() override {
    const std::optional<QString> picked = edit_->picked();
    edit_->setValue(qs(text()));  // from here the model's text is what the box shows
    if (picked) commit(picked->toStdString());
    edit_->setValue(qs(text()));
  }
  void refresh() override {
    QStringList names;
    for (const std::string& item : c_.items) names << qs(item);
    if (names != edit_->entries()) edit_->setEntries(names);
    // What the clerk is choosing stays until he leaves the box.
    if (!edit_->choosing() && edit_->text() != qs(text())) edit_->setValue(qs(text()));
    showState(edit_);
    edit_->setEnabled(editable());
  }

 private:
  // Tab and Shift+Tab commit before the focus moves; Enter commits and moves on.
  bool key(QKeyEvent* e) {
    if (e->key() == Qt::Key_Tab || e->key() == Qt::Key_Backtab) commitTyped();
    if (e->key() != Qt::Key_Return && e->key() != Qt::Key_Enter) return false;
    commitTyped();
    focusNextField(edit_);
    return true;
  }

  ListCellEditor* edit_;
};

class ButtonWidget : public Base {
 public:
  ButtonWidget(host::FormModel& form, host::Control& c, Runner run, QWidget* parent)
      : Base(form, c, std::move(run)), button_(new QPushButton(parent)) {
    button_->setObjectName(qs(c.name));
    QObject::connect(button_, &QPushButton::clicked, button_, [this] { click(); });
  }
  QWidget* widget() override { return button_; }
  void refresh() override {
    const std::string t = text();
    button_->setText(qs(t.empty() ? c_.caption : t));
    showState(button_);
  }

 private:
  QPushButton* button_;
};

}  // namespace

std::unique_ptr<ControlWidget> makeControlWidget(host::FormModel& form, host::Control& c,
                                                 Runner run, QWidget* parent) {
  using K = host::ControlKind;
  switch (c.kind) {
    case K::Label:
      return std::make_unique<LabelWidget>(form, c, std::move(run), parent);
    case K::Memo:
      return std::make_unique<MemoWidget>(form, c, std::move(run), parent);
    case K::DateEdit:
    case K::TimeEdit:
      return std::make_unique<DateTimeWidget>(form, c, std::move(run), parent);
    case K::SpinEdit:
      return std::make_unique<SpinWidget>(form, c, std::move(run), parent);
    case K::CheckBox:
      return std::make_unique<CheckWidget>(form, c, std::move(run), parent);
    case K::ComboBox:
    case K::LookupCombo:
      return std::make_unique<ComboWidget>(form, c, std::move(run), parent);
    case K::Button:
      return std::make_unique<ButtonWidget>(form, c, std::move(run), parent);
    case K::Edit:
    case K::ButtonEdit:
    case K::CurrencyEdit:
    case K::Grid:
      break;
  }
  return std::make_unique<LineWidget>(form, c, std::move(run), parent);
}

}  // namespace desktop
