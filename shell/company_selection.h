// Company and period selection ("Selecionar empresa e período").
//
// The free functions are the screen's rules on their own: the period set on
// opening, month names, the repairs made to a company record when it is
// chosen, the values copied from it, Cancel, and whether the screen may
// close.  All of them are pure or touch only their arguments.
//
// CompanySelection is the screen without its window: it holds the values
// being edited, reads and repairs the chosen company record, talks to the
// launcher through "ctb.ini", shows its messages through the screen's error
// manager and, when it closes, makes the selection current in one step
// (CompanyFiles::selectCompany()).  The Qt view calls it in the order its
// events come.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "dictionary/dictionary.h"
#include "framework/error_manager.h"
#include "framework/screen_context.h"
#include "framework/settings_file.h"
#include "shell/app_state.h"
#include "shell/company_files.h"
#include "storage/date.h"
#include "storage/record.h"
#include "storage/table.h"

namespace vorlam::shell {

// "Janeiro" ... "Dezembro" for 1..12, "Todo o Ano" for 13; `previous` for
// any other value (the text keeps what it showed).
std::string monthDescription(int mes, const std::string& previous);

// Opening the screen: with no company the year is cleared; with no year the
// period becomes today's month and year.
void preparePeriod(CurrentCompany& company, const CivilDate& today);

// The launcher's hand-over: entry "Selecionar" of section
// "SelecionarEmpresa" of "ctb.ini", read as a number (default 0), written
// back as 0 each time the screen closes with a company.
inline constexpr char kHandoverFile[] = "ctb.ini";
inline constexpr char kHandoverSection[] = "SelecionarEmpresa";
inline constexpr char kHandoverEntry[] = "Selecionar";
enum class Handover {
  kFree,    // any other value: the user chooses
  kPreset,  // 2: the company is preset, re-read and not changed
  kLocked,  // 3: the company must not be changed
};
Handover handoverFrom(int value);

// Repairs of a chosen company record, in the order they are made; the
// screen writes the record back after each one that applies.
enum class Repair {
  kChartType,    // EMP:PLContas 0 becomes 1
  kStructure,    // EMP:CodigoPlanoContas 0 becomes 1, with the default group accounts
  kResponsible,  // EMP:CodRespCTB 0 takes EMP:CodRespEscr when that is set
};
inline constexpr Repair kRepairs[] = {Repair::kChartType, Repair::kStructure,
                                      Repair::kResponsible};
// Applies `repair` to the `Empresa` buffer when it is due; true when the
// buffer changed (and must be written back).
bool applyRepair(Record& empresa, Repair repair);
// The message shown when writing a repair back fails with `errorNumber`:
// "Atenção!!! Erro no plano de contas : NN" or "Atenção!!! Erro no
// responsável : NN".
std::string repairFailureMessage(Repair repair, int errorNumber);

// Copies a chosen company into the selection: state, name, chart type,
// structure, lots and the three file types; TPCONTAS_DESC follows the chart
// type (unchanged for a type other than 1 or 2).  Code and period stay.
void takeCompanyRecord(CurrentCompany& company, const CompanyRecord& record);

// The values Cancel puts back: code, name, state, chart type, structure.
// Edits of year and month stay.
struct SelectionMemo {
  uint16_t codigo = 0;
  std::string razao;
  std::string uf;
  int plContas = 0;
  uint16_t codPlanoContas = 0;
};
SelectionMemo rememberSelection(const CurrentCompany& company);
void restoreSelection(CurrentCompany& company, const SelectionMemo& memo);

// Whether the screen may close: a company is set, or the launcher locked the
// choice.  Otherwise it shows kNoCompanyMessage and stays open.
bool mayCloseSelection(const CurrentCompany& company, Handover handover);
inline constexpr char kNoCompanyMessage[] = "Selecione uma Empresa !";

// The working period the screen accepts: years 1801 to 9998 (the last whose
// December still has a following month) and months 1 to 12 or kWholeYear.
// Anything else would name year directories and look up settings for dates
// that do not exist.
inline constexpr int kFirstYear = 1801;
inline constexpr int kLastYear = 9998;
bool validYear(int ano);
bool validMonth(int mes);
inline constexpr char kInvalidYearMessage[] = "Ano inválido! Informe um ano de 1801 a 9998.";
inline constexpr char kInvalidMonthMessage[] =
    "Mês inválido! Informe um mês de 1 a 12, ou 13 para o ano inteiro.";

// Texts of the screen.
inline constexpr char kSelectionProcedure[] = "SelectEmpresa";
inline constexpr char kSelectionTitle[] = "Selecionar empresa e período";
inline constexpr char kWarningTitle[] = "Atenção!!!";
inline constexpr char kNoCompanyTitle[] = "Atenção";

// Today's date on the local clock.
CivilDate localToday();

// The screen's logic.  Not thread-safe: it runs on the thread of the screen
// that opened it, like its error manager.
class CompanySelection {
 public:
  // Opens a company list to choose from ("BEmpresa" in select mode);
  // returns the code of the company chosen, nullopt when the user gave up.
  using Picker = std::function<std::optional<uint16_t>()>;

