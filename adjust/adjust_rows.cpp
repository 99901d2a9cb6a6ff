#include "adjust/adjust_rows.h"

#include <sstream>

#include "adjust/file_routines.h"
#include "adjust/adjust_plan.h"
#include "shell/company_files.h"
#include "storage/date.h"
#include "storage/table.h"
#include "storage/text.h"

namespace vorlam::adjust {
namespace {

std::string hex(const std::string& s) {
  static const char* kDigits = "0123456789abcdef";
  std::string out = "x";  // never empty, so the stream reads one token
  for (unsigned char c : s) {
    out += kDigits[c >> 4];
    out += kDigits[c & 15];
  }
  return out;
}

bool unhex(const std::string& token, std::string* out) {
  if (token.empty() || token[0] != 'x' || token.size() % 2 == 0) return false;
  out->clear();
  auto val = [](char c) { return c >= 'a' ? c - 'a' + 10 : c - '0'; };
  for (size_t i = 1; i + 1 < token.size(); i += 2) out->push_back(static_cast<char>(val(token[i]) * 16 + val(token[i + 1])));
  return true;
}

// Rows written inside a file's transaction: told once it is committed, so
// that a transaction that fails reports nothing it did not keep.
class HeldWrites : public WriteListener {
 public:
  explicit HeldWrites(WriteListener* to) : to_(to) {}
  void written(const std::string& table, WriteKind kind, const std::string& key) override {
    if (to_) held_.push_back({table, kind, key});
  }
  // The transaction is committed: tell the rows held.
  void release() {
    for (const Held& h : held_) to_->written(h.table, h.kind, h.key);
    held_.clear();
  }

