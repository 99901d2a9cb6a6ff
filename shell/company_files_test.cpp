#include "shell/company_files.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <set>
#include <thread>

#include "dictionary/dictionary.h"
#include "shell/startup.h"
#include "storage/date.h"
#include "storage/test_util.h"

namespace vorlam::shell {
namespace {

constexpr char S = kPathSeparator;

const Dictionary& dictionary() {
  static const std::shared_ptr<const Dictionary> kDictionary = buildDictionary();
  return *kDictionary;
}

int32_t day(int y, int m, int d) { return *toDayNumber(y, m, d); }

class CompanyFilesTest : public ::testing::Test {
 protected:
  CompanyFilesTest()
      : empresa_(*dictionary().find("Empresa")),
        history_(*dictionary().find("AltContratuais")),
        state_(startUp(tmp_.path() + S + "TRABALHO" + S + "SIS", nullptr)),
        files_(&empresa_, &history_) {
    root_ = state_->dataRoot();
  }

  void addChange(uint16_t company, int code, int32_t date, const std::string& obs) {
    Table t(&history_);
    ASSERT_TRUE(t.open(state_->pathFor(kAltContratuaisFile)).isOk());
    Record& b = t.buffer();
    b.clear();
    b.setInt("ALTCONT:CODIGO", company);
    b.setInt("ALTCONT:CODALT", code);
    b.setInt("ALTCONT:DATA", date);
    b.setText("ALTCONT:OBS", obs);
    ASSERT_TRUE(t.insert().isOk());
  }

  void addCompany(uint16_t code, int plContas, int plano, int tipoFornecedor) {
    Table t(&empresa_);
    ASSERT_TRUE(t.open(state_->pathFor(kEmpresaFile)).isOk());
    Record& b = t.buffer();
    b.clear();
    b.setInt("EMP:Codigo", code);
    b.setText("Emp:RazaoSocial", "Empresa Teste");
    b.setInt("EMP:PLContas", plContas);
    b.setInt("EMP:CodigoPlanoContas", plano);
    b.setInt("EMP:TipoFornecedor", tipoFornecedor);
    ASSERT_TRUE(t.append().isOk());
  }

  // Opens the history on its bound file (created empty if missing).
  std::unique_ptr<Table> history() {
    auto t = std::make_unique<Table>(&history_);
    EXPECT_TRUE(t->open(state_->pathFor(kAltContratuaisFile)).isOk());
    return t;
  }

  static CurrentCompany company(uint16_t code, int plContas, int plano, int ano, int mes) {
    CurrentCompany c;
    c.codigo = code;
    c.plContas = plContas;
    c.codPlanoContas = static_cast<uint16_t>(plano);
    c.ano = static_cast<uint16_t>(ano);
    c.mes = mes;
    return c;
  }

  std::string under(const std::string& rel) const { return root_ + rel; }
  static std::string p(std::initializer_list<const char*> parts) {
    std::string out;
    for (const char* part : parts) {
      if (!out.empty()) out += S;
      out += part;
    }
    return out;
  }

