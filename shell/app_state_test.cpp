#include "shell/app_state.h"

#include <gtest/gtest.h>

namespace vorlam::shell {
namespace {

DataLocations someLocations() {
  DataLocations loc;
  loc.root = std::string("root") + kPathSeparator;
  return loc;
}

TEST(AppState, BindingsMergeAndPersist) {
  AppState state(someLocations());
  EXPECT_EQ(state.pathFor("Empresas.dat"), "");
  state.bind({{"Empresas.dat", "a"}, {"Estados.dat", "b"}});
  state.bind({{"Estados.dat", "c"}});
  EXPECT_EQ(state.pathFor("Empresas.dat"), "a");
  EXPECT_EQ(state.pathFor("Estados.dat"), "c");
}

TEST(AppState, SnapshotIsUnaffectedByLaterChanges) {
  AppState state(someLocations());
  CurrentCompany c;
  c.codigo = 7;
  state.switchCompany(c, {{"Diario.dat", "x7"}});
  AppSnapshot before = state.snapshot();
  c.codigo = 8;
  state.switchCompany(c, {{"Diario.dat", "x8"}});
  EXPECT_EQ(before.company.codigo, 7);
  EXPECT_EQ(before.pathFor("Diario.dat"), "x7");
  AppSnapshot after = state.snapshot();
  EXPECT_EQ(after.company.codigo, 8);
  EXPECT_EQ(after.pathFor("Diario.dat"), "x8");
  EXPECT_GT(after.generation, before.generation);
}

TEST(AppState, Resolvers) {
  AppState state(someLocations());
  state.bind({{"Diario.dat", "x1"}});
  PathResolver live = state.resolver();
  PathResolver frozen = state.snapshot().resolver();
  state.bind({{"Diario.dat", "x2"}});
  EXPECT_EQ(live("Diario.dat"), "x2");
  EXPECT_EQ(frozen("Diario.dat"), "x1");
  EXPECT_EQ(frozen("Nada.dat"), "");
}

TEST(AppState, SetCompanyKeepsBindings) {
  AppState state(someLocations());
  state.bind({{"Diario.dat", "x"}});
  CurrentCompany c;
  c.codigo = 3;
  c.mes = kWholeYear;
  state.setCompany(c);
  EXPECT_EQ(state.company(), c);
  EXPECT_EQ(state.pathFor("Diario.dat"), "x");
}

TEST(AppState, TransactSeesCurrentStateAndCommitsTogether) {
  AppState state(someLocations());
  state.bind({{"Empresas.dat", "e"}});
  state.transact([](const AppSnapshot& before, CurrentCompany& company, BindingMap& names) {
    EXPECT_EQ(before.pathFor("Empresas.dat"), "e");
    company.codigo = 12;
    names["Diario.dat"] = "d12";
  });
  AppSnapshot s = state.snapshot();
  EXPECT_EQ(s.company.codigo, 12);
  EXPECT_EQ(s.pathFor("Diario.dat"), "d12");
  EXPECT_EQ(s.pathFor("Empresas.dat"), "e");
}

TEST(AppState, ChartTypeDescription) {
  EXPECT_EQ(chartTypeDescription(1, "x"), "Geral");
  EXPECT_EQ(chartTypeDescription(2, "x"), "Individual");
  EXPECT_EQ(chartTypeDescription(0, "Geral"), "Geral");
  EXPECT_EQ(chartTypeDescription(3, ""), "");
}

}  // namespace
}  // namespace vorlam::shell
