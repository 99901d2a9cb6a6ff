// The account-code structure list `ConfigContas` ("Visualização da Tabela da
// Configuração do Plano de Contas") without its window: its columns, tabs,
// buttons and texts, the mask shown for the structure under the cursor, and
// the opening of the structure form for insert, change and delete (view is
// refused: the list never opens the form for it).
//
// The list owns the screen's two instances of the structure file: the
// list's own `ConfPlanoContas`, which the rows are read from (through the
// framework's list controller) and the form writes through, and the second
// cursor `ConfPlanoContas0` of the form's duplicate scan.  Opened to pick a structure for a caller, Enter selects:
// "&Selecionar" is the default button and the change button's tip and
// status text read "Altera Registro Selecionado".
//
// Not thread-safe: the list runs on its screen's thread.
#pragma once

#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "chart/structure_form.h"
#include "framework/list_controller.h"
#include "framework/screen_context.h"
#include "framework/screen_model.h"
#include "storage/record.h"
#include "storage/status.h"
#include "storage/table.h"

namespace vorlam::chart {

inline constexpr char kStructureListProcedure[] = "ConfigContas";
inline constexpr char kStructureListTitle[] = "Visualização da Tabela da Configuração do Plano de Contas";
inline constexpr char kStructureListFormat[] =
    "28R(2)|_M~Código~C(0)@n6@80L(2)|_M~Nome~@s40@24C|_M~Níveis~@n3@32C|_M~1º Grau~@p#p@"
    "32C|_M~2º Grau~@p#p@32C|_M~3º Grau~@p#p@32C|_M~4º Grau~@p#p@32C|_M~5º Grau~@p#p@"
    "32C|_M~6º Grau~@p#p@30C|_M~7º Grau~@p#p@31C|_M~8º Grau~@p#p@31C|_M~9º Grau~@p#p@"
    "0L(2)|_M~Formato~@s40@";
// The line above the list.
inline constexpr char kStructureListTip[] = "Inclui ( Insert ) - Altera ( Enter ) - Exclui ( Delete )";
// The prompt below the list; selectedFormat() gives the text beside it.
inline constexpr char kSelectedFormatPrompt[] = "Formato do Plano Selecionado :";

// The field of each column of kStructureListFormat, in order.
std::span<const char* const> structureListColumns();

struct StructureListTab {
  const char* caption;
  const char* key;
  const char* locatorPrompt;
  const char* locatorField;
};
// "Código do Plano de Contas" (the default order) and "Nome".
std::span<const StructureListTab> structureListTabs();

enum class StructureListButton { kInsert, kChange, kDelete, kSelect, kHelp, kClose };

// The buttons shown, in order; "&Selecionar" only when selecting.
std::vector<StructureListButton> structureListButtons(bool selecting);
// Caption, tip and status text of a button.
ButtonText structureListButton(StructureListButton button, bool selecting);
// The button Enter presses: select when selecting, otherwise change.
StructureListButton structureListDefault(bool selecting);
// Text behind "&Ajuda".
std::string structureListHelp();

// The mask of the structure in `row` rebuilt from its levels (not the mask
// the record stores), as shown beside "Formato do Plano Selecionado :".
std::string selectedFormat(const Record& row);

class StructureList {
 public:
  // `context` must outlive the list.  The list controller pushes
  // `ConfigContas` on the screen's error manager for as long as it lives.
  StructureList(ScreenContext& context, bool selecting);

  // Opens both instances of the structure file (created empty when it is
  // missing) and shows the first page in code order.  A file that cannot
  // be opened raises message 26.
  Status open();

  // The rows, tabs, locator and highlight (framework/list_controller.h).
  ListController& rows() { return list_; }
  const ListController& rows() const { return list_; }
  Table& table() { return table_; }
  Table& scan() { return scan_; }
  bool selecting() const { return selecting_; }

  // The text beside "Formato do Plano Selecionado :" for the highlighted
  // row; empty when no row is highlighted.
  std::string currentFormat() const;

  // Insert, change and delete open the form; view does not.
  static bool opensForm(Request request);

  // Drives an open form: the window's event loop, or a test's script.
  using FormRunner = std::function<void(StructureForm& form)>;
  void setFormRunner(FormRunner run) { runner_ = std::move(run); }
  // A request of a button or key on the highlighted row (insert: none),
  // through the list controller: true when the form completed, and the
  // list then highlights the record.  View is refused.
  bool request(Request request);
  // Opens the form for `request` on `row` (a row of the list; nullptr for
  // insert) and hands it to `run`.  True when the form completed; false
  // when it was refused, could not read the record, or was cancelled.
  bool runForm(Request request, const Record* row, const FormRunner& run);

  // The screen: the list with its two tabs and locators, "Formato do Plano
  // Selecionado :", the buttons of structureListButtons() and the keys
  // Insert, Delete and Enter.  Its forms open as children of it unless a
  // FormRunner is set.  "&Selecionar" keeps the chosen structure and
  // closes the screen.
  ScreenModel& screen() { return model_; }
  // The structure chosen by "&Selecionar"; nullopt until then.
  const std::optional<Record>& chosen() const { return chosen_; }

 private:
  void declareScreen();

  ScreenContext& ctx_;
  bool selecting_;
  ListDefinition definition_;
  Table table_;
  Table scan_;
  ListController list_;
  FormRunner runner_;
  ScreenModel model_;
  std::optional<Record> chosen_;
};

}  // namespace vorlam::chart
