// Start-up and company selection on a data root kept in a PostgreSQL
// database: the module and company directories are made in the database,
// so the files below them can be created, and nowhere else.  Skipped
// (saying why) without a test server.
#include <gtest/gtest.h>

#include "dictionary/dictionary.h"
#include "shell/company_files.h"
#include "shell/startup.h"
#include "storage/table.h"
#include "storage/test_util.h"

namespace vorlam::shell {
namespace {

using vorlam::testing::Backend;
using vorlam::testing::TestRoot;

TEST(StartupPostgresTest, ServerRootGetsItsDirectoriesAndSelectionItsCompanyFiles) {
  TestRoot server(Backend::kPostgres);
  if (!server.unavailable().empty()) GTEST_SKIP() << server.unavailable();
  const std::shared_ptr<const Dictionary> dict = buildDictionary();
  SettingsLookup settings = [&](const std::string&, const std::string&, const std::string& entry,
                                const std::string& fallback) {
    return entry == kLauncherNetPathEntry ? server.path() : fallback;
  };
  std::unique_ptr<AppState> state = startUp(currentWorkingDirectory(), settings);
  const std::string root = state->dataRoot();
  ASSERT_EQ(root, server.path() + kPathSeparator);
  ASSERT_TRUE(checkDataRoot(root));

  const TableDef& empresa = *dict->find("Empresa");
  {
    Table t(&empresa);
    ASSERT_TRUE(t.open(state->pathFor(kEmpresaFile))) << state->pathFor(kEmpresaFile);
    t.buffer().clear();
    t.buffer().setInt("EMP:Codigo", 7);
    t.buffer().setText("Emp:RazaoSocial", "Empresa no Servidor");
    t.buffer().setInt("EMP:PLContas", 1);
    t.buffer().setInt("EMP:CodigoPlanoContas", 1);
    ASSERT_TRUE(t.append());
  }
  // A directory nobody made takes no file.
  Table stray(&empresa);
  EXPECT_EQ(stray.open(root + "Nada" + kPathSeparator + "Empresa.dat").code(), StatusCode::kFileNotFound);

  CompanyFiles files(&empresa, dict->find("AltContratuais"));
  Result<CompanyRecord> record = files.readCompany(*state, 7);
  ASSERT_TRUE(record) << record.status().toString();
  EXPECT_EQ(record->razaoSocial, "Empresa no Servidor");
  CurrentCompany company;
  company.codigo = 7;
  company.plContas = 1;
  company.codPlanoContas = 1;
  company.ano = 2025;
  company.mes = 13;
  files.selectCompany(*state, company, *record);
  // The company's year directory exists now: its files are created there.
  const TableDef& diario = *dict->find("Diario");
  const std::string path = state->pathFor(diario.binding);
  ASSERT_EQ(path.rfind(root, 0), 0u) << path;
  EXPECT_NE(path.find("2025"), std::string::npos) << path;
  Table t(&diario);
  ASSERT_TRUE(t.open(path)) << path;
  EXPECT_EQ(*t.count(), 0);
  EXPECT_TRUE(fileExists(path));
}

}  // namespace
}  // namespace vorlam::shell
