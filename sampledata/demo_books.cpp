// The books of one company and year: journal, invoices, service-tax notes,
// instalments, settlements and reconciliation totals.

#include <algorithm>
#include <array>
#include <filesystem>
#include <map>

#include "storage/date.h"
#include "storage/table.h"
#include "storage/text.h"
#include "sampledata/demo_plan.h"
#include "sampledata/record_writer.h"
#include "sampledata/reference_data.h"

namespace vorlam::sampledata {

namespace {

constexpr int kEntryInvoices = 24;
constexpr int kExitInvoices = 24;
constexpr int kServiceNotes = 8;
constexpr int kProgressEvery = 4096;

// Monthly debit and credit totals of one account, in cents.
struct AccountTotals {
  std::array<int64_t, 12> debit{}, credit{};
};
using Totals = std::map<std::string, AccountTotals>;

int monthOf(int32_t day) { return fromDayNumber(day).month; }

struct JournalPattern {
  const char* debit;
  const char* credit;
  int history;
};
constexpr JournalPattern kPatterns[] = {
    {"banco", "caixa", 5},           {"caixa", "banco", 6},
    {"salarios_pagar", "banco", 7},  {"salarios", "salarios_pagar", 7},
    {"fgts_recolher", "banco", 8},   {"inss_recolher", "banco", 9},
    {"tarifas", "banco", 10},        {"alugueis", "banco", 14},
    {"energia", "caixa", 15},        {"telefone", "banco", 16},
    {"caixa", "vendas", 3},          {"compras", "caixa", 4},
    {"clientes", "vendas", 3},       {"compras", "fornecedores", 4},
    {"banco", "clientes", 29},       {"fornecedores", "banco", 28},
    {"depreciacao", "depreciacao_acumulada", 21},
    {"aplicacoes", "banco", 30},     {"material_escritorio", "caixa", 1},
    {"servicos_terceiros", "banco", 1},
};

class Journal {
 public:
  Journal(const BookContext& ctx, Totals* totals) : ctx_(ctx), w_(ctx.dict->find("Diario")), totals_(totals) {
    for (const JournalPattern& p : kPatterns) {
      std::string d = ctx.chart->code(p.debit), c = ctx.chart->code(p.credit);
      if (!d.empty() && !c.empty()) pairs_.push_back({d, c, p.history});
    }
    for (size_t i : ctx.chart->analytic) analytic_.push_back(ctx.chart->accounts[i].code);
  }

  Status write(const DemoProgress& progress, int64_t* records) {
    if (Status s = w_.open(pathOf(*ctx_.dict, ctx_.names, "Diario")); !s) return s;
    resolveFields();
    DemoRandom rng = DemoRandom(ctx_.seed).fork(7);
    const int32_t first = dayOf(ctx_.year, 1, 1);
    const int64_t days = isLeapYear(ctx_.year) ? 366 : 365;
    const int64_t n = ctx_.entries;
    const std::string phase = "Diário " + std::to_string(ctx_.company->info.codigo) + "/" +
                              std::to_string(ctx_.year);
    int64_t line = 0, entry = 0;
    while (line < n && w_.status()) {
      ++entry;
      int32_t date = static_cast<int32_t>(first + line * days / n);
      std::string complement = utf8ToLatin1("Lançamento nº " + std::to_string(entry));
      int64_t left = n - line;
      if (left >= 3 && rng.chance(20)) {
        // One debit spread over several credits: lines share the entry number.
        int credits = static_cast<int>(rng.between(2, std::min<int64_t>(4, left - 1)));
        std::string debit = rng.pick(pairs_).debit;
        closing_ = line + credits + 1 >= n;
        std::vector<int64_t> parts;
        int64_t total = 0;
        for (int k = 0; k < credits; ++k) total += parts.emplace_back(rng.between(1000, 2000000));
        put(date, entry, 0, debit, "", total, 0, 1, complement);
        for (int k = 0; k < credits; ++k)
          put(date, entry, k + 1, "", rng.pick(analytic_), 0, parts[k], 1, complement);
        line += credits + 1;
      } else {
        int64_t value = rng.between(1000, 5000000);
        closing_ = line + 1 >= n;
        if (rng.chance(75)) {
          const Pair& p = rng.pick(pairs_);
          put(date, entry, 0, p.debit, p.credit, value, value, p.history, complement);
        } else {
          std::string d = rng.pick(analytic_), c = rng.pick(analytic_);
          if (c == d) c = analytic_[(std::find(analytic_.begin(), analytic_.end(), d) - analytic_.begin() + 1) % analytic_.size()];
          put(date, entry, 0, d, c, value, value, 1, complement);
        }
        ++line;
      }
      if (progress && (entry % kProgressEvery == 0 || line >= n)) progress(phase, line, n);
    }
    Status s = w_.finish();
    *records += w_.written();
    return s;
  }

