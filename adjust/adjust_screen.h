// The chart-of-accounts adjustment screen ("Ajuste do Plano de Contas",
// procedure "Ajuste_Plano_Contas") without its windows.
//
// The controller holds what the screen shows and decides what each user
// action does: field 01 (new structure) and its lookup, field 02 (year),
// the company list (its orders, the computed "Inscrição" column, the grey
// even rows), the selected-companies list, the processing log and the two
// progress bars, and every message box.  The Qt view mirrors this state and
// carries out the Reaction each action returns (focus, list cursor, the
// lookup window, closing).
//
// The run itself is AdjustRun (adjust_run.h) on a worker thread.  While it
// runs the screen takes no input (every action but close() is refused);
// the worker reports through a Listener, and the view reads progress() and
// logLines() on its own thread.  A stop requested by close() or by the
// application's shutdown takes effect at the next company boundary: the
// company in hand is finished, the rest of the list is left untouched.
//
// Threads: every member is called on the screen's thread, except that the
// Listener is called on the worker thread and progress(), logLines(),
// running() and requestStop() may be called from any thread.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "adjust/adjust_run.h"
#include "dictionary/dictionary.h"
#include "framework/error_manager.h"
#include "framework/list_controller.h"
#include "framework/screen_context.h"
#include "shell/app_state.h"
#include "storage/record.h"
#include "storage/table.h"

namespace vorlam::adjust {

inline constexpr char kScreenProcedure[] = "Ajuste_Plano_Contas";
inline constexpr char kScreenTitle[] = "Ajuste do Plano de Contas";

// Message boxes of the screen, all titled kMessageTitle.  The message at the
// end of a run is the run's own final message (AdjustReport::finalMessage).
inline constexpr char kMessageTitle[] = "Atenção!!!";
inline constexpr char kNoYes[] = "&Não|&Sim";  // button 1 = Não
inline constexpr char kBackupQuestion[] =
    "Atenção!!! É recomendado que antes de efetuar o ajuste em um plano de contas seja feito um backup como "
    "segurança de algum eventual erro. Já foi efetuado um backup???";
inline constexpr char kNoCompanyHighlighted[] = "Atenção!!! É necessário selecionar uma empresa!!!";
inline constexpr char kCompanyAlreadyListed[] = "Atenção!!! Empresa já inclusa no ajuste de plano de contas!!!";
inline constexpr char kNoStructure[] = "Atenção!!! É necessário informar o novo código do plano de contas!!!";
inline constexpr char kCancelled[] = "Operação cancelada!!!";
// Closing while the run goes on, and a run stopped before the end of the list.
inline constexpr char kStopQuestion[] =
    "Atenção!!! O ajuste está em andamento. Deseja interromper o ajuste ao final da empresa que está sendo "
    "ajustada???";
inline constexpr char kStopping[] = "-Interrompendo o ajuste ao final da empresa atual.";
inline constexpr char kInterrupted[] =
    "Atenção!!! Ajuste interrompido. As empresas que ainda não haviam sido ajustadas não foram alteradas!!!";

// "Atenção!!! As emrpesas selecionadas terão seu plano de contas alterado a
// partir do ano <year> para a estrutura selecionada. Confirma alteração???"
std::string confirmationText(uint16_t year);
// The offer to add the companies that share files with the selected ones.
std::string sharersQuestion(const std::vector<uint16_t>& sharers);
// The question of "Restaurar" for company `code`.
std::string restoreQuestion(uint16_t code);

// The company list: all records of `Empresa`, one order per tab.
inline constexpr char kCompanyListFormat[] =
    "28C|M*~Código~L(2)@n6.@158L(2)|M*~Razão Social~@s40@46C|M*~Cód P Contas~L@n6.@80L(2)|M*~Inscrição~@s20@"
    "0L(2)|M*~CGC~@p##.###.###/####-##p@0L(2)|M*~CEI~@p##.###.#####-##p@0L(2)|M*~CPF~@p###.###.###-##p@";
// Field of each column; "" for the computed "Inscrição".
inline const std::vector<std::string> kCompanyListFields = {
    "EMP:Codigo", "Emp:RazaoSocial", "EMP:CodigoPlanoContas", "", "EMP:CGC", "EMP:CEI", "EMP:CPF"};
inline constexpr int kInscricaoColumn = 3;
struct CompanyOrder {
  const char* caption;
  const char* key;
  const char* locatorField;  // the key's field, for repositioning the list
};
// Tab order: the first is shown when the screen opens.
inline constexpr CompanyOrder kCompanyOrders[] = {{"&Razão Social", "EMP:KEY:RAZAOSOCIAL", "Emp:RazaoSocial"},
                                                 {"Código", "EMP:KEY:CODIGO", "EMP:Codigo"}};
inline constexpr char kSelectedListFormat[] = "28C|_M~Código~@n6.@160L(2)|_M~Razão Social~@s40@";
inline constexpr char kLogFormat[] = "800L(2)|M@s200@";

// Background of the even rows (2, 4, ...) of the company list, red-green-blue.
inline constexpr uint32_t kEvenRowColour = 0xE0E0E0;
// True for the rows painted in kEvenRowColour; `row` counts from 0.
inline bool greyCompanyRow(size_t row) { return row % 2 == 1; }

// `LOC:Inscricao` of a company record: the CNPJ formatted when present,
// else the CPF, else the CEI; blank when none is.
std::string inscricao(const Record& empresa);

struct SelectedCompany {
  uint16_t code = 0;
  std::string name;  // UTF-8, no trailing blanks
  bool operator==(const SelectedCompany&) const = default;
};

enum class ScreenTab { kSelectCompanies, kProcessedData };

// The controls an action may send the focus to.
enum class Control { kNone, kStructure, kYear, kCompanyList, kSelectedList, kClose };

// What the view does after an action, besides showing the new state.
struct Reaction {
  Control focus = Control::kNone;
  bool openLookup = false;         // open the structure list, then call lookupClosed()
  // What applyToCompanyList() does to the company list:
  int companyStep = 0;                  // move its highlight by this many rows
  std::optional<uint16_t> showCompany;  // reposition it on this company
  bool refreshCompanies = false;        // read its rows again, keeping the highlight
  bool closeScreen = false;
  bool touchesCompanyList() const { return companyStep != 0 || showCompany || refreshCompanies; }
};

// The two bars and the log, as the worker left them.
struct RunProgress {
  bool running = false;
  int companiesTotal = 0;
  int companiesDone = 0;
  int64_t fileTotal = 0;
  int64_t filePosition = 0;
  size_t logLines = 0;
};

class AdjustScreen {
 public:
  // Told by the worker thread that something changed.
  class Listener {
   public:
    virtual ~Listener() = default;
    // progress(), the log or the rows written changed.  Called once, then
    // not again until the view has called progress(), so that the view
    // posts one update at a time however fast the worker goes.  Called on
    // the worker thread, or on the thread that asks for a stop.
    virtual void runChanged() = 0;
    // The worker has ended: call completeRun() on the screen's thread.
    virtual void runEnded() = 0;
  };

