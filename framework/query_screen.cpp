#include "framework/query_screen.h"

namespace vorlam {

QueryScreen::QueryScreen(ListController& list, std::vector<QueryColumn>& columns, std::vector<std::string> headers)
    : list_(list), columns_(columns), typed_(columns), model_(kQueryProcedure, kQueryTitle) {
  const char* tabs[] = {"Salva Filtros", "Filtra Configurações"};
  for (int t = 0; t < 2; ++t)
    model_.addTab({.caption = tabs[t], .current = [this, t] { return tab_ == t; }, .select = [this, t] { tab_ = t; }});
  for (size_t i = 0; i < typed_.size(); ++i) {
    model_.addControl({.name = typed_[i].field,
                       .prompt = i < headers.size() ? headers[i] : std::string(),
                       .tab = 1,
                       .text = true,
                       .value = [this, i] { return typed_[i].value; },
                       .complete =
                           [this, i](const std::string& v) {
                             typed_[i].value = v;
                             return Status::ok();
                           }});
  }
  model_.addButton({.caption = "&OK",
                    .press =
                        [this] {
                          columns_ = typed_;
                          (void)list_.applyQuery(columns_);
                          model_.close();
                        },
                    .isDefault = [] { return true; }});
  model_.addButton({.caption = "&Cancela", .press = [this] { model_.close(); }});
  model_.addButton({.caption = "&Limpa", .press = [this] {
                      for (QueryColumn& c : typed_) c.value.clear();
                    }});
  if (!typed_.empty()) model_.setFocus(typed_.front().field);
}

}  // namespace vorlam
