// The hosted screens of the CFOP list and form and of the service-code form,
// and their registration.

#include "fiscal/cfop_screens.h"

#include <cstdlib>

#include "fiscal/cfop_list.h"
#include "fiscal/service_code_form.h"
#include "shell/company_files.h"
#include "shell/main_menu.h"
#include "shell/shell_screens.h"

namespace vorlam::fiscal {

namespace {

// The searches of the posting fields, opened over `over` by procedure.
PostingRules::Opener searchOpener(shell::ScreenServices& services, ScreenModel& over) {
  return [&services, &over](LookupKind kind) { return openPostingSearch(services, &over, kind); };
}

PostingRules::Available searchAvailable(shell::ScreenServices& services) {
  return [&services](LookupKind kind) { return postingSearchAvailable(services, kind); };
}

// A fiscal screen over the current company: picks one first when none is
// current, then reads what its forms need.
class CompanyScreen : public shell::HostedScreen {
 protected:
  CompanyScreen(shell::ScreenServices& s, const char* procedure)
      : HostedScreen(s), placeholder_(procedure, ""), lookup_(s.session().dictionary(), s.session().state()) {}

  // False when no company is current even after the selection.
  bool needCompany() {
    if (services_.session().state().company().codigo != 0) return true;
    return shell::selectCompanyOver(services_, placeholder_);
  }
  CfopEnvironment environment() {
    shell::Session& session = services_.session();
    const shell::CurrentCompany company = session.state().company();
    CfopEnvironment env{.year = company.ano, .state = company.uf};
    env.postingChecked = postingAccountsChecked(session.settings(), session.state().dataRoot());
    const Dictionary& dict = session.dictionary();
    shell::CompanyFiles files(dict.find("Empresa"), dict.find("AltContratuais"), OpenMode::kReadOnly);
    Result<shell::CompanyRecord> record = files.readCompany(session.state(), company.codigo);
    if (record.isOk()) {
      env.plContas = record.value().plContas;
      env.codigoPlanoContas = record.value().codigoPlanoContas;
    }
    return env;
  }
  // Opens `table` on its bound file; message 26 when it cannot.
  bool openTable(Table& table, const char* procedure) {
    const std::string path = context_.resolve(table.def().binding);
    Status s = table.open(path, OpenMode::kShared);
    if (s) return true;
    ProcedureScope scope(errors_, procedure);
    errors_.throwFile(26, path, s);
    return false;
  }

  ScreenModel placeholder_;  // what the opener attaches to before the screen exists
  PostingLookup lookup_;
};

class CfopListHosted : public CompanyScreen {
 public:
  CfopListHosted(shell::ScreenServices& s, bool selecting) : CompanyScreen(s, kCfopListProcedure), selecting_(selecting) {}
  ScreenModel& model() override { return list_ ? list_->screen() : placeholder_; }
  Status open() override {
    if (!needCompany()) {
      placeholder_.close();
      return Status::ok();
    }
    shell::Session& session = services_.session();
    const int start = std::atoi(session.settings().read(kCfopStartSection, kCfopStartKey, "0", kCfopStartFile).c_str());
    list_ = std::make_unique<CfopList>(context_, environment(), start, selecting_);
    services_.attach(list_->screen());
    list_->setFormMaker([this](Request r) {
      auto form = std::make_unique<CfopForm>(context_, list_->table(), r, lookup_, list_->environment());
      form->setSearch(searchOpener(services_, form->screen()), searchAvailable(services_));
      return form;
    });
    list_->open();  // a failure has been shown and the screen closed
    return Status::ok();
  }
  std::vector<std::string> chosenKeys() const override {
    if (!list_ || !list_->chosen()) return {};
    return primaryKeyTexts(*list_->chosen());
  }

