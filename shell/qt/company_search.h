// "Pesquisa empresa" (procedure PesquisaEmpresas): the registered companies
// of the alias `Empresa0` in a list opened to pick one, as the lookups of
// other forms use it.
//
// The list has the columns code, name, CNPJ, CPF and CEI, the buttons
// "&Seleciona" (the default: Enter picks), "&Cancela" and "&Ajuda", and
// runs modally over its caller on the caller's thread, with its own table.
#pragma once

#include <QDialog>
#include <memory>
#include <optional>

#include "framework/error_manager.h"
#include "framework/list_controller.h"
#include "framework/qt/list_window.h"
#include "framework/qt/pick_list_dialog.h"
#include "framework/screen_context.h"
#include "shell/company_search.h"
#include "shell/qt/shell_services.h"
#include "storage/record.h"

namespace vorlam::shell::qt {

// The view's definition (format, fields, buttons) of the list of
// shell/company_search.h.
vorlam::qt::ListWindowDefinition companySearchView();

// The window, for callers that show it themselves (and for tests).  The
// table must be open on the company file; it and `context` must outlive the
// window.
class CompanySearchWindow : public vorlam::qt::PickListDialog {
  Q_OBJECT
 public:
  CompanySearchWindow(ScreenContext& context, Table& empresa0, Dialogs& dialogs,
                      const vorlam::qt::ScreenLook& look, QWidget* parent = nullptr);

  // Builds the list and shows its first page.
  Status build();

 private:
  Dialogs& dialogs_;
};

// Runs the search over `parent` and waits for it to close.  Returns the
// chosen company as a buffer of `Empresa0`; nullopt when the user cancelled
// or the company file could not be opened (message 26 is raised through
// `errors`, which names "PesquisaEmpresas" while the list is open).
std::optional<Record> pesquisaEmpresas(ShellServices& services, ErrorManager& errors,
                                       QWidget* parent);

// pesquisaEmpresas() as the company selection's search: the chosen code.
CompanyPicker companySearchPicker(ShellServices& services, ErrorManager& errors);

}  // namespace vorlam::shell::qt
