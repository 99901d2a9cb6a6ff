#include "framework/qt/model_window.h"

#include <algorithm>
#include <cstdlib>

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QBrush>
#include <QProgressBar>
#include <QColor>
#include <QTableWidget>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include "framework/picture.h"
#include "framework/qt/model_view.h"
#include "framework/qt/qt_dialogs.h"
#include "framework/qt/screen_modal.h"
#include "storage/table_def.h"

namespace vorlam::qt {

namespace {

// A tab page that scrolls when it is taller than the screen allows: one
// tall tab (a screen's many setting fields) no longer makes every tab,
// lists included, taller than the window can be.
class PageScroll : public QScrollArea {
 public:
  // `percent`: the share of the display's height the page may ask for.
  explicit PageScroll(QWidget* parent, int percent = 75) : QScrollArea(parent), percent_(percent) {
    setWidgetResizable(true);
    setFrameShape(QFrame::NoFrame);
  }
  QSize sizeHint() const override {
    if (widget() == nullptr) return QScrollArea::sizeHint();
    QSize hint = widget()->sizeHint();
    if (const QScreen* s = screen()) {
      const QRect room = s->availableGeometry();
      const int height = room.height() * percent_ / 100;
      // A page cut to the height scrolls: room for its bar, not a second one.
      if (hint.height() > height) hint.rwidth() += verticalScrollBar()->sizeHint().width();
      hint = hint.boundedTo(QSize(room.width() * 9 / 10, height));
    }
    return hint;
  }
  QSize minimumSizeHint() const override {
    return widget() == nullptr ? QScrollArea::minimumSizeHint()
                               : QSize(widget()->minimumSizeHint().width(), 0).expandedTo(QSize(0, 120));
  }

 private:
  int percent_;
};

std::string trimmed(const std::string& s) {
  const size_t b = s.find_first_not_of(' ');
  if (b == std::string::npos) return {};
  return s.substr(b, s.find_last_not_of(' ') - b + 1);
}

// The characters a control shows: its picture's width, its longest choice,
// or a default.
int charsOf(const ScreenModel& model, const ScreenControl& c) {
  int n = 0;
  if (!c.picture.empty()) {
    Result<Picture> p = Picture::compile(c.picture);
    if (p.isOk()) n = p->width();
  }
  for (const ControlChoice& choice : c.choices) n = std::max(n, int(withoutMnemonic(choice.caption).size()) + 4);
  if (n == 0) n = c.kind == ControlKind::kDisplay ? std::max(12, int(model.displayValue(c).size())) : 20;
  return std::min(n, 60);
}

int pixelsFor(const QFontMetrics& fm, int chars) {
  return std::max(fm.horizontalAdvance(QString(chars, '0')), fm.averageCharWidth() * chars) + 16;
}

bool rightAligned(const ScreenControl& c) {
  if (c.picture.empty()) return false;
  Result<Picture> p = Picture::compile(c.picture);
  return p.isOk() && p->kind() == Picture::Kind::kNumber;
}

// Stored values of a check box: checked, unchecked.
std::pair<std::string, std::string> checkValues(const ScreenControl& c) {
  if (c.choices.size() >= 2) return {c.choices[1].value, c.choices[0].value};
  return {"1", "0"};
}

}  // namespace

// --- ScreenDialogs -----------------------------------------------------------

void ScreenDialogs::push(QWidget* window) { windows_.emplace_back(window); }

void ScreenDialogs::remove(QWidget* window) {
  std::erase_if(windows_, [window](const QPointer<QWidget>& w) { return w.isNull() || w == window; });
}

QWidget* ScreenDialogs::window() const {
  for (auto it = windows_.rbegin(); it != windows_.rend(); ++it)
    if (!it->isNull()) return *it;
  return fallback_;
}

uint32_t ScreenDialogs::messageBox(const MessageBoxRequest& request) {
  QtDialogs dialogs(window());
  return dialogs.messageBox(request);
}

int ScreenDialogs::question(const QuestionRequest& request) {
  QtDialogs dialogs(window());
  return dialogs.question(request);
}

std::optional<std::string> ScreenDialogs::chooseFile(const FileRequest& request) {
  QtDialogs dialogs(window());
  return dialogs.chooseFile(request);
}

Result<bool> ScreenDialogs::print(const PrintRequest& request) {
  QtDialogs dialogs(window());
  return dialogs.print(request);
}

// --- ModelWindow: building -------------------------------------------------

ModelWindow::ModelWindow(ScreenModel& model, ModelWindowOptions options, QWidget* parent)
    : QWidget(parent), model_(model), options_(std::move(options)) {
  setAttribute(Qt::WA_DeleteOnClose);
  model_.setHost(this);
  model_.setObserver(this);
  if (auto* dialogs = dynamic_cast<ScreenDialogs*>(model_.dialogs())) dialogs->push(this);
  // An icon-only button shows that it has the focus.
  setStyleSheet(kIconButtonFocusStyle);
  build();
  behaviour_ = installScreenBehaviour(this, options_.look);
  qApp->installEventFilter(this);
  connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) { userFocus(now); });
  // Called on the worker's thread: only a queued call crosses over.  A
  // window deleted meanwhile drops it.
  model_.setWaker([this] { QMetaObject::invokeMethod(this, [this] { runPosted(); }, Qt::QueuedConnection); });
  refresh();
}

