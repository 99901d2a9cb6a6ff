#include "chart/account_structure.h"

#include <algorithm>

namespace vorlam::chart {

namespace {

// Removes trailing blanks, the way every text append of these services
// treats the text it appends to.
void clipBlanks(std::string* s) {
  while (!s->empty() && s->back() == ' ') s->pop_back();
}

// Appends without letting the code grow past its field.
void appendBounded(std::string* out, std::string_view piece) {
  if (out->size() >= kAccountCodeLength) return;
  out->append(piece.substr(0, kAccountCodeLength - out->size()));
}

}  // namespace

AccountStructure makeStructure(uint16_t code, std::initializer_list<int> widths) {
  AccountStructure s;
  s.code = code;
  int n = 0;
  for (int w : widths) {
    if (n == kStoredLevels) break;
    s.digits[n++] = static_cast<uint8_t>(std::clamp(w, 0, 255));
  }
  s.levelCount = static_cast<uint8_t>(n);
  return s;
}

bool sameLevelWidths(const AccountStructure& a, const AccountStructure& b) {
  return std::equal(a.digits.begin(), a.digits.begin() + kUsedLevels, b.digits.begin());
}

int tamanhoNivel(const AccountStructure& s, int n) {
  if (n < 1 || n > kUsedLevels) return 0;
  int length = n - 1;
  for (int k = 1; k <= n; ++k) {
    if (k <= s.levelCount) length += s.levelDigits(k);
  }
  return length;
}

int fullCodeLength(const AccountStructure& s) { return tamanhoNivel(s, s.levelCount); }

int digitTotal(const AccountStructure& s) {
  int total = 0;
  for (int k = 1; k <= kUsedLevels; ++k) total += s.levelDigits(k);
  return total;
}

std::string buildMask(const AccountStructure& s) {
  std::string mask;
  if (s.levelDigits(1) > 0) mask.assign(std::min<size_t>(s.levelDigits(1), kAccountCodeLength), '9');
  for (int k = 2; k <= kUsedLevels; ++k) {
    const int g = s.levelDigits(k);
    if (g == 0) continue;
    clipBlanks(&mask);
    appendBounded(&mask, ".");
    appendBounded(&mask, std::string(std::min<size_t>(g, kAccountCodeLength), '9'));
  }
  return mask;
}

Status checkStructureCode(uint32_t code) {
  if (code <= kMaxStructureCode) return Status::ok();
  return Status(StatusCode::kInvalidArgument,
                "Atenção!!! O código do plano de contas " + std::to_string(code) +
                    " não pode ser usado: o código deve estar entre 0 e 999!!!");
}

std::string trocaCaracter(std::string_view text, char ch, std::string_view replacement) {
  std::string result;
  result.reserve(text.size());
  for (char c : text) {
    clipBlanks(&result);
    if (c != ch) {
      result.push_back(c);
    } else {
      result.append(replacement);
    }
  }
  clipBlanks(&result);
  return result;
}

void formataConta(const AccountStructure& s, std::string_view bareDigits, std::string* out) {
  out->clear();
  // Only the first 40 characters exist in a code field; anything shorter is
  // blank-padded, so a slice past the end is simply blank.
  const std::string_view text = bareDigits.substr(0, std::min(bareDigits.size(), kAccountCodeLength));
  const int levels = std::min<int>(s.levelCount, kUsedLevels);
  size_t start = 0;
  for (int n = 1; n <= levels; ++n) {
    const size_t width = s.levelDigits(n);
    std::string_view slice;
    if (start < text.size()) slice = text.substr(start, width);
    start += width;
    if (slice.find_first_not_of(' ') == std::string_view::npos) continue;
    if (n > 1) {
      clipBlanks(out);
      appendBounded(out, ".");
    }
    appendBounded(out, slice);
  }
  clipBlanks(out);
}

std::string formataConta(const AccountStructure& s, std::string_view bareDigits) {
  std::string out;
  formataConta(s, bareDigits, &out);
  return out;
}

}  // namespace vorlam::chart
