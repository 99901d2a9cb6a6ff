#include "dictionary/cascade.h"

#include <gtest/gtest.h>

#include <set>

#include "storage/test_util.h"

namespace vorlam {
namespace {

using testing::TempDir;

class CascadeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dict_ = buildDictionary();
    resolve_ = [this](const std::string& binding) {
      if (unbound_.count(binding)) return std::string();
      return dir_.file(binding);
    };
  }

  // A table of the dictionary opened on its file in the temporary directory.
  std::unique_ptr<Table> open(const char* label) {
    auto t = std::make_unique<Table>(dict_->find(label));
    EXPECT_TRUE(t->open(dir_.file(t->def().binding)));
    return t;
  }

  // Inserts a record given as (field, value) pairs of integers.
  static void add(Table& t, std::initializer_list<std::pair<const char*, int64_t>> values,
                  const char* textField = nullptr, const char* text = nullptr) {
    t.buffer().clear();
    for (const auto& [f, v] : values) ASSERT_TRUE(t.buffer().setInt(f, v)) << f;
    if (textField) {
      ASSERT_TRUE(t.buffer().setText(textField, text));
    }
    ASSERT_TRUE(t.insert());
  }

  // The values of one integer field over the whole file, sorted.
  static std::multiset<int64_t> column(Table& t, const char* field) {
    std::multiset<int64_t> out;
    EXPECT_TRUE(t.seekStart(kFileOrder));
    while (t.next()) out.insert(t.buffer().getInt(field));
    return out;
  }

  static void readKey(Table& t, const char* field, int64_t value) {
    t.buffer().clear();
    ASSERT_TRUE(t.buffer().setInt(field, value));
    ASSERT_TRUE(t.get(t.def().primaryKey() >= 0 ? t.def().primaryKey() : 0));
  }

  TempDir dir_;
  std::shared_ptr<const Dictionary> dict_;
  std::set<std::string> unbound_;
  PathResolver resolve_;
};

TEST_F(CascadeTest, DeletingACompanyDeletesItsBranchesChangesAndAccounts) {
  auto emp = open("Empresa");
  auto fil = open("Filiais");
  auto alt = open("AltContratuais");
  auto cic = open("Contas_Integracao_Contabil");
  add(*emp, {});  // auto-numbered: companies 1 and 2
  add(*emp, {});
  add(*fil, {{"Filiais:Matriz", 1}, {"Filiais:Filial", 10}});
  add(*fil, {{"Filiais:Matriz", 1}, {"Filiais:Filial", 11}});
  add(*fil, {{"Filiais:Matriz", 2}, {"Filiais:Filial", 20}});
  add(*alt, {{"ALTCONT:CODIGO", 1}, {"ALTCONT:CODALT", 41}, {"ALTCONT:DATA", 80000}});
  add(*alt, {{"ALTCONT:CODIGO", 1}, {"ALTCONT:CODALT", 40}, {"ALTCONT:DATA", 80001}});
  add(*alt, {{"ALTCONT:CODIGO", 2}, {"ALTCONT:CODALT", 41}, {"ALTCONT:DATA", 80000}});
  add(*cic, {{"CIC:CODIGO_EMPRESA", 1}, {"CIC:CODIGO_REFERENCIA", 1}});
  add(*cic, {{"CIC:CODIGO_EMPRESA", 1}, {"CIC:CODIGO_REFERENCIA", 2}});
  add(*cic, {{"CIC:CODIGO_EMPRESA", 2}, {"CIC:CODIGO_REFERENCIA", 1}});

  readKey(*emp, "EMP:Codigo", 1);
  ASSERT_TRUE(eraseCascading(*emp, *dict_, resolve_));
  EXPECT_EQ(column(*emp, "EMP:Codigo"), (std::multiset<int64_t>{2}));
  EXPECT_EQ(column(*fil, "Filiais:Filial"), (std::multiset<int64_t>{20}));
  EXPECT_EQ(column(*alt, "ALTCONT:CODIGO"), (std::multiset<int64_t>{2}));
  EXPECT_EQ(column(*cic, "CIC:CODIGO_EMPRESA"), (std::multiset<int64_t>{2}));
}