ModelWindow::~ModelWindow() {
  qApp->removeEventFilter(this);
  disconnect(qApp, nullptr, this, nullptr);
  closing_ = true;
  model_.setWaker({});
  model_.setObserver(nullptr);
  model_.setHost(nullptr);
  if (auto* dialogs = dynamic_cast<ScreenDialogs*>(model_.dialogs())) dialogs->remove(this);
  // The widgets read the screen: they go before a screen the window owns.
  for (QWidget* child : findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) delete child;
  owned_.reset();
}

ModelWindow::Page ModelWindow::makePage(QWidget* parent) {
  Page page;
  page.widget = parent;
  auto* column = new QVBoxLayout(parent);
  page.grid = new QGridLayout;
  page.grid->setColumnStretch(3, 1);
  column->addLayout(page.grid, 1);
  page.buttons = new QHBoxLayout;
  page.buttons->addStretch(1);
  column->addLayout(page.buttons);
  return page;
}

ModelWindow::Page& ModelWindow::pageFor(int tab) {
  for (size_t i = 0; i < tabOfPage_.size(); ++i)
    if (tabOfPage_[i] == tab) return pages_[i];
  return common_;
}

void ModelWindow::build() {
  setWindowTitle(modelText(model_.title()));
  auto* top = new QVBoxLayout(this);
  auto* common = new QWidget(this);
  common_ = makePage(common);
  common->layout()->setContentsMargins(0, 0, 0, 0);
  // A screen of one long page (the integration form of a service note, the
  // invoice list with its panel) scrolls instead of outgrowing the display
  // or the work area, its buttons kept below it.
  const bool scrolls = std::none_of(model_.tabs().begin(), model_.tabs().end(),
                                    [](const ScreenTab& t) { return t.list.empty(); });
  if (scrolls) {
    // Nearly the display's height: most such forms show whole.
    auto* scroll = new PageScroll(this, 90);
    scroll->setWidget(common);
    top->addWidget(scroll, 1);
  } else {
    top->addWidget(common);
  }
  int own = 0;
  for (const ScreenTab& t : model_.tabs()) {
    if (!t.list.empty()) continue;
    if (tabs_ == nullptr) {
      tabs_ = new QTabWidget(this);
      top->addWidget(tabs_, 1);
    }
    auto* scroll = new PageScroll(tabs_);
    auto* page = new QWidget(scroll);
    pages_.push_back(makePage(page));
    scroll->setWidget(page);
    tabOfPage_.push_back(own++);
    tabs_->addTab(scroll, modelText(t.caption));
  }
  bottomButtons_ = common_.buttons;
  if (tabs_ != nullptr || scrolls) {
    // The buttons of every tab stand below the tabs, those of a scrolled
    // page below it.
    bottomButtons_ = new QHBoxLayout;
    bottomButtons_->addStretch(1);
    top->addLayout(bottomButtons_);
  }
  if (tabs_ != nullptr) {
    connect(tabs_, &QTabWidget::currentChanged, this, [this](int index) {
      if (refreshing_ || index < 0 || size_t(index) >= tabOfPage_.size()) return;
      int n = 0;
      for (const ScreenTab& t : model_.tabs()) {
        if (!t.list.empty()) continue;
        if (n++ == tabOfPage_[size_t(index)]) {
          const std::string caption = t.caption;
          act([this, caption] { model_.selectTab(caption); });
          return;
        }
      }
    });
  }
  buttons_.assign(model_.buttons().size(), nullptr);
  QWidget* lastControl = nullptr;
  for (const ScreenModel::Part& part : model_.parts()) {
    switch (part.kind) {
      case ScreenModel::PartKind::kControl:
        addControl(part.index);
        lastControl = controls_.back().widget;
        break;
      case ScreenModel::PartKind::kList:
        addList(part.index);
        lastControl = nullptr;
        break;
      case ScreenModel::PartKind::kButton:
        addButton(part.index, lastControl);
        break;
    }
  }
  // Only a page with a list grows; the others keep their lines together.
  for (Page* p : {&common_}) {
    if (p->grid->rowCount() > 0 && lists_.empty()) p->grid->setRowStretch(p->grid->rowCount(), 1);
  }
  for (Page& p : pages_) {
    const bool hasList = std::any_of(model_.lists().begin(), model_.lists().end(),
                                     [&](const ScreenList& l) { return &pageFor(l.tab) == &p; });
    if (!hasList) p.grid->setRowStretch(p.grid->rowCount(), 1);
  }
}

