#include "chart/structure_form.h"

#include <gtest/gtest.h>

#include "chart/structure_list.h"
#include "chart/structure_test_fixture.h"

namespace vorlam::chart {
namespace {

class StructureFormScreenTest : public testing::StructureFixture {
 protected:
  void SetUp() override {
    store(1, "Padrão", {1, 1, 1, 2, 4});
    three = store(3, "Três níveis", {1, 2, 3});
  }

  // A form on the list's tables; `id` 0 for insert.
  std::unique_ptr<StructureForm> openForm(Request request, int64_t id = 0) {
    if (!list) {
      list = std::make_unique<StructureList>(context, false);
      EXPECT_TRUE(list->open().isOk());
    }
    auto form = std::make_unique<StructureForm>(context, list->table(), list->scan(), request);
    form->setErrorSound([this] { ++beeps; });
    EXPECT_EQ(form->open(id), FormState::kOpen);
    return form;
  }

  // Types level count and digits into an open form.
  void typeLayout(StructureForm& form, std::initializer_list<int> widths) {
    FormController& f = form.controller();
    ASSERT_TRUE(f.type(form.levelCountField(), std::to_string(widths.size())).isOk());
    int n = 1;
    for (int w : widths) ASSERT_TRUE(f.type(form.levelField(n++), std::to_string(w)).isOk());
  }

  // The one message box shown so far: `title`, `text`, `icon`, OK only.
  void expectOneBox(const char* title, const char* text, MessageIcon icon) {
    ASSERT_EQ(dialogs.boxes.size(), 1u);
    EXPECT_EQ(dialogs.boxes[0].title, title);
    EXPECT_EQ(dialogs.boxes[0].text, text);
    EXPECT_EQ(dialogs.boxes[0].icon, icon);
    EXPECT_EQ(dialogs.boxes[0].buttons, kButtonOk);
  }

