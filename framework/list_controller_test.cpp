#include "framework/list_controller.h"

#include <gtest/gtest.h>

#include <memory>

#include "dictionary/dictionary.h"
#include "framework/list_test_table.h"

namespace vorlam {
namespace {

using list_test::codes;
using list_test::span;
using list_test::TownFile;
using testing::Backend;

// On a file on disk and on a table of the test server (skipped, saying why,
// without one).
class ListControllerTest : public ::testing::TestWithParam<Backend> {
 protected:
  void SetUp() override {
    if (!file.unavailable().empty()) GTEST_SKIP() << file.unavailable();
  }
  ListControllerTest() {
    definition.procedure = "BCidade";
    definition.title = "Visualização da Tabela de Cidades";
    definition.tabs = {
        {"&Código", "CID:KEY:CODIGO", "CID:Codigo", "", 0, ""},
        {"&Nome", "CID:KEY:NOME", "CID:Nome", "", 0, ""},
        {"&Parte do Nome", "CID:KEY:NOME", "", "Loc:ParteNome", 20,
         "(InString(Upper(Clip(Loc:ParteNome)),Upper(Clip(CID:Nome)),1,1))"},
    };
    definition.rangeFields = {"CID:UF"};
    definition.pageSize = 5;
    formDefinition = {"UCidade", "Atualização da Tabela de Cidades", "Incluindo", "Alterando", "Excluindo", {}};
    errors.pushProcedure("Main");
  }

  std::unique_ptr<ListController> openList(bool selecting = false) {
    auto list = std::make_unique<ListController>(context, definition, file.table, selecting);
    Record sp(&def);
    sp.setText("CID:UF", "SP");
    EXPECT_TRUE(list->setRange(sp).isOk());
    EXPECT_TRUE(list->open().isOk());
    return list;
  }

  // The screen's form: a FormController on the list's table, driven by
  // `edit` and saved with OK.
  void useForm(ListController& list, std::function<void(FormController&)> edit) {
    opener = [this, &list, edit](Request request, const Record* row) {
      FormController form(context, formDefinition, file.table, request);
      if (row == nullptr) {
        Record prototype = list.insertPrototype();
        form.openNew(&prototype);
      } else {
        form.openRecord(row->recordId());
      }
      edit(form);
      return form.ok() == FormState::kCompleted;
    };
  }

  int64_t selectedCode(const ListController& list) const {
    return list.selected() ? list.selected()->getInt("CID:Codigo") : -1;
  }

