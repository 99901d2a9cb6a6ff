#include "fiscal/posting_accounts.h"

#include <algorithm>
#include <cctype>

#include "chart/account_structure.h"
#include "storage/text.h"

namespace vorlam::fiscal {

namespace {

constexpr uint16_t kMsgLoadFailed = 21;  // "Erro ao carregar o arquivo"
constexpr int kAnalytic = 2;             // `PLA:SintAnali`
constexpr int kSynthetic = 1;
constexpr size_t kNicknameWidth = 20;    // `PLA:Apelido`

constexpr char kEqualAccounts[] = "Atenção!!! Conta débito e crédito estão com conta igual!!!";
constexpr char kHistoryRequired[] = "Atenção, não se pode deixar de informar o Histórico!!!";
constexpr char kHistoryWithoutAccounts[] =
    "Atenção, não se pode informar o Histórico sem a Conta Débito e Conta Crédito!!!";

std::string trim(std::string_view s) {
  size_t b = s.find_first_not_of(' ');
  if (b == std::string_view::npos) return {};
  size_t e = s.find_last_not_of(' ');
  return std::string(s.substr(b, e - b + 1));
}

std::string upper(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = char(std::toupper(static_cast<unsigned char>(c)));
  return out;
}

// The digits of `bare` as a reduced code; nullopt when it is no number.
std::optional<int64_t> reducedCode(std::string_view bare) {
  if (bare.empty() || bare.size() > 10) return std::nullopt;
  if (!std::all_of(bare.begin(), bare.end(), [](char c) { return c >= '0' && c <= '9'; })) return std::nullopt;
  const int64_t n = std::stoll(std::string(bare));
  if (n <= 0 || n > 0xFFFFFFFFLL) return std::nullopt;
  return n;
}

}  // namespace

bool postingAccountsChecked(const SettingsFiles& settings, const std::string& dataRoot) {
  const std::string path = dataRootSettingsFile(dataRoot, kPostingSwitchFile);
  return trim(settings.read(kPostingSwitchSection, kPostingSwitchKey, "0", path)) == "1";
}

bool isPartyWord(std::string_view text) {
  const std::string u = upper(trim(text));
  return u == "FORNECEDOR" || u == "CLIENTE";
}

// --- PostingLookup -----------------------------------------------------------

PostingLookup::PostingLookup(const Dictionary& dict, const shell::AppState& state)
    : state_(state), structure_(dict, state), chart_(dict.find("PlanoContas")), history_(dict.find("Historico")) {}

Status PostingLookup::openOnce(Table& table, bool* opened) {
  if (*opened) return Status::ok();
  const std::string path = state_.pathFor(table.def().binding);
  Status s = table.open(path, OpenMode::kReadOnly);
  if (s) *opened = true;
  return s;
}

Result<std::optional<ChartAccount>> PostingLookup::read(int key) {
  Status s = chart_.get(key);
  if (s.is(StatusCode::kNotFound)) return std::optional<ChartAccount>();
  if (!s) return s;
  const Record& r = chart_.buffer();
  ChartAccount a;
  a.code = latin1ToUtf8(clipText(r.getText("PLA:Codigo")));
  a.analytic = r.getInt("PLA:SintAnali") == kAnalytic;
  a.synthetic = r.getInt("PLA:SintAnali") == kSynthetic;
  a.description = latin1ToUtf8(clipText(r.getText("PLA:Descricao")));
  return std::optional<ChartAccount>(std::move(a));
}

Result<std::optional<ChartAccount>> PostingLookup::findCode(std::string_view codeUtf8) {
  if (Status s = openOnce(chart_, &chartOpen_); !s) {
    if (s.is(StatusCode::kFileNotFound)) return std::optional<ChartAccount>();
    return s;
  }
  chart_.buffer().clear();
  chart_.buffer().setText("PLA:Codigo", utf8ToLatin1(codeUtf8));
  return read(chart_.def().keyIndex("PLA:KEY:CODIGO"));
}

Result<std::optional<ChartAccount>> PostingLookup::findRecord(int64_t id) {
  if (Status s = openOnce(chart_, &chartOpen_); !s) {
    if (s.is(StatusCode::kFileNotFound)) return std::optional<ChartAccount>();
    return s;
  }
  Status s = chart_.getById(id);
  if (s.is(StatusCode::kNotFound)) return std::optional<ChartAccount>();
  if (!s) return s;
  return findCode(latin1ToUtf8(clipText(chart_.buffer().getText("PLA:Codigo"))));
}

Status PostingLookup::normalise(std::string_view typedUtf8, std::string* bare, Typed* out) {
  *bare = chart::trocaCaracter(utf8ToLatin1(typedUtf8), '.', "");
  Result<std::string> code = structure_.formataConta(*bare);
  if (!code.isOk()) return code.status();
  out->normalised = latin1ToUtf8(code.value());
  return Status::ok();
}

Result<PostingLookup::Typed> PostingLookup::findTyped(std::string_view typedUtf8) {
  Typed out;
  std::string bare;
  if (Status s = normalise(typedUtf8, &bare, &out); !s) return s;
  // By code, else by reduced code, else by nickname: the first analytic
  // account wins; a group account found on the way is what is reported
  // when none is analytic.
  auto consider = [&out](Result<std::optional<ChartAccount>> found) -> Status {
    if (!found.isOk()) return found.status();
    if (found.value() && (!out.account || (!out.account->analytic && found.value()->analytic)))
      out.account = std::move(found).value();
    return Status::ok();
  };
  if (Status s = consider(findCode(out.normalised)); !s) return s;
  auto analytic = [&out] { return out.account && out.account->analytic; };
  if (!analytic() && chartOpen_) {
    if (Status s = consider(byReduced(bare)); !s) return s;
  }
  if (!analytic() && chartOpen_) {
    if (Status s = consider(byNickname(typedUtf8)); !s) return s;
  }
  return out;
}

Result<std::optional<ChartAccount>> PostingLookup::byReduced(std::string_view bare) {
  std::optional<int64_t> reduced = reducedCode(bare);
  if (!reduced) return std::optional<ChartAccount>();
  chart_.buffer().clear();
  chart_.buffer().setInt("PLA:Reduzido", *reduced);
  return read(chart_.def().keyIndex("PLA:KEY:REDUZIDO"));
}

// The nickname keeps its inner blanks ("CAIXA GERAL"): only the dots go.
Result<std::optional<ChartAccount>> PostingLookup::byNickname(std::string_view typedUtf8) {
  std::string nickname = utf8ToLatin1(typedUtf8);
  nickname.erase(std::remove(nickname.begin(), nickname.end(), '.'), nickname.end());
  if (clipText(nickname).empty()) return std::optional<ChartAccount>();
  chart_.buffer().clear();
  chart_.buffer().setText("PLA:Apelido", nickname.substr(0, kNicknameWidth));
  return read(chart_.def().keyIndex("PLA:KEY:APELIDO"));
}

Result<PostingLookup::Typed> PostingLookup::findReducedFirst(std::string_view typedUtf8) {
  Typed out;
  std::string bare;
  if (Status s = normalise(typedUtf8, &bare, &out); !s) return s;
  if (Status s = openOnce(chart_, &chartOpen_); !s) {
    if (s.is(StatusCode::kFileNotFound)) return out;
    return s;
  }
  for (int step = 0; step < 3 && !out.account; ++step) {
    Result<std::optional<ChartAccount>> found = step == 0   ? byReduced(bare)
                                                : step == 1 ? findCode(out.normalised)
                                                            : byNickname(typedUtf8);
    if (!found.isOk()) return found.status();
    out.account = std::move(found).value();
  }
  return out;
}

Result<std::optional<std::string>> PostingLookup::history(int64_t code) {
  if (Status s = openOnce(history_, &historyOpen_); !s) {
    if (s.is(StatusCode::kFileNotFound)) return std::optional<std::string>();
    return s;
  }
  if (code <= 0 || code > 0xFFFF) return std::optional<std::string>();
  history_.buffer().clear();
  history_.buffer().setInt("HIS:CODIGO", code);
  Status s = history_.get(history_.def().keyIndex("HIS:KEY:CODIGO"));
  if (s.is(StatusCode::kNotFound)) return std::optional<std::string>();
  if (!s) return s;
  return std::optional<std::string>(latin1ToUtf8(clipText(history_.buffer().getText("HIS:Descricao"))));
}

// --- PostingRules ------------------------------------------------------------

PostingRules::PostingRules(FormController& form, PostingLookup& lookup, ErrorManager& errors, bool checked,
                           PostingStyle style)
    : form_(form), lookup_(lookup), errors_(errors), checked_(checked), style_(std::move(style)) {}

void PostingRules::addGroup(const PostingGroup& group) {
  Fields f{form_.fieldIndex(group.debit), form_.fieldIndex(group.credit), form_.fieldIndex(group.history)};
  if (f.debit < 0 || f.credit < 0 || f.history < 0) return;
  const size_t index = groups_.size();
  groups_.push_back(group);
  fields_.push_back(f);
  for (int field : {f.debit, f.credit}) {
    form_.onChange(field, [this, index](FormController&, int changed) {
      if (checked_ && !applying_) accountAccepted(index, changed);
    });
  }
  if (group.checkHistory) {
    form_.onChange(f.history, [this, index](FormController&, int) {
      if (checked_ && !applying_) historyAccepted(index);
    });
  }
}

std::string PostingRules::trimmedText(int field) const { return trim(form_.text(field)); }

std::optional<size_t> PostingRules::groupOf(int field) const {
  for (size_t g = 0; g < fields_.size(); ++g)
    if (fields_[g].debit == field || fields_[g].credit == field || fields_[g].history == field) return g;
  return std::nullopt;
}

void PostingRules::say(const std::string& text, const std::string& title) {
  errors_.message(text, title, MessageIcon::kExclamation, kButtonOk, kButtonOk);
}

bool PostingRules::reportFailure(const Status& status) {
  errors_.throwFile(kMsgLoadFailed, status.detail(), status);
  return false;
}

void PostingRules::assign(int field, const std::string& utf8) {
  applying_ = true;
  form_.assignText(field, utf8);
  applying_ = false;
}

void PostingRules::fillDescriptions() {
  if (!checked_) return;
  for (const Fields& f : fields_) {
    for (int field : {f.debit, f.credit}) {
      const std::string code = trimmedText(field);
      if (code.empty() || isPartyWord(code)) continue;
      Result<std::optional<ChartAccount>> a = lookup_.findCode(code);
      if (!a.isOk()) {
        reportFailure(a.status());
        return;
      }
      if (a.value()) show(field, a.value()->description);
    }
    Result<std::optional<std::string>> h = lookup_.history(form_.record().getInt(f.history));
    if (!h.isOk()) {
      reportFailure(h.status());
      return;
    }
    if (h.value()) show(f.history, *h.value());
  }
}

std::string PostingRules::description(std::string_view field) const {
  auto it = descriptions_.find(form_.fieldIndex(field));
  return it == descriptions_.end() ? std::string() : it->second;
}

bool PostingRules::fits(int field, const std::string& code, const std::string& title) {
  const size_t width = size_t(form_.table().def().fields[size_t(field)].typeSpec.size);
  if (utf8ToLatin1(code).size() <= width) return true;
  say("Conta " + code + " não cabe neste campo, de " + std::to_string(width) + " caracteres!!!", title);
  return false;
}

void PostingRules::accountAccepted(size_t group, int field) {
  const PostingGroup& g = groups_[group];
  const std::string typed = trimmedText(field);
  if (typed.empty()) {
    descriptions_.erase(field);
    return;
  }
  if (isPartyWord(typed)) {
    descriptions_.erase(field);
    checkEqual(group, field);
    return;
  }
  Result<PostingLookup::Typed> found = lookup_.findTyped(typed);
  if (!found.isOk()) {
    reportFailure(found.status());
    form_.requestFocus(field);
    return;
  }
  const PostingLookup::Typed& t = found.value();
  if (t.account && t.account->analytic) {
    if (!fits(field, t.account->code, g.title)) {
      descriptions_.erase(field);
      assign(field, "");
      form_.requestFocus(field);
      return;
    }
    assign(field, t.account->code);
    show(field, t.account->description);
    checkEqual(group, field);
    return;
  }
  descriptions_.erase(field);
  const bool keep = t.account ? !style_.clearSynthetic : g.keepNotFound;
  if (keep && fits(field, t.normalised, g.title)) assign(field, t.normalised);
  else assign(field, "");
  say("Conta " + t.normalised + (t.account ? style_.syntheticText : std::string(" não encontrada!!!")), g.title);
  form_.requestFocus(field);
  searchField(field, LookupKind::kAccount);
}

void PostingRules::checkEqual(size_t group, int field) {
  const Fields& f = fields_[group];
  const std::string debit = upper(trimmedText(f.debit));
  const std::string credit = upper(trimmedText(f.credit));
  if (debit.empty() || credit.empty() || debit != credit) return;
  const PostingGroup& g = groups_[group];
  say(g.titledEqualMessage ? g.title + " " + kEqualAccounts : std::string(kEqualAccounts), g.title);
  form_.requestFocus(field);
}

void PostingRules::historyAccepted(size_t group) {
  const PostingGroup& g = groups_[group];
  const Fields& f = fields_[group];
  const int64_t code = form_.record().getInt(f.history);
  const bool accounts = !trimmedText(f.debit).empty() || !trimmedText(f.credit).empty();
  if (!accounts) {
    if (code == 0) {
      descriptions_.erase(f.history);
      return;
    }
    say(kHistoryWithoutAccounts, g.title);
    descriptions_.erase(f.history);
    applying_ = true;
    form_.assignInt(f.history, 0);
    applying_ = false;
    return;
  }
  descriptions_.erase(f.history);
  if (code == 0) {
    say(kHistoryRequired, g.title);
    form_.requestFocus(f.history);
    searchField(f.history, LookupKind::kHistory);
    return;
  }
  Result<std::optional<std::string>> h = lookup_.history(code);
  if (!h.isOk()) {
    reportFailure(h.status());
    form_.requestFocus(f.history);
    return;
  }
  if (h.value()) {
    show(f.history, *h.value());
    return;
  }
  form_.requestFocus(f.history);
  searchField(f.history, LookupKind::kHistory);
}

bool PostingRules::searchAvailable(std::string_view field) const {
  const int index = form_.fieldIndex(field);
  std::optional<size_t> g = groupOf(index);
  if (!g || !available_) return false;
  return available_(fields_[*g].history == index ? LookupKind::kHistory : LookupKind::kAccount);
}

void PostingRules::search(std::string_view field) {
  const int index = form_.fieldIndex(field);
  std::optional<size_t> g = groupOf(index);
  if (!g) return;
  searchField(index, fields_[*g].history == index ? LookupKind::kHistory : LookupKind::kAccount);
}

void PostingRules::searchField(int field, LookupKind kind) {
  if (!opener_) return;
  std::optional<std::vector<std::string>> chosen = opener_(kind);
  form_.requestFocus(field);
  if (!chosen || chosen->empty()) return;
  const std::string& key = chosen->front();
  if (kind == LookupKind::kHistory) {
    const int64_t code = std::atoll(key.c_str());
    Result<std::optional<std::string>> h = lookup_.history(code);
    if (!h.isOk()) {
      reportFailure(h.status());
      return;
    }
    applying_ = true;
    form_.assignInt(field, code);
    applying_ = false;
    if (h.value()) show(field, *h.value());
    else descriptions_.erase(field);
    return;
  }
  // The chart list names its choice by code, or by record number when it
  // keeps no primary key.
  Result<std::optional<ChartAccount>> a = lookup_.findCode(key);
  if (a.isOk() && !a.value() && reducedCode(key)) a = lookup_.findRecord(std::atoll(key.c_str()));
  if (!a.isOk()) {
    reportFailure(a.status());
    return;
  }
  if (!a.value()) return;
  const std::string title = groups_[*groupOf(field)].title;
  if (!fits(field, a.value()->code, title)) return;
  assign(field, a.value()->code);
  show(field, a.value()->description);
}

namespace {
const char* searchProcedure(LookupKind kind) {
  return kind == LookupKind::kAccount ? kChartLookupProcedure : kHistoryLookupProcedure;
}
}  // namespace

bool postingSearchAvailable(shell::ScreenServices& services, LookupKind kind) {
  return services.has(searchProcedure(kind));
}

std::optional<std::vector<std::string>> openPostingSearch(shell::ScreenServices& services, ScreenModel* over,
                                                         LookupKind kind) {
  const char* procedure = searchProcedure(kind);
  if (over == nullptr || !services.has(procedure)) return std::nullopt;
  Result<std::unique_ptr<Screen>> child = services.open(procedure, {.mode = "select"});
  if (!child.isOk()) return std::nullopt;
  if (!child.value()->model().closed()) over->runChild(child.value()->model());
  return child.value()->chosenKeys();
}

}  // namespace vorlam::fiscal
