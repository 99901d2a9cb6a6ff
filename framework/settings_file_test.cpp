#include "framework/settings_file.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <thread>

#include "storage/test_util.h"

namespace vorlam {
namespace {

std::string slurp(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

void spit(const std::filesystem::path& p, const std::string& bytes) {
  std::ofstream out(p, std::ios::binary);
  out << bytes;
}

TEST(IniDocument, ReadsWithoutLetterCaseAndFirstOneWins) {
  IniDocument doc = IniDocument::fromBytes(
      "; comentário\r\n[Servidor_Contabilidade]\r\nNetPath = \\\\srv\\dados\\ \r\n"
      "[servidor_contabilidade]\r\nNetPath=outro\r\n[UPG File]\r\nPath=\"  \"\r\nKey\r\n");
  EXPECT_EQ(doc.get("SERVIDOR_CONTABILIDADE", "netpath"), "\\\\srv\\dados\\");
  EXPECT_EQ(doc.get("upg file", "PATH"), "  ");  // quotes keep the blanks
  EXPECT_EQ(doc.get("UPG File", "Key"), std::nullopt);
  EXPECT_EQ(doc.get("Nada", "Path"), std::nullopt);
  EXPECT_EQ(doc.sections(), (std::vector<std::string>{"Servidor_Contabilidade", "servidor_contabilidade", "UPG File"}));
}

TEST(IniDocument, EditsKeepCommentsOrderAndLineEnds) {
  const std::string original =
      "; arquivo do lançador\r\n[Main]\r\nMaximize=No\r\n; posição\r\nXPos=10\r\n\r\n[Outra]\r\nA=1\r\n";
  IniDocument doc = IniDocument::fromBytes(original);
  EXPECT_EQ(doc.toBytes(), original);
  ASSERT_TRUE(doc.set("main", "xpos", "20"));
  ASSERT_TRUE(doc.set("Main", "YPos", "30"));
  ASSERT_TRUE(doc.set("Nova", "B", "2"));
  EXPECT_TRUE(doc.erase("OUTRA", "a"));
  EXPECT_FALSE(doc.erase("Outra", "a"));
  EXPECT_EQ(doc.toBytes(),
            "; arquivo do lançador\r\n[Main]\r\nMaximize=No\r\n; posição\r\nXPos=20\r\nYPos=30\r\n\r\n"
            "[Outra]\r\n[Nova]\r\nB=2\r\n");
  EXPECT_TRUE(doc.eraseSection("outra"));
  EXPECT_EQ(doc.sections(), (std::vector<std::string>{"Main", "Nova"}));
}

TEST(IniDocument, KeepsUnixLineEndsAndAMissingFinalLineEnd) {
  IniDocument doc = IniDocument::fromBytes("[A]\nx=1");
  ASSERT_TRUE(doc.set("A", "y", "2"));
  EXPECT_EQ(doc.toBytes(), "[A]\nx=1\ny=2");
}

TEST(IniDocument, EveryUntouchedByteStaysWhateverTheLineEnds) {
  // Mixed line ends, bare CR, a lone LF-CR pair, blanks and no final end.
  const std::string samples[] = {
      "[A]\rx=1\ry=2",          "[A]\rx=1\r",           "[A]\r\nx=1\ny=2\r[B]\n\rz=3\r\n",
      "\r\n\r\n[A]\r\nx=1",   "x=0\n[A]\nx=1\n\n",   "",
      "\r",                      "[A]",                    std::string("[A]\r\nx=\0\xE9\r\n", 11),
  };
  for (const std::string& bytes : samples) {
    IniDocument doc = IniDocument::fromBytes(bytes);
    EXPECT_EQ(doc.toBytes(), bytes);
  }
  // Changing one entry touches that line only.
  IniDocument mixed = IniDocument::fromBytes("[A]\r\nx=1\ny=2\r[B]\n\rz=3\r\n");
  ASSERT_TRUE(mixed.set("A", "y", "5"));
  ASSERT_TRUE(mixed.set("B", "z", "6"));
  EXPECT_EQ(mixed.toBytes(), "[A]\r\nx=1\ny=5\r[B]\n\rz=6\r\n");
  // A bare-CR file keeps its last byte; added lines end as its lines do.
  IniDocument cr = IniDocument::fromBytes("[A]\rx=1\r");
  ASSERT_TRUE(cr.set("A", "x", "2"));
  EXPECT_EQ(cr.toBytes(), "[A]\rx=2\r");
  ASSERT_TRUE(cr.set("A", "w", "3"));
  ASSERT_TRUE(cr.set("C", "k", "4"));
  EXPECT_EQ(cr.toBytes(), "[A]\rx=2\rw=3\r[C]\rk=4\r");
  IniDocument bare = IniDocument::fromBytes("[A]\rx=1");
  ASSERT_TRUE(bare.set("A", "x", "9"));
  EXPECT_EQ(bare.toBytes(), "[A]\rx=9");
  ASSERT_TRUE(bare.set("B", "y", "8"));
  EXPECT_EQ(bare.toBytes(), "[A]\rx=9\r[B]\ry=8");
  EXPECT_TRUE(bare.eraseSection("B"));
  EXPECT_EQ(bare.toBytes(), "[A]\rx=9");
  EXPECT_TRUE(bare.erase("A", "x"));
  EXPECT_EQ(bare.toBytes(), "[A]");
}

TEST(IniDocument, RefusesNamesThatCannotBeWritten) {
  IniDocument doc;
  EXPECT_FALSE(doc.set("", "a", "1"));
  EXPECT_FALSE(doc.set("S", "a=b", "1"));
  EXPECT_FALSE(doc.set("S]", "a", "1"));
  EXPECT_FALSE(doc.set("S", ";a", "1"));
  ASSERT_TRUE(doc.set("S", "a", "linha1\nlinha2"));
  EXPECT_EQ(doc.get("S", "a"), "linha1 linha2");
}

TEST(SettingsFiles, WindowsCodePageOnDiskUtf8InTheApi) {
  testing::TempDir dir;
  SettingsFiles files(dir.path());
  ASSERT_TRUE(files.write("Pesquisa", "Histórico", "Lançamento", "Ctb.Ini"));
  EXPECT_EQ(slurp(dir.file("Ctb.Ini")), "[Pesquisa]\r\nHist\xF3rico=Lan\xE7" "amento\r\n");
  EXPECT_EQ(files.read("pesquisa", "HISTÓRICO", "", "Ctb.Ini"), "Lançamento");
}

TEST(SettingsFiles, DefaultsAndDeletion) {
  testing::TempDir dir;
  SettingsFiles files(dir.path());
  EXPECT_EQ(files.read("UPG File", "Path", "padrão", "Ctb.ini"), "padrão");
  EXPECT_TRUE(files.remove("UPG File", "Path", "Ctb.ini"));  // nothing to delete: no file made
  EXPECT_FALSE(std::filesystem::exists(dir.file("Ctb.ini")));
  ASSERT_TRUE(files.write("UPG File", "Path", "/dados/", "Ctb.ini"));
  EXPECT_EQ(files.read("UPG File", "Path", "", "Ctb.ini"), "/dados/");
  ASSERT_TRUE(files.write("UPG File", "Path", std::nullopt, "Ctb.ini"));
  EXPECT_EQ(files.read("UPG File", "Path", "x", "Ctb.ini"), "x");
  EXPECT_EQ(slurp(dir.file("Ctb.ini")), "[UPG File]\r\n");
}

TEST(SettingsFiles, NamesResolveInTheSettingsDirectoryWhateverTheWorkingDirectory) {
  testing::TempDir dir, elsewhere;
  std::filesystem::path before = std::filesystem::current_path();
  std::filesystem::current_path(dir.path());
  SettingsFiles files(".");  // made absolute now
  std::filesystem::current_path(elsewhere.path());
  ASSERT_TRUE(files.write("SelecionarEmpresa", "Codigo", "7", "ctb.ini"));
  std::filesystem::current_path(before);
  EXPECT_TRUE(std::filesystem::exists(dir.file("ctb.ini")));
  EXPECT_FALSE(std::filesystem::exists(elsewhere.file("ctb.ini")));
  // The same file under another spelling, as the suite names it.
  EXPECT_EQ(files.read("SelecionarEmpresa", "Codigo", "", "Ctb.INI"), "7");
  std::filesystem::create_directories(dir.file("BComuns"));
  spit(dir.file("BComuns/ctb.ini"), "[UsuEscritaQuelma]\r\nParametros=1\r\n");
  EXPECT_EQ(files.read("UsuEscritaQuelma", "Parametros", "0", "bcomuns\\CTB.ini"), "1");
  EXPECT_EQ(files.read("UsuEscritaQuelma", "Parametros", "0", dir.file("BComuns/ctb.ini")), "1");
}

// The files a data root keeps beside its record files ("BComuns\ctb.ini"):
// on a directory root they are read there; a server root has no folders,
// so the machine's settings directory keeps them, its folders made on the
// first write, and the same name finds them again.
TEST(SettingsFiles, DataRootFilesLiveInTheSettingsDirectoryForAServerRoot) {
  testing::TempDir machine, root;
  SettingsFiles files(machine.path());
  const std::string onServer = dataRootSettingsFile("postgresql://srv/banco/dados/", "BComuns\\ctb.ini");
  EXPECT_EQ(onServer, "BComuns\\ctb.ini");
  ASSERT_TRUE(files.write("UsuEscritaQuelma", "Parametros", "1", onServer));
  EXPECT_EQ(slurp(machine.file("BComuns/ctb.ini")), "[UsuEscritaQuelma]\r\nParametros=1\r\n");
  EXPECT_EQ(files.read("UsuEscritaQuelma", "Parametros", "0", onServer), "1");

  std::filesystem::create_directories(root.file("BComuns"));
  spit(root.file("BComuns/CTB.INI"), "[UsuEscritaQuelma]\r\nParametros=2\r\n");
  for (const std::string& dataRoot : {root.path() + "/", root.path()})
    EXPECT_EQ(files.read("UsuEscritaQuelma", "Parametros", "0", dataRootSettingsFile(dataRoot, "BComuns\\ctb.ini")),
              "2");
  // Folders are made only inside the settings directory.
  EXPECT_FALSE(files.write("S", "E", "v", root.file("Falta/ctb.ini")));
  EXPECT_FALSE(std::filesystem::exists(root.file("Falta")));
}

TEST(SettingsFiles, RoundTripKeepsForeignLinesAndLeavesNoTemporaryFiles) {
  testing::TempDir dir;
  const std::string original = "; mantido\r\n[Servidor_Contabilidade]\r\nNetPath=\\\\srv\\\r\n;fim\r\n";
  spit(dir.file("Brimlet.ini"), original);
  SettingsFiles files(dir.path());
  ASSERT_TRUE(files.write("Servidor_Contabilidade", "Extra", "1", "Brimlet.ini"));
  ASSERT_TRUE(files.remove("Servidor_Contabilidade", "Extra", "Brimlet.ini"));
  EXPECT_EQ(slurp(dir.file("Brimlet.ini")), original);
  int count = 0;
  for (auto& e : std::filesystem::directory_iterator(dir.path())) count += e.is_regular_file();
  EXPECT_EQ(count, 1);
}

TEST(SettingsFiles, ConcurrentWritersLoseNothing) {
  testing::TempDir dir;
  SettingsFiles files(dir.path());
  auto writer = [&](std::string section) {
    for (int i = 0; i < 25; ++i) ASSERT_TRUE(files.write(section, "E" + std::to_string(i), "v", "Vorlam.INI"));
  };
  std::thread a(writer, "A"), b(writer, "B");
  a.join();
  b.join();
  Result<IniDocument> doc = files.load("Vorlam.INI");
  ASSERT_TRUE(doc.isOk());
  EXPECT_EQ(doc->entries("A").size(), 25u);
  EXPECT_EQ(doc->entries("B").size(), 25u);
}

}  // namespace
}  // namespace vorlam
