// Checks the sample data root as written on disk: read back through the
// dictionary's declarations, not through the generator's own plan.
#include "sampledata/demo_data.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>
#include <set>
#include <sstream>

#include "dictionary/field_rules.h"
#include "registry/taxpayer_numbers.h"
#include "storage/table.h"
#include "storage/test_util.h"
#include "storage/text.h"
#include "utilities/csv_export.h"
#include "utilities/data_root.h"
#include "sampledata/reference_data.h"
#include "sampledata/taxpayer_ids.h"

namespace vorlam::sampledata {
namespace {

using utilities::bindingsFor;
using utilities::exportCsv;

namespace fs = std::filesystem;

constexpr uint64_t kSeed = 7;

struct GeneratedRoot {
  DemoSummary summary;
  std::map<std::string, const TableDef*> files;  // absolute path -> declaration
};

class DemoRootTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    tmp_ = new testing::TempDir;
    dict_ = buildDictionary();
    first_ = new GeneratedRoot(generate("a", kSeed));
    twin_ = new GeneratedRoot(generate("b", kSeed));
    other_ = new GeneratedRoot(generate("c", kSeed + 1));
  }
  static void TearDownTestSuite() {
    delete first_;
    delete twin_;
    delete other_;
    delete tmp_;
    dict_.reset();
  }

  // Five companies cover every company profile of the generator (shared and
  // own charts, a chart change in the last year, registration by CPF,
  // branches).
  static GeneratedRoot generate(const std::string& dir, uint64_t seed) {
    DemoOptions o;
    o.root = tmp_->file(dir);
    o.companies = 5;
    o.entries = 60;
    o.years = {2023, 2024};
    o.seed = seed;
    Result<DemoSummary> r = generateDemo(o);
    EXPECT_TRUE(r.isOk()) << r.status().toString();
    GeneratedRoot g;
    g.summary = *r;
    collect(g, 0, 0);
    for (const DemoCompany& c : g.summary.companies) {
      for (int y : g.summary.years) collect(g, c.codigo, y);
      // The following year holds the settlements of payments made in it.
      collect(g, c.codigo, g.summary.years.back() + 1);
    }
    return g;
  }

  // Every existing file bound for the company and year, by declaration
  // (aliases left out: they read the same files).
  static void collect(GeneratedRoot& g, uint16_t company, int year) {
    Result<shell::BindingMap> names = bindingsFor(*dict_, g.summary.root, company, year);
    ASSERT_TRUE(names.isOk());
    for (const TableDef& t : dict_->tables()) {
      if (!t.copies.empty() || t.binding.empty()) continue;
      auto it = names->find(t.binding);
      if (it != names->end() && fs::exists(it->second)) g.files[it->second] = &t;
    }
  }

  static shell::BindingMap names(uint16_t company, int year) {
    Result<shell::BindingMap> n = bindingsFor(*dict_, first_->summary.root, company, year);
    EXPECT_TRUE(n.isOk());
    return *n;
  }

  // Calls `fn` with every record of the file, in file order.
  static void eachRecord(const TableDef* def, const std::string& path,
                         const std::function<void(const Record&)>& fn) {
    Table t(def);
    ASSERT_TRUE(t.open(path, OpenMode::kReadOnly)) << path;
    ASSERT_TRUE(t.seekStart(kFileOrder));
    while (true) {
      Status s = t.next();
      if (s.is(StatusCode::kNotFound)) break;
      ASSERT_TRUE(s.isOk()) << s.toString();
      fn(t.buffer());
    }
  }
  static void eachRecord(const char* label, const shell::BindingMap& n,
                         const std::function<void(const Record&)>& fn) {
    const TableDef* def = dict_->find(label);
    auto it = n.find(def->binding);
    ASSERT_NE(it, n.end()) << label;
    eachRecord(def, it->second, fn);
  }

  static std::string csvOf(const TableDef* def, const std::string& path) {
    Table t(def);
    EXPECT_TRUE(t.open(path, OpenMode::kReadOnly)) << path;
    std::ostringstream out;
    EXPECT_TRUE(exportCsv(t, out));
    return out.str();
  }

  static std::string text(const Record& r, const char* field) { return std::string(r.getText(field)); }

  static testing::TempDir* tmp_;
  static std::shared_ptr<const Dictionary> dict_;
  static GeneratedRoot *first_, *twin_, *other_;
};

