// Damaged copies of sample-root files: a copy whose export succeeds must
// give exactly the data of the sound file.  Truncations, zeroed and
// overwritten pages and single changed bytes, over files of several tables.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <sstream>

#include "dictionary/dictionary.h"
#include "storage/table.h"
#include "storage/test_util.h"
#include "utilities/csv_export.h"
#include "utilities/data_root.h"
#include "sampledata/demo_data.h"

namespace vorlam::utilities {
namespace {

using sampledata::DemoOptions;
using sampledata::DemoSummary;
using sampledata::generateDemo;

namespace fs = std::filesystem;

std::string slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// What export does: open read-only, the database's check, then every record.
Status exportFile(const TableDef& def, const std::string& path, std::string* csv) {
  Table t(&def);
  Status s = t.open(path, OpenMode::kReadOnly);
  if (s) s = t.integrityCheck();
  std::ostringstream out;
  if (s) s = exportCsv(t, out);
  *csv = out.str();
  return s;
}

TEST(DamageTest, NoDamagedCopyExportsDifferentData) {
  testing::TempDir tmp;
  DemoOptions options;
  options.root = tmp.path() + "/dados";
  options.companies = 1;
  options.entries = 120;
  options.years = {2024};
  Result<DemoSummary> demo = generateDemo(options);
  ASSERT_TRUE(demo.isOk()) << demo.status().toString();
  auto dict = buildDictionary();
  Result<shell::BindingMap> names = bindingsFor(*dict, demo->root, 1, 2024);
  ASSERT_TRUE(names.isOk());

  const char* labels[] = {"Conciliacao", "Diario",  "Empresa",  "PlanoContas",    "CFO",     "Estados",
                          "ForCli",      "Historico", "RegEntrada", "ParcRegEntrada", "ISS51", "ConfPlanoContas"};
  std::mt19937_64 rng(20);
  const std::string copy = tmp.path() + "/copia.dat";
  int copies = 0, refused = 0, same = 0;
  for (const char* label : labels) {
    const TableDef* def = dict->find(label);
    ASSERT_NE(def, nullptr) << label;
    const std::string path = names->at(def->binding);
    std::string reference;
    ASSERT_TRUE(exportFile(*def, path, &reference)) << label;
    const std::string sound = slurp(path);
    ASSERT_GT(sound.size(), 4096u) << label;
    const size_t pageSize = 4096, pages = sound.size() / pageSize;

    std::vector<std::string> damaged;
    for (size_t cut : {size_t{1}, size_t{100}, pageSize, sound.size() / 2, sound.size() - 100})
      damaged.push_back(sound.substr(0, sound.size() - cut));
    for (int i = 0; i < 12; ++i) {  // a page zeroed, or overwritten in part with noise
      std::string d = sound;
      size_t page = 1 + rng() % (pages - 1);
      size_t from = page * pageSize + (i % 2 ? rng() % pageSize : 0);
      size_t len = i % 2 ? 1 + rng() % (pageSize - (from - page * pageSize)) : pageSize;
      for (size_t k = from; k < from + len; ++k) d[k] = i % 2 ? static_cast<char>(rng()) : 0;
      damaged.push_back(d);
    }
    for (int i = 0; i < 24; ++i) {  // one byte changed anywhere, the header included
      std::string d = sound;
      size_t at = i < 4 ? rng() % 100 : rng() % sound.size();
      d[at] = static_cast<char>(d[at] ^ (1 + rng() % 255));
      damaged.push_back(d);
    }
    for (const std::string& d : damaged) {
      fs::remove(copy);
      fs::remove(copy + "-wal");
      fs::remove(copy + "-shm");
      std::ofstream(copy, std::ios::binary) << d;
      std::string csv;
      Status s = exportFile(*def, copy, &csv);
      ++copies;
      if (!s) {
        ++refused;
        continue;
      }
      ++same;
      EXPECT_EQ(csv, reference) << label << ": a damaged copy exported different data";
    }
  }
  EXPECT_EQ(copies, 12 * 41);
  EXPECT_GT(refused, copies / 3);  // most damage is found, not only harmless
  RecordProperty("copies", copies);
  RecordProperty("refused", refused);
  RecordProperty("unchanged", same);
}

}  // namespace
}  // namespace vorlam::utilities
