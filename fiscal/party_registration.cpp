// The customer/supplier list `BFornecedores` and form `UFornecedores` as
// registered screens.

#include "fiscal/fiscal_screens.h"

#include <cstdlib>

#include "fiscal/party_list.h"
#include "shell/main_menu.h"
#include "shell/shell_screens.h"

namespace vorlam::fiscal {

namespace {

// The chart of accounts as a lookup, when that screen is built.
PartyForm::ChartLookup chartLookup(shell::ScreenServices& services) {
  if (!services.has("PlanoContas")) return {};
  return [&services](ScreenModel& parent) -> std::vector<std::string> {
    Result<std::unique_ptr<Screen>> child = services.open("PlanoContas", {.mode = "select"});
    if (!child.isOk()) return {};
    if (!child.value()->model().closed()) parent.runChild(child.value()->model());
    return child.value()->chosenKeys();
  };
}

// The customer/supplier list; without a current company the company and
// period selection runs first.
class PartyListHosted : public shell::HostedScreen {
 public:
  PartyListHosted(shell::ScreenServices& s, bool selecting)
      : HostedScreen(s),
        list_(context_, s.session().dictionary(), s.session().state(), selecting, chartLookup(s)) {}
  ScreenModel& model() override { return list_.screen(); }
  Status open() override {
    if (services_.session().state().company().codigo == 0 && !shell::selectCompanyOver(services_, list_.screen())) {
      list_.screen().close();
      return Status::ok();
    }
    list_.open();
    return Status::ok();
  }
  std::vector<std::string> chosenKeys() const override {
    if (!list_.chosen()) return {};
    return primaryKeyTexts(*list_.chosen());
  }

 private:
  PartyList list_;
};

// The form on its own, over the tables of a list that is not shown.
class PartyFormHosted : public shell::HostedScreen {
 public:
  PartyFormHosted(shell::ScreenServices& s, Request request, std::vector<std::string> keys)
      : HostedScreen(s),
        tables_(s.session().dictionary()),
        request_(request),
        keys_(std::move(keys)) {}
  ScreenModel& model() override { return form_ ? form_->screen() : placeholder_; }
  Status open() override;

 private:
  PartyTables tables_;
  Request request_;
  std::vector<std::string> keys_;
  std::unique_ptr<PartyForm> form_;
  ScreenModel placeholder_{kPartyFormProcedure, ""};
};

Status PartyFormHosted::open() {
  shell::Session& session = services_.session();
  if (session.state().company().codigo == 0) return Status(StatusCode::kNotFound, "nenhuma empresa selecionada");
  if (Status s = tables_.open(context_, session.dictionary(), session.state()); !s) return s;
  int64_t id = 0;
  if (request_ != Request::kInsert) {
    if (keys_.size() != 1) return Status(StatusCode::kNotFound, "informe o código do fornecedor/cliente");
    Table& t = tables_.parties;
    t.buffer().clear();
    t.buffer().setInt("FOR:Codigo", std::atoll(keys_[0].c_str()));
    if (Status s = t.get(t.def().keyIndex("FOR:KEY:CODIGO1")); !s)
      return Status(StatusCode::kNotFound, "fornecedor/cliente inexistente", keys_[0]);
    id = t.buffer().recordId();
  }
  form_ = std::make_unique<PartyForm>(context_, tables_, request_, chartLookup(services_));
  services_.attach(form_->screen());
  if (form_->open(id) != FormState::kOpen) form_->screen().close();
  return Status::ok();
}

}  // namespace

void registerPartyScreens(shell::ScreenRegistry& registry) {
  registry.add(kPartyListProcedure, [](shell::ScreenServices& s, const shell::ScreenRequest& r)
                                        -> Result<std::unique_ptr<Screen>> {
    if (!r.mode.empty() && !r.selecting())
      return Status(StatusCode::kNotFound, "a lista abre só para selecionar", kPartyListProcedure);
    return std::unique_ptr<Screen>(new PartyListHosted(s, r.selecting()));
  });
  registry.add(kPartyFormProcedure, [](shell::ScreenServices& s, const shell::ScreenRequest& r)
                                        -> Result<std::unique_ptr<Screen>> {
    std::optional<Request> request = r.formRequest();
    if (!request) return Status(StatusCode::kNotFound, "pedido inválido para o formulário", kPartyFormProcedure);
    return std::unique_ptr<Screen>(new PartyFormHosted(s, *request, r.keys));
  });
  registry.addMenuItem(shell::menu::kFornecedores, kPartyListProcedure);
}

}  // namespace vorlam::fiscal