testing::TempDir* DemoRootTest::tmp_ = nullptr;
std::shared_ptr<const Dictionary> DemoRootTest::dict_;
GeneratedRoot* DemoRootTest::first_ = nullptr;
GeneratedRoot* DemoRootTest::twin_ = nullptr;
GeneratedRoot* DemoRootTest::other_ = nullptr;

TEST_F(DemoRootTest, EveryFileWrittenIsATableOfTheRoot) {
  size_t dat = 0;
  for (const auto& e : fs::recursive_directory_iterator(first_->summary.root)) {
    if (e.path().extension() != ".dat") continue;
    ++dat;
    EXPECT_EQ(first_->files.count(e.path().string()), 1u) << e.path();
  }
  EXPECT_EQ(dat, first_->files.size());
  int64_t records = 0;
  for (const auto& [path, def] : first_->files) eachRecord(def, path, [&](const Record&) { ++records; });
  EXPECT_EQ(records, first_->summary.records);
}

TEST_F(DemoRootTest, SameSeedGivesTheSameRecords) {
  const std::string& a = first_->summary.root;
  const std::string& b = twin_->summary.root;
  ASSERT_EQ(first_->files.size(), twin_->files.size());
  for (const auto& [path, def] : first_->files) {
    std::string twinPath = b + path.substr(a.size());
    ASSERT_EQ(twin_->files.count(twinPath), 1u) << twinPath;
    EXPECT_EQ(csvOf(def, path), csvOf(def, twinPath)) << path.substr(a.size());
  }
  // A different seed changes the data (so the comparison above has teeth).
  int differing = 0;
  for (const auto& [path, def] : first_->files) {
    std::string otherPath = other_->summary.root + path.substr(a.size());
    if (other_->files.count(otherPath) && csvOf(def, path) != csvOf(def, otherPath)) ++differing;
  }
  EXPECT_GT(differing, 0);
}

TEST_F(DemoRootTest, EveryRecordPassesTheFieldRules) {
  for (const auto& [path, def] : first_->files) {
    eachRecord(def, path, [&](const Record& r) {
      FieldCheck c = checkRecord(r);
      EXPECT_TRUE(c.valid) << def->label << " " << path << ": " << c.name << " " << c.detail;
    });
  }
}

TEST_F(DemoRootTest, TaxpayerNumbersCarryValidCheckDigits) {
  shell::BindingMap shared = names(0, 0);
  std::map<int64_t, std::string> cnpjOf;
  eachRecord("Empresa", shared, [&](const Record& r) {
    int64_t codigo = r.getInt("EMP:Codigo");
    if (r.getInt("EMP:TipoInscEscrita") == 2) {
      EXPECT_TRUE(validCpf(text(r, "EMP:CPF"))) << codigo << " " << text(r, "EMP:CPF");
      EXPECT_EQ(text(r, "EMP:CGC"), "");
    } else {
      EXPECT_TRUE(validCnpj(text(r, "EMP:CGC"))) << codigo << " " << text(r, "EMP:CGC");
      cnpjOf[codigo] = text(r, "EMP:CGC");
    }
  });
  std::set<std::string> distinct;
  for (const auto& [codigo, cnpj] : cnpjOf) EXPECT_TRUE(distinct.insert(cnpj).second) << codigo << " " << cnpj;
  int branches = 0;
  eachRecord("Filiais", shared, [&](const Record& r) {
    ++branches;
    std::string head = cnpjOf[r.getInt("Filiais:Matriz")], branch = cnpjOf[r.getInt("Filiais:Filial")];
    // Establishments of one company share the first eight digits.
    EXPECT_EQ(head.substr(0, 8), branch.substr(0, 8)) << head << " " << branch;
    EXPECT_NE(head.substr(8, 4), branch.substr(8, 4));
  });
  EXPECT_EQ(branches, 2);

  auto validNumber = [](const std::string& n) { return n.size() == 14 ? validCnpj(n) : validCpf(n); };
  for (const DemoCompany& c : first_->summary.companies) {
    for (int y : first_->summary.years) {
      shell::BindingMap n = names(c.codigo, y);
      int alphanumeric = 0;
      eachRecord("ForCli", n, [&](const Record& r) {
        bool person = r.getInt("FOR:TipoInscricao") == 2;
        std::string number = text(r, person ? "FOR:CPF" : "FOR:CGC");
        if (!person && registry::isAlphanumericCnpj(number)) {
          ++alphanumeric;
          EXPECT_TRUE(registry::ValidaCNPJ(number)) << number;
          EXPECT_EQ(number.size(), 14u);
          EXPECT_FALSE(text(r, "FOR:ContaFornecedor").empty());
          return;
        }
        EXPECT_TRUE(person ? validCpf(number) : validCnpj(number)) << number;
      });
      EXPECT_EQ(alphanumeric, 1) << c.codigo << "/" << y;  // one supplier of each file
      for (auto [label, field] : {std::pair{"RegEntrada", "REG:Inscricao"}, {"RegSaida", "REGS:Inscricao"},
                                  {"ISS51", "ISS:Inscricao"}, {"ISS53", "ISS53:Inscricao"}}) {
        eachRecord(label, n, [&](const Record& r) { EXPECT_TRUE(validNumber(text(r, field))) << label; });
      }
    }
  }
}