 private:
  bool selecting_;
  std::unique_ptr<CfopList> list_;
};

// Finds the record of `keys` (primary-key values as text) in `table`.
Result<int64_t> recordOfKeys(Table& table, const std::vector<std::string>& keys) {
  const TableDef& def = table.def();
  const int primary = def.primaryKey();
  if (primary < 0) return Status(StatusCode::kNotFound, "tabela sem chave primária");
  const KeyDef& key = def.keys[size_t(primary)];
  if (keys.size() != key.components.size())
    return Status(StatusCode::kNotFound, "informe " + std::to_string(key.components.size()) + " valores da chave");
  table.buffer().clear();
  for (size_t i = 0; i < keys.size(); ++i) {
    if (Status s = table.buffer().setFromText(key.components[i].field, keys[i]); !s)
      return Status(StatusCode::kNotFound, "valor de chave inválido", keys[i]);
  }
  if (Status s = table.get(primary); !s) return Status(StatusCode::kNotFound, "registro inexistente");
  return table.buffer().recordId();
}

template <typename Form>
class FormHosted : public CompanyScreen {
 public:
  FormHosted(shell::ScreenServices& s, const char* procedure, const char* table, Request request,
             std::vector<std::string> keys)
      : CompanyScreen(s, procedure),
        procedure_(procedure),
        table_(s.session().dictionary().find(table)),
        request_(request),
        keys_(std::move(keys)) {}
  ScreenModel& model() override { return form_ ? form_->screen() : placeholder_; }
  Status open() override {
    if (!needCompany() || !openTable(table_, procedure_)) {
      placeholder_.close();
      return Status::ok();
    }
    int64_t id = 0;
    if (request_ != Request::kInsert) {
      Result<int64_t> found = recordOfKeys(table_, keys_);
      if (!found.isOk()) return found.status();
      id = found.value();
    }
    form_ = make();
    form_->setSearch(searchOpener(services_, form_->screen()), searchAvailable(services_));
    services_.attach(form_->screen());
    if (form_->open(id) != FormState::kOpen) form_->screen().close();
    return Status::ok();
  }

 private:
  std::unique_ptr<Form> make();

  const char* procedure_;
  Table table_;
  Request request_;
  std::vector<std::string> keys_;
  std::unique_ptr<Form> form_;
};

template <>
std::unique_ptr<CfopForm> FormHosted<CfopForm>::make() {
  return std::make_unique<CfopForm>(context_, table_, request_, lookup_, environment());
}

template <>
std::unique_ptr<ServiceCodeForm> FormHosted<ServiceCodeForm>::make() {
  shell::Session& session = services_.session();
  const bool checked = postingAccountsChecked(session.settings(), session.state().dataRoot());
  return std::make_unique<ServiceCodeForm>(context_, table_, request_, lookup_, checked);
}

Result<std::unique_ptr<Screen>> refused(const char* procedure, const char* why) {
  return Status(StatusCode::kNotFound, why, procedure);
}

}  // namespace

void registerCfopScreens(shell::ScreenRegistry& registry) {
  registry.add(kCfopListProcedure,
               [](shell::ScreenServices& s, const shell::ScreenRequest& r) -> Result<std::unique_ptr<Screen>> {
                 if (!r.mode.empty() && !r.selecting())
                   return refused(kCfopListProcedure, "a lista abre só para selecionar");
                 return std::unique_ptr<Screen>(new CfopListHosted(s, r.selecting()));
               });
  registry.add(kCfopFormProcedure,
               [](shell::ScreenServices& s, const shell::ScreenRequest& r) -> Result<std::unique_ptr<Screen>> {
                 std::optional<Request> request = r.formRequest();
                 if (!request) return refused(kCfopFormProcedure, "pedido inválido para o formulário");
                 return std::unique_ptr<Screen>(
                     new FormHosted<CfopForm>(s, kCfopFormProcedure, "CFO", *request, r.keys));
               });
  registry.add(kServiceFormProcedure,
               [](shell::ScreenServices& s, const shell::ScreenRequest& r) -> Result<std::unique_ptr<Screen>> {
                 std::optional<Request> request = r.formRequest();
                 if (!request) return refused(kServiceFormProcedure, "pedido inválido para o formulário");
                 return std::unique_ptr<Screen>(
                     new FormHosted<ServiceCodeForm>(s, kServiceFormProcedure, "CtaISS", *request, r.keys));
               });
  registry.addMenuItem(shell::menu::kCfop, kCfopListProcedure);
}

}  // namespace vorlam::fiscal
