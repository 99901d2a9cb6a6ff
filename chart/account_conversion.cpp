#include "chart/account_conversion.h"

#include <algorithm>

namespace vorlam::chart {

namespace {

constexpr std::string_view kSupplierWord = "FORNECEDOR";
constexpr std::string_view kCustomerWord = "CLIENTE";

size_t clippedLength(std::string_view text) {
  size_t n = text.size();
  while (n > 0 && text[n - 1] == ' ') --n;
  return n;
}

bool equalsUpperAscii(std::string_view text, std::string_view word) {
  if (text.size() != word.size()) return false;
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    if (c != word[i]) return false;
  }
  return true;
}

// The code as its field holds it: at most 40 characters.
std::string_view fieldText(std::string_view code) {
  return code.substr(0, std::min(code.size(), kAccountCodeLength));
}

// Character p of the field, which is blank past the given text.
char charAt(std::string_view field, size_t p) { return p < field.size() ? field[p] : ' '; }

void clipBlanks(std::string* s) {
  while (!s->empty() && s->back() == ' ') s->pop_back();
}

void pushBounded(std::string* out, char c) {
  if (out->size() < kAccountCodeLength) out->push_back(c);
}

void padToField(std::string* out) {
  out->resize(kAccountCodeLength, ' ');
}

Status checkLevelCount(const AccountStructure& s, const char* which) {
  if (s.levelCount >= 1 && s.levelCount <= kUsedLevels) return Status::ok();
  return Status(StatusCode::kInvalidArgument,
                std::string("Atenção!!! A ") + which + " tem " + std::to_string(s.levelCount) +
                    " níveis; o ajuste do plano de contas aceita estruturas de 1 a 9 níveis!!!");
}

}  // namespace

bool isSpecialWord(std::string_view code) {
  const std::string_view text = code.substr(0, clippedLength(code));
  return equalsUpperAscii(text, kSupplierWord) || equalsUpperAscii(text, kCustomerWord);
}

Status checkConversionPair(const std::optional<AccountStructure>& from,
                           const std::optional<AccountStructure>& to) {
  if (!from) {
    return Status(StatusCode::kNotFound,
                  "Atenção!!! A estrutura atual do plano de contas não está cadastrada!!!");
  }
  if (!to) {
    return Status(StatusCode::kNotFound,
                  "Atenção!!! A nova estrutura do plano de contas não está cadastrada!!!");
  }
  for (const AccountStructure* s : {&*from, &*to}) {
    if (Status st = checkStructureCode(s->code); !st.isOk()) return st;
  }
  if (Status st = checkLevelCount(*from, "estrutura atual"); !st.isOk()) return st;
  if (Status st = checkLevelCount(*to, "nova estrutura"); !st.isOk()) return st;
  for (int k = 1; k <= kUsedLevels; ++k) {
    const int o = from->levelDigits(k);
    const int w = to->levelDigits(k);
    if (w >= o) continue;
    return Status(StatusCode::kInvalidArgument,
                  "Atenção!!! O " + std::to_string(k) + "º nível tem " + std::to_string(o) +
                      " dígito(s) na estrutura atual e " + std::to_string(w) +
                      " na nova estrutura. A nova estrutura não pode ter menos dígitos "
                      "em um nível, pois os dígitos desse nível seriam perdidos!!!");
  }
  return Status::ok();
}

Result<ConversionPlan> ConversionPlan::make(const AccountStructure& from,
                                            const AccountStructure& to) {
  if (Status st = checkConversionPair(from, to); !st.isOk()) return st;
  ConversionPlan plan;
  plan.from_ = from;
  plan.to_ = to;
  plan.ready_ = true;
  plan.sameWidths_ = sameLevelWidths(from, to);
  plan.newFullLength_ = static_cast<size_t>(fullCodeLength(to));
  for (int k = 1; k < to.levelCount; ++k) {
    const size_t p = static_cast<size_t>(tamanhoNivel(to, k));
    if (p < kAccountCodeLength) plan.boundary_[p] = true;
  }
  return plan;
}

// A code counts as already written in the new structure only when both its
// length and the places of its dots agree with the new levels.  Length alone
// would take a synthetic old code that happens to have the new full length
// (1.1.1.01 under 1,1,1,2,4 against 2,2,2) for a new code and regroup its
// digits into the wrong levels.
bool ConversionPlan::isWrittenInNewStructure(std::string_view clipped) const {
  if (clipped.size() != newFullLength_ || clipped.size() > kAccountCodeLength) return false;
  for (size_t p = 0; p < clipped.size(); ++p) {
    if ((clipped[p] == '.') != boundary_[p]) return false;
  }
  return true;
}

// Drops every "." (and, as trocaCaracter does, every blank) and regroups the
// digits by the new levels.
void ConversionPlan::regroup(std::string_view clipped, std::string* out) const {
  char bare[kAccountCodeLength];
  size_t n = 0;
  for (char c : clipped) {
    if (c != '.' && c != ' ') bare[n++] = c;
  }
  formataConta(to_, std::string_view(bare, n), out);
}

void ConversionPlan::convertLevelByLevel(std::string_view code, size_t clippedLength,
                                         std::string* out) const {
  size_t rest = 0;  // where the not yet converted part of the code starts
  for (int k = 1; k <= kUsedLevels; ++k) {
    if (k > 1 && rest >= clippedLength) break;
    const size_t o = from_.levelDigits(k);
    const size_t w = to_.levelDigits(k);
    // A level the new structure neither counts nor gives digits has nothing
    // to receive (make() guarantees o <= w): whatever is left is not part of
    // the account, and a bare "." for it would leave a dangling separator.
    if (k > to_.levelCount && w == 0) break;
    if (k > 1) {
      clipBlanks(out);
      pushBounded(out, '.');
    }
    // make() guarantees w >= o: the level keeps its digits, after zeros.
    for (size_t i = o; i < w; ++i) pushBounded(out, '0');
    for (size_t i = 0; i < o; ++i) pushBounded(out, charAt(code, rest + i));
    // The level's digits and the one separator after them are consumed; what
    // is too short to hold both leaves nothing.
    if (clippedLength - rest < o + 2) {
      rest = clippedLength;
    } else {
      rest += o + 1;
    }
  }
}

void ConversionPlan::convert(std::string_view code, std::string* out) const {
  const std::string_view field = fieldText(code);
  const size_t length = clippedLength(field);
  out->clear();
  if (!ready_ || length == 0 || isSpecialWord(field)) {
    out->append(field);
  } else if (isWrittenInNewStructure(field.substr(0, length))) {
    if (sameWidths_) {
      out->append(field);
    } else {
      regroup(field.substr(0, length), out);
    }
  } else {
    convertLevelByLevel(field, length, out);
  }
  padToField(out);
}

std::string ConversionPlan::convert(std::string_view code) const {
  std::string out;
  out.reserve(kAccountCodeLength);
  convert(code, &out);
  return out;
}

Result<std::string> converteConta(const AccountStructure& from, const AccountStructure& to,
                                  std::string_view code) {
  Result<ConversionPlan> plan = ConversionPlan::make(from, to);
  if (!plan.isOk()) return plan.status();
  return plan->convert(code);
}

}  // namespace vorlam::chart
