#include "shell/session.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "shell/company_files.h"
#include "shell/startup.h"
#include "storage/test_util.h"

namespace vorlam::shell {
namespace {

namespace fs = std::filesystem;

class SessionTest : public ::testing::Test {
 protected:
  SessionTest() : ini_(tmp_.path() + "/ini"), settings_(ini_) {}

  std::unique_ptr<Session> start(const std::string& workingDirectory) {
    fs::create_directories(workingDirectory);
    auto r = Session::start({workingDirectory, ini_});
    EXPECT_TRUE(r.isOk()) << r.status().message();
    return r.isOk() ? std::move(r).value() : nullptr;
  }

  testing::TempDir tmp_;
  fs::path ini_;
  SettingsFiles settings_;
};

TEST_F(SessionTest, DataRootFromTheLauncherAndDirectoriesCreated) {
  const std::string server = tmp_.path() + "/servidor/";
  ASSERT_TRUE(settings_.write("Servidor_Contabilidade", "NetPath", server, "Brimlet.ini"));
  ASSERT_TRUE(settings_.write("UPG File", "Path", "   ", "Ctb.ini"));
  auto session = start(tmp_.path() + "/estacao");
  ASSERT_NE(session, nullptr);
  EXPECT_EQ(session->state().dataRoot(), server);
  for (const char* dir : {"BComuns", "BEscrita", "BCTB", "Temp"})
    EXPECT_TRUE(fs::is_directory(server + dir)) << dir;
  EXPECT_FALSE(fs::exists(server + "BFolha"));
  EXPECT_EQ(session->state().locations().upgrade, server + "BComuns/");
  EXPECT_EQ(session->state().pathFor(kEmpresaFile), server + "BComuns/Empresas.dat");
  EXPECT_EQ(session->state().pathFor("ConfPlan.dat"), server + "BCTB/ConfPlan.dat");
  EXPECT_EQ(session->state().company().codigo, 0);
  EXPECT_EQ(session->identity().program, "Vorlam.EXE");
  EXPECT_EQ(session->identity().user, "");
}

TEST_F(SessionTest, WorkingCopyIsItsOwnRoot) {
  ASSERT_TRUE(settings_.write("Servidor_Contabilidade", "NetPath", "/nada/", "Brimlet.ini"));
  const std::string wd = tmp_.path() + "/TRABALHO/SISTEMA";
  auto session = start(wd);
  ASSERT_NE(session, nullptr);
  EXPECT_EQ(session->state().dataRoot(), wd + "/");
  EXPECT_EQ(session->state().pathFor(kEmpresaFile), wd + "/BComuns/Empresas.dat");
}

TEST_F(SessionTest, SavedQueryIndexLivesFromStartToStop) {
  ASSERT_TRUE(settings_.write("Sectors", "__Dont_Touch_Me__", "1", "Vorlam.INI"));
  ASSERT_TRUE(settings_.write("Sectors", "__Dont_Touch_Me___1", "BEmpresa,Filtro,Padrao", "Vorlam.INI"));
  auto session = start(tmp_.path() + "/wd");
  ASSERT_NE(session, nullptr);
  ASSERT_EQ(session->savedQueries().lines().size(), 1u);
  ASSERT_TRUE(session->savedQueries().add({"BForCli", "Nome", "Ação"}));
  // Nothing is written before shutdown.
  EXPECT_EQ(settings_.read("Sectors", "__Dont_Touch_Me__", "", "Vorlam.INI"), "1");
  ASSERT_TRUE(session->stop());
  EXPECT_EQ(settings_.read("Sectors", "__Dont_Touch_Me__", "", "Vorlam.INI"), "2");
  EXPECT_EQ(settings_.read("Sectors", "__Dont_Touch_Me___2", "", "vorlam.ini"), "BForCli,Nome,Ação");
}

TEST(TableRegistrations, TheDictionaryRegistersSoundly) {
  auto dict = buildDictionary();
  EXPECT_TRUE(checkTableRegistrations(*dict).isOk());
}

TEST(TableRegistrations, FaultyRegistrationsAreRefused) {
  auto dict = buildDictionary();
  auto refused = [&](const std::function<void(std::vector<Registration>&)>& spoil) {
    std::vector<Registration> regs = dict->registrations();
    spoil(regs);
    Status s = checkTableRegistrations(regs, dict->tables());
    return s.is(StatusCode::kCorrupt) ? s.detail() : std::string("aceito");
  };
  auto at = [](std::vector<Registration>& regs, const char* label) -> Registration& {
    for (Registration& r : regs)
      if (r.label == label) return r;
    return regs.front();
  };
  EXPECT_EQ(refused([&](auto& regs) { at(regs, "Empresa0").version = 205; }), "Empresa0");
  EXPECT_EQ(refused([&](auto& regs) { at(regs, "Diario").version = 67; }), "Diario");
  EXPECT_EQ(refused([&](auto& regs) { at(regs, "CFO").prefix = "CFOP"; }), "CFO");
  EXPECT_EQ(refused([&](auto& regs) { at(regs, "ForCli0").fieldPairs.pop_back(); }), "ForCli0");
  EXPECT_EQ(refused([&](auto& regs) { std::swap(at(regs, "ForCli0").fieldPairs[0].second,
                                                at(regs, "ForCli0").fieldPairs[1].second); }),
            "ForCli0");
  EXPECT_EQ(refused([&](auto& regs) {
              auto copy = std::find_if(regs.begin(), regs.end(),
                                       [](const Registration& r) { return r.label == "Filiais0"; });
              Registration alias = *copy;
              regs.erase(copy);
              regs.insert(regs.begin(), alias);
            }),
            "Filiais0");
  EXPECT_EQ(refused([&](auto& regs) { regs.push_back({"Nada", "NAD", 1, {}, {}}); }), "Nada");
}

}  // namespace
}  // namespace vorlam::shell
