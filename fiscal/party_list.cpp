#include "fiscal/party_list.h"

#include "registry/taxpayer_numbers.h"

namespace vorlam::fiscal {

namespace {

constexpr uint16_t kMsgLoadFailed = 21;  // "Erro ao carregar o arquivo"

constexpr const char* kColumns[] = {
    "FOR:Codigo",  "FOR:Nome",   "FOR:CGC",    "FOR:CPF",    "FOR:ContaFornecedor", "FOR:ContaCliente",
    "FOR:InscricaoEstadual", "FOR:Endereco", "FOR:Numero", "FOR:Complemento", "FOR:Bairro", "FOR:Cidade",
    "FOR:Cep",     "FOR:Estado", "FOR:DDD",    "FOR:Telefone", "FOR:Ramal",         "FOR:Fax",
};
constexpr int kCnpjColumn = 2;
constexpr int kCpfColumn = 3;

}  // namespace

const char kPartyListFormat[] =
    "28R(2)|M~Código~C(0)@n6@"
    "160L(2)|M~Razão Social~@s40@"
    "76C(2)|M~CNPJ~@p##.###.###/####-##pb@"
    "60C(2)|M~CPF~@p###.###.###-##pb@"
    "90L(2)|M~Conta Fornecedor~@s30@"
    "90L(2)|M~Conta Cliente~@s30@"
    "80L(2)|M~Inscrição Estadual~@s20@"
    "160L(2)|M~Endereço~@s40@"
    "28R(2)|M~Número~C(0)@n6@"
    "100L(2)|M~Complemento~@s25@"
    "100L(2)|M~Bairro~@s25@"
    "100L(2)|M~Cidade~@s25@"
    "40C(2)|M~CEP~@p##.###-###p@"
    "16C(2)|M~UF~@s2@"
    "24C(2)|M~DDD~@n3@"
    "40C(2)|M~Telefone~@p<###-####p@"
    "24C(2)|M~Ramal~@n5@"
    "40C(2)|M~Fax~@p<###-####p@";

std::span<const char* const> partyListColumns() { return kColumns; }

const ListDefinition& partyListDefinition() {
  static const ListDefinition kDefinition = [] {
    ListDefinition d;
    d.procedure = kPartyListProcedure;
    d.title = kPartyListTitle;
    d.tabs.push_back({"&Código", "FOR:KEY:CODIGO", "FOR:Codigo", "", 0, ""});
    d.tabs.push_back({"&Razão Social", "FOR:KEY:NOME", "", "", 0, ""});
    d.tabs.push_back({"&Parte da  Razão Social", "FOR:KEY:NOME", "", "Loc:Nome", 100,
                      "(InString(Upper(Clip(Loc:Nome)),Upper(Clip(FOR:Nome)),1,1))"});
    d.tabs.push_back({"&Fornecedores", "FOR:KEY:NOME", "", "", 0, "(FOR:Fornecedor)"});
    d.tabs.push_back({"&Clientes", "FOR:KEY:NOME", "", "", 0, "(FOR:Clientes)"});
    d.deleteThroughForm = true;
    return d;
  }();
  return kDefinition;
}

PartyList::PartyList(ScreenContext& context, const Dictionary& dict, const shell::AppState& state, bool selecting,
                     PartyForm::ChartLookup lookup)
    : ctx_(context),
      dict_(dict),
      state_(state),
      selecting_(selecting),
      lookup_(std::move(lookup)),
      tables_(dict),
      list_(context, partyListDefinition(), tables_.parties, selecting),
      model_(kPartyListProcedure, kPartyListTitle) {
  list_.setFormOpener([this](Request r, const Record* row) { return runForm(r, row); });
}

Status PartyList::open() {
  Status s = tables_.open(ctx_, dict_, state_);  // reports its own failures
  if (s) {
    s = list_.open(0);
    if (!s) ctx_.errors.throwFile(kMsgLoadFailed, tables_.parties.path(), s);
  }
  if (!s) {
    model_.close();
    return s;
  }
  declare();
  return s;
}

bool PartyList::runForm(Request request, const Record* row) {
  if (request == Request::kView) return false;
  if (request != Request::kInsert && row == nullptr) return false;
  PartyForm form(ctx_, tables_, request, lookup_);
  if (form.open(request == Request::kInsert ? 0 : row->recordId()) != FormState::kOpen) return false;
  model_.runChild(form.screen());
  return form.controller().state() == FormState::kCompleted;
}

bool PartyList::request(Request request) { return list_.canRequest(request) && list_.request(request); }

void PartyList::missingAccounts() {
  MissingAccountsScreen screen(ctx_, tables_);
  screen.open();
  if (!screen.screen().closed()) model_.runChild(screen.screen());
  list_.refresh();
}

MissingAccountsScreen::MissingAccountsScreen(ScreenContext& context, PartyTables& tables)
    : ctx_(context), tables_(tables), model_(kMissingProcedure, kMissingTitle) {}

void MissingAccountsScreen::open() {
  ProcedureScope procedure(ctx_.errors, kMissingProcedure);
  Result<std::vector<MissingAccount>> found =
      findMissingAccounts(tables_.parties, tables_.chart, tables_.settings);
  if (!found.isOk()) {
    ctx_.errors.throwFile(kMsgLoadFailed, tables_.parties.path(), found.status());
    model_.close();
    return;
  }
  rows_ = std::move(found).value();
  size_t toDo = 0;
  for (const MissingAccount& r : rows_) toDo += r.plan != AccountPlan::kSkip;
  progress_ = std::to_string(rows_.size()) + " conta(s) faltando; " + std::to_string(toDo) + " a criar ou apontar";
  declare();
}

void MissingAccountsScreen::create() {
  ProcedureScope procedure(ctx_.errors, kMissingProcedure);
  Result<CreateAccountsReport> done =
      createMissingAccounts(tables_.parties, tables_.chart, tables_.settings, rows_, [this](size_t n, size_t total) {
        progress_ = "Processando " + std::to_string(n) + " de " + std::to_string(total);
      });
  if (!done.isOk()) {
    ctx_.errors.throwFile(kMsgAddFailed, tables_.chart.path(), done.status());
    return;
  }
  report_ = std::move(done).value();
  log_ = report_->lines;
  progress_ = "Contas incluídas: " + std::to_string(report_->created) +
              "; cadastros alterados: " + std::to_string(report_->pointed) +
              "; sem conta: " + std::to_string(report_->skipped) + "; falhas: " + std::to_string(report_->failed);
  log_.insert(log_.begin(), progress_);
  // What is still missing after the run.
  Result<std::vector<MissingAccount>> left = findMissingAccounts(tables_.parties, tables_.chart, tables_.settings);
  if (left.isOk()) rows_ = std::move(left).value();
  highlighted_ = 0;
}

}  // namespace vorlam::fiscal