  // Every referent must outlive the object.  `settings` resolves "ctb.ini".
  CompanySelection(AppState& state, const Dictionary& dictionary, ErrorManager& errors,
                   SettingsFiles& settings, Picker picker, CivilDate today = localToday());
  ~CompanySelection();
  CompanySelection(const CompanySelection&) = delete;
  CompanySelection& operator=(const CompanySelection&) = delete;

  // Told of the company records the selection repairs (may be null).
  void setWrites(WriteListener* writes) { writes_ = writes; }

  // Opening: pushes "SelectEmpresa", remembers the current company for
  // Cancel, prepares the period and the month name, and opens `Empresa`.
  // When the company file cannot be opened raises message 26 and returns
  // its status; the screen must then close (close() lets it).
  Status open();
  // Once the window is up: the launcher's hand-over.  With "Selecionar" 2
  // and a company set, the code entry and the search are disabled and the
  // code is accepted again (the record is re-read); with 3 they are
  // disabled.
  void windowUp();

  // The values being edited; they become current only when the screen
  // closes.
  const CurrentCompany& values() const { return edit_; }
  // LOC:DESCRICAO_MES.
  const std::string& monthText() const { return monthText_; }
  // False once the launcher locked the choice.
  bool codeEntryEnabled() const { return codeEnabled_; }
  // The company record last read (the screen's `Empresa` buffer).
  const CompanyRecord& record() const { return record_; }
  bool isOpen() const { return opened_ && !closed_; }
  bool isClosed() const { return closed_; }
  // Grows with every change of the values shown, so the view knows when to
  // redisplay.
  uint64_t revision() const { return revision_; }

  // Fields that the screen asks to receive the focus.
  enum class Focus { kNone, kCode, kYear, kMonth };
  // The last focus request since the previous call; kNone when there was
  // none.
  Focus takeFocusRequest();

  // --- Field events -------------------------------------------------------
  // The code entry was changed to `codigo` (without accepting it).
  void setCode(uint16_t codigo);
  // The code entry was accepted: reads the company, repairs its record and
  // takes its values; an unknown code opens the search.
  void acceptCode();
  // The search button: picks a company from the list and accepts its code.
  // Nothing changes when the list is left without a choice.
  void search();
  // Year and month entries accepted.  A value outside the working period is
  // refused with a message and the entry keeps its value (false).
  bool setYear(int ano);
  bool setMonth(int mes);

  // --- Buttons ------------------------------------------------------------
  // "&Selecionar", "&Cancelar" (the five remembered values come back, the
  // previous company's record is read again; the period edits stay), and any
  // other request to close the window.  Each returns true when the screen
  // closed: the values are then current, the company's file names bound and
  // "Selecionar" set to 0.  False when it stays open ("Selecione uma
  // Empresa !", or a period outside its range).
  bool select();
  bool cancel();
  bool requestClose();
  // "Aj&uda".
  void help();
  static const char* helpText();

 private:
  Handover handover() const;
  bool readAndTake(uint16_t codigo, bool searchWhenMissing);
  void repair(Table& table);
  bool tryClose();
  void changed() { ++revision_; }
  void warn(const std::string& text);
  // Shows `message`, asks for the focus on `focus`; always false.
  bool refuse(const char* message, Focus focus);

  AppState& state_;
  const Dictionary& dictionary_;
  ErrorManager& errors_;
  SettingsFiles& settings_;
  Picker picker_;
  WriteListener* writes_ = nullptr;
  CivilDate today_;
  CompanyFiles files_;
  std::unique_ptr<Table> empresa_;
  CurrentCompany edit_;
  CurrentCompany before_;  // the state as the screen found it
  SelectionMemo memo_;
  CompanyRecord record_;
  uint16_t acceptedCode_ = 0;  // the code whose company the values show
  std::string monthText_;
  bool codeEnabled_ = true;
  bool opened_ = false;
  bool pushed_ = false;
  bool closed_ = false;
  bool searching_ = false;
  Focus focus_ = Focus::kNone;
  uint64_t revision_ = 0;
};

}  // namespace vorlam::shell
