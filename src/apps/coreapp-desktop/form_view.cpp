// FormView: layout and the event loop of one form. The header is a grid of captioned
// editors, three to a row; a memo takes a row of its own. Editors bound to a dataset
// that a grid shows (the button of a grid column) are the grid's and stay out of it.
#include "apps/coreapp-desktop/form_view.h"

#include <QApplication>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSplitter>
#include <QTabWidget>
#include <QVBoxLayout>
#include <QtDebug>

#include "apps/coreapp-desktop/action_bar.h"
#ifdef COREAPP_CHARTS
#include "apps/coreapp-desktop/chart_view.h"
#endif
#include "apps/coreapp-desktop/control_widgets.h"
#include "apps/coreapp-desktop/grid_view.h"
#include "host/forms/base_form.h"
#include "host/host.h"
#include "host/ui.h"

namespace desktop {

namespace {

constexpr int kPairsPerRow = 3;

bool isStatusLabel(const host::Control& c) {
  return c.kind == host::ControlKind::Label && c.caption.empty();
}

}  // namespace

FormView::FormView(host::FormModel& form, QWidget* parent) : QWidget(parent), form_(form) {
  setObjectName(QString::fromStdString(form.className()));
  // A box the clerk cannot type into looks it: read-only editors take the window's
  // colour instead of the white of an open field.
  setStyleSheet("QLineEdit[readOnly=\"true\"], QPlainTextEdit[readOnly=\"true\"], "
                "QAbstractSpinBox[readOnly=\"true\"] { background: palette(window); }");
  runner_ = [this](const std::function<void()>& work) { run(work); };
  build();
  refresh();
}

// A cell editor still open commits when it loses the focus, and a view going away takes
// the focus from it: the grids go first, while the view can still refuse to run that.
FormView::~FormView() {
  destroying_ = true;
  for (GridView* g : grids_) delete g;
  grids_.clear();
}

void FormView::build() {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(4, 4, 4, 4);
  auto* top = new QHBoxLayout;
  actions_ = new ActionBar(form_, runner_, this);
  top->addWidget(actions_, 1);
  addActions(actions_->actions());  // their shortcuts work wherever the focus is in the view
  actions_->afterClick = [this](const std::string& name) {
    if (name == "actAdd") focusFirstField();
  };
  std::vector<host::Control*> header;
  std::vector<host::Control*> grids;
  for (host::Control* c : form_.controls()) {
    if (c->kind == host::ControlKind::Grid) {
      grids.push_back(c);
    } else if (isStatusLabel(*c)) {
      auto w = makeControlWidget(form_, *c, runner_, this);
      top->addWidget(w->widget());
      controls_.emplace_back(c->name, std::move(w));
    } else if (!belongsToGrid(*c)) {
      header.push_back(c);
    }
  }
  layout->addLayout(top);
  auto* split = new QSplitter(Qt::Vertical, this);
  split->setChildrenCollapsible(false);
  split->addWidget(buildHeader(header));
  QTabWidget* tabs = nullptr;
  for (host::Control* g : grids) {
    auto* view = new GridView(form_, *g, runner_);
    view->addGridActions(actions_->gridActions(g->dataSet), actions_->linesTyped(g->dataSet));
    grids_.push_back(view);
    if (grids_.size() == 1) {
      split->addWidget(withCharts(view, *g));
      continue;
    }
    if (tabs == nullptr) tabs = new QTabWidget;
    tabs->addTab(view, QString::fromStdString(g->caption.empty() ? g->name : g->caption));
  }
  if (tabs != nullptr) split->addWidget(tabs);
  // The line grid grows first; the further grids' tabs take a smaller share.
  for (int i = 1; i < split->count(); ++i) split->setStretchFactor(i, i == 1 ? 2 : 1);
  layout->addWidget(split, 1);
}

// A grid with charts shows them at its right, the grid keeping the larger share.
QWidget* FormView::withCharts(GridView* view, const host::Control& grid) {
#ifndef COREAPP_CHARTS
  static_cast<void>(grid);
  return view;  // built without Qt Charts: the grid alone
#else
  if (grid.charts.empty()) return view;
  auto* side = new QSplitter(Qt::Horizontal, this);
  side->setChildrenCollapsible(false);
  side->addWidget(view);
  auto* charts = new ChartView(form_, grid, side);
  charts_.push_back(charts);
  side->addWidget(charts);
  side->setStretchFactor(0, 3);
  side->setStretchFactor(1, 2);
  return side;
#endif
}

namespace {

// A short label after a box names its unit ("小时", "元"); a longer one is a text of its own.
bool isUnitLabel(const host::Control& c) {
  return c.kind == host::ControlKind::Label && QString::fromStdString(c.caption).size() <= 2;
}

}  // namespace

// Boxes go in rows of kPairsPerRow caption + box pairs; a box with no caption of its
// own (a name beside its code, a time beside its date), a unit label ("小时") or, after a
// check box, a box captioned without a colon joins the cell before it, so what belongs
// together stays together.
QWidget* FormView::buildHeader(const std::vector<host::Control*>& controls) {
  auto* box = new QWidget;
  auto* grid = new QGridLayout(box);
  grid->setContentsMargins(0, 0, 0, 0);
  int row = 0, pair = 0;
  QHBoxLayout* cell = nullptr;  // the last box's cell, while a companion may join it
  bool sentence = false;        // that cell opened with a check box ("订单提醒 提前 12 小时")
  for (host::Control* c : controls) {
    auto w = makeControlWidget(form_, *c, runner_, box);
    const bool wide = c->kind == host::ControlKind::Memo;
    const bool companion = !wide && (c->caption.empty() || isUnitLabel(*c));
    // After a check box, a caption without a colon reads on in the same sentence.
    const bool runsOn = sentence && !wide && !companion && !c->caption.ends_with("：");
    if ((companion || runsOn) && cell != nullptr) {
      joinCell(*cell, *c, std::move(w), runsOn);
      continue;
    }
    sentence = c->kind == host::ControlKind::CheckBox;
    if (wide && pair > 0) ++row, pair = 0;
    const bool captioned = !c->caption.empty() && c->kind != host::ControlKind::CheckBox &&
                           c->kind != host::ControlKind::Label &&
                           c->kind != host::ControlKind::Button;
    if (captioned) {
      auto* caption = new QLabel(QString::fromStdString(c->caption), box);
      caption->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
      grid->addWidget(caption, row, pair * 2);
      captions_.emplace_back(c->name, caption);
    }
    cell = new QHBoxLayout;
    cell->setContentsMargins(0, 0, 0, 0);
    cell->addWidget(w->widget(), 1);
    grid->addLayout(cell, row, pair * 2 + 1, 1, wide ? kPairsPerRow * 2 - 1 : 1);
    controls_.emplace_back(c->name, std::move(w));
    if (wide) cell = nullptr;
    if (wide || ++pair == kPairsPerRow) ++row, pair = 0;
  }
  for (int col = 1; col < kPairsPerRow * 2; col += 2) grid->setColumnStretch(col, 1);
  return box;
}

// A box placed in the cell before it, after its own caption when `withCaption`.
void FormView::joinCell(QHBoxLayout& cell, const host::Control& c, std::unique_ptr<ControlWidget> w,
                        bool withCaption) {
  if (withCaption) {
    auto* caption = new QLabel(QString::fromStdString(c.caption), w->widget()->parentWidget());
    cell.addWidget(caption);
    captions_.emplace_back(c.name, caption);
  }
  cell.addWidget(w->widget(), c.kind == host::ControlKind::Label ? 0 : 1);
  controls_.emplace_back(c.name, std::move(w));
}

bool FormView::belongsToGrid(const host::Control& c) const {
  if (!c.isBound()) return false;
  for (const host::Control* g : form_.controls())
    if (g->kind == host::ControlKind::Grid && g->dataSet == c.dataSet) return true;
  return false;
}

void FormView::run(const std::function<void()>& work) {
  if (destroying_) return;
  if (depth_ == 0 && !committing_) commitTyped();
  ++depth_;
  try {
    form_.dispatch(work);
  } catch (const std::exception& e) {
    showError(e.what());
  }
  if (--depth_ > 0) return;  // the outermost event refreshes once
  refresh();
  if (finished() && onFinished) onFinished();
}

// What the user typed counts before the click that follows it, as in the toolkit where
// an action posts the focused editor first.
void FormView::commitTyped() {
  committing_ = true;
  const QWidget* focus = QApplication::focusWidget();
  for (auto& [name, w] : controls_)
    if (focus != nullptr && (w->widget() == focus || w->widget()->isAncestorOf(focus)))
      w->commitTyped();
  for (GridView* g : grids_) g->commitTyped();
  committing_ = false;
}

void FormView::showError(const std::string& text) {
  if (!host::hasCurrentHost() || host::currentHost().ui == nullptr) {
    qWarning("%s", text.c_str());
    return;
  }
  host::currentHost().screen().messageBox(text, "错误", host::mtError, host::mbOK);
}

bool FormView::finished() const {
  const auto* base = dynamic_cast<const host::TBaseForm*>(&form_);
  if (base == nullptr) return false;
  return base->isClosed() || (base->isModal() && base->ModalResult != host::mrNone);
}

void FormView::refresh() {
  try {
    actions_->refresh();
    for (auto& [name, w] : controls_) w->refresh();
    for (auto& [name, caption] : captions_)
      if (const host::Control* c = form_.findControl(name)) caption->setVisible(c->visible);
    for (GridView* g : grids_) g->refresh();
#ifdef COREAPP_CHARTS
    for (ChartView* c : charts_) c->refresh();
#endif
  } catch (const std::exception& e) {
    showError(e.what());  // an Update handler or a bound field the form lost
  }
}

// After 新增 the clerk types at once: the form's first field, else its first editable
// text box.
void FormView::focusFirstField() {
  for (auto& [name, w] : controls_) {
    const host::Control* c = form_.findControl(name);
    if (c == nullptr || c->readOnly || !c->enabled || !c->visible) continue;
    const bool wanted = form_.firstEditControl.empty()
                            ? c->kind == host::ControlKind::Edit || c->kind == host::ControlKind::ButtonEdit
                            : name == form_.firstEditControl;
    if (!wanted) continue;
    QWidget* target = w->widget()->focusProxy() ? w->widget()->focusProxy() : w->widget();
    if (auto* line = w->widget()->findChild<QLineEdit*>()) target = line;
    target->setFocus(Qt::OtherFocusReason);
    return;
  }
}

GridView* FormView::grid(const std::string& name) const {
  for (GridView* g : grids_)
    if (g->objectName().toStdString() == name) return g;
  return nullptr;
}

QWidget* FormView::controlWidget(const std::string& name) const {
  for (const auto& [n, w] : controls_)
    if (n == name) return w->widget();
  return nullptr;
}

}  // namespace desktop
