// "Pesquisa empresa" (procedure PesquisaEmpresas) without its window: the
// registered companies of the alias `Empresa0`, in a list opened to pick
// one, as the lookups of other forms use it.  Columns code, name, CNPJ, CPF
// and CEI; buttons "&Seleciona" (the default: Enter picks), "&Cancela" and
// "&Ajuda".
//
// Not thread-safe: the list runs on its caller's thread.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "framework/list_controller.h"
#include "framework/screen_binding.h"
#include "framework/screen_model.h"

namespace vorlam::shell {

inline constexpr char kSearchProcedure[] = "PesquisaEmpresas";
inline constexpr char kSearchTitle[] = "Pesquisa empresa";
inline constexpr char kSearchHelp[] =
    "Escolha a empresa na lista e confirme com Seleciona (ou Enter).|"
    "Cancela volta sem escolher nenhuma empresa.";

// The list's definition (procedure, title, order) and what it shows.
const ListDefinition& companySearchList();
ListBinding companySearchColumns();

class CompanySearchScreen : public Screen {
 public:
  // `context` must outlive the screen.
  explicit CompanySearchScreen(ScreenContext& context);
  // Opens `Empresa0` on the company file and shows the first page; message
  // 26 (and a closed model) when it cannot be opened.
  Status open();

  ListController& list() { return list_; }
  // The company picked by "&Seleciona"; nullopt until then.
  const std::optional<Record>& chosen() const { return chosen_; }
  ScreenModel& model() override { return model_; }

 private:
  ScreenContext& ctx_;
  Table table_;
  ListController list_;
  ScreenModel model_;
  std::optional<Record> chosen_;
};

}  // namespace vorlam::shell
