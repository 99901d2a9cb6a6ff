#include "fiscal/party_accounts.h"

#include <algorithm>
#include <cctype>

#include "chart/current_structure.h"
#include "shell/company_files.h"
#include "storage/text.h"

namespace vorlam::fiscal {

namespace {

constexpr int kAttempts = 3;
constexpr size_t kNicknameWidth = 20;
constexpr int kMaxProposalLevels = 9;

bool allDigits(std::string_view s) {
  return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::string clipped(std::string_view s) { return std::string(clipText(s)); }

// The leading digits of `s` as a number (0 when there are none).
uint64_t leadingNumber(std::string_view s) {
  uint64_t n = 0;
  for (char c : s) {
    if (c < '0' || c > '9') break;
    if (n > 1'000'000'000'000ULL) break;  // far past any level
    n = n * 10 + uint64_t(c - '0');
  }
  return n;
}

// `PLA:Indice`: the code of the parent level, L(g - 1) characters.
std::string parentIndex(const chart::AccountStructure& s, const std::string& code) {
  const int len = s.levelCount > 1 ? chart::tamanhoNivel(s, s.levelCount - 1) : 0;
  return code.substr(0, std::min(code.size(), size_t(std::max(len, 0))));
}

}  // namespace

int PartyAccountSettings::lastLevelDigits() const {
  return structure.levelCount == 0 ? 0 : structure.levelDigits(structure.levelCount);
}

Result<PartyAccountSettings> readPartyAccountSettings(const Dictionary& dict, const shell::AppState& state) {
  const shell::CurrentCompany company = state.company();
  if (company.codigo == 0) return Status(StatusCode::kNotFound, "nenhuma empresa selecionada");
  Table empresa(dict.find("Empresa"));
  if (Status s = empresa.open(state.pathFor(shell::kEmpresaFile), OpenMode::kReadOnly); !s) return s;
  empresa.buffer().clear();
  empresa.buffer().setInt("EMP:Codigo", company.codigo);
  if (Status s = empresa.get(empresa.def().keyIndex("EMP:KEY:CODIGO")); !s) return s;
  PartyAccountSettings settings;
  settings.numbering = int(empresa.buffer().getInt("EMP:TipoAutomatica"));
  settings.customerGroup = clipped(empresa.buffer().getText("EMP:GrupoCliente"));
  settings.supplierGroup = clipped(empresa.buffer().getText("EMP:GrupoFornecedor"));
  Result<chart::AccountStructure> structure = chart::readStructure(dict, state, company.codPlanoContas);
  if (structure.isOk()) {
    settings.structure = std::move(structure).value();
  } else if (!structure.status().is(StatusCode::kNotFound)) {
    return structure.status();
  }
  return settings;
}

PartySideFields sideFields(PartySide side) {
  if (side == PartySide::kCustomer) return {"FOR:Clientes", "FOR:ContaCliente"};
  return {"FOR:Fornecedor", "FOR:ContaFornecedor"};
}

std::optional<std::string> zeroPadded(uint64_t number, int width) {
  if (width <= 0) return std::nullopt;
  std::string digits = std::to_string(number);
  if (digits.size() > size_t(width)) return std::nullopt;
  return std::string(size_t(width) - digits.size(), '0') + digits;
}

Result<std::optional<std::string>> sequentialProposal(Table& chart, const std::string& group, int lastDigits) {
  const int key = chart.def().keyIndex("PLA:KEY:CODIGO");
  chart.buffer().clear();
  chart.buffer().setText("PLA:Codigo", group);
  if (Status s = chart.seek(key); !s) return s;
  uint64_t last = 0;
  while (true) {
    Status s = chart.next();
    if (s.is(StatusCode::kNotFound)) break;
    if (!s) return s;
    const std::string code = clipped(chart.buffer().getText("PLA:Codigo"));
    if (code.compare(0, group.size(), group) != 0) break;
    // The text after the group and its separator.
    if (code.size() > group.size() + 1) last = leadingNumber(std::string_view(code).substr(group.size() + 1));
  }
  chart.endWalk();
  std::optional<std::string> piece = zeroPadded(last + 1, lastDigits);
  if (!piece) return std::optional<std::string>();
  return std::optional<std::string>(group + "." + *piece);
}

std::optional<std::string> taxpayerProposal(const std::string& group, int lastDigits, int inscriptionType,
                                            std::string_view cgc, std::string_view cpf) {
  std::string_view number = inscriptionType == 1 ? clipText(cgc) : clipText(cpf);
  const size_t take = inscriptionType == 1 ? 8 : 9;
  if (number.size() < take) return std::nullopt;
  std::string_view root = number.substr(0, take);
  if (!allDigits(root)) return std::nullopt;
  std::optional<std::string> piece = zeroPadded(leadingNumber(root), lastDigits);
  if (!piece) return std::nullopt;
  return group + "." + *piece;
}

Result<std::optional<std::string>> proposeAccount(Table& chart, const PartyAccountSettings& settings, PartySide side,
                                                  const Record& party) {
  const std::string& group = settings.group(side);
  if (group.empty() || settings.structure.levelCount > kMaxProposalLevels) return std::optional<std::string>();
  const int digits = settings.lastLevelDigits();
  switch (settings.numbering) {
    case kNumberingSequential: return sequentialProposal(chart, group, digits);
    case kNumberingTaxpayer:
      return taxpayerProposal(group, digits, int(party.getInt("FOR:TipoInscricao")), party.getText("FOR:CGC"),
                              party.getText("FOR:CPF"));
    default: return std::optional<std::string>();
  }
}

std::optional<std::string> rewriteTypedAccount(const std::string& group, int lastDigits, std::string_view typed) {
  std::string_view text = clipText(typed);
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  if (lastDigits <= 0 || text.empty()) return std::nullopt;
  // A text shorter than the last level is taken whole, never sliced before
  // its start.
  std::string_view tail = text.size() > size_t(lastDigits) ? text.substr(text.size() - size_t(lastDigits)) : text;
  if (const size_t dot = tail.rfind('.'); dot != std::string_view::npos) tail = tail.substr(dot + 1);
  if (!allDigits(tail)) return std::nullopt;
  std::optional<std::string> piece = zeroPadded(leadingNumber(tail), lastDigits);
  if (!piece) return std::nullopt;
  return group + "." + *piece;
}

std::string accountNickname(std::string_view name) {
  std::string_view text = clipText(name);
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  text = text.substr(0, text.find(' '));
  return upperLatin1(text.substr(0, std::min(text.size(), kNicknameWidth)));
}

ChartAccountWriter::ChartAccountWriter(Table& chart, const chart::AccountStructure& structure)
    : chart_(chart), structure_(structure) {}

ChartAccountWriter::~ChartAccountWriter() { rollback(); }

Status ChartAccountWriter::begin() {
  if (open_) return Status::ok();
  Status s = chart_.beginBulk();
  open_ = s.isOk();
  return s;
}

Status ChartAccountWriter::commit() {
  if (!open_) return Status::ok();
  Status s = chart_.flush();
  if (s) open_ = false;
  return s;
}

void ChartAccountWriter::rollback() {
  if (!open_) return;
  chart_.rollbackBulk();
  open_ = false;
}

Result<bool> ChartAccountWriter::exists(const std::string& code) {
  chart_.buffer().clear();
  chart_.buffer().setText("PLA:Codigo", code);
  Status s = chart_.get(chart_.def().keyIndex("PLA:KEY:CODIGO"));
  if (s) return true;
  if (s.is(StatusCode::kNotFound)) return false;
  return s;
}

Result<uint32_t> ChartAccountWriter::highestReduced() {
  const int key = chart_.def().keyIndex("PLA:KEY:REDUZIDO");
  if (Status s = chart_.seekEnd(key); !s) return s;
  Status s = chart_.previous();
  chart_.endWalk();
  if (s.is(StatusCode::kNotFound)) return uint32_t(0);
  if (!s) return s;
  return uint32_t(chart_.buffer().getInt("PLA:Reduzido"));
}

Status ChartAccountWriter::add(const std::string& code, std::string_view name, uint32_t* reduced) {
  const int reducedKey = chart_.def().keyIndex("PLA:KEY:REDUZIDO");
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    Result<uint32_t> top = highestReduced();
    if (!top.isOk()) return top.status();
    if (*top == UINT32_MAX)
      return Status(StatusCode::kOutOfRange, "Numeração automática esgotou o limite do campo", "PLA:Reduzido");
    const uint32_t next = *top + 1;
    if (beforeAdd_) beforeAdd_(chart_, next);
    Record& r = chart_.buffer();
    r.clear();
    r.setText("PLA:Codigo", code);
    r.setInt("PLA:Reduzido", next);
    r.setText("PLA:Descricao", clipText(name));
    r.setText("PLA:Apelido", accountNickname(name));
    r.setInt("PLA:SintAnali", 2);
    r.setText("PLA:Indice", parentIndex(structure_, code));
    Status s = chart_.append();
    if (s) {
      if (reduced) *reduced = next;
      return s;
    }
    if (!s.is(StatusCode::kDuplicateKey) || chart_.duplicatedKey() != reducedKey) return s;
  }
  return Status(StatusCode::kAutoNumberFailed, defaultMessage(StatusCode::kAutoNumberFailed), chart_.def().label);
}

Status ChartAccountWriter::remove(const std::string& code, uint32_t reduced) {
  chart_.buffer().clear();
  chart_.buffer().setText("PLA:Codigo", code);
  Status s = chart_.get(chart_.def().keyIndex("PLA:KEY:CODIGO"));
  if (s.is(StatusCode::kNotFound)) return Status::ok();
  if (!s) return s;
  // Only the account as it was added: another workstation's is left alone.
  if (uint32_t(chart_.buffer().getInt("PLA:Reduzido")) != reduced) return Status::ok();
  return chart_.erase();
}

}  // namespace vorlam::fiscal
