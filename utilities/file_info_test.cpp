#include "utilities/file_info.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>

#include "shell/startup.h"
#include "storage/table.h"
#include "storage/test_util.h"

namespace vorlam::utilities {
namespace {

namespace fs = std::filesystem;

TEST(MaintainedFilesTest, ListsBoundTablesOnceEach) {
  auto dict = buildDictionary();
  std::set<std::string> seen;
  ASSERT_EQ(maintainedFiles().size(), 34u);
  for (const MaintainedFile& f : maintainedFiles()) {
    const TableDef* def = dict->find(f.label);
    ASSERT_NE(def, nullptr) << f.label;
    EXPECT_FALSE(def->binding.empty()) << f.label;
    EXPECT_TRUE(def->copies.empty()) << f.label << " is an alias";
    EXPECT_TRUE(seen.insert(f.label).second) << f.label;
    EXPECT_NE(std::string(f.description), "");
  }
  EXPECT_EQ(std::string(maintainedFiles().front().label), "ACFuncionarios");
  EXPECT_EQ(std::string(maintainedFiles().back().label), "Setor");
}

class FileInfoTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = tmp_.path() + "/";
    shell::createDataDirectories(shell::locationsUnder(root_));
    names_ = shell::sharedFileNames(root_);
  }
  FileInfo info(const char* label) {
    for (const MaintainedFile& f : maintainedFiles())
      if (std::string(f.label) == label) return describeFile(*dict_, names_, f);
    ADD_FAILURE() << label;
    return {};
  }

  testing::TempDir tmp_;
  std::string root_;
  shell::BindingMap names_;
  std::shared_ptr<const Dictionary> dict_ = buildDictionary();
};

TEST_F(FileInfoTest, ExistingFileShowsCountAndFullName) {
  const std::string path = names_.at(dict_->find("Estados")->binding);
  {
    Table t(dict_->find("Estados"));
    ASSERT_TRUE(t.open(path));
    for (const char* uf : {"SP", "RJ", "MG"}) {
      t.buffer().clear();
      ASSERT_TRUE(t.buffer().setText("EST:UF", uf));
      ASSERT_TRUE(t.append());
    }
  }
  FileInfo f = info("Estados");
  EXPECT_TRUE(f.status.isOk()) << f.status.toString();
  EXPECT_EQ(f.count, "3");
  EXPECT_EQ(f.name, path);
  EXPECT_EQ(f.description, "Tabela de Estados da Feredação");
}

TEST_F(FileInfoTest, MissingFileShowsQuestionMarkAndIsNotCreated) {
  const std::string path = names_.at(dict_->find("CNAE")->binding);
  FileInfo f = info("CNAE");
  EXPECT_EQ(f.count, "?");
  EXPECT_EQ(f.name, "Error 2 : " + f.status.message());
  EXPECT_FALSE(fs::exists(path));
}

TEST_F(FileInfoTest, UnboundAndDamagedFilesShowTheirErrors) {
  FileInfo unbound = info("Diario");  // no company selected
  EXPECT_EQ(unbound.count, "?");
  EXPECT_TRUE(unbound.name.starts_with("Error 45 : ")) << unbound.name;

  const std::string path = names_.at(dict_->find("Municipios")->binding);
  std::ofstream(path) << "isto não é um arquivo de registros, apenas texto solto";
  FileInfo damaged = info("Municipios");
  EXPECT_EQ(damaged.count, "?");
  EXPECT_FALSE(damaged.status.isOk());
  EXPECT_EQ(damaged.name, maintenanceErrorText(damaged.status));
}

TEST_F(FileInfoTest, EveryEntryInListOrder) {
  std::vector<FileInfo> all = describeMaintainedFiles(*dict_, names_);
  ASSERT_EQ(all.size(), maintainedFiles().size());
  for (size_t i = 0; i < all.size(); ++i) EXPECT_EQ(all[i].label, maintainedFiles()[i].label);
}

}  // namespace
}  // namespace vorlam::utilities