 private:
  struct Pair {
    std::string debit, credit;
    int history;
  };

  void resolveFields() {
    fData_ = w_.field("DIA:Data");
    fNumero_ = w_.field("DIA:Numero");
    fCredito_ = w_.field("DIA:ContaCredito");
    fDebito_ = w_.field("DIA:ContaDebito");
    fHistorico_ = w_.field("DIA:Historico");
    fValorCredito_ = w_.field("DIA:ValorCredito");
    fValorDebito_ = w_.field("DIA:ValorDebito");
    fComplemento_ = w_.field("DIA:Complemento");
    fDocumento_ = w_.field("DIA:Documento");
    fOrigem_ = w_.field("DIA:Origem");
    fLote_ = w_.field("DIA:Lote");
    fEmpresa_ = w_.field("DIA:CodigoEmpresa");
    fUsuario_ = w_.field("DIA:Usuario");
  }

  // Most lines are the accounting's own; some come from the opening, the
  // fiscal books, the payroll and the closing (the year's last entry and,
  // in December, a few more).
  const char* originOf(int64_t entry, int32_t date) const {
    if (entry == 1) return "ABR";
    if (closing_) return "FEC";
    if (entry % 97 == 0) return "ESC";
    if (entry % 89 == 0) return "FLS";
    if (entry % 53 == 0 && monthOf(date) == 12) return "FEC";
    return "CTB";
  }

  void put(int32_t date, int64_t entry, int sub, const std::string& debit, const std::string& credit,
           int64_t debitValue, int64_t creditValue, int history, const std::string& complement) {
    w_.begin();
    w_.setIntAt(fData_, date);
    w_.setUnitsAt(fNumero_, entry * 10000 + sub);
    w_.setTextAt(fDebito_, debit);
    w_.setTextAt(fCredito_, credit);
    w_.setIntAt(fHistorico_, history);
    w_.setUnitsAt(fValorDebito_, debitValue);
    w_.setUnitsAt(fValorCredito_, creditValue);
    w_.setTextAt(fComplemento_, complement);
    w_.setTextAt(fDocumento_, "DOC" + std::to_string(entry));
    w_.setTextAt(fOrigem_, originOf(entry, date));
    w_.setTextAt(fLote_, "L" + std::to_string(100 + monthOf(date)).substr(1));
    w_.setIntAt(fEmpresa_, ctx_.company->info.codigo);
    w_.setTextAt(fUsuario_, "DEMO");
    w_.write();
    int m = monthOf(date) - 1;
    if (!debit.empty()) (*totals_)[debit].debit[m] += debitValue;
    if (!credit.empty()) (*totals_)[credit].credit[m] += creditValue;
  }

