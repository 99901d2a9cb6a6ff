// The window of the company list `BEmpresa` (registry/company_list.h) in its
// select use, and the picker the company and period selection's search
// button runs.
//
// The window is the generic list window over its own `Empresa` table, with
// the tabs of the list, the buttons "&Incluir", "Al&terar", "&Excluir"
// (disabled: the company form is not part of this tool yet), "&Seleciona"
// (the default: Enter picks), "&Ajuda", "&Fechar", "F&iltra" (the query
// window) and "&Limp. Filtro" (drops the query).
//
// Lives on the GUI thread.
#pragma once

#include <QDialog>
#include <memory>
#include <optional>

#include "framework/error_manager.h"
#include "framework/list_controller.h"
#include "framework/qt/list_window.h"
#include "framework/qt/pick_list_dialog.h"
#include "framework/screen_context.h"
#include "shell/qt/shell_services.h"
#include "storage/record.h"
#include "storage/table.h"

class QPushButton;

namespace vorlam::registry::qt {

class CompanyListWindow : public vorlam::qt::PickListDialog {
  Q_OBJECT
 public:
  // `empresa` is open on the company file; it, `context` and `services`
  // must outlive the window.
  CompanyListWindow(ScreenContext& context, Table& empresa, const shell::qt::ShellServices& services,
                    QWidget* parent = nullptr);

  // Builds the list and shows the first page of "&Razão Social".
  Status build();
  QPushButton* filterButton() const { return filter_; }
  QPushButton* clearFilterButton() const { return clearFilter_; }

 private:
  QPushButton* addButton(const char* caption, const char* tip);

  Dialogs& dialogs_;
  QPushButton* filter_ = nullptr;
  QPushButton* clearFilter_ = nullptr;
};

// The company list over `parent` to pick a company, on a table and an
// error manager of its own: the chosen code, nullopt when the user gave up
// or the company file could not be opened (message 26 shown).  `services`
// must outlive the picker.
shell::qt::CompanyPicker companyListPicker(const shell::qt::ShellServices& services);

}  // namespace vorlam::registry::qt
