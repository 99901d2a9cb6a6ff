// The reference tables the company form looks things up in: economic
// activities (`CNAE`), federal units (`Estados`), municipalities
// (`Municipios`) and the responsible persons (`Funcionarios`).
//
// Each of the first three has a list and a form; the list also serves as
// the lookup (opened with mode "select": "&Seleciona" is then the default
// button and chosenKeys() gives the chosen row's primary key; otherwise
// "&Altera" carries the tip "Altera Registro Selecionado").  The list opens
// its form as a child for insert ("&Inclui", Insert), change ("&Altera")
// and delete ("&Exclui", Delete), and shows the record afterwards.
//
//   procedure      title
//   BCNAE          "Visualização da Tabela de C.N.A.E."            (form UCNAE)
//   BEstados       "Visualização da Tabela Unidade de Federação"   (form UEstados)
//   BMunicipios    "Visualização da Tabela  de Municípios"         (form UMunicipios)
//   BFuncionarios  "Tabela de responsáveis"  (the person form belongs to the
//                  payroll records: its buttons stay disabled until a screen
//                  "UFuncionarios" is registered; "&Legenda" opens "WLegenda")
//
// The forms open with the usual requests ("insert", "change", "delete",
// "view") and, except for insert, the record's primary key (CNAE code,
// state abbreviation, municipality code).  The part-name tabs of the CNAE
// and municipality lists match letter case aside; the responsible persons'
// part-name filter matches only the case typed.  A municipality's state,
// when given, must exist in `Estados`: otherwise the state list opens to
// choose one, on completing the field and again on saving; a cancel keeps
// the focus on the field (and stops the save).
#pragma once

#include "shell/screen_registry.h"

namespace vorlam::registry {

inline constexpr char kCnaeListProcedure[] = "BCNAE";
inline constexpr char kCnaeFormProcedure[] = "UCNAE";
inline constexpr char kStateListProcedure[] = "BEstados";
inline constexpr char kStateFormProcedure[] = "UEstados";
inline constexpr char kMunicipalityListProcedure[] = "BMunicipios";
inline constexpr char kMunicipalityFormProcedure[] = "UMunicipios";
inline constexpr char kResponsibleListProcedure[] = "BFuncionarios";
// Screens of the payroll records the responsible-person list opens when
// they are built.
inline constexpr char kPersonFormProcedure[] = "UFuncionarios";
inline constexpr char kPersonLegendProcedure[] = "WLegenda";

// Registers the seven screens above.
void registerReferenceScreens(shell::ScreenRegistry& registry);

}  // namespace vorlam::registry
