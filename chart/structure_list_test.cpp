#include "chart/structure_list.h"

#include <gtest/gtest.h>

#include "chart/structure_test_fixture.h"

namespace vorlam::chart {
namespace {

class StructureListTest : public testing::StructureFixture {
 protected:
  void SetUp() override {
    store(1, "Padrão", {1, 1, 1, 2, 4});
    store(3, "Três níveis", {1, 2, 3});
    store(5, "Alfa", {2, 2, 3, 5});
  }

  // Types a two-level layout into a form and saves it.
  static void addTwoLevels(StructureForm& form) {
    FormController& f = form.controller();
    ASSERT_TRUE(f.type(form.nameField(), "Dois níveis").isOk());
    ASSERT_TRUE(f.type(form.levelCountField(), "2").isOk());
    ASSERT_TRUE(f.type(form.levelField(1), "2").isOk());
    ASSERT_TRUE(f.type(form.levelField(2), "5").isOk());
    f.ok();
  }
};

TEST_F(StructureListTest, ColumnsAndTabsNameTheStructureTable) {
  const TableDef* conp = dict->find("ConfPlanoContas");
  ASSERT_EQ(structureListColumns().size(), 13u);  // code, name, count, nine levels, mask
  for (const char* field : structureListColumns()) EXPECT_GE(conp->fieldIndex(field), 0) << field;
  ASSERT_EQ(structureListTabs().size(), 2u);
  EXPECT_STREQ(structureListTabs()[0].key, "CONP:KEY:CODIGO");  // the default order first
  for (const StructureListTab& tab : structureListTabs()) {
    EXPECT_GE(conp->keyIndex(tab.key), 0) << tab.key;
    EXPECT_GE(conp->fieldIndex(tab.locatorField), 0) << tab.locatorField;
  }
}

TEST_F(StructureListTest, SelectingMakesSelectTheDefault) {
  using B = StructureListButton;
  EXPECT_EQ(structureListDefault(false), B::kChange);
  EXPECT_EQ(structureListButton(B::kChange, false).tip, "");
  EXPECT_EQ(structureListButtons(false),
            (std::vector<B>{B::kInsert, B::kChange, B::kDelete, B::kHelp, B::kClose}));

  EXPECT_EQ(structureListDefault(true), B::kSelect);
  EXPECT_EQ(structureListButton(B::kChange, true).tip, "Altera Registro Selecionado");
  EXPECT_EQ(structureListButton(B::kChange, true).status, "Altera Registro Selecionado");
  EXPECT_EQ(structureListButton(B::kSelect, true).caption, "&Selecionar");
  EXPECT_EQ(structureListButtons(true).size(), 6u);
}

TEST_F(StructureListTest, SelectedFormatIsRebuiltFromTheLevels) {
  Record row = read(1);
  EXPECT_EQ(selectedFormat(row), "9.9.9.99.9999");
  // The stored mask plays no part.
  row.setText("Formato", "errado");
  row.setInt("G2", 3);
  EXPECT_EQ(selectedFormat(row), "9.999.9.99.9999");
  EXPECT_EQ(selectedFormat(read(3)), "9.99.999");
}

TEST_F(StructureListTest, TheFormatFollowsTheHighlight) {
  StructureList list(context, false);
  ASSERT_TRUE(list.open().isOk());
  EXPECT_EQ(errors.procedure(), "ConfigContas");
  ASSERT_EQ(list.rows().rows().size(), 3u);
  EXPECT_EQ(list.currentFormat(), "9.9.9.99.9999");  // code order: structure 1 first
  ASSERT_TRUE(list.rows().moveSelection(1).isOk());
  EXPECT_EQ(list.currentFormat(), "9.99.999");
  // The "Nome" tab starts with "Alfa"; its locator finds "Três níveis".
  ASSERT_TRUE(list.rows().selectTab(1).isOk());
  EXPECT_EQ(list.currentFormat(), "99.99.999.99999");
  ASSERT_TRUE(list.rows().locate("Tr").isOk());
  EXPECT_EQ(list.currentFormat(), "9.99.999");
}

TEST_F(StructureListTest, RequestsRunTheFormExceptView) {
  StructureList list(context, false);
  ASSERT_TRUE(list.open().isOk());
  std::string procedureInForm;
  int runs = 0;
  list.setFormRunner([&](StructureForm& form) {
    ++runs;
    procedureInForm = errors.procedure();
    if (form.request() == Request::kInsert) addTwoLevels(form);
    else form.controller().ok();
  });
  EXPECT_FALSE(list.request(Request::kView));
  EXPECT_EQ(runs, 0);

  EXPECT_TRUE(list.request(Request::kInsert));
  EXPECT_EQ(procedureInForm, "UConfigContas");
  EXPECT_EQ(errors.procedure(), "ConfigContas");
  // The list highlights the new structure, numbered after the highest.
  ASSERT_NE(list.rows().selected(), nullptr);
  EXPECT_EQ(list.rows().selected()->getInt("Codigo"), 6);
  EXPECT_EQ(list.currentFormat(), "99.99999");

  // Delete asks "Confirma Exclusão" in the form and removes the record.
  EXPECT_TRUE(list.request(Request::kDelete));
  EXPECT_EQ(dialogs.boxes.back().title, "Confirma Exclusão");
  EXPECT_EQ(count(), 3);
}

TEST_F(StructureListTest, FormsOpenOnRowsOfTheList) {
  StructureList list(context, false);
  ASSERT_TRUE(list.open().isOk());
  const Record row = read(3);
  EXPECT_FALSE(list.runForm(Request::kView, &row, [](StructureForm&) { FAIL(); }));
  EXPECT_FALSE(list.runForm(Request::kChange, &row, [](StructureForm& form) { form.controller().cancel(); }));
  EXPECT_TRUE(list.runForm(Request::kDelete, &row, [](StructureForm& form) { form.controller().ok(); }));
  // A row deleted meanwhile can no longer be opened (message 1).
  EXPECT_FALSE(list.runForm(Request::kChange, &row, [](StructureForm&) { FAIL(); }));
  EXPECT_EQ(dialogs.boxes.back().title, " Erro de Recuperação do registro");
  // The list's table holds what the form added, for the list to show it.
  EXPECT_TRUE(list.runForm(Request::kInsert, nullptr, addTwoLevels));
  EXPECT_EQ(list.table().buffer().getInt("Codigo"), 6);
  EXPECT_EQ(latin1ToUtf8(read(6).getText("Formato")), "99.99999");
}

TEST_F(StructureListTest, PickingHandsOverTheHighlightedStructure) {
  StructureList list(context, true);
  ASSERT_TRUE(list.open().isOk());
  ASSERT_TRUE(list.rows().moveSelection(2).isOk());
  std::optional<Record> chosen = list.rows().chooseSelected();
  ASSERT_TRUE(chosen.has_value());
  EXPECT_EQ(chosen->getInt("Codigo"), 5);
}

TEST_F(StructureListTest, UnopenableFileRaises26) {
  ScreenContext elsewhere{*dict, [this](const std::string& b) { return dir.file("falta/" + b); }, errors};
  StructureList list(elsewhere, false);
  EXPECT_FALSE(list.open().isOk());
  ASSERT_EQ(dialogs.boxes.size(), 1u);
  EXPECT_EQ(dialogs.boxes[0].title, "Erro de Acesso de arquivo");
  EXPECT_TRUE(shutdown.shutdownRequested());  // its level stops the system
}

}  // namespace
}  // namespace vorlam::chart
