#include "fiscal/integration_rules.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <utility>

#include "fiscal/posting_screen.h"
#include "storage/text.h"

namespace vorlam::fiscal {

namespace {

constexpr uint16_t kMsgLoadFailed = 21;  // "Erro ao carregar o arquivo"

constexpr char kEqualAccounts[] = "Atenção!!! Conta débito e crédito estão com conta igual!!!";
constexpr char kHistoryRequired[] = "Atenção histórico deve ser informado!!!";
constexpr char kHistoryNotFound[] = "Atenção histórico não encontrado!!!";

std::string trim(std::string_view s) {
  const size_t b = s.find_first_not_of(' ');
  if (b == std::string_view::npos) return {};
  return std::string(s.substr(b, s.find_last_not_of(' ') - b + 1));
}

std::string upper(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = char(std::toupper(static_cast<unsigned char>(c)));
  return out;
}

int64_t number(const std::string& text) { return text.empty() ? 0 : std::atoll(text.c_str()); }

size_t widthOf(const TableDef& def, int field) {
  if (field < 0) return 0;
  const TypeSpec& t = def.fields[size_t(field)].typeSpec;
  return t.type == FieldType::kString ? size_t(t.size) : 0;
}

std::string textOf(const Record& record, int field) {
  if (field < 0) return {};
  const TypeSpec& t = record.def().fields[size_t(field)].typeSpec;
  if (t.type == FieldType::kString) return trim(latin1ToUtf8(record.getText(field)));
  return record.getAsText(field);
}

Status unknown(const std::string& field) { return Status(StatusCode::kInvalidArgument, "campo desconhecido", field); }

}  // namespace

// --- Where the values live ---------------------------------------------------

std::string FormIntegrationFields::text(const std::string& field) const {
  return textOf(form_.record(), form_.fieldIndex(field));
}

Status FormIntegrationFields::setText(const std::string& field, const std::string& utf8) {
  const int index = form_.fieldIndex(field);
  if (index < 0) return unknown(field);
  return form_.assignText(index, utf8);
}

size_t FormIntegrationFields::width(const std::string& field) const {
  return widthOf(form_.table().def(), form_.fieldIndex(field));
}

std::string RecordIntegrationFields::text(const std::string& field) const {
  return textOf(record_, record_.def().fieldIndex(field));
}

Status RecordIntegrationFields::setText(const std::string& field, const std::string& utf8) {
  const int index = record_.def().fieldIndex(field);
  if (index < 0) return unknown(field);
  if (widthOf(record_.def(), index) > 0) return record_.setText(index, utf8ToLatin1(utf8));
  return record_.setFromText(index, trim(utf8).empty() ? "0" : trim(utf8));
}

size_t RecordIntegrationFields::width(const std::string& field) const {
  return widthOf(record_.def(), record_.def().fieldIndex(field));
}

// --- The rules ---------------------------------------------------------------

IntegrationRules::IntegrationRules(PostingLookup& lookup, ErrorManager& errors, IntegrationFields& fields,
                                   IntegrationPolicy policy)
    : lookup_(lookup), errors_(errors), fields_(fields), policy_(std::move(policy)) {}

bool IntegrationRules::isPartyWord(std::string_view text) const {
  const std::string u = upper(trim(text));
  return std::any_of(policy_.partyWords.begin(), policy_.partyWords.end(),
                     [&u](const std::string& w) { return w == u; });
}

bool IntegrationRules::refuse(const std::string& text, const std::string& title, const std::string& field) {
  errors_.message(text, title, MessageIcon::kExclamation, kButtonOk, kButtonOk);
  focus_ = field;
  return false;
}

void IntegrationRules::reportFailure(const Status& status, const std::string& field) {
  errors_.throwFile(kMsgLoadFailed, status.detail(), status);
  focus_ = field;
}

bool IntegrationRules::fits(const std::string& field, const std::string& code, const std::string& title) {
  const size_t width = fields_.width(field);
  if (width == 0 || utf8ToLatin1(code).size() <= width) return true;
  return refuse("Conta " + code + " não cabe neste campo, de " + std::to_string(width) + " caracteres!!!", title,
                field);
}

void IntegrationRules::describeAccount(const std::string& field) {
  descriptions_.erase(field);
  const std::string code = fields_.text(field);
  if (code.empty() || isPartyWord(code)) return;
  Result<std::optional<ChartAccount>> a = lookup_.findCode(code);
  if (a.isOk() && a.value()) descriptions_[field] = a.value()->description;
}

bool IntegrationRules::checkAccount(const IntegrationGroup& group, const std::string& field) {
  const std::string typed = fields_.text(field);
  if (!policy_.checked) {
    describeAccount(field);
    return true;
  }
  descriptions_.erase(field);
  if (typed.empty() || isPartyWord(typed)) return true;
  Result<PostingLookup::Typed> found = lookup_.findReducedFirst(typed);
  if (!found.isOk()) {
    reportFailure(found.status(), field);
    return false;
  }
  const PostingLookup::Typed& t = found.value();
  const std::string shown = t.normalised.empty() ? typed : t.normalised;
  if (!t.account) return refuse("Conta " + shown + " não encontrada!!!", group.title, field);
  if (t.account->synthetic) return refuse("Conta " + shown + " é uma conta Sintética!!!", group.title, field);
  if (!fits(field, t.account->code, group.title)) return false;
  if (t.account->code != typed) {
    if (Status s = fields_.setText(field, t.account->code); !s) {
      reportFailure(s, field);
      return false;
    }
  }
  descriptions_[field] = t.account->description;
  return true;
}

bool IntegrationRules::checkEqual(const IntegrationGroup& group, const std::string& field) {
  const std::string debit = upper(fields_.text(group.debit));
  const std::string credit = upper(fields_.text(group.credit));
  if (debit.empty() || debit != credit) return true;
  return refuse(kEqualAccounts, group.title, field);
}

bool IntegrationRules::accountCompleted(const IntegrationGroup& group, const std::string& field) {
  return checkAccount(group, field) && checkEqual(group, field);
}

bool IntegrationRules::historyCompleted(const IntegrationGroup& group) {
  descriptions_.erase(group.history);
  const int64_t code = number(fields_.text(group.history));
  const bool accounts = !fields_.text(group.debit).empty() || !fields_.text(group.credit).empty();
  if (code == 0) return accounts ? refuse(kHistoryRequired, group.title, group.history) : true;
  Result<std::optional<std::string>> h = lookup_.history(code);
  if (!h.isOk()) {
    reportFailure(h.status(), group.history);
    return false;
  }
  if (!h.value()) return refuse(kHistoryNotFound, group.title, group.history);
  descriptions_[group.history] = *h.value();
  return true;
}

bool IntegrationRules::checkGroup(const IntegrationGroup& group) {
  return checkAccount(group, group.debit) && checkAccount(group, group.credit) &&
         checkEqual(group, group.credit) && historyCompleted(group);
}

void IntegrationRules::choose(const IntegrationGroup& group, const std::string& field,
                              const std::vector<std::string>& keys) {
  if (keys.empty() || keys.front().empty()) return;
  const std::string& key = keys.front();
  if (field == group.history) {
    if (Status s = fields_.setText(field, std::to_string(number(key))); !s) return reportFailure(s, field);
    historyCompleted(group);
    return;
  }
  // The chart list names its choice by code, or by record number when it
  // keeps no primary key.
  Result<std::optional<ChartAccount>> a = lookup_.findCode(key);
  if (a.isOk() && !a.value() && std::all_of(key.begin(), key.end(), [](char c) { return c >= '0' && c <= '9'; }))
    a = lookup_.findRecord(number(key));
  if (!a.isOk()) return reportFailure(a.status(), field);
  if (!a.value()) return;
  if (!fits(field, a.value()->code, group.title)) return;
  if (Status s = fields_.setText(field, a.value()->code); !s) return reportFailure(s, field);
  accountCompleted(group, field);
  focus_ = field;
}

void IntegrationRules::describe(const IntegrationGroup& group) {
  describeAccount(group.debit);
  describeAccount(group.credit);
  descriptions_.erase(group.history);
  Result<std::optional<std::string>> h = lookup_.history(number(fields_.text(group.history)));
  if (h.isOk() && h.value()) descriptions_[group.history] = *h.value();
}

std::string IntegrationRules::description(const std::string& field) const {
  auto it = descriptions_.find(field);
  return it == descriptions_.end() ? std::string() : it->second;
}

// --- The label ---------------------------------------------------------------

std::string integrationLabel(std::string_view sourceWord, const PostingTriple& source,
                             const PostingTriple& document, std::string_view previous) {
  const bool sourceAccount = !trim(source.debit).empty() || !trim(source.credit).empty();
  const bool documentAccount = !trim(document.debit).empty() || !trim(document.credit).empty();
  if (sourceAccount) {
    const bool bySource = source.history != 0 && !documentAccount && document.history == 0;
    return std::string(bySource ? sourceWord : "Manual");
  }
  if (source.history == 0) {
    if (!documentAccount) return {};
    if (document.history != 0) return "Manual";
  }
  return std::string(previous);
}

// --- The controls ------------------------------------------------------------

Status declareIntegrationGroup(ScreenModel& model, IntegrationRules& rules, const IntegrationGroup& group,
                               const IntegrationGroupScreen& screen, const IntegrationSearch& search) {
  IntegrationRules* r = &rules;
  const std::function<bool()> editable = screen.editable ? screen.editable : [] { return true; };
  auto control = [&](const std::string& field, const std::string& prompt, const std::string& picture,
                     std::function<bool()> completed) -> Status {
    if (!rules.fields().has(field)) return unknown(field);
    model.addControl({.name = field,
                      .prompt = prompt,
                      .picture = picture,
                      .tab = screen.tab,
                      .text = picture.rfind("@s", 0) == 0,
                      .value = [r, field] { return r->fields().text(field); },
                      .complete = [r, field, completed](const std::string& v) -> Status {
                        if (Status s = r->fields().setText(field, v); !s) return s;
                        if (completed && !completed())
                          return Status(StatusCode::kInvalidArgument, "recusado", field);
                        return Status::ok();
                      },
                      .state = [editable] { return ControlState{true, true, !editable()}; }});
    return Status::ok();
  };
  auto described = [&](const std::string& field, const std::string& prompt, const std::string& picture,
                       LookupKind kind, std::function<bool()> completed) -> Status {
    if (Status s = control(field, prompt, picture, std::move(completed)); !s) return s;
    model.addControl({.name = descriptionControl(field),
                      .kind = ControlKind::kDisplay,
                      .tab = screen.tab,
                      .value = [r, field] { return r->description(field); }});
    const IntegrationSearch found = search;
    const IntegrationGroup g = group;
    model.addButton({.name = searchButton(field),
                     .tip = "Pesquisa",
                     .tab = screen.tab,
                     .press =
                         [r, g, field, kind, found] {
                           if (!found.open) return;
                           std::optional<std::vector<std::string>> keys = found.open(kind);
                           if (keys) r->choose(g, field, *keys);
                         },
                     .enabled = [found, kind, editable] {
                       return editable() && found.available && found.available(kind);
                     }});
    return Status::ok();
  };
  const IntegrationGroup g = group;
  if (Status s = described(group.debit, screen.debitPrompt, screen.accountPicture, LookupKind::kAccount,
                           [r, g] { return r->accountCompleted(g, g.debit); });
      !s)
    return s;
  if (Status s = described(group.credit, screen.creditPrompt, screen.accountPicture, LookupKind::kAccount,
                           [r, g] { return r->accountCompleted(g, g.credit); });
      !s)
    return s;
  if (Status s = described(group.history, screen.historyPrompt, "@n6", LookupKind::kHistory,
                           [r, g] { return r->historyCompleted(g); });
      !s)
    return s;
  if (Status s = control(group.complement, screen.complementPrompt, screen.complementPicture, {}); !s) return s;
  ScreenModel* m = &model;
  model.addAfterAction([r, m] {
    if (std::optional<std::string> field = r->takeFocus()) m->setFocus(*field);
  });
  return Status::ok();
}

}  // namespace vorlam::fiscal
