#include "adjust/file_routines.h"

#include <set>

#include "chart/account_rules.h"
#include "storage/text.h"

namespace vorlam::adjust {

std::string keyText(const Table& t) {
  const TableDef& def = t.def();
  int k = def.primaryKey();
  if (k < 0 && !def.keys.empty()) k = 0;
  std::string s;
  if (k >= 0)
    for (const auto& c : def.keys[k].components) {
      if (!s.empty()) s += " / ";
      s += latin1ToUtf8(t.buffer().getAsText(c.field));
    }
  return s.empty() ? "registro " + std::to_string(t.buffer().recordId()) : s;
}

namespace {

void fail(TableOutcome& out, const Table& t, const std::string& why) {
  ++out.failures;
  if (out.problems.size() < 1000) out.problems.push_back(out.label + " [" + keyText(t) + "]: " + why);
}

std::string statusText(const Status& s) { return s.toString(); }

// Resolved field indexes of a routine on its table.
std::vector<std::pair<int, int>> resolve(const RoutineDef& def, const TableDef& table) {
  std::vector<std::pair<int, int>> out;
  for (const auto& f : def.fields) {
    int idx = table.fieldIndex(f.name);
    if (idx >= 0) out.emplace_back(idx, f.width);
  }
  return out;
}

}  // namespace

const std::vector<RoutineDef>& routines() {
  static const std::vector<RoutineDef> kRoutines = {
      {1, "Contas_Integracao_Contabil", "CIC:KEY:CODIGO_EMPRESA_REFERENCIA",
       {{"CIC:CONTA_DEBITO", 40}, {"CIC:CONTA_CREDITO", 40}}, WriteBack::kAlways,
       "   Ajustando registros de integração dos impostos/baixa.",
       "   Integração dos impostos/baixa ajustados. Registros do aquivo "},
      {2, "PlanoContas", "PLAP:KEY:CODIGO", {{"PLA:Codigo", 40}}, WriteBack::kAlways,
       "   Ajustando registros do plano de contas.", "   Plano de contas ajustado. Registros do aquivo "},
      {3, "LanPadrao", "LPR:KEY:CODIGO", {{"LPR:DEBITO", 40}, {"LPR:CREDITO", 40}}, WriteBack::kAlways,
       "   Ajustando registros do lançamento padrão.", "   Lançamento padrão ajustado. Registros do aquivo "},
      {4, "ForCli", "FOR:KEY:CODIGO", {{"FOR:ContaFornecedor", 30}, {"FOR:ContaCliente", 30}, {"FOR:ContaProdutor", 30}},
       WriteBack::kWhenAnyNotBlank, "   Ajustando registros dos clientes e fornecedores.",
       "   Clientes e fornecedores ajustado. Registros do aquivo "},
      {5, "CFO", "CFO:KEY:CFO",
       {{"CFO:CONTA_DEBITO", 20}, {"CFO:CONTA_CREDITO", 20}, {"CFO:ICMS_DEBITO", 20}, {"CFO:ICMS_CREDITO", 20},
        {"CFO:IPI_DEBITO", 20}, {"CFO:IPI_CREDITO", 20}, {"CFO:CONTADEBITOPRAZO", 40},
        {"CFO:CONTACREDITOPRAZO", 40}, {"CFO:CONTADEBITOICMSFONTE", 20}, {"CFO:CONTACREDITOICMSFONTE", 20},
        // The term and tax-substitution accounts travel with the others.
        {"CFO:ICMS_DEBITO_PRAZO", 20}, {"CFO:ICMS_CREDITO_PRAZO", 20}, {"CFO:IPI_DEBITO_PRAZO", 20},
        {"CFO:IPI_CREDITO_PRAZO", 20}, {"CFO:ST_DEBITO", 20}, {"CFO:ST_CREDITO", 20}, {"CFO:ST_PRAZO_DEBITO", 20},
        {"CFO:ST_PRAZO_CREDITO", 20}},
       WriteBack::kWhenConverted, "   Ajustando registros de CFOP.", "   CFOP ajustado. Registros do aquivo "},
      {6, "CtaISS", "CTA:KEY:CODIGO",
       {{"CTA:CTADEBITO", 20}, {"CTA:CTACREDITO", 20}, {"CTA:ISENTADEBITO", 40}, {"CTA:ISENTACREDITO", 40},
        {"CTA:CONTADEBITOPRAZO", 40}, {"CTA:CONTACREDITOPRAZO", 40}, {"CTA:IRPJDEBITO", 40},
        {"CTA:IRPJCREDITO", 40}, {"CTA:INSSRFDEBITO", 40}, {"CTA:INSSRFCREDITO", 40}},
       WriteBack::kWhenConverted, "   Ajustando registros de Código de serviço.",
       "   Código de serviço ajustado. Registros do aquivo "},
      {7, "Diario", "DIA:KEY:DATA", {{"DIA:ContaDebito", 40}, {"DIA:ContaCredito", 40}}, WriteBack::kAlways,
       "   Ajustando lançamentos da contabilidade.",
       "   Lançamentos da contabilidade ajustado. Registros do aquivo "},
      {8, "RegEntrada", "REG:KEY:DATANUMERO",
       {{"REG:CDebito", 40}, {"REG:CCredito", 40}, {"REG:PrazoDebito", 40}, {"REG:PrazoCredito", 40},
        {"REG:IPICDebito", 40}, {"REG:IPICCredito", 40}, {"REG:ICMSCDebito", 40}, {"REG:ICMSCCredito", 40},
        {"REG:ContaDebitoICMSFonte", 20}, {"REG:ContaCreditoICMSFonte", 20}, {"REG:ContaDebitoPIS", 40},
        {"REG:ContaCreditoPIS", 40}, {"REG:ContaDebitoCofins", 40}, {"REG:ContaCreditoCofins", 40}},
       WriteBack::kWhenConverted, "   Ajustando lançamentos de NF entradas.",
       "   Lançamentos de NF entradas ajustado. Registros do aquivo "},
      {9, "RegSaida", "REGS:KEY:CODIGO",
       {{"REGS:CDebito", 40}, {"REGS:CCredito", 40}, {"REGS:PrazoDebito", 40}, {"REGS:PrazoCredito", 40},
        {"REGS:IPIDebito", 40}, {"REGS:IPICredito", 40}, {"REGS:ICMSDebito", 40}, {"REGS:ICMSCredito", 40}},
       WriteBack::kWhenConverted, "   Ajustando lançamentos de NF saídas.",
       "   Lançamentos de NF saídas ajustado. Registros do aquivo "},
      {10, "ISS51", "ISS:KEY:NUMERO",
       {{"ISS:Debito", 40}, {"ISS:Credito", 40}, {"ISS:PrazoDebito", 40}, {"ISS:PrazoCredito", 40},
        {"ISS:IRPJDebito", 40}, {"ISS:IRPJCredito", 40}, {"ISS:INSSRFDebito", 40}, {"ISS:INSSRFCredito", 40}},
       WriteBack::kWhenConverted, "   Ajustando lançamentos de ISS modelo 51.",
       "   Lançamentos de ISS modelo 51 ajustado. Registros do aquivo "},
      {11, "ISS53", "ISS53:Key:Numero",
       {{"ISS53:Debito", 40}, {"ISS53:Credito", 40}, {"ISS53:PrazoDebito", 40}, {"ISS53:PrazoCredito", 40},
        {"ISS53:IRPJDebito", 40}, {"ISS53:IRPJCredito", 40}},
       WriteBack::kWhenConverted, "   Ajustando lançamentos de ISS modelo 53.",
       "   Lançamentos de ISS modelo 53 ajustado. Registros do aquivo "},
      {12, "ParcPagas", "ParcPg:Key:Origem_DtVenc",
       {{"PARCPG:CONTADEBITO", 40}, {"PARCPG:CONTACREDITO", 40}, {"PARCPG:DESCDEBITO", 40},
        {"PARCPG:DESCCREDITO", 40}, {"PARCPG:MULTADEBITO", 40}, {"PARCPG:MULTACREDITO", 40},
        {"PARCPG:JUROSDEBITO", 40}, {"PARCPG:JUROSCREDITO", 40}},
       WriteBack::kWhenConverted, "   Ajustando parcelas pagas.", "   Parcelas pagas ajustadas. Registros do aquivo "},
      {13, "ConfiguracaoGrupos", "CON:KEY:TIPO", {{"CON:Conta", 40}}, WriteBack::kWhenConverted,
       "   Ajustando grupos da contabilidade.", "  Grupos da contabilidade ajustado. Registros do aquivo "},
  };
  return kRoutines;
}

const std::vector<AccountField>& companyAccountFields() {
  static const std::vector<AccountField> kFields = [] {
    std::vector<AccountField> f = {{"EMP:GrupoFornecedor", 20}, {"EMP:GrupoCliente", 20},
                                   // The producers' group, like the producer accounts.
                                   {"EMP:GrupoProdutor", 20}};
    static const char* kTaxes[] = {"ICMS", "IPI", "PIS", "COFINS", "SIMPLES", "CSOCIAL", "IRPJ", "SIMPLESEST",
                                   "SUBTRIBUTARIA"};
    static std::vector<std::string> names;
    for (const char* t : kTaxes) {
      names.push_back(std::string("EMP:Credito") + t);
      names.push_back(std::string("EMP:Debito") + t);
    }
    for (const char* doc : {"Ent", "Sai", "ISS"})
      for (const char* part : {"Dup", "DupDesc", "DupMulta", "DupJuros"}) {
        names.push_back(std::string("EMP:") + doc + "Debito" + part);
        names.push_back(std::string("EMP:") + doc + "Credito" + part);
      }
    for (const auto& n : names) f.push_back({n.c_str(), 40});
    return f;
  }();
  return kFields;
}

bool convertField(Record& record, int field, int width, const chart::ConversionPlan& plan, bool* changed,
                  std::string* problem) {
  *changed = false;
  std::string_view old = record.getText(field);
  if (old.empty() || chart::isSpecialWord(old)) return true;
  std::string converted = plan.convert(old);
  std::string_view clipped = clipText(converted);
  if (static_cast<int>(clipped.size()) > width) {
    *problem = "código " + latin1ToUtf8(old) + " convertido para " + latin1ToUtf8(clipped) + " não cabe em " +
               std::to_string(width) + " caracteres de " + record.def().fields[field].name;
    return false;
  }
  if (clipped == old) return true;
  record.setText(field, clipped);
  *changed = true;
  return true;
}

std::string secondLogLine(const RoutineDef& def, int64_t total, int64_t count) {
  return std::string(def.secondLine) + std::to_string(total) + " Registros ajustados " + std::to_string(count);
}

namespace {

// Converts the routine's fields of the current record.  A code that does
// not fit leaves its field with its value (a cut code would name another
// account) and counts as a failure; the record's other fields are still
// converted, since once the company is in the new structure an old code
// left in them would be wrong too.
void convertRecord(Table& t, const std::vector<std::pair<int, int>>& fields, const RoutineContext& ctx,
                   TableOutcome& out, int* changedFields, bool* anyNotBlank) {
  *changedFields = 0;
  *anyNotBlank = false;
  for (auto [field, width] : fields) {
    if (!t.buffer().getText(field).empty()) *anyNotBlank = true;
    bool changed = false;
    std::string problem;
    if (!convertField(t.buffer(), field, width, *ctx.plan, &changed, &problem)) fail(out, t, problem);
    if (changed) ++*changedFields;
  }
}

// Tells the observer a routine starts on a file of `total` records.
void startFile(Observer* obs, const RoutineDef& def, int64_t total) {
  if (!obs) return;
  obs->fileRange(total);
  obs->filePosition(0);
  obs->logLine(def.firstLine);
}

bool shouldWrite(WriteBack wb, int changedFields, bool anyNotBlank) {
  switch (wb) {
    case WriteBack::kAlways: return true;
    case WriteBack::kWhenAnyNotBlank: return anyNotBlank;
    case WriteBack::kWhenConverted: return changedFields > 0;
  }
  return false;
}

// Rewrites the current record of `t` when the routine's rule says so.
void handleRecord(Table& t, const std::vector<std::pair<int, int>>& fields, WriteBack wb,
                  const RoutineContext& ctx, TableOutcome& out) {
  int changed = 0;
  bool anyNotBlank = false;
  convertRecord(t, fields, ctx, out, &changed, &anyNotBlank);
  if (changed > 0) {
    ++out.changedRecords;
    out.changedFields += changed;
  }
  if (ctx.dryRun || changed == 0 || !shouldWrite(wb, changed, anyNotBlank)) return;
  if (Status s = t.update(); !s) fail(out, t, "não foi possível gravar: " + statusText(s));
}

void rewriteChildren(Table& child, const Table& parent, const RoutineContext& ctx, TableOutcome& out) {
  const TableDef& cd = child.def();
  int kServ = cd.fieldIndex("CCIS:CODIGO_SERVICO"), kSub = cd.fieldIndex("CCIS:SUBCODSERVICO");
  int key = cd.keyIndex("CCIS:KEY:SERVICO_ID");
  if (kServ < 0 || kSub < 0 || key < 0) return;
  int64_t serv = parent.buffer().getInt("CTA:CODIGO");
  int64_t sub = parent.buffer().getInt("CTA:SUBCODSERVICO");
  std::vector<std::pair<int, int>> fields = {{cd.fieldIndex("CCIS:CONTA_CREDITO"), 40},
                                             {cd.fieldIndex("CCIS:CONTA_DEBITO"), 40}};
  // The rows are collected first: rewriting while walking the same key is
  // not safe in general, and a service code has only a handful of rows.
  std::vector<int64_t> ids;
  child.buffer().clear();
  child.buffer().setInt(kServ, serv);
  child.buffer().setInt(kSub, sub);
  child.seek(key);
  while (child.next()) {
    if (child.buffer().getInt(kServ) != serv || child.buffer().getInt(kSub) != sub) break;
    ids.push_back(child.buffer().recordId());
  }
  for (int64_t id : ids) {
    if (Status s = child.getById(id); !s) {
      fail(out, child, "não foi possível ler: " + statusText(s));
      continue;
    }
    handleRecord(child, fields, WriteBack::kAlways, ctx, out);
    ++out.walked;
  }
}

}  // namespace

TableOutcome rewriteTable(const RoutineDef& def, Table& table, Table* child, const RoutineContext& ctx,
                          TableOutcome* childOutcome) {
  TableOutcome out;
  out.label = def.label;
  TableOutcome childOut;
  if (child) childOut.label = child->def().label;
  Observer* obs = ctx.observer;
  auto fields = resolve(def, table.def());
  // The routine's list holds every account field of the table, the ones
  // its log lines name and the others that hold chart codes too.
  const bool companyRows = def.number == 1;
  int companyField = companyRows ? table.def().fieldIndex("CIC:CODIGO_EMPRESA") : -1;
  int walkKey = table.def().keyIndex(def.walkKey);

  if (companyRows) {
    table.buffer().clear();
    table.buffer().setInt(companyField, ctx.company);
    table.seek(walkKey);
    while (table.next() && table.buffer().getInt(companyField) == ctx.company) ++out.total;
  } else {
    Result<int64_t> n = table.count();
    out.total = n ? n.value() : 0;
  }
  startFile(obs, def, out.total);
  // The walk goes in record-number order (or by the company key for the
  // shared integration table): rewriting the very fields a key is built
  // from while walking that key could meet a record twice.
  table.buffer().clear();
  if (companyRows) {
    table.buffer().setInt(companyField, ctx.company);
    table.seek(walkKey);
  } else {
    table.seekStart(kFileOrder);
  }
  if (companyRows) {
    std::vector<int64_t> ids;
    while (table.next() && table.buffer().getInt(companyField) == ctx.company) ids.push_back(table.buffer().recordId());
    for (int64_t id : ids) {
      if (Status s = table.getById(id); !s) {
        fail(out, table, "não foi possível ler: " + statusText(s));
        continue;
      }
      handleRecord(table, fields, def.writeBack, ctx, out);
      ++out.walked;
      if (obs) obs->filePosition(out.walked);
    }
  } else {
    Status s;
    while ((s = table.next())) {
      handleRecord(table, fields, def.writeBack, ctx, out);
      if (child) rewriteChildren(*child, table, ctx, childOut);
      ++out.walked;
      if (obs && (out.walked % 256 == 0 || out.walked == out.total)) obs->filePosition(out.walked);
    }
    if (!s.is(StatusCode::kNotFound)) fail(out, table, "leitura interrompida: " + statusText(s));
  }
  if (obs) obs->logLine(secondLogLine(def, out.total, out.walked));
  if (child) {
    Result<int64_t> n = child->count();
    childOut.total = n ? n.value() : 0;
    if (childOutcome) {
      *childOutcome = std::move(childOut);
    } else {
      out.failures += childOut.failures;
      out.problems.insert(out.problems.end(), childOut.problems.begin(), childOut.problems.end());
    }
  }
  return out;
}

namespace {

// The account codes a chart holds, as stored.
std::set<std::string> storedCodes(Table& chart, int codeField) {
  std::set<std::string> out;
  if (!chart.isOpen()) return out;
  chart.seekStart(kFileOrder);
  while (chart.next()) out.insert(std::string(chart.buffer().getText(codeField)));
  chart.endWalk();
  return out;
}

// The fields of a new chart's account that follow from its code: the
// index it is listed under (a synthetic account's own code, an analytic
// one's parent's, of `parentLength` characters) and the code without dots.
void setDerivedCodes(Record& account, const std::string& code, int parentLength) {
  const TableDef& td = account.def();
  const bool synthetic = account.getInt(td.fieldIndex("SintAnali")) == chart::kSynthetic;
  account.setText(td.fieldIndex("Indice"), synthetic ? code : code.substr(0, parentLength));
  std::string dotless;
  for (char c : code)
    if (c != '.') dotless += c;
  account.setText(td.fieldIndex("Codigo_Sem_Ponto"), dotless);
}

}  // namespace

TableOutcome rebuildChart(Table& old, Table& target, const RoutineContext& ctx, bool complete) {
  const RoutineDef& def = routines()[1];
  TableOutcome out;
  out.label = def.label;
  Observer* obs = ctx.observer;
  Result<int64_t> n = old.count();
  out.total = n ? n.value() : 0;
  startFile(obs, def, out.total);
  const TableDef& td = target.def();
  const int fCodigo = td.fieldIndex("Codigo");
  const int levels = ctx.newStructure->levelCount;
  const int parentLength = levels > 1 ? chart::tamanhoNivel(*ctx.newStructure, levels - 1) : 0;
  old.buffer().clear();
  old.seekStart(old.def().keyIndex(def.walkKey));
  int64_t read = 0;
  // New codes seen so far: a dry run writes nothing, yet must report the
  // accounts that would collide.
  std::set<std::string> codes;
  const std::set<std::string> present = complete ? storedCodes(target, fCodigo) : std::set<std::string>();
  Status s;
  while ((s = old.next())) {
    ++read;
    // Same layout: every field of the old account is carried over.
    target.buffer().cells() = old.buffer().cells();
    target.buffer().markAllDirty();
    bool changed = false;
    std::string problem;
    if (!convertField(target.buffer(), fCodigo, 40, *ctx.plan, &changed, &problem)) {
      fail(out, old, problem);
      continue;
    }
    std::string code(target.buffer().getText(fCodigo));
    if (present.count(code) != 0) {  // already in the completed chart
      if (obs && (read % 256 == 0 || read == out.total)) obs->filePosition(read);
      continue;
    }
    if (!codes.insert(code).second) {
      fail(out, old, "conta " + latin1ToUtf8(code) + " colide com outra conta já incluída");
      continue;
    }
    setDerivedCodes(target.buffer(), code, parentLength);
    if (changed) {
      ++out.changedRecords;
      ++out.changedFields;
    }
    if (!ctx.dryRun) {
      if (Status a = target.append(); !a) {
        fail(out, old,
             a.is(StatusCode::kDuplicateKey) ? "conta " + latin1ToUtf8(code) + " colide com outra conta já incluída"
                                             : "não foi possível incluir: " + statusText(a));
        continue;
      }
    }
    if (obs && (read % 256 == 0 || read == out.total)) obs->filePosition(read);
  }
  if (!s.is(StatusCode::kNotFound)) fail(out, old, "leitura interrompida: " + statusText(s));
  if (ctx.dryRun) {
    out.walked = read - out.failures;
  } else {
    Result<int64_t> m = target.count();
    out.walked = m ? m.value() : 0;
  }
  if (obs) obs->logLine(secondLogLine(def, out.total, out.walked));
  return out;
}

}  // namespace vorlam::adjust