TEST_F(DemoRootTest, RegistryHoldsTheOfficialCnaeBranchesAndHistory) {
  shell::BindingMap shared = names(0, 0);
  std::map<int64_t, std::string> cnae;
  eachRecord("CNAE", shared, [&](const Record& r) { cnae[r.getInt("CNAE:CODIGO")] = text(r, "CNAE:Descricao"); });
  EXPECT_EQ(cnae.size(), 1332u);
  EXPECT_EQ(cnae[6201501], utf8ToLatin1("Desenvolvimento de programas de computador sob encomenda"));
  EXPECT_EQ(cnae[4711301], utf8ToLatin1("Comércio varejista de mercadorias em geral, com predominância de produtos "
                                        "alimentícios - hipermercados"));
  eachRecord("Empresa", shared, [&](const Record& r) {
    EXPECT_EQ(cnae.count(r.getInt("EMP:CNAE")), 1u) << r.getInt("EMP:Codigo") << " " << r.getInt("EMP:CNAE");
  });

  std::set<int64_t> unified;
  eachRecord("Filiais", shared, [&](const Record& r) { unified.insert(r.getInt("Filiais:Contabilidade") != 0); });
  EXPECT_EQ(unified, (std::set<int64_t>{0, 1}));  // branches with and without unified accounting

  std::map<int64_t, std::set<int64_t>> references;
  eachRecord("Contas_Integracao_Contabil", shared, [&](const Record& r) {
    references[r.getInt("CIC:CODIGO_EMPRESA")].insert(r.getInt("CIC:CODIGO_REFERENCIA"));
    EXPECT_FALSE(text(r, "CIC:CONTA_DEBITO").empty());
    EXPECT_NE(r.getInt("CIC:HISTORICO"), 0);
  });
  EXPECT_EQ(references.size(), first_->summary.companies.size());
  for (const auto& [company, refs] : references) EXPECT_EQ(refs.size(), 30u) << company;

  std::set<int64_t> changes;
  eachRecord("AltContratuais", shared, [&](const Record& r) {
    changes.insert(r.getInt("ALTCONT:CODALT"));
    if (r.getInt("ALTCONT:CODALT") == 9) {
      EXPECT_EQ(text(r, "ALTCONT:OBS"), utf8ToLatin1("1-SIMPLES Normal. Conteúdo anterior"));
    }
  });
  EXPECT_EQ(changes, (std::set<int64_t>{3, 9, 38, 39, 40, 41}));

  // Every company's accounting answers to one of its responsible persons.
  std::map<int64_t, int64_t> responsible;
  eachRecord("Empresa", shared, [&](const Record& r) { responsible[r.getInt("EMP:Codigo")] = r.getInt("EMP:CodRespCTB"); });
  for (const DemoCompany& c : first_->summary.companies) {
    std::set<int64_t> people;
    eachRecord("Funcionarios", names(c.codigo, first_->summary.years.back()),
               [&](const Record& r) { people.insert(r.getInt("FUN:CODIGO")); });
    EXPECT_EQ(people.size(), 3u) << c.codigo;
    EXPECT_EQ(people.count(responsible[c.codigo]), 1u) << c.codigo;
  }
}