TEST_F(CascadeTest, ChangingACompanyCodeCarriesItToTheChildren) {
  auto emp = open("Empresa");
  auto fil = open("Filiais");
  auto alt = open("AltContratuais");
  add(*emp, {});  // auto-numbered: companies 1 and 2
  add(*emp, {});
  add(*fil, {{"Filiais:Matriz", 1}, {"Filiais:Filial", 10}});
  add(*fil, {{"Filiais:Matriz", 2}, {"Filiais:Filial", 20}});
  add(*alt, {{"ALTCONT:CODIGO", 1}, {"ALTCONT:CODALT", 41}});
  add(*alt, {{"ALTCONT:CODIGO", 1}, {"ALTCONT:CODALT", 40}});

  readKey(*emp, "EMP:Codigo", 1);
  Record before = emp->buffer();
  ASSERT_TRUE(emp->buffer().setInt("EMP:Codigo", 5));
  ASSERT_TRUE(updateCascading(*emp, before, *dict_, resolve_));
  EXPECT_EQ(column(*fil, "Filiais:Matriz"), (std::multiset<int64_t>{2, 5}));
  EXPECT_EQ(column(*alt, "ALTCONT:CODIGO"), (std::multiset<int64_t>{5, 5}));

  // A change that leaves the links alone touches no child.
  readKey(*emp, "EMP:Codigo", 2);
  before = emp->buffer();
  ASSERT_TRUE(emp->buffer().setText("EMP:RazaoSocial", "Nova"));
  unbound_ = {"Filiais.dat"};  // would fail loudly if the cascade needed it
  ASSERT_TRUE(updateCascading(*emp, before, *dict_, resolve_));
  EXPECT_EQ(column(*fil, "Filiais:Matriz"), (std::multiset<int64_t>{2, 5}));
}

TEST_F(CascadeTest, DeletingAnEntryInvoiceDeletesInstalmentsAndIpiDetail) {
  auto reg = open("RegEntrada");
  auto parc = open("ParcRegEntrada");
  auto dipi = open("DipiEntradas");
  auto addInvoice = [&](Table& t, const char* prefix, int number, int extra, const char* extraField) {
    std::string p(prefix);
    t.buffer().clear();
    t.buffer().setInt(p + ":DataLancamento", 80000);
    t.buffer().setInt(p + ":Numero", number);
    t.buffer().setText(p + ":Especie", "NF");
    t.buffer().setText(p + ":Serie", "1");
    t.buffer().setText(p + ":Inscricao", "12345678000199");
    if (extraField) t.buffer().setInt(p + extraField, extra);
    ASSERT_TRUE(t.insert());
  };
  addInvoice(*reg, "REG", 100, 0, nullptr);
  addInvoice(*reg, "REG", 200, 0, nullptr);
  addInvoice(*parc, "PREntr", 100, 80030, ":Data");
  addInvoice(*parc, "PREntr", 100, 80060, ":Data");
  addInvoice(*parc, "PREntr", 200, 80030, ":Data");
  addInvoice(*dipi, "DipE", 100, 1, ":CFO");
  addInvoice(*dipi, "DipE", 200, 1, ":CFO");

  reg->buffer().clear();
  reg->buffer().setInt("REG:DataLancamento", 80000);
  reg->buffer().setInt("REG:Numero", 100);
  reg->buffer().setText("REG:Especie", "nf");  // keys compare without case
  reg->buffer().setText("REG:Serie", "1");
  reg->buffer().setText("REG:Inscricao", "12345678000199");
  ASSERT_TRUE(reg->get(reg->def().keyIndex("REG:KEY:DATANUMERO")));
  // The product lines are never bound: their relation is passed over.
  ASSERT_TRUE(eraseCascading(*reg, *dict_, resolve_));
  EXPECT_EQ(column(*reg, "REG:Numero"), (std::multiset<int64_t>{200}));
  EXPECT_EQ(column(*parc, "PREntr:Numero"), (std::multiset<int64_t>{200}));
  EXPECT_EQ(column(*dipi, "DipE:Numero"), (std::multiset<int64_t>{200}));
}

TEST_F(CascadeTest, DeletingADepartmentDeletesSectorsAndTheirSections) {
  auto dpt = open("Departamento");
  auto set = open("Setor");
  auto sec = open("Secao");
  add(*dpt, {});
  add(*dpt, {});
  add(*set, {{"SET:CODIGODEPARTAMENTO", 1}});
  add(*set, {{"SET:CODIGODEPARTAMENTO", 1}});
  add(*set, {{"SET:CODIGODEPARTAMENTO", 2}});
  add(*sec, {{"SEC:CODIGODEPARTAMENTO", 1}, {"SEC:CODIGOSETOR", 1}});
  add(*sec, {{"SEC:CODIGODEPARTAMENTO", 1}, {"SEC:CODIGOSETOR", 2}});
  add(*sec, {{"SEC:CODIGODEPARTAMENTO", 2}, {"SEC:CODIGOSETOR", 1}});

  readKey(*dpt, "DPT:CODIGO", 1);
  ASSERT_TRUE(eraseCascading(*dpt, *dict_, resolve_));
  EXPECT_EQ(column(*set, "SET:CODIGODEPARTAMENTO"), (std::multiset<int64_t>{2}));
  EXPECT_EQ(column(*sec, "SEC:CODIGODEPARTAMENTO"), (std::multiset<int64_t>{2}));
}

