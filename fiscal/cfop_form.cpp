#include "fiscal/cfop_form.h"

#include <span>
#include <vector>

#include "fiscal/cfop_rules.h"
#include "fiscal/posting_screen.h"
#include "framework/screen_binding.h"
#include "storage/text.h"

namespace vorlam::fiscal {

namespace {

constexpr char kChartMissing[] =
    "Atenção, verifique no cadastro desta Empresa no Sistema de Contabilidade da Quelma Informática o Código do "
    "Plano de Contas!!!";
constexpr char kChartTypeMissing[] =
    "Atenção, verifique no cadastro da Empresa no Sistema de Contabilidade da Quelma Informática o tipo de Plano de "
    "Contas!!!";
constexpr char kCodeTooLarge[] = "O código do C.F.O. vai até 32767!!!";

constexpr int kTabProgram = 0;
constexpr int kTabPosting = 1;
constexpr int kTabCashBook = 2;

const std::vector<ControlChoice> kIcms = {{"0", "0-Manual"},  {"1", "1-Tributada"},          {"2", "2-Isentas"},
                                          {"3", "3-Outras"},  {"4", "4-Tributadas Isentas"}, {"5", "5-Tributadas Outras"}};
const std::vector<ControlChoice> kIpi = {{"0", "0-Manual"},           {"1", "1-Tributada"},
                                         {"2", "2-Isentas"},          {"3", "3-Outras"},
                                         {"4", "4-Tributadas Isentas"}, {"5", "5-Tributadas Outras"},
                                         {"6", "6-Não tributada"}};
const std::vector<ControlChoice> kEmPara = {{"1", "1-Em"}, {"2", "2-Para"}};
const std::vector<ControlChoice> kContributorChoices = {{"1", "1-Contribuinte"}, {"2", "2-Não Contribuinte"}};
const std::vector<ControlChoice> kRegime = {
    {"1", "1-Não Pertence"}, {"2", "2-Substituto  Tributados"}, {"3", "3-Substituídos Tributados"}};
const std::vector<ControlChoice> kTaxCalculation = {
    {"1", "1-Tributada"}, {"2", "2-Devolução"}, {"3", "3-Transferência/Remessa/Retorno"}};
const std::vector<ControlChoice> kIncomeTaxRates = {
    {"0.00", "0.00"}, {"1.60", "1.60"}, {"8.00", "8.00"}, {"16.00", "16.00"}, {"32.00", "32.00"}};

constexpr const char* kTaxFlags[] = {"CFO:PIS", "CFO:IRPJ", "CFO:CSL", "CFO:SIMPLES", "CFO:SIMPLESESTADUAL",
                                     "CFO:COFINS"};

const std::vector<PostingGroup>& cfopGroups() {
  static const std::vector<PostingGroup> kGroups = {
      {"Valor à vista.", "CFO:CONTA_DEBITO", "CFO:CONTA_CREDITO", "CFO:CODIGO_HISTORIO", "CFO:COMPLEMENTO_H"},
      {"Valor a prazo.", "CFO:CONTADEBITOPRAZO", "CFO:CONTACREDITOPRAZO", "CFO:HISTORICOPRAZO",
       "CFO:COMPLEMENTOPRAZO"},
      {"I.C.M.S.", "CFO:ICMS_DEBITO", "CFO:ICMS_CREDITO", "CFO:HISTORICO", "CFO:COMPLEMENTO_ICMS", true, true, true},
      {"I.P.I.", "CFO:IPI_DEBITO", "CFO:IPI_CREDITO", "CFO:HISTORICO_IPI", "CFO:COMPLEMENTO_IPI"},
      {"I.C.M.S. Fonte", "CFO:CONTADEBITOICMSFONTE", "CFO:CONTACREDITOICMSFONTE", "CFO:HISTORICOICMSFONTE",
       "CFO:COMPLEMENTOICMSFONTE"},
  };
  return kGroups;
}
constexpr size_t kSourceGroup = 4;

// The fields of the first tab after the code, in tab order.
const std::vector<FormFieldBinding>& cfopFields() {
  using K = ControlKind;
  static const std::vector<FormFieldBinding> kFields = {
    {"CFO:COMPLEMENTO", "0&2-Complemento....", K::kEntry, "@n-6", {}, "", kTabProgram},
    {"CFO:ESTADO", "03-Estado", K::kEntry, "@s2", {}, "", kTabProgram},
    {"CFO:APELIDO", "04-Apelido", K::kEntry, "@s10", {}, "", kTabProgram},
    {"CFO:Descricao", "05-Descrição", K::kEntry, "@s100", {}, "", kTabProgram},
    {"CFO:TRIBUTACAO_ICMS", "06-Tributação do ICMS", K::kDropList, "", kIcms, "", kTabProgram},
    {"CFO:ALIQUOTA_ICMS", "07-Alíquota do ICMS", K::kEntry, "@n-9.4", {}, "", kTabProgram},
    {"CFO:BASEREDUZ", "08-Redução da Base", K::kEntry, "@n-9.4", {}, "", kTabProgram},
    {"CFO:EMPARA", "09-Forma de Redução da Base e Cálculo", K::kRadioGroup, "", kEmPara, "", kTabProgram},
    {"CFO:CONTRIBUINTE", "10-Contribuinte", K::kRadioGroup, "", kContributorChoices, "", kTabProgram},
    {"CFO:TRIBUTACAO_IPI", "11-&Tributação IPI", K::kDropList, "", kIpi, "", kTabProgram},
    {"CFO:IPI_50", "Redução IPI em 50%", K::kCheckBox, "", {}, "", kTabProgram},
    {"CFO:REGIMESUB", "12-&Regime Substituição Tributária", K::kDropList, "", kRegime, "", kTabProgram},
    {"CFO:CODSISTGIAMS", "13-&Cód.Sist.GIA/MS", K::kEntry, "@n3", {}, "", kTabProgram},
    {"CFO:INFAPUR", "14-&Cálculo dos Impostos", K::kDropList, "", kTaxCalculation, "", kTabProgram},
    {"CFO:PIS", "PIS", K::kCheckBox, "", {}, "", kTabProgram},
    {"CFO:IRPJ", "IRPJ", K::kCheckBox, "", {}, "", kTabProgram},
    {"CFO:CSL", "CSL", K::kCheckBox, "", {}, "", kTabProgram},
    {"CFO:SIMPLES", "Simples Federal", K::kCheckBox, "", {}, "", kTabProgram},
    {"CFO:SIMPLESESTADUAL", "Simples Estadual", K::kCheckBox, "", {}, "", kTabProgram},
    {"CFO:COFINS", "COFINS", K::kCheckBox, "", {}, "", kTabProgram},
    {"CFO:ALIQIR", "Alíquota IR", K::kDropList, "", kIncomeTaxRates, "", kTabProgram},
  };
  return kFields;
}

const FormDefinition& cfopFormDefinition() {
  static const FormDefinition kDefinition = [] {
    FormDefinition d;
    d.procedure = kCfopFormProcedure;
    d.title = kCfopFormTitle;
    d.insertCaption = d.changeCaption = d.deleteCaption = kCfopFormTitle;
    d.fields.push_back("CFO:Codigo");
    for (const FormFieldBinding& f : cfopFields()) d.fields.push_back(f.field);
    for (const PostingGroup& g : cfopGroups())
      for (const std::string& f : {g.debit, g.credit, g.history, g.complement}) d.fields.push_back(f);
    return d;
  }();
  return kDefinition;
}

std::string cfopHelp() {
  return "Cada registro é um Código Fiscal de Operações do estado, com seu complemento.\n\n"
         "A aba Programa Lançamentos guarda a tributação do ICMS e do IPI e os impostos cuja base a operação "
         "compõe; as abas de integração guardam as contas, históricos e complementos dos lançamentos "
         "automáticos. As contas são conferidas com o plano de contas da empresa quando a verificação está "
         "ligada em BComuns\\ctb.ini (UsuEscritaQuelma, Parametros=1); FORNECEDOR e CLIENTE valem pela conta "
         "do fornecedor ou do cliente da nota.";
}

}  // namespace

CfopForm::CfopForm(ScreenContext& context, Table& table, Request request, PostingLookup& lookup,
                   CfopEnvironment env)
    : ctx_(context),
      form_(context, cfopFormDefinition(), table, request),
      env_(std::move(env)),
      postings_(form_, lookup, context.errors, env_.postingChecked),
      model_(kCfopFormProcedure, kCfopFormTitle) {
  form_.setEnabled(field("CFO:Codigo"), request == Request::kInsert);
  form_.setEnabled(field("CFO:COMPLEMENTO"), request == Request::kInsert);
  form_.setKeepNumbers(true);
  declareRules();
  declareScreen();
}

int CfopForm::code() const { return int(form_.record().getInt(form_.fieldIndex("CFO:Codigo"))); }

void CfopForm::set(int f, int64_t value) {
  applying_ = true;
  form_.assignInt(f, value);
  applying_ = false;
}

void CfopForm::declareRules() {
  auto when = [this](const char* name, std::function<void()> run) {
    form_.onChange(field(name), [this, run](FormController&, int) {
      if (!applying_) run();
    });
  };
  when("CFO:Codigo", [this] { codeAccepted(); });
  when("CFO:ESTADO", [this] { stateAccepted(); });
  when("CFO:TRIBUTACAO_ICMS", [this] { icmsAccepted(false); });
  when("CFO:TRIBUTACAO_IPI", [this] { ipiAccepted(false); });
  when("CFO:INFAPUR", [this] { taxCalculationAccepted(false); });
  when("CFO:IRPJ", [this] { showIncomeTaxRate(); });
  for (const PostingGroup& g : cfopGroups()) postings_.addGroup(g);
  form_.setValidator([this](FormController& f) { return checkSave(f); });
}

FormState CfopForm::open(int64_t recordId) {
  FormState state;
  if (form_.request() == Request::kInsert) {
    Record blank(&form_.table().def());
    blank.setText("CFO:ESTADO", utf8ToLatin1(env_.state));
    state = form_.openNew(&blank);
  } else {
    state = form_.openRecord(recordId);
  }
  if (state != FormState::kOpen) return state;
  if (env_.postingChecked && !companyCanPost()) return FormState::kClosed;
  // A code not typed yet takes the widest picture, so that any code can be
  // typed and then judged; a stored one the picture of its year.
  codePicture_ = code() == 0 ? codeEntryPicture(0, kFourDigitYear) : codeEntryPicture(code(), env_.year);
  applyShown();
  icmsAccepted(true);
  ipiAccepted(true);
  taxCalculationAccepted(true);
  postings_.fillDescriptions();
  model_.setFocus(form_.request() == Request::kInsert ? "CFO:Codigo" : "CFO:APELIDO");
  return form_.state();
}

bool CfopForm::companyCanPost() {
  bool can = true;
  if (env_.codigoPlanoContas == 0) {
    ctx_.errors.message(kChartMissing, "Atenção!!!", MessageIcon::kExclamation, kButtonOk, kButtonOk);
    can = false;
  }
  if (env_.plContas == 0) {
    ctx_.errors.message(kChartTypeMissing, "Atenção!!!", MessageIcon::kExclamation, kButtonOk, kButtonOk);
    can = false;
  }
  return can;
}

bool CfopForm::icmsSourceShown() const { return !isExitCode(code()); }

std::string CfopForm::thirdTabCaption() const {
  return icmsSourceShown() ? "Integração Contabil - 2" : "Integração Livro Caixa";
}

// What the code shows: the contributor (the form shows it for exits when it
// opens, and again whenever the code changes, since a new code may be one),
// the income-tax rate, and the ICMS-at-source group.
void CfopForm::applyShown() {
  form_.setVisible(field("CFO:CONTRIBUINTE"), showsContributor(code(), env_.year));
  showIncomeTaxRate();
  const PostingGroup& source = cfopGroups()[kSourceGroup];
  for (const std::string& f : {source.debit, source.credit, source.history, source.complement})
    form_.setVisible(form_.fieldIndex(f), icmsSourceShown());
}

void CfopForm::showIncomeTaxRate() {
  const bool irpj = form_.record().getInt(form_.fieldIndex("CFO:IRPJ")) != 0;
  form_.setVisible(field("CFO:ALIQIR"), showsIncomeTaxRate(code(), irpj));
}

void CfopForm::codeAccepted() {
  const int c = code();
  codePicture_ = codeEntryPicture(c, env_.year);
  const int contributor = field("CFO:CONTRIBUINTE");
  if (form_.record().getInt(contributor) == 0) set(contributor, defaultContributor(c));
  const int gia = field("CFO:CODSISTGIAMS");
  if (form_.record().getInt(gia) == 0) {
    if (std::optional<int> derived = giaMsCode(c)) set(gia, *derived);
  }
  applyShown();
  stateAccepted();
}

bool CfopForm::stateAccepted() {
  const std::string state(clipText(form_.record().getText(field("CFO:ESTADO"))));
  if (codeAllowedInState(code(), env_.year, state)) {
    if (code() != 0) codePicture_ = codeEntryPicture(code(), env_.year);
    return true;
  }
  ctx_.errors.message(kCfopStateRefused, kCfopStateRefusedTitle, MessageIcon::kExclamation, kButtonOk, kButtonOk);
  codePicture_ = "@n4";
  form_.requestFocus(field("CFO:Codigo"));
  return false;
}

void CfopForm::icmsAccepted(bool opening) {
  const int64_t t = form_.record().getInt(field("CFO:TRIBUTACAO_ICMS"));
  const int rate = field("CFO:ALIQUOTA_ICMS"), base = field("CFO:BASEREDUZ"), how = field("CFO:EMPARA");
  if (t == 1) {
    form_.setVisible(rate, true);
    form_.setVisible(base, false);
    form_.setVisible(how, false);
  } else if (t == 2 || t == 3) {
    for (int f : {rate, base, how}) form_.setVisible(f, false);
    if (!opening) set(rate, 0);
  } else if (t == 4 || t == 5) {
    for (int f : {rate, base, how}) form_.setVisible(f, true);
    if (!opening && form_.record().getInt(how) == 0) set(how, 1);
  }
}

void CfopForm::ipiAccepted(bool opening) {
  const int64_t t = form_.record().getInt(field("CFO:TRIBUTACAO_IPI"));
  const int half = field("CFO:IPI_50");
  if (t == 1 || t == 2 || t == 3 || t == 6) {
    form_.setVisible(half, false);
    if (!opening) set(half, 0);
  } else if (t == 4 || t == 5) {
    form_.setVisible(half, true);
  }
}

void CfopForm::taxCalculationAccepted(bool opening) {
  const int64_t t = form_.record().getInt(field("CFO:INFAPUR"));
  const bool taxed = t == 1 || t == 2;
  if (opening && t == 0) return;  // not chosen yet: the flags stay as stored
  for (const char* flag : kTaxFlags) {
    const int f = field(flag);
    form_.setEnabled(f, taxed);
    if (opening) continue;
    if (!taxed) set(f, 0);
    else if (form_.request() == Request::kInsert) set(f, 1);
  }
  if (!opening && !taxed) {
    applying_ = true;
    form_.assignDecimal(field("CFO:ALIQIR"), Decimal());
    applying_ = false;
  }
  showIncomeTaxRate();
  if (!opening && taxed && form_.request() == Request::kInsert) form_.requestFocus(field(kTaxFlags[0]));
}

bool CfopForm::checkSave(FormController& form) {
  if (form.record().getInt(field("CFO:INFAPUR")) == 0) {
    form.requestFocus(field("CFO:INFAPUR"));
    return false;
  }
  return stateAccepted();
}

// --- The screen ---------------------------------------------------------------

void CfopForm::declareScreen() {
  auto tab = [this](int n) {
    return ScreenTab{.current = [this, n] { return tab_ == n; }, .select = [this, n] { tab_ = n; }};
  };
  ScreenTab program = tab(kTabProgram), posting = tab(kTabPosting), cashBook = tab(kTabCashBook);
  program.caption = "&Programa Lançamentos";
  posting.caption = "Integração C&ontabil";
  cashBook.caption = "Integração Contabil - 2";
  cashBook.captionNow = [this] { return thirdTabCaption(); };
  for (ScreenTab* t : {&program, &posting, &cashBook}) model_.addTab(std::move(*t));
  declareFields();
  declarePostings();
  declareButtons();
  model_.setCloseRequest([this] { return form_.cancel() != FormState::kOpen; });
}

void CfopForm::declareFields() {
  const int code = field("CFO:Codigo");
  model_.addControl({
      .name = "CFO:Codigo",
      .prompt = "01-Código........",
      .picture = "@n5",
      .pictureNow = [this] { return codePicture_; },
      .tab = kTabProgram,
      .value = [this, code] { return form_.text(code); },
      .complete =
          [this, code](const std::string& v) {
            const int64_t n = std::atoll(v.c_str());
            if (n > 32767 || n < -32768) {
              ctx_.errors.message(kCodeTooLarge, "Atenção!!!", MessageIcon::kExclamation, kButtonOk, kButtonOk);
              form_.requestFocus(code);
              return Status(StatusCode::kOutOfRange, kCodeTooLarge);
            }
            Status s = form_.type(code, v);
            if (!s) form_.requestFocus(code);
            return s;
          },
      .state =
          [this, code] {
            const FieldState s = form_.fieldState(code);
            return ControlState{s.enabled, s.visible, s.readOnly};
          },
  });
  bindForm(model_, form_, cfopFields());
}

void CfopForm::declarePostings() {
  const std::vector<PostingGroup>& groups = cfopGroups();
  for (size_t g = 0; g < groups.size(); ++g) {
    PostingGroupScreen screen;
    screen.tab = g == kSourceGroup ? kTabCashBook : kTabPosting;
    // The term-value accounts are the table's only 40-character ones.
    if (g == 1) screen.accountPicture = "@s40";
    if (g == kSourceGroup) screen.shown = [this] { return icmsSourceShown(); };
    declarePostingGroup(model_, form_, postings_, groups[g], screen);
  }
}

void CfopForm::declareButtons() {
  const bool deleting = form_.request() == Request::kDelete;
  auto finish = [this](FormState state) {
    if (state != FormState::kOpen) model_.close();
  };
  ScreenButton ok{.caption = "&Grava", .press = [this, finish] { finish(form_.ok()); },
                  .isDefault = [] { return true; }};
  ScreenButton cancel{.caption = "&Cancela", .press = [this, finish] { finish(form_.cancel()); }};
  if (deleting) {
    ok.caption = "&Exclui";
    ok.tip = "Exclui o Código Fiscal de Operações da Tabela";
    ok.status = "Exclui o Código Fiscal de Operações exibido na janela";
    cancel.tip = cancel.status = "Cancela a exclusão do Código Fiscal de Operações exibido na janela";
  }
  model_.addButton(std::move(ok));
  model_.addButton(std::move(cancel));
  model_.addButton({.caption = "&Ajuda", .press = [this] {
                      ctx_.errors.message(cfopHelp(), "Ajuda", MessageIcon::kInformation, kButtonOk, kButtonOk);
                    }});
}

}  // namespace vorlam::fiscal
