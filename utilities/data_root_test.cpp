#include "utilities/data_root.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "shell/startup.h"
#include "storage/test_util.h"

namespace vorlam::utilities {
namespace {

namespace fs = std::filesystem;

Status parse(std::vector<std::string> args, RootSelection* sel = nullptr,
             std::vector<std::string>* positional = nullptr) {
  RootSelection s;
  std::vector<std::string> p;
  return parseRootSelection(args, sel ? sel : &s, positional ? positional : &p);
}

TEST(RootSelectionTest, ReadsRootCompanyYearAndPositionals) {
  testing::TempDir tmp;
  RootSelection sel;
  std::vector<std::string> rest;
  ASSERT_TRUE(parse({"Diario", "--root", tmp.path(), "--company=12", "--year", "2024"}, &sel, &rest));
  EXPECT_EQ(sel.root, tmp.path());
  EXPECT_EQ(sel.company, 12);
  EXPECT_EQ(sel.year, 2024);
  EXPECT_EQ(rest, std::vector<std::string>{"Diario"});

  RootSelection shared;
  ASSERT_TRUE(parse({"--root=" + tmp.path()}, &shared));
  EXPECT_EQ(shared.company, 0);
  EXPECT_FALSE(shared.help);

  RootSelection help;
  ASSERT_TRUE(parse({"--bogus", "--company", "-h"}, &help));
  EXPECT_TRUE(help.help);
}

TEST(RootSelectionTest, RefusesBadArguments) {
  testing::TempDir tmp;
  const std::string r = tmp.path();
  struct Case {
    std::vector<std::string> args;
    const char* message;
  };
  const Case cases[] = {
      {{"--company", "1", "--year", "2024"}, "informe --root"},
      {{"--root", r, "--company", "1"}, "juntos"},
      {{"--root", r, "--year", "2024"}, "juntos"},
      {{"--root", r, "--company", "0", "--year", "2024"}, "código de empresa inválido"},
      {{"--root", r, "--company", "65536", "--year", "2024"}, "código de empresa inválido"},
      {{"--root", r, "--company", "1", "--year", "1800"}, "ano inválido"},
      {{"--root", r, "--company", "1", "--year", "20x4"}, "ano inválido"},
      {{"--root", r + "/falta"}, "não encontrado"},
      {{"--root", r, "--mes", "3"}, "argumento desconhecido: --mes"},
      {{"--root"}, "falta o valor de --root"},
  };
  for (const Case& c : cases) {
    Status s = parse(c.args);
    EXPECT_EQ(s.code(), StatusCode::kInvalidArgument) << c.message;
    EXPECT_NE(s.message().find(c.message), std::string::npos) << s.message();
  }
}

TEST(BindingsForTest, CompanyNamesOnlyWithACompany) {
  testing::TempDir tmp;
  auto dict = buildDictionary();
  const std::string diario = dict->find("Diario")->binding;
  Result<shell::BindingMap> shared = bindingsFor(*dict, tmp.path(), 0, 0);
  ASSERT_TRUE(shared.isOk());
  EXPECT_EQ(shared->count(diario), 0u);
  EXPECT_EQ(shared->at(dict->find("Empresa")->binding), tmp.path() + "/BComuns/Empresas.dat");

  Result<shell::BindingMap> company = bindingsFor(*dict, tmp.path(), 7, 2024);
  ASSERT_TRUE(company.isOk());
  EXPECT_EQ(company->at(diario), tmp.path() + "/00000007/Ctb/2024/Diario.dat");
  EXPECT_FALSE(fs::exists(tmp.path() + "/00000007"));  // nothing is created
}

TEST(OpenBoundTest, NeverCreatesAFile) {
  testing::TempDir tmp;
  auto dict = buildDictionary();
  shell::createDataDirectories(shell::locationsUnder(tmp.path() + "/"));
  shell::BindingMap names = shell::sharedFileNames(tmp.path() + "/");
  Table estados(dict->find("Estados"));
  EXPECT_EQ(openBound(estados, names).code(), StatusCode::kFileNotFound);
  EXPECT_FALSE(fs::exists(names.at(dict->find("Estados")->binding)));
  Table diario(dict->find("Diario"));
  EXPECT_EQ(openBound(diario, names).code(), StatusCode::kNoName);
}

}  // namespace
}  // namespace vorlam::utilities
