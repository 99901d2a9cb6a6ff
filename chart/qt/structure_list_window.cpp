#include "chart/qt/structure_list_window.h"

#include <QItemSelectionModel>
#include <QLabel>
#include <QContextMenuEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

#include "chart/qt/structure_form_window.h"
#include "chart/structure_record.h"
#include "framework/qt/model_view.h"
#include "framework/qt/screen_modal.h"

namespace vorlam::chart::qt {

namespace {

namespace fq = vorlam::qt;

QString fromUtf8(const std::string& s) { return QString::fromUtf8(s.data(), qsizetype(s.size())); }


fq::ListWindowDefinition listDefinition(bool selecting) {
  fq::ListWindowDefinition d;
  d.format = kStructureListFormat;
  for (const char* field : structureListColumns()) d.columnFields.push_back(field);
  for (const StructureListTab& t : structureListTabs()) d.locatorPrompts.push_back(t.locatorPrompt);
  d.buttons = fq::kListInsert | fq::kListChange | fq::kListDelete;
  if (selecting) d.buttons |= fq::kListSelect;
  return d;
}

fq::ListButton listButtonOf(StructureListButton b) {
  switch (b) {
    case StructureListButton::kInsert: return fq::kListInsert;
    case StructureListButton::kChange: return fq::kListChange;
    case StructureListButton::kDelete: return fq::kListDelete;
    case StructureListButton::kSelect: return fq::kListSelect;
    case StructureListButton::kHelp:
    case StructureListButton::kClose: break;
  }
  return fq::ListButton(0);
}

}  // namespace

StructureListScreen::StructureListScreen(const Dictionary& dictionary, PathResolver resolve,
                                         ErrorServices& errorServices, ApplicationControl& application,
                                         bool selecting, QWidget* dialogParent)
    : dialogs(dialogParent),
      errors(errorServices, dialogs, application),
      context{dictionary, std::move(resolve), errors},
      list(context, selecting),
      definition(listDefinition(selecting)) {}

StructureListWindow::StructureListWindow(std::unique_ptr<StructureListScreen> screen, QWidget* parent)
    : ScreenHolder{std::move(screen)},
      ListWindow(held->list.rows(), held->definition, parent) {
  held->list.rows().setFormOpener([this](Request request, const Record* row) { return runForm(request, row); });
  decorate();
}

void StructureListWindow::decorate() {
  const bool selecting = held->list.selecting();
  auto* box = qobject_cast<QVBoxLayout*>(layout());
  tip_ = new QLabel(fromUtf8(kStructureListTip), this);
  box->insertWidget(box->indexOf(view()), tip_);

  auto* formatRow = new QHBoxLayout;
  auto* prompt = new QLabel(fromUtf8(kSelectedFormatPrompt), this);
  format_ = new QLabel(this);
  format_->setObjectName("selectedFormat");
  format_->setTextFormat(Qt::PlainText);
  format_->setFrameShape(QFrame::Panel);
  format_->setFrameShadow(QFrame::Sunken);
  format_->setMinimumWidth(fontMetrics().averageCharWidth() * 42);
  formatRow->addWidget(prompt);
  formatRow->addWidget(format_);
  formatRow->addStretch(1);
  box->insertLayout(box->indexOf(view()) + 1, formatRow);

  // Captions, tips and status texts are the screen model's, declared in
  // the order of structureListButtons(); help and close run through it.
  ScreenModel& model = held->list.screen();
  model.setDialogs(&held->dialogs);
  const std::vector<StructureListButton> order = structureListButtons(selecting);
  for (size_t i = 0; i < order.size() && i < model.buttons().size(); ++i) {
    const ScreenButton& b = model.buttons()[i];
    if (fq::ListButton which = listButtonOf(order[i]); which != 0) {
      fq::showModelButton(button(which), model, b);
    } else if (order[i] == StructureListButton::kHelp) {
      help_ = new QPushButton(this);
      fq::showModelButton(help_, model, b);
      connect(help_, &QPushButton::clicked, this, [&model, caption = b.caption] { model.press(caption); });
    } else if (order[i] == StructureListButton::kClose) {
      close_ = new QPushButton(this);
      fq::showModelButton(close_, model, b);
      // The screen's window closes, and with it its work-area window.
      connect(close_, &QPushButton::clicked, this, &QWidget::close);
    }
  }
  for (QPushButton* b : {help_, close_}) b->setAutoDefault(false);
  buttonRow()->addWidget(help_);
  buttonRow()->addWidget(close_);
}

Status StructureListWindow::open() {
  Status s = ListWindow::open();
  if (!s) return s;
  auto follow = [this] { showSelectedFormat(); };
  connect(view()->selectionModel(), &QItemSelectionModel::currentChanged, this, follow);
  // A record changed in place keeps its row: the mask must follow the data.
  connect(model(), &QAbstractItemModel::modelReset, this, follow);
  connect(model(), &QAbstractItemModel::dataChanged, this, follow);
  connect(model(), &QAbstractItemModel::rowsInserted, this, follow);
  connect(model(), &QAbstractItemModel::rowsRemoved, this, follow);
  showSelectedFormat();
  return s;
}

bool StructureListWindow::eventFilter(QObject* watched, QEvent* event) {
  if (watched != view()->viewport() || event->type() != QEvent::ContextMenu)
    return ListWindow::eventFilter(watched, event);
  // The menu repeats the buttons under the captions this screen gives them.
  QMenu* menu = contextMenu();
  for (QAction* action : menu->actions()) {
    for (int i = 0; i < fq::kListButtonCount; ++i) {
      const auto which = fq::ListButton(1u << i);
      if (button(which) != nullptr && action->text() == fq::listButtonCaption(which))
        action->setText(button(which)->text());
    }
  }
  menu->setAttribute(Qt::WA_DeleteOnClose);
  menu->popup(static_cast<QContextMenuEvent*>(event)->globalPos());
  return true;
}

void StructureListWindow::showSelectedFormat() {
  const ScreenModel& model = held->list.screen();
  const ScreenControl* shown = model.control(kSelectedFormatPrompt);
  format_->setText(shown == nullptr ? QString() : fromUtf8(model.displayValue(*shown)));
}

bool StructureListWindow::runForm(Request request, const Record* row) {
  StructureList::FormRunner run = formRunner_;
  if (!run) {
    run = [this](StructureForm& form) {
      StructureFormWindow window(form, held->dialogs, this);
      vorlam::qt::execForScreen(window);
    };
  }
  const bool completed = held->list.runForm(request, row, run);
  showSelectedFormat();
  return completed;
}


QWidget* openStructureList(const Dictionary& dictionary, const shell::AppState& state,
                           ErrorServices& errorServices, ApplicationControl& application, QWidget* parent,
                           StructureChosen onSelect) {
  const bool selecting = static_cast<bool>(onSelect);
  auto screen = std::make_unique<StructureListScreen>(dictionary, state.resolver(), errorServices, application,
                                                      selecting, parent);
  if (!screen->list.open()) return nullptr;
  auto* window = new StructureListWindow(std::move(screen), parent);
  window->setWindowFlag(Qt::Window);
  window->setAttribute(Qt::WA_DeleteOnClose);
  if (selecting) {
    window->setOnSelect([onSelect](const Record& row) { onSelect(structureFromRecord(row)); });
  }
  if (!window->open()) {
    delete window;
    return nullptr;
  }
  return window;
}

}  // namespace vorlam::chart::qt