  // `dict`, `state`, `errors` and `shutdown` (may be null) must outlive the
  // screen.  Messages go through `errors`, which carries the screen's
  // procedure name while the screen lives.  The run registers with
  // `shutdown` as a bulk operation and stops at a company boundary when the
  // application is asked to end.
  AdjustScreen(const Dictionary& dict, shell::AppState& state, ErrorManager& errors,
               ShutdownCoordinator* shutdown = nullptr);
  // Stops a run in progress at the next company boundary and waits for it.
  ~AdjustScreen();
  AdjustScreen(const AdjustScreen&) = delete;
  AdjustScreen& operator=(const AdjustScreen&) = delete;

  // Called before each message that has a sound (all but "Operação
  // cancelada!!!").
  void setBeep(std::function<void()> beep) { beep_ = std::move(beep); }
  // Told, on the screen's thread, of the rows the runs and restores write
  // in the files of every company (company records, history and
  // integration rows), in the order they were written; may be null.
  void setWrites(WriteListener* writes) { context_.writes = writes; }

  // --- Opening -----------------------------------------------------------
  // No current company: the company-and-period selection comes first.
  bool needsCompanySelection() const { return state_.company().codigo == 0; }
  // Opens the company list's table and asks the backup question.  False
  // when the screen must close at once: the answer was "&Não", or the
  // company file could not be opened (message 26 raised).
  bool open();

  // --- Field 01 and its lookup ---------------------------------------------
  uint16_t structureCode() const { return structureCode_; }
  const std::string& formato() const { return formato_; }  // LOC:FORMATO
  // Field 01 accepted.  A code with no structure record clears the field
  // and the mask and asks for the lookup.
  Reaction acceptStructure(uint32_t code);
  // The structure list closed; `chosen` is the structure picked, nullopt
  // when it closed without a choice (field 01 then stays as it is).
  Reaction lookupClosed(std::optional<uint16_t> chosen);

  // --- Field 02 -------------------------------------------------------------
  uint16_t year() const { return year_; }
  void acceptYear(uint16_t year);

