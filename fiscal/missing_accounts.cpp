#include "fiscal/missing_accounts.h"

#include <map>
#include <set>

#include "storage/text.h"

namespace vorlam::fiscal {

namespace {

std::string clipped(std::string_view s) {
  std::string_view t = clipText(s);
  while (!t.empty() && t.front() == ' ') t.remove_prefix(1);
  return std::string(t);
}

// A code the structure could hold as an analytic account: digits grouped
// level by level exactly as the structure writes them, every level filled.
bool wellFormed(const chart::AccountStructure& s, const std::string& code) {
  if (code.empty() || int(code.size()) != chart::fullCodeLength(s)) return false;
  for (char c : code)
    if ((c < '0' || c > '9') && c != '.') return false;
  return chart::formataConta(s, chart::trocaCaracter(code, '.', "")) == code;
}

// Plans the rows of one scan, remembering what earlier rows will create.
class Planner {
 public:
  Planner(Table& chart, const PartyAccountSettings& settings)
      : chart_(chart), settings_(settings), writer_(chart, settings.structure) {}

  Status plan(const Record& party, PartySide side, MissingAccount* row);

 private:
  // True when the chart holds `code` or an earlier row creates it.
  Result<bool> known(const std::string& code);
  Status propose(const Record& party, PartySide side, MissingAccount* row);
  Result<std::optional<std::string>> nextSequential(const std::string& group);

