#include "fiscal/party_form.h"

#include "registry/taxpayer_numbers.h"
#include "shell/company_files.h"
#include "storage/text.h"

namespace vorlam::fiscal {

namespace {

constexpr uint16_t kMsgOpenFailed = 26;
constexpr uint16_t kMsgLoadFailed = 21;  // "Erro ao carregar o arquivo"
constexpr char kAttention[] = "Atenção!!!";
constexpr char kInvalidAccount[] = "Atenção!!! A conta informada não é válida!!!";

std::string clipped(std::string_view s) { return std::string(clipText(s)); }

bool zeroNumber(std::string_view stored) {
  for (char c : clipText(stored))
    if (c != '0' && c != ' ') return false;
  return true;
}

std::string changeQuestion(PartySide side) {
  return std::string("Atenção!!! Alteração da conta ") + (side == PartySide::kCustomer ? "Cliente" : "Fornecedor") +
         ". Confirma Inclusão no Plano de Contas???";
}

// The supplier side names itself: "Conta fornecedor".
std::string alreadyThere(PartySide side, const std::string& account) {
  return std::string("Atenção!!! Conta ") + (side == PartySide::kCustomer ? "cliente" : "fornecedor") + " : " +
         account + " já está cadastrada!!!";
}

}  // namespace

const FormDefinition& partyFormDefinition() {
  static const FormDefinition kDefinition = [] {
    FormDefinition d;
    d.procedure = kPartyFormProcedure;
    d.title = kPartyFormTitle;
    d.insertCaption = "Incluindo um Fornecedor/Cliente";
    d.changeCaption = "Alterando  um Fornecedor/Cliente";
    d.deleteCaption = "Excluindo um Fornecedor/Cliente";
    return d;
  }();
  return kDefinition;
}

PartyTables::PartyTables(const Dictionary& dict)
    : parties(dict.find("ForCli")), scan(dict.find("ForCli0")), chart(dict.find("PlanoContas")),
      states(dict.find("Estados")) {}

Status PartyTables::open(const ScreenContext& context, const Dictionary& dict, const shell::AppState& state) {
  struct Open {
    Table* table;
    OpenMode mode;
  };
  for (const Open& o : {Open{&parties, OpenMode::kShared}, Open{&scan, OpenMode::kReadOnly},
                        Open{&chart, OpenMode::kShared}}) {
    const std::string path = context.resolve(o.table->def().binding);
    if (Status s = o.table->open(path, o.mode); !s) {
      context.errors.throwFile(kMsgOpenFailed, path, s);
      return s;
    }
  }
  Result<PartyAccountSettings> read = readPartyAccountSettings(dict, state);
  if (!read.isOk()) {
    context.errors.throwFile(kMsgLoadFailed, state.pathFor(shell::kEmpresaFile), read.status());
    return read.status();
  }
  settings = std::move(read).value();
  stateChoices.clear();
  // Without the states file the state is typed as it stands.
  if (states.open(context.resolve(states.def().binding), OpenMode::kReadOnly)) {
    const int key = states.def().keyIndex("EST:KEY:SIGLA");
    if (states.seekStart(key < 0 ? kFileOrder : key)) {
      while (states.next()) {
        const std::string uf = latin1ToUtf8(clipText(states.buffer().getText("EST:UF")));
        const std::string desc = latin1ToUtf8(clipText(states.buffer().getText("EST:DESC")));
        stateChoices.push_back({uf, uf + " - " + desc});
      }
    }
    states.close();
  }
  return Status::ok();
}

PartyForm::PartyForm(ScreenContext& context, PartyTables& tables, Request request, ChartLookup lookup)
    : ctx_(context),
      tables_(tables),
      form_(context, partyFormDefinition(), tables.parties, request),
      lookup_(std::move(lookup)),
      model_(kPartyFormProcedure, kPartyFormTitle) {
  cgc_ = form_.fieldIndex("FOR:CGC");
  cpf_ = form_.fieldIndex("FOR:CPF");
  type_ = form_.fieldIndex("FOR:TipoInscricao");
  for (PartySide side : {PartySide::kCustomer, PartySide::kSupplier}) {
    Side& s = sides_[size_t(side)];
    s.side = side;
    s.flag = form_.fieldIndex(sideFields(side).flag);
    s.account = form_.fieldIndex(sideFields(side).account);
    form_.onChange(s.flag, [this, &s](FormController&, int) { flagChanged(s, true); });
  }
  form_.setEnabled(form_.fieldIndex("FOR:Codigo"), false);
  form_.onChange(type_, [this](FormController&, int) { inscriptionTypeChanged(); });
  form_.setValidator([this](FormController& f) { return checkSave(f); });
  declareScreen();
}

FormState PartyForm::open(int64_t recordId) {
  FormState state;
  if (form_.request() == Request::kInsert) {
    Record blank(&form_.table().def());
    blank.setInt(type_, 1);
    state = form_.openNew(&blank);
  } else {
    state = form_.openRecord(recordId);
  }
  if (state != FormState::kOpen) return state;
  for (Side& s : sides_) {
    s.opening = clipped(form_.record().getText(s.account));
    s.typed = s.opening;
    flagChanged(s, false);
  }
  inscriptionTypeChanged();
  return form_.state();
}

void PartyForm::inscriptionTypeChanged() {
  const bool cpf = form_.record().getInt(type_) == 2;
  form_.setVisible(cgc_, !cpf);
  form_.setVisible(cpf_, cpf);
}

void PartyForm::flagChanged(Side& side, bool propose) {
  const bool on = form_.record().getInt(side.flag) != 0;
  form_.setEnabled(side.account, on);
  if (!propose) return;
  const bool editing = form_.request() == Request::kInsert || form_.request() == Request::kChange;
  if (!editing) return;
  if (!on) {
    form_.assignText(side.account, "");
    return;
  }
  if (!side.typed.empty() && clipped(form_.record().getText(side.account)).empty())
    form_.assignText(side.account, latin1ToUtf8(side.typed));
  if (!clipped(form_.record().getText(side.account)).empty()) return;
  Result<std::optional<std::string>> proposal =
      proposeAccount(tables_.chart, tables_.settings, side.side, form_.record());
  if (proposal.isOk() && *proposal) form_.assignText(side.account, latin1ToUtf8(**proposal));
}

Status PartyForm::typeNumber(int field, const std::string& typed) {
  const bool cnpj = field == cgc_;
  Result<std::string> parsed = cnpj ? registry::parseCnpj(typed) : registry::parseCpf(typed);
  MessageBoxRequest box;
  if (!parsed.isOk()) {
    box = {kAttention, parsed.status().message(), MessageIcon::kExclamation, kButtonOk, kButtonOk};
  } else {
    registry::TaxpayerCheck check = cnpj ? registry::ValidaCNPJ(*parsed) : registry::ValidaCPF(*parsed);
    if (check) return form_.type(field, check.number);
    box = check.message();
  }
  if (model_.dialogs() != nullptr) model_.dialogs()->messageBox(box);
  form_.requestFocus(field);
  return Status(StatusCode::kInvalidArgument, box.text);
}

Status PartyForm::typeAccount(Side& side, const std::string& typed, bool chosen) {
  std::string account = utf8ToLatin1(typed);
  const std::string& group = tables_.settings.group(side.side);
  // Without a structure there is no last level to rewrite into.
  if (!chosen && !clipped(account).empty() && !group.empty() && tables_.settings.lastLevelDigits() > 0) {
    std::optional<std::string> rewritten = rewriteTypedAccount(group, tables_.settings.lastLevelDigits(), account);
    if (!rewritten) {
      ctx_.errors.message(kInvalidAccount, kAttention, MessageIcon::kExclamation, kButtonOk, kButtonOk);
      form_.requestFocus(side.account);
      return Status(StatusCode::kInvalidArgument, kInvalidAccount);
    }
    account = *rewritten;
  }
  Status s = chosen ? form_.assignText(side.account, latin1ToUtf8(account))
                    : form_.type(side.account, latin1ToUtf8(account));
  if (s) side.typed = clipped(account);
  return s;
}

void PartyForm::lookUp(Side& side) {
  if (!lookup_) return;
  const std::vector<std::string> keys = lookup_(model_);
  if (keys.size() != 1 || keys[0].empty()) return;
  // The chart's record number, or the code itself.
  std::string code = keys[0];
  if (code.size() < 19 && code.find_first_not_of("0123456789") == std::string::npos && tables_.chart.getById(std::stoll(code)))
    code = latin1ToUtf8(clipText(tables_.chart.buffer().getText("PLA:Codigo")));
  typeAccount(side, code, /*chosen=*/true);
  model_.sync();
}

bool PartyForm::sameNumberStored() {
  // By the number of the inscription type; a type whose number is blank
  // searches by the other one, so that every CPF party does not match
  // every other on a blank CNPJ.
  bool byCnpj = form_.record().getInt(type_) != 2;
  if (zeroNumber(form_.record().getText(byCnpj ? cgc_ : cpf_))) byCnpj = !byCnpj;
  // The second cursor is the alias: its names carry its own prefix.
  const char* field = byCnpj ? "CGC" : "CPF";
  const std::string number = clipped(form_.record().getText(byCnpj ? cgc_ : cpf_));
  Table& scan = tables_.scan;
  scan.buffer().clear();
  scan.buffer().setText(field, number);
  if (!scan.seek(scan.def().keyIndex(byCnpj ? "CGC" : "CPF"))) return false;
  const bool found = scan.next() && clipped(scan.buffer().getText(field)) == number;
  scan.endWalk();
  return found;
}

bool PartyForm::checkSave(FormController& form) {
  if (form.request() == Request::kDelete) return true;
  if (zeroNumber(form.record().getText(cgc_)) && zeroNumber(form.record().getText(cpf_))) {
    ctx_.errors.message(kBlankInscriptionText, kAttention, MessageIcon::kExclamation, kButtonOk, kButtonOk);
    form.requestFocus(type_);
    return false;
  }
  if (form.request() == Request::kInsert && sameNumberStored() &&
      ctx_.errors.ask(kSameNumberQuestion, kSameNumberTitle, "&Sim|&Não", 1) != 1)
    return false;
  if (tables_.settings.numbering == kNumberingNone) return true;
  return addAccounts();
}

bool PartyForm::addAccounts() {
  added_.clear();
  ChartAccountWriter writer(tables_.chart, tables_.settings.structure);
  writer.setBeforeAdd(beforeAdd_);
  Status s = writer.begin();
  bool addedAny = false;
  for (Side& side : sides_) {
    if (!s) break;
    if (!addSideAccount(writer, side, &addedAny)) return false;  // the writer rolls back
  }
  if (s && addedAny) s = writer.commit();
  if (!s) {
    writer.rollback();
    added_.clear();
    ctx_.errors.throwFile(kMsgAddFailed, tables_.chart.path(), s);
    return false;
  }
  return true;
}

bool PartyForm::addSideAccount(ChartAccountWriter& writer, Side& side, bool* addedAny) {
  const std::string account = clipped(form_.record().getText(side.account));
  if (account.empty()) return true;
  for (const Added& a : added_)
    if (a.code == account) return true;  // the other side's, added by this save
  Result<bool> there = writer.exists(account);
  if (!there.isOk()) {
    ctx_.errors.throwFile(kMsgAddFailed, tables_.chart.path(), there.status());
    return false;
  }
  if (*there) {
    if (account != side.opening)
      ctx_.errors.message(alreadyThere(side.side, latin1ToUtf8(account)), kAttention, MessageIcon::kExclamation,
                          kButtonOk, kButtonOk);
    return true;
  }
  // A changed account is added only when the user agrees; declined, the
  // record is not saved with an account the chart does not have.
  const bool changed = form_.request() == Request::kChange && !side.opening.empty() && account != side.opening;
  if (changed && ctx_.errors.ask(changeQuestion(side.side), kAttention, "&Não|&Sim", 1) != 2) {
    form_.requestFocus(side.account);
    return false;
  }
  uint32_t reduced = 0;
  Status s = writer.add(account, form_.record().getText("FOR:Nome"), &reduced);
  if (!s) {
    writer.rollback();
    added_.clear();
    ctx_.errors.throwFile(kMsgAddFailed, tables_.chart.path(), s);
    form_.requestFocus(side.account);
    return false;
  }
  added_.push_back({account, reduced});
  *addedAny = true;
  return true;
}

FormState PartyForm::save() {
  added_.clear();
  const FormState state = form_.ok();
  if (state != FormState::kCompleted && !added_.empty()) {
    // The record was not written: its new accounts go too.
    ChartAccountWriter writer(tables_.chart, tables_.settings.structure);
    for (const Added& a : added_) writer.remove(a.code, a.reduced);
  }
  added_.clear();
  return state;
}

}  // namespace vorlam::fiscal