// Descriptions cut to their field end at a word of the official text.
void expectCutAtWord(const std::string& stored, const std::string& official, size_t width) {
  std::string full = utf8ToLatin1(official);
  EXPECT_LE(stored.size(), width) << stored;
  ASSERT_EQ(full.compare(0, stored.size(), stored), 0) << stored << " | " << full;
  if (stored.size() < full.size()) {
    EXPECT_GT(full.size(), width) << "cut although it fits: " << full;
    EXPECT_NE(std::string(" ,;:-").find(full[stored.size()]), std::string::npos) << stored;
  }
}

TEST_F(DemoRootTest, CfopAndServiceCodesComeFromTheOfficialLists) {
  for (const DemoCompany& c : first_->summary.companies) {
    shell::BindingMap n = names(c.codigo, 2024);
    std::string uf;
    eachRecord("Empresa", names(0, 0), [&](const Record& r) {
      if (r.getInt("EMP:Codigo") == c.codigo) uf = text(r, "EMP:UF");
    });
    std::map<int64_t, std::string> ofState;
    int configured = 0;
    eachRecord("CFO", n, [&](const Record& r) {
      if (text(r, "CFO:ESTADO") != uf) return;
      ofState[r.getInt("CFO:Codigo")] = text(r, "CFO:Descricao");
      EXPECT_NE(r.getInt("CFO:INFAPUR"), 0) << r.getInt("CFO:Codigo");
      if (!text(r, "CFO:CONTADEBITOPRAZO").empty()) ++configured;
    });
    ASSERT_EQ(ofState.size(), cfopCatalogue().size()) << c.codigo << " " << uf;
    for (const CfopEntry& e : cfopCatalogue()) expectCutAtWord(ofState[e.code], e.description, 100);
    EXPECT_EQ(ofState[5102], utf8ToLatin1("Venda de mercadoria adquirida ou recebida de terceiros"));
    EXPECT_GT(configured, 10);

    using Key = std::pair<int64_t, int64_t>;
    std::map<Key, std::string> services;
    eachRecord("CtaISS", n, [&](const Record& r) {
      services[{r.getInt("CTA:CODIGO"), r.getInt("CTA:SUBCODSERVICO")}] = text(r, "CTA:DESCRICAO");
    });
    EXPECT_EQ(services.size(), serviceCatalogue().size() + 1);  // and the sub-code 7.02/1 the books use
    for (const ServiceEntry& e : serviceCatalogue()) expectCutAtWord(services[Key(e.code, 0)], e.description, 40);
    EXPECT_EQ(services[Key(107, 0)], utf8ToLatin1("Suporte técnico em informática"));
  }
}

TEST_F(DemoRootTest, EachJournalBalancesAndMatchesItsReconciliation) {
  for (const DemoCompany& c : first_->summary.companies) {
    for (int y : first_->summary.years) {
      shell::BindingMap n = names(c.codigo, y);
      int64_t debit = 0, credit = 0, lines = 0;
      std::map<std::string, std::pair<int64_t, int64_t>> byAccount;
      eachRecord("Diario", n, [&](const Record& r) {
        ++lines;
        int64_t d = r.getDecimal("DIA:ValorDebito").units(), k = r.getDecimal("DIA:ValorCredito").units();
        debit += d;
        credit += k;
        if (d != 0) byAccount[text(r, "DIA:ContaDebito")].first += d;
        if (k != 0) byAccount[text(r, "DIA:ContaCredito")].second += k;
      });
      EXPECT_EQ(lines, 60) << c.codigo << "/" << y;
      EXPECT_GT(debit, 0);
      EXPECT_EQ(debit, credit) << c.codigo << "/" << y;
      size_t accounts = 0;
      eachRecord("Conciliacao", n, [&](const Record& r) {
        ++accounts;
        const auto& totals = byAccount[text(r, "CONC:CONTA")];
        EXPECT_EQ(r.getDecimal("CONC:VALORDEBITOFECHA", 11).units(), totals.first) << text(r, "CONC:CONTA");
        EXPECT_EQ(r.getDecimal("CONC:VALORCREDITOFECHA", 11).units(), totals.second) << text(r, "CONC:CONTA");
      });
      EXPECT_EQ(accounts, byAccount.size());
    }
  }
}

