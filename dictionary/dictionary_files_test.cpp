// The declarations against real record files: every table can be created,
// written and read, and the key attributes behave as declared.
#include <gtest/gtest.h>

#include <vector>

#include "dictionary/dictionary.h"
#include "storage/table.h"
#include "storage/test_util.h"

namespace vorlam {
namespace {

using testing::TempDir;

const Dictionary& dict() {
  static const std::shared_ptr<const Dictionary> d = buildDictionary();
  return *d;
}

// Fills every element of every field with a value derived from its position.
void fillAll(Record& r) {
  const TableDef& def = r.def();
  for (int f = 0; f < static_cast<int>(def.fields.size()); ++f) {
    const FieldDef& fd = def.fields[f];
    for (int e = 0; e < fd.dim; ++e) {
      int n = f * 7 + e + 1;
      if (fd.isText()) {
        ASSERT_TRUE(r.setText(f, "V" + std::to_string(n), e)) << fd.name;
      } else if (fd.isDecimal()) {
        int64_t units = std::min<int64_t>(fd.maxValue(), 1000 + n);
        ASSERT_TRUE(r.setDecimal(f, Decimal::fromUnits(-units, fd.typeSpec.places), e)) << fd.name;
      } else {
        ASSERT_TRUE(r.setInt(f, std::min<int64_t>(fd.maxValue(), n), e)) << fd.name;
      }
    }
  }
}

TEST(DictionaryFiles, EveryTableIsWrittenAndReadBack) {
  TempDir dir;
  for (const auto& def : dict().tables()) {
    SCOPED_TRACE(def.label);
    Table t(&def);
    ASSERT_TRUE(t.open(dir.file(def.label + ".dat")));
    t.buffer().clear();
    fillAll(t.buffer());
    ASSERT_TRUE(t.insert());
    Record written = t.buffer();
    t.close();

    Table again(&def);
    ASSERT_TRUE(again.open(dir.file(def.label + ".dat"), OpenMode::kReadOnly));
    EXPECT_EQ(*again.count(), 1);
    ASSERT_TRUE(again.seekStart(kFileOrder));
    ASSERT_TRUE(again.next());
    EXPECT_TRUE(again.buffer().sameValues(written));
    // Every non-dynamic key finds the record by its own values.
    for (int k = 0; k < static_cast<int>(def.keys.size()); ++k) {
      if (def.keys[k].dynamic) continue;
      Record& b = again.buffer();
      b = written;
      EXPECT_TRUE(again.get(k)) << def.keys[k].name;
    }
  }
}

TEST(DictionaryFiles, AliasSeesTheRecordsOfItsTable) {
  TempDir dir;
  std::string path = dir.file("PlCon001.dat");
  Table pla(dict().find("PlanoContas"));
  Table pl3(dict().find("PlanoContas3"));
  ASSERT_TRUE(pla.open(path));
  ASSERT_TRUE(pl3.open(path));
  pla.buffer().clear();
  pla.buffer().setText("PLA:Codigo", "1.1.01");
  pla.buffer().setText("PLA:Descricao", "Caixa");
  pla.buffer().setInt("PLA:SintAnali", 2);
  ASSERT_TRUE(pla.insert());
  int64_t reduced = pla.buffer().getInt("PLA:Reduzido");
  EXPECT_EQ(reduced, 1);

  pl3.buffer().clear();
  pl3.buffer().setText("PL3:Codigo", "1.1.01");
  ASSERT_TRUE(pl3.get(pl3.def().keyIndex("PL3:KEY:CODIGO")));
  EXPECT_EQ(pl3.buffer().getText("PL3:Descricao"), "Caixa");
  EXPECT_EQ(pl3.buffer().getInt("PL3:Reduzido"), reduced);

  // And the other way round, auto-numbering included.
  pl3.buffer().clear();
  pl3.buffer().setText("PL3:Codigo", "1.1.02");
  ASSERT_TRUE(pl3.insert());
  EXPECT_EQ(pl3.buffer().getInt("PL3:Reduzido"), 2);
  EXPECT_EQ(*pla.count(), 2);
}

TEST(DictionaryFiles, UnpaidInstalmentIsNotInThePaymentDateKey) {
  TempDir dir;
  const TableDef& def = *dict().find("ParcRegEntrada");
  Table t(&def);
  ASSERT_TRUE(t.open(dir.file("ParREntr.dat")));
  for (int due : {80000, 80030}) {
    t.buffer().clear();
    t.buffer().setInt("PREntr:DataLancamento", 79990);
    t.buffer().setInt("PREntr:Numero", 123);
    t.buffer().setText("PREntr:Inscricao", "12345678000199");
    t.buffer().setInt("PREntr:Data", due);
    t.buffer().setInt("PREntr:Pagamento", due == 80000 ? 80005 : 0);
    ASSERT_TRUE(t.insert());
  }
  int byPayment = def.keyIndex("PREntr:Key:Data_Pagamento");
  ASSERT_TRUE(t.seekStart(byPayment));
  ASSERT_TRUE(t.next());
  EXPECT_EQ(t.buffer().getInt("PREntr:Data"), 80000);
  EXPECT_EQ(t.next().code(), StatusCode::kNotFound);
  t.buffer().clear();
  EXPECT_EQ(t.get(byPayment).code(), StatusCode::kNotFound);
  // Both are listed by due date.
  ASSERT_TRUE(t.seekStart(def.keyIndex("PREntr:Key:Vencimento")));
  EXPECT_TRUE(t.next());
  EXPECT_TRUE(t.next());
  // The primary key refuses a second instalment of the same due date.
  t.buffer().setInt("PREntr:Pagamento", 0);
  EXPECT_EQ(t.insert().code(), StatusCode::kDuplicateKey);
}

// Reads the walk of `key` from its start, collecting one integer field.
std::vector<int64_t> walk(Table& t, int key, const char* field) {
  std::vector<int64_t> out;
  EXPECT_TRUE(t.seekStart(key));
  while (t.next()) out.push_back(t.buffer().getInt(field));
  return out;
}

TEST(DictionaryFiles, DescendingComponentsListNewestFirst) {
  TempDir dir;
  Table ac(dict().find("ACFuncionarios"));
  ASSERT_TRUE(ac.open(dir.file("ACFunc.dat")));
  for (int date : {80000, 80200, 80100}) {
    ac.buffer().clear();
    ac.buffer().setInt("ACFUN:CODIGOFUN", 7);
    ac.buffer().setInt("ACFUN:CODIGOCAMPO", 3);
    ac.buffer().setInt("ACFUN:DATA", date);
    ASSERT_TRUE(ac.insert());
  }
  EXPECT_EQ(walk(ac, 0, "ACFUN:DATA"), (std::vector<int64_t>{80200, 80100, 80000}));

  Table ds(dict().find("DepSuspSF"));
  ASSERT_TRUE(ds.open(dir.file("DepSupSF.dat")));
  for (int start : {81000, 82000}) {
    ds.buffer().clear();
    ds.buffer().setInt("DSSF:CODIGOFUNCIONARIO", 7);
    ds.buffer().setInt("DSSF:CODIGODEPENDENTE", 1);
    ds.buffer().setInt("DSSF:DATAINICIO", start);
    ASSERT_TRUE(ds.insert());
  }
  EXPECT_EQ(walk(ds, 0, "DSSF:DATAINICIO"), (std::vector<int64_t>{82000, 81000}));
  // Unique: the same start date again is refused.
  EXPECT_EQ(ds.insert().code(), StatusCode::kDuplicateKey);
}

TEST(DictionaryFiles, SectorsAreNumberedWithinTheirDepartment) {
  TempDir dir;
  Table set(dict().find("Setor"));
  ASSERT_TRUE(set.open(dir.file("Setor.dat")));
  auto add = [&](int dept) {
    set.buffer().clear();
    set.buffer().setInt("SET:CODIGODEPARTAMENTO", dept);
    EXPECT_TRUE(set.insert());
    return set.buffer().getInt("SET:CODIGO");
  };
  EXPECT_EQ(add(1), 1);
  EXPECT_EQ(add(1), 2);
  EXPECT_EQ(add(2), 1);
  EXPECT_EQ(add(1), 3);
  EXPECT_EQ(add(2), 2);
}

}  // namespace
}  // namespace vorlam
