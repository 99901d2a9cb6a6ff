#include "ledger/chart_accounts.h"

#include <cctype>

#include "chart/account_structure.h"
#include "shell/company_files.h"
#include "storage/text.h"

namespace vorlam::ledger {

namespace {

constexpr int kSynthetic = 1;

bool blank(std::string_view text) { return text.find_first_not_of(' ') == std::string_view::npos; }

}  // namespace

int64_t leadingNumber(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  int64_t n = 0;
  for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i) {
    if (n > (INT64_MAX - 9) / 10) return 0;
    n = n * 10 + (text[i] - '0');
  }
  return n;
}

ChartAccounts::ChartAccounts(const Dictionary& dict, const shell::AppState& state)
    : dict_(dict), state_(state), table_(dict.find("PlanoContas")), structure_(dict, state) {
  const TableDef& d = table_.def();
  code_ = d.fieldIndex("PLA:Codigo");
  reduced_ = d.fieldIndex("PLA:Reduzido");
  nickname_ = d.fieldIndex("PLA:Apelido");
  description_ = d.fieldIndex("PLA:Descricao");
  kind_ = d.fieldIndex("PLA:SintAnali");
  codeKey_ = d.keyIndex("PLA:KEY:CODIGO");
  reducedKey_ = d.keyIndex("PLA:KEY:REDUZIDO");
  nicknameKey_ = d.keyIndex("PLA:KEY:APELIDO");
}

Status ChartAccounts::open() {
  table_.close();
  path_ = state_.pathFor(shell::kPlanoContasFile);
  Status s = table_.open(path_, OpenMode::kReadOnly);
  if (s.is(StatusCode::kFileNotFound)) return Status::ok();
  return s;
}

std::optional<Account> ChartAccounts::readBy(int key) {
  if (!table_.isOpen()) return std::nullopt;
  Status s = table_.get(key);
  table_.endWalk();
  if (!s) return std::nullopt;
  const Record& r = table_.buffer();
  return Account{latin1ToUtf8(r.getText(code_)), latin1ToUtf8(r.getText(description_)),
                 r.getInt(kind_) == kSynthetic};
}

std::optional<Account> ChartAccounts::byCode(std::string_view code) {
  if (blank(code)) return std::nullopt;
  table_.buffer().clear();
  table_.buffer().setText(code_, utf8ToLatin1(code));
  return readBy(codeKey_);
}

std::optional<Account> ChartAccounts::byReduced(int64_t reduced) {
  if (reduced <= 0 || reduced > 0xFFFFFFFFll) return std::nullopt;
  table_.buffer().clear();
  table_.buffer().setInt(reduced_, reduced);
  return readBy(reducedKey_);
}

std::optional<Account> ChartAccounts::byNickname(std::string_view nickname) {
  if (blank(nickname)) return std::nullopt;
  table_.buffer().clear();
  table_.buffer().setText(nickname_, utf8ToLatin1(nickname));
  return readBy(nicknameKey_);
}

std::string ChartAccounts::masked(std::string_view typed) {
  Result<std::string> written = structure_.formataConta(chart::trocaCaracter(typed, '.', ""));
  return written.isOk() ? written.value() : std::string();
}

std::optional<Account> ChartAccounts::findMaskedFirst(std::string_view typed) {
  if (blank(typed)) return std::nullopt;
  if (auto a = byCode(masked(typed))) return a;
  if (auto a = byReduced(leadingNumber(typed))) return a;
  return byNickname(typed);
}

std::optional<Account> ChartAccounts::findReducedFirst(std::string_view typed) {
  if (blank(typed)) return std::nullopt;
  if (auto a = byReduced(leadingNumber(chart::trocaCaracter(typed, '.', "")))) return a;
  if (auto a = byCode(masked(typed))) return a;
  return byNickname(typed);
}

std::optional<Account> ChartAccounts::fromChosenKey(std::string_view key) {
  if (auto a = byCode(key)) return a;
  const int64_t id = leadingNumber(key);
  if (id <= 0 || !table_.isOpen() || !table_.getById(id)) return std::nullopt;
  table_.endWalk();
  const Record& r = table_.buffer();
  return Account{latin1ToUtf8(r.getText(code_)), latin1ToUtf8(r.getText(description_)),
                 r.getInt(kind_) == kSynthetic};
}

}  // namespace vorlam::ledger