QWidget* ModelWindow::makeEntry(const ScreenControl& c, size_t index, QWidget* parent) {
  const QFontMetrics fm = fontMetrics();
  QLineEdit* edit = nullptr;
  QWidget* shown = nullptr;
  if (c.suggestions.empty()) {
    edit = new QLineEdit(parent);
    edit->setFixedWidth(pixelsFor(fm, charsOf(model_, c)));
    shown = edit;
  } else {
    // Typed, or picked from the values it offers.
    auto* combo = new QComboBox(parent);
    combo->setEditable(true);
    combo->setInsertPolicy(QComboBox::NoInsert);
    for (const std::string& v : c.suggestions) combo->addItem(modelText(v));
    combo->setFixedWidth(pixelsFor(fm, charsOf(model_, c)) + 24);
    edit = combo->lineEdit();
    connect(combo, &QComboBox::activated, this, [this, index, combo](int) {
      if (!refreshing_ && !closing_) completeEntry(index, combo->currentText());
    });
    shown = combo;
  }
  if (rightAligned(c)) edit->setAlignment(Qt::AlignRight);
  connect(edit, &QLineEdit::editingFinished, this, [this, index, edit] {
    if (!refreshing_ && !closing_ && edit->isModified()) completeEntry(index, edit->text());
  });
  return shown;
}

void ModelWindow::enterGroup(Page& page, const std::string& group) {
  if (group == page.group) return;
  page.group = group;
  page.frame = nullptr;
  page.frameGrid = nullptr;
  page.frameRow = 0;
  if (group.empty()) return;
  auto* frame = new QGroupBox(modelText(group), page.widget);
  page.frame = frame;
  page.frameGrid = new QGridLayout(frame);
  page.frameGrid->setColumnStretch(3, 1);
  page.grid->addWidget(frame, page.row++, 0, 1, 4);
}

