// The account editor of the chart screen: starting an edit, the checks of
// each field as it is accepted, and the save steps of insert, change and
// delete in their order.
#include <algorithm>
#include <cstdlib>

#include "chart/account_rules.h"
#include "chart/chart_screen.h"
#include "storage/text.h"

namespace vorlam::chart {

namespace {

constexpr char kTitle[] = "Atenção!!!";
constexpr char kCode[] = "LOC:CONTA";
constexpr char kDescription[] = "LOC:DESCRICAO";
constexpr char kReduced[] = "LOC:REDUZIDO";
constexpr char kNickname[] = "LOC:APELIDO";
constexpr char kType[] = "LOC:SINTANALI";
constexpr char kBranch[] = "LOC:FILIAL";
constexpr char kBranchCnpj[] = "LOC:CNPJFILIAL";
constexpr char kSave[] = "&Grava";
constexpr char kCancel[] = "&Cancela";
constexpr char kBranchRequired[] =
    "Atenção!!! Quando se possui contabilidade por filiais unificadas pela matriz é necessário informar para qual "
    "matriz/filial a conta pertence!!!";

std::string text40(std::string_view utf8) {
  std::string latin = utf8ToLatin1(utf8);
  if (latin.size() > 40) latin.resize(40);
  return latin;
}

}  // namespace

void ChartScreen::say(const std::string& text, MessageIcon icon) {
  if (model_.dialogs() != nullptr) model_.dialogs()->messageBox({kTitle, text, icon, kButtonOk, kButtonOk});
}

bool ChartScreen::refuse(const std::string& text, const std::string& focus, MessageIcon icon) {
  say(text, icon);
  model_.setFocus(focus);
  return false;
}

// --- Lookups on the second cursor -------------------------------------------

std::optional<Record> ChartScreen::accountByCode(std::string_view code) {
  Table& t = *scan_;
  t.buffer().clear();
  t.buffer().setText("PLA:Codigo", clipped(code));
  if (!t.get(t.def().keyIndex("PLA:KEY:CODIGO"))) return std::nullopt;
  return t.buffer();
}

int ChartScreen::lookupError(std::string_view code) {
  Table& t = *scan_;
  t.buffer().clear();
  t.buffer().setText("PLA:Codigo", clipped(code));
  return t.get(t.def().keyIndex("PLA:KEY:CODIGO")).errorNumber();
}

std::optional<Record> ChartScreen::accountByReduced(uint32_t reduced) {
  Table& t = *scan_;
  t.buffer().clear();
  t.buffer().setInt("PLA:Reduzido", reduced);
  if (!t.get(t.def().keyIndex("PLA:KEY:REDUZIDO"))) return std::nullopt;
  return t.buffer();
}

bool ChartScreen::anyUnder(std::string_view code, bool analyticOnly) {
  Table& t = *scan_;
  t.buffer().clear();
  t.buffer().setText("PLA:Codigo", clipped(code));
  Status s = t.seek(t.def().keyIndex("PLA:KEY:CODIGO"));
  bool found = false;
  while (s && (s = t.next())) {
    const std::string_view other = t.buffer().getText("PLA:Codigo");
    if (clipped(other) == clipped(code)) continue;
    if (!isUnder(code, other)) break;
    if (!analyticOnly || t.buffer().getInt("PLA:SintAnali") == kAnalytic) {
      found = true;
      break;
    }
  }
  t.endWalk();
  return found;
}

uint32_t ChartScreen::nextReduced() {
  Table& t = *scan_;
  uint32_t next = 1;
  if (t.seekEnd(t.def().keyIndex("PLA:KEY:REDUZIDO")) && t.previous())
    next = static_cast<uint32_t>(t.buffer().getInt("PLA:Reduzido")) + 1;
  t.endWalk();
  return next;
}

// --- Starting and ending an edit ----------------------------------------------

void ChartScreen::loadEditor(const Record& account) {
  code_ = std::string(clipped(account.getText("PLA:Codigo")));
  description_ = latin1ToUtf8(clipped(account.getText("PLA:Descricao").substr(0, 40)));
  reduced_ = static_cast<uint32_t>(account.getInt("PLA:Reduzido"));
  nickname_ = latin1ToUtf8(clipped(account.getText("PLA:Apelido")));
  type_ = static_cast<int>(account.getInt("PLA:SintAnali"));
  branch_ = static_cast<uint16_t>(account.getInt("PLA:Filial"));
  branchCnpj_ = cnpjOf(branch_);
  startCode_ = code_;
}

void ChartScreen::startInsert() {
  mode_ = Mode::kInsert;
  code_.clear();
  description_.clear();
  nickname_.clear();
  branchCnpj_.clear();
  branch_ = 0;
  type_ = kSynthetic;
  reduced_ = nextReduced();
  startCode_.clear();
  model_.setFocus(kCode);
}

void ChartScreen::startChange() {
  const Record* row = list_->selected();
  if (row == nullptr) return;
  loadEditor(*row);
  mode_ = Mode::kChange;
  model_.setFocus(kCode);
}

void ChartScreen::startDelete() {
  const Record* row = list_->selected();
  if (row == nullptr) return;
  loadEditor(*row);
  mode_ = Mode::kDelete;
  model_.setFocus("&Exclui");
}

void ChartScreen::endEdit() {
  mode_ = Mode::kIdle;
  model_.setFocus("lista");
}

// --- Fields as they are accepted --------------------------------------------

Status ChartScreen::codeAccepted(const std::string& typed) {
  code_ = normalizeTypedCode(structure_, utf8ToLatin1(typed));
  const int level = editorLevel(structure_, code_);
  const Status back(StatusCode::kInvalidArgument, "conta recusada");
  if (prefixHasBlank(structure_, code_, level)) {
    say("O número da conta contábil não pode conter espaços em branco!!!");
    return back;
  }
  bool refused = false;
  for (int k = 1; k < level; ++k) {
    const std::string prefix = levelPrefix(structure_, code_, k);
    if (!accountByCode(prefix)) {
      say("Atenção antes deve ser cadastrado o grupo com o número " + prefix + " .", MessageIcon::kError);
      refused = true;
      break;
    }
  }
  if (std::optional<Record> same = accountByCode(code_);
      same && !(mode_ == Mode::kChange && clipped(startCode_) == clipped(code_))) {
    say("Já Existe uma conta com o código " + code_ + " .", MessageIcon::kError);
    refused = true;
  }
  if (structure_.operatorType == kOrdinaryCompany) {
    type_ = typeByLength(structure_, code_);
    if (type_ == kSynthetic) {
      branch_ = 0;
      branchCnpj_.clear();
    }
  }
  return refused ? back : Status::ok();
}

Status ChartScreen::reducedAccepted(const std::string& typed) {
  reduced_ = static_cast<uint32_t>(std::strtoul(typed.c_str(), nullptr, 10));
  std::optional<Record> other = accountByReduced(reduced_);
  if (other && (mode_ == Mode::kInsert || clipped(other->getText("PLA:Codigo")) != clipped(startCode_))) {
    say("Atenção!!! Já existe conta cadastrada com o mesmo número de Reduzido!!!");
    return Status(StatusCode::kInvalidArgument, "reduzido repetido");
  }
  return Status::ok();
}

Status ChartScreen::branchAccepted(const std::string& typed) {
  branch_ = static_cast<uint16_t>(std::strtoul(typed.c_str(), nullptr, 10));
  if (branch_ == 0) {
    branchCnpj_.clear();
    say("Atenção!!! É necessário informar a qual matriz/filial a conta pertence!!!");
    return Status(StatusCode::kInvalidArgument, "filial em branco");
  }
  if (branch(branch_) == nullptr) {
    branch_ = 0;
    branchCnpj_.clear();
    say("Atenção!!! Matriz/Filial não encontrada!!!");
    return Status(StatusCode::kInvalidArgument, "filial desconhecida");
  }
  branchCnpj_ = cnpjOf(branch_);
  return Status::ok();
}

void ChartScreen::typeChosen(int type) {
  type_ = type == kAnalytic ? kAnalytic : kSynthetic;
  if (type_ == kSynthetic) {
    branch_ = 0;
    branchCnpj_.clear();
  }
}

// --- Saving -----------------------------------------------------------------

void ChartScreen::save() {
  if (reduced_ == 0) {
    refuse("Código de reduzido não pode ser igual a 0.", kReduced);
    return;
  }
  switch (mode_) {
    case Mode::kInsert: saveInsert(); break;
    case Mode::kChange: saveChange(); break;
    case Mode::kDelete: saveDelete(); break;
    case Mode::kIdle: break;
  }
}

bool ChartScreen::saveInsert() {
  const bool ordinary = structure_.operatorType == kOrdinaryCompany;
  const int len = static_cast<int>(clipped(code_).size());
  const int groupEnd = tamanhoNivel(structure_, structure_.levelCount - 1);
  if (accountByReduced(reduced_)) return refuse("Atenção!!! Código de Reduzido já existente!!!", kReduced);
  if (ordinary && type_ == kAnalytic && len < groupEnd)
    return refuse("Atenção!!! A conta não pode ser Analítica!!!", kType);
  if (ordinary && type_ == kSynthetic && len == fullCodeLength(structure_))
    return refuse("Atenção!!! A conta não pode ser Sintética!!!", kType);
  if (!branches_.empty() && type_ == kAnalytic && branch_ == 0) return refuse(kBranchRequired, kBranch);
  const int level = exactLevel(structure_, code_);
  for (int k = 1; k < level; ++k) {
    std::optional<Record> group = accountByCode(levelPrefix(structure_, code_, k));
    if (group && group->getInt("PLA:SintAnali") == kAnalytic)
      return refuse("Atenção!!! A conta já possui um subgrupo definido com Analítica!!!", kCode);
  }
  if (type_ == kAnalytic && len < groupEnd)
    return refuse("Atenção!!! A conta informada não pode ser Analítica!!!", kType);
  if (accountByCode(code_)) return refuse("Atenção!!! Conta já cadastrada!!!", kCode);

  Table& t = *chart_;
  Record& r = t.buffer();
  r.clear();
  r.setText("PLA:Codigo", code_);
  r.setInt("PLA:Reduzido", reduced_);
  r.setText("PLA:Descricao", text40(description_));
  r.setText("PLA:Apelido", utf8ToLatin1(nickname_).substr(0, 20));
  r.setInt("PLA:SintAnali", type_);
  r.setText("PLA:Indice", indexOfNewAccount(structure_, code_));
  r.setInt("PLA:Filial", type_ == kAnalytic ? branch_ : 0);
  if (Status s = t.insert(); !s) {
    say("Atenção!!! Erro código " + std::to_string(s.errorNumber()) + " na inclusão da conta!!!");
    list_->refresh();
    return false;
  }
  reportWrite(context_, r, WriteKind::kInsert);
  const Record added = r;
  list_->showAround(added);
  // The editor stays in insert mode, ready for the next account.
  code_ = nextCodeProposal(structure_, code_, type_);
  reduced_ = nextReduced();
  description_.clear();
  nickname_.clear();
  model_.setFocus(kCode);
  return true;
}

bool ChartScreen::saveChange() {
  std::optional<Record> stored = accountByCode(startCode_);
  if (!stored)
    return refuse("Atenção!!! Erro número " + std::to_string(lookupError(startCode_)) +
                      " na pesquisa para alteração da conta!!!",
                  kCode, MessageIcon::kError);
  // A group whose code changed would leave its accounts without their
  // group: the chart could no longer be read level by level.
  if (clipped(code_) != clipped(startCode_) && anyUnder(startCode_, false))
    return refuse("Atenção!!! O Grupo selecionado não pode ser alterado por que há contas filiadas ao grupo!!!", kCode);
  const int len = static_cast<int>(clipped(code_).size());
  if (type_ == kSynthetic && len == fullCodeLength(structure_)) {
    type_ = kAnalytic;
    return refuse("Atenção!!! A conta deve ser informada como analítica!!!", kType);
  }
  if (!branches_.empty() && type_ == kAnalytic && branch_ == 0) return refuse(kBranchRequired, kBranch);
  if (type_ == kAnalytic && len < fullCodeLength(structure_) && anyUnder(code_, true)) {
    type_ = kSynthetic;
    return refuse(
        "Atenção!!! O grupo não pode ser alterado para Analítico pois já existem contas referentes a esse grupo como "
        "Analítica!!!",
        kType);
  }
  Table& t = *chart_;
  if (Status s = t.getById(stored->recordId()); !s) {
    say("Atenção!!! Erro código " + std::to_string(s.errorNumber()) + " na anteração da conta!!!");
    list_->refresh();
    return false;
  }
  const Record before = t.buffer();
  Record& r = t.buffer();
  r.setText("PLA:Codigo", code_);
  r.setInt("PLA:Reduzido", reduced_);
  // Only the first 40 characters are edited here; the rest stays.
  std::string description(r.getText("PLA:Descricao"));
  const std::string edited = text40(description_);
  description.replace(0, std::min<size_t>(40, description.size()), edited + std::string(40 - edited.size(), ' '));
  r.setText("PLA:Descricao", description);
  r.setText("PLA:Apelido", utf8ToLatin1(nickname_).substr(0, 20));
  r.setInt("PLA:SintAnali", type_);
  r.setText("PLA:Indice", indexOfNewAccount(structure_, code_));
  r.setInt("PLA:Filial", type_ == kAnalytic ? branch_ : 0);
  if (Status s = t.update(); !s) {
    say("Atenção!!! Erro código " + std::to_string(s.errorNumber()) + " na anteração da conta!!!");
    list_->refresh();
    return false;
  }
  reportWrite(context_, r, WriteKind::kChange);
  const Record changed = r;
  list_->showAround(changed);
  endEdit();
  return true;
}

bool ChartScreen::saveDelete() {
  if (anyUnder(startCode_, false)) {
    say("Atenção!!! O Grupo selecionado não pode ser excluso por que há contas filiadas ao grupo!!!");
    endEdit();
    return false;
  }
  std::optional<Record> stored = accountByCode(startCode_);
  if (!stored) {
    say("Atenção!!! Erro número " + std::to_string(lookupError(startCode_)) +
            " na pesquisa para exclusão da conta!!!",
        MessageIcon::kError);
    endEdit();
    return false;
  }
  const int answer = model_.dialogs() == nullptr
                         ? 1
                         : model_.dialogs()->question({kTitle, "Atenção!!! Confirma Exclusão da Conta???",
                                                       MessageIcon::kQuestion, "&Não|&Sim", 1});
  if (answer != 2) {
    endEdit();
    return false;
  }
  Table& t = *chart_;
  Status s = t.getById(stored->recordId());
  if (s) s = t.erase();
  if (!s) {
    say("Atenção!!! Erro código " + std::to_string(s.errorNumber()) + " na exclusão da conta!!!");
    list_->refresh();
    endEdit();
    return false;
  }
  reportWrite(context_, *stored, WriteKind::kDelete);
  // The tag goes with the account: a number the file gives again later
  // must not come tagged.
  if (tags_.tagged(stored->recordId())) {
    tags_.toggle(stored->recordId());
    applyTagView();
  }
  // Back on the account two places before the deleted one.
  list_->showAround(*stored);
  list_->moveSelection(-2);
  endEdit();
  return true;
}

// --- The editor on the screen model ------------------------------------------

void ChartScreen::declareEditor() {
  declareEditorControls();
  declareEditorButtons();
}

void ChartScreen::declareEditorControls() {
  auto editing = [this] { return mode_ == Mode::kInsert || mode_ == Mode::kChange; };
  auto entry = [this, editing] {
    return [this, editing] { return ControlState{.enabled = editing(), .visible = screenTab_ == 0}; };
  };
  model_.addControl({.name = kCode,
                     .prompt = "0&1 Conta.....",
                     .tip = "Código da Conta Contábil",
                     .tab = 0,
                     .text = true,
                     .value = [this] { return code_; },
                     .complete = [this](const std::string& v) { return codeAccepted(v); },
                     .state = entry()});
  model_.addControl({.name = kDescription,
                     .prompt = "0&2 Descrição...........",
                     .picture = "@s40",
                     .tip = "Descrição da Conta Contábil",
                     .tab = 0,
                     .text = true,
                     .value = [this] { return description_; },
                     .complete =
                         [this](const std::string& v) {
                           description_ = v;
                           return Status::ok();
                         },
                     .state = entry()});
  model_.addControl({.name = kReduced,
                     .prompt = "0&3 Reduzido....",
                     .picture = "@n13",
                     .tip = "Código Reduzido da Conta Contabil",
                     .tab = 0,
                     .value = [this] { return std::to_string(reduced_); },
                     .complete = [this](const std::string& v) { return reducedAccepted(v); },
                     .state = entry()});
  model_.addControl({.name = kNickname,
                     .prompt = "0&4 Apelido...",
                     .picture = "@s20",
                     .tab = 0,
                     .text = true,
                     .value = [this] { return nickname_; },
                     .complete =
                         [this](const std::string& v) {
                           nickname_ = v;
                           return Status::ok();
                         },
                     .state = entry()});
  model_.addControl({.name = kType,
                     .prompt = "Tipo de Conta Sintética ou Analítica",
                     .kind = ControlKind::kRadioGroup,
                     .choices = {{"1", "Sintética"}, {"2", "Analítica"}},
                     .tab = 0,
                     .value = [this] { return std::to_string(type_); },
                     .complete =
                         [this](const std::string& v) {
                           typeChosen(std::atoi(v.c_str()));
                           return Status::ok();
                         },
                     .state = entry()});
  std::vector<ControlChoice> branchChoices;
  for (const Branch& b : branches_)
    branchChoices.push_back({std::to_string(b.code), std::to_string(b.code) + " " + b.name + " " + b.cnpj});
  model_.addControl({.name = kBranch,
                     .prompt = "Matriz/Filial",
                     .kind = ControlKind::kDropList,
                     .choices = branchChoices,
                     .tab = 0,
                     .value = [this] { return std::to_string(branch_); },
                     .complete = [this](const std::string& v) { return branchAccepted(v); },
                     .state = [this, editing] {
                       return ControlState{.enabled = editing() && type_ == kAnalytic,
                                           .visible = screenTab_ == 0 && !branches_.empty()};
                     }});
  model_.addControl({.name = kBranchCnpj,
                     .prompt = "CNPJ Matriz/Filial",
                     .kind = ControlKind::kDisplay,
                     .tab = 0,
                     .value = [this] { return branchCnpj_; },
                     .state = [this] { return ControlState{.visible = screenTab_ == 0 && !branches_.empty()}; }});
}

void ChartScreen::declareEditorButtons() {
  model_.addButton({.caption = kSave,
                    .tip = "Grava novo registro.",
                    .status = "Grava novo registro.",
                    .tab = 0,
                    .press = [this] { save(); },
                    .enabled = [this] { return mode_ == Mode::kInsert; },
                    .visible = [this] { return mode_ == Mode::kInsert || mode_ == Mode::kIdle; }});
  model_.addButton({.caption = kSave,
                    .tip = "Grava alteração do registro.",
                    .status = "Grava alteração do registro.",
                    .tab = 0,
                    .press = [this] { save(); },
                    .visible = [this] { return mode_ == Mode::kChange; }});
  model_.addButton({.caption = "&Exclui",
                    .tip = "Exclui registro selecionado.",
                    .status = "Exclui registro selecionado.",
                    .tab = 0,
                    .press = [this] { save(); },
                    .visible = [this] { return mode_ == Mode::kDelete; }});
  model_.addButton({.caption = kCancel,
                    .tab = 0,
                    .press = [this] { endEdit(); },
                    .enabled = [this] { return mode_ != Mode::kIdle; }});
  for (const char* control : {kCode, kDescription, kReduced, kNickname, kType, kBranch, kSave, kCancel, "&Exclui"})
    model_.addKey({.name = "Esc", .scope = control, .action = [this] {
                     if (mode_ != Mode::kIdle) endEdit();
                   }});
  // Moving the focus back to the list ends the edit.
  model_.addAfterAction([this] {
    if (mode_ != Mode::kIdle && model_.focus() == "lista") mode_ = Mode::kIdle;
  });
}

}  // namespace vorlam::chart
