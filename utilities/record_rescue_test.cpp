// Repair of deliberately damaged copies of sample-root files: a truncated
// file, a page of records overwritten, an inner page of the tree
// overwritten, a continuation page overwritten, the header destroyed.  The
// rescued file must hold exactly the original records that lay on no
// damaged page (same record numbers, same values), the report must name
// what was lost, and the damaged original must be kept as found.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <random>
#include <set>

#include "dictionary/dictionary.h"
#include "sampledata/demo_data.h"
#include "storage/platform.h"
#include "storage/table.h"
#include "storage/test_util.h"
#include "utilities/data_root.h"
#include "utilities/layout_file.h"
#include "utilities/record_rescue.h"
#include "utilities/record_scan.h"

namespace vorlam::utilities {
namespace {

namespace fs = std::filesystem;
using Records = std::map<int64_t, std::vector<std::string>>;

std::string slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void spit(const std::string& path, const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }

// Every record of the file by record number, each value as text.
Records readAll(const TableDef& def, const std::string& path, Status* status = nullptr) {
  Records out;
  Table t(&def);
  Status s = t.open(path, OpenMode::kReadOnly);
  if (s) s = t.seekStart(kFileOrder);
  while (s) {
    Status n = t.next();
    if (n.is(StatusCode::kNotFound)) break;
    s = n;
    if (!s) break;
    std::vector<std::string> values;
    for (int f = 0; f < int(def.fields.size()); ++f)
      for (int e = 0; e < def.fields[size_t(f)].dim; ++e) values.push_back(t.buffer().getAsText(f, e));
    out[t.buffer().recordId()] = values;
  }
  if (status) *status = s;
  return out;
}

class RescueTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    tmp_ = new testing::TempDir();
    sampledata::DemoOptions options;
    options.root = tmp_->path() + "/dados";
    options.companies = 2;
    options.entries = 400;
    options.years = {2024};
    Result<sampledata::DemoSummary> demo = sampledata::generateDemo(options);
    ASSERT_TRUE(demo.isOk()) << demo.status().toString();
    dict_ = buildDictionary();
    Result<shell::BindingMap> names = bindingsFor(*dict_, demo->root, 1, 2024);
    ASSERT_TRUE(names.isOk());
    names_ = new shell::BindingMap(*names);
  }
  static void TearDownTestSuite() {
    delete names_;
    dict_.reset();
    delete tmp_;
  }

  struct Sample {
    const TableDef* def;
    std::string sound;       // the file's bytes
    Records originals;       // its records
    ScanResult map;          // where each record lies
  };
  static Sample sample(const char* label) {
    Sample s;
    s.def = dict_->find(label);
    const std::string path = names_->at(s.def->binding);
    s.sound = slurp(path);
    s.originals = readAll(*s.def, path);
    s.map = scanRecordFile(*s.def, s.sound);
    return s;
  }

  // Repairs `damaged` and checks the outcome against the records that lay
  // on no page of `lostPages`.
  void repairAndCompare(const Sample& s, const std::string& damaged, const std::set<int64_t>& lostPages,
                        const std::string& what) {
    SCOPED_TRACE(s.def->label + ": " + what);
    testing::TempDir dir;
    const std::string path = dir.file("Arquivo.dat");
    spit(path, damaged);
    RescueReport r = rescueFile(*s.def, path);
    ASSERT_TRUE(r.status) << r.status.toString() << "\n" << r.text();
    EXPECT_TRUE(r.replaced);
    Records expected;
    for (const auto& [id, values] : s.originals) {
      bool lost = false;
      for (int64_t p : s.map.records.at(id).pages) lost = lost || lostPages.count(p) > 0;
      if (!lost) expected[id] = values;
    }
    Status read;
    Records rescued = readAll(*s.def, path, &read);
    ASSERT_TRUE(read) << read.toString();
    EXPECT_EQ(rescued.size(), expected.size());
    EXPECT_TRUE(rescued == expected) << "the rescued records differ from the sound ones";
    EXPECT_EQ(r.rescued, int64_t(expected.size()));
    if (expected.size() < s.originals.size()) {
      EXPECT_FALSE(r.scan.badPages.empty() && r.scan.badRecords.empty()) << r.text();
    }
    for (int64_t p : lostPages) {
      bool named = false;
      for (const PageProblem& b : r.scan.badPages) named = named || b.page == p || (b.page <= p && b.why.find("truncado") != std::string::npos);
      for (const RecordProblem& b : r.scan.badRecords) named = named || b.page == p || b.why.find(std::to_string(p)) != std::string::npos;
      EXPECT_TRUE(named) << "page " << p << " not in the report\n" << r.text();
    }
    EXPECT_EQ(slurp(r.kept), damaged) << "the damaged original was not kept as found";
    const std::string report = slurp(path + ".recfix.txt");
    EXPECT_EQ(report, r.text());
    EXPECT_NE(report.find("Registros recuperados: " + std::to_string(expected.size())), std::string::npos);
    Table t(s.def);
    ASSERT_TRUE(t.open(path, OpenMode::kShared));
    EXPECT_TRUE(t.verifyFile());
  }

  static testing::TempDir* tmp_;
  static std::shared_ptr<const Dictionary> dict_;
  static shell::BindingMap* names_;
};

testing::TempDir* RescueTest::tmp_ = nullptr;
std::shared_ptr<const Dictionary> RescueTest::dict_;
shell::BindingMap* RescueTest::names_ = nullptr;

constexpr const char* kLabels[] = {"Diario", "Empresa", "PlanoContas", "Municipios"};