  testing::TempDir tmp_;
  const TableDef& empresa_;
  const TableDef& history_;
  std::unique_ptr<AppState> state_;
  CompanyFiles files_;
  std::string root_;
};

TEST_F(CompanyFilesTest, OwnChartCompany123Year2015) {
  auto h = history();
  CurrentCompany c = company(123, 2, 7, 2015, 5);
  CompanyNames names = nomeiaArquivosEmpresa(root_, c, CompanyRecord{}, *h);
  BindingMap year = nomeiaArquivosAno(root_, c);
  EXPECT_EQ(names.names[kPlanoContasFile], under(p({"00000123", "PlCon007.dat"})));
  EXPECT_EQ(year["Diario.dat"], under(p({"00000123", "Ctb", "2015", "Diario.dat"})));
  EXPECT_EQ(names.names["Historic.dat"], under(p({"00000123", "Historic.dat"})));
  EXPECT_EQ(names.names["LanPadra.dat"], under(p({"00000123", "LanPadra.dat"})));
  EXPECT_EQ(names.names["Grupos.dat"], under(p({"00000123", "Ctb", "Grupos.dat"})));
  EXPECT_EQ(names.names["Funciona.dat"], under(p({"00000123", "Funciona.dat"})));
  EXPECT_EQ(names.names["Setor.dat"], under(p({"00000123", "Ctb", "Setor.dat"})));
  EXPECT_EQ(year["Concilia.dat"], under(p({"00000123", "Ctb", "2015", "Concilia.dat"})));
  EXPECT_EQ(year["PARCPAGA.dat"], under(p({"00000123", "Escrita", "2015", "PARCPAGA.dat"})));
  EXPECT_EQ(names.names.size(), 21u);
  EXPECT_EQ(year.size(), 15u);
  for (const char* d : {"Ctb", "Escrita", "Folha", "LivroCaixa"}) {
    EXPECT_TRUE(std::filesystem::is_directory(under(p({"00000123", d, "2015"})))) << d;
  }
}

TEST_F(CompanyFilesTest, SharedChartWhateverTheSupplierType) {
  auto h = history();
  CompanyRecord rec;
  rec.tipoFornecedor = 2;
  rec.tipoCfo = 1;
  rec.tipoContaIss = 2;
  CompanyNames names = nomeiaArquivosEmpresa(root_, company(5, 1, 3, 2015, 1), rec, *h);
  EXPECT_EQ(names.names[kPlanoContasFile], under(p({"BCTB", "PlCon003.dat"})));
  EXPECT_EQ(names.names["Historic.dat"], under(p({"BCTB", "Historic.dat"})));
  EXPECT_EQ(names.names["Grupos.dat"], under(p({"BCTB", "Grupos.dat"})));
  EXPECT_EQ(names.names["ForCli.dat"], under(p({"00000005", "Escrita", "ForCli.dat"})));
  EXPECT_EQ(names.names["Cfo.dat"], under(p({"BEscrita", "Cfo.dat"})));
  EXPECT_EQ(names.names["CtaISS.dat"], under(p({"00000005", "Escrita", "CtaISS.dat"})));
  EXPECT_EQ(names.names["IntCtISS.dat"], under(p({"00000005", "Escrita", "IntCtISS.dat"})));
  EXPECT_EQ(names.tipoFornecedor, 2);

  rec.tipoFornecedor = 0;  // any value but 2 means the shared copy
  names = nomeiaArquivosEmpresa(root_, company(5, 0, 3, 2015, 1), rec, *h);
  EXPECT_EQ(names.names["ForCli.dat"], under(p({"BComuns", "ForCli.dat"})));
  EXPECT_EQ(names.names[kPlanoContasFile], under(p({"BCTB", "PlCon003.dat"})));
}

TEST_F(CompanyFilesTest, Code13RowDatedFirstOfMarch) {
  addChange(9, kChangeTipoFornecedor, day(2015, 3, 1), "2");
  auto h = history();
  CompanyRecord rec;
  rec.tipoFornecedor = 1;
  CompanyNames feb = nomeiaArquivosEmpresa(root_, company(9, 1, 1, 2015, 2), rec, *h);
  EXPECT_EQ(feb.tipoFornecedor, 2);
  EXPECT_EQ(feb.names["ForCli.dat"], under(p({"00000009", "Escrita", "ForCli.dat"})));
  CompanyNames mar = nomeiaArquivosEmpresa(root_, company(9, 1, 1, 2015, 3), rec, *h);
  EXPECT_EQ(mar.tipoFornecedor, 1);
  EXPECT_EQ(mar.names["ForCli.dat"], under(p({"BComuns", "ForCli.dat"})));
  // Another company's history does not count.
  CompanyNames other = nomeiaArquivosEmpresa(root_, company(10, 1, 1, 2015, 2), rec, *h);
  EXPECT_EQ(other.tipoFornecedor, 1);
}

TEST_F(CompanyFilesTest, Code17ChangeGovernsCfoByMonth) {
  addChange(4, kChangeTipoCfo, day(2015, 3, 1), "1 anterior");
  auto h = history();
  CompanyRecord rec;
  rec.tipoCfo = 2;
  EXPECT_EQ(nomeiaArquivosEmpresa(root_, company(4, 1, 1, 2015, 2), rec, *h).names["Cfo.dat"],
            under(p({"BEscrita", "Cfo.dat"})));
  EXPECT_EQ(nomeiaArquivosEmpresa(root_, company(4, 1, 1, 2015, 4), rec, *h).names["Cfo.dat"],
            under(p({"00000004", "Escrita", "Cfo.dat"})));
}

TEST_F(CompanyFilesTest, ValorVigenteMonthAndYearRules) {
  addChange(3, kChangeTipoContaIss, day(2016, 1, 1), "2X");
  addChange(3, kChangeTipoFornecedor, day(2015, 12, 31), "2");
  auto h = history();
  // Month 13 looks from 1 January of the next year, like December.
  EXPECT_EQ(valorVigente(*h, company(3, 1, 1, 2015, 13), 15, 1, 0, 0, "1"), "2");
  EXPECT_EQ(valorVigente(*h, company(3, 1, 1, 2015, 12), 15, 2, 0, 0, "1"), "2X");
  EXPECT_EQ(valorVigente(*h, company(3, 1, 1, 2016, 13), 15, 1, 0, 0, "1"), "1");
  EXPECT_EQ(valorVigente(*h, company(3, 1, 1, 2015, 13), 13, 1, 0, 0, "1"), "1");
  // Explicit month and year override the current period.
  EXPECT_EQ(valorVigente(*h, company(3, 1, 1, 2020, 5), 13, 1, 11, 2015, "1"), "2");
  // No valid period, or no readable history: the default.
  EXPECT_EQ(valorVigente(*h, company(3, 1, 1, 0, 0), 13, 1, 0, 0, "1"), "1");
  Table closed(&history_);
  EXPECT_EQ(valorVigente(closed, company(3, 1, 1, 2015, 11), 13, 1, 0, 0, "1"), "1");
}

TEST_F(CompanyFilesTest, NamingNeverStopsOnDirectories) {
  std::string blocker = tmp_.file("plain-file");
  std::ofstream(blocker) << "x";
  std::string root = blocker + S;
  Table closed(&history_);
  CompanyNames names = nomeiaArquivosEmpresa(root, company(1, 2, 1, 2015, 1), {}, closed);
  BindingMap year = nomeiaArquivosAno(root, company(1, 2, 1, 2015, 1));
  EXPECT_EQ(names.names[kPlanoContasFile], root + p({"00000001", "PlCon001.dat"}));
  EXPECT_EQ(year["RegEntra.dat"], root + p({"00000001", "Escrita", "2015", "RegEntra.dat"}));
}

TEST_F(CompanyFilesTest, PlanoVigenteStructureHistory) {
  addChange(7, kChangeCodigoPlano, day(2014, 1, 1), "003 . Conteúdo anterior");
  addChange(7, kChangeCodigoPlano, day(2016, 1, 1), "005 . Conteúdo anterior");
  auto h = history();
  ChartInForce rec{1, 9};
  EXPECT_EQ(planoVigente(*h, 7, 2014, rec), (ChartInForce{1, 5}));
  EXPECT_EQ(planoVigente(*h, 7, 2013, rec), (ChartInForce{1, 3}));
  EXPECT_EQ(planoVigente(*h, 7, 2016, rec), rec);
  EXPECT_EQ(planoVigente(*h, 7, 2020, rec), rec);
  EXPECT_EQ(planoVigente(*h, 8, 2014, rec), rec);  // no code-41 rows
}

TEST_F(CompanyFilesTest, SelectingAnotherYearDerivesFromTheRecordNotFromTheEarlierYear) {
  addCompany(7, 1, 9, 0);
  addChange(7, kChangeCodigoPlano, day(2016, 1, 1), "005 . Conteúdo anterior");
  Result<CompanyRecord> record = files_.readCompany(*state_, 7);
  ASSERT_TRUE(record.isOk());
  CurrentCompany c;
  c.codigo = 7;
  c.mes = 1;
  c.ano = 2015;
  c.plContas = record->plContas;
  c.codPlanoContas = uint16_t(record->codigoPlanoContas);
  files_.selectCompany(*state_, c, record.value());
  EXPECT_EQ(state_->company().codPlanoContas, 5);
  // The same company, now 2016: the state holds structure 5 from 2015.
  CurrentCompany next = state_->company();
  next.ano = 2016;
  files_.selectCompany(*state_, next, record.value());
  EXPECT_EQ(state_->company().codPlanoContas, 9);
}

TEST_F(CompanyFilesTest, PlanoVigenteChartType) {
  addChange(7, kChangePlContas, day(2018, 1, 1), "2");
  addChange(6, kChangePlContas, day(2018, 1, 1), "X");  // unreadable
  auto h = history();
  EXPECT_EQ(planoVigente(*h, 7, 2010, {1, 4}), (ChartInForce{2, 4}));
  EXPECT_EQ(planoVigente(*h, 7, 2017, {1, 4}), (ChartInForce{2, 4}));
  EXPECT_EQ(planoVigente(*h, 7, 2018, {1, 4}), (ChartInForce{1, 4}));
  EXPECT_EQ(planoVigente(*h, 6, 2010, {1, 4}), (ChartInForce{1, 4}));
}

TEST_F(CompanyFilesTest, ReadCompany) {
  auto missing = files_.readCompany(*state_, 1);
  ASSERT_TRUE(missing.isOk());
  EXPECT_FALSE(missing->found);
  addCompany(123, 2, 7, 1);
  auto found = files_.readCompany(*state_, 123);
  ASSERT_TRUE(found.isOk());
  EXPECT_TRUE(found->found);
  EXPECT_EQ(found->razaoSocial, "Empresa Teste");
  EXPECT_EQ(found->codigoPlanoContas, 7);
  EXPECT_FALSE(files_.readCompany(*state_, 124)->found);
}

TEST_F(CompanyFilesTest, SelectCompanyAppliesChartInForceAndBinds) {
  addChange(123, kChangePlContas, day(2016, 1, 1), "2");
  addChange(123, kChangeCodigoPlano, day(2016, 1, 1), "007 . Conteúdo anterior");
  CompanyRecord rec;
  rec.tipoFornecedor = 2;
  files_.selectCompany(*state_, company(123, 1, 9, 2015, 13), rec);
  AppSnapshot s = state_->snapshot();
  EXPECT_EQ(s.company.plContas, 2);
  EXPECT_EQ(s.company.codPlanoContas, 7);
  EXPECT_EQ(s.company.tpContasDesc, "Individual");
  EXPECT_EQ(s.company.tipoFornecedor, 2);
  EXPECT_EQ(s.pathFor(kPlanoContasFile), under(p({"00000123", "PlCon007.dat"})));
  EXPECT_EQ(s.pathFor("Diario.dat"), under(p({"00000123", "Ctb", "2015", "Diario.dat"})));
  EXPECT_EQ(s.pathFor("Empresas.dat"), under(p({"BComuns", "Empresas.dat"})));

  files_.selectCompany(*state_, company(123, 1, 9, 2016, 1), rec);
  s = state_->snapshot();
  EXPECT_EQ(s.company.tpContasDesc, "Geral");
  EXPECT_EQ(s.pathFor(kPlanoContasFile), under(p({"BCTB", "PlCon009.dat"})));
  EXPECT_EQ(files_.valorVigente(*state_, kChangePlContas, 1, 12, 2015, "1"), "2");
}

TEST_F(CompanyFilesTest, ConcurrentSwitchesNeverShowTornBindings) {
  addChange(11, kChangeTipoFornecedor, day(2030, 1, 1), "2");
  std::atomic<bool> stop{false};
  std::atomic<int> torn{0}, seen{0};
  auto writer = [&](uint16_t code, int plContas, int plano, int ano) {
    CompanyRecord rec;
    for (int i = 0; i < 60; ++i) files_.selectCompany(*state_, company(code, plContas, plano, ano, 13), rec, false);
  };
  // The reader goes on until it has seen a company at least once, so a
  // loaded machine that runs the writers first still checks something.
  std::thread reader([&] {
    while (!stop || seen == 0) {
      AppSnapshot s = state_->snapshot();
      if (s.company.codigo == 0) continue;
      ++seen;
      std::string dir = root_ + zeroPadded(s.company.codigo, 8);
      std::string year = zeroPadded(s.company.ano, 4);
      bool ok = s.pathFor("Diario.dat") == p({dir.c_str(), "Ctb", year.c_str(), "Diario.dat"}) &&
                s.pathFor("Funciona.dat") == p({dir.c_str(), "Funciona.dat"}) &&
                s.pathFor(kPlanoContasFile).find(chartFileName(s.company.codPlanoContas)) !=
                    std::string::npos &&
                (s.pathFor("ForCli.dat").find(dir) != std::string::npos) ==
                    (s.company.tipoFornecedor == 2);
      if (!ok) ++torn;
    }
  });
  std::thread a(writer, 11, 2, 4, 2015);
  std::thread b(writer, 12, 1, 6, 2016);
  a.join();
  b.join();
  stop = true;
  reader.join();
  EXPECT_GT(seen.load(), 0);
  EXPECT_EQ(torn.load(), 0);
}

TEST_F(CompanyFilesTest, TablesOpenedDuringSwitchesBelongToOneCompany) {
  std::atomic<bool> stop{false};
  std::atomic<int> torn{0}, opened{0}, failed{0};
  auto writer = [&](uint16_t code, int ano) {
    CompanyRecord rec;
    for (int i = 0; i < 25; ++i) files_.selectCompany(*state_, company(code, 2, 1, ano, 13), rec);
  };
  // A screen opening its tables: one snapshot gives every name it uses.
  std::thread screen([&] {
    const TableDef* diario = dictionary().find("Diario");
    const TableDef* funcionarios = dictionary().find("Funcionarios");
    while (!stop || (opened == 0 && failed == 0)) {
      AppSnapshot s = state_->snapshot();
      if (s.company.codigo == 0) continue;
      Table journal(diario), staff(funcionarios);
      if (!journal.open(s.pathFor("Diario.dat")).isOk() ||
          !staff.open(s.pathFor("Funciona.dat")).isOk()) {
        ++failed;
        continue;
      }
      ++opened;
      std::string dir = root_ + zeroPadded(s.company.codigo, 8) + S;
      std::string year = zeroPadded(s.company.ano, 4);
      if (journal.path() != dir + p({"Ctb", year.c_str(), "Diario.dat"}) ||
          staff.path() != dir + "Funciona.dat" || (s.company.codigo == 21) != (year == "2015"))
        ++torn;
    }
  });
  std::thread a(writer, 21, 2015);
  std::thread b(writer, 22, 2016);
  a.join();
  b.join();
  stop = true;
  screen.join();
  EXPECT_GT(opened.load(), 0);
  EXPECT_EQ(failed.load(), 0);
  EXPECT_EQ(torn.load(), 0);
}

TEST_F(CompanyFilesTest, EveryDeclaredFileIsNamedAndNothingElse) {
  auto h = history();
  CurrentCompany c = company(1, 2, 1, 2015, 1);
  BindingMap all = sharedFileNames(root_);
  all.merge(nomeiaArquivosEmpresa(root_, c, {}, *h, false).names);
  all.merge(nomeiaArquivosAno(root_, c, false));
  std::set<std::string> declared;
  for (const TableDef& t : dictionary().tables()) {
    if (t.binding.empty()) continue;
    declared.insert(t.binding);
    EXPECT_TRUE(all.count(t.binding)) << t.label << " " << t.binding;
  }
  for (const auto& [binding, path] : all) EXPECT_TRUE(declared.count(binding)) << binding;
}

}  // namespace
}  // namespace vorlam::shell
