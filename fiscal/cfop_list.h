// The CFOP list `BCFO` ("Visualização da Tabela de CFO") without its window:
// the codes of the current company's state in code and complement order,
// from the code kept in "CFO.ini" (section "CodCFO", key "FiltroCFO";
// default 0), those of the working year only (three-digit codes and codes
// ending in 99 or 91 before 2003, the other four-digit codes from 2003), and
// narrowed by the description locator `Loc:Nome`.  Insert, change and delete
// open the CFOP form; opened to pick a code for a caller, "&Seleciona" is
// the default and chosenKeys() gives state, code and complement.
//
// A company without a state is told so ("Estado da empresa em branco !!!")
// and the list still opens.
//
// Not thread-safe: the list runs on its screen's thread.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "fiscal/cfop_form.h"
#include "framework/list_controller.h"
#include "framework/screen_model.h"

namespace vorlam::fiscal {

inline constexpr char kCfopListProcedure[] = "BCFO";
inline constexpr char kCfopListTitle[] = "Visualização da Tabela de CFO";
inline constexpr char kCfopListFormat[] =
    "32R(2)|_M~Código~C(0)@n04@32R(2)|_M~Compl.~C(0)@n-6@16C|_M~UF~@s2@240L(2)|_M~Descrição~@s100@"
    "48L(2)|_M~Apelido~@s10@";
inline constexpr char kCfopStartFile[] = "CFO.ini";
inline constexpr char kCfopStartSection[] = "CodCFO";
inline constexpr char kCfopStartKey[] = "FiltroCFO";

// The list filter for `year`, from code `start` on.
std::string cfopListFilter(int year, int start);

class CfopList {
 public:
  // Opens a form: builds it on the list's table for the request and row.
  using FormMaker = std::function<std::unique_ptr<CfopForm>(Request request)>;

  // `context` must outlive the list.  `startCode` is the first code shown.
  CfopList(ScreenContext& context, CfopEnvironment env, int startCode, bool selecting);

  // Opens `CFO` on its bound file (message 26 when it cannot be opened),
  // fixes the range to the state and shows the first page.  A blank state
  // is said first.
  Status open();

  ListController& rows() { return list_; }
  Table& table() { return table_; }
  const CfopEnvironment& environment() const { return env_; }
  void setFormMaker(FormMaker maker) { maker_ = std::move(maker); }
  bool request(Request request);

  ScreenModel& screen() { return model_; }
  const std::optional<Record>& chosen() const { return chosen_; }

 private:
  bool runForm(Request request, const Record* row);
  void declareScreen();

  ScreenContext& ctx_;
  CfopEnvironment env_;
  bool selecting_;
  ListDefinition definition_;
  Table table_;
  ListController list_;
  FormMaker maker_;
  ScreenModel model_;
  std::optional<Record> chosen_;
};

}  // namespace vorlam::fiscal
