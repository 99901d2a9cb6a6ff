// The company list `BEmpresa` ("Visualização da Tabela de Empresas") without
// its window: its tabs, columns, buttons and texts.
//
// The list opens on "&Razão Social"; "&Parte da  Razão Social" keeps the
// same order and lists only the companies whose name contains what was
// typed (letter case aside).  The company and period selection opens it to
// choose a company (the select use): "&Seleciona" is then the default
// button; insert, change and delete then stay disabled.  Opened to
// maintain companies, they open the company form.
//
// The functions are pure and thread-safe.
#pragma once

#include <span>
#include <string>

#include "framework/list_controller.h"

namespace vorlam::registry {

inline constexpr char kCompanyListProcedure[] = "BEmpresa";
inline constexpr char kCompanyListTitle[] = "Visualização da Tabela de Empresas";
// The tab the list opens on ("&Razão Social").
inline constexpr int kCompanyListFirstTab = 1;
// The part-name tab's entry and its tip.
inline constexpr char kPartNameVariable[] = "Loc:Nome";
inline constexpr int kPartNameWidth = 40;
inline constexpr char kPartNameTip[] = "Entre com a Razão Social a ser pesquisada";
inline constexpr char kPartNameFilter[] = "(InString(Upper(Clip(Loc:Nome)),Upper(Clip(Emp:RazaoSocial)),1,1))";

// Columns "Código" … "Fax", as a FORMAT string, and the field of each.
extern const char kCompanyListFormat[];
std::span<const char* const> companyListColumns();

// Procedure, title and the three tabs ("&Código", "&Razão Social",
// "&Parte da  Razão Social").
const ListDefinition& companyListDefinition();
// The prompt beside each tab's entry, in tab order.
std::span<const char* const> companyListLocatorPrompts();

enum class CompanyListButton { kInsert, kChange, kDelete, kSelect, kHelp, kClose, kFilter, kClearFilter };

// Caption ('&' marks the mnemonic) and tip of a button; the change button's
// tip reads "Altera Registro Selecionado" when the list is not selecting.
struct CompanyListButtonText {
  std::string caption;
  std::string tip;
};
CompanyListButtonText companyListButton(CompanyListButton button, bool selecting);

// Text behind "&Ajuda".
std::string companyListHelp(bool selecting);

}  // namespace vorlam::registry
