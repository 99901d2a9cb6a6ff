#include "chart/account_rules.h"

#include <algorithm>

namespace vorlam::chart {

std::string_view clipped(std::string_view text) {
  size_t end = text.find_last_not_of(' ');
  return end == std::string_view::npos ? std::string_view() : text.substr(0, end + 1);
}

std::string normalizeTypedCode(const AccountStructure& s, std::string_view typed) {
  return formataConta(s, trocaCaracter(typed, '.', ""));
}

int editorLevel(const AccountStructure& s, std::string_view code) {
  const int len = static_cast<int>(clipped(code).size());
  for (int n = 1; n <= 8; ++n) {
    const int end = tamanhoNivel(s, n);
    if (end <= len && len <= end + s.levelDigits(n)) return n;
  }
  return 9;
}

int exactLevel(const AccountStructure& s, std::string_view code) {
  const int len = static_cast<int>(clipped(code).size());
  for (int n = 1; n <= kUsedLevels; ++n)
    if (tamanhoNivel(s, n) == len) return n;
  return 0;
}

std::string levelPrefix(const AccountStructure& s, std::string_view code, int level, bool clip) {
  const size_t end = static_cast<size_t>(std::max(0, tamanhoNivel(s, level)));
  std::string out(code.substr(0, std::min(end, code.size())));
  out.resize(end, ' ');
  return clip ? std::string(clipped(out)) : out;
}

bool prefixHasBlank(const AccountStructure& s, std::string_view code, int level) {
  return levelPrefix(s, code, level, false).find(' ') != std::string::npos;
}

std::string indexOfNewAccount(const AccountStructure& s, std::string_view code) {
  return levelPrefix(s, code, s.levelCount - 1);
}

std::string repairedIndex(const AccountStructure& s, std::string_view code, int type) {
  if (type == kSynthetic) return std::string(clipped(code));
  return indexOfNewAccount(s, code);
}

int typeByLength(const AccountStructure& s, std::string_view code) {
  return static_cast<int>(clipped(code).size()) == fullCodeLength(s) ? kAnalytic : kSynthetic;
}

std::string nextCodeProposal(const AccountStructure& s, std::string_view code, int type) {
  if (type != kAnalytic) return std::string(clipped(code)) + ".";
  const int level = exactLevel(s, code);
  if (level <= 1) return std::string(clipped(code)) + ".";
  return levelPrefix(s, code, level - 1) + ".";
}

bool isUnder(std::string_view prefix, std::string_view code) {
  prefix = clipped(prefix);
  code = clipped(code);
  return !prefix.empty() && code.size() > prefix.size() && code.substr(0, prefix.size()) == prefix;
}

namespace {

// The conflict of one member with the selected account; `where` ends the
// texts of the other group ("" in the own group).
std::optional<std::string> conflictWith(std::string_view selected, std::string_view member, const std::string& where) {
  const std::string m(clipped(member));
  if (clipped(selected) == m) return "Atenção!!! A conta selecionda já consta na estrutura do resultado" + where + "!!!";
  if (isUnder(m, selected))
    return "Atenção!!! A conta " + m + " já está cadastrada e é correspondente à conta de grau inferior" + where + "!!!";
  if (isUnder(selected, m))
    return "Atenção!!! A conta " + m + " já está cadastrada e é correspondente à conta de grau superior" + where + "!!!";
  return std::nullopt;
}

}  // namespace

std::optional<std::string> resultConflict(ResultGroup group, std::string_view selected,
                                          const std::vector<std::string>& ownMembers,
                                          const std::vector<std::string>& otherMembers) {
  for (const std::string& m : ownMembers)
    if (auto c = conflictWith(selected, m, "")) return c;
  const std::string other = group == ResultGroup::kIncome ? " nas despesas" : " nas receitas";
  for (const std::string& m : otherMembers)
    if (auto c = conflictWith(selected, m, other)) return c;
  return std::nullopt;
}

bool isResultMember(const AccountStructure& s, std::string_view code, const std::vector<std::string>& members) {
  const std::string_view own = clipped(code);
  auto member = [&](std::string_view c) {
    return std::any_of(members.begin(), members.end(), [&](const std::string& m) { return clipped(m) == c; });
  };
  if (own.empty()) return false;
  if (member(own)) return true;
  for (int n = 1; n <= kUsedLevels; ++n) {
    const size_t end = static_cast<size_t>(tamanhoNivel(s, n));
    if (end >= own.size()) break;
    if (member(own.substr(0, end))) return true;
  }
  return false;
}

}  // namespace vorlam::chart