QWidget* ModelWindow::makeControl(const ScreenControl& c, QWidget* parent) {
  const size_t index = controls_.size();
  const QFontMetrics fm = fontMetrics();
  switch (c.kind) {
    case ControlKind::kEntry:
      return makeEntry(c, index, parent);
    case ControlKind::kCheckBox: {
      auto* box = new QCheckBox(modelText(c.prompt), parent);
      connect(box, &QCheckBox::clicked, this, [this, index](bool checked) {
        const ScreenControl& control = model_.controls()[index];
        const auto [on, off] = checkValues(control);
        const std::string name = partName(control);
        const std::string value = checked ? on : off;
        act([this, name, value] { model_.type(name, value); });
      });
      return box;
    }
    case ControlKind::kRadioGroup: {
      auto* group = new QGroupBox(modelText(c.prompt), parent);
      auto* column = new QVBoxLayout(group);
      for (const ControlChoice& choice : c.choices) {
        auto* radio = new QRadioButton(modelText(choice.caption), group);
        column->addWidget(radio);
        const std::string name = partName(c);
        const std::string value = choice.value;
        connect(radio, &QRadioButton::clicked, this, [this, name, value] {
          act([this, name, value] { model_.type(name, value); });
        });
      }
      return group;
    }
    case ControlKind::kDropList: {
      auto* combo = new QComboBox(parent);
      for (const ControlChoice& choice : c.choices) combo->addItem(modelText(withoutMnemonic(choice.caption)));
      combo->setMinimumWidth(pixelsFor(fm, charsOf(model_, c)) + 24);
      connect(combo, &QComboBox::activated, this, [this, index](int i) {
        const ScreenControl& control = model_.controls()[index];
        if (i < 0 || size_t(i) >= control.choices.size()) return;
        const std::string name = partName(control);
        const std::string value = control.choices[size_t(i)].value;
        act([this, name, value] { model_.type(name, value); });
      });
      return combo;
    }
    case ControlKind::kProgress: {
      auto* bar = new QProgressBar(parent);
      bar->setRange(0, 100);
      bar->setMinimumWidth(pixelsFor(fm, 30));
      return bar;
    }
    case ControlKind::kDisplay: {
      auto* label = new QLabel(parent);
      label->setTextFormat(Qt::PlainText);
      // Without a name or prompt it is the screen's own text (a tip line,
      // an instruction): no field around it.
      if (c.name.empty() && c.prompt.empty()) return label;
      label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
      label->setTextFormat(Qt::PlainText);
      label->setTextInteractionFlags(Qt::NoTextInteraction);
      label->setMinimumWidth(pixelsFor(fm, charsOf(model_, c)));
      if (rightAligned(c)) label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
      return label;
    }
  }
  return nullptr;
}

void ModelWindow::addControl(size_t index) {
  const ScreenControl& c = model_.controls()[index];
  Page& page = pageFor(c.tab);
  enterGroup(page, c.group);
  QWidget* parent = page.frame != nullptr ? page.frame : page.widget;
  QGridLayout* grid = page.frameGrid != nullptr ? page.frameGrid : page.grid;
  int& row = page.frame != nullptr ? page.frameRow : page.row;
  ControlView v;
  v.index = index;
  v.widget = makeControl(c, parent);
  v.widget->setToolTip(modelText(c.tip));
  v.widget->setStatusTip(modelText(c.status));
  if (c.blink) {
    // A warning: bold and red, keeping its place while hidden.
    QFont bold = v.widget->font();
    bold.setBold(true);
    v.widget->setFont(bold);
    v.widget->setStyleSheet(QStringLiteral("color: #c00000;"));
    QSizePolicy keep = v.widget->sizePolicy();
    keep.setRetainSizeWhenHidden(true);
    v.widget->setSizePolicy(keep);
    if (blink_ == nullptr) {
      blink_ = new QTimer(this);
      connect(blink_, &QTimer::timeout, this, [this] {
        blinkShown_ = !blinkShown_;
        for (const ControlView& cv : controls_)
          if (model_.controls()[cv.index].blink) showControl(cv);
      });
      blink_->start(kBlinkMs);
    }
  }
  const bool ownCaption = c.kind == ControlKind::kCheckBox || c.kind == ControlKind::kRadioGroup;
  if (!c.prompt.empty() && !ownCaption) {
    v.prompt = new QLabel(modelText(c.prompt), parent);
    v.prompt->setBuddy(v.widget);
  }
  if (c.beside && lastLine_ != nullptr) {
    if (v.prompt != nullptr) lastLine_->addWidget(v.prompt);
    lastLine_->addWidget(v.widget);
  } else {
    if (v.prompt != nullptr) grid->addWidget(v.prompt, row, 0);
    // The control's line: what stands beside it joins it there.
    auto* line = new QHBoxLayout;
    line->setContentsMargins(0, 0, 0, 0);
    line->addWidget(v.widget);
    const bool wide = v.prompt == nullptr;
    grid->addLayout(line, row, wide ? 0 : 1, 1, wide ? 4 : 3, Qt::AlignLeft);
    ++row;
    lastLine_ = line;
  }
  lineOf_[v.widget] = lastLine_;
  partOfWidget_[v.widget] = partName(c);
  controls_.push_back(v);
}

