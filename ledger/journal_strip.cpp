// The journal screen's editing strip: its fields, their lookups and
// reactions, and "&Incluir", "Al&terar", "&Excluir", "&Grava" / "&Exclui"
// and "&Cancela".

#include "framework/picture.h"
#include "ledger/journal_numbers.h"
#include "ledger/journal_screen.h"
#include "ledger/registry_list.h"
#include "ledger/standard_entry.h"
#include "ledger/history.h"
#include "storage/text.h"

namespace vorlam::ledger {

namespace {

constexpr char kSaveTitle[] = "Atenção!!";
constexpr char kF4Tip[] = "<F4> Pesquisa.";

bool blank(std::string_view text) { return text.find_first_not_of(' ') == std::string_view::npos; }

// The strip's fields in the order Down and Up walk them.
constexpr const char* kWalk[] = {"DIAE:Data",         "DIAE:Numero",    "DIAE:Lote",        "DIAE:Padrao",
                                 "DIAE:ContaDebito",  "DIAE:ContaCredito", "DIAE:Historico", "DIAE:ValorDebito",
                                 "DIAE:ValorCredito", "DIAE:Documento", "DIAE:Complemento", "&Cancela"};

}  // namespace

std::string JournalScreen::stripText(int field) const {
  if (field == fLote_) return lot_;
  return latin1ToUtf8(strip_.getAsText(field));
}

bool JournalScreen::fieldEnabled(int field) const {
  if (field == fLote_) return true;
  if (mode_ == Mode::kIdle || mode_ == Mode::kDelete) return false;
  if (field == fPadrao_) return standardEditable_;
  if (field == fDebito_ || field == fCredito_ || field == fHistorico_) return !standardLocks_;
  if (field == fNumero_) return numberEnabled_;
  if (field == fValorDebito_) return !blank(strip_.getText(fDebito_));
  if (field == fValorCredito_) return !blank(strip_.getText(fCredito_));
  return true;
}

void JournalScreen::clearStrip() {
  strip_.clear();
  strip_.setRecordId(0);
  lot_.clear();
  descDebit_.clear();
  descCredit_.clear();
  descHistory_.clear();
}

void JournalScreen::describe() {
  auto account = [this](int field) {
    auto a = chart_.byCode(latin1ToUtf8(strip_.getText(field)));
    return a ? a->description : std::string();
  };
  descDebit_ = account(fDebito_);
  descCredit_ = account(fCredito_);
  descHistory_ = historyText(strip_.getInt(fHistorico_));
  if (mode_ == Mode::kIdle) lot_ = latin1ToUtf8(strip_.getText(fLote_));
}

void JournalScreen::warn(const std::string& text, const char* title) {
  errors_.message(text, title, MessageIcon::kExclamation, kButtonOk, kButtonOk);
}

// --- Standard entry, accounts, history ------------------------------------

bool JournalScreen::applyStandard(int64_t code, const std::string& typed) {
  if (!standards_.isOpen()) return false;
  const TableDef& d = standards_.def();
  standards_.buffer().clear();
  Status found = Status(StatusCode::kNotFound, "");
  if (code > 0) {
    standards_.buffer().setInt("LPR:CODIGO", code);
    found = standards_.get(d.keyIndex("LPR:KEY:CODIGO"));
  }
  if (!found && !blank(typed)) {
    standards_.buffer().clear();
    standards_.buffer().setText("LPR:APELIDO", utf8ToLatin1(typed));
    found = standards_.get(d.keyIndex("LPR:KEY:APELIDO"));
  }
  standards_.endWalk();
  if (!found) return false;
  const Record& r = standards_.buffer();
  strip_.setText(fPadrao_, utf8ToLatin1(typed));
  strip_.setText(fDebito_, r.getText("LPR:DEBITO"));
  strip_.setText(fCredito_, r.getText("LPR:CREDITO"));
  strip_.setInt(fHistorico_, r.getInt("LPR:HISTORICO"));
  if (blank(strip_.getText(fDebito_))) strip_.setDecimal(fValorDebito_, Decimal());
  if (blank(strip_.getText(fCredito_))) strip_.setDecimal(fValorCredito_, Decimal());
  standardLocks_ = true;
  describe();
  return true;
}

Status JournalScreen::completeStandard(const std::string& typed) {
  if (blank(typed)) {
    strip_.setText(fPadrao_, "");
    standardLocks_ = false;
    return Status::ok();
  }
  if (applyStandard(leadingNumber(typed), typed)) return Status::ok();
  lookupStandard();
  return Status::ok();
}

void JournalScreen::lookupStandard() {
  if (!fieldEnabled(fPadrao_)) return;
  std::vector<std::string> keys = shell::runLookup(services_, model_, kStandardListProcedure);
  if (!keys.empty() && applyStandard(leadingNumber(keys[0]), keys[0])) return;
  // Nothing chosen: no standard entry.
  strip_.setText(fPadrao_, "");
  standardLocks_ = false;
}

Status JournalScreen::completeAccount(bool debit, const std::string& typed) {
  const int field = debit ? fDebito_ : fCredito_;
  const int value = debit ? fValorDebito_ : fValorCredito_;
  std::string& description = debit ? descDebit_ : descCredit_;
  if (blank(typed)) {
    strip_.setText(field, "");
    strip_.setDecimal(value, Decimal());
    description.clear();
    return Status::ok();
  }
  std::optional<Account> found = chart_.findReducedFirst(typed);
  if (!found || found->synthetic) {
    std::vector<std::string> keys = shell::runLookup(services_, model_, "PlanoContas");
    found = keys.empty() ? std::nullopt : chart_.fromChosenKey(keys[0]);
  }
  if (!found || found->synthetic) {
    warn(std::string("Atenção!!! Conta ") + (debit ? "Débito" : "Crédito") + " não encontrada!!!");
    strip_.setText(field, "");
    description.clear();
    model_.setFocus(debit ? "DIAE:ContaDebito" : "DIAE:ContaCredito");
    return Status(StatusCode::kInvalidArgument, "conta");
  }
  strip_.setText(field, utf8ToLatin1(found->code));
  description = found->description;
  return Status::ok();
}

void JournalScreen::lookupAccount(bool debit) {
  const int field = debit ? fDebito_ : fCredito_;
  if (!fieldEnabled(field)) return;
  std::vector<std::string> keys = shell::runLookup(services_, model_, "PlanoContas");
  if (keys.empty()) return;
  if (std::optional<Account> a = chart_.fromChosenKey(keys[0]); a && !a->synthetic) {
    strip_.setText(field, utf8ToLatin1(a->code));
    (debit ? descDebit_ : descCredit_) = a->description;
  }
}

Status JournalScreen::completeHistory(int64_t code) {
  strip_.setInt(fHistorico_, code);
  descHistory_.clear();
  if (code == 0) return Status::ok();
  loadHistories();  // another workstation may have added one
  if (historyTexts_.find(code) == historyTexts_.end()) {
    warn("Atenção!!! Histórico Padrão não encontrado!!!");
    strip_.setInt(fHistorico_, 0);
    model_.setFocus("DIAE:Historico");
    return Status(StatusCode::kInvalidArgument, "histórico");
  }
  descHistory_ = historyText(code);
  return Status::ok();
}

void JournalScreen::lookupHistory() {
  if (!fieldEnabled(fHistorico_)) return;
  std::vector<std::string> keys = shell::runLookup(services_, model_, kHistoryListProcedure);
  if (!keys.empty()) completeHistory(leadingNumber(keys[0]));
}

// --- Values and numbers ----------------------------------------------------

void JournalScreen::completeDebitValue(const std::string& v) {
  strip_.setFromText(fValorDebito_, v);
  if (mode_ != Mode::kInsert) return;
  if (!blank(strip_.getText(fCredito_))) strip_.setDecimal(fValorCredito_, strip_.getDecimal(fValorDebito_));
  else numberEnabled_ = true;
}

void JournalScreen::completeCreditValue(const std::string& v) {
  strip_.setFromText(fValorCredito_, v);
  if (mode_ != Mode::kInsert) return;
  const Decimal number = strip_.getDecimal(fNumero_);
  if (strip_.getDecimal(fValorDebito_) == strip_.getDecimal(fValorCredito_) && hasDecimals(number)) {
    Result<Decimal> next = proposeEntryNumber(edit_);
    strip_.setDecimal(fNumero_, next.isOk() ? std::max(next.value(), nextWholeNumber(number)) : nextWholeNumber(number));
    numberEnabled_ = false;
  } else if (blank(strip_.getText(fDebito_))) {
    numberEnabled_ = true;
  }
}

// --- Requests --------------------------------------------------------------

void JournalScreen::startInsert() {
  Result<Decimal> proposal = proposeEntryNumber(edit_);
  if (!proposal.isOk()) {
    errors_.throwFile(21, edit_.path(), proposal.status());
    return;
  }
  mode_ = Mode::kInsert;
  editing_.reset();
  clearStrip();
  strip_.setDecimal(fNumero_, proposal.value());
  standardLocks_ = false;
  standardEditable_ = true;
  numberEnabled_ = true;
  model_.setFocus("DIAE:ContaDebito");
}

void JournalScreen::startChange() {
  const Record* row = list_.selected();
  if (row == nullptr) return;
  mode_ = Mode::kChange;
  editing_ = *row;
  standardEditable_ = blank(row->getText("Padrao"));
  standardLocks_ = false;
  numberEnabled_ = true;
  model_.setFocus(standardEditable_ ? "DIAE:Padrao" : "DIAE:Data");
}

void JournalScreen::startDelete() {
  const Record* row = list_.selected();
  if (row == nullptr) return;
  if (std::string(clipText(row->getText("Origem"))) == "FEC")
    warn("Atenção!!! Não se deve alterar contas e valores de um lançamento de fechamento evitando desta maneira "
         "eventuais diferenças.");
  mode_ = Mode::kDelete;
  editing_ = *row;
  model_.setFocus("&Exclui");
}

void JournalScreen::cancel() {
  if (mode_ == Mode::kIdle) return;
  mode_ = Mode::kIdle;
  editing_.reset();
  standardLocks_ = false;
  shownId_ = -1;
  showSelected();
  model_.setFocus("lista");
}

bool JournalScreen::checkSave() {
  auto refuse = [this](const char* text, const char* focus) {
    warn(text, kSaveTitle);
    model_.setFocus(focus);
    return false;
  };
  if (strip_.getInt(fHistorico_) == 0) return refuse("É necessário informar o código do Histórico!!!", "DIAE:Historico");
  if (strip_.getInt(fData_) == 0) return refuse("É necessário informar a Data do Lançamento!!!", "DIAE:Data");
  if (strip_.getDecimal(fValorDebito_).isZero() && strip_.getDecimal(fValorCredito_).isZero())
    return refuse("É necessário informar o valor do Débito ou valor do Crédito!!!", "DIAE:ValorDebito");
  return true;
}

void JournalScreen::save() {
  if (mode_ == Mode::kInsert && checkSave()) insertLine();
  else if (mode_ == Mode::kChange && checkSave()) changeLine();
  else if (mode_ == Mode::kDelete) deleteLine();
}

void JournalScreen::insertLine() {
  strip_.setText(fLote_, utf8ToLatin1(lot_));
  if (blank(strip_.getText(fOrigem_))) strip_.setText(fOrigem_, "CTB");
  strip_.setInt(fEmpresa_, services_.session().state().company().codigo);
  Result<Decimal> added = addJournalLine(edit_, strip_);
  if (!added.isOk()) {
    warn("Erro na Inclusão do Lançamento!!!");
    return;
  }
  reportWrite(context_, listed(edit_.buffer()), WriteKind::kInsert);
  const bool balanced = strip_.getDecimal(fValorDebito_) == strip_.getDecimal(fValorCredito_);
  const Record added_line = edit_.buffer();
  refreshAround(added_line);
  // On to the next line: the same date, lot and document.
  const int32_t date = int32_t(strip_.getInt(fData_));
  const std::string document(strip_.getText(fDocumento_));
  const std::string lot = lot_;
  clearStrip();
  strip_.setInt(fData_, date);
  strip_.setText(fDocumento_, document);
  lot_ = lot;
  strip_.setDecimal(fNumero_, numberAfter(added.value(), balanced));
  standardLocks_ = false;
  numberEnabled_ = true;
  model_.setFocus("DIAE:ContaDebito");
}

void JournalScreen::changeLine() {
  strip_.setText(fLote_, utf8ToLatin1(lot_));
  edit_.buffer().cells() = strip_.cells();
  edit_.buffer().markAllDirty();
  edit_.buffer().setRecordId(editing_->recordId());
  edit_.buffer().setStamp(editing_->stamp());
  if (Status s = edit_.update(); !s) {
    warn("Erro na Gravação do Lançamento!!!");
    return;
  }
  reportWrite(context_, listed(edit_.buffer()), WriteKind::kChange);
  const Record written = edit_.buffer();
  mode_ = Mode::kIdle;
  editing_.reset();
  refreshAround(written);
  showSelected();
  model_.setFocus("lista");
}

void JournalScreen::deleteLine() {
  const int answer = errors_.ask("Você tem certeza que deseja excluir o lançamento selecionado???", "Atenção!!!",
                                 "&Sim |&Não", 2);
  if (answer != 1) return cancel();
  edit_.buffer().cells() = editing_->cells();
  edit_.buffer().markClean();
  edit_.buffer().setRecordId(editing_->recordId());
  edit_.buffer().setStamp(editing_->stamp());
  if (Status s = edit_.erase(); !s) {
    warn("Erro na Exclusão do Lançamento!!!");
    return;
  }
  reportWrite(context_, *editing_, WriteKind::kDelete);
  const Record gone = *editing_;
  mode_ = Mode::kIdle;
  editing_.reset();
  refreshAround(gone);
  showSelected();
  model_.setFocus("lista");
}

void JournalScreen::moveFocus(int step) {
  const std::string& focus = model_.focus();
  if (focus == "&Cancela" && step > 0)
    return model_.setFocus(blank(strip_.getText(fPadrao_)) ? "DIAE:ContaDebito" : "DIAE:Padrao");
  const int count = int(std::size(kWalk));
  int at = 0;
  while (at < count && !sameName(kWalk[at], focus)) ++at;
  if (at == count) return;
  for (int i = at + step; i >= 0 && i < count; i += step) {
    const std::string name = kWalk[i];
    if (name == "&Cancela") return model_.setFocus(name);
    const ScreenControl* c = model_.control(name);
    if (c != nullptr && model_.state(*c).enabled) return model_.setFocus(name);
  }
}

// --- Declaring ---------------------------------------------------------------

void JournalScreen::declareStrip() {
  auto state = [this](int field) {
    return [this, field] { return ControlState{fieldEnabled(field), true, false}; };
  };
  auto entry = [&](const char* name, const char* prompt, const char* picture, int field, const char* tip,
                   std::function<Status(const std::string&)> complete) {
    const bool text = edit_.def().fields[size_t(field)].isText();
    model_.addControl({.name = name,
                       .prompt = prompt,
                       .picture = picture,
                       .tip = tip,
                       .text = text,
                       .value = [this, field] { return stripText(field); },
                       .complete = std::move(complete),
                       .state = state(field)});
  };
  auto plain = [this](int field) {
    return [this, field](const std::string& v) { return strip_.setFromText(field, utf8ToLatin1(v)); };
  };
  entry("DIAE:Data", "Data.........", "@d6", fData_, "", plain(fData_));
  entry("DIAE:Numero", "Número.......", "@n14.4", fNumero_, "", plain(fNumero_));
  entry("DIAE:Lote", "Lote.........", "@s15", fLote_, "", [this](const std::string& v) {
    lot_ = v;
    return applyLotFilter();
  });
  entry("DIAE:Padrao", "Padrão.......", "@s30", fPadrao_, kF4Tip,
        [this](const std::string& v) { return completeStandard(v); });
  entry("DIAE:ContaDebito", "Débito.......", "@s40", fDebito_, kF4Tip,
        [this](const std::string& v) { return completeAccount(true, v); });
  model_.addControl({.name = "Loc:DescDebito", .kind = ControlKind::kDisplay, .value = [this] { return descDebit_; }});
  entry("DIAE:ContaCredito", "Crédito......", "@s40", fCredito_, kF4Tip,
        [this](const std::string& v) { return completeAccount(false, v); });
  model_.addControl({.name = "Loc:DescCredito", .kind = ControlKind::kDisplay, .value = [this] { return descCredit_; }});
  entry("DIAE:Historico", "Histórico....", "@n5", fHistorico_, kF4Tip,
        [this](const std::string& v) { return completeHistory(leadingNumber(v)); });
  model_.addControl({.name = "Loc:DescHistorico", .kind = ControlKind::kDisplay, .value = [this] { return descHistory_; }});
  entry("DIAE:ValorDebito", "Valor Débito.", "@n15.2", fValorDebito_, "", [this](const std::string& v) {
    completeDebitValue(v);
    return Status::ok();
  });
  entry("DIAE:ValorCredito", "Valor Crédito", "@n15.2", fValorCredito_, "", [this](const std::string& v) {
    completeCreditValue(v);
    return Status::ok();
  });
  entry("DIAE:Documento", "Documento....", "@s60", fDocumento_, "", plain(fDocumento_));
  entry("DIAE:Complemento", "Complemento..", "@s500", fComplemento_, "", [this](const std::string& v) {
    return strip_.setText(fComplemento_, utf8ToLatin1(expandComplement(v, descDebit_, descCredit_)));
  });

  auto idleWithRow = [this] { return mode_ == Mode::kIdle && list_.selected() != nullptr; };
  model_.addButton({.caption = "&Incluir", .press = [this] { startInsert(); }, .enabled = [this] { return mode_ == Mode::kIdle; }});
  model_.addButton({.caption = "Al&terar", .press = [this] { startChange(); }, .enabled = idleWithRow});
  model_.addButton({.caption = "&Excluir", .press = [this] { startDelete(); }, .enabled = idleWithRow});
  model_.addButton({.caption = "&Grava",
                    .tip = "Grava Inclusão do Lançamento",
                    .press = [this] { save(); },
                    .enabled = [this] { return mode_ == Mode::kInsert; },
                    .visible = [this] { return mode_ != Mode::kChange && mode_ != Mode::kDelete; }});
  model_.addButton({.caption = "&Grava",
                    .tip = "Grava Alteração do Registro Selecionado",
                    .press = [this] { save(); },
                    .visible = [this] { return mode_ == Mode::kChange; }});
  model_.addButton({.caption = "&Exclui",
                    .tip = "Exclui Registro Selecionado",
                    .press = [this] { save(); },
                    .visible = [this] { return mode_ == Mode::kDelete; }});
  model_.addButton({.caption = "&Cancela", .press = [this] { cancel(); }, .enabled = [this] { return mode_ != Mode::kIdle; }});
  model_.addButton({.caption = "&Fechar", .press = [this] { model_.requestClose(); }});
}

}  // namespace vorlam::ledger