TEST_F(DemoRootTest, EveryAnalyticAccountHasItsSyntheticParents) {
  std::map<int, int> levels;  // structure -> level count
  eachRecord("ConfPlanoContas", names(0, 0), [&](const Record& r) {
    levels[static_cast<int>(r.getInt("CONP:Codigo"))] = static_cast<int>(r.getInt("CONP:Graus"));
  });
  std::set<int> structuresSeen;
  for (const auto& [path, def] : first_->files) {
    if (def->label != "PlanoContas") continue;
    std::string stem = fs::path(path).stem().string();  // "PlCon003"
    int structure = std::stoi(stem.substr(5));
    ASSERT_EQ(levels.count(structure), 1u) << path;
    structuresSeen.insert(structure);
    std::map<std::string, int64_t> kind;  // code -> PLA:SintAnali
    eachRecord(def, path, [&](const Record& r) { kind[text(r, "PLA:Codigo")] = r.getInt("PLA:SintAnali"); });
    int analytic = 0;
    for (const auto& [code, k] : kind) {
      int pieces = 1 + static_cast<int>(std::count(code.begin(), code.end(), '.'));
      if (k == 1) {
        EXPECT_LT(pieces, levels[structure]) << path << " " << code;
        continue;
      }
      ++analytic;
      EXPECT_EQ(pieces, levels[structure]) << path << " " << code;
      for (size_t dot = code.find('.'); dot != std::string::npos; dot = code.find('.', dot + 1)) {
        auto parent = kind.find(code.substr(0, dot));
        ASSERT_NE(parent, kind.end()) << path << " " << code << " without " << code.substr(0, dot);
        EXPECT_EQ(parent->second, 1) << path << " " << parent->first;
      }
    }
    EXPECT_GT(analytic, 0) << path;
  }
  EXPECT_EQ(structuresSeen, (std::set<int>{1, 2, 3, 4}));
}

TEST_F(DemoRootTest, InstalmentsOfAnInvoiceStayWithinItsTotal) {
  struct Pairing {
    const char* invoice;
    const char* total;
    const char* cash;
    const char* instalments;
    const char* value;
  };
  const Pairing pairings[] = {
      {"RegEntrada", "REG:ValorContabil", "REG:Vista", "ParcRegEntrada", "PREntr:Valor"},
      {"RegSaida", "REGS:ValorContabil", "REGS:Vista", "ParcRegSaida", "PRSaid:Valor"},
      {"ISS51", "ISS:ValorNota", "ISS:Vista", "ParcRegISS51", "PRISS51:Valor"},
      {"ISS53", "ISS53:ValorNota", "ISS53:Vista", "ParcRegISS53", "PRISS53:Valor"},
  };
  int withInstalments = 0;
  for (const Pairing& p : pairings) {
    const RelationDef* rel = nullptr;
    for (const RelationDef* r : dict_->childRelations(p.invoice))
      if (r->child == p.instalments) rel = r;
    ASSERT_NE(rel, nullptr) << p.invoice;
    auto linkOf = [](const Record& r, const std::vector<int>& fields) {
      std::string k;
      for (int f : fields) k += r.getAsText(f) + '\x1f';
      return k;
    };
    for (const DemoCompany& c : first_->summary.companies) {
      for (int y : first_->summary.years) {
        shell::BindingMap n = names(c.codigo, y);
        // An invoice may have several register lines: their totals and
        // cash parts add up.
        std::map<std::string, std::pair<int64_t, int64_t>> invoices;  // link -> total, cash part
        eachRecord(p.invoice, n, [&](const Record& r) {
          std::pair<int64_t, int64_t>& sum = invoices[linkOf(r, rel->parentFields)];
          sum.first += r.getDecimal(p.total).units();
          sum.second += r.getDecimal(p.cash).units();
        });
        std::map<std::string, int64_t> sums;
        eachRecord(p.instalments, n, [&](const Record& r) {
          std::string link = linkOf(r, rel->childFields);
          EXPECT_EQ(invoices.count(link), 1u) << p.instalments << " without its invoice";
          int64_t v = r.getDecimal(p.value).units();
          EXPECT_GT(v, 0) << p.instalments;
          sums[link] += v;
        });
        for (const auto& [link, sum] : sums) {
          ++withInstalments;
          EXPECT_LE(sum, invoices[link].first) << p.instalments << " " << c.codigo << "/" << y;
        }
        for (const auto& [link, invoice] : invoices)
          EXPECT_EQ(invoice.second + sums[link], invoice.first) << p.invoice << ": cash part + instalments";
      }
    }
  }
  EXPECT_GT(withInstalments, 0);
}

}  // namespace
}  // namespace vorlam::sampledata
