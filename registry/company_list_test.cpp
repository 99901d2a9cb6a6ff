#include "registry/company_list.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "dictionary/dictionary.h"
#include "framework/dialogs.h"
#include "framework/error_manager.h"
#include "framework/list_format.h"
#include "storage/test_util.h"
#include "storage/text.h"

namespace vorlam::registry {
namespace {

class CompanyListTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(table.open(dir.file(table.def().binding)).isOk());
    add(3, "Ferragens São Jorge Ltda");
    add(1, "Padaria Pão de Mel");
    add(7, "Comércio de Ferro Aço Forte");
    add(2, "Auto Peças Ferreira");
  }
  void add(int code, const char* name) {
    table.buffer().clear();
    table.buffer().setInt("EMP:Codigo", code);
    table.buffer().setText("Emp:RazaoSocial", utf8ToLatin1(name));
    ASSERT_TRUE(table.append().isOk());
  }
  std::vector<int64_t> codes(const ListController& list) const {
    std::vector<int64_t> out;
    for (const Record& r : list.rows()) out.push_back(r.getInt("EMP:Codigo"));
    return out;
  }

  vorlam::testing::TempDir dir;
  std::shared_ptr<const Dictionary> dict = buildDictionary();
  Table table{dict->find("Empresa")};
  ScriptedDialogs dialogs;
  ErrorServices services;
  ShutdownCoordinator shutdown;
  ErrorManager errors{services, dialogs, shutdown};
  ScreenContext context{*dict, [this](const std::string& b) { return dir.file(b); }, errors};
};

TEST_F(CompanyListTest, OpensByNameAndEveryTabOrdersTheCompanyFile) {
  ListController list(context, companyListDefinition(), table, true);
  ASSERT_TRUE(list.open(kCompanyListFirstTab).isOk());
  EXPECT_EQ(list.definition().tabs[size_t(list.currentTab())].caption, "&Razão Social");
  EXPECT_EQ(codes(list), (std::vector<int64_t>{2, 7, 3, 1}));
  ASSERT_TRUE(list.selectTab(0).isOk());
  EXPECT_EQ(codes(list), (std::vector<int64_t>{1, 2, 3, 7}));
  EXPECT_TRUE(list.canSelect());
}

TEST_F(CompanyListTest, PartOfTheNameListsTheCompaniesHoldingItInAnyCase) {
  ListController list(context, companyListDefinition(), table, true);
  ASSERT_TRUE(list.open(kCompanyListFirstTab).isOk());
  ASSERT_TRUE(list.selectTab(2).isOk());
  ASSERT_TRUE(list.locate("ferr").isOk());
  EXPECT_EQ(codes(list), (std::vector<int64_t>{2, 7, 3}));
  ASSERT_TRUE(list.locate("PÃO").isOk());
  EXPECT_EQ(codes(list), (std::vector<int64_t>{1}));
}

TEST_F(CompanyListTest, ColumnsFollowTheFormatString) {
  Result<std::vector<ListColumn>> columns = parseListFormat(kCompanyListFormat);
  ASSERT_TRUE(columns.isOk()) << columns.status().message();
  ASSERT_EQ(columns->size(), companyListColumns().size());
  const char* headers[] = {"Código", "Razão Social", "C.N.P.J.", "C.P.F.", "Endereço", "Número",
                           "Complemento", "Bairro", "Cidade", "UF", "CEP", "Pagina Web", "E-Mail",
                           "DDD", "Fone", "Fax"};
  for (size_t i = 0; i < columns->size(); ++i) {
    EXPECT_EQ((*columns)[i].header, headers[i]) << i;
    EXPECT_GE(table.def().fieldIndex(companyListColumns()[i]), 0) << companyListColumns()[i];
  }
  EXPECT_EQ((*columns)[2].picture, "@p##.###.###/####-##pb");
}

}  // namespace
}  // namespace vorlam::registry
