// The chart-of-accounts screen `PlanoContas` ("Visualização da Tabela do
// Plano de Contas") of the current company, without its window.
//
// Opening: the company's structure (`GLO:EMPRESA:CODPLANOCONTAS`) must be
// stored, or the screen says "campo 31" and closes; accounts whose
// `PLA:Indice` is blank get it repaired (one pass in file order, written
// only when something needs it); the branch list, the department list and
// the group roles of `ConfiguracaoGrupos` are read; the tags of set 0 of
// `DasTagFileInd` are loaded (and written back when the screen closes).
//
// Tags.  The screen opens `DasTagFileInd` for writing while others may
// only read it (OpenMode::kDenyWrite), without waiting.  When another
// screen has it so already (a second chart window, the chart lookup of a
// form, another workstation), this one reads it and keeps its tag changes
// to itself, saying so when the user closes it with tags changed.  The
// tag views ("Showing Tagged", "Showing UnTagged") narrow the list
// controller to the tagged record numbers, so they page, scroll and
// locate as the whole chart does; a click on the first column, like
// "&Marca", tags or untags the account; a deleted account loses its tag.
//
// Tabs: "&Plano de Contas" (the account list with its five sort tabs and
// the account editor), "Gr&upos", "&Receitas", "&Despesas", "Lucro Real"
// and "Depreciação".
//
// As a lookup (what every other screen opens to choose an account):
//
//   Result<std::unique_ptr<Screen>> s = services_.open("PlanoContas", {.mode = "select"});
//   if (s.isOk() && !s.value()->model().closed()) {
//     model().runChild(s.value()->model());
//     std::vector<std::string> keys = s.value()->chosenKeys();
//     // keys.empty(): nothing chosen; else keys[0] is the written account
//     // code (`PLA:Codigo`, e.g. "1.1.1.01.0001") of the chosen account.
//   }
//
// In select mode the list opens on the "Descrição" tab, "&Seleciona" is the
// default button (Enter on the list chooses) and closes the screen with the
// highlighted account.  A screen that refused to open (no company chosen,
// "campo 31") is returned closed: check model().closed() before running it.
//
// Printing: "Im&primir" hands the chart as the list shows it (current tab
// order and tag view, the shown columns) to the screen's printer.  The
// windows set a printer that draws the job on paper or PDF; without one the
// job is written as text to "Temp/PlanoContas.txt" under the data root.
//
// The account list is bound to its ListController (framework/
// screen_binding.h), so the windows page and scroll it as any list.
// Colours: code, description, reduced code, nickname and type are red 128, green 0,
// blue 64 for synthetic accounts and blue 255 for analytic ones; on the
// result-structure tabs members (or accounts under a member group) are
// green 128 and the others red 255; every second line of the lists of the
// "&Receitas", "&Despesas" and "Depreciação" tabs has a grey (224) ground.
//
// Not thread-safe: the screen runs on its own thread.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "chart/account_structure.h"
#include "chart/account_tags.h"
#include "framework/list_controller.h"
#include "framework/screen_binding.h"
#include "shell/screen_registry.h"
#include "storage/table.h"

namespace vorlam::chart {

inline constexpr char kChartProcedure[] = "PlanoContas";
inline constexpr char kChartTitle[] = "Visualização da Tabela do Plano de Contas";
inline constexpr char kChartListFormat[] =
    "11D(2)|MJ@s1@103L(2)|M*~Código da Conta~C@s40@167L(2)|M*~Descrição~@s40@36C|M*~Reduzido~@n13b@"
    "80L(2)|M*~Apelido~L(0)@s20@0C|M*~1-Sintética ou 2-Analítica~L@n3@47L(2)|M*~Tipo~@s9@"
    "0L(2)|M*~Indice~@s40@40C|M*~Matriz/Filial~L@n6b@72L(2)|M*~CNPJ Matriz/Filial~@s18@";
// What the print job of "Im&primir" names its procedure.
inline constexpr char kChartPrintProcedure[] = "Jan_Rel_PlanoContas";

// Colours of the lists (0xRRGGBB).
inline constexpr uint32_t kSyntheticColour = 0x800040;
inline constexpr uint32_t kAnalyticColour = 0x0000FF;
inline constexpr uint32_t kMemberColour = 0x008000;
inline constexpr uint32_t kNonMemberColour = 0xFF0000;
inline constexpr uint32_t kEvenRowGround = 0xE0E0E0;

// The chart as "Im&primir" hands it over.
struct ChartPrintJob {
  std::string procedure;  // kChartPrintProcedure
  std::string title;      // the window's title and the company
  std::vector<std::string> headers;
  // Calls `row` with the shown cells of every listed account in order.
  std::function<Status(const std::function<void(const std::vector<std::string>&)>& row)> rows;
};
// The job as plain text: the title, the headers and one line per account,
// columns separated by " | ".
Result<std::string> renderChartText(const ChartPrintJob& job);

class ChartScreen : public shell::HostedScreen {
 public:
  ChartScreen(shell::ScreenServices& services, bool selecting);
  ~ChartScreen() override;

