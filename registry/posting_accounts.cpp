#include "registry/posting_accounts.h"


#include "storage/text.h"

namespace vorlam::registry {

namespace {

constexpr size_t kAliasWidth = 20;

// Reads by `key` with the buffer set by `set`; nullopt when absent.
Result<bool> readBy(Table& chart, const char* key, const std::function<void(Record&)>& set) {
  chart.buffer().clear();
  set(chart.buffer());
  Status s = chart.get(chart.def().keyIndex(key));
  if (s) return true;
  if (s.is(StatusCode::kNotFound)) return false;
  return s;
}

// The leading digits of `text` read as a number, as the suite converts a
// text to a number; 0 when there are none or they do not fit a reduced code.
uint64_t leadingNumber(std::string_view text) {
  uint64_t n = 0;
  size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    n = n * 10 + uint64_t(text[i] - '0');
    if (n > 0xFFFFFFFFull) return 0;
  }
  return n;
}

}  // namespace

bool postingAccountsOn(SettingsFiles& settings, const std::string& dataRoot) {
  const std::string path = dataRootSettingsFile(dataRoot, kPostingSwitchFile);
  return settings.read(kPostingSwitchSection, kPostingSwitchEntry, "0", path) == "1";
}

AccountMatch accountMatchOf(const Record& account) {
  AccountMatch m;
  m.outcome = account.getInt("PLA:SintAnali") == 2 ? AccountOutcome::kAnalytic : AccountOutcome::kSynthetic;
  m.code = latin1ToUtf8(std::string(account.getText("PLA:Codigo")));
  m.description = latin1ToUtf8(std::string(account.getText("PLA:Descricao")));
  return m;
}

Result<AccountMatch> findAccount(Table& chart, const chart::AccountStructure& structure, std::string_view typed) {
  const std::string text = utf8ToLatin1(typed);
  const std::string clipped = text.substr(0, text.find_last_not_of(' ') + 1);
  if (clipped.empty() || clipped == "FORNECEDOR" || clipped == "CLIENTE") {
    AccountMatch none;
    none.outcome = AccountOutcome::kNoAccount;
    none.code = latin1ToUtf8(clipped);
    return none;
  }
  std::string withoutDots, digits;
  for (char c : clipped) {
    if (c != '.') withoutDots += c;
    if (c >= '0' && c <= '9') digits += c;
  }
  if (const uint64_t reduced = leadingNumber(withoutDots); reduced != 0) {
    Result<bool> found = readBy(chart, "PLA:KEY:REDUZIDO", [&](Record& r) { r.setInt("PLA:Reduzido", int64_t(reduced)); });
    if (!found.isOk()) return found.status();
    if (found.value()) return accountMatchOf(chart.buffer());
  }
  const std::string alias = upperLatin1(clipped).substr(0, kAliasWidth);
  Result<bool> byAlias = readBy(chart, "PLA:KEY:APELIDO", [&](Record& r) { r.setText("PLA:Apelido", alias); });
  if (!byAlias.isOk()) return byAlias.status();
  if (byAlias.value()) return accountMatchOf(chart.buffer());
  if (!digits.empty()) {
    const std::string code = chart::formataConta(structure, digits);
    Result<bool> byCode = readBy(chart, "PLA:KEY:CODIGO", [&](Record& r) { r.setText("PLA:Codigo", code); });
    if (!byCode.isOk()) return byCode.status();
    if (byCode.value()) return accountMatchOf(chart.buffer());
  }
  return AccountMatch{};
}

}  // namespace vorlam::registry