void ModelWindow::addButton(size_t index, QWidget*& lastControl) {
  const ScreenButton& b = model_.buttons()[index];
  Page& page = pageFor(b.tab);
  QAbstractButton* button = nullptr;
  const std::string caption = b.caption.empty() ? (b.name.empty() ? b.tip : b.name) : b.caption;
  if (b.caption.empty()) {
    // An icon-only button stands beside the control declared before it.
    auto* tool = new QToolButton(page.widget);
    tool->setIcon(style()->standardIcon(sameName(b.name, "search") || b.name.empty()
                                            ? QStyle::SP_FileDialogContentsView
                                            : QStyle::SP_ArrowForward));
    tool->setFocusPolicy(Qt::StrongFocus);
    button = tool;
    auto line = lastControl != nullptr ? lineOf_.find(lastControl) : lineOf_.end();
    if (line != lineOf_.end()) {
      tool->setParent(line->second->parentWidget() != nullptr ? line->second->parentWidget() : page.widget);
      line->second->addWidget(tool);
    } else {
      page.grid->addWidget(tool, page.row++, 0, Qt::AlignLeft);
    }
  } else {
    auto* push = new QPushButton(page.widget);
    push->setAutoDefault(false);
    button = push;
    (b.tab < 0 ? bottomButtons_ : page.buttons)->addWidget(push);
  }
  connect(button, &QAbstractButton::clicked, this, [this, caption] { act([this, caption] { model_.press(caption); }); });
  buttons_[index] = button;
}

// --- Showing -----------------------------------------------------------------

void ModelWindow::refresh() {
  if (closing_ || model_.closed()) return;
  refreshing_ = true;
  setWindowTitle(modelText(model_.title()));
  if (tabs_ != nullptr) {
    int page = 0;
    for (const ScreenTab& t : model_.tabs())
      if (t.list.empty() && page < tabs_->count()) tabs_->setTabText(page++, modelText(ScreenModel::captionOf(t)));
    const int current = model_.currentTab();
    for (size_t i = 0; i < tabOfPage_.size(); ++i) {
      if (tabOfPage_[i] != current || tabs_->currentIndex() == int(i)) continue;
      // The page switch hands the focus to the page's first field: that is
      // no move of the user's, and the screen's own choice lands after it.
      moving_ = true;
      tabs_->setCurrentIndex(int(i));
      moving_ = false;
      // Where the screen has no field of that page in mind, it learns the
      // one the page gave.
      QWidget* wanted = focusWidget(model_.focus());
      const bool elsewhere = wanted == nullptr || (tabs_->isAncestorOf(wanted) && !tabs_->currentWidget()->isAncestorOf(wanted));
      if (elsewhere) userFocus(QApplication::focusWidget());
    }
  }
  for (const ControlView& v : controls_) showControl(v);
  for (ListView& v : lists_) showList(v);
  showButtons();
  refreshing_ = false;
}