  int64_t three = 0;
  int beeps = 0;
  std::unique_ptr<StructureList> list;
};

TEST_F(StructureFormScreenTest, ChangeEnablesLevelsUpToTheCount) {
  auto form = openForm(Request::kChange, read(1).recordId());
  FormController& f = form->controller();
  EXPECT_EQ(f.caption(), "Alterando um Plano de Contas");
  EXPECT_EQ(f.title(), "Configuração do Plano de Contas");
  for (int n = 1; n <= 5; ++n) EXPECT_TRUE(f.fieldState(form->levelField(n)).enabled) << n;
  for (int n = 6; n <= 9; ++n) {
    EXPECT_FALSE(f.fieldState(form->levelField(n)).enabled) << n;
    EXPECT_EQ(f.text(form->levelField(n)), "0") << n;
  }
  EXPECT_EQ(f.text(form->maskField()), "9.9.9.99.9999");
  EXPECT_FALSE(f.fieldState(form->codeField()).enabled);  // the code is typed only when inserting
  EXPECT_FALSE(f.type(form->maskField(), "9").isOk());    // display only
  EXPECT_FALSE(f.hasUnsavedChanges());
}

TEST_F(StructureFormScreenTest, OpeningZeroesStaleLevelsAndRebuildsTheMask) {
  // Three levels, but a fourth left over and no mask stored.
  const int64_t id = store(7, "Sobra", {1, 1, 1, 2}, 3);
  auto form = openForm(Request::kChange, id);
  FormController& f = form->controller();
  EXPECT_EQ(f.text(form->levelField(4)), "0");
  EXPECT_EQ(f.text(form->maskField()), "9.9.9");
  EXPECT_EQ(f.ok(), FormState::kCompleted);
  EXPECT_EQ(read(7).getInt("G4"), 0);
  EXPECT_EQ(latin1ToUtf8(read(7).getText("Formato")), "9.9.9");
}

TEST_F(StructureFormScreenTest, LoweringTheLevelCountZeroesLevelsAndFocusesTheFirst) {
  auto form = openForm(Request::kChange, read(1).recordId());
  FormController& f = form->controller();
  ASSERT_TRUE(f.type(form->levelCountField(), "3").isOk());
  EXPECT_EQ(f.text(form->levelField(4)), "0");
  EXPECT_EQ(f.text(form->levelField(5)), "0");
  EXPECT_FALSE(f.fieldState(form->levelField(4)).enabled);
  EXPECT_EQ(f.text(form->maskField()), "9.9.9");
  EXPECT_EQ(f.takeFocusRequest(), form->levelField(1));
  EXPECT_FALSE(f.type(form->levelField(4), "2").isOk());
  // 1.1.1 is a layout of its own: accepted and written.
  EXPECT_EQ(f.ok(), FormState::kCompleted);
  Record stored = read(1);
  EXPECT_EQ(stored.getInt("Graus"), 3);
  EXPECT_EQ(stored.getInt("G5"), 0);
  EXPECT_EQ(latin1ToUtf8(stored.getText("Formato")), "9.9.9");
}

TEST_F(StructureFormScreenTest, TypedLevelsRebuildTheMask) {
  auto form = openForm(Request::kInsert);
  FormController& f = form->controller();
  EXPECT_EQ(f.caption(), "Incluindo um Plano de Contas");
  EXPECT_FALSE(f.fieldState(form->levelField(1)).enabled);  // no levels yet
  typeLayout(*form, {2, 3});
  EXPECT_EQ(f.text(form->maskField()), "99.999");
  ASSERT_TRUE(f.type(form->levelField(1), "1").isOk());
  EXPECT_EQ(f.text(form->maskField()), "9.999");
}

TEST_F(StructureFormScreenTest, DigitTotalOfThirtyRefusedOnInsert) {
  auto form = openForm(Request::kInsert);
  FormController& f = form->controller();
  typeLayout(*form, {9, 9, 9, 3});
  f.takeFocusRequest();
  EXPECT_EQ(f.ok(), FormState::kOpen);
  expectOneBox("Atenção", "Esse Plano de Contas não pode ser criado. Entre em contato com a QUELMA Informática",
               MessageIcon::kInformation);
  EXPECT_EQ(beeps, 0);
  EXPECT_EQ(f.takeFocusRequest(), form->levelField(1));
  EXPECT_EQ(count(), 2);
  // One digit less (29) is accepted.
  ASSERT_TRUE(f.type(form->levelField(4), "2").isOk());
  EXPECT_EQ(f.ok(), FormState::kCompleted);
  EXPECT_EQ(count(), 3);
}

TEST_F(StructureFormScreenTest, DigitTotalOfThirtyRefusedOnChangeAndDelete) {
  const int64_t wide = store(9, "Largo", {9, 9, 9, 3});
  {
    auto form = openForm(Request::kChange, wide);
    ASSERT_TRUE(form->controller().type(form->nameField(), "Largo demais").isOk());
    EXPECT_EQ(form->controller().ok(), FormState::kOpen);
  }
  {
    auto form = openForm(Request::kDelete, wide);
    EXPECT_EQ(form->controller().caption(), "Excluindo um Plano de Contas");
    EXPECT_EQ(form->controller().ok(), FormState::kOpen);
  }
  // Two refusals and no "Confirma Exclusão": nothing was asked or written.
  ASSERT_EQ(dialogs.boxes.size(), 2u);
  for (const MessageBoxRequest& b : dialogs.boxes) EXPECT_EQ(b.title, "Atenção");
  EXPECT_EQ(latin1ToUtf8(read(9).getText("Nome")), "Largo");
}

TEST_F(StructureFormScreenTest, DuplicateLayoutOfStructure3Refused) {
  auto form = openForm(Request::kInsert);
  FormController& f = form->controller();
  ASSERT_TRUE(f.type(form->nameField(), "Outro nome").isOk());
  typeLayout(*form, {1, 2, 3});
  f.takeFocusRequest();
  EXPECT_EQ(f.ok(), FormState::kOpen);
  expectOneBox("Atenção!!!", "Atenção!!! O plano 3 já está cadastrado com a quantidade de níveis informada!!!",
               MessageIcon::kError);
  EXPECT_EQ(beeps, 1);
  EXPECT_EQ(f.takeFocusRequest(), form->levelCountField());
  EXPECT_EQ(count(), 2);
  // The scan ran on the second cursor: the form still holds its own values.
  EXPECT_EQ(form->edited().name, "Outro nome");
  EXPECT_EQ(form->edited().code, 4);
}

TEST_F(StructureFormScreenTest, ChangeIntoAnotherStructuresLayoutRefused) {
  auto form = openForm(Request::kChange, read(1).recordId());
  typeLayout(*form, {1, 2, 3});
  EXPECT_EQ(form->controller().ok(), FormState::kOpen);
  ASSERT_EQ(dialogs.boxes.size(), 1u);
  EXPECT_NE(dialogs.boxes[0].text.find("O plano 3 "), std::string::npos);
  EXPECT_EQ(read(1).getInt("Graus"), 5);
}

TEST_F(StructureFormScreenTest, NameOnlyChangeAcceptedAndOtherLayoutsCarried) {
  {
    // Fields no screen of this system edits.
    Table t(dict->find("ConfPlanoContas"));
    ASSERT_TRUE(t.open(path()).isOk());
    ASSERT_TRUE(t.getById(three).isOk());
    Record& r = t.buffer();
    r.setInt("G10", 4);
    r.setInt("GrausPS", 2);
    r.setInt("G1PS", 5);
    r.setText("FormatoPS", "99999.9");
    r.setText("GruposPS4", "grupo 1;grupo 2");
    r.setInt("Cod_CCusto", 2);
    r.setInt("G2CCusto", 3);
    r.setText("ContaIRPas", "2.1.1.04");
    r.setInt("HistoricoCSLL", 77);
    ASSERT_TRUE(t.update().isOk());
  }
  const Record before = read(3);
  auto form = openForm(Request::kChange, three);
  ASSERT_TRUE(form->controller().type(form->nameField(), "Três níveis, renomeado").isOk());
  EXPECT_EQ(form->controller().ok(), FormState::kCompleted);
  EXPECT_TRUE(dialogs.boxes.empty());
  Record after = read(3);
  EXPECT_EQ(latin1ToUtf8(after.getText("Nome")), "Três níveis, renomeado");
  for (const char* field : {"G10", "GrausPS", "G1PS", "Cod_CCusto", "G2CCusto", "HistoricoCSLL"})
    EXPECT_EQ(after.getInt(field), before.getInt(field)) << field;
  for (const char* field : {"FormatoPS", "GruposPS4", "ContaIRPas"})
    EXPECT_EQ(after.getText(field), before.getText(field)) << field;
}

TEST_F(StructureFormScreenTest, NewStructureOfferedTheNextCodeAndTypedCodesKept) {
  {
    auto form = openForm(Request::kInsert);
    EXPECT_EQ(form->controller().text(form->codeField()), "4");
    EXPECT_TRUE(form->controller().fieldState(form->codeField()).enabled);
    // Nothing typed: nothing to lose.
    EXPECT_EQ(form->controller().cancel(), FormState::kCancelled);
    EXPECT_TRUE(dialogs.boxes.empty());
  }
  {
    auto form = openForm(Request::kInsert);
    ASSERT_TRUE(form->controller().type(form->codeField(), "7").isOk());
    typeLayout(*form, {2, 2});
    EXPECT_EQ(form->controller().ok(), FormState::kCompleted);
    EXPECT_EQ(read(7).getInt("G2"), 2);
  }
  {
    // A stored code is refused by the unique key.
    auto form = openForm(Request::kInsert);
    ASSERT_TRUE(form->controller().type(form->codeField(), "3").isOk());
    typeLayout(*form, {4, 4});
    EXPECT_EQ(form->controller().ok(), FormState::kOpen);
    EXPECT_EQ(form->controller().lastMessage(), kMsgDuplicateKey);
    EXPECT_EQ(read(3).getInt("G1"), 1);
  }
}

TEST_F(StructureFormScreenTest, CodeAbove999Refused) {
  {
    auto form = openForm(Request::kInsert);
    ASSERT_TRUE(form->controller().type(form->codeField(), "1000").isOk());
    typeLayout(*form, {2, 2});
    form->controller().takeFocusRequest();
    EXPECT_EQ(form->controller().ok(), FormState::kOpen);
    ASSERT_EQ(dialogs.boxes.size(), 1u);
    EXPECT_NE(dialogs.boxes[0].text.find("1000"), std::string::npos);
    EXPECT_EQ(form->controller().takeFocusRequest(), form->codeField());
  }
  // With 999 taken, the code offered (1000) and a code left to be numbered
  // (0) are refused alike.
  store(999, "Último", {3, 3});
  auto form = openForm(Request::kInsert);
  EXPECT_EQ(form->controller().text(form->codeField()), "1000");
  typeLayout(*form, {2, 2});
  EXPECT_EQ(form->controller().ok(), FormState::kOpen);
  ASSERT_TRUE(form->controller().type(form->codeField(), "0").isOk());
  EXPECT_EQ(form->controller().ok(), FormState::kOpen);
  EXPECT_EQ(dialogs.boxes.size(), 3u);
  EXPECT_EQ(count(), 3);
}

TEST_F(StructureFormScreenTest, DeleteAsksAndRemoves) {
  auto form = openForm(Request::kDelete, three);
  EXPECT_TRUE(form->controller().fieldState(form->nameField()).readOnly);
  EXPECT_EQ(structureFormButtons(Request::kDelete).ok.caption, "&Exclui");
  EXPECT_EQ(form->controller().ok(), FormState::kCompleted);
  ASSERT_EQ(dialogs.boxes.size(), 1u);
  EXPECT_EQ(dialogs.boxes[0].title, "Confirma Exclusão");
  EXPECT_EQ(count(), 1);
}

TEST_F(StructureFormScreenTest, DeleteRefusedWhileACompanyUsesTheStructure) {
  Table empresa(dict->find("Empresa"));
  ASSERT_TRUE(empresa.open(dir.file(empresa.def().binding)).isOk());
  empresa.buffer().setInt("EMP:Codigo", 12);
  empresa.buffer().setInt("EMP:CodigoPlanoContas", 3);
  ASSERT_TRUE(empresa.append().isOk());
  auto form = openForm(Request::kDelete, three);
  EXPECT_EQ(form->controller().ok(), FormState::kOpen);
  expectOneBox("Atenção!!!", "Este Plano de Contas não pode ser excluído: a empresa 12 o utiliza.",
               MessageIcon::kError);
  EXPECT_EQ(count(), 2);

  // Moved to another structure, the company's history still names 3 as the
  // structure of its earlier years.
  ASSERT_TRUE(empresa.seekStart(kFileOrder).isOk());
  ASSERT_TRUE(empresa.next().isOk());
  empresa.buffer().setInt("EMP:CodigoPlanoContas", 1);
  ASSERT_TRUE(empresa.update().isOk());
  empresa.endWalk();
  Table history(dict->find("AltContratuais"));
  ASSERT_TRUE(history.open(dir.file(history.def().binding)).isOk());
  history.buffer().setInt("ALTCONT:CODIGO", 12);
  history.buffer().setInt("ALTCONT:CODALT", 41);
  history.buffer().setText("ALTCONT:OBS", "003");
  ASSERT_TRUE(history.append().isOk());
  dialogs.boxes.clear();
  EXPECT_EQ(form->controller().ok(), FormState::kOpen);
  EXPECT_EQ(boxTexts(), std::vector<std::string>{"Este Plano de Contas não pode ser excluído: a empresa 12 o utiliza."});

  // Structure 1, in use by the company, is kept; with no user left, 3 goes.
  ASSERT_TRUE(history.seekStart(kFileOrder).isOk());
  ASSERT_TRUE(history.next().isOk());
  ASSERT_TRUE(history.erase().isOk());
  history.endWalk();
  dialogs.boxes.clear();
  EXPECT_EQ(form->controller().ok(), FormState::kCompleted);
  EXPECT_EQ(count(), 1);
}

}  // namespace
}  // namespace vorlam::chart