  TableDef def = list_test::townDef();
  TownFile file{&def, GetParam()};
  std::shared_ptr<const Dictionary> dict = buildDictionary();
  ScriptedDialogs dialogs;
  ErrorServices services;
  ShutdownCoordinator shutdown;
  ErrorManager errors{services, dialogs, shutdown};
  ScreenContext context{*dict, [this](const std::string& b) { return file.dir.file(b); }, errors};
  ListDefinition definition;
  FormDefinition formDefinition;
  ListController::FormOpener opener;
};

TEST_P(ListControllerTest, TabsShowTheirOrderWithinTheRangeAndTheProcedureIsNamed) {
  file.add("SP", 2, "Campinas");
  file.add("SP", 1, "Santos");
  file.add("RJ", 3, "Angra");
  file.add("SP", 3, "Bauru");
  {
    auto list = openList();
    EXPECT_EQ(errors.procedure(), "BCidade");
    EXPECT_EQ(codes(list->rows()), (std::vector<int64_t>{1, 2, 3}));
    ASSERT_TRUE(list->selectTab(1).isOk());
    EXPECT_EQ(codes(list->rows()), (std::vector<int64_t>{3, 2, 1}));  // Bauru, Campinas, Santos
    EXPECT_EQ(list->currentTab(), 1);
    EXPECT_FALSE(list->selectTab(3).isOk());
    list->clearRange();
    EXPECT_EQ(list->rows().size(), 4u);
  }
  EXPECT_EQ(errors.procedure(), "Main");
}

TEST_P(ListControllerTest, DefinitionsAreCheckedAgainstTheTable) {
  ListDefinition bad = definition;
  bad.tabs[1].key = "CID:KEY:NADA";
  EXPECT_FALSE(ListController(context, bad, file.table).open().isOk());
  bad = definition;
  bad.rangeFields = {"CID:Nome"};  // does not lead the code key
  EXPECT_FALSE(ListController(context, bad, file.table).open().isOk());
  bad = definition;
  bad.tabs.clear();
  EXPECT_FALSE(ListController(context, bad, file.table).open().isOk());
}

TEST_P(ListControllerTest, TheHighlightCrossesPages) {
  file.addMany("SP", 12);
  auto list = openList();
  EXPECT_EQ(selectedCode(*list), 1);
  ASSERT_TRUE(list->moveSelection(4).isOk());
  EXPECT_EQ(selectedCode(*list), 5);
  ASSERT_TRUE(list->moveSelection(1).isOk());
  EXPECT_EQ(selectedCode(*list), 6) << "the next page was loaded";
  ASSERT_TRUE(list->moveSelection(-1).isOk());
  EXPECT_EQ(selectedCode(*list), 5);
  ASSERT_TRUE(list->lastPage().isOk());
  EXPECT_EQ(selectedCode(*list), 12);
  ASSERT_TRUE(list->moveSelection(3).isOk());
  EXPECT_EQ(selectedCode(*list), 12) << "stops at the last row";
  ASSERT_TRUE(list->firstPage().isOk());
  ASSERT_TRUE(list->moveSelection(-1).isOk());
  EXPECT_EQ(selectedCode(*list), 1);
  ASSERT_TRUE(list->nextPage().isOk());
  EXPECT_EQ(codes(list->rows()), span(6, 10));
  EXPECT_TRUE(list->atStart() == false);
}

TEST_P(ListControllerTest, TheLocatorPositionsOrFiltersByPartOfTheName) {
  file.addMany("SP", 12);
  file.add("SP", 50, "Comércio Velho");
  file.add("SP", 51, "Vila do COMÉRCIO");
  auto list = openList();
  ASSERT_TRUE(list->locate("8").isOk());
  EXPECT_EQ(selectedCode(*list), 8);
  EXPECT_FALSE(list->locate("oito").isOk()) << "letters in a number locator";

  ASSERT_TRUE(list->selectTab(1).isOk());
  ASSERT_TRUE(list->locate("cidade 011").isOk());
  EXPECT_EQ(selectedCode(*list), 11);

  ASSERT_TRUE(list->selectTab(2).isOk());
  EXPECT_EQ(list->rows().size(), 5u) << "a blank part selects every record";
  ASSERT_TRUE(list->locate("comércio").isOk());
  EXPECT_TRUE(list->filtered());
  EXPECT_EQ(codes(list->rows()), (std::vector<int64_t>{50, 51}));
  // Accented text: the file's SQL cannot match it whole, the server can.
  EXPECT_EQ(list->cache().filterPushedDown(), GetParam() == Backend::kPostgres);
  ASSERT_TRUE(list->locate("cidade 00").isOk());
  EXPECT_EQ(codes(list->rows()), span(1, 5));
  // Plain ASCII goes to the storage on disk and on a server.
  EXPECT_TRUE(list->cache().filterPushedDown());
}

TEST_P(ListControllerTest, ALocatorPictureReadsWhatIsTypedAsShown) {
  // Codes that are day numbers: 10/03/2024 and 10/04/2024.
  definition.tabs.push_back({"&Data", "CID:KEY:CODIGO", "CID:Codigo", "", 0, "", "@d06b"});
  file.add("SP", 81522, "Março");
  file.add("SP", 81553, "Abril");
  auto list = openList();
  ASSERT_TRUE(list->selectTab(3).isOk());
  ASSERT_TRUE(list->locate("01/04/2024").isOk());
  EXPECT_EQ(selectedCode(*list), 81553);
  ASSERT_TRUE(list->locate("10/03/2024").isOk());
  EXPECT_EQ(selectedCode(*list), 81522);
  EXPECT_FALSE(list->locate("31/02/2024").isOk()) << "a date that does not exist";
}

TEST_P(ListControllerTest, DeleteAsks11AndNoLeavesTheRecord) {
  file.addMany("SP", 3);
  definition.deleteThroughForm = false;
  auto list = openList();
  ASSERT_TRUE(list->moveSelection(1).isOk());
  dialogs.answerBox(kButtonNo);
  EXPECT_EQ(list->deleteSelected(), FormState::kCancelled);
  ASSERT_EQ(dialogs.boxes.size(), 1u);
  EXPECT_EQ(dialogs.boxes[0].title, "Confirma Exclusão");
  EXPECT_EQ(*file.table.count(), 3);
  EXPECT_EQ(errors.procedure(), "BCidade");

  dialogs.answerBox(kButtonYes);
  EXPECT_TRUE(list->request(Request::kDelete));
  EXPECT_EQ(*file.table.count(), 2);
  EXPECT_EQ(codes(list->rows()), (std::vector<int64_t>{1, 3}));
  EXPECT_EQ(selectedCode(*list), 3) << "the row now standing at its place";
}

TEST_P(ListControllerTest, RequestsGoToTheFormAndTheListFollowsTheRecord) {
  file.addMany("SP", 8);
  auto list = openList();
  ASSERT_TRUE(list->selectTab(1).isOk());
  list->setFormOpener([this](Request r, const Record* row) { return opener(r, row); });

  useForm(*list, [](FormController& form) { form.type(form.fieldIndex("CID:Nome"), "Zulu"); });
  ASSERT_TRUE(list->moveSelection(1).isOk());
  ASSERT_TRUE(list->request(Request::kChange));
  EXPECT_EQ(selectedCode(*list), 2);
  EXPECT_EQ(latin1ToUtf8(list->selected()->getText("CID:Nome")), "Zulu");
  EXPECT_TRUE(list->atEnd()) << "the record moved to the end of the name order";

  useForm(*list, [](FormController& form) {
    form.type(form.fieldIndex("CID:Codigo"), "77");
    form.type(form.fieldIndex("CID:Nome"), "Cidade 0035");
  });
  ASSERT_TRUE(list->request(Request::kInsert));
  EXPECT_EQ(selectedCode(*list), 77);
  EXPECT_EQ(list->selected()->getText("CID:UF"), "SP") << "inserted within the range";

  useForm(*list, [](FormController& form) { form.cancel(); });
  EXPECT_FALSE(list->request(Request::kView));
  EXPECT_EQ(selectedCode(*list), 77);
}

TEST_P(ListControllerTest, SelectingHandsTheHighlightedRecordToTheCaller) {
  file.addMany("SP", 3);
  auto picker = openList(true);
  ASSERT_TRUE(picker->moveSelection(2).isOk());
  ASSERT_TRUE(picker->canSelect());
  EXPECT_EQ(picker->chooseSelected()->getInt("CID:Codigo"), 3);
  auto plain = openList(false);
  EXPECT_FALSE(plain->canSelect());
  EXPECT_FALSE(plain->chooseSelected().has_value());
}

TEST_P(ListControllerTest, QueryColumnsThatCannotBeFilteredRaise44) {
  file.addMany("SP", 12);
  auto list = openList();
  ASSERT_TRUE(list->applyQuery({{"CID:Codigo", "@n6", ">9"}, {"CID:Populacao", "@n9", "muitos"}}).isOk());
  ASSERT_EQ(dialogs.boxes.size(), 1u);
  EXPECT_EQ(dialogs.boxes[0].title, "Coluna do filtro sem assistência");
  EXPECT_EQ(dialogs.boxes[0].text, "A coluna do filtro, CID:Populacao não é válido. Será ignorado do filtro.");
  EXPECT_EQ(codes(list->rows()), span(10, 12));
  EXPECT_EQ(list->queryExpression(), "CID:Codigo > 9");
  list->clearQuery();
  EXPECT_EQ(list->rows().size(), 5u);
  EXPECT_FALSE(list->filtered());
}

TEST_P(ListControllerTest, AFilterThatCannotBeAppliedRaises43AndTheListIsUnfiltered) {
  file.addMany("SP", 4);
  definition.filter = "CID:Codigo > ";
  auto list = openList();
  ASSERT_FALSE(dialogs.boxes.empty());
  EXPECT_EQ(dialogs.boxes.back().title, "Erro na visualização");
  EXPECT_NE(dialogs.boxes.back().text.find("tentando abrir a visualização atual. Filtro ignorado."), std::string::npos);
  EXPECT_FALSE(list->filtered());
  EXPECT_EQ(codes(list->rows()), span(1, 4));

  // A variable the screen never set cannot be bound either.
  definition.filter = "CID:Codigo > Loc:Minimo";
  dialogs.boxes.clear();
  auto unbound = openList();
  EXPECT_EQ(dialogs.boxes.size(), 1u);
  unbound->variables().set("Loc:Minimo", FilterValue::number(2));
  dialogs.boxes.clear();
  ASSERT_TRUE(unbound->refresh().isOk());
  EXPECT_TRUE(dialogs.boxes.empty());
  EXPECT_EQ(codes(unbound->rows()), span(3, 4));
}

INSTANTIATE_TEST_SUITE_P(Backends, ListControllerTest, ::testing::Values(Backend::kRollback, Backend::kPostgres),
                         [](const ::testing::TestParamInfo<Backend>& info) {
                           return testing::backendTestName(info.param);
                         });

}  // namespace
}  // namespace vorlam