  ScreenModel& model() override { return model_; }
  Status open() override;
  // The chosen account's `PLA:Codigo`; empty when none was chosen.
  std::vector<std::string> chosenKeys() const override;

  using Printer = std::function<Status(const ChartPrintJob& job)>;
  void setPrinter(Printer printer) { printer_ = std::move(printer); }

  // For the views and tests.
  const AccountStructure& structure() const { return structure_; }
  ListController& list() { return *list_; }
  const AccountTags& tags() const { return tags_; }
  TagView tagView() const { return tagView_; }
  // The records the account list shows now: its page, in the tag view.
  const std::vector<Record>& shownRows() const { return list_->rows(); }
  // The list colours of an account record.
  static uint32_t accountColour(const Record& account);
  // Writes the tags back (the screen does it when it closes); nothing when
  // another screen has the tag file for writing.
  Status saveTags();
  bool tagsWritable() const { return tagsWritable_; }

 private:
  struct Branch {
    uint16_t code = 0;
    std::string name;  // UTF-8
    std::string cnpj;  // as shown
  };
  enum class Mode { kIdle, kInsert, kChange, kDelete };
  class Groups;

  // Opening.
  Status openTables();
  void openTagFile();
  bool loadStructure();
  Status repairIndexes();
  void loadBranches();
  void declareList();
  void declareEditor();
  void declareEditorControls();  // the account's fields
  void declareEditorButtons();   // save, delete, cancel and Esc
  void declareButtons();
  void declareTagButtons();

  // The editor.
  void startInsert();
  void startChange();
  void startDelete();
  void endEdit();
  void loadEditor(const Record& account);
  Status codeAccepted(const std::string& typed);
  Status reducedAccepted(const std::string& typed);
  Status branchAccepted(const std::string& typed);
  void typeChosen(int type);
  void save();
  bool saveInsert();
  bool saveChange();
  bool saveDelete();
  bool refuse(const std::string& text, const std::string& focus, MessageIcon icon = MessageIcon::kExclamation);
  void say(const std::string& text, MessageIcon icon = MessageIcon::kExclamation);

  // Lookups on the second cursor.
  std::optional<Record> accountByCode(std::string_view code);
  std::optional<Record> accountByReduced(uint32_t reduced);
  // The error number of reading the account `code` (35 when it is gone).
  int lookupError(std::string_view code);
  bool anyUnder(std::string_view code, bool analyticOnly);
  uint32_t nextReduced();
  const Branch* branch(uint16_t code) const;

  // Tags.
  // Narrows the list to what the tag view shows (after the tags changed).
  void applyTagView();
  void toggleTag();
  // Writes the tags back when closing, or says why they stay unwritten.
  void closeTags();
  std::set<int64_t> allIds();
  void print();
  std::string cnpjOf(uint16_t company) const;

  bool selecting_;
  ScreenModel model_;
  ListDefinition definition_;
  std::unique_ptr<Table> chart_;    // the list's own instance
  std::unique_ptr<Table> scan_;     // lookups and checks
  std::unique_ptr<Table> tagFile_;  // DasTagFileInd
  std::unique_ptr<ListController> list_;
  ListBinding binding_;
  std::shared_ptr<ListCells> cells_;
  AccountStructure structure_;
  std::vector<Branch> branches_;
  AccountTags tags_;
  TagView tagView_ = TagView::kAll;
  bool tagsLoaded_ = false;
  bool tagsWritable_ = false;
  std::set<int64_t> savedTags_;  // as stored (or as last reported unstored)
  std::optional<std::string> chosen_;
  Printer printer_;
  std::unique_ptr<Groups> groups_;

  // Editor values.
  int screenTab_ = 0;
  Mode mode_ = Mode::kIdle;
  std::string code_;
  std::string description_;
  uint32_t reduced_ = 0;
  std::string nickname_;
  int type_ = 1;
  uint16_t branch_ = 0;
  std::string branchCnpj_;
  std::string startCode_;  // the code the change or delete started from
};

}  // namespace vorlam::chart
