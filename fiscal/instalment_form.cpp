#include "fiscal/instalment_form.h"

#include <cstdlib>

#include "storage/date.h"
#include "storage/text.h"

namespace vorlam::fiscal {

namespace {

constexpr uint16_t kMsgOpenFailed = 26;
constexpr uint16_t kMsgLoadFailed = 21;     // "Erro ao carregar o arquivo"
constexpr uint16_t kMsgChangeFailed = 28;   // "Registro não foi atualizado"
constexpr uint16_t kMsgDeleteFailed = 13;   // "Registro não foi excluido"

std::string clipped(std::string_view s) { return std::string(clipText(s)); }

std::vector<std::string> shownFields(const InstalmentKind& kind) {
  std::vector<std::string> fields;
  for (const char* f : {kind.invoiceDate, "Numero", "Especie", "Serie", "Inscricao", "Data", "Valor", "Pagamento",
                        "Desconto", "Multa", "Juros"})
    fields.push_back(kind.name(f));
  for (int g = 0; g < kSettlementGroups; ++g) {
    const SettlementGroup& group = settlementGroup(g);
    for (const char* f : {group.debit, group.credit, group.history, group.complement})
      fields.push_back(kind.name(f));
  }
  return fields;
}

// Reads one party by `key` with `field` = `value`; its record in the buffer.
bool readParty(Table& parties, const char* key, const char* field, std::string_view value, bool number) {
  const int index = parties.def().keyIndex(key);
  if (index < 0) return false;
  Record& r = parties.buffer();
  r.clear();
  if (number) r.setInt(field, std::atoll(std::string(value).c_str()));
  else r.setText(field, value);
  if (!parties.seek(index)) return false;
  bool found = parties.next().isOk();
  if (found) {
    found = number ? r.getInt(field) == std::atoll(std::string(value).c_str()) : clipped(r.getText(field)) == value;
  }
  parties.endWalk();
  return found;
}

}  // namespace

std::string partyNameOf(Table& parties, std::string_view inscription) {
  if (!parties.isOpen() || inscription.empty()) return {};
  const bool digits = inscription.find_first_not_of("0123456789") == std::string_view::npos;
  if (readParty(parties, "FOR:KEY:CGC", "FOR:CGC", inscription, false) ||
      readParty(parties, "FOR:KEY:CPF", "FOR:CPF", inscription, false) ||
      (digits && inscription.size() < 10 && std::atoll(std::string(inscription).c_str()) > 0 &&
       readParty(parties, "FOR:KEY:CODIGO1", "FOR:Codigo", inscription, true)))
    return latin1ToUtf8(clipText(parties.buffer().getText("FOR:Nome")));
  return {};
}

// --- Tables ---------------------------------------------------------------------

InstalmentTables::InstalmentTables(const Dictionary& dict, const InstalmentKind& k)
    : kind(k),
      instalments(dict.find(k.table)),
      view(dict.find(k.table)),
      registers(dict.find(k.registerTable)),
      settlements(dict.find("ParcPagas")),
      other(dict.find("ParcPagas")),
      parties(dict.find("ForCli")) {}

Status InstalmentTables::open(const ScreenContext& context) {
  for (Table* t : {&instalments, &view, &registers, &settlements}) {
    const std::string path = context.resolve(t->def().binding);
    if (Status s = t->open(path, OpenMode::kShared); !s) {
      context.errors.throwFile(kMsgOpenFailed, path, s);
      return s;
    }
  }
  // Without the customer/supplier file the names stay blank.
  parties.open(context.resolve(parties.def().binding), OpenMode::kReadOnly);
  return Status::ok();
}

// --- The form -------------------------------------------------------------------

InstalmentForm::InstalmentForm(ScreenContext& context, InstalmentTables& tables, InstalmentEnvironment env,
                               Request request)
    : ctx_(context),
      tables_(tables),
      env_(std::move(env)),
      definition_{.procedure = tables.kind.formProcedure,
                  .title = tables.kind.listTitle,
                  .insertCaption = tables.kind.insertCaption,
                  .changeCaption = tables.kind.changeCaption,
                  .deleteCaption = tables.kind.deleteCaption,
                  .fields = shownFields(tables.kind)},
      form_(context, definition_, tables.instalments, request),
      fields_(*this),
      rules_(*env_.lookup, context.errors, fields_, IntegrationPolicy{env_.postingChecked, kSupplierWord}),
      model_(tables.kind.formProcedure, tables.kind.listTitle) {
  form_.setCheckShownFieldsOnly(true);
  for (const char* f : {tables_.kind.invoiceDate, "Numero", "Especie", "Serie", "Inscricao", "Valor"})
    form_.onChange(field(f), [this](FormController&, int) { refreshSummary(); });
  form_.onChange(field("Inscricao"), [this](FormController&, int) { refreshPartyName(); });
  declareScreen();
}

FormState InstalmentForm::open(int64_t recordId) {
  // An insert starts blank: the list's highlighted instalment lends nothing.
  const FormState state = form_.request() == Request::kInsert ? form_.openNew() : form_.openRecord(recordId);
  if (state != FormState::kOpen) return state;
  opened_ = instalmentKey(tables_.kind, form_.record());
  openedValue_ = form_.record().getDecimal(field("Valor"));
  if (form_.request() != Request::kInsert) fillFromSettlement();
  for (int g = 0; g < kSettlementGroups; ++g) rules_.describe(integrationGroup(g));
  refreshSummary();
  refreshPartyName();
  model_.setFocus(form_.request() == Request::kInsert ? tables_.kind.name("Numero") : tables_.kind.name("Data"));
  return form_.state();
}

void InstalmentForm::fillFromSettlement() {
  const int selected = env_.company.ano;
  const int year = settlementYear(opened_.payment, 0, selected);
  Table* t = &tables_.settlements;
  if (year != selected) {
    const std::string path = settlementPath(env_.dataRoot, env_.company, year);
    if (path.empty() || !fileExists(path) || !tables_.other.open(path, OpenMode::kReadOnly)) return;
    t = &tables_.other;
  }
  const bool found = readSettlement(*t, tables_.kind.origin, opened_).isOk();
  if (found) {
    const Record& s = t->buffer();
    for (int g = 0; g < kSettlementGroups; ++g) {
      const SettlementGroup& group = settlementGroup(g);
      const InstalmentKind& k = tables_.kind;
      shownIntegration_[k.name(group.debit)] = latin1ToUtf8(clipText(s.getText(group.settledDebit)));
      shownIntegration_[k.name(group.credit)] = latin1ToUtf8(clipText(s.getText(group.settledCredit)));
      shownIntegration_[k.name(group.history)] = std::to_string(s.getInt(group.settledHistory));
      shownIntegration_[k.name(group.complement)] = latin1ToUtf8(clipText(s.getText(group.settledComplement)));
    }
  }
  if (t == &tables_.other) tables_.other.close();
  if (!found || form_.request() != Request::kChange) return;
  // A change edits the settlement's accounts: they become the form's own,
  // and showing them is no edit of the user's.
  for (const auto& [f, text] : shownIntegration_) form_.assignText(form_.fieldIndex(f), text);
  form_.keepAsOpened();
  shownIntegration_.clear();
}

std::string InstalmentForm::Fields::text(const std::string& field) const {
  auto it = owner_.shownIntegration_.find(field);
  return it != owner_.shownIntegration_.end() ? it->second : FormIntegrationFields::text(field);
}

Status InstalmentForm::Fields::setText(const std::string& field, const std::string& utf8) {
  Status s = FormIntegrationFields::setText(field, utf8);
  if (s) owner_.complementCompleted(field);
  return s;
}

IntegrationGroup InstalmentForm::integrationGroup(int group) const {
  const SettlementGroup& g = settlementGroup(group);
  const InstalmentKind& k = tables_.kind;
  return {g.title, k.name(g.debit), k.name(g.credit), k.name(g.history), k.name(g.complement)};
}

void InstalmentForm::refreshSummary() {
  InstalmentKey now = instalmentKey(tables_.kind, form_.record());
  Result<InvoiceTotals> totals = invoiceTotals(tables_.kind, tables_.registers, tables_.view, now);
  summary_ = totals.isOk() ? totals.value() : InvoiceTotals{};
  const Request r = form_.request();
  if (r != Request::kInsert && r != Request::kChange) return;
  // This instalment counts with the value the form holds now.
  const bool stored = form_.recordId() != 0 && sameInvoiceKey(tables_.kind, opened_, now);
  if (stored) {
    summary_.instalmentTotal = summary_.instalmentTotal.minus(openedValue_).value_or(summary_.instalmentTotal);
    --summary_.instalments;
  }
  const Decimal value = form_.record().getDecimal(field("Valor"));
  summary_.instalmentTotal = summary_.instalmentTotal.plus(value).value_or(summary_.instalmentTotal);
  ++summary_.instalments;
}

void InstalmentForm::refreshPartyName() {
  partyName_ = partyNameOf(tables_.parties, clipped(form_.record().getText(field("Inscricao"))));
}

Decimal InstalmentForm::difference() const {
  Decimal d = summary_.nfTotal.minus(summary_.cashTotal).value_or(Decimal());
  return d.minus(summary_.instalmentTotal).value_or(Decimal());
}

Decimal InstalmentForm::paid() const {
  const Record& r = form_.record();
  std::optional<Decimal> v = r.getDecimal(field("Valor")).minus(r.getDecimal(field("Desconto")));
  if (v) v = v->plus(r.getDecimal(field("Multa")));
  if (v) v = v->plus(r.getDecimal(field("Juros")));
  return v.value_or(Decimal());
}

void InstalmentForm::searchParty() {
  if (!partySearch_) return;
  std::optional<std::string> code = partySearch_(model_);
  if (!code || !tables_.parties.isOpen()) return;
  if (!readParty(tables_.parties, "FOR:KEY:CODIGO1", "FOR:Codigo", *code, true)) return;
  const Record& p = tables_.parties.buffer();
  const bool cpf = p.getInt("FOR:TipoInscricao") == 2;
  const std::string inscription = clipped(p.getText(cpf ? "FOR:CPF" : "FOR:CGC"));
  form_.assignText(field("Inscricao"), latin1ToUtf8(inscription));
  model_.setFocus(tables_.kind.name("Data"));
}

FormState InstalmentForm::save() {
  outcome_.reset();
  const FormState state = form_.ok();
  if (state != FormState::kCompleted || form_.request() == Request::kView) return state;
  if (form_.request() == Request::kInsert) opened_ = instalmentKey(tables_.kind, form_.record());
  updateSettlement();
  return state;
}

void InstalmentForm::updateSettlement() {
  const bool deleting = form_.request() == Request::kDelete;
  const int32_t payment = deleting ? 0 : static_cast<int32_t>(form_.record().getInt(field("Pagamento")));
  const int selected = env_.company.ano;
  const int year = settlementYear(opened_.payment, payment, selected);
  Table* t = &tables_.settlements;
  if (year != selected) {
    // Another year's file, on the form's own table: the names bound for
    // the selected year stay as they are.
    const std::string path = settlementPath(env_.dataRoot, env_.company, year);
    if (path.empty() || !fileExists(path)) {
      outcome_ = SettlementOutcome::kNone;  // no file, no settlement
      return;
    }
    if (Status s = tables_.other.open(path, OpenMode::kShared); !s) {
      ctx_.errors.throwFile(kMsgLoadFailed, path, s);
      return;
    }
    t = &tables_.other;
  }
  Result<SettlementOutcome> done =
      applySettlement(*t, tables_.kind, opened_, deleting ? nullptr : &form_.record());
  if (done.isOk()) {
    outcome_ = done.value();
    if (*outcome_ != SettlementOutcome::kNone)
      reportWrite(ctx_, t->buffer(), *outcome_ == SettlementOutcome::kDeleted ? WriteKind::kDelete : WriteKind::kChange);
  } else {
    ctx_.errors.throwFile(deleting || payment == 0 ? kMsgDeleteFailed : kMsgChangeFailed, t->path(), done.status());
  }
  if (t == &tables_.other) tables_.other.close();
}

}  // namespace vorlam::fiscal
