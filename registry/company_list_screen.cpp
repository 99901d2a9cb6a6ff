#include "registry/company_list_screen.h"

#include "framework/screen_binding.h"
#include "registry/company_list.h"
#include "shell/company_files.h"

namespace vorlam::registry {

namespace {

constexpr uint16_t kMsgOpenFailed = 26;

}  // namespace

CompanyListScreen::CompanyListScreen(ScreenContext& context, bool selecting)
    : ctx_(context),
      selecting_(selecting),
      table_(context.dictionary.find("Empresa")),
      list_(context, companyListDefinition(), table_, selecting),
      model_(kCompanyListProcedure, kCompanyListTitle) {}

Status CompanyListScreen::open() {
  const std::string path = ctx_.resolve(shell::kEmpresaFile);
  Status s = table_.open(path, OpenMode::kShared);
  if (s) s = list_.open(kCompanyListFirstTab);
  if (!s) {
    ProcedureScope procedure(ctx_.errors, kCompanyListProcedure);
    ctx_.errors.throwFile(kMsgOpenFailed, path, s);
    model_.close();
    return s;
  }
  declare();
  return s;
}

void CompanyListScreen::declare() {
  ListBinding binding;
  binding.format = kCompanyListFormat;
  for (const char* field : companyListColumns()) binding.columnFields.push_back(field);
  for (const char* prompt : companyListLocatorPrompts()) binding.locatorPrompts.push_back(prompt);
  bindList(model_, list_, binding);
  model_.setFocus("lista");

  auto add = [this](CompanyListButton which, std::function<void()> press, std::function<bool()> enabled = {},
                    bool byDefault = false) {
    const CompanyListButtonText text = companyListButton(which, selecting_);
    ScreenButton b{.caption = text.caption, .tip = text.tip, .press = std::move(press), .enabled = std::move(enabled)};
    if (byDefault) b.isDefault = [] { return true; };
    model_.addButton(std::move(b));
  };
  auto never = [] { return false; };
  add(CompanyListButton::kInsert, {}, never);
  add(CompanyListButton::kChange, {}, never, !selecting_);
  add(CompanyListButton::kDelete, {}, never);
  if (selecting_) {
    add(
        CompanyListButton::kSelect,
        [this] {
          chosen_ = list_.chooseSelected();
          if (chosen_) model_.close();
        },
        [this] { return list_.canSelect(); }, true);
  }
  add(CompanyListButton::kHelp, [this] {
    if (model_.dialogs() != nullptr)
      model_.dialogs()->messageBox({"Ajuda", messageBoxText(companyListHelp(selecting_)), MessageIcon::kInformation,
                                    kButtonOk, kButtonOk});
  });
  add(CompanyListButton::kClose, [this] { model_.requestClose(); });
  add(CompanyListButton::kFilter, [this] {
    if (query_) query_();
  });
  add(CompanyListButton::kClearFilter, [this] { list_.clearQuery(); });
}

}  // namespace vorlam::registry
