// The journal of the current company and year, "Visualização dos
// Lançamentos" (procedure "Lancamentos_Contabilidade"): the list of the
// year's lines ("Lançamentos do período.") and the editing strip below it.
//
// The list.  Columns "Data", "Conta Débito", "Conta Crédito", "Hist.",
// "Descrição" (the history's), "Documento", "Complemento", "Valor Débito",
// "Valor Crédito", "Número", "Lote", "Padrão", "Origem", "Procedência" (the
// origin's text: "Contabilidade", "Escrita Fiscal", "Folha Pgto.", "Abertura
// Período", "Fechamento do Período"; "Contabilidade" for any other).  Tabs
// "Pesquisa &Data" (date order; `Loc:DataPesquisa` positions on the first
// line at or after the date) and "Pesquisa Docu&mento" (document order;
// `Loc:DocumentoPesquisa`).  Rows are read a page at a time.
//
// Colours (lineColour): a line whose debit and credit values are equal is
// blue, or dark green when it came from the fiscal books ("ESC") and purple
// when it came from the payroll ("FLS"); a line whose values differ is red.
//
// The lot filter.  Completing the lot narrows the list to the lines of the
// selected period (the month of GLO:MES, or the whole year when the period
// is the year) and, for a non-blank lot, of that lot.  The list shows the
// whole year until the lot is first completed.
//
// The strip.  Selecting a line shows it in the strip (every field disabled
// but the lot) with its accounts' and history's descriptions, and writes
// its date (day number) and accounts to "Ctb.Ini", section "Pesquisa",
// entries "Data", "CDebito" and "CCredito".  "&Incluir", "Al&terar",
// "&Excluir", "&Grava" / "&Exclui" and "&Cancela" behave as the suite's
// screen does; new lines are added by addJournalLine (journal_numbers.h), so
// two workstations never add under one number.
//
// Complement markers: "cd" and "CD" stand for the debit account's
// description, "cc" and "CC" for the credit account's (the first 45
// characters), in capitals for "CD" and "CC".  A marker counts only as a
// word of its own: neither the character before it nor the one after it is
// a letter or digit ("ccusto" is left alone).  The first such occurrence of
// each marker is replaced when the complement is completed.
//
// Keys: Esc closes the screen from the list and presses "&Cancela"
// elsewhere; F4 opens the lookup of the standard-entry, debit, credit or
// history field with the focus; Down and Up move through the strip's
// fields, and Down on "&Cancela" goes back to the standard-entry code (the
// debit account when the line has no standard entry).
//
// Not thread-safe: the screen runs on its own thread.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "framework/list_controller.h"
#include "framework/screen_model.h"
#include "ledger/chart_accounts.h"
#include "shell/screen_registry.h"
#include "storage/decimal.h"
#include "storage/table.h"

namespace vorlam::ledger {

inline constexpr char kJournalProcedure[] = "Lancamentos_Contabilidade";
inline constexpr char kJournalTitle[] = "Visualização dos Lançamentos";

// The text of the column "Procedência" for an origin code.
std::string originText(std::string_view origin);

enum class LineColour { kBlue, kGreen, kPurple, kRed };
LineColour lineColour(const Record& line);
uint32_t colourRgb(LineColour colour);  // as 0xRRGGBB

// Replaces the markers of `complement` (UTF-8) as described above.
std::string expandComplement(std::string_view complement, std::string_view debitDescription,
                             std::string_view creditDescription);

class JournalScreen : public shell::HostedScreen {
 public:
  enum class Mode { kIdle, kInsert, kChange, kDelete };

  explicit JournalScreen(shell::ScreenServices& services);
  ScreenModel& model() override { return model_; }
  // Opens the journal of the current company and year and shows its first
  // page; without a selected company, or with a file that cannot be
  // opened, says why and closes.
  Status open() override;

  ListController& list() { return list_; }
  const Record& strip() const { return strip_; }
  Mode mode() const { return mode_; }
  // The first and last day of the lot filter.
  int32_t filterStart() const { return filterStart_; }
  int32_t filterEnd() const { return filterEnd_; }

 private:
  // --- list (journal_screen.cpp) ---
  void declareList();
  void declareStrip();
  void declareKeys();
  Status locateDate(int32_t day);
  Status locateDocument(const std::string& document);
  Status applyLotFilter();
  void showSelected();
  void rememberSelected(const Record& row);
  std::string historyText(int64_t code) const;
  void loadHistories();
  void refreshAround(const Record& row);
  // `line` (a buffer of the strip's alias) as a record of the journal.
  Record listed(const Record& line) const;

  // --- strip (journal_strip.cpp) ---
  bool fieldEnabled(int field) const;
  void clearStrip();
  void describe();
  Status completeStandard(const std::string& typed);
  bool applyStandard(int64_t code, const std::string& typed);
  Status completeAccount(bool debit, const std::string& typed);
  Status completeHistory(int64_t code);
  void completeDebitValue(const std::string& v);
  void completeCreditValue(const std::string& v);
  void lookupStandard();
  void lookupAccount(bool debit);
  void lookupHistory();
  void startInsert();
  void startChange();
  void startDelete();
  void save();
  bool checkSave();
  void insertLine();
  void changeLine();
  void deleteLine();
  void cancel();
  void warn(const std::string& text, const char* title = "Atenção!!!");
  void moveFocus(int step);
  std::string stripText(int field) const;

  Table journal_;  // the list's rows
  Table edit_;     // `Diario2`: the writes of the strip
  Table histories_;
  Table standards_;
  ChartAccounts chart_;
  ListDefinition definition_;
  ListController list_;
  ScreenModel model_;
  Record strip_;
  Mode mode_ = Mode::kIdle;
  std::optional<Record> editing_;  // the listed line being changed or deleted
  int64_t shownId_ = -1;           // the line the strip shows
  std::map<int64_t, std::string> historyTexts_;
  std::string descDebit_, descCredit_, descHistory_;
  std::string lot_;  // what the lot entry holds (UTF-8)
  std::string searchDocument_;
  int32_t searchDate_ = 0;
  bool standardLocks_ = false;  // accounts and history come from a standard entry
  bool numberEnabled_ = true;
  bool standardEditable_ = true;
  int32_t filterStart_ = 0, filterEnd_ = 0;
  // Field indices of the strip's record.
  int fData_, fNumero_, fLote_, fPadrao_, fDebito_, fCredito_, fHistorico_, fValorDebito_, fValorCredito_,
      fDocumento_, fComplemento_, fOrigem_, fEmpresa_;
};

}  // namespace vorlam::ledger
