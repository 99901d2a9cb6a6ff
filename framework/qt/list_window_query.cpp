// The query and filter side of ListWindow: the query entries, the query
// window, and the screen's filter applied together with the query's.
#include <QMenu>
#include <QPushButton>
#include <QTableView>

#include "framework/filter_pictures.h"
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

void ListWindow::raise(const QueryMessage& message) {
  if (services_.errors != nullptr) raiseQueryMessage(*services_.errors, message);
}

Status ListWindow::installFilter() {
  std::string expression;
  for (const std::string* part : {&def_.filter, &queryExpression_}) {
    if (part->empty()) continue;
    expression += expression.empty() ? "(" + *part + ")" : " AND (" + *part + ")";
  }
  if (expression.empty()) {
    model_->clearFilter();
    return Status();
  }
  Result<Filter> compiled = Filter::compile(expression, table_.def(), displayPictureFormatter());
  if (!compiled.isOk()) return compiled.status();
  FilterVariableMap none;
  Result<BoundFilter> bound = compiled->bind(variables_ != nullptr ? *variables_ : none);
  if (!bound.isOk()) return bound.status();
  model_->setFilter(*bound);
  return Status();
}

Status ListWindow::applyFilters() {
  if (model_ == nullptr) return Status(StatusCode::kInvalidArgument, "lista fechada");
  Status s = installFilter();
  if (s.isOk()) s = model_->showFirst();
  moveCursor(0);
  return s;
}

Status ListWindow::applyQuery(const std::vector<QueryColumn>& typed) {
  if (model_ == nullptr) return Status(StatusCode::kInvalidArgument, "lista fechada");
  query_ = typed;
  const QueryFilter built = buildQueryFilter(typed, table_.def());
  Status failed;
  for (const QueryMessage& m : built.messages) {
    raise(m);
    if (m.number == kMessageFilterFailed) failed = Status(StatusCode::kInvalidArgument, "filtro não aplicado");
  }
  queryExpression_ = built.expression;
  Status s = applyFilters();
  if (!s.isOk() && !queryExpression_.empty()) {
    // The query made the list unreadable: show it without the query.
    raise(filterFailedMessage(s));
    queryExpression_.clear();
    applyFilters();
    return s;
  }
  return s.isOk() ? failed : s;
}

Status ListWindow::clearQuery() {
  query_.clear();
  queryExpression_.clear();
  return applyFilters();
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
  if (window.exec() != QDialog::Accepted) return false;
  applyQuery(window.columns());
  return true;
}

void ListWindow::showFilterInForce() {
  MessageBoxRequest box;
  box.title = kQueryWindowTitle;
  box.text = queryExpression_;
  box.icon = MessageIcon::kInformation;
  dialogs().messageBox(box);
}

void ListWindow::addQueryEntries(QMenu* menu) {
  QPushButton* b = button(kListQuery);
  if (b == nullptr) return;
  const bool on = b->isEnabled();
  const bool filtered = !queryExpression_.empty();
  QAction* query = menu->addAction(listButtonCaption(kListQuery));
  query->setEnabled(on);
  connect(query, &QAction::triggered, this, [this] {
    if (onQuery_) onQuery_();
    else openQueryWindow();
  });
  QAction* view = menu->addAction("Visualiza");
  view->setEnabled(on && filtered);
  connect(view, &QAction::triggered, this, &ListWindow::showFilterInForce);
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

Status ListWindow::setRange(int components, const Record& values) {
  if (model_ == nullptr) return Status(StatusCode::kInvalidArgument, "lista fechada");
  Status s;
  if (components == 0) model_->clearRange();
  else s = model_->setRange(components, values);
  if (s.isOk()) s = model_->showFirst();
  moveCursor(0);
  return s;
}

}  // namespace vorlam::qt
