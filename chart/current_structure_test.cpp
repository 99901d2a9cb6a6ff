#include "chart/current_structure.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <initializer_list>
#include <memory>

#include "shell/company_files.h"
#include "shell/paths.h"
#include "shell/startup.h"
#include "storage/table.h"
#include "storage/test_util.h"

namespace vorlam::chart {
namespace {

class CurrentStructureTest : public ::testing::Test {
 protected:
  void SetUp() override {
    shell::DataLocations loc = shell::locationsUnder(dir.path() + "/");
    state = std::make_unique<shell::AppState>(loc);
    shell::createDataDirectories(loc);
    state->bind(shell::sharedFileNames(loc.root));
    add(1, {1, 1, 1, 2, 4});
    add(7, {2, 2, 3});
  }
  void add(uint16_t code, std::initializer_list<int> widths) {
    Table t(dict->find("ConfPlanoContas"));
    ASSERT_TRUE(t.open(state->pathFor(t.def().binding)).isOk());
    t.buffer().setInt("Codigo", code);
    t.buffer().setInt("Graus", int(widths.size()));
    int n = 1;
    for (int w : widths) t.buffer().setInt("G" + std::to_string(n++), w);
    ASSERT_TRUE(t.append().isOk());
  }
  void useStructure(uint16_t code) {
    shell::CurrentCompany c = state->company();
    c.codigo = 123;
    c.codPlanoContas = code;
    state->setCompany(c);
  }

  vorlam::testing::TempDir dir;
  std::shared_ptr<const Dictionary> dict = buildDictionary();
  std::unique_ptr<shell::AppState> state;
};

TEST_F(CurrentStructureTest, FormataContaFollowsTheCurrentCompanysStructure) {
  CurrentStructure codes(*dict, *state);
  EXPECT_EQ(codes.tamanhoNivel(1), 0) << "nothing loaded yet";
  useStructure(1);
  EXPECT_EQ(*codes.formataConta("22202"), "2.2.2.02");
  EXPECT_EQ(codes.tamanhoNivel(5), 13);
  useStructure(7);
  EXPECT_EQ(*codes.formataConta("1122333"), "11.22.333");
  EXPECT_EQ(codes.tamanhoNivel(2), 5);
  // Another screen's instance keeps what it loaded.
  CurrentStructure other(*dict, *state);
  useStructure(1);
  EXPECT_EQ(*other.formataConta("1101"), "1.1.0.1");
  EXPECT_EQ(codes.loaded().code, 7);
}

TEST_F(CurrentStructureTest, StructureNotStoredGivesAnEmptyCodeAndClearsTheStructure) {
  CurrentStructure codes(*dict, *state);
  useStructure(7);
  ASSERT_TRUE(codes.formataConta("1122333").isOk());
  useStructure(99);
  Result<std::string> code = codes.formataConta("1122333");
  ASSERT_TRUE(code.isOk());
  EXPECT_EQ(*code, "");
  EXPECT_EQ(codes.loaded().levelCount, 0);
  EXPECT_EQ(codes.tamanhoNivel(1), 0);
  EXPECT_EQ(readStructure(*dict, *state, 99).status().code(), StatusCode::kNotFound);
}

}  // namespace
}  // namespace vorlam::chart
