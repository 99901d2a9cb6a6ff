// The screen model of the instalment form (framework/screen_model.h): its two
// tabs, their controls and buttons.

#include <utility>

#include "fiscal/instalment_form.h"
#include "framework/screen_binding.h"

namespace vorlam::fiscal {

namespace {

constexpr int kTabInstalment = 0;
constexpr int kTabIntegration = 1;
constexpr char kMoneyPicture[] = "@n-15.2";
constexpr char kDatePicture[] = "@d06b";

}  // namespace

void InstalmentForm::declareScreen() {
  auto tab = [this](const char* caption, int n) {
    return ScreenTab{.caption = caption, .current = [this, n] { return tab_ == n; }, .select = [this, n] { tab_ = n; }};
  };
  model_.addTab(tab("&Duplicata", kTabInstalment));
  model_.addTab(tab("&Integração Contábil", kTabIntegration));
  declareIdentity();
  declareSummary();
  declareAmounts();
  declareIntegration();
  declareButtons();
  model_.setCloseRequest([this] { return form_.cancel() != FormState::kOpen; });
}

void InstalmentForm::declareIdentity() {
  const InstalmentKind& k = tables_.kind;
  bindForm(model_, form_,
           {{.field = k.name("Numero"), .prompt = "Número:", .picture = "@n7", .tab = kTabInstalment},
            {.field = k.name(k.invoiceDate), .prompt = "Data:", .picture = kDatePicture, .tab = kTabInstalment},
            {.field = k.name("Especie"), .prompt = "Espécie:", .picture = "@s5", .tab = kTabInstalment},
            {.field = k.name("Serie"), .prompt = "Série:", .picture = "@s5", .tab = kTabInstalment},
            {.field = k.name("Inscricao"), .prompt = "Inscrição:", .picture = "@s20", .tab = kTabInstalment}});
  const int inscription = field("Inscricao");
  model_.addButton({.name = "Pesquisa_Inscricao",
                    .tip = "Pesquisa o fornecedor no cadastro de Fornecedores / Clientes",
                    .tab = kTabInstalment,
                    .press = [this] { searchParty(); },
                    .enabled = [this, inscription] {
                      const FieldState s = form_.fieldState(inscription);
                      return partySearch_ && s.enabled && !s.readOnly;
                    }});
  model_.addControl({.name = "LOC:NomeFornecedor",
                     .kind = ControlKind::kDisplay,
                     .tab = kTabInstalment,
                     .value = [this] { return partyName_; }});
}

void InstalmentForm::declareSummary() {
  auto money = [this](const char* name, const char* prompt, std::function<Decimal()> value) {
    model_.addControl({.name = name,
                       .prompt = prompt,
                       .kind = ControlKind::kDisplay,
                       .picture = kMoneyPicture,
                       .tab = kTabInstalment,
                       .value = [value = std::move(value)] { return value().toString(); }});
  };
  model_.addControl({.name = "LOC:QtdDuplicatas",
                     .prompt = "Quantidade de Duplicatas...............:",
                     .kind = ControlKind::kDisplay,
                     .picture = "@n5",
                     .tab = kTabInstalment,
                     .value = [this] { return std::to_string(summary_.instalments); }});
  money("LOC:SomaVista", "Soma à Vista.............:", [this] { return summary_.cashTotal; });
  money("LOC:SomaValorContabil", "Soma Valor Contábil..:", [this] { return summary_.nfTotal; });
  money("LOC:SomaDuplicatas", "Soma Duplicatas........:", [this] { return summary_.instalmentTotal; });
  money("LOC:ValorDiferenca", "Valor da Diferença....:", [this] { return difference(); });
}

void InstalmentForm::declareAmounts() {
  const InstalmentKind& k = tables_.kind;
  auto entry = [this](const std::string& f, const char* prompt, const char* picture) {
    bindForm(model_, form_, {{.field = f, .prompt = prompt, .picture = picture, .tab = kTabInstalment}});
  };
  entry(k.name("Data"), "Vencimento:", kDatePicture);
  entry(k.name("Valor"), "Valor:", kMoneyPicture);
  amountButton(0, "Pagamento");
  entry(k.name("Pagamento"), "Data pagamento:", kDatePicture);
  entry(k.name("Desconto"), "(-) Desconto:", kMoneyPicture);
  amountButton(1, "Multa");
  entry(k.name("Multa"), "(+) Multa:", kMoneyPicture);
  amountButton(2, "Juros");
  entry(k.name("Juros"), "(+) Juros:", kMoneyPicture);
  amountButton(3, nullptr);
  model_.addControl({.name = "LOC:ValorPago",
                     .prompt = "(=) Valor Pago:",
                     .kind = ControlKind::kDisplay,
                     .picture = kMoneyPicture,
                     .tab = kTabInstalment,
                     .value = [this] { return paid().toString(); }});
}

// The small button beside an amount: with the amount above 0 it moves to
// the integration tab, on the group's debit account.
void InstalmentForm::amountButton(int group, const char* nextField) {
  const SettlementGroup& g = settlementGroup(group);
  returnTo_[size_t(group)] = nextField != nullptr ? tables_.kind.name(nextField) : std::string("&Gravar");
  const int amount = field(g.amount);
  model_.addButton({.name = std::string("Integracao_") + g.amount,
                    .tip = std::string("Integração contábil: ") + g.screenTitle,
                    .tab = kTabInstalment,
                    .press =
                        [this, group, amount] {
                          if (!(form_.record().getDecimal(amount) > Decimal())) return;
                          pendingGroup_ = group;
                          tab_ = kTabIntegration;
                          model_.setFocus(tables_.kind.name(settlementGroup(group).debit));
                        },
                    .enabled = [this] {
                      return form_.request() == Request::kInsert || form_.request() == Request::kChange;
                    }});
}

// Once the complement of the group whose amount button led to the
// integration tab is completed, the focus goes back to the first tab.
void InstalmentForm::complementCompleted(const std::string& f) {
  if (pendingGroup_ < 0 || f != tables_.kind.name(settlementGroup(pendingGroup_).complement)) return;
  const size_t group = size_t(pendingGroup_);
  pendingGroup_ = -1;
  tab_ = kTabInstalment;
  returning_ = returnTo_[group];
}

void InstalmentForm::declareIntegration() {
  IntegrationGroupScreen screen{.tab = kTabIntegration,
                                .debitPrompt = "Conta débito....",
                                .creditPrompt = "Conta crédito...",
                                .historyPrompt = "Histórico..........",
                                .complementPrompt = "Complemento..",
                                .editable = [this] {
                                  return form_.request() == Request::kInsert || form_.request() == Request::kChange;
                                }};
  for (int g = 0; g < kSettlementGroups; ++g) {
    const SettlementGroup& group = settlementGroup(g);
    model_.addControl({.name = std::string("LOC:Grupo_") + group.amount,
                       .kind = ControlKind::kDisplay,
                       .tab = kTabIntegration,
                       .value = [title = group.screenTitle] { return std::string(title); }});
    declareIntegrationGroup(model_, rules_, integrationGroup(g), screen, env_.search);
  }
  // After the rules' own focus requests: back to the first tab.
  model_.addAfterAction([this] {
    if (!returning_.empty()) model_.setFocus(std::exchange(returning_, std::string()));
  });
}

void InstalmentForm::declareButtons() {
  auto finish = [this](FormState state) {
    if (state != FormState::kOpen) model_.close();
  };
  model_.addButton({.caption = "&Gravar",
                    .tip = "Grava a duplicata",
                    .press = [this, finish] { finish(save()); },
                    .isDefault = [] { return true; }});
  model_.addButton({.caption = "&Cancelar",
                    .tip = "Cancela as alterações da duplicata",
                    .press = [this, finish] { finish(form_.cancel()); }});
}

}  // namespace vorlam::fiscal
