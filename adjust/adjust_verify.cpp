#include "adjust/adjust_verify.h"

#include <map>
#include <set>

#include "adjust/code_check.h"
#include "storage/decimal.h"
#include "storage/text.h"

namespace vorlam::adjust {
namespace {

struct Sums {
  Decimal debit = Decimal::fromUnits(0, 2);
  Decimal credit = Decimal::fromUnits(0, 2);
  bool operator==(const Sums& o) const { return debit == o.debit && credit == o.credit; }
};
using Balances = std::map<std::string, Sums>;

Balances balancesOf(Table& diario) {
  Balances b;
  const TableDef& d = diario.def();
  int fDeb = d.fieldIndex("ContaDebito"), fCred = d.fieldIndex("ContaCredito");
  int vDeb = d.fieldIndex("ValorDebito"), vCred = d.fieldIndex("ValorCredito");
  diario.seekStart(kFileOrder);
  while (diario.next()) {
    std::string deb(diario.buffer().getText(fDeb)), cred(diario.buffer().getText(fCred));
    if (!deb.empty()) b[deb].debit = *b[deb].debit.plus(diario.buffer().getDecimal(vDeb));
    if (!cred.empty()) b[cred].credit = *b[cred].credit.plus(diario.buffer().getDecimal(vCred));
  }
  diario.endWalk();
  return b;
}

void note(std::vector<std::string>& out, size_t limit, std::string line) {
  if (out.size() < limit) out.push_back(std::move(line));
}

}  // namespace

std::string balanceLine(const BalanceCheck& b) {
  if (b.matches)
    return "   Conferência dos saldos do diário: " + std::to_string(b.accounts) + " conta(s), saldos conferem.";
  std::string line = "   Atenção!!! Conferência dos saldos do diário: " + std::to_string(b.accounts) +
                     " conta(s) com movimento antes, " + std::to_string(b.accountsAfter) + " depois; divergências:";
  for (const std::string& d : b.differences) line += " " + d + ";";
  return line;
}

namespace {

// Compares one original record with its converted twin: every column but
// the account ones unchanged, each account code converted as the plan says.
void compareRecord(const Table& original, const Record& b, const std::vector<char>& isAccount,
                   const std::vector<std::pair<int, int>>& accountColumns, const chart::AccountStructure& from,
                   const chart::AccountStructure& to, size_t limit, std::vector<std::string>& out) {
  const TableDef& def = original.def();
  const Record& a = original.buffer();
  for (size_t col = 0; col < a.cells().size(); ++col)
    if (!isAccount[col] && (a.cells()[col].i != b.cells()[col].i || a.cells()[col].s != b.cells()[col].s))
      note(out, limit, def.label + " [" + keyText(original) + "]: campo alterado fora das contas (coluna " +
                           std::to_string(col) + ")");
  for (auto [idx, col] : accountColumns) {
    std::string_view was = a.getText(idx);
    std::optional<std::string> expected = recomputeCode(from, to, was);
    std::string_view now = b.getText(idx);
    if (!expected || *expected != now)
      note(out, limit, def.label + " [" + keyText(original) + "]: " + def.fields[idx].name + " " +
                           latin1ToUtf8(was) + " ficou " + latin1ToUtf8(now) +
                           (expected ? ", esperado " + latin1ToUtf8(*expected) : std::string()));
  }
}

}  // namespace

std::vector<std::string> verifyFile(Table& original, Table& converted, const std::vector<AccountField>& fields,
                                    const chart::AccountStructure& from, const chart::AccountStructure& to,
                                    size_t limit) {
  std::vector<std::string> out;
  const TableDef& def = original.def();
  std::vector<char> isAccount(original.buffer().cells().size(), 0);
  std::vector<std::pair<int, int>> accountColumns;  // field, column
  for (const AccountField& f : fields)
    if (int idx = def.fieldIndex(f.name); idx >= 0) {
      int col = original.buffer().columnOf(idx, 0);
      isAccount[static_cast<size_t>(col)] = 1;
      accountColumns.emplace_back(idx, col);
    }
  Result<int64_t> n1 = original.count(), n2 = converted.count();
  if (!n1 || !n2 || n1.value() != n2.value())
    note(out, limit, def.label + ": " + std::to_string(n1 ? n1.value() : -1) + " registros no original e " +
                         std::to_string(n2 ? n2.value() : -1) + " no convertido");
  // Both files are walked in record-number order side by side, the way a
  // merge goes: a copy keeps every record's number, so the twin of each
  // original is met in step.  Asking for each twin by number would cost a
  // round trip per record on a server.
  original.seekStart(kFileOrder);
  converted.seekStart(kFileOrder);
  Status c = converted.next();
  Status s;
  bool convertedBroken = false;
  while ((s = original.next())) {
    const int64_t id = original.buffer().recordId();
    while (c && converted.buffer().recordId() < id) c = converted.next();
    if (!c && !c.is(StatusCode::kNotFound)) {
      convertedBroken = true;
      break;
    }
    if (!c || converted.buffer().recordId() != id) {
      note(out, limit, def.label + " [" + keyText(original) + "]: registro ausente no arquivo convertido");
      continue;
    }
    compareRecord(original, converted.buffer(), isAccount, accountColumns, from, to, limit, out);
  }
  if (convertedBroken)
    note(out, limit, def.label + ": leitura do convertido interrompida: " + c.toString());
  else if (!s.is(StatusCode::kNotFound))
    note(out, limit, def.label + ": leitura interrompida: " + s.toString());
  original.endWalk();
  converted.endWalk();
  return out;
}

std::vector<std::string> verifyChart(Table& oldChart, Table& newChart, const chart::AccountStructure& from,
                                     const chart::AccountStructure& to, size_t limit) {
  std::vector<std::string> out;
  const TableDef& def = newChart.def();
  int key = def.keyIndex("PLA:KEY:CODIGO");
  int fCodigo = def.fieldIndex("Codigo");
  std::set<int> rewritten = {fCodigo, def.fieldIndex("Indice"), def.fieldIndex("Codigo_Sem_Ponto")};
  Result<int64_t> n1 = oldChart.count(), n2 = newChart.count();
  if (!n1 || !n2 || n2.value() < n1.value())
    note(out, limit, "PlanoContas: " + std::to_string(n1 ? n1.value() : -1) + " contas no plano antigo e " +
                         std::to_string(n2 ? n2.value() : -1) + " no novo");
  oldChart.seekStart(kFileOrder);
  while (oldChart.next()) {
    const Record& a = oldChart.buffer();
    std::string was(a.getText(fCodigo));
    std::optional<std::string> expected = recomputeCode(from, to, was);
    if (!expected) {
      note(out, limit, "PlanoContas: conta " + latin1ToUtf8(was) + " sem conversão");
      continue;
    }
    newChart.buffer().clear();
    newChart.buffer().setText(fCodigo, *expected);
    if (!newChart.get(key)) {
      note(out, limit, "PlanoContas: conta " + latin1ToUtf8(was) + " ausente do novo plano como " +
                           latin1ToUtf8(*expected));
      continue;
    }
    const Record& b = newChart.buffer();
    for (size_t f = 0; f < def.fields.size(); ++f) {
      if (rewritten.count(static_cast<int>(f))) continue;
      if (a.getAsText(static_cast<int>(f)) != b.getAsText(static_cast<int>(f))) {
        note(out, limit, "PlanoContas: conta " + latin1ToUtf8(*expected) + ": campo " + def.fields[f].name +
                             " difere do plano antigo");
        break;
      }
    }
  }
  oldChart.endWalk();
  return out;
}

BalanceCheck checkBalances(Table& before, Table& after, const chart::AccountStructure& from,
                           const chart::AccountStructure& to) {
  BalanceCheck c;
  c.done = true;
  Balances was = balancesOf(before), now = balancesOf(after);
  c.accounts = static_cast<int64_t>(was.size());
  c.accountsAfter = static_cast<int64_t>(now.size());
  std::map<std::string, std::string> met;  // new account -> the old account that went to it
  for (const auto& [old, sums] : was) {
    std::optional<std::string> code = recomputeCode(from, to, old);
    if (!code) {
      c.differences.push_back(latin1ToUtf8(old) + " sem conversão");
      continue;
    }
    auto [it, first] = met.emplace(*code, old);
    if (!first)
      c.differences.push_back(latin1ToUtf8(it->second) + " e " + latin1ToUtf8(old) + " se juntam em " +
                              latin1ToUtf8(*code));
    auto n = now.find(*code);
    if (n == now.end() || !(n->second == sums))
      c.differences.push_back(latin1ToUtf8(old) + " -> " + latin1ToUtf8(*code) + " saldo diferente");
  }
  if (c.accounts != c.accountsAfter && c.differences.empty())
    c.differences.push_back("número de contas com movimento mudou");
  if (c.differences.size() > 20) c.differences.resize(20);
  c.matches = c.differences.empty() && c.accounts == c.accountsAfter;
  return c;
}

}  // namespace vorlam::adjust