TEST_F(RescueTest, SoundFileIsReadWholeThroughItsTree) {
  for (const char* label : kLabels) {
    Sample s = sample(label);
    ASSERT_GT(s.originals.size(), 1u) << label;
    EXPECT_EQ(s.map.records.size(), s.originals.size()) << label;
    EXPECT_TRUE(s.map.treeFound) << label;
    EXPECT_EQ(s.map.outsideTree, 0) << label;
    EXPECT_TRUE(s.map.badPages.empty()) << label << ": " << s.map.badPages.front().why;
    EXPECT_TRUE(s.map.badRecords.empty()) << label;
  }
}

TEST_F(RescueTest, DamagedCopiesGiveBackEveryReadableRecord) {
  std::mt19937_64 rng(19);
  for (const char* label : kLabels) {
    Sample s = sample(label);
    const int64_t ps = s.map.pageSize;
    ASSERT_EQ(ps, 4096);
    // Pages that hold records, and the continuation pages of long records.
    std::set<int64_t> leaves, overflow;
    for (const auto& [id, rec] : s.map.records) {
      leaves.insert(rec.pages[0]);
      overflow.insert(rec.pages.begin() + 1, rec.pages.end());
    }
    const int64_t pages = int64_t(s.sound.size()) / ps;

    // Truncated: at a page boundary and inside a page.
    for (int64_t keep : {pages / 2, pages - 1}) {
      std::set<int64_t> lost;
      for (int64_t p = keep + 1; p <= pages; ++p) lost.insert(p);
      repairAndCompare(s, s.sound.substr(0, size_t(keep * ps)), lost, "truncado em página");
      repairAndCompare(s, s.sound.substr(0, size_t(keep * ps + 100)), lost, "truncado dentro de página");
    }
    // A page of records overwritten with noise.
    {
      auto it = leaves.begin();
      std::advance(it, leaves.size() / 2);
      std::string d = s.sound;
      for (int64_t k = 0; k < ps; ++k) d[size_t((*it - 1) * ps + k)] = char(rng());
      repairAndCompare(s, d, {*it}, "página de registros sobrescrita");
    }
    // A continuation page overwritten: only its record is lost.
    if (!overflow.empty()) {
      const int64_t p = *overflow.rbegin();
      std::string d = s.sound;
      for (int64_t k = 0; k < ps; ++k) d[size_t((p - 1) * ps + k)] = char(rng());
      repairAndCompare(s, d, {p}, "página de continuação sobrescrita");
    }
    // The header destroyed: nothing of the records is lost.
    {
      std::string d = s.sound;
      for (int k = 0; k < 100; ++k) d[size_t(k)] = 0;
      repairAndCompare(s, d, {}, "cabeçalho destruído");
    }
  }
}

TEST_F(RescueTest, InnerPageOverwrittenLosesNoRecord) {
  Sample s = sample("Diario");
  // The pages of the tree that hold no records are its inner pages.
  std::set<int64_t> leaves;
  for (const auto& [id, rec] : s.map.records) leaves.insert(rec.pages.begin(), rec.pages.end());
  // The root of the records is read from the schema page; find an inner page
  // as one whose type byte says so and that holds no record.
  int64_t inner = 0;
  const int64_t pages = int64_t(s.sound.size()) / s.map.pageSize;
  for (int64_t p = 2; p <= pages && inner == 0; ++p)
    if (!leaves.count(p) && static_cast<unsigned char>(s.sound[size_t((p - 1) * s.map.pageSize)]) == 5) inner = p;
  ASSERT_NE(inner, 0) << "the sample file has no inner page";
  std::string d = s.sound;
  for (int64_t k = 0; k < s.map.pageSize; ++k) d[size_t((inner - 1) * s.map.pageSize + k)] = 0x55;
  repairAndCompare(s, d, {}, "página interna sobrescrita");
}

TEST_F(RescueTest, FileOpenElsewhereIsRefusedAndLeftAlone) {
  Sample s = sample("Municipios");
  testing::TempDir dir;
  const std::string path = dir.file("Municipi.dat");
  spit(path, s.sound);
  Table other(s.def);
  ASSERT_TRUE(other.open(path, OpenMode::kShared));
  RescueReport r = rescueFile(*s.def, path);
  EXPECT_EQ(r.status.code(), StatusCode::kAccessDenied);
  EXPECT_FALSE(r.replaced);
  EXPECT_TRUE(r.kept.empty());
  other.close();
  EXPECT_EQ(slurp(path), s.sound);
}

TEST(LayoutFileTest, EveryDeclarationSurvivesItsLayoutFile) {
  auto dict = buildDictionary();
  for (const TableDef& def : dict->tables()) {
    Result<TableDef> back = parseLayout(layoutText(def));
    ASSERT_TRUE(back.isOk()) << def.label << ": " << back.status().toString();
    EXPECT_EQ(layoutText(*back), layoutText(def)) << def.label;
    EXPECT_EQ(back->recordSize(), def.recordSize()) << def.label;
  }
  EXPECT_FALSE(parseLayout("").isOk());
  EXPECT_FALSE(parseLayout("VORLAM-LAYOUT 1\nLABEL X\nFIELD X:A STRING 0 0 1\n").isOk());
  EXPECT_FALSE(parseLayout("VORLAM-LAYOUT 1\nLABEL X\nFIELD X:A BYTE 0 0 1\nKEY K U 0 X:B\n").isOk());
  EXPECT_EQ(layoutFileName("/d/Empresas.dat"), "/d/Empresas.lay");
  EXPECT_EQ(layoutFileName("/d.x/Empresas"), "/d.x/Empresas.lay");
  EXPECT_EQ(withDataExtension("/d.x/Empresas"), "/d.x/Empresas.dat");
  EXPECT_EQ(withDataExtension("/d/Cfo.dat"), "/d/Cfo.dat");
}

}  // namespace
}  // namespace vorlam::utilities
