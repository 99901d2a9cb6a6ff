#include "registry/company_list_screen.h"

#include "framework/list_format.h"
#include "framework/query_screen.h"
#include "framework/screen_binding.h"
#include "registry/company_list.h"
#include "registry/company_rules.h"
#include "shell/company_files.h"
#include "shell/company_selection.h"
#include "shell/shell_screens.h"

namespace vorlam::registry {

namespace {

constexpr uint16_t kMsgOpenFailed = 26;

}  // namespace

CompanyListScreen::CompanyListScreen(ScreenContext& context, bool selecting, shell::ScreenServices* services)
    : ctx_(context),
      selecting_(selecting),
      services_(services),
      table_(context.dictionary.find("Empresa")),
      list_(context, companyListDefinition(), table_, selecting),
      model_(kCompanyListProcedure, kCompanyListTitle) {
  Result<std::vector<ListColumn>> columns = parseListFormat(kCompanyListFormat);
  if (columns.isOk()) {
    for (size_t i = 0; i < columns->size() && i < companyListColumns().size(); ++i) {
      queryColumns_.push_back({companyListColumns()[i], (*columns)[i].picture, ""});
      queryHeaders_.push_back((*columns)[i].header);
    }
  }
}

bool CompanyListScreen::checkPeriod() {
  if (services_ == nullptr) return true;
  shell::AppState& state = services_->session().state();
  // Each round either fills the list or asks the user again; a selection
  // that leaves the period unset ends the attempt.
  for (int round = 0; round < 100; ++round) {
    shell::CurrentCompany c = state.company();
    if ((c.ano == 0 || c.mes == 0) && !selecting_) {
      (void)services_->session().settings().write(shell::kHandoverSection, shell::kHandoverEntry, "3",
                                                  shell::kHandoverFile);
      shell::selectCompanyOver(*services_, model_);
      c = state.company();
      if (c.ano == 0 || c.mes == 0) return false;
    }
    if (c.mes != shell::kWholeYear) return true;
    // Picking a company for a caller only drops the whole year.
    if (!selecting_)
      ctx_.errors.message(kWholeYearMessage, kWarning, MessageIcon::kExclamation, kButtonOk, kButtonOk);
    c.mes = 0;
    state.setCompany(c);
    if (selecting_) return true;
  }
  return false;
}

Status CompanyListScreen::open() {
  if (!checkPeriod()) {
    model_.close();
    return Status::ok();
  }
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

bool CompanyListScreen::canOpenForm(Request request) const {
  if (selecting_ || services_ == nullptr || !services_->has(kCompanyFormProcedure)) return false;
  return request == Request::kInsert || list_.selected() != nullptr;
}

void CompanyListScreen::openForm(Request request) {
  if (!canOpenForm(request)) return;
  shell::ScreenRequest r;
  r.mode = request == Request::kInsert ? "insert" : request == Request::kChange ? "change" : "delete";
  if (request != Request::kInsert) r.keys = primaryKeyTexts(*list_.selected());
  Result<std::unique_ptr<Screen>> form = services_->open(kCompanyFormProcedure, r);
  if (!form.isOk()) return;
  if (!form.value()->model().closed()) model_.runChild(form.value()->model());
  (void)list_.refresh();
}

void CompanyListScreen::openQuery() {
  if (query_) {
    query_();
    return;
  }
  QueryScreen query(list_, queryColumns_, queryHeaders_);
  if (services_ != nullptr) services_->attach(query.model());
  model_.runChild(query.model());
}

void CompanyListScreen::closing() {
  if (selecting_ || services_ == nullptr) return;
  // The form made companies current as it opened them; none stays so.
  shell::AppState& state = services_->session().state();
  shell::CurrentCompany c = state.company();
  c.codigo = 0;
  state.setCompany(c);
  if (const Record* row = list_.selected()) table_.buffer() = *row;
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
  const Request requests[] = {Request::kInsert, Request::kChange, Request::kDelete};
  const CompanyListButton buttons[] = {CompanyListButton::kInsert, CompanyListButton::kChange,
                                       CompanyListButton::kDelete};
  for (int i = 0; i < 3; ++i) {
    const Request r = requests[i];
    add(buttons[i], [this, r] { openForm(r); }, [this, r] { return canOpenForm(r); },
        r == Request::kChange && !selecting_);
  }
  if (selecting_) {
    add(
        CompanyListButton::kSelect,
        chooseAndClose(model_, list_, chosen_),
        [this] { return list_.canSelect(); }, true);
  }
  add(CompanyListButton::kHelp, [this] {
    if (model_.dialogs() != nullptr)
      model_.dialogs()->messageBox({"Ajuda", messageBoxText(companyListHelp(selecting_)), MessageIcon::kInformation,
                                    kButtonOk, kButtonOk});
  });
  add(CompanyListButton::kClose, [this] { model_.requestClose(); });
  add(CompanyListButton::kFilter, [this] { openQuery(); });
  add(CompanyListButton::kClearFilter, [this] {
    for (QueryColumn& c : queryColumns_) c.value.clear();
    list_.clearQuery();
  });
  if (!selecting_) {
    model_.addKey({.name = "Insert", .scope = "lista", .action = [this] { openForm(Request::kInsert); }});
    model_.addKey({.name = "Delete", .scope = "lista", .action = [this] { openForm(Request::kDelete); }});
  }
  model_.setCloseRequest([this] {
    closing();
    return true;
  });
}

}  // namespace vorlam::registry
