// The rules of the company form `UEmpresa` that need no table: the texts
// and choices of its fields, the group-account rule, the last-level check of
// the numbering by CNPJ/CPF, and the contract-change history it writes when
// a tax option, tax regime, message code, chart type or structure changes.
//
// Pure functions and constants; thread-safe.  Texts are UTF-8.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "chart/account_structure.h"

namespace vorlam::registry {

inline constexpr char kCompanyFormProcedure[] = "UEmpresa";
inline constexpr char kCompanyFormTitle[] = "Atualização da Tabela de Empresas";
inline constexpr char kWarning[] = "Atenção!!!";

// Company codes are unsigned 16-bit numbers; a larger typed code is refused
// rather than wrapped onto another company.
inline constexpr uint32_t kMaxCompanyCode = 65535;
inline constexpr char kCodeTooLargeMessage[] =
    "Código de empresa inválido! Informe um código de 1 a 65535.";

// The three tabs of the form, in order.
inline constexpr const char* kCompanyFormTabs[] = {"Ca&dastro", "&Integração / Filiais",
                                                   "Alt&erações Cadastrais"};

// How a field of the form is shown.
enum class CompanyControl { kEntry, kRadio, kDropList, kDisplay };

struct CompanyChoice {
  int value;
  const char* caption;
};

struct CompanyFieldText {
  const char* field;   // "EMP:Codigo"
  const char* prompt;  // "0&1-Código..............."; "" when none
  const char* picture;
  CompanyControl control = CompanyControl::kEntry;
  std::span<const CompanyChoice> choices = {};
  const char* tip = "";
  int tab = 0;  // index into kCompanyFormTabs
};

// Every field of the form, in prompt order, tab by tab.
std::span<const CompanyFieldText> companyFormFields();

// The first `n` characters of a UTF-8 text (a field of n Latin-1 bytes).
std::string cutCharacters(const std::string& utf8, size_t n);

// "Incluindo uma Empresa", "Alterando a Empresa", "Excluindo uma Empresa".
inline constexpr char kInsertCaption[] = "Incluindo uma Empresa";
inline constexpr char kChangeCaption[] = "Alterando a Empresa";
inline constexpr char kDeleteCaption[] = "Excluindo uma Empresa";

// --- Group accounts ----------------------------------------------------

// The group-account rule: a blank value is accepted as blank; otherwise its
// dots are dropped, the digits masked with `structure` and the result must
// be a synthetic code of the level just above the last (as long as a code
// of level Graus - 1).  Returns the masked value, or nullopt when refused
// (no structure, a structure of one level, or the wrong length).
std::optional<std::string> maskGroupAccount(const std::optional<chart::AccountStructure>& structure,
                                            std::string_view value);

inline constexpr char kCustomerGroupMessage[] =
    "Atenção!!! Deve ser informado a conta sintética do Grupo de Clientes!!!";
inline constexpr char kSupplierGroupMessage[] =
    "Atenção!!! Deve ser informado a conta sintética do Grupo de Fornecedores!!!";
inline constexpr char kSameGroupsMessage[] =
    "Atenção!!! Grupo de Clientes não pode ser igual ao Grupo de Fornecedores!!!";

// Numbering by CNPJ/CPF (EMP:TipoAutomatica 2) needs at least 9 digits in
// the structure's last level.  nullopt when it has them (or the structure
// has no level 1..9 to look at); otherwise the message, ending in the
// digit count.
std::optional<std::string> numberingByIdRefusal(const chart::AccountStructure& structure);

// --- Contract-change history ------------------------------------------

// The fields whose change the form records, in the order it asks.
enum class HistoryItem { kSimples, kApuracao, kMensagem, kTipoPlano, kCodigoPlano };
inline constexpr HistoryItem kHistoryItems[] = {HistoryItem::kSimples, HistoryItem::kApuracao,
                                                HistoryItem::kMensagem, HistoryItem::kTipoPlano,
                                                HistoryItem::kCodigoPlano};

// The change code (9, 38, 39, 40, 41) and the field ("EMP:SimplesFederal"...).
int historyCode(HistoryItem item);
const char* historyField(HistoryItem item);
// The question, with the month and year of the period.
std::string historyQuestion(HistoryItem item, int month, int year);
inline constexpr char kHistoryQuestionTitle[] = "Alteração Cadastro";
// The observation: the value the field had when the form opened, as text,
// cut to the 40 characters of ALTCONT:OBS.
std::string historyObservation(HistoryItem item, int64_t openingValue);
// The record date: day 1 of the month for 9, 38, 39; 1 January of the year
// for 40 and 41.  nullopt for a period that gives no date.
std::optional<int32_t> historyDate(HistoryItem item, int month, int year);
// Whether a row of that code and date already there keeps its observation:
// a chart change of 1 January records what was in force before the year,
// which a second change within the year does not alter.
bool historyKeepsObservation(HistoryItem item);
// The message after a row was written, and its title.
std::string historyFollowUp(HistoryItem item, int year);
inline constexpr char kHistoryFollowUpTitle[] = "Alteração cadastro";

// --- Simples and regime --------------------------------------------------

inline constexpr char kOptantMessage[] = "Atenção!!! Empresa optante do Simples Federal!!!";
inline constexpr char kNotOptantMessage[] = "Atenção!!! Empresa NÃO optante do Simples Federal!!!";

// --- Save checks ---------------------------------------------------------
inline constexpr char kStateMessage[] = "Estado não encontrado, tente cadastrá-lo";
inline constexpr char kStateTitle[] = "Estado incorreto";
inline constexpr char kPlanTypeMessage[] = "Informe o tipo de Plano de Contas!!!";
inline constexpr char kPlanTypeTitle[] = "Atenção";

// --- Logo ----------------------------------------------------------------
inline constexpr char kLogoDialogTitle[] = "Escolha um Arquivo";
inline constexpr char kLogoDialogFilter[] = "Imagens | *.bmp;*.gif;*.jpg;*.wmf;*.ico;*.pcx";
inline constexpr char kLogoFolder[] = "Imagens";

}  // namespace vorlam::registry