 private:
  struct Held {
    std::string table;
    WriteKind kind;
    std::string key;
  };
  WriteListener* to_;
  std::vector<Held> held_;
};

struct Files {
  Table emp, alt, cic;
  explicit Files(const Dictionary& dict)
      : emp(dict.find("Empresa")), alt(dict.find("AltContratuais")), cic(dict.find("Contas_Integracao_Contabil")) {}
  Status open(const shell::AppState& state) {
    for (Table* t : {&emp, &alt, &cic})
      if (Status s = t->open(state.pathFor(t->def().binding)); !s) return s;
    return Status::ok();
  }
  Status readCompany(uint16_t code) {
    emp.buffer().setInt("Codigo", code);
    return emp.get(emp.def().keyIndex("EMP:KEY:CODIGO"));
  }
  Status readHistory(uint16_t code, uint16_t year) {
    alt.buffer().clear();
    alt.buffer().setInt("CODIGO", code);
    alt.buffer().setInt("CODALT", shell::kChangeCodigoPlano);
    alt.buffer().setInt("DATA", *toDayNumber(year, 1, 1));
    return alt.get(alt.def().keyIndex("AltCont:Key:Codigo"));
  }
};

Status integrationRows(Table& cic, uint16_t code, std::vector<SavedRows::Company::Row>* out) {
  int fCompany = cic.def().fieldIndex("CIC:CODIGO_EMPRESA");
  cic.buffer().clear();
  cic.buffer().setInt(fCompany, code);
  if (Status s = cic.seek(cic.def().keyIndex("CIC:KEY:CODIGO_EMPRESA_REFERENCIA")); !s) return s;
  Status s;
  while ((s = cic.next()) && cic.buffer().getInt(fCompany) == code)
    out->push_back({cic.buffer().recordId(), std::string(cic.buffer().getText("CONTA_DEBITO")),
                    std::string(cic.buffer().getText("CONTA_CREDITO"))});
  cic.endWalk();
  return s || s.is(StatusCode::kNotFound) ? Status::ok() : s;
}

}  // namespace

std::string savedRowsPath(const std::string& workDir) { return workDir + "/registros_anteriores.txt"; }

Result<SavedRows> captureRows(const Dictionary& dict, const shell::AppState& state,
                              const std::vector<std::pair<uint16_t, uint16_t>>& companies, uint16_t newStructure,
                              uint16_t year) {
  Files f(dict);
  if (Status s = f.open(state); !s) return s;
  SavedRows rows;
  rows.newStructure = newStructure;
  rows.year = year;
  for (auto [code, oldStructure] : companies) {
    SavedRows::Company c;
    c.code = code;
    c.oldStructure = oldStructure;
    if (Status s = f.readCompany(code); !s) return s;
    c.recordStructure = f.emp.buffer().getInt("CodigoPlanoContas");
    for (const AccountField& a : companyAccountFields())
      if (f.emp.def().fieldIndex(a.name) >= 0) c.fields.emplace_back(a.name, std::string(f.emp.buffer().getText(a.name)));
    Status h = f.readHistory(code, year);
    if (!h && !h.is(StatusCode::kNotFound)) return h;
    c.historyExisted = static_cast<bool>(h);
    Result<std::string> prop = f.cic.property(structurePropertyOf(1, code));
    if (!prop) return prop.status();
    c.integrationProperty = prop.value();
    if (Status s = integrationRows(f.cic, code, &c.integration); !s) return s;
    rows.companies.push_back(std::move(c));
  }
  return rows;
}

Status saveRows(const SavedRows& rows, const std::string& workDir, const FileSetIo& io) {
  std::ostringstream o;
  o << "ajuste " << rows.newStructure << " " << rows.year << "\n";
  for (const auto& c : rows.companies) {
    o << "empresa " << c.code << " " << c.oldStructure << " " << c.recordStructure << " " << c.historyExisted << " "
      << hex(c.integrationProperty) << "\n";
    for (const auto& [name, value] : c.fields) o << "campo " << hex(name) << " " << hex(value) << "\n";
    for (const auto& r : c.integration) o << "integracao " << r.id << " " << hex(r.debit) << " " << hex(r.credit) << "\n";
  }
  o << "fim\n";
  return io.writeDurably(savedRowsPath(workDir), o.str());
}

Result<SavedRows> loadRows(const std::string& workDir) {
  Result<std::string> text = readWholeFile(savedRowsPath(workDir));
  if (!text) return text.status();
  std::istringstream in(text.value());
  SavedRows rows;
  std::string word;
  bool ended = false;
  auto bad = [&] { return Status(StatusCode::kCorrupt, "registro de empresas do ajuste ilegível", savedRowsPath(workDir)); };
  while (in >> word) {
    if (word == "ajuste") {
      if (!(in >> rows.newStructure >> rows.year)) return bad();
    } else if (word == "empresa") {
      SavedRows::Company c;
      std::string prop;
      if (!(in >> c.code >> c.oldStructure >> c.recordStructure >> c.historyExisted >> prop) ||
          !unhex(prop, &c.integrationProperty))
        return bad();
      rows.companies.push_back(std::move(c));
    } else if (word == "campo" && !rows.companies.empty()) {
      std::string a, b, name, value;
      if (!(in >> a >> b) || !unhex(a, &name) || !unhex(b, &value)) return bad();
      rows.companies.back().fields.emplace_back(name, value);
    } else if (word == "integracao" && !rows.companies.empty()) {
      SavedRows::Company::Row r;
      std::string a, b;
      if (!(in >> r.id >> a >> b) || !unhex(a, &r.debit) || !unhex(b, &r.credit)) return bad();
      rows.companies.back().integration.push_back(std::move(r));
    } else if (word == "fim") {
      ended = true;
    } else {
      return bad();
    }
  }
  if (!ended) return bad();  // written durably in one piece: a partial file is not ours
  return rows;
}

Status applyRows(const Dictionary& dict, const shell::AppState& state, const SavedRows& rows,
                 const std::map<uint16_t, chart::ConversionPlan>& plans, WriteListener* writes) {
  Files f(dict);
  if (Status s = f.open(state); !s) return s;
  const std::string newCode = std::to_string(rows.newStructure);
  HeldWrites integration(writes);
  // Integration rows of every company in one transaction.
  if (Status s = f.cic.beginBulk(); !s) return s;
  for (const auto& c : rows.companies) {
    auto plan = plans.find(c.oldStructure);
    if (plan == plans.end()) return Status(StatusCode::kInvalidArgument, "estrutura sem conversão");
    for (const auto& r : c.integration) {
      if (Status s = f.cic.getById(r.id); !s) return s;
      for (const char* field : {"CONTA_DEBITO", "CONTA_CREDITO"}) {
        bool changed = false;
        std::string problem;
        if (!convertField(f.cic.buffer(), f.cic.def().fieldIndex(field), 40, plan->second, &changed, &problem))
          return Status(StatusCode::kInvalidArgument, problem);
      }
      if (Status s = f.cic.update(); !s) return s;
      reportWrite(&integration, f.cic.buffer(), WriteKind::kChange);
    }
    if (Status s = f.cic.setProperty(structurePropertyOf(1, c.code), newCode); !s) return s;
  }
  if (Status s = f.cic.flush(); !s) return s;
  integration.release();
  // History: the structure in force before 1 January of the year.  A row of
  // that date keeps its observation: it already says what came before.
  for (const auto& c : rows.companies) {
    Status h = f.readHistory(c.code, rows.year);
    if (h) continue;
    if (!h.is(StatusCode::kNotFound)) return h;
    f.alt.buffer().setText("OBS", shell::zeroPadded(c.oldStructure, 3) + " . " + utf8ToLatin1("Conteúdo anterior"));
    if (Status s = f.alt.insert(); !s) return s;
    reportWrite(writes, f.alt.buffer(), WriteKind::kInsert);
  }
  for (const auto& c : rows.companies) {
    const chart::ConversionPlan& plan = plans.at(c.oldStructure);
    Status s = Status(StatusCode::kChangedByOther, "");
    for (int attempt = 0; attempt < 3 && s.is(StatusCode::kChangedByOther); ++attempt) {
      if (Status r = f.readCompany(c.code); !r) return r;
      for (const AccountField& a : companyAccountFields()) {
        int idx = f.emp.def().fieldIndex(a.name);
        bool changed = false;
        std::string problem;
        if (idx >= 0 && !convertField(f.emp.buffer(), idx, a.width, plan, &changed, &problem))
          return Status(StatusCode::kInvalidArgument, problem);
      }
      f.emp.buffer().setInt("CodigoPlanoContas", rows.newStructure);
      s = f.emp.update();
    }
    if (!s) return s;
    reportWrite(writes, f.emp.buffer(), WriteKind::kChange);
  }
  return Status::ok();
}

Status undoRows(const Dictionary& dict, const shell::AppState& state, const SavedRows& rows,
                WriteListener* writes) {
  Files f(dict);
  if (Status s = f.open(state); !s) return s;
  HeldWrites integration(writes);
  for (const auto& c : rows.companies) {
    Status s = Status(StatusCode::kChangedByOther, "");
    for (int attempt = 0; attempt < 3 && s.is(StatusCode::kChangedByOther); ++attempt) {
      if (Status r = f.readCompany(c.code); !r) return r;
      for (const auto& [name, value] : c.fields) f.emp.buffer().setText(name, value);
      f.emp.buffer().setInt("CodigoPlanoContas", c.recordStructure);
      s = f.emp.update();
    }
    if (!s) return s;
    reportWrite(writes, f.emp.buffer(), WriteKind::kChange);
    if (!c.historyExisted) {
      Status h = f.readHistory(c.code, rows.year);
      if (h) {
        if (Status e = f.alt.erase(); !e) return e;
        reportWrite(writes, f.alt.buffer(), WriteKind::kDelete);
      } else if (!h.is(StatusCode::kNotFound)) {
        return h;
      }
    }
  }
  if (Status s = f.cic.beginBulk(); !s) return s;
  for (const auto& c : rows.companies) {
    for (const auto& r : c.integration) {
      Status g = f.cic.getById(r.id);
      if (g.is(StatusCode::kNotFound)) continue;  // deleted since: nothing to put back
      if (!g) return g;
      f.cic.buffer().setText("CONTA_DEBITO", r.debit);
      f.cic.buffer().setText("CONTA_CREDITO", r.credit);
      if (Status s = f.cic.update(); !s) return s;
      reportWrite(&integration, f.cic.buffer(), WriteKind::kChange);
    }
    if (Status s = f.cic.setProperty(structurePropertyOf(1, c.code), c.integrationProperty); !s) return s;
  }
  if (Status s = f.cic.flush(); !s) return s;
  integration.release();
  return Status::ok();
}

}  // namespace vorlam::adjust