TEST_F(CascadeTest, EmployeeCodeChangeReachesGrandchildren) {
  auto fun = open("Funcionarios");
  auto dep = open("Dependentes");
  auto vac = open("DepVacinacao");
  auto ac = open("ACFuncionarios");
  add(*fun, {});  // auto-numbered: the first employee is 1
  add(*dep, {{"DEP:CODIGOFUNCIONARIO", 1}});
  add(*dep, {{"DEP:CODIGOFUNCIONARIO", 1}});
  add(*vac, {{"DVACI:CODIGOFUNCIONARIO", 1}, {"DVACI:CODIGODEPENDENTE", 2}, {"DVACI:CODIGOVACINA", 3}});
  add(*ac, {{"ACFUN:CODIGOFUN", 1}, {"ACFUN:CODIGOCAMPO", 1}, {"ACFUN:DATA", 80000}});
  add(*ac, {{"ACFUN:CODIGOFUN", 1}, {"ACFUN:CODIGOCAMPO", 1}, {"ACFUN:DATA", 80100}});

  readKey(*fun, "FUN:CODIGO", 1);
  Record before = fun->buffer();
  ASSERT_TRUE(fun->buffer().setInt("FUN:CODIGO", 9));
  ASSERT_TRUE(updateCascading(*fun, before, *dict_, resolve_));
  EXPECT_EQ(column(*dep, "DEP:CODIGOFUNCIONARIO"), (std::multiset<int64_t>{9, 9}));
  EXPECT_EQ(column(*vac, "DVACI:CODIGOFUNCIONARIO"), (std::multiset<int64_t>{9}));
  // Both changes are found through the key with a descending date.
  EXPECT_EQ(column(*ac, "ACFUN:CODIGOFUN"), (std::multiset<int64_t>{9, 9}));

  readKey(*fun, "FUN:CODIGO", 9);
  ASSERT_TRUE(eraseCascading(*fun, *dict_, resolve_));
  EXPECT_TRUE(column(*dep, "DEP:CODIGOFUNCIONARIO").empty());
  EXPECT_TRUE(column(*vac, "DVACI:CODIGOFUNCIONARIO").empty());
  EXPECT_TRUE(column(*ac, "ACFUN:CODIGOFUN").empty());
}

TEST_F(CascadeTest, UnboundAndMissingChildFilesArePassedOver) {
  auto emp = open("Empresa");
  add(*emp, {});  // company 1
  unbound_ = {"Filiais.dat"};
  readKey(*emp, "EMP:Codigo", 1);
  // AltContr.dat and CIntegra.dat were never created: nothing to delete and
  // nothing is created either.
  ASSERT_TRUE(cascadeDelete(*dict_, resolve_, emp->buffer()));
  EXPECT_FALSE(fileExists(dir_.file("AltContr.dat")));
  EXPECT_FALSE(fileExists(dir_.file("Filiais.dat")));
  // Without any resolver nothing is opened at all.
  ASSERT_TRUE(cascadeDelete(*dict_, PathResolver(), emp->buffer()));
  ASSERT_TRUE(emp->erase());
}

TEST_F(CascadeTest, ChildWriteFailureIsReported) {
  auto emp = open("Empresa");
  auto cic = open("Contas_Integracao_Contabil");
  add(*emp, {});  // company 1
  add(*cic, {{"CIC:CODIGO_EMPRESA", 1}, {"CIC:CODIGO_REFERENCIA", 1}});
  // Left over from a company 5 that no longer exists: moving company 1 to
  // code 5 collides on the primary key of the integration accounts.
  add(*cic, {{"CIC:CODIGO_EMPRESA", 5}, {"CIC:CODIGO_REFERENCIA", 1}});
  readKey(*emp, "EMP:Codigo", 1);
  Record before = emp->buffer();
  ASSERT_TRUE(emp->buffer().setInt("EMP:Codigo", 5));
  Status s = updateCascading(*emp, before, *dict_, resolve_);
  EXPECT_EQ(s.code(), StatusCode::kDuplicateKey);
  EXPECT_EQ(column(*cic, "CIC:CODIGO_EMPRESA"), (std::multiset<int64_t>{1, 5}));
}

}  // namespace
}  // namespace vorlam
