#include "framework/qt/query_window.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScrollArea>
#include <QTabWidget>
#include <QVBoxLayout>

namespace vorlam::qt {

namespace {

QString fromUtf8(const std::string& s) { return QString::fromUtf8(s.data(), qsizetype(s.size())); }

QPushButton* addButton(QBoxLayout* row, const char* caption, QWidget* parent) {
  auto* b = new QPushButton(QString::fromUtf8(caption), parent);
  b->setAutoDefault(false);
  row->addWidget(b);
  return b;
}

}  // namespace

QueryWindow::QueryWindow(std::vector<QueryColumn> columns, const QStringList& prompts, ListQueryStore* store,
                         Dialogs& dialogs, QWidget* parent)
    : QDialog(parent), columns_(std::move(columns)), store_(store), dialogs_(dialogs) {
  setWindowTitle(QString::fromUtf8(kQueryWindowTitle));
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);
  auto* layout = new QVBoxLayout(this);
  tabs_ = new QTabWidget(this);
  tabs_->addTab(buildSavedTab(), QString::fromUtf8("Salva Filtros"));
  tabs_->addTab(buildValuesTab(prompts), QString::fromUtf8("Filtra Configurações"));
  tabs_->setTabEnabled(0, store_ != nullptr);
  tabs_->setCurrentIndex(1);
  layout->addWidget(tabs_, 1);

  auto* row = new QHBoxLayout;
  row->addStretch(1);
  QPushButton* ok = addButton(row, "&OK", this);
  ok->setDefault(true);
  QPushButton* cancel = addButton(row, "&Cancela", this);
  QPushButton* clearAll = addButton(row, "&Limpa", this);
  layout->addLayout(row);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  connect(clearAll, &QPushButton::clicked, this, &QueryWindow::clear);
  refreshSaved();
  if (!entries_.empty()) entries_.front()->setFocus(Qt::OtherFocusReason);
  behaviour_ = installScreenBehaviour(this);
}

QWidget* QueryWindow::buildValuesTab(const QStringList& prompts) {
  auto* page = new QWidget(this);
  auto* column = new QVBoxLayout(page);
  auto* scroll = new QScrollArea(page);
  scroll->setWidgetResizable(true);
  scroll->setFrameShape(QFrame::NoFrame);
  auto* fields = new QWidget(scroll);
  auto* grid = new QGridLayout(fields);
  for (size_t i = 0; i < columns_.size(); ++i) {
    QString prompt = i < size_t(prompts.size()) ? prompts[qsizetype(i)] : fromUtf8(columns_[i].field);
    auto* label = new QLabel(prompt.replace('&', "&&") + ":", fields);
    auto* edit = new QLineEdit(fromUtf8(columns_[i].value), fields);
    edit->setObjectName(fromUtf8(columns_[i].field));
    edit->setMinimumWidth(edit->fontMetrics().averageCharWidth() * 30);
    label->setBuddy(edit);
    grid->addWidget(label, int(i), 0);
    grid->addWidget(edit, int(i), 1);
    entries_.push_back(edit);
  }
  grid->setRowStretch(int(columns_.size()), 1);
  scroll->setWidget(fields);
  column->addWidget(scroll, 1);
  auto* help = new QLabel(QString::fromUtf8("Operadores: =  <  >  <=  >=  <> (Diferente)  ~ (inicia, sem maiúsculas)\n"
                                            "*texto: contém    texto*: inicia com    ^: ignora maiúsculas"),
                          page);
  help->setObjectName("help");
  help->setEnabled(false);
  column->addWidget(help);
  return page;
}

QWidget* QueryWindow::buildSavedTab() {
  auto* page = new QWidget(this);
  auto* column = new QVBoxLayout(page);
  saved_ = new QListWidget(page);
  column->addWidget(saved_, 1);
  auto* nameRow = new QHBoxLayout;
  auto* label = new QLabel(QString::fromUtf8("&Nome do filtro:"), page);
  name_ = new QLineEdit(page);
  name_->setMaxLength(int(kSavedQueryPartLength));
  label->setBuddy(name_);
  nameRow->addWidget(label);
  nameRow->addWidget(name_, 1);
  column->addLayout(nameRow);
  auto* row = new QHBoxLayout;
  row->addStretch(1);
  QPushButton* save = addButton(row, "&Grava", page);
  QPushButton* remove = addButton(row, "E&xclui", page);
  column->addLayout(row);
  connect(saved_, &QListWidget::currentTextChanged, this, [this](const QString& name) {
    if (name.isEmpty()) return;
    name_->setText(name);
    loadSaved(name);
  });
  connect(save, &QPushButton::clicked, this, &QueryWindow::saveCurrent);
  connect(remove, &QPushButton::clicked, this, &QueryWindow::deletePicked);
  return page;
}

std::vector<QueryColumn> QueryWindow::columns() const {
  std::vector<QueryColumn> out = columns_;
  for (size_t i = 0; i < out.size(); ++i) out[i].value = entries_[i]->text().toStdString();
  return out;
}

void QueryWindow::clear() {
  for (QLineEdit* e : entries_) e->clear();
}

void QueryWindow::refreshSaved() {
  QSignalBlocker block(saved_);
  saved_->clear();
  if (store_ == nullptr) return;
  for (const std::string& name : store_->names()) saved_->addItem(fromUtf8(name));
}

void QueryWindow::refuse(const Status& status) {
  MessageBoxRequest box;
  box.title = "Atenção!!!";
  box.text = messageBoxText(status.message());
  box.icon = MessageIcon::kExclamation;
  dialogs_.messageBox(box);
}

bool QueryWindow::loadSaved(const QString& name) {
  if (store_ == nullptr) return false;
  Result<SavedQuery> query = store_->load(name.toStdString());
  if (!query.isOk()) {
    refuse(query.status());
    return false;
  }
  const std::vector<QueryColumn> filled = withSavedValues(columns_, *query);
  for (size_t i = 0; i < filled.size(); ++i) entries_[i]->setText(fromUtf8(filled[i].value));
  return true;
}

bool QueryWindow::saveCurrent() {
  if (store_ == nullptr) return false;
  Status s = store_->save(savedQueryOf(name_->text().toStdString(), columns()));
  if (!s.isOk()) {
    refuse(s);
    return false;
  }
  refreshSaved();
  const QList<QListWidgetItem*> items = saved_->findItems(name_->text().trimmed(), Qt::MatchExactly);
  if (!items.isEmpty()) {
    QSignalBlocker block(saved_);
    saved_->setCurrentItem(items.front());
  }
  return true;
}

bool QueryWindow::deletePicked() {
  if (store_ == nullptr || saved_->currentItem() == nullptr) return false;
  const QString name = saved_->currentItem()->text();
  QuestionRequest ask;
  ask.title = "Atenção!!!";
  ask.text = ("Deseja excluir o filtro \"" + name + "\"?").toStdString();
  ask.buttonList = "&Não|&Sim";
  ask.defaultButton = 1;
  if (dialogs_.question(ask) != 2) return false;
  Status s = store_->remove(name.toStdString());
  if (!s.isOk()) {
    refuse(s);
    return false;
  }
  name_->clear();
  refreshSaved();
  return true;
}

}  // namespace vorlam::qt
