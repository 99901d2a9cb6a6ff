#include "storage/table.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <set>

#include "storage/date.h"
#include "storage/test_util.h"
#include "storage/text.h"

namespace vorlam {
namespace {

using testing::Backend;
using testing::TempDir;
using testing::TestRoot;

// Every case runs in both journal modes and on a PostgreSQL server.
class TableTest : public ::testing::TestWithParam<Backend> {
 protected:
  void SetUp() override {
    if (!dir.unavailable().empty()) GTEST_SKIP() << dir.unavailable();
  }
  bool onServer() const { return GetParam() == Backend::kPostgres; }
  testing::JournalModeScope journal_{testing::journalModeOf(GetParam())};
  TestRoot dir{GetParam()};
};

TableDef setorDef() {
  return TableBuilder("Setor", "SET", "Setor.dat")
      .field("SET:CodigoDepartamento", kUSHORT)
      .field("SET:Codigo", kUSHORT)
      .field("SET:Descricao", STRING(60))
      .key("SET:KEY:CODIGO", {"SET:CodigoDepartamento", "SET:Codigo"}, kUnique | kPrimary, "", 2)
      .key("SET:KEY:DESCRICAO", {"SET:Descricao"}, kDuplicates, "Descrição")
      .build();
}

TableDef changesDef() {
  return TableBuilder("ACFuncionarios", "ACFun", "ACFunc.dat")
      .field("ACFun:CodigoFun", kULONG)
      .field("ACFun:Campo", STRING(20))
      .field("ACFun:Data", kLONG)
      .field("ACFun:Valor", DECIMAL(11, 2))
      .key("ACFUN:KEY:CODIGO", {"ACFun:CodigoFun", "ACFun:Campo", "-ACFun:Data"}, kDuplicates)
      .build();
}

TableDef instalmentDef() {
  return TableBuilder("Parcelas", "PAR", "Parcelas.dat")
      .field("PAR:Numero", kULONG)
      .field("PAR:Parcela", kBYTE)
      .field("PAR:DataPagamento", kLONG)
      .field("PAR:Obs", STRING(20))
      .key("PAR:Key:Numero", {"PAR:Numero", "PAR:Parcela"}, kUnique | kPrimary, "Número e parcela")
      .key("PAR:Key:Data_Pagamento", {"PAR:DataPagamento"}, kDuplicates | kExcludeEmpty)
      .build();
}

Status addSetor(Table& t, int dept, const char* name) {
  t.buffer().clear();
  t.buffer().setInt("CodigoDepartamento", dept);
  t.buffer().setText("Descricao", utf8ToLatin1(name));
  return t.insert();
}

TEST_P(TableTest, CreatesOnOpenAndRefusesMissingPlaces) {
  TableDef def = setorDef();
  Table t(&def);
  EXPECT_EQ(t.open("").code(), StatusCode::kNoName);
  EXPECT_EQ(t.open(dir.file("nada/Setor.dat")).code(), StatusCode::kFileNotFound);
  EXPECT_EQ(t.open(dir.file("Setor.dat"), OpenMode::kReadOnly).code(), StatusCode::kFileNotFound);
  ASSERT_TRUE(t.open(dir.file("Setor.dat")));
  EXPECT_EQ(*t.count(), 0);
  EXPECT_TRUE(fileExists(dir.file("Setor.dat")));
}

TEST_P(TableTest, AutoNumbersWithinTheGroup) {
  TableDef def = setorDef();
  Table t(&def);
  ASSERT_TRUE(t.open(dir.file("Setor.dat")));
  ASSERT_TRUE(addSetor(t, 1, "Compras"));
  EXPECT_EQ(t.buffer().getInt("Codigo"), 1);
  ASSERT_TRUE(addSetor(t, 1, "Vendas"));
  EXPECT_EQ(t.buffer().getInt("Codigo"), 2);
  ASSERT_TRUE(addSetor(t, 2, "Fiscal"));
  EXPECT_EQ(t.buffer().getInt("Codigo"), 1);  // a new department starts at 1
  ASSERT_TRUE(addSetor(t, 1, "Contábil"));
  EXPECT_EQ(t.buffer().getInt("Codigo"), 3);
  // A group whose numbers reached the field's limit refuses instead of wrapping.
  t.buffer().clear();
  t.buffer().setInt("CodigoDepartamento", 9);
  t.buffer().setInt("Codigo", 65535);
  ASSERT_TRUE(t.append());
  EXPECT_EQ(addSetor(t, 9, "Cheio").code(), StatusCode::kOutOfRange);
  EXPECT_EQ(*t.count(), 5);
}

TEST_P(TableTest, ReadsByKeyInBothDirections) {
  TableDef def = setorDef();
  Table t(&def);
  ASSERT_TRUE(t.open(dir.file("Setor.dat")));
  for (const char* n : {"Vendas", "almoxarifado", "Éxito", "Estoque", "Fábrica", "compras"}) ASSERT_TRUE(addSetor(t, 1, n));
  const int byName = def.keyIndex("SET:KEY:DESCRICAO");
  ASSERT_TRUE(t.seekStart(byName));
  std::vector<std::string> names;
  while (t.next()) names.push_back(latin1ToUtf8(t.buffer().getText("Descricao")));
  EXPECT_EQ(names, (std::vector<std::string>{"almoxarifado", "compras", "Estoque", "Éxito", "Fábrica", "Vendas"}));
  names.clear();
  ASSERT_TRUE(t.seekEnd(byName));
  while (t.previous()) names.push_back(latin1ToUtf8(t.buffer().getText("Descricao")));
  EXPECT_EQ(names.front(), "Vendas");
  EXPECT_EQ(names.back(), "almoxarifado");

  // Locator: first entry >= the typed value, case-insensitively.
  t.buffer().clear();
  t.buffer().setText("Descricao", "EX");
  ASSERT_TRUE(t.seek(byName));
  ASSERT_TRUE(t.next());
  EXPECT_EQ(latin1ToUtf8(t.buffer().getText("Descricao")), "Éxito");
  ASSERT_TRUE(t.previous());  // turning back gives the entry before it
  EXPECT_EQ(latin1ToUtf8(t.buffer().getText("Descricao")), "Estoque");

  // Exact get, then walking on from there.
  t.buffer().clear();
  t.buffer().setInt("CodigoDepartamento", 1);
  t.buffer().setInt("Codigo", 3);
  ASSERT_TRUE(t.get(0));
  EXPECT_EQ(latin1ToUtf8(t.buffer().getText("Descricao")), "Éxito");
  ASSERT_TRUE(t.next());
  EXPECT_EQ(t.buffer().getInt("Codigo"), 4);
  t.buffer().setInt("Codigo", 99);
  EXPECT_EQ(t.get(0).code(), StatusCode::kNotFound);
}

TEST_P(TableTest, TextKeysSortAndMatchAsCompareTextDoes) {
  TableDef def = setorDef();
  Table t(&def);
  ASSERT_TRUE(t.open(dir.file("Setor.dat")));
  std::vector<std::string> texts;
  for (int c = 0x21; c < 0x100; ++c) {
    texts.push_back(std::string(1, static_cast<char>(c)));
    texts.push_back("A" + std::string(1, static_cast<char>(c)) + "b");
  }
  for (const char* w : {"Joao", "João", "JOÃO", "joão", "Éder", "Eder", "eder", "Fábio", "ab", "AB c", "Ab"})
    texts.push_back(utf8ToLatin1(w));
  ASSERT_TRUE(t.beginBulk());
  for (const auto& text : texts) {
    t.buffer().clear();
    t.buffer().setInt("CodigoDepartamento", 1);
    ASSERT_TRUE(t.buffer().setText("Descricao", text));
    ASSERT_TRUE(t.insert());
  }
  ASSERT_TRUE(t.flush());
  // Equal texts keep the order they were added in (record numbers).
  std::vector<std::string> expected = texts;
  std::stable_sort(expected.begin(), expected.end(),
                   [](const std::string& a, const std::string& b) { return compareText(a, b) < 0; });
  const int byName = def.keyIndex("SET:KEY:DESCRICAO");
  std::vector<std::string> seen;
  ASSERT_TRUE(t.seekStart(byName));
  while (t.next()) seen.emplace_back(t.buffer().getText("Descricao"));
  ASSERT_EQ(seen.size(), expected.size());
  for (size_t i = 0; i < seen.size(); ++i)
    ASSERT_EQ(latin1ToUtf8(seen[i]), latin1ToUtf8(expected[i])) << "at " << i;
  // A locator finds the first of the equal texts whatever their case.
  t.buffer().clear();
  ASSERT_TRUE(t.buffer().setText("Descricao", utf8ToLatin1("JOãO")));
  ASSERT_TRUE(t.seek(byName));
  ASSERT_TRUE(t.next());
  EXPECT_EQ(latin1ToUtf8(t.buffer().getText("Descricao")), "João");
  ASSERT_TRUE(t.next());
  EXPECT_EQ(latin1ToUtf8(t.buffer().getText("Descricao")), "JOÃO");
  ASSERT_TRUE(t.buffer().setText("Descricao", "eDER"));
  ASSERT_TRUE(t.get(byName));
  EXPECT_EQ(latin1ToUtf8(t.buffer().getText("Descricao")), "Eder");
}

TEST_P(TableTest, DescendingComponentListsNewestFirst) {
  TableDef def = changesDef();
  Table t(&def);
  ASSERT_TRUE(t.open(dir.file("ACFunc.dat")));
  int dates[] = {*toDayNumber(2020, 1, 1), *toDayNumber(2023, 6, 1), *toDayNumber(2021, 3, 1)};
  for (int emp : {7, 8})
    for (int d : dates) {
      t.buffer().clear();
      t.buffer().setInt("CodigoFun", emp);
      t.buffer().setText("Campo", "SALARIO");
      t.buffer().setInt("Data", d);
      ASSERT_TRUE(t.insert());
    }
  t.buffer().clear();
  t.buffer().setInt("CodigoFun", 7);
  t.buffer().setText("Campo", "salario");
  t.buffer().setInt("Data", INT32_MAX);
  ASSERT_TRUE(t.seek(0));
  std::vector<std::string> seen;
  while (t.next() && t.buffer().getInt("CodigoFun") == 7) seen.push_back(formatDate(t.buffer().getInt("Data")));
  EXPECT_EQ(seen, (std::vector<std::string>{"01/06/2023", "01/03/2021", "01/01/2020"}));
  // And back again across the mixed-direction key.
  ASSERT_TRUE(t.seekEnd(0));
  ASSERT_TRUE(t.previous());
  EXPECT_EQ(t.buffer().getInt("CodigoFun"), 8);
  EXPECT_EQ(formatDate(t.buffer().getInt("Data")), "01/01/2020");
}

TEST_P(TableTest, ExcludesEmptyKeyHasNoEntryForUnpaidInstalments) {
  TableDef def = instalmentDef();
  Table t(&def);
  ASSERT_TRUE(t.open(dir.file("Parcelas.dat")));
  for (int p = 1; p <= 3; ++p) {
    t.buffer().clear();
    t.buffer().setInt("Numero", 100);
    t.buffer().setInt("Parcela", p);
    t.buffer().setInt("DataPagamento", p == 2 ? 0 : *toDayNumber(2024, p, 10));
    ASSERT_TRUE(t.insert());
  }
  const int byPayment = 1;
  ASSERT_TRUE(t.seekStart(byPayment));
  int found = 0;
  while (t.next()) {
    EXPECT_NE(t.buffer().getInt("DataPagamento"), 0);
    ++found;
  }
  EXPECT_EQ(found, 2);
  t.buffer().clear();
  EXPECT_EQ(t.get(byPayment).code(), StatusCode::kNotFound);
  EXPECT_EQ(*t.count(), 3);
}

TEST_P(TableTest, ReportsWhichUniqueKeyIsDuplicated) {
  TableDef def = instalmentDef();
  Table t(&def);
  ASSERT_TRUE(t.open(dir.file("Parcelas.dat")));
  t.buffer().setInt("Numero", 1);
  t.buffer().setInt("Parcela", 1);
  ASSERT_TRUE(t.insert());
  Status s = t.insert();
  EXPECT_EQ(s.code(), StatusCode::kDuplicateKey);
  EXPECT_EQ(s.detail(), "PAR:Key:Numero");
  EXPECT_EQ(t.duplicatedKey(), 0);
  EXPECT_EQ(s.errorNumber(), 40);
  // A change onto another record's key names the key too, alone and in a
  // bulk run (where the clash undoes that write only).
  t.buffer().setInt("Parcela", 2);
  ASSERT_TRUE(t.insert());
  for (bool bulk : {false, true}) {
    SCOPED_TRACE(bulk ? "bulk" : "alone");
    if (bulk) {
      ASSERT_TRUE(t.beginBulk());
    }
    t.buffer().setInt("Numero", 1);
    t.buffer().setInt("Parcela", 2);
    ASSERT_TRUE(t.get(0));
    t.buffer().setInt("Parcela", 1);
    s = t.update();
    EXPECT_EQ(s.code(), StatusCode::kDuplicateKey);
    EXPECT_EQ(s.detail(), "PAR:Key:Numero");
    EXPECT_EQ(t.duplicatedKey(), 0);
    if (bulk) {
      ASSERT_TRUE(t.flush());
    }
  }
}

TEST_P(TableTest, OptimisticCheckRefusesStaleWrites) {
  TableDef def = instalmentDef();
  Table a(&def), b(&def);
  ASSERT_TRUE(a.open(dir.file("Parcelas.dat")));
  ASSERT_TRUE(b.open(dir.file("Parcelas.dat")));
  a.buffer().setInt("Numero", 5);
  a.buffer().setInt("Parcela", 1);
  ASSERT_TRUE(a.insert());
  b.buffer().setInt("Numero", 5);
  b.buffer().setInt("Parcela", 1);
  ASSERT_TRUE(b.get(0));  // both workstations read the record
  ASSERT_TRUE(a.get(0));
  a.buffer().setText("Obs", "primeiro");
  ASSERT_TRUE(a.update());
  b.buffer().setText("Obs", "segundo");
  EXPECT_EQ(b.update().code(), StatusCode::kChangedByOther);
  ASSERT_TRUE(b.get(0));
  EXPECT_EQ(b.buffer().getText("Obs"), "primeiro");  // nothing was overwritten
  ASSERT_TRUE(a.update());                          // a's own second change is fine
  EXPECT_EQ(b.erase().code(), StatusCode::kChangedByOther);
  ASSERT_TRUE(a.erase());
  ASSERT_TRUE(b.getById(a.buffer().recordId()).is(StatusCode::kNotFound));
}

TEST_P(TableTest, ExclusiveOpenIsRefusedWhileOthersHaveTheFile) {
  TableDef def = setorDef();
  Table a(&def), b(&def);
  a.setBusyTimeout(100);
  b.setBusyTimeout(100);
  ASSERT_TRUE(a.open(dir.file("Setor.dat")));
  EXPECT_EQ(a.journalMode(), testing::journalModeOf(GetParam()));
  Status s = b.open(dir.file("Setor.dat"), OpenMode::kExclusive);
  EXPECT_EQ(s.code(), StatusCode::kAccessDenied);
  a.close();
  ASSERT_TRUE(b.open(dir.file("Setor.dat"), OpenMode::kExclusive));
  EXPECT_EQ(a.open(dir.file("Setor.dat")).code(), StatusCode::kAccessDenied);
}

TEST_P(TableTest, DenyWriteOpenLetsOthersReadButNotWrite) {
  TableDef def = setorDef();
  const std::string path = dir.file("Setor.dat");
  Table a(&def), reader(&def), writer(&def), other(&def);
  for (Table* t : {&a, &reader, &writer, &other}) t->setBusyTimeout(100);
  ASSERT_TRUE(writer.open(path));
  // Another has it open for writing: refused.
  EXPECT_EQ(a.open(path, OpenMode::kDenyWrite).code(), StatusCode::kAccessDenied);
  writer.close();
  ASSERT_TRUE(a.open(path, OpenMode::kDenyWrite));
  a.buffer().clear();
  a.buffer().setInt("SET:Codigo", 1);
  a.buffer().setText("SET:Descricao", "Escrito");
  ASSERT_TRUE(a.insert());
  ASSERT_TRUE(reader.open(path, OpenMode::kReadOnly));
  Result<int64_t> n = reader.count();
  ASSERT_TRUE(n.isOk());
  EXPECT_EQ(*n, 1);
  EXPECT_EQ(writer.open(path).code(), StatusCode::kAccessDenied);
  EXPECT_EQ(other.open(path, OpenMode::kDenyWrite).code(), StatusCode::kAccessDenied);
  EXPECT_EQ(other.open(path, OpenMode::kExclusive).code(), StatusCode::kAccessDenied);
  a.close();
  EXPECT_TRUE(writer.open(path));
}

TEST_P(TableTest, OldLayoutIsConvertedOnOpenKeepingValues) {
  TableDef v1 = TableBuilder("Conta", "CTA", "Conta.dat")
                    .field("CTA:Codigo", STRING(20))
                    .field("CTA:Saldo", DECIMAL(9, 2))
                    .field("CTA:Velho", kBYTE)
                    .field("CTA:Nome", STRING(12))
                    .field("CTA:Grau", kSHORT)
                    .key("CTA:KEY:CODIGO", {"CTA:Codigo"}, kUnique | kPrimary)
                    .key("CTA:KEY:NOME", {"CTA:Nome"}, kDuplicates)
                    .build();
  TableDef v2 = TableBuilder("Conta", "CTA", "Conta.dat")
                    .version(2)
                    .field("CTA:Novo", kUSHORT)
                    .field("CTA:Codigo", STRING(40))
                    .field("CTA:Saldo", DECIMAL(13, 1))
                    .field("CTA:Nome", STRING(5))
                    .field("CTA:Grau", STRING(6))
                    .key("CTA:KEY:CODIGO", {"CTA:Codigo"}, kUnique | kPrimary)
                    .key("CTA:KEY:NOME", {"CTA:Nome"}, kDuplicates)
                    .build();
  const std::string path = dir.file("Conta.dat");
  int64_t id = 0;
  {
    Table t(&v1);
    ASSERT_TRUE(t.open(path));
    for (const char* code : {"1.1.01", "1.1.02", "1.1.03"}) {
      t.buffer().clear();
      t.buffer().setText("Codigo", code);
      t.buffer().setDecimal("Saldo", *Decimal::parse(code[5] == '1' ? "-1234.56" : "10.04", 2));
      t.buffer().setInt("Velho", 9);
      t.buffer().setText("Nome", utf8ToLatin1("São Paulo  x"));
      t.buffer().setInt("Grau", -42);
      ASSERT_TRUE(t.insert());
      if (id == 0) id = t.buffer().recordId();
    }
    ASSERT_TRUE(t.setProperty("estrutura", "2"));
    // The last number given is never given again, also after the conversion.
    t.buffer().setText("Codigo", "1.1.03");
    ASSERT_TRUE(t.get(0));
    ASSERT_TRUE(t.erase());
  }
  {
    // Reading alone never converts: the file stays as it is.
    Table reader(&v2);
    EXPECT_EQ(reader.open(path, OpenMode::kReadOnly).code(), StatusCode::kAccessDenied);
  }
  {
    // Another workstation has the old file open: conversion must wait.
    Table other(&v1), t(&v2);
    t.setBusyTimeout(100);
    ASSERT_TRUE(other.open(path));
    EXPECT_EQ(t.open(path).code(), StatusCode::kBusy);
    EXPECT_EQ(*other.count(), 2) << "the old file stays readable";
  }
  Table t(&v2);
  ASSERT_TRUE(t.open(path));
  t.buffer().setText("Codigo", "1.1.01");
  ASSERT_TRUE(t.get(0));
  EXPECT_EQ(t.buffer().recordId(), id);
  // Decimals rescaled (half away from zero), texts cut to their width,
  // numbers written as text, new fields blank.
  EXPECT_EQ(t.buffer().getDecimal("Saldo").toString(), "-1234.6");
  EXPECT_EQ(t.buffer().getText("Nome"), utf8ToLatin1("São P"));
  EXPECT_EQ(t.buffer().getText("Grau"), "-42");
  EXPECT_EQ(t.buffer().getInt("Novo"), 0);
  t.buffer().setText("Codigo", "1.1.02");
  ASSERT_TRUE(t.get(0));
  EXPECT_EQ(t.buffer().getDecimal("Saldo").toString(), "10.0");
  // The keys of the new layout are in place; the properties came along.
  ASSERT_TRUE(t.seekStart(1));
  int n = 0;
  while (t.next()) ++n;
  EXPECT_EQ(n, 2);
  EXPECT_EQ(*t.property("estrutura"), "2");
  ASSERT_TRUE(t.verifyFile());
  t.buffer().clear();
  t.buffer().setText("Codigo", "1.1.09");
  ASSERT_TRUE(t.insert());
  EXPECT_EQ(t.buffer().recordId(), id + 3);
  t.close();
  // Opening with the current layout again changes nothing.
  ASSERT_TRUE(t.open(path));
  EXPECT_EQ(*t.count(), 3);
  // An older program refuses the converted file.
  Table old(&v1);
  EXPECT_EQ(old.open(path).code(), StatusCode::kCorrupt);
}

TEST_P(TableTest, OldLayoutOfSeveralThousandRecordsIsConvertedWhole) {
  // More records than one read of the conversion takes, with quotes,
  // backslashes and accents in the texts.
  TableDef v1 = TableBuilder("Nota", "NOT", "Nota.dat")
                    .field("NOT:Numero", kULONG)
                    .field("NOT:Texto", STRING(20))
                    .key("NOT:KEY:NUMERO", {"NOT:Numero"}, kUnique | kPrimary)
                    .build();
  TableDef v2 = TableBuilder("Nota", "NOT", "Nota.dat")
                    .version(2)
                    .field("NOT:Numero", kULONG)
                    .field("NOT:Texto", STRING(24))
                    .field("NOT:Novo", kSHORT)
                    .key("NOT:KEY:NUMERO", {"NOT:Numero"}, kUnique | kPrimary)
                    .build();
  const std::string path = dir.file("Nota.dat");
  const int kRecords = 5000;
  auto textOf = [](int i) { return utf8ToLatin1("a\"b\\ção " + std::to_string(i)); };
  {
    Table t(&v1);
    ASSERT_TRUE(t.open(path, OpenMode::kExclusive));
    ASSERT_TRUE(t.beginBulk());
    for (int i = 1; i <= kRecords; ++i) {
      t.buffer().clear();
      t.buffer().setInt("Numero", i);
      t.buffer().setText("Texto", textOf(i));
      ASSERT_TRUE(t.insert());
    }
    ASSERT_TRUE(t.flush());
  }
  Table t(&v2);
  ASSERT_TRUE(t.open(path));
  EXPECT_EQ(*t.count(), kRecords);
  ASSERT_TRUE(t.seekStart(0));
  int n = 0;
  while (t.next()) {
    ++n;
    ASSERT_EQ(t.buffer().getInt("Numero"), n);
    ASSERT_EQ(t.buffer().getText("Texto"), textOf(n));
    ASSERT_EQ(t.buffer().getInt("Novo"), 0);
  }
  EXPECT_EQ(n, kRecords);
  ASSERT_TRUE(t.verifyFile());
}

TEST_P(TableTest, MaintenanceKeepsRecordNumbers) {
  TableDef def = setorDef();
  Table t(&def);
  ASSERT_TRUE(t.open(dir.file("Setor.dat"), OpenMode::kExclusive));
  for (int i = 0; i < 20; ++i) ASSERT_TRUE(addSetor(t, 1, "S"));
  ASSERT_TRUE(t.getById(5));
  ASSERT_TRUE(t.erase());
  ASSERT_TRUE(t.getById(20));
  ASSERT_TRUE(t.hold());
  ASSERT_EQ(t.heldRecords()->size(), 1u);
  int reports = 0;
  ASSERT_TRUE(t.rebuildKeys([&](int, int64_t, int64_t) { ++reports; }));
  EXPECT_EQ(reports, 4);
  ASSERT_TRUE(t.pack());
  ASSERT_TRUE(t.rebuildFile());
  ASSERT_TRUE(t.getById(20));
  EXPECT_EQ(t.buffer().getInt("Codigo"), 20);
  EXPECT_EQ(t.getById(5).code(), StatusCode::kNotFound);
  ASSERT_TRUE(t.releaseHolds());
  EXPECT_TRUE(t.heldRecords()->empty());
  // A new record never reuses the number of a deleted one.
  ASSERT_TRUE(t.getById(20));
  ASSERT_TRUE(t.erase());
  ASSERT_TRUE(addSetor(t, 1, "Novo"));
  EXPECT_EQ(t.buffer().recordId(), 21);
  ASSERT_TRUE(t.copyTo(dir.file("Copia.dat")));
  Table c(&def);
  ASSERT_TRUE(c.open(dir.file("Copia.dat")));
  EXPECT_EQ(*c.count(), 19);
  // The numbering goes with the copy, and can be raised but never lowered.
  ASSERT_TRUE(t.getById(21));
  ASSERT_TRUE(t.erase());
  EXPECT_EQ(*t.lastNumber(), 21);
  ASSERT_TRUE(t.keepNumbersAbove(100));
  ASSERT_TRUE(t.keepNumbersAbove(50));
  EXPECT_EQ(*t.lastNumber(), 100);
  ASSERT_TRUE(addSetor(t, 1, "Depois"));
  EXPECT_EQ(t.buffer().recordId(), 101);
  ASSERT_TRUE(c.getById(21));
  ASSERT_TRUE(c.erase());
  EXPECT_EQ(*c.lastNumber(), 21);
  ASSERT_TRUE(addSetor(c, 1, "Na copia"));
  EXPECT_EQ(c.buffer().recordId(), 22);
}

TEST_P(TableTest, CopiesKeepRecordNumbersAndProperties) {
  TableDef def = setorDef();
  Table t(&def);
  ASSERT_TRUE(t.open(dir.file("Setor.dat")));
  ASSERT_TRUE(t.beginBulk());
  for (int64_t id : {7, 3, 40}) {
    t.buffer().clear();
    t.buffer().setInt("CodigoDepartamento", 1);
    t.buffer().setInt("Codigo", static_cast<int>(id));
    ASSERT_TRUE(t.appendNumbered(id));
    EXPECT_EQ(t.buffer().recordId(), id);
  }
  // A number or a key already taken is refused, the run goes on.
  EXPECT_EQ(t.appendNumbered(3).code(), StatusCode::kDuplicateKey);
  ASSERT_TRUE(t.setProperty("b", "2"));
  ASSERT_TRUE(t.setProperty("a", "1"));
  ASSERT_TRUE(t.flush());
  // New records are numbered after the highest.
  ASSERT_TRUE(addSetor(t, 2, "Novo"));
  EXPECT_EQ(t.buffer().recordId(), 41);
  ASSERT_TRUE(t.getById(7));
  EXPECT_EQ(t.buffer().getInt("Codigo"), 7);
  EXPECT_EQ(*t.count(), 4);
  EXPECT_EQ(*t.properties(), (Table::Properties{{"a", "1"}, {"b", "2"}}));
  // A copy and a rebuilt file keep them (they say, for example, in which
  // account-code structure the records are written).
  ASSERT_TRUE(t.copyTo(dir.file("Copia.dat")));
  Table c(&def);
  ASSERT_TRUE(c.open(dir.file("Copia.dat"), OpenMode::kExclusive));
  EXPECT_EQ(*c.properties(), (Table::Properties{{"a", "1"}, {"b", "2"}}));
  ASSERT_TRUE(c.rebuildFile());
  EXPECT_EQ(*c.properties(), (Table::Properties{{"a", "1"}, {"b", "2"}}));
  ASSERT_TRUE(c.getById(40));
}

TEST_P(TableTest, NumbersOfDeletedRecordsAreNotGivenAgainAfterANumberedAdd) {
  TableDef def = setorDef();
  Table t(&def);
  ASSERT_TRUE(t.open(dir.file("Setor.dat")));
  for (int i = 1; i <= 3; ++i) ASSERT_TRUE(addSetor(t, 1, "S"));
  for (int64_t id : {3, 2}) {
    ASSERT_TRUE(t.getById(id));
    ASSERT_TRUE(t.erase());
  }
  t.buffer().clear();
  t.buffer().setInt("CodigoDepartamento", 2);
  t.buffer().setInt("Codigo", 2);
  ASSERT_TRUE(t.appendNumbered(2));
  ASSERT_TRUE(addSetor(t, 3, "Novo"));
  EXPECT_EQ(t.buffer().recordId(), 4);
}

TEST_P(TableTest, LongWalksCrossChunkBoundaries) {
  TableDef def = setorDef();
  Table t(&def);
  ASSERT_TRUE(t.open(dir.file("Setor.dat")));
  ASSERT_TRUE(t.beginBulk());
  for (int i = 0; i < 5000; ++i) ASSERT_TRUE(addSetor(t, 1 + i % 3, i % 2 ? "Par" : "Impar"));
  ASSERT_TRUE(t.flush());
  for (int key : {kFileOrder, 0, 1}) {
    ASSERT_TRUE(t.seekStart(key));
    int n = 0;
    std::set<int64_t> ids;
    while (t.next()) {
      ++n;
      ids.insert(t.buffer().recordId());
    }
    EXPECT_EQ(n, 5000) << key;
    EXPECT_EQ(ids.size(), 5000u);
  }
  // Rewriting every record during a walk in file order visits each exactly once.
  ASSERT_TRUE(t.beginBulk());
  ASSERT_TRUE(t.seekStart(kFileOrder));
  int rewritten = 0;
  while (t.next()) {
    ASSERT_TRUE(t.buffer().setText("Descricao", "Zz Reescrito"));
    ASSERT_TRUE(t.update());
    ++rewritten;
  }
  ASSERT_TRUE(t.flush());
  EXPECT_EQ(rewritten, 5000);
}

// What a bulk run on a file opened exclusively writes is what it reads
// back, during the run and after: the adjustment and the copy of a data
// root write this way.
TEST_P(TableTest, ExclusiveBulkRunSeesItsWritesAndCommitsThemAll) {
  TableDef def = setorDef();
  Table t(&def);
  ASSERT_TRUE(t.open(dir.file("Setor.dat"), OpenMode::kExclusive));
  ASSERT_TRUE(addSetor(t, 1, "Antes"));
  const int64_t first = t.buffer().recordId();
  // Texts with what quoting and escaping must carry through.
  const std::string odd = utf8ToLatin1("Açúcar \"doce\", {x} \\ fim");
  ASSERT_TRUE(t.beginBulk());
  for (int i = 1; i <= 2500; ++i) {
    t.buffer().clear();
    t.buffer().setInt("CodigoDepartamento", 2);
    t.buffer().setInt("Codigo", i);
    t.buffer().setText("Descricao", i == 7 ? odd : "Setor " + std::to_string(i));
    ASSERT_TRUE(t.append()) << i;
    EXPECT_EQ(t.buffer().recordId(), first + i);
  }
  EXPECT_EQ(*t.count(), 2501);
  ASSERT_TRUE(t.getById(first + 7));
  EXPECT_EQ(t.buffer().getText("Descricao"), odd);
  // Auto-numbering sees the rows of the run.
  ASSERT_TRUE(addSetor(t, 2, "Numerado"));
  EXPECT_EQ(t.buffer().getInt("Codigo"), 2501);
  // Every record rewritten in a walk; the first one twice without reading
  // it again, the second one removed.
  ASSERT_TRUE(t.seekStart(kFileOrder));
  int walked = 0;
  while (t.next()) {
    ++walked;
    const int64_t id = t.buffer().recordId();
    if (id == first + 2) {
      ASSERT_TRUE(t.erase());
      continue;
    }
    ASSERT_TRUE(t.buffer().setText("Descricao", "Novo " + std::to_string(id)));
    ASSERT_TRUE(t.update()) << id;
    if (id == first) {
      ASSERT_TRUE(t.buffer().setText("Descricao", "Duas vezes"));
      ASSERT_TRUE(t.update());
    }
  }
  EXPECT_EQ(walked, 2502);
  t.buffer().clear();
  t.buffer().setText("Descricao", "Novo " + std::to_string(first + 1));
  ASSERT_TRUE(t.seek(1));
  ASSERT_TRUE(t.next());
  EXPECT_EQ(t.buffer().getText("Descricao"), "Novo " + std::to_string(first + 1));
  ASSERT_TRUE(t.flush());
  EXPECT_FALSE(t.inBulk());
  t.close();

  Table r(&def);
  ASSERT_TRUE(r.open(dir.file("Setor.dat")));
  EXPECT_EQ(*r.count(), 2501);
  ASSERT_TRUE(r.getById(first));
  EXPECT_EQ(r.buffer().getText("Descricao"), "Duas vezes");
  EXPECT_TRUE(r.getById(first + 2).is(StatusCode::kNotFound));
  ASSERT_TRUE(r.getById(first + 2500));
  EXPECT_EQ(r.buffer().getText("Descricao"), "Novo " + std::to_string(first + 2500));
  // Records added later are numbered after the run's.
  ASSERT_TRUE(addSetor(r, 3, "Depois"));
  EXPECT_EQ(r.buffer().recordId(), first + 2502);
  r.close();

  // A run given up leaves nothing behind.
  ASSERT_TRUE(t.open(dir.file("Setor.dat"), OpenMode::kExclusive));
  ASSERT_TRUE(t.beginBulk());
  for (int i = 0; i < 1200; ++i) ASSERT_TRUE(addSetor(t, 4, "Desfeito"));
  ASSERT_TRUE(t.getById(first));
  ASSERT_TRUE(t.buffer().setText("Descricao", "Desfeito"));
  ASSERT_TRUE(t.update());
  ASSERT_TRUE(t.rollbackBulk());
  EXPECT_EQ(*t.count(), 2502);
  ASSERT_TRUE(t.getById(first));
  EXPECT_EQ(t.buffer().getText("Descricao"), "Duas vezes");
}

// Everything in the directory, with sizes and times.
std::map<std::string, std::pair<uintmax_t, int64_t>> listing(const std::string& dir) {
  std::map<std::string, std::pair<uintmax_t, int64_t>> out;
  for (const auto& e : std::filesystem::directory_iterator(dir))
    out[e.path().filename().string()] = {e.file_size(), *platform::modifiedTime(e.path().string())};
  return out;
}

TEST_P(TableTest, ReadOnlyOpensWriteNothingIntoTheDirectory) {
  TableDef def = setorDef();
  {
    Table w(&def);
    ASSERT_TRUE(w.open(dir.file("Setor.dat")));
    for (int i = 0; i < 30; ++i) ASSERT_TRUE(addSetor(w, 1, "Lido"));
  }
  if (onServer()) {
    // No directory to watch: readers read and refuse writes, a missing file
    // stays missing.
    Table a(&def), c(&def);
    ASSERT_TRUE(a.open(dir.file("Setor.dat"), OpenMode::kReadOnly));
    EXPECT_EQ(*a.count(), 30);
    EXPECT_EQ(addSetor(a, 1, "Nao").code(), StatusCode::kAccessDenied);
    EXPECT_EQ(c.open(dir.file("Outro.dat"), OpenMode::kReadOnly).code(), StatusCode::kFileNotFound);
    EXPECT_FALSE(fileExists(dir.file("Outro.dat")));
    return;
  }
  // The lock file of the writer is the only side file; take it away to see
  // that readers never make one.
  ASSERT_TRUE(platform::removeFile(dir.file("Setor.dat-lck")));
  ASSERT_TRUE(platform::setModifiedTime(dir.file("Setor.dat"), 1000000000));
  const auto before = listing(dir.path());
  {
    Table a(&def), b(&def);
    ASSERT_TRUE(a.open(dir.file("Setor.dat"), OpenMode::kReadOnly));
    ASSERT_TRUE(b.open(dir.file("Setor.dat"), OpenMode::kReadOnly));
    EXPECT_EQ(*a.count(), 30);
    ASSERT_TRUE(b.seekStart(0));
    int n = 0;
    while (b.next()) ++n;
    EXPECT_EQ(n, 30);
    EXPECT_TRUE(a.integrityCheck());
    EXPECT_EQ(a.buffer().recordId(), 0);
    EXPECT_EQ(addSetor(a, 1, "Nao").code(), StatusCode::kAccessDenied);
  }
  EXPECT_EQ(listing(dir.path()), before);
  // A missing file stays missing.
  Table c(&def);
  EXPECT_EQ(c.open(dir.file("Outro.dat"), OpenMode::kReadOnly).code(), StatusCode::kFileNotFound);
  EXPECT_EQ(listing(dir.path()), before);
}

TEST(TableJournalTest, SafeModeTakesAFileOutOfWalOnceNobodyUsesIt) {
  TempDir dir;
  TableDef def = setorDef();
  Table local(&def), shared(&def);
  local.setJournalPolicy(JournalPolicy::kWal);
  shared.setJournalPolicy(JournalPolicy::kRollback);
  shared.setBusyTimeout(150);
  ASSERT_TRUE(local.open(dir.file("Setor.dat")));
  ASSERT_EQ(local.journalMode(), JournalMode::kWal);
  ASSERT_TRUE(addSetor(local, 1, "Local"));
  // Never both at once: the safe side refuses rather than use WAL.
  Status s = shared.open(dir.file("Setor.dat"));
  EXPECT_EQ(s.code(), StatusCode::kBusy) << s.toString();
  EXPECT_EQ(s.detail(), dir.file("Setor.dat"));
  local.close();
  ASSERT_TRUE(shared.open(dir.file("Setor.dat")));
  EXPECT_EQ(shared.journalMode(), JournalMode::kRollback);
  EXPECT_EQ(*shared.count(), 1);
  EXPECT_FALSE(platform::exists(dir.file("Setor.dat-wal")));
  // Asked for WAL while a safe-mode writer has the file, a table stays safe.
  ASSERT_TRUE(local.open(dir.file("Setor.dat")));
  EXPECT_EQ(local.journalMode(), JournalMode::kRollback);
  ASSERT_TRUE(addSetor(local, 1, "Local"));
  EXPECT_EQ(*shared.count(), 2);
}

INSTANTIATE_TEST_SUITE_P(Backends, TableTest,
                         ::testing::Values(Backend::kRollback, Backend::kWal, Backend::kPostgres),
                         [](const auto& info) { return testing::backendTestName(info.param); });

}  // namespace
}  // namespace vorlam
