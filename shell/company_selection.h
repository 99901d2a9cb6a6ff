// The rules of the company and period selection that do not depend on the
// window: the period set on opening, month names, the repairs made to a
// company record when it is chosen, the values copied from it, Cancel, and
// whether the screen may close.  The screen calls these in the order its
// events come; closing with a company ends in CompanyFiles::selectCompany().
// All functions are pure or touch only their arguments.
#pragma once

#include <string>

#include "shell/app_state.h"
#include "shell/company_files.h"
#include "storage/date.h"
#include "storage/record.h"

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

}  // namespace vorlam::shell
