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
#include "framework/qt/window_state_qt.h"
#include "shell/qt/company_selection_view.h"
#include "shell/startup.h"

namespace vorlam::shell::qt {

namespace {

QString fromUtf8(std::string_view s) { return QString::fromUtf8(s.data(), qsizetype(s.size())); }

// How often the toolbar looks for a change of the current company, made by
// any screen; also how soon a requested shutdown is noticed.
constexpr int kWatchMs = 250;

QString numberText(int64_t value) { return fromUtf8(toolbarNumber(value)); }

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

  setWindowTitle(fromUtf8(kFrameTitle));
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
  for (const MenuItemDef& def : menuItems()) {
    QMenu*& m = menus[def.menu];
    if (m == nullptr) {
      m = menuBar()->addMenu(fromUtf8(def.menu));
      // A greyed item says why on hover, whatever the style does with the
      // status text of disabled items.
      m->setToolTipsVisible(true);
    }
    QAction* a = m->addAction(fromUtf8(def.item));
    a->setEnabled(false);
    a->setStatusTip(QString::fromUtf8(kUnbuiltStatus));
    a->setToolTip(QString::fromUtf8(kUnbuiltStatus));
    const std::string item = def.item;
    connect(a, &QAction::triggered, this, [this, item] { openScreen(item); });
    actions_[item] = a;
  }
  exit_ = menuBar()->addAction(QString::fromUtf8("&Sair"));
  connect(exit_, &QAction::triggered, this, &QWidget::close);
  help_ = menuBar()->addAction(QString::fromUtf8("Aj&uda"));
}

void MainFrame::buildToolbar() {
  bar_ = new QToolBar(QString::fromUtf8("Empresa"), this);
  bar_->setObjectName("companyBar");
  bar_->setMovable(false);
  bar_->setFloatable(false);
  bar_->setContextMenuPolicy(Qt::PreventContextMenu);
  addToolBar(Qt::TopToolBarArea, bar_);
  bar_->addSeparator();
  auto prompt = [this](const char* text) {
    auto* l = new QLabel(QString::fromUtf8(text), bar_);
    l->setContentsMargins(8, 0, 4, 0);
    bar_->addWidget(l);
  };
  prompt("Código :");
  code_ = displayField(bar_, 7, "codeValue");
  code_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  bar_->addWidget(code_);
  prompt("Tipo do Plano:");
  chartType_ = displayField(bar_, 12, "chartTypeValue");
  bar_->addWidget(chartType_);
  prompt("Código PL:");
  structure_ = displayField(bar_, 7, "structureValue");
  structure_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  bar_->addWidget(structure_);

  selectAction_ = new QAction(QString::fromUtf8("Seleciona Empresa"), this);
  selectAction_->setShortcut(QKeySequence(Qt::Key_F2));
  selectAction_->setShortcutContext(Qt::WindowShortcut);
  selectAction_->setToolTip(QString::fromUtf8(kSelectCompanyTip));
  selectAction_->setStatusTip(QString::fromUtf8(kSelectCompanyTip));
  connect(selectAction_, &QAction::triggered, this, &MainFrame::openCompanySelection);
  addAction(selectAction_);
  selectButton_ = new QToolButton(bar_);
  selectButton_->setDefaultAction(selectAction_);
  selectButton_->setToolButtonStyle(Qt::ToolButtonTextOnly);
  selectButton_->setFocusPolicy(Qt::TabFocus);
  bar_->addWidget(new QLabel(QStringLiteral("  "), bar_));
  bar_->addWidget(selectButton_);
  // The toolbar flattens the buttons it is given; this one is a button.
  selectButton_->setAutoRaise(false);

  auto* quit = new QAction(style()->standardIcon(QStyle::SP_DialogCloseButton), QString(), this);
  quit->setToolTip(QString::fromUtf8(kExitTip));
  quit->setStatusTip(QString::fromUtf8(kExitTip));
  connect(quit, &QAction::triggered, this, &QWidget::close);
  exitButton_ = new QToolButton(bar_);
  exitButton_->setDefaultAction(quit);
  exitButton_->setFocusPolicy(Qt::TabFocus);
  bar_->addWidget(exitButton_);

  prompt("Empresa :");
  name_ = displayField(bar_, 40, "nameValue");
  bar_->addWidget(name_);
}

bool MainFrame::registerScreen(std::string_view item, ScreenOpener opener) {
  auto it = actions_.find(item);
  if (it == actions_.end()) return false;
  openers_[std::string(item)] = std::move(opener);
  const bool built = bool(openers_[std::string(item)]);
  it->second->setEnabled(built);
  const QString status = built ? QString() : QString::fromUtf8(kUnbuiltStatus);
  it->second->setStatusTip(status);
  it->second->setToolTip(built ? it->second->text().remove('&') : status);
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
  area_->setActiveSubWindow(sub);
  return sub;
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
  auto* view = new CompanySelectionView(services_, nullptr);
  QMdiSubWindow* sub = showInArea(view);
  sub->setWindowFlags(sub->windowFlags() & ~Qt::WindowMaximizeButtonHint);
  sub->adjustSize();
  selection_ = sub;
  connect(view, &CompanySelectionView::finished, this, [this, sub] {
    refreshCompany();
    sub->close();
  });
  connect(sub, &QObject::destroyed, this, [this, sub] {
    if (selection_ == sub) selection_ = nullptr;
  });
  view->setFocus();
}

void MainFrame::refreshCompany() {
  AppSnapshot s = services_.session.state().snapshot();
  shownGeneration_ = s.generation;
  code_->setText(numberText(s.company.codigo));
  chartType_->setText(fromUtf8(s.company.tpContasDesc));
  structure_->setText(numberText(s.company.codPlanoContas));
  name_->setText(fromUtf8(s.company.razao));
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
