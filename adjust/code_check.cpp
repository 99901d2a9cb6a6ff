#include "adjust/code_check.h"

#include <cctype>
#include <vector>

namespace vorlam::adjust {
namespace {

std::string_view clip(std::string_view s) {
  while (!s.empty() && (s.back() == ' ' || s.back() == '\0')) s.remove_suffix(1);
  return s;
}

bool isWord(std::string_view s, const char* word) {
  size_t n = std::char_traits<char>::length(word);
  if (s.size() != n) return false;
  for (size_t i = 0; i < n; ++i)
    if (std::toupper(static_cast<unsigned char>(s[i])) != word[i]) return false;
  return true;
}

// The levels of `code` split at "."; empty when a piece is empty or holds a
// blank.
std::vector<std::string_view> levels(std::string_view code) {
  std::vector<std::string_view> out;
  size_t start = 0;
  while (true) {
    size_t dot = code.find('.', start);
    std::string_view piece = code.substr(start, dot == std::string_view::npos ? std::string_view::npos : dot - start);
    if (piece.empty() || piece.find(' ') != std::string_view::npos) return {};
    out.push_back(piece);
    if (dot == std::string_view::npos) return out;
    start = dot + 1;
  }
}

int usedLevels(const chart::AccountStructure& s) { return s.levelCount > chart::kUsedLevels ? chart::kUsedLevels : s.levelCount; }

// True when every piece is as wide as its level in `s` (at most its level count).
bool fits(const std::vector<std::string_view>& pieces, const chart::AccountStructure& s) {
  if (pieces.empty() || static_cast<int>(pieces.size()) > usedLevels(s)) return false;
  for (size_t i = 0; i < pieces.size(); ++i)
    if (static_cast<int>(pieces[i].size()) != s.levelDigits(static_cast<int>(i) + 1)) return false;
  return true;
}

}  // namespace

std::optional<std::string> recomputeCode(const chart::AccountStructure& from, const chart::AccountStructure& to,
                                         std::string_view code) {
  code = clip(code.substr(0, chart::kAccountCodeLength));
  if (code.empty()) return std::string();
  if (isWord(code, "FORNECEDOR") || isWord(code, "CLIENTE")) return std::string(code);
  std::vector<std::string_view> pieces = levels(code);
  if (static_cast<int>(pieces.size()) == usedLevels(to) && fits(pieces, to)) return std::string(code);
  if (!fits(pieces, from)) return std::nullopt;
  std::string out;
  for (size_t i = 0; i < pieces.size(); ++i) {
    int width = to.levelDigits(static_cast<int>(i) + 1);
    if (width < static_cast<int>(pieces[i].size())) return std::nullopt;  // a level that shrinks
    if (i > 0) out += '.';
    out.append(static_cast<size_t>(width) - pieces[i].size(), '0');
    out += pieces[i];
  }
  return out;
}

}  // namespace vorlam::adjust