void ModelWindow::showControl(const ControlView& v) {
  const ScreenControl& c = model_.controls()[v.index];
  // The page hides what stands on other tabs; the state is the screen's.
  const ControlState s = c.state ? c.state() : ControlState{};
  v.widget->setVisible(s.visible && (!c.blink || blinkShown_));
  if (v.prompt != nullptr) v.prompt->setVisible(s.visible);
  const std::string value = c.value ? c.value() : std::string();
  auto* offering = qobject_cast<QComboBox*>(v.widget);
  QLineEdit* typed = offering != nullptr && offering->isEditable() ? offering->lineEdit() : nullptr;
  if (typed != nullptr) offering->setEnabled(s.enabled && !s.readOnly);
  if (auto* edit = typed != nullptr ? typed : qobject_cast<QLineEdit*>(v.widget)) {
    edit->setEnabled(s.enabled);
    edit->setReadOnly(s.readOnly || !c.complete);
    // What the user is typing stays until the field is completed.
    if (!(edit->hasFocus() && edit->isModified())) {
      edit->setText(modelText(trimmed(model_.displayValue(c))));
      edit->setModified(false);
    }
  } else if (auto* box = qobject_cast<QCheckBox*>(v.widget)) {
    box->setEnabled(s.enabled && !s.readOnly);
    box->setChecked(value == checkValues(c).first || (c.choices.empty() && !value.empty() && value != "0"));
  } else if (auto* combo = qobject_cast<QComboBox*>(v.widget)) {
    combo->setEnabled(s.enabled && !s.readOnly);
    int at = -1;
    for (size_t i = 0; i < c.choices.size(); ++i)
      if (c.choices[i].value == value) at = int(i);
    combo->setCurrentIndex(at);
  } else if (auto* group = qobject_cast<QGroupBox*>(v.widget)) {
    group->setEnabled(s.enabled && !s.readOnly);
    const QList<QRadioButton*> radios = group->findChildren<QRadioButton*>();
    for (int i = 0; i < radios.size() && size_t(i) < c.choices.size(); ++i)
      radios[i]->setChecked(c.choices[size_t(i)].value == value);
  } else if (auto* bar = qobject_cast<QProgressBar*>(v.widget)) {
    bar->setEnabled(s.enabled);
    bar->setValue(std::clamp(std::atoi(value.c_str()), 0, 100));
  } else if (auto* label = qobject_cast<QLabel*>(v.widget)) {
    label->setEnabled(s.enabled);
    const QString text = modelText(model_.displayValue(c));
    // A text of several lines (an instruction) wraps in the window's width;
    // a field's frame holds one line unless the value is longer than any
    // field's or has line breaks of its own.
    const bool framed = label->frameShape() != QFrame::NoFrame;
    const bool wrap = text.contains('\n') || text.size() > (framed ? 100 : 80);
    label->setWordWrap(wrap);
    label->setText(text);
    // The layouts here do not ask a wrapped label its height for the width
    // they give it, and a field's set width would cut a longer value: the
    // label is held to the room its whole text needs.
    const QFontMetrics fm = label->fontMetrics();
    const int fieldWidth = framed ? pixelsFor(fm, charsOf(model_, c)) : 0;
    if (wrap) {
      const int width = std::max(fieldWidth, pixelsFor(fm, 60));
      label->setMinimumWidth(width);
      label->setMinimumHeight(label->heightForWidth(width));
    } else {
      label->setMinimumWidth(framed ? std::max(fieldWidth, label->sizeHint().width()) : 0);
      label->setMinimumHeight(0);
    }
  }
}

void ModelWindow::showButtons() {
  for (size_t i = 0; i < buttons_.size(); ++i) {
    QAbstractButton* w = buttons_[i];
    if (w == nullptr) continue;
    const ScreenButton& b = model_.buttons()[i];
    showModelButton(w, model_, b);
    if (auto* push = qobject_cast<QPushButton*>(w)) push->setDefault(model_.isDefault(b));
    w->setVisible(model_.visible(b));
  }
}

// --- Widgets for tests -----------------------------------------------------

QWidget* ModelWindow::control(std::string_view nameOrPrompt) const {
  const ScreenControl* c = model_.control(nameOrPrompt);
  if (c == nullptr) return nullptr;
  for (const ControlView& v : controls_)
    if (&model_.controls()[v.index] == c) return v.widget;
  return nullptr;
}

QLabel* ModelWindow::prompt(std::string_view nameOrPrompt) const {
  const ScreenControl* c = model_.control(nameOrPrompt);
  for (const ControlView& v : controls_)
    if (c != nullptr && &model_.controls()[v.index] == c) return v.prompt;
  return nullptr;
}

QAbstractButton* ModelWindow::button(std::string_view caption) const {
  const ScreenButton* b = model_.button(caption);
  if (b == nullptr) return nullptr;
  return buttons_[size_t(b - model_.buttons().data())];
}

ListWindow* ModelWindow::listWindow(std::string_view name) const {
  for (const ListView& v : lists_)
    if (sameName(model_.lists()[v.index].name, name)) return v.window;
  return nullptr;
}

QTableWidget* ModelWindow::rowTable(std::string_view name) const {
  for (const ListView& v : lists_)
    if (sameName(model_.lists()[v.index].name, name)) return v.table;
  return nullptr;
}

void runModelWindow(ScreenModel& child, QWidget* over, const ModelWindowOptions& options) {
  if (child.closed()) return;
  auto* window = new ModelWindow(child, options, over);
  window->setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
  runForScreen(window, over);
}

}  // namespace vorlam::qt
