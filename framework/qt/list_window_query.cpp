// The query side of ListWindow: the query entries and the query window.
#include <QMenu>
#include <QPushButton>
#include <QTableView>

#include "framework/qt/screen_modal.h"
#include "framework/qt/list_window.h"
#include "framework/qt/query_window.h"

namespace vorlam::qt {

namespace {

QString fromUtf8(const std::string& s) { return QString::fromUtf8(s.data(), qsizetype(s.size())); }

}  // namespace

std::vector<QueryColumn> ListWindow::queryColumns() const {
  std::vector<QueryColumn> out;
  if (model_ == nullptr) return out;
  const auto& columns = model_->columns();
  for (size_t i = 0; i < columns.size() && i < def_.columnFields.size(); ++i) {
    const std::string& field = def_.columnFields[i];
    if (field.empty() || columns[i].hidden()) continue;
    QueryColumn c{field, columns[i].picture, {}};
    for (const QueryColumn& typed : query_)
      if (sameName(typed.field, field)) c.value = typed.value;
    out.push_back(std::move(c));
  }
  return out;
}

QStringList ListWindow::queryPrompts() const {
  QStringList out;
  if (model_ == nullptr) return out;
  const auto& columns = model_->columns();
  for (size_t i = 0; i < columns.size() && i < def_.columnFields.size(); ++i) {
    if (def_.columnFields[i].empty() || columns[i].hidden()) continue;
    out << fromUtf8(columns[i].header.empty() ? def_.columnFields[i] : columns[i].header);
  }
  return out;
}

Status ListWindow::applyQuery(const std::vector<QueryColumn>& typed) {
  query_ = typed;
  return change([&] { return controller_.applyQuery(typed); });
}

void ListWindow::clearQuery() {
  query_.clear();
  change([this] {
    controller_.clearQuery();
    return Status();
  });
}

Status ListWindow::applySavedQuery(const QString& name) {
  if (!queryStore_) return Status(StatusCode::kNotFound, "sem filtros gravados");
  Result<SavedQuery> saved = queryStore_->load(name.toStdString());
  if (!saved.isOk()) return saved.status();
  return applyQuery(withSavedValues(queryColumns(), *saved));
}

bool ListWindow::openQueryWindow() {
  if (model_ == nullptr) return false;
  QueryWindow window(queryColumns(), queryPrompts(), queryStore_.get(), dialogs(), this);
  window.setLook(look_);
  if (execForScreen(window) != QDialog::Accepted) return false;
  applyQuery(window.columns());
  return true;
}

void ListWindow::showQueryInForce() {
  MessageBoxRequest box;
  box.title = kQueryWindowTitle;
  box.text = controller_.queryExpression();
  box.icon = MessageIcon::kInformation;
  dialogs().messageBox(box);
}

void ListWindow::addQueryEntries(QMenu* menu) {
  QPushButton* b = button(kListQuery);
  if (b == nullptr) return;
  const bool on = b->isEnabled();
  const bool filtered = !controller_.queryExpression().empty();
  QAction* query = menu->addAction(listButtonCaption(kListQuery));
  query->setEnabled(on);
  connect(query, &QAction::triggered, this, [this] {
    if (onQuery_) onQuery_();
    else openQueryWindow();
  });
  QAction* view = menu->addAction("Visualiza");
  view->setEnabled(on && filtered);
  connect(view, &QAction::triggered, this, &ListWindow::showQueryInForce);
  QAction* clear = menu->addAction("&Limpa");
  clear->setEnabled(on && filtered);
  connect(clear, &QAction::triggered, this, [this] { clearQuery(); });
  if (!queryStore_) return;
  const std::vector<std::string> names = queryStore_->names();
  if (names.empty()) return;
  menu->addSeparator();
  for (const std::string& name : names) {
    const QString caption = fromUtf8(name);
    QAction* saved = menu->addAction(QString(caption).replace('&', "&&"));
    saved->setEnabled(on);
    connect(saved, &QAction::triggered, this, [this, caption] { applySavedQuery(caption); });
  }
}

QMenu* ListWindow::queryMenu() {
  auto* menu = new QMenu(this);
  addQueryEntries(menu);
  return menu;
}

}  // namespace vorlam::qt