  const BookContext& ctx_;
  RecordWriter w_;
  Totals* totals_;
  std::vector<Pair> pairs_;
  std::vector<std::string> analytic_;
  int fData_ = -1, fNumero_ = -1, fCredito_ = -1, fDebito_ = -1, fHistorico_ = -1;
  int fValorCredito_ = -1, fValorDebito_ = -1, fComplemento_ = -1, fDocumento_ = -1;
  int fOrigem_ = -1, fEmpresa_ = -1, fUsuario_ = -1, fLote_ = -1;
  bool closing_ = false;  // the entry being written is the year's last
};

Status writeReconciliation(const BookContext& ctx, const Totals& totals, int64_t* records) {
  RecordWriter w(ctx.dict->find("Conciliacao"));
  if (Status s = w.open(pathOf(*ctx.dict, ctx.names, "Conciliacao")); !s) return s;
  for (const auto& [account, t] : totals) {
    w.begin();
    w.setText("CONC:CONTA", account);
    int64_t d = 0, c = 0;
    for (int m = 0; m < 12; ++m) {
      d += t.debit[m];
      c += t.credit[m];
      w.setUnits("CONC:VALORDEBITOMES", t.debit[m], m);
      w.setUnits("CONC:VALORCREDITOMES", t.credit[m], m);
      w.setUnits("CONC:VALORDEBITOFECHA", d, m);
      w.setUnits("CONC:VALORCREDITOFECHA", c, m);
    }
    w.write();
  }
  Status s = w.finish();
  *records += w.written();
  return s;
}

// --- Invoices and instalments ------------------------------------------------

struct Instalment {
  int32_t due = 0;
  int64_t value = 0;
  int32_t paid = 0;
  int64_t discount = 0, fine = 0, interest = 0;
};

// Up to three monthly instalments covering all or part of `total`; their
// sum never exceeds it.  Some are paid within the year.
std::vector<Instalment> planInstalments(DemoRandom& rng, int32_t launch, int year, int64_t total) {
  std::vector<Instalment> out;
  int count = static_cast<int>(rng.between(0, 3));
  if (count == 0) return out;
  int64_t share = rng.chance(70) ? total : total * 7 / 10;
  const int32_t lastDay = dayOf(year, 12, 31);
  int64_t given = 0;
  for (int j = 0; j < count; ++j) {
    Instalment p;
    p.due = launch + 30 * (j + 1);
    p.value = j + 1 == count ? share - given : share / count;
    given += p.value;
    int32_t paid = p.due + static_cast<int32_t>(rng.between(-5, 10));
    if (paid <= lastDay && rng.chance(60)) {
      p.paid = paid;
      if (paid < p.due) p.discount = p.value / 100;
      if (paid > p.due) p.fine = p.value * 2 / 100, p.interest = p.value / 100;
    }
    out.push_back(p);
  }
  return out;
}

int64_t sumOf(const std::vector<Instalment>& v) {
  int64_t s = 0;
  for (const Instalment& p : v) s += p.value;
  return s;
}

struct InvoiceId {
  int32_t date = 0;
  uint32_t numero = 0;
  std::string especie, serie, inscricao;
};

// Writers of one instalment table and the settlements of the year.
class InstalmentWriter {
 public:
  // `prefix`: "PREntr", "PRSaid", "PRISS51", "PRISS53"; `dateField` the
  // instalment's invoice-date field ("DataLancamento" or "DataNF").
  InstalmentWriter(const BookContext& ctx, const char* label, std::string prefix, std::string dateField,
                   int origin, RecordWriter* settlements)
      : ctx_(ctx), label_(label), w_(ctx.dict->find(label)), p_(std::move(prefix) + ":"),
        dateField_(std::move(dateField)), origin_(origin), settlements_(settlements) {}

  // `allowExisting`: adding to instalments written before.
  Status open(bool allowExisting = false) {
    return w_.open(pathOf(*ctx_.dict, ctx_.names, label_), allowExisting);
  }
  // Settlements of payments made after the year go to `nextYear` (that
  // year's file); without one they are not written.
  void setNextYear(RecordWriter* nextYear) { nextYear_ = nextYear; }

