// The query window of list screens, "Configurações do Filtro", as a screen
// model (framework/screen_model.h): one entry per queryable column of the
// list, under the column's header, in which the user types a condition
// (framework/query_builder.h); "&OK" applies them to the list, "&Limpa"
// empties them, "&Cancela" leaves the list as it was.  Scripts drive it
// like any screen:
//
//   press F&iltra
//   expect screen QBE
//   type "Razão Social" "*Padaria*"
//   press &OK
//
// The saved queries of the "Salva Filtros" tab belong to the windows; here
// the tab is shown empty.
//
// Not thread-safe: it runs on its list's thread; the list and the values
// must outlive it.
#pragma once

#include <string>
#include <vector>

#include "framework/list_controller.h"
#include "framework/query_builder.h"
#include "framework/screen_model.h"

namespace vorlam {

inline constexpr char kQueryProcedure[] = "QBE";
inline constexpr char kQueryTitle[] = "Configurações do Filtro";

class QueryScreen : public Screen {
 public:
  // `columns` (field, picture and the value typed so far) are edited in
  // place, so that the next query opens with them; `headers` are the
  // columns' headers, used as the entries' prompts.
  QueryScreen(ListController& list, std::vector<QueryColumn>& columns, std::vector<std::string> headers);
  ScreenModel& model() override { return model_; }

 private:
  ListController& list_;
  std::vector<QueryColumn>& columns_;
  std::vector<QueryColumn> typed_;
  int tab_ = 1;
  ScreenModel model_;
};

}  // namespace vorlam
