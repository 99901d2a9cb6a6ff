#include "fiscal/instalment_settlement.h"

#include "shell/company_files.h"
#include "storage/date.h"
#include "storage/text.h"

namespace vorlam::fiscal {

namespace {

constexpr char kSettlementFile[] = "PARCPAGA.dat";

std::string clipped(std::string_view s) { return std::string(clipText(s)); }

Status overflow() { return Status(StatusCode::kOutOfRange, "soma fora do limite dos valores"); }

// The settlement buffer's key: origin, identity and due date of `key`.
void setSettlementKey(Record& r, int origin, const InstalmentKey& key) {
  r.setInt("PARCPG:ORIGEM", origin);
  r.setInt("PARCPG:DATALANCAMENTO", key.invoiceDate);
  r.setInt("PARCPG:NUMERO", key.number);
  r.setText("PARCPG:ESPECIE", key.species);
  r.setText("PARCPG:SERIE", key.series);
  r.setText("PARCPG:INSCRICAO", key.inscription);
  r.setInt("PARCPG:DATA", key.due);
}

// Copies the saved instalment's amounts and groups into the settlement.
void copyInstalment(Record& s, const InstalmentKind& kind, const Record& saved) {
  for (int g = 0; g < kSettlementGroups; ++g) {
    const SettlementGroup& group = settlementGroup(g);
    const bool paid = saved.getDecimal(kind.name(group.amount)) > Decimal();
    s.setText(group.settledDebit, paid ? saved.getText(kind.name(group.debit)) : "");
    s.setText(group.settledCredit, paid ? saved.getText(kind.name(group.credit)) : "");
    s.setInt(group.settledHistory, paid ? saved.getInt(kind.name(group.history)) : 0);
    s.setText(group.settledComplement, paid ? saved.getText(kind.name(group.complement)) : "");
  }
  s.setDecimal("PARCPG:VALOR", saved.getDecimal(kind.name("Valor")));
  s.setInt("PARCPG:PAGAMENTO", saved.getInt(kind.name("Pagamento")));
  s.setDecimal("PARCPG:DESCONTO", saved.getDecimal(kind.name("Desconto")));
  s.setDecimal("PARCPG:MULTA", saved.getDecimal(kind.name("Multa")));
  s.setDecimal("PARCPG:JUROS", saved.getDecimal(kind.name("Juros")));
}

// Positions `registers` before the first line of the invoice of `key`.
Status seekInvoice(const InstalmentKind& kind, Table& registers, const InstalmentKey& key, int* keyIndex) {
  *keyIndex = registers.def().keyIndex(kind.registerKey);
  if (*keyIndex < 0) return Status(StatusCode::kInvalidArgument, "chave inexistente", kind.registerKey);
  Record& r = registers.buffer();
  r.clear();
  r.setInt(kind.registerDate, key.invoiceDate);
  r.setInt(kind.registerNumber, key.number);
  r.setText(kind.registerSpecies, key.species);
  r.setText(kind.registerSeries, key.series);
  if (kind.registerInscription != nullptr) r.setText(kind.registerInscription, key.inscription);
  return registers.seek(*keyIndex);
}

bool sameInstalmentInvoice(const InstalmentKind& kind, const Record& r, const InstalmentKey& key) {
  return sameInvoiceKey(kind, instalmentKey(kind, r), key);
}

}  // namespace

bool sameInvoiceKey(const InstalmentKind& kind, const InstalmentKey& a, const InstalmentKey& b) {
  return a.invoiceDate == b.invoiceDate && a.number == b.number && a.species == b.species && a.series == b.series &&
         (!kind.inscriptionInIdentity || a.inscription == b.inscription);
}

InstalmentKey instalmentKey(const InstalmentKind& kind, const Record& r) {
  InstalmentKey k;
  k.invoiceDate = static_cast<int32_t>(r.getInt(kind.name(kind.invoiceDate)));
  k.number = r.getInt(kind.name("Numero"));
  k.species = clipped(r.getText(kind.name("Especie")));
  k.series = clipped(r.getText(kind.name("Serie")));
  k.inscription = clipped(r.getText(kind.name("Inscricao")));
  k.due = static_cast<int32_t>(r.getInt(kind.name("Data")));
  k.payment = static_cast<int32_t>(r.getInt(kind.name("Pagamento")));
  return k;
}

bool sameInvoice(const InstalmentKind& kind, const Record& line, const InstalmentKey& key) {
  return line.getInt(kind.registerDate) == key.invoiceDate && line.getInt(kind.registerNumber) == key.number &&
         clipped(line.getText(kind.registerSpecies)) == key.species &&
         clipped(line.getText(kind.registerSeries)) == key.series &&
         (kind.registerInscription == nullptr || clipped(line.getText(kind.registerInscription)) == key.inscription);
}

int settlementYear(int32_t openedPayment, int32_t payment, int selectedYear) {
  const int32_t day = openedPayment != 0 ? openedPayment : payment;
  return day != 0 ? fromDayNumber(day).year : selectedYear;
}

std::string settlementPath(const std::string& dataRoot, shell::CurrentCompany company, int year) {
  company.ano = static_cast<uint16_t>(year);
  const shell::BindingMap names = shell::nomeiaArquivosAno(dataRoot, company, /*createDirectories=*/false);
  auto it = names.find(kSettlementFile);
  return it == names.end() ? std::string() : it->second;
}

Status readSettlement(Table& settlements, int origin, const InstalmentKey& key) {
  const int index = settlements.def().keyIndex("ParcPg:Key:Origem_DtVenc");
  if (index < 0) return Status(StatusCode::kInvalidArgument, "chave inexistente", "ParcPg:Key:Origem_DtVenc");
  settlements.buffer().clear();
  setSettlementKey(settlements.buffer(), origin, key);
  return settlements.get(index);
}

Result<SettlementOutcome> applySettlement(Table& settlements, const InstalmentKind& kind,
                                          const InstalmentKey& opened, const Record* saved) {
  Status read = readSettlement(settlements, kind.origin, opened);
  if (read.code() == StatusCode::kNotFound) return SettlementOutcome::kNone;
  if (!read) return read;
  if (saved == nullptr || saved->getInt(kind.name("Pagamento")) == 0) {
    if (Status s = settlements.erase(); !s) return s;
    return SettlementOutcome::kDeleted;
  }
  Record& s = settlements.buffer();
  // The settlement follows the instalment's identity and due date.
  setSettlementKey(s, kind.origin, instalmentKey(kind, *saved));
  copyInstalment(s, kind, *saved);
  if (Status w = settlements.update(); !w) return w;
  return SettlementOutcome::kUpdated;
}

Result<InvoiceTotals> invoiceTotals(const InstalmentKind& kind, Table& registers, Table& instalments,
                                    const InstalmentKey& key) {
  InvoiceTotals t;
  int index = -1;
  if (Status s = seekInvoice(kind, registers, key, &index); !s) return s;
  Status step;
  while ((step = registers.next()) && sameInvoice(kind, registers.buffer(), key)) {
    std::optional<Decimal> nf = t.nfTotal.plus(registers.buffer().getDecimal(kind.totalField));
    std::optional<Decimal> cash = t.cashTotal.plus(registers.buffer().getDecimal(kind.cashField));
    if (!nf || !cash) return overflow();
    t.nfTotal = *nf;
    t.cashTotal = *cash;
    ++t.lines;
  }
  registers.endWalk();
  if (!step && step.code() != StatusCode::kNotFound) return step;

  const int byInvoice = instalments.def().keyIndex(kind.keyByDate);
  if (byInvoice < 0) return Status(StatusCode::kInvalidArgument, "chave inexistente", kind.keyByDate);
  Record& p = instalments.buffer();
  p.clear();
  p.setInt(kind.name(kind.invoiceDate), key.invoiceDate);
  p.setInt(kind.name("Numero"), key.number);
  p.setText(kind.name("Especie"), key.species);
  p.setText(kind.name("Serie"), key.series);
  if (kind.inscriptionInIdentity) p.setText(kind.name("Inscricao"), key.inscription);
  if (Status s = instalments.seek(byInvoice); !s) return s;
  while ((step = instalments.next()) && sameInstalmentInvoice(kind, p, key)) {
    std::optional<Decimal> sum = t.instalmentTotal.plus(p.getDecimal(kind.name("Valor")));
    if (!sum) return overflow();
    t.instalmentTotal = *sum;
    ++t.instalments;
  }
  instalments.endWalk();
  if (!step && step.code() != StatusCode::kNotFound) return step;
  return t;
}

Decimal cashOfLine(const Decimal& lineTotal, Decimal* remaining) {
  if (*remaining < lineTotal) {
    Decimal cash = lineTotal.minus(*remaining).value_or(Decimal());
    *remaining = Decimal();
    return cash;
  }
  *remaining = remaining->minus(lineTotal).value_or(Decimal());
  return Decimal();
}

Result<int64_t> rederiveCash(const InstalmentKind& kind, Table& registers, const InstalmentKey& key,
                             const Decimal& instalmentTotal, const std::function<void(const Record&)>& written) {
  // The lines are read first and written afterwards: a write during the walk
  // would move the walk's position.
  int index = -1;
  if (Status s = seekInvoice(kind, registers, key, &index); !s) return s;
  std::vector<int64_t> ids;
  Status step;
  while ((step = registers.next()) && sameInvoice(kind, registers.buffer(), key))
    ids.push_back(registers.buffer().recordId());
  registers.endWalk();
  if (!step && step.code() != StatusCode::kNotFound) return step;
  Decimal remaining = instalmentTotal;
  int64_t lines = 0;
  for (int64_t id : ids) {
    if (Status s = registers.getById(id); !s) return s;
    Record& line = registers.buffer();
    const Decimal cash = cashOfLine(line.getDecimal(kind.totalField), &remaining);
    if (Status s = line.setDecimal(kind.cashField, cash); !s) return s;
    if (Status s = registers.update(); !s) return s;
    if (written) written(line);
    ++lines;
  }
  return lines;
}

}  // namespace vorlam::fiscal