  // --- Company list ---------------------------------------------------------
  // The list (after open()): its tabs are kCompanyOrders, its highlight is
  // the company "&Incluir" takes.  The view shows it and tells it the
  // user's moves.
  ListController& companyList() { return *companyList_; }
  Table& companyTable() { return *companies_; }
  // The company list's part of a reaction; the view runs it inside the
  // list's page change.  Failures of the list's reads are returned.
  Status applyToCompanyList(const Reaction& reaction);
  // The background of `row` (a row of the list's page): kEvenRowColour on
  // the even rows, nullopt (the list's own) on the others.
  std::optional<uint32_t> companyRowColour(const Record& row) const;
  // The record of company `code`; nullopt when it cannot be read.
  std::optional<Record> companyRecord(uint16_t code);

  // --- Selected-companies list ---------------------------------------------
  const std::vector<SelectedCompany>& selected() const { return selected_; }
  int selectedHighlight() const { return selectedHighlight_; }  // -1: none
  void setSelectedHighlight(int row);
  // "&Incluir" (and Insert in the company list).
  Reaction include();
  // "&Excluir" (and Delete in the selected-companies list).
  Reaction exclude();

  // --- Tabs -------------------------------------------------------------------
  ScreenTab tab() const { return tab_; }
  void setTab(ScreenTab tab) { tab_ = tab; }

  // --- The run ----------------------------------------------------------------
  // "Ajustar": checks, confirmation, then the run starts on a worker thread
  // reporting to `listener` (may be null: poll running()).
  Reaction adjust(Listener* listener);
  bool running() const { return running_.load(); }
  // The bars and the log size now; re-arms Listener::runChanged().
  RunProgress progress();
  // Log lines from index `from` on.
  std::vector<std::string> logLines(size_t from = 0) const;
  // Asks the run to stop at the next company boundary.
  void requestStop();
  // Blocks until the worker has ended (the view waits for runEnded()).
  void waitForRun();
  // Tells the writes listener of the rows the worker has written since the
  // last call.  Screen's thread; completeRun() does it first.
  void reportWrites();
  // After the worker ended: the final message, the refreshed list, the
  // focus on "&Fechar".  Does nothing when no run ended.
  Reaction completeRun();

  // "Restaurar": puts the highlighted selected company (and the companies
  // adjusted with it) back as it was before its latest adjustment, after a
  // question.
  Reaction restore();

  // --- Closing ----------------------------------------------------------------
  // "&Fechar" or the window's close.  Closes at once when idle; during a run
  // asks whether to stop, and closes once the run has stopped.
  Reaction close();

 private:
  // The current company, when among `companies`, is on `structure` now.
  void showStructureOfCurrent(const std::vector<uint16_t>& companies, uint16_t structure);
  class RunObserver;
  void beep();
  void stopBox(const std::string& text, MessageIcon icon = MessageIcon::kError);
  bool refused(Reaction* reaction) const;
  // Asks whether to add `sharers` to the list (true, and added, when they
  // are none or the answer is "&Sim").
  bool includeSharers(const std::vector<uint16_t>& sharers);
  // Clears the last run's log, progress and result and starts `request`
  // on the worker thread, reporting to `listener`.
  void startRun(const AdjustRequest& request, Listener* listener);
  void appendLog(std::string line);
  Status showCompany(uint16_t code);

  const Dictionary& dict_;
  shell::AppState& state_;
  ErrorManager& errors_;
  ShutdownCoordinator* shutdown_;
  ProcedureScope procedure_;
  std::function<void()> beep_;

  ScreenContext context_;
  ListDefinition companyListDef_;
  std::unique_ptr<Table> companies_;
  std::unique_ptr<ListController> companyList_;
  uint16_t structureCode_ = 0;
  std::string formato_;
  uint16_t year_ = 0;
  std::vector<SelectedCompany> selected_;
  int selectedHighlight_ = -1;
  ScreenTab tab_ = ScreenTab::kSelectCompanies;
  bool closeAfterRun_ = false;

  // Shared with the worker.
  std::atomic<bool> running_{false};
  std::atomic<bool> stop_{false};
  std::unique_ptr<RunObserver> observer_;
  std::thread worker_;
  mutable std::mutex mu_;
  std::vector<std::string> log_;            // guarded by mu_
  struct RowWrite {
    std::string table;
    WriteKind kind;
    std::string key;
  };
  std::vector<RowWrite> writes_;            // guarded by mu_; not yet reported
  RunProgress progress_;                    // guarded by mu_
  bool notified_ = false;                   // guarded by mu_
  std::optional<Result<AdjustReport>> result_;  // guarded by mu_
  Listener* listener_ = nullptr;
};

}  // namespace vorlam::adjust
