#include "shell/company_search.h"

#include "shell/company_files.h"

namespace vorlam::shell {

namespace {

constexpr uint16_t kMsgOpenFailed = 26;

}  // namespace

const ListDefinition& companySearchList() {
  static const ListDefinition kDefinition = [] {
    ListDefinition d;
    d.procedure = kSearchProcedure;
    d.title = kSearchTitle;
    // The companies in the order they are stored: by code, the order the
    // company file keeps them in.
    d.tabs = {{"Código", "EMP0:KEY:CODIGO", "", "", 0, ""}};
    return d;
  }();
  return kDefinition;
}

ListBinding companySearchColumns() {
  ListBinding b;
  b.format =
      "28C|_M~Código~L(2)@n6@160L(2)|_M~Razão Social~@s40@80C(2)|_M~CNPJ~@p##.###.###/####-##p@"
      "80C(2)|_M~CPF~@p###.###.###-##p@80C(2)|_M~CEI~@p##.###.#####-##p@";
  b.columnFields = {"EMP0:Codigo", "EMP0:RazaoSocial", "EMP0:CGC", "EMP0:CPF", "EMP0:CEI"};
  b.locatorPrompts = {""};
  return b;
}

CompanySearchScreen::CompanySearchScreen(ScreenContext& context)
    : ctx_(context),
      table_(context.dictionary.find("Empresa0")),
      list_(context, companySearchList(), table_, /*selecting=*/true),
      model_(kSearchProcedure, kSearchTitle) {}

Status CompanySearchScreen::open() {
  const std::string path = ctx_.resolve(kEmpresaFile);
  Status s = table_.open(path, OpenMode::kShared);
  if (s) s = list_.open();
  if (!s) {
    ProcedureScope procedure(ctx_.errors, kSearchProcedure);
    ctx_.errors.throwFile(kMsgOpenFailed, path, s);
    model_.close();
    return s;
  }
  bindList(model_, list_, companySearchColumns());
  model_.setFocus("lista");
  model_.addButton({.caption = "&Seleciona",
                    .tip = "Seleciona empresa.",
                    .press =
                        chooseAndClose(model_, list_, chosen_),
                    .enabled = [this] { return list_.canSelect(); },
                    .isDefault = [] { return true; }});
  model_.addButton({.caption = "&Cancela", .tip = "Cancela e retorna.", .press = [this] { model_.close(); }});
  model_.addButton({.caption = "&Ajuda", .tip = "Ajuda.", .press = [this] {
                      if (model_.dialogs() != nullptr)
                        model_.dialogs()->messageBox({"Ajuda", messageBoxText(kSearchHelp),
                                                      MessageIcon::kInformation, kButtonOk, kButtonOk});
                    }});
  return s;
}

}  // namespace vorlam::shell
