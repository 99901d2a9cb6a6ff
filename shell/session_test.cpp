#include "shell/session.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "shell/company_files.h"
#include "shell/startup.h"
#include "storage/journal_mode.h"
#include "storage/platform.h"
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
  const std::string server = testing::nativePath(tmp_.path() + "/servidor/");
  fs::create_directories(server);
  ASSERT_TRUE(settings_.write("Servidor_Contabilidade", "NetPath", server, "Brimlet.ini"));
  ASSERT_TRUE(settings_.write("UPG File", "Path", "   ", "Ctb.ini"));
  auto session = start(tmp_.path() + "/estacao");
  ASSERT_NE(session, nullptr);
  EXPECT_EQ(session->state().dataRoot(), server);
  for (const char* dir : {"BComuns", "BEscrita", "BCTB", "Temp"})
    EXPECT_TRUE(fs::is_directory(server + dir)) << dir;
  EXPECT_FALSE(fs::exists(server + "BFolha"));
  EXPECT_EQ(session->state().locations().upgrade, testing::nativePath(server + "BComuns/"));
  EXPECT_EQ(session->state().pathFor(kEmpresaFile), testing::nativePath(server + "BComuns/Empresas.dat"));
  EXPECT_EQ(session->state().pathFor("ConfPlan.dat"), testing::nativePath(server + "BCTB/ConfPlan.dat"));
  EXPECT_EQ(session->state().company().codigo, 0);
  EXPECT_EQ(session->identity().program, "Vorlam.EXE");
  EXPECT_EQ(session->identity().user, "");
}

TEST_F(SessionTest, UnreachableDataRootIsNamedAndNothingIsCreated) {
  // The share's mount point is there, the share itself is not.
  const std::string mount = testing::nativePath(tmp_.path() + "/montagem");
  fs::create_directories(mount);
  const std::string server = testing::nativePath(mount + "/dados/");
  ASSERT_TRUE(settings_.write("Servidor_Contabilidade", "NetPath", server, "Brimlet.ini"));
  fs::create_directories(tmp_.path() + "/estacao");
  auto r = Session::start({tmp_.path() + "/estacao", ini_});
  ASSERT_FALSE(r.isOk());
  EXPECT_EQ(r.status().code(), StatusCode::kFileNotFound);
  EXPECT_NE(r.status().message().find("Não foi possível acessar a pasta de dados " + server), std::string::npos)
      << r.status().message();
  EXPECT_TRUE(fs::is_empty(mount));
}

TEST_F(SessionTest, JournalModeComesFromTheLauncherUnlessTheEnvironmentSetsIt) {
  const std::string saved = platform::environmentVariable(kJournalModeVariable);
  platform::setEnvironmentVariable(kJournalModeVariable, "");
  ASSERT_TRUE(settings_.write("Servidor_Contabilidade", "JournalMode", "Rollback", "Brimlet.ini"));
  EXPECT_NE(start(tmp_.path() + "/a"), nullptr);
  EXPECT_EQ(journalPolicyFromEnvironment(), JournalPolicy::kRollback);
  platform::setEnvironmentVariable(kJournalModeVariable, "wal");
  EXPECT_NE(start(tmp_.path() + "/b"), nullptr);
  EXPECT_EQ(journalPolicyFromEnvironment(), JournalPolicy::kWal);
  platform::setEnvironmentVariable(kJournalModeVariable, saved);
}

TEST_F(SessionTest, WorkingCopyIsItsOwnRoot) {
  ASSERT_TRUE(settings_.write("Servidor_Contabilidade", "NetPath", "/nada/", "Brimlet.ini"));
  const std::string wd = testing::nativePath(tmp_.path() + "/TRABALHO/SISTEMA");
  auto session = start(wd);
  ASSERT_NE(session, nullptr);
  EXPECT_EQ(session->state().dataRoot(), testing::nativePath(wd + "/"));
  EXPECT_EQ(session->state().pathFor(kEmpresaFile), testing::nativePath(wd + "/BComuns/Empresas.dat"));
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
