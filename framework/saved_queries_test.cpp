#include "framework/saved_queries.h"

#include <gtest/gtest.h>

#include "storage/test_util.h"

namespace vorlam {
namespace {

TEST(SavedQueryIndex, LoadsAndWritesBackTheIndex) {
  IniDocument doc = IniDocument::fromBytes(
      "[Sectors]\r\n__Dont_Touch_Me__=3\r\n__Dont_Touch_Me___1=BEmpresa,Filtro,Padrao\r\n"
      "__Dont_Touch_Me___2=malformada\r\n__Dont_Touch_Me___3=BPlanoISS,Q,2024\r\n"
      "[BEmpresa_Filtro$$Padrao]\r\nA=1\r\n");
  SavedQueryIndex index;
  index.loadFrom(doc);
  auto lines = index.lines();
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].sectionName(), "BEmpresa_Filtro$$Padrao");
  EXPECT_EQ(lines[1], (SavedQueryRef{"BPlanoISS", "Q", "2024"}));
  EXPECT_TRUE(doc.get(lines[0].sectionName(), "A").has_value());

  EXPECT_TRUE(index.remove(lines[0]));
  EXPECT_FALSE(index.add({"a,b", "c", "d"}).isOk());
  EXPECT_FALSE(index.add({std::string(100, 'x'), "c", "d"}).isOk());
  ASSERT_TRUE(index.add({"BForCli", "Nome", "Ação"}));
  ASSERT_TRUE(index.add({"BForCli", "Nome", "Ação"}));  // already there
  ASSERT_TRUE(index.writeTo(doc));
  EXPECT_EQ(doc.get("Sectors", "__Dont_Touch_Me__"), "2");
  EXPECT_EQ(doc.get("Sectors", "__Dont_Touch_Me___1"), "BPlanoISS,Q,2024");
  EXPECT_EQ(doc.get("Sectors", "__Dont_Touch_Me___2"), "BForCli,Nome,Ação");
  EXPECT_EQ(doc.get("Sectors", "__Dont_Touch_Me___3"), std::nullopt);  // left over from the longer index
}

TEST(SavedQueryIndex, MissingOrBadCountIsAnEmptyIndexAndFilesRoundTrip) {
  SavedQueryIndex index;
  index.loadFrom(IniDocument::fromBytes("[Sectors]\r\n__Dont_Touch_Me__=x\r\n__Dont_Touch_Me___1=a,b,c\r\n"));
  EXPECT_TRUE(index.lines().empty());
  testing::TempDir dir;
  SettingsFiles files(dir.path());
  EXPECT_TRUE(index.load(files).isOk());  // no file yet
  ASSERT_TRUE(index.add({"BEmpresa", "F", "1"}));
  ASSERT_TRUE(files.write("Main", "Maximize", "Yes", "Vorlam.INI"));
  ASSERT_TRUE(index.save(files));
  SavedQueryIndex again;
  ASSERT_TRUE(again.load(files, "vorlam.ini"));
  EXPECT_EQ(again.lines(), index.lines());
  EXPECT_EQ(files.read("Main", "Maximize", "", "Vorlam.INI"), "Yes");
}

}  // namespace
}  // namespace vorlam
