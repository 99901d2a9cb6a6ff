// The query-by-example window of list screens, "Configurações do Filtro".
//
// Tab "Filtra Configurações" has one entry per queryable column of the list,
// under the column's header, where the user types the column's condition
// (the syntax of framework/query_builder.h: "=", "<", ">", "~" and
// "Diferente", "*" for contains and begins-with, "^" to ignore case).  Tab
// "Salva Filtros" lists the list's saved queries: picking one fills the
// entries, "&Grava" saves the entries under the name typed, "E&xclui"
// deletes the query picked.  "&OK" accepts the entries, "&Cancela" leaves
// them, "&Limpa" blanks them.
//
// The window only collects the typed values; the list builds and applies
// the filter.  Lives on the GUI thread.
#pragma once

#include <QDialog>
#include <QStringList>
#include <vector>

#include "framework/dialogs.h"
#include "framework/query_builder.h"
#include "framework/qt/list_query.h"
#include "framework/qt/screen_behaviour.h"

class QLineEdit;
class QListWidget;
class QPushButton;
class QTabWidget;

namespace vorlam::qt {

inline constexpr const char* kQueryWindowTitle = "Configurações do Filtro";

class QueryWindow : public QDialog {
  Q_OBJECT
 public:
  // `columns` are the queryable columns with the values typed last time;
  // `prompts` their headers, one per column.  `store` (may be null: no saved
  // queries) and `dialogs` must outlive the window; `dialogs` shows the
  // refusals and the delete question.
  QueryWindow(std::vector<QueryColumn> columns, const QStringList& prompts, ListQueryStore* store,
              Dialogs& dialogs, QWidget* parent = nullptr);

  // The highlight look of the list that opened the window.
  void setLook(const ScreenLook& look) { setScreenLook(behaviour_, this, look); }

  // The columns with what is typed now.
  std::vector<QueryColumn> columns() const;
  // Blanks every entry ("&Limpa").
  void clear();
  // Fills the entries from the saved query `name`; false when it cannot be
  // read.
  bool loadSaved(const QString& name);
  // Saves the entries under the name typed on "Salva Filtros".
  bool saveCurrent();
  // Deletes the saved query picked, after the user confirmed.
  bool deletePicked();

  QTabWidget* tabs() const { return tabs_; }
  QLineEdit* entry(int column) const { return entries_[size_t(column)]; }
  int entryCount() const { return int(entries_.size()); }
  QListWidget* savedList() const { return saved_; }
  QLineEdit* nameEntry() const { return name_; }

 private:
  QWidget* buildValuesTab(const QStringList& prompts);
  QWidget* buildSavedTab();
  void refreshSaved();
  void refuse(const Status& status);

  std::vector<QueryColumn> columns_;
  std::vector<QLineEdit*> entries_;
  ListQueryStore* store_;
  Dialogs& dialogs_;
  QTabWidget* tabs_ = nullptr;
  QListWidget* saved_ = nullptr;
  QLineEdit* name_ = nullptr;
  ScreenBehaviour behaviour_;
};

}  // namespace vorlam::qt