  // Writes the instalments and the settlement of each paid one.
  // `party`: the document's supplier or customer account.
  void write(const InvoiceId& id, const std::vector<Instalment>& parts, const std::string& party) {
    const ChartModel& ch = *ctx_.chart;
    const bool payment = origin_ == 1 || origin_ == 4;  // we pay (entries, services taken)
    for (const Instalment& p : parts) {
      w_.begin();
      w_.setInt(p_ + dateField_, id.date);
      w_.setInt(p_ + "Numero", id.numero);
      w_.setText(p_ + "Especie", id.especie);
      w_.setText(p_ + "Serie", id.serie);
      w_.setText(p_ + "Inscricao", id.inscricao);
      w_.setInt(p_ + "Data", p.due);
      w_.setUnits(p_ + "Valor", p.value);
      w_.setInt(p_ + "Pagamento", p.paid);
      w_.setUnits(p_ + "Desconto", p.discount);
      w_.setUnits(p_ + "Multa", p.fine);
      w_.setUnits(p_ + "Juros", p.interest);
      w_.setText(p_ + "NumeroDuplicata", std::to_string(id.numero) + "/" + std::to_string(&p - parts.data() + 1));
      w_.write();
      if (p.paid == 0) continue;
      const bool later = fromDayNumber(p.paid).year > ctx_.year;
      if (later && nextYear_ == nullptr) continue;
      RecordWriter& s = later ? *nextYear_ : *settlements_;
      s.begin();
      s.setInt("PARCPG:ORIGEM", origin_);
      s.setInt("PARCPG:DATALANCAMENTO", id.date);
      s.setInt("PARCPG:NUMERO", id.numero);
      s.setText("PARCPG:ESPECIE", id.especie);
      s.setText("PARCPG:SERIE", id.serie);
      s.setText("PARCPG:INSCRICAO", id.inscricao);
      s.setInt("PARCPG:DATA", p.due);
      s.setUnits("PARCPG:VALOR", p.value);
      s.setInt("PARCPG:PAGAMENTO", p.paid);
      s.setUnits("PARCPG:DESCONTO", p.discount);
      s.setUnits("PARCPG:MULTA", p.fine);
      s.setUnits("PARCPG:JUROS", p.interest);
      std::string bank = ch.code("banco");
      s.setText("PARCPG:CONTADEBITO", payment ? party : bank);
      s.setText("PARCPG:CONTACREDITO", payment ? bank : party);
      s.setInt("PARCPG:HISTORICO", payment ? 28 : 29);
      if (p.discount > 0) {
        s.setText("PARCPG:DESCDEBITO", payment ? party : ch.code("descontos_concedidos"));
        s.setText("PARCPG:DESCCREDITO", payment ? ch.code("descontos_obtidos") : party);
        s.setInt("PARCPG:DESCHISTORICO", 12);
      }
      if (p.fine > 0) {
        s.setText("PARCPG:MULTADEBITO", payment ? ch.code("multas_pagas") : bank);
        s.setText("PARCPG:MULTACREDITO", payment ? bank : ch.code("juros_recebidos"));
        s.setInt("PARCPG:MULTAHISTORICO", 13);
      }
      if (p.interest > 0) {
        s.setText("PARCPG:JUROSDEBITO", payment ? ch.code("juros_pagos") : bank);
        s.setText("PARCPG:JUROSCREDITO", payment ? bank : ch.code("juros_recebidos"));
        s.setInt("PARCPG:JUROSHISTORICO", 11);
      }
      s.write();
    }
  }

  Status finish(int64_t* records) {
    Status s = w_.finish();
    *records += w_.written();
    return s;
  }