  Table& chart_;
  const PartyAccountSettings& settings_;
  ChartAccountWriter writer_;  // for its lookups only
  std::set<std::string> planned_;
  std::map<std::string, uint64_t> next_;  // group -> next number to try
};

Result<bool> Planner::known(const std::string& code) {
  if (planned_.count(code)) return true;
  return writer_.exists(code);
}

Result<std::optional<std::string>> Planner::nextSequential(const std::string& group) {
  const int digits = settings_.lastLevelDigits();
  auto it = next_.find(group);
  if (it == next_.end()) {
    Result<std::optional<std::string>> first = sequentialProposal(chart_, group, digits);
    if (!first.isOk()) return first.status();
    if (!*first) return std::optional<std::string>();
    it = next_.emplace(group, std::stoull(first->value().substr(group.size() + 1))).first;
  }
  while (true) {
    std::optional<std::string> piece = zeroPadded(it->second, digits);
    if (!piece) return std::optional<std::string>();
    ++it->second;
    const std::string code = group + "." + *piece;
    Result<bool> taken = known(code);
    if (!taken.isOk()) return taken.status();
    if (!*taken) return std::optional<std::string>(code);
  }
}

Status Planner::propose(const Record& party, PartySide side, MissingAccount* row) {
  const std::string& group = settings_.group(side);
  if (settings_.numbering == kNumberingManual) {
    row->reason = "numeração manual: informe a conta no cadastro";
    return Status::ok();
  }
  if (group.empty()) {
    row->reason = side == PartySide::kCustomer ? "grupo de clientes não informado na empresa"
                                               : "grupo de fornecedores não informado na empresa";
    return Status::ok();
  }
  // A group of another structure (a company record read in a year of its
  // former chart) would give accounts the chart cannot hold.
  Result<bool> hasGroup = known(group);
  if (!hasGroup.isOk()) return hasGroup.status();
  if (!*hasGroup) {
    row->reason = "o grupo " + latin1ToUtf8(group) + " não existe no plano de contas";
    return Status::ok();
  }
  std::optional<std::string> code;
  if (settings_.numbering == kNumberingSequential) {
    Result<std::optional<std::string>> next = nextSequential(group);
    if (!next.isOk()) return next.status();
    code = *next;
    if (!code) row->reason = "o último nível da conta não comporta o próximo número";
  } else {
    Result<std::optional<std::string>> proposal = proposeAccount(chart_, settings_, side, party);
    if (!proposal.isOk()) return proposal.status();
    code = *proposal;
    if (!code) row->reason = "sem raiz numérica de CNPJ/CPF para a numeração por CNPJ";
  }
  if (!code) return Status::ok();
  Result<bool> taken = known(*code);
  if (!taken.isOk()) return taken.status();
  row->account = *code;
  row->plan = *taken ? AccountPlan::kPointExisting : AccountPlan::kCreate;
  if (row->plan == AccountPlan::kCreate) planned_.insert(*code);
  return Status::ok();
}

Status Planner::plan(const Record& party, PartySide side, MissingAccount* row) {
  row->plan = AccountPlan::kSkip;
  if (settings_.numbering == kNumberingNone) {
    row->reason = "numeração \"Não Inclui\" na empresa: o plano de contas não é alterado";
    return Status::ok();
  }
  if (settings_.structure.levelCount == 0 || settings_.structure.levelCount > chart::kUsedLevels) {
    row->reason = "estrutura do plano de contas da empresa não cadastrada";
    return Status::ok();
  }
  if (!row->stored.empty() && wellFormed(settings_.structure, row->stored)) {
    const std::string parent = row->stored.substr(0, size_t(chart::tamanhoNivel(settings_.structure,
                                                                                 settings_.structure.levelCount - 1)));
    Result<bool> hasParent = known(parent);
    if (!hasParent.isOk()) return hasParent.status();
    if (*hasParent || settings_.structure.levelCount == 1) {
      row->account = row->stored;
      row->plan = planned_.count(row->stored) ? AccountPlan::kPointExisting : AccountPlan::kCreate;
      planned_.insert(row->stored);
      return Status::ok();
    }
  }
  return propose(party, side, row);
}

// Points the record at `row.account`, unless another workstation changed
// the field since the scan.  Empty on success, else the failure's text.
std::string repoint(Table& parties, const MissingAccount& row) {
  if (row.account == row.stored) return {};
  const char* field = sideFields(row.side).account;
  if (Status s = parties.getById(row.recordId); !s) return "registro não lido: " + s.toString();
  if (clipped(parties.buffer().getText(field)) != row.stored) return "registro alterado por outra estação";
  parties.buffer().setText(field, row.account);
  if (Status s = parties.update(); !s) return "registro não gravado: " + s.toString();
  return {};
}

std::string rowLabel(const MissingAccount& row) {
  return std::to_string(row.party) + " " + row.name + " (" + sideName(row.side) + ")";
}

}  // namespace

const char* sideName(PartySide side) { return side == PartySide::kCustomer ? "Cliente" : "Fornecedor"; }

const char* planName(AccountPlan plan) {
  switch (plan) {
    case AccountPlan::kCreate: return "criar";
    case AccountPlan::kPointExisting: return "apontar";
    case AccountPlan::kSkip: break;
  }
  return "não criar";
}

Result<std::vector<MissingAccount>> findMissingAccounts(Table& parties, Table& chart,
                                                        const PartyAccountSettings& settings) {
  std::vector<MissingAccount> rows;
  Planner planner(chart, settings);
  ChartAccountWriter lookup(chart, settings.structure);
  const int key = parties.def().keyIndex("FOR:KEY:CODIGO1");
  if (Status s = parties.seekStart(key); !s) return s;
  while (true) {
    Status s = parties.next();
    if (s.is(StatusCode::kNotFound)) break;
    if (!s) return s;
    const Record& party = parties.buffer();
    for (PartySide side : {PartySide::kCustomer, PartySide::kSupplier}) {
      const PartySideFields f = sideFields(side);
      MissingAccount row;
      row.stored = clipped(party.getText(f.account));
      if (party.getInt(f.flag) == 0 && row.stored.empty()) continue;
      if (!row.stored.empty()) {
        Result<bool> there = lookup.exists(row.stored);
        if (!there.isOk()) return there.status();
        if (*there) continue;
      }
      row.party = uint32_t(party.getInt("FOR:Codigo"));
      row.recordId = party.recordId();
      row.name = latin1ToUtf8(clipText(party.getText("FOR:Nome")));
      row.side = side;
      if (Status p = planner.plan(party, side, &row); !p) return p;
      rows.push_back(std::move(row));
    }
  }
  parties.endWalk();
  return rows;
}

Result<CreateAccountsReport> createMissingAccounts(Table& parties, Table& chart,
                                                   const PartyAccountSettings& settings,
                                                   const std::vector<MissingAccount>& rows,
                                                   const CreateProgress& progress) {
  CreateAccountsReport report;
  ChartAccountWriter writer(chart, settings.structure);
  if (Status s = writer.begin(); !s) return s;
  if (Status s = parties.beginBulk(); !s) return s;
  for (size_t i = 0; i < rows.size(); ++i) {
    const MissingAccount& row = rows[i];
    if (progress) progress(i, rows.size());
    if (row.plan == AccountPlan::kSkip) {
      ++report.skipped;
      continue;
    }
    Result<bool> there = writer.exists(row.account);
    if (!there.isOk()) {
      ++report.failed;
      report.lines.push_back(rowLabel(row) + ": conta " + row.account + " não lida: " + there.status().toString());
      continue;
    }
    if (!*there) {
      // An account planned for an earlier row whose add failed is not
      // created here either: the record keeps what it had.
      Status s = row.plan == AccountPlan::kCreate ? writer.add(row.account, utf8ToLatin1(row.name))
                                                  : Status(StatusCode::kNotFound, "conta não criada");
      if (!s) {
        ++report.failed;
        report.lines.push_back(rowLabel(row) + ": conta " + row.account + " não incluída: " + s.toString());
        continue;
      }
      ++report.created;
    }
    if (std::string why = repoint(parties, row); !why.empty()) {
      ++report.failed;
      report.lines.push_back(rowLabel(row) + ": " + why);
      continue;
    }
    if (row.account != row.stored) ++report.pointed;
  }
  if (progress) progress(rows.size(), rows.size());
  // The chart first: a record is written only once its account is there.
  if (Status s = writer.commit(); !s) {
    parties.rollbackBulk();
    return s;
  }
  if (Status s = parties.flush(); !s) {
    parties.rollbackBulk();
    return Status(s.code(), "as contas foram incluídas, mas os cadastros não foram gravados: " + s.message(),
                  s.detail());
  }
  return report;
}

}  // namespace vorlam::fiscal
