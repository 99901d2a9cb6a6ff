#include "shell/qt/main_frame.h"

#include <QAction>
#include <QAbstractButton>
#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QEventLoop>
#include <QKeyEvent>
#include <QLabel>
#include <QLinearGradient>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QPointer>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

#include "framework/picture.h"
#include "framework/qt/model_view.h"
#include "framework/qt/model_window.h"
#include "framework/qt/screen_modal.h"
#include "framework/qt/window_state_qt.h"
#include "shell/company_selection.h"
#include "shell/qt/screen_windows.h"
#include "shell/shell_screens.h"
#include "shell/startup.h"

namespace vorlam::shell::qt {

namespace {

QString fromUtf8(std::string_view s) { return QString::fromUtf8(s.data(), qsizetype(s.size())); }

// How often the toolbar looks for a change of the current company, made by
// any screen; also how soon a requested shutdown is noticed.
constexpr int kWatchMs = 250;

// The characters a toolbar value shows: its picture's width.
int charsOf(const ScreenControl& c) {
  Result<Picture> p = Picture::compile(c.picture);
  return p.isOk() && p->width() > 0 ? p->width() : 12;
}

std::string trimmed(const std::string& s) {
  const size_t b = s.find_first_not_of(' ');
  return b == std::string::npos ? std::string() : s.substr(b, s.find_last_not_of(' ') - b + 1);
}

// The control of `screen` whose '&' mnemonic is `key`: a button, or the
// buddy of a prompt.  nullptr when none is visible and enabled.
QWidget* mnemonicTarget(QWidget* screen, int key) {
  auto matches = [key](const QString& text) {
    QKeySequence seq = QKeySequence::mnemonic(text);
    return !seq.isEmpty() && seq[0].key() == Qt::Key(key);
  };
  for (QAbstractButton* b : screen->findChildren<QAbstractButton*>())
    if (b->isVisibleTo(screen) && b->isEnabled() && matches(b->text())) return b;
  for (QLabel* l : screen->findChildren<QLabel*>())
    if (l->buddy() && l->buddy()->isVisibleTo(screen) && l->buddy()->isEnabled() && matches(l->text()))
      return l->buddy();
  return nullptr;
}

QLabel* displayField(QWidget* parent, int chars, const char* name) {
  auto* l = new QLabel(parent);
  l->setObjectName(QString::fromUtf8(name));
  l->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
  l->setMinimumWidth(chars * l->fontMetrics().averageCharWidth() + 10);
  l->setTextInteractionFlags(Qt::NoTextInteraction);
  l->setAutoFillBackground(true);
  QPalette p = l->palette();
  p.setColor(QPalette::Window, p.color(QPalette::Base));
  l->setPalette(p);
  return l;
}

}  // namespace

MainFrame::MainFrame(ShellServices& services, QWidget* parent)
    : QMainWindow(parent), services_(services) {
  AppState& state = services_.session.state();
  state.bind(sharedFileNames(state.dataRoot()));
  errors_ = services_.newErrorManager();
  errors_->pushProcedure(kFrameProcedure);
  procedurePushed_ = true;
  if (services_.registry == nullptr) {
    ownRegistry_ = std::make_unique<ScreenRegistry>();
    registerScreens(*ownRegistry_);
  }
  screen_ = std::make_unique<MainScreen>(
      state, MainScreen::Actions{.built = [this](std::string_view item) { return isRegistered(item); },
                                 .open = [this](std::string_view item) { openScreen(item); },
                                 .selectCompany = [this] { openCompanySelection(); }});

  setWindowTitle(fromUtf8(screen_->model().title()));
  // Every window of the process, the separate ones and the message boxes
  // included, in the frame's font.
  QApplication::setFont(QFont("Arial", 9));
  area_ = new QMdiArea(this);
  paintWallpaper();
  area_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  area_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  setCentralWidget(area_);
  buildMenus();
  buildToolbar();
  statusBar();

  services_.highlightColour = kHighlightColourText;
  QIcon icon = style()->standardIcon(QStyle::SP_DriveHDIcon);
  if (QApplication::windowIcon().isNull()) QApplication::setWindowIcon(icon);
  if (windowIcon().isNull()) setWindowIcon(icon);

  resize(1024, 720);
  new vorlam::qt::WindowStateKeeper(services_.session.windowState(), kFrameProcedure, this);
  // The frame's own controls are its toolbar; the screens in the work area
  // have their own highlight and navigation.
  installScreenBehaviour(bar_, services_);
  refreshCompany();
  watchState();
  qApp->installEventFilter(this);
}

MainFrame::~MainFrame() {
  if (procedurePushed_) errors_->popProcedure();
}

void MainFrame::buildMenus() {
  std::map<std::string, QMenu*> menus;
  ScreenModel& model = screen_->model();
  for (const MenuItem& item : model.menu()) {
    QAction* a = nullptr;
    if (item.path.size() == 1) {
      // An item of the bar itself ("&Sair", "Aj&uda").
      a = menuBar()->addAction(fromUtf8(item.path[0]));
    } else {
      QMenu*& m = menus[item.path[0]];
      if (m == nullptr) {
        m = menuBar()->addMenu(fromUtf8(item.path[0]));
        // A greyed item says why on hover, whatever the style does with the
        // status text of disabled items.
        m->setToolTipsVisible(true);
      }
      a = m->addAction(fromUtf8(item.path.back()));
      actions_[item.path.back()] = a;
    }
    const std::vector<std::string> path = item.path;
    connect(a, &QAction::triggered, this, [this, path] { act([this, path] { screen_->model().chooseMenu(path); }); });
    if (path.size() == 1 && sameCaption(path[0], kExitMenu)) exit_ = a;
    if (path.size() == 1 && sameCaption(path[0], kHelpMenu)) help_ = a;
  }
}

void MainFrame::buildToolbar() {
  bar_ = new QToolBar(QString::fromUtf8("Empresa"), this);
  bar_->setObjectName("companyBar");
  bar_->setMovable(false);
  bar_->setFloatable(false);
  bar_->setContextMenuPolicy(Qt::PreventContextMenu);
  addToolBar(Qt::TopToolBarArea, bar_);
  bar_->addSeparator();
  ScreenModel& model = screen_->model();
  for (const ScreenModel::Part& part : model.parts()) {
    if (part.kind == ScreenModel::PartKind::kControl) {
      const ScreenControl& c = model.controls()[part.index];
      auto* prompt = new QLabel(fromUtf8(c.prompt), bar_);
      prompt->setContentsMargins(8, 0, 4, 0);
      bar_->addWidget(prompt);
      QLabel* value = displayField(bar_, charsOf(c) + 1, c.name.c_str());
      Result<Picture> picture = Picture::compile(c.picture);
      if (picture.isOk() && picture->kind() == Picture::Kind::kNumber)
        value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
      bar_->addWidget(value);
      values_.emplace_back(&c, value);
      continue;
    }
    if (part.kind != ScreenModel::PartKind::kButton) continue;
    const ScreenButton& b = model.buttons()[part.index];
    const std::string caption = b.caption.empty() ? b.tip : b.caption;
    auto* action = new QAction(fromUtf8(b.caption), this);
    action->setToolTip(fromUtf8(b.tip));
    action->setStatusTip(fromUtf8(b.status));
    connect(action, &QAction::triggered, this, [this, caption] { act([this, caption] { screen_->model().press(caption); }); });
    auto* button = new QToolButton(bar_);
    button->setDefaultAction(action);
    button->setFocusPolicy(Qt::TabFocus);
    if (b.caption.empty()) {
      action->setIcon(style()->standardIcon(QStyle::SP_DialogCloseButton));
      exitButton_ = button;
    } else {
      button->setToolButtonStyle(Qt::ToolButtonTextOnly);
      bar_->addWidget(new QLabel(QStringLiteral("  "), bar_));
      selectButton_ = button;
      selectAction_ = action;
    }
    bar_->addWidget(button);
    // The toolbar flattens the buttons it is given; these are buttons.
    button->setAutoRaise(b.caption.empty());
  }
  // The keys the frame reacts to, wherever the focus is in it.
  for (const ScreenKey& k : model.keys()) {
    auto* key = new QAction(this);
    key->setShortcut(QKeySequence(fromUtf8(k.name)));
    key->setShortcutContext(Qt::WindowShortcut);
    const std::string name = k.name;
    connect(key, &QAction::triggered, this, [this, name] { act([this, name] { screen_->model().key(name); }); });
    addAction(key);
  }
  code_ = bar_->findChild<QLabel*>("GLO:EMPRESA:CODIGO");
  chartType_ = bar_->findChild<QLabel*>("GLO:EMPRESA:TPCONTAS_DESC");
  structure_ = bar_->findChild<QLabel*>("GLO:EMPRESA:CODPLANOCONTAS");
  name_ = bar_->findChild<QLabel*>("GLO:EMPRESA:RAZAO");
}

void MainFrame::act(const std::function<void()>& action) {
  action();
  // "&Sair" and the exit button close the frame's screen: the frame goes.
  if (screen_->model().closed()) {
    close();
    return;
  }
  refreshModel();
}

void MainFrame::refreshModel() {
  ScreenModel& model = screen_->model();
  for (const auto& [control, label] : values_) label->setText(fromUtf8(trimmed(model.displayValue(*control))));
  for (const MenuItem& item : model.menu()) {
    if (item.path.size() < 2) continue;
    QAction* a = menuAction(item.path.back());
    if (a == nullptr) continue;
    const bool enabled = !item.enabled || item.enabled();
    const QString status = fromUtf8(ScreenModel::statusOf(item));
    a->setEnabled(enabled);
    a->setStatusTip(status);
    a->setToolTip(status.isEmpty() ? a->text().remove('&') : status);
  }
}

bool MainFrame::registerScreen(std::string_view item, ScreenOpener opener) {
  auto it = actions_.find(item);
  if (it == actions_.end()) return false;
  openers_[std::string(item)] = std::move(opener);
  refreshModel();
  return true;
}

bool MainFrame::isRegistered(std::string_view item) const {
  auto it = openers_.find(item);
  return it != openers_.end() && bool(it->second);
}

QAction* MainFrame::menuAction(std::string_view item) const {
  auto it = actions_.find(item);
  return it == actions_.end() ? nullptr : it->second;
}

QWidget* MainFrame::openScreen(std::string_view item) {
  auto it = openers_.find(item);
  if (it == openers_.end() || !it->second) return nullptr;
  bool modal = false;
  for (const MenuItemDef& def : menuItems())
    if (item == def.item) modal = def.modal;
  // A copy: the opener may register screens itself, which would move it.
  ScreenOpener opener = it->second;
  QWidget* screen = opener();
  if (screen == nullptr) return nullptr;
  if (modal) return runModal(screen);
  showInArea(screen);
  return screen;
}

QMdiSubWindow* MainFrame::showInArea(QWidget* screen) {
  QMdiSubWindow* sub = area_->addSubWindow(screen);
  sub->setAttribute(Qt::WA_DeleteOnClose);
  // A screen that closes itself ("&Fechar") takes its work-area window
  // along, so that no empty frame (and, maximised, no stale title) is left.
  connect(screen, &QObject::destroyed, sub, &QWidget::close, Qt::QueuedConnection);
  sub->setWindowIcon(screen->windowIcon().isNull() ? windowIcon() : screen->windowIcon());
  sub->show();
  fitInArea(sub);
  area_->setActiveSubWindow(sub);
  return sub;
}

void MainFrame::fitInArea(QMdiSubWindow* sub) {
  // A screen sized for a larger display (the chart of accounts) opens
  // inside the work area, its title bar and left edge first: out of it, its
  // first columns and tabs were cut off.
  const QRect room = area_->viewport()->rect();
  if (room.isEmpty() || sub->isMaximized()) return;
  if (sub->width() > room.width() || sub->height() > room.height())
    sub->resize(sub->size().boundedTo(room.size()).expandedTo(sub->minimumSizeHint()));
  QRect r = sub->geometry();
  vorlam::qt::keepInside(r, room);
  sub->move(r.topLeft());
}

QWidget* MainFrame::runModal(QWidget* screen) {
  // File maintenance works on files every other screen may hold: nothing
  // else runs until it is done.
  if (auto* dialog = qobject_cast<QDialog*>(screen)) {
    dialog->setParent(this, dialog->windowFlags() | Qt::Dialog);
    dialog->setWindowModality(Qt::ApplicationModal);
    dialog->exec();
    delete dialog;
    return nullptr;
  }
  screen->setParent(this, Qt::Window);
  screen->setWindowModality(Qt::ApplicationModal);
  screen->setAttribute(Qt::WA_DeleteOnClose);
  QEventLoop loop;
  connect(screen, &QObject::destroyed, &loop, &QEventLoop::quit);
  screen->show();
  loop.exec();
  return nullptr;
}

std::vector<QMdiSubWindow*> MainFrame::screens() const {
  std::vector<QMdiSubWindow*> out;
  for (QMdiSubWindow* sub : area_->subWindowList(QMdiArea::CreationOrder)) out.push_back(sub);
  return out;
}

void MainFrame::openCompanySelection() {
  if (selection_ != nullptr) {
    area_->setActiveSubWindow(selection_);
    return;
  }
  const ScreenRegistry& registry = services_.registry != nullptr ? *services_.registry : *ownRegistry_;
  vorlam::qt::ModelWindow* window = openScreenWindow(services_, registry, kSelectionProcedure, area_);
  if (window == nullptr) return;  // the company file could not be opened: it has said why
  QMdiSubWindow* sub = showInArea(window);
  sub->setWindowFlags(sub->windowFlags() & ~Qt::WindowMaximizeButtonHint);
  sub->adjustSize();
  selection_ = sub;
  connect(sub, &QObject::destroyed, this, [this, sub] {
    if (selection_ == sub) selection_ = nullptr;
    refreshCompany();
  });
}

void MainFrame::refreshCompany() {
  shownGeneration_ = services_.session.state().snapshot().generation;
  refreshModel();
}

void MainFrame::watchState() {
  watch_ = new QTimer(this);
  connect(watch_, &QTimer::timeout, this, [this] {
    ShutdownCoordinator& app = services_.session.application();
    if (app.shutdownRequested()) {
      // A fatal message asked for the end: bulk work finishes its record
      // and flushes first.
      watch_->stop();
      app.waitForBulkOperations();
      close();
      return;
    }
    if (services_.session.state().snapshot().generation != shownGeneration_) refreshCompany();
  });
  watch_->start(kWatchMs);
}

void MainFrame::paintWallpaper() {
  // In the work area's own coordinates: each repaint of a part of it then
  // paints that part of the one gradient.
  const int height = qMax(1, area_->viewport()->height());
  QLinearGradient wallpaper(0, 0, 0, height);
  wallpaper.setColorAt(0, QColor(46, 84, 122));
  wallpaper.setColorAt(1, QColor(18, 40, 64));
  area_->setBackground(QBrush(wallpaper));
}

bool MainFrame::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::Resize && watched == area_->viewport()) {
    paintWallpaper();
    return false;
  }
  if (event->type() != QEvent::ShortcutOverride && event->type() != QEvent::KeyPress) return false;
  auto* key = static_cast<QKeyEvent*>(event);
  if (key->modifiers() != Qt::AltModifier || watched != QApplication::focusWidget()) return false;
  QMdiSubWindow* sub = area_->activeSubWindow();
  auto* focus = static_cast<QWidget*>(watched);
  if (sub == nullptr || sub->widget() == nullptr || !sub->isAncestorOf(focus)) return false;
  QWidget* target = mnemonicTarget(sub->widget(), key->key());
  if (target == nullptr) return false;
  // Accepting the override turns the shortcut into a key press for the
  // screen, which acts on it here.
  event->accept();
  if (event->type() == QEvent::KeyPress) {
    if (auto* button = qobject_cast<QAbstractButton*>(target)) {
      button->setFocus(Qt::ShortcutFocusReason);
      button->click();
    } else {
      target->setFocus(Qt::ShortcutFocusReason);
    }
  }
  return true;
}

void MainFrame::closeEvent(QCloseEvent* event) {
  // A selection still open is dropped: nothing of it was made current, and
  // asking for a company now would only hold the end up.
  if (selection_ != nullptr) delete selection_;
  // The screens get their own close first (they save their window state);
  // one that would rather stay open ends with the process all the same.
  area_->closeAllSubWindows();
  if (procedurePushed_) errors_->popProcedure();
  procedurePushed_ = false;
  event->accept();
}

}  // namespace vorlam::shell::qt