 private:
  const BookContext& ctx_;
  const char* label_;
  RecordWriter w_;
  std::string p_, dateField_;
  int origin_;
  RecordWriter* settlements_;
  RecordWriter* nextYear_ = nullptr;
};

// The party's account when it belongs to the chart in force, else the
// chart's general customer or supplier account.
std::string partyAccount(const BookContext& ctx, const DemoParty& p, bool customer) {
  if (ctx.partyAccountsInChart) return customer ? p.contaCliente : p.contaFornecedor;
  return ctx.chart->code(customer ? "clientes" : "fornecedores");
}

const DemoParty& partyAt(const PartyFile& f, bool customer, int k) {
  const std::vector<size_t>& v = customer ? f.customers : f.suppliers;
  return f.parties[v[static_cast<size_t>(k) % v.size()]];
}

Status writeGoodsInvoices(const BookContext& ctx, RecordWriter& settlements, bool entry,
                          int64_t* records) {
  const char* label = entry ? "RegEntrada" : "RegSaida";
  const std::string p = entry ? "REG:" : "REGS:";
  RecordWriter w(ctx.dict->find(label));
  if (Status s = w.open(pathOf(*ctx.dict, ctx.names, label)); !s) return s;
  InstalmentWriter parts(ctx, entry ? "ParcRegEntrada" : "ParcRegSaida", entry ? "PREntr" : "PRSaid",
                         "DataLancamento", entry ? 1 : 2, &settlements);
  if (Status s = parts.open(); !s) return s;
  DemoRandom rng = DemoRandom(ctx.seed).fork(entry ? 11 : 12);
  const ChartModel& ch = *ctx.chart;
  const int count = entry ? kEntryInvoices : kExitInvoices;
  for (int k = 1; k <= count; ++k) {
    const DemoParty& party = partyAt(*ctx.parties, !entry, k);
    const std::string account = partyAccount(ctx, party, !entry);
    InvoiceId id;
    id.date = dayOf(ctx.year, (k - 1) % 12 + 1, static_cast<int>(rng.between(1, 28)));
    id.numero = static_cast<uint32_t>((entry ? 1000 : 5000) + k * 13);
    id.especie = "NF";
    id.serie = "1";
    id.inscricao = party.inscricao();
    // Every integration label shows: some invoices leave their cash group
    // to the CFOP, one entry posts under a CFOP whose IPI accounts have no
    // history, and one entry's supplier is no party of the file.
    const bool byCfop = k % 8 == 1;
    const bool unknownParty = entry && k == 13;
    if (unknownParty) id.inscricao = "11222333000181";
    int64_t total = rng.between(10000, 2000000);
    int64_t icms = total * 18 / 100;
    std::vector<Instalment> plan = planInstalments(rng, id.date, ctx.year, total);
    bool local = party.uf == ctx.company->uf;
    w.begin();
    w.setInt(p + "Codigo", k);
    w.setInt(p + "DataLancamento", id.date);
    w.setInt(p + "DataEmissao", id.date - rng.between(0, 3));
    w.setText(p + "Especie", id.especie);
    w.setText(p + "Serie", id.serie);
    w.setInt(p + "Numero", id.numero);
    w.setText(p + "Inscricao", id.inscricao);
    w.setInt(p + "CodigoForCli", unknownParty ? 0 : party.codigo);
    w.setText(p + "Estado", party.uf);
    w.setInt(p + "CodigoFiscal", entry ? (k == 3 ? 1101 : local ? 1102 : 2102) : (local ? 5102 : 6102));
    w.setUnits(p + "ValorContabil", total);
    w.setUnits(p + "BaseCalculo1", total);
    w.setUnits(p + "Aliquota1", 180000);
    w.setUnits(p + "ICMS1", icms);
    w.setUnits(p + "Vista", total - sumOf(plan));
    w.setText(p + "Modelo", "55");
    w.setInt(p + "Historico", byCfop ? 0 : entry ? 4 : 3);
    w.setInt(p + "PrazoHistorico", entry ? 4 : 3);
    w.setText(p + "Complemento", "NF " + std::to_string(id.numero) + " - " + party.nome);
    if (entry) {
      if (!byCfop) w.setText("REG:CDebito", ch.code("compras"));
      if (!byCfop) w.setText("REG:CCredito", ch.code("caixa"));
      w.setText("REG:PrazoDebito", ch.code("compras"));
      w.setText("REG:PrazoCredito", account);
      w.setText("REG:ICMSCDebito", ch.code("icms_recuperar"));
      w.setText("REG:ICMSCCredito", ch.code("compras"));
      if (k % 6 == 0) {
        w.setText("REG:ContaDebitoICMSFonte", ch.code("icms_recuperar"));
        w.setText("REG:ContaCreditoICMSFonte", ch.code("icms_recolher"));
      }
    } else {
      w.setText("REGS:Municipio", party.cidade);
      if (!byCfop) w.setText("REGS:CDebito", ch.code("caixa"));
      if (!byCfop) w.setText("REGS:CCredito", ch.code("vendas"));
      w.setText("REGS:PrazoDebito", account);
      w.setText("REGS:PrazoCredito", ch.code("vendas"));
      w.setText("REGS:ICMSDebito", ch.code("icms_vendas"));
      w.setText("REGS:ICMSCredito", ch.code("icms_recolher"));
    }
    w.write();
    parts.write(id, plan, account);
  }
  Status s = w.finish();
  *records += w.written();
  Status sp = parts.finish(records);
  return s ? sp : s;
}

Status writeServiceNotes(const BookContext& ctx, RecordWriter& settlements, bool model51,
                         int64_t* records) {
  const char* label = model51 ? "ISS51" : "ISS53";
  const std::string p = model51 ? "ISS:" : "ISS53:";
  RecordWriter w(ctx.dict->find(label));
  if (Status s = w.open(pathOf(*ctx.dict, ctx.names, label)); !s) return s;
  const char* integLabel = model51 ? "ISS51_Integracao_Contabil" : "ISS53_Integracao_Contabil";
  const std::string ip = model51 ? "ISIC:" : "ISIC53:";
  RecordWriter integ(ctx.dict->find(integLabel));
  if (Status s = integ.open(pathOf(*ctx.dict, ctx.names, integLabel)); !s) return s;
  InstalmentWriter parts(ctx, model51 ? "ParcRegISS51" : "ParcRegISS53", model51 ? "PRISS51" : "PRISS53",
                         "DataNF", model51 ? 3 : 4, &settlements);
  if (Status s = parts.open(); !s) return s;
  DemoRandom rng = DemoRandom(ctx.seed).fork(model51 ? 21 : 22);
  const ChartModel& ch = *ctx.chart;
  auto services = serviceRows();
  // Half the notes fall in January, so that the first period lists them.
  constexpr int kMonths[kServiceNotes] = {1, 1, 1, 1, 3, 6, 9, 1};
  for (int k = 1; k <= kServiceNotes; ++k) {
    // Model 51 books the services the company renders, model 53 those it takes.
    const DemoParty& party = partyAt(*ctx.parties, model51, k);
    const std::string account = partyAccount(ctx, party, model51);
    const ServiceRow& svc = services[static_cast<size_t>(k) % services.size()];
    InvoiceId id;
    id.date = dayOf(ctx.year, kMonths[k - 1], static_cast<int>(rng.between(1, 28)));
    id.numero = static_cast<uint32_t>((model51 ? 300 : 700) + k);
    id.serie = "A";
    id.especie = "NFS";
    id.inscricao = party.inscricao();
    int64_t total = rng.between(50000, 3000000);
    int64_t tax = total * svc.issRateBasisPoints / 10000;
    int64_t irf = k % 3 == 0 ? total * 15 / 1000 : 0;
    std::vector<Instalment> plan = planInstalments(rng, id.date, ctx.year, total);
    int64_t vista = total - sumOf(plan);
    std::string vd = model51 ? ch.code("caixa") : ch.code("servicos_terceiros");
    std::string vc = model51 ? ch.code("servicos") : ch.code("caixa");
    std::string pd = model51 ? account : ch.code("servicos_terceiros");
    std::string pc = model51 ? ch.code("servicos") : account;
    // The integration labels the notes show: a group a note leaves blank
    // posts by its service code ("C. ISS": the cash of notes 1 and 4, the
    // term of note 4); notes 3 and 8 have no registered code (0), so their
    // blank groups show no label, and note 3's term accounts without a
    // history keep the label they had (none).
    const bool unregistered = k == 3 || k == 8;
    const bool ownCash = k != 1 && k != 3 && k != 4;
    const bool ownTerm = k != 4 && k != 8;
    const bool termHistory = k != 3;
    w.begin();
    w.setInt(p + "Data", id.date);
    w.setText(p + "NaturezaOperacao", "A");
    w.setInt(p + "Numero", id.numero);
    w.setText(p + "Serie", id.serie);
    w.setText(p + "Especie", id.especie);
    w.setInt(p + "CodServico", unregistered ? 0 : svc.code);
    w.setInt(p + "SubCodServico", unregistered ? 0 : svc.subCode);
    w.setUnits(p + "Aliquota", svc.issRateBasisPoints * 100LL);
    w.setUnits(p + "ValorNota", total);
    w.setUnits(p + "ValorImposto", tax);
    w.setUnits(p + "BaseCalculo", total);
    w.setUnits(p + "IRF", irf);
    w.setUnits(p + "ISSRF", k % 4 == 2 ? tax : 0);  // withheld by the taker
    w.setUnits(p + "Vista", vista);
    w.setText(p + "Inscricao", id.inscricao);
    if (ownCash) {
      w.setText(p + "Debito", vd);
      w.setText(p + "Credito", vc);
      w.setInt(p + "Historico", 17);
    }
    w.setText(p + "Complemento", "NFS " + std::to_string(id.numero));
    if (ownTerm) {
      w.setText(p + "PrazoDebito", pd);
      w.setText(p + "PrazoCredito", pc);
      w.setInt(p + "PrazoHistorico", termHistory ? 17 : 0);
    }
    if (irf > 0) {
      w.setText(p + "IRPJDebito", model51 ? ch.code("irrf_recuperar") : account);
      w.setText(p + "IRPJCredito", model51 ? account : ch.code("irrf_recolher"));
      w.setInt(p + "IRPJHistorico", 17);
    }
    w.setInt(p + "Codigo", k);
    w.setText(p + "UF", party.uf);
    w.setText(p + "Municipio", party.cidade);
    w.write();
    struct Line {
      int id;
      bool present;
      std::string debit, credit;
    };
    const Line lines[] = {{1, vista > 0, vd, vc}, {2, !plan.empty(), pd, pc},
                          {3, irf > 0, model51 ? ch.code("irrf_recuperar") : account,
                           model51 ? account : ch.code("irrf_recolher")}};
    for (const Line& l : lines) {
      if (!l.present) continue;
      integ.begin();
      integ.setInt(ip + "DATA_NF", id.date);
      integ.setInt(ip + "NUMERO_NF", id.numero);
      integ.setText(ip + "SERIE_NF", id.serie);
      integ.setText(ip + "ESPECIE_NF", id.especie);
      integ.setInt(ip + "ID_CAMPO", l.id);
      integ.setText(ip + "CONTA_DEBITO", l.debit);
      integ.setText(ip + "CONTA_CREDITO", l.credit);
      integ.setInt(ip + "HISTORICO", 17);
      integ.write();
    }
    parts.write(id, plan, account);
  }
  Status s = w.finish();
  *records += w.written();
  Status si = integ.finish();
  *records += integ.written();
  Status sp = parts.finish(records);
  if (!s) return s;
  return si ? sp : si;
}

// Entry invoices of fixed figures, for the instalment screens' scripts:
//  - 9001 of 10 March, two lines worth 600.00 and 400.00 and one
//    instalment of 300.00 due 10 April, paid 12 April with a discount of
//    3.00 and settled (cash 300.00 and 400.00);
//  - 9002 of 1 December, one line of 500.00 and one instalment of 500.00
//    due 20 December and paid 5 January of the following year, settled in
//    that year's `PARCPAGA.dat`.
Status writeInstalmentCases(const BookContext& ctx, RecordWriter& settlements, int64_t* records) {
  const std::string here = pathOf(*ctx.dict, ctx.names, "ParcPagas");
  const std::filesystem::path next =
      std::filesystem::path(here).parent_path().parent_path() / std::to_string(ctx.year + 1);
  if (Status s = makeDirectories(next.string()); !s) return s;
  RecordWriter nextYear(ctx.dict->find("ParcPagas"));
  if (Status s = nextYear.open((next / "PARCPAGA.dat").string(), true); !s) return s;
  RecordWriter w(ctx.dict->find("RegEntrada"));
  if (Status s = w.open(pathOf(*ctx.dict, ctx.names, "RegEntrada"), true); !s) return s;
  InstalmentWriter parts(ctx, "ParcRegEntrada", "PREntr", "DataLancamento", 1, &settlements);
  if (Status s = parts.open(true); !s) return s;
  parts.setNextYear(&nextYear);
  const DemoParty& party = partyAt(*ctx.parties, false, 1);
  const std::string account = partyAccount(ctx, party, false);
  struct Line {
    int codigo;
    uint32_t numero;
    int32_t date;
    int64_t total, vista;
  };
  const Line lines[] = {{101, 9001, dayOf(ctx.year, 3, 10), 60000, 30000},
                        {102, 9001, dayOf(ctx.year, 3, 10), 40000, 40000},
                        {103, 9002, dayOf(ctx.year, 12, 1), 50000, 0}};
  for (const Line& l : lines) {
    w.begin();
    w.setInt("REG:Codigo", l.codigo);
    w.setInt("REG:DataLancamento", l.date);
    w.setInt("REG:DataEmissao", l.date);
    w.setText("REG:Especie", "NF");
    w.setText("REG:Serie", "1");
    w.setInt("REG:Numero", l.numero);
    w.setText("REG:Inscricao", party.inscricao());
    w.setInt("REG:CodigoForCli", party.codigo);
    w.setText("REG:Estado", party.uf);
    w.setInt("REG:CodigoFiscal", party.uf == ctx.company->uf ? 1102 : 2102);
    w.setUnits("REG:ValorContabil", l.total);
    w.setUnits("REG:BaseCalculo1", l.total);
    w.setUnits("REG:Vista", l.vista);
    w.setText("REG:Modelo", "55");
    w.write();
  }
  InvoiceId id;
  id.date = lines[0].date;
  id.numero = 9001;
  id.especie = "NF";
  id.serie = "1";
  id.inscricao = party.inscricao();
  Instalment settled;
  settled.due = dayOf(ctx.year, 4, 10);
  settled.value = 30000;
  settled.paid = dayOf(ctx.year, 4, 12);
  settled.discount = 300;
  parts.write(id, {settled}, account);
  id.date = lines[2].date;
  id.numero = 9002;
  Instalment later;
  later.due = dayOf(ctx.year, 12, 20);
  later.value = 50000;
  later.paid = dayOf(ctx.year + 1, 1, 5);
  parts.write(id, {later}, account);
  Status s = w.finish();
  *records += w.written();
  Status sp = parts.finish(records);
  Status sn = nextYear.finish();
  *records += nextYear.written();
  if (!s) return s;
  return sp ? sn : sp;
}

}  // namespace

Status writeBooks(const BookContext& ctx, const DemoProgress& progress, int64_t* records) {
  Totals totals;
  Journal journal(ctx, &totals);
  if (Status s = journal.write(progress, records); !s) return s;
  if (Status s = writeReconciliation(ctx, totals, records); !s) return s;
  RecordWriter settlements(ctx.dict->find("ParcPagas"));
  // The previous year's books may have filed settlements of payments made
  // in this year.
  if (Status s = settlements.open(pathOf(*ctx.dict, ctx.names, "ParcPagas"), true); !s) return s;
  if (Status s = writeGoodsInvoices(ctx, settlements, true, records); !s) return s;
  if (Status s = writeGoodsInvoices(ctx, settlements, false, records); !s) return s;
  if (Status s = writeServiceNotes(ctx, settlements, true, records); !s) return s;
  if (Status s = writeServiceNotes(ctx, settlements, false, records); !s) return s;
  if (Status s = writeInstalmentCases(ctx, settlements, records); !s) return s;
  Status s = settlements.finish();
  *records += settlements.written();
  return s;
}

}  // namespace vorlam::sampledata
