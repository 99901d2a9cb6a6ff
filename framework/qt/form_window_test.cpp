#include "framework/qt/form_window.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QToolBar>

#include "dictionary/dictionary.h"
#include "framework/error_manager.h"
#include "framework/qt/qt_dialogs.h"
#include "framework/qt/test_harness.h"
#include "storage/test_util.h"
#include "storage/text.h"

namespace vorlam::qt {
namespace {

class FormWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(cnae, nullptr);
    ASSERT_TRUE(table.open(dir.file("CNAE.dat")).isOk());
    table.buffer().clear();
    table.buffer().setInt("CNAE:CODIGO", 1);
    table.buffer().setText("CNAE:Descricao", utf8ToLatin1("Agricultura"));
    ASSERT_TRUE(table.insert().isOk());
    definition.procedure = "UCNAE";
    definition.title = "Atualização da Tabela de CNAE";
    definition.insertCaption = "Incluindo um CNAE";
    definition.changeCaption = "Alterando um CNAE";
    definition.deleteCaption = "Excluindo um CNEA";
    FormGroupLayout group;
    group.caption = "Dados";
    group.fields = {
        {.field = "CNAE:CODIGO", .prompt = "0&1 - Código......", .picture = "@n6", .tip = "Código do CNAE"},
        {.field = "CNAE:Descricao", .prompt = "0&2 - Descrição...", .picture = "@s60", .lookupTip = "Pesquisa"},
        {.field = "CNAE:PERCACITRAB", .prompt = "0&3 - Acidente....", .picture = "@n6.2"},
        {.field = "CNAE:LOGIN",
         .prompt = "0&4 - Usuário.....",
         .control = FieldControl::kDropList,
         .choices = {{"ANA", "Ana"}, {"BIA", "Bia"}}},
        {.field = "CNAE:DATAGRAVADA", .prompt = "0&5 - Gravada", .control = FieldControl::kDisplay, .picture = "@d6"},
    };
    layout.tabs = {{"", {group}}};
    layout.buttons = {"&Grava", "Grava o registro", "&Cancela", "Cancela e retorna"};
    layout.byRequest[Request::kView] = {"&Fecha", "Fecha a janela", "&Cancela", ""};
  }
  std::unique_ptr<FormController> openForm(Request request, int64_t id = 0) {
    auto form = std::make_unique<FormController>(context, definition, table, request);
    if (request == Request::kInsert) form->openNew();
    else form->openRecord(id);
    return form;
  }
  QLineEdit* entry(FormWindow& w, const char* field) { return qobject_cast<QLineEdit*>(w.control(field)); }

  QApplication* app = testing::application();
  vorlam::testing::TempDir dir;
  std::shared_ptr<const Dictionary> dict = buildDictionary();
  const TableDef* cnae = dict->find("CNAE");
  Table table{cnae};
  ScriptedDialogs dialogs;
  ErrorServices services;
  ShutdownCoordinator shutdown;
  ErrorManager errors{services, dialogs, shutdown};
  ScreenContext context{*dict, [this](const std::string& b) { return dir.file(b); }, errors};
  FormDefinition definition;
  FormLayout layout;
};

TEST_F(FormWindowTest, DuplicateKeyIsRefusedWithMessage15) {
  auto form = openForm(Request::kInsert);
  FormWindow window(*form, layout, dialogs);
  ASSERT_TRUE(testing::showWindow(&window));
  testing::typeText(entry(window, "CNAE:CODIGO"), "1");
  testing::typeText(entry(window, "CNAE:Descricao"), "Pecuária");
  window.okButton()->click();
  ASSERT_FALSE(dialogs.boxes.empty());
  EXPECT_EQ(dialogs.boxes.back().title, "Erro chave duplicada");
  EXPECT_EQ(dialogs.boxes.back().text, "Chave duplicada: Ordem Númerica");
  EXPECT_EQ(form->state(), FormState::kOpen);
  EXPECT_TRUE(window.isVisible());
  // A fresh code saves, accented text included.
  testing::typeText(entry(window, "CNAE:CODIGO"), "2");
  window.okButton()->click();
  EXPECT_EQ(form->state(), FormState::kCompleted);
}

TEST_F(FormWindowTest, PicturesAreTheInputRules) {
  auto form = openForm(Request::kInsert);
  FormWindow window(*form, layout, dialogs);
  ASSERT_TRUE(testing::showWindow(&window));
  QLineEdit* code = entry(window, "CNAE:CODIGO");
  EXPECT_EQ(code->maxLength(), 6);
  const QString stored = code->text();
  testing::typeText(code, "12a");
  EXPECT_FALSE(window.commitFocused());
  ASSERT_EQ(dialogs.boxes.size(), 1u);
  EXPECT_EQ(dialogs.boxes[0].title, "Atenção!!!");
  EXPECT_EQ(testing::focused(), code) << "the refused field keeps the focus";
  // The field kept its value, and the screen shows it rather than the
  // refused text that OK would not save.
  EXPECT_EQ(code->text(), stored);
  EXPECT_FALSE(code->isModified());
  code->clear();
  testing::typeText(code, "345");
  testing::typeText(entry(window, "CNAE:PERCACITRAB"), "12,5");
  EXPECT_TRUE(window.commitFocused());
  EXPECT_EQ(form->record().getInt("CNAE:CODIGO"), 345);
  EXPECT_EQ(form->record().getDecimal("CNAE:PERCACITRAB").toString(), "12.50");
  EXPECT_EQ(entry(window, "CNAE:PERCACITRAB")->text(), "12,50");
}

TEST_F(FormWindowTest, MirrorsTheFieldStatesOfTheController) {
  auto form = openForm(Request::kInsert);
  const int code = form->fieldIndex("CNAE:CODIGO");
  const int login = form->fieldIndex("CNAE:LOGIN");
  const int description = form->fieldIndex("CNAE:Descricao");
  // A rule of the screen: code 99 hides the user and locks the description.
  form->onChange(code, [&](FormController& f, int) {
    const bool special = f.record().getInt(code) == 99;
    f.setVisible(login, !special);
    f.setReadOnly(description, special);
  });
  FormWindow window(*form, layout, dialogs);
  ASSERT_TRUE(testing::showWindow(&window));
  EXPECT_TRUE(window.control("CNAE:LOGIN")->isVisible());
  testing::typeText(entry(window, "CNAE:CODIGO"), "99");
  testing::pressKey(&window, Qt::Key_Tab);
  EXPECT_FALSE(window.control("CNAE:LOGIN")->isVisible());
  EXPECT_FALSE(window.prompt("CNAE:LOGIN")->isVisible());
  EXPECT_TRUE(entry(window, "CNAE:Descricao")->isReadOnly());
  EXPECT_FALSE(window.lookupButton("CNAE:Descricao")->isEnabled());
  form->setEnabled(code, false);
  window.refresh();
  EXPECT_FALSE(window.control("CNAE:CODIGO")->isEnabled());
}

TEST_F(FormWindowTest, DropListWritesTheStoredValueAndPromptsCarryMnemonics) {
  auto form = openForm(Request::kInsert);
  FormWindow window(*form, layout, dialogs);
  auto* combo = qobject_cast<QComboBox*>(window.control("CNAE:LOGIN"));
  ASSERT_NE(combo, nullptr);
  EXPECT_EQ(window.prompt("CNAE:LOGIN")->buddy(), combo);
  EXPECT_EQ(window.prompt("CNAE:CODIGO")->text(), QString::fromUtf8("0&1 - Código......"));
  combo->activated(1);
  EXPECT_EQ(form->text(form->fieldIndex("CNAE:LOGIN")).substr(0, 3), "BIA");
  EXPECT_EQ(window.control("CNAE:DATAGRAVADA")->focusPolicy(), Qt::NoFocus);
  EXPECT_EQ(window.okButton()->text(), "&Grava");
  EXPECT_EQ(window.okButton()->toolTip(), "Grava o registro");
  EXPECT_EQ(window.captionLabel()->text(), "Incluindo um CNAE");
  EXPECT_EQ(window.windowTitle(), QString::fromUtf8("Atualização da Tabela de CNAE"));
}

TEST_F(FormWindowTest, ViewIsReadOnlyWithItsOwnCaptions) {
  auto form = openForm(Request::kView, table.buffer().recordId());
  FormWindow window(*form, layout, dialogs);
  EXPECT_EQ(entry(window, "CNAE:Descricao")->text(), "Agricultura");
  EXPECT_TRUE(entry(window, "CNAE:Descricao")->isReadOnly());
  EXPECT_FALSE(window.control("CNAE:LOGIN")->isEnabled());
  EXPECT_EQ(window.okButton()->text(), "&Fecha");
  EXPECT_EQ(window.captionLabel()->text(), "View Record");
}

TEST_F(FormWindowTest, CancelWithChangesAsksMessage10) {
  auto form = openForm(Request::kChange, table.buffer().recordId());
  FormWindow window(*form, layout, dialogs);
  ASSERT_TRUE(testing::showWindow(&window));
  testing::typeText(entry(window, "CNAE:Descricao"), " e pesca");
  dialogs.answerBox(kButtonNo);
  window.cancelButton()->click();
  ASSERT_FALSE(dialogs.boxes.empty());
  EXPECT_EQ(dialogs.boxes.back().title, "As alterações serão perdidas!");
  EXPECT_TRUE(window.isVisible()) << "No keeps the form open";
  dialogs.answerBox(kButtonYes);
  window.cancelButton()->click();
  EXPECT_FALSE(window.isVisible());
  EXPECT_EQ(form->state(), FormState::kCancelled);
}

}  // namespace
}  // namespace vorlam::qt

namespace vorlam::qt {
namespace {

// The same refusal through the real message window, answered by script.
TEST_F(FormWindowTest, DuplicateKeyShowsTheMessageWindow) {
  QtDialogs shown;
  ErrorManager screenErrors(services, shown, shutdown);
  ScreenContext screen{*dict, [this](const std::string& b) { return dir.file(b); }, screenErrors};
  FormController form(screen, definition, table, Request::kInsert);
  form.openNew();
  FormWindow window(form, layout, shown);
  ASSERT_TRUE(testing::showWindow(&window));
  testing::MessageScript script;
  testing::typeText(entry(window, "CNAE:CODIGO"), "1");
  window.okButton()->click();
  ASSERT_EQ(script.seen().size(), 1u);
  EXPECT_EQ(script.seen()[0].title, "Erro chave duplicada");
  EXPECT_EQ(script.seen()[0].text, QString::fromUtf8("Chave duplicada: Ordem Númerica"));
  EXPECT_EQ(script.seen()[0].captions, QStringList{"O&k"});
  EXPECT_EQ(form.state(), FormState::kOpen);
}

}  // namespace
}  // namespace vorlam::qt

namespace vorlam::qt {
namespace {

const QColor kPale(255, 255, 210);

TEST_F(FormWindowTest, EnterAndArrowsWalkTheFormAndWrapAround) {
  auto form = openForm(Request::kInsert);
  FormWindow window(*form, layout, dialogs);
  ASSERT_TRUE(testing::showWindow(&window));
  QLineEdit* code = entry(window, "CNAE:CODIGO");
  QLineEdit* description = entry(window, "CNAE:Descricao");
  code->setFocus();
  testing::pressKey(&window, Qt::Key_Return);
  EXPECT_EQ(testing::focused(), description);
  testing::pressKey(&window, Qt::Key_Up);
  EXPECT_EQ(testing::focused(), code);
  testing::pressKey(&window, Qt::Key_Up);
  EXPECT_EQ(testing::focused(), window.cancelButton()) << "up on the first control goes to the last";
  testing::pressKey(&window, Qt::Key_Down);
  EXPECT_EQ(testing::focused(), code) << "down on the last control goes to the first";
  testing::pressKey(&window, Qt::Key_Tab);
  testing::pressKey(&window, Qt::Key_Tab);
  EXPECT_EQ(testing::focused(), window.lookupButton("CNAE:Descricao"));

  // A screen can keep Enter and the arrows for a control of its own.
  window.keyboardNavigation()->exclude(description);
  description->setFocus();
  testing::pressKey(&window, Qt::Key_Up);
  testing::pressKey(&window, Qt::Key_Down);
  EXPECT_EQ(testing::focused(), description);
  testing::pressKey(&window, Qt::Key_Tab);
  EXPECT_EQ(testing::focused(), window.lookupButton("CNAE:Descricao")) << "Tab still leaves it";
}

TEST_F(FormWindowTest, FocusedEntryIsHighlightedAndGetsItsColourBack) {
  auto form = openForm(Request::kInsert);
  FormWindow window(*form, layout, dialogs);
  ASSERT_TRUE(testing::showWindow(&window));
  QLineEdit* code = entry(window, "CNAE:CODIGO");
  window.okButton()->setFocus();
  const QColor plain = testing::baseColour(code);
  code->setFocus();
  EXPECT_EQ(testing::baseColour(code), kPale);
  EXPECT_EQ(window.focusHighlight()->highlighted(), code);
  testing::pressKey(&window, Qt::Key_Return);
  EXPECT_EQ(testing::baseColour(code), plain);
  EXPECT_EQ(testing::baseColour(entry(window, "CNAE:Descricao")), kPale);

  // The main frame's look: another colour, in bold.
  FormWindow bold(*form, layout, dialogs);
  bold.setLook({QColor(200, 230, 255), true});
  ASSERT_TRUE(testing::showWindow(&bold));
  entry(bold, "CNAE:CODIGO")->setFocus();
  EXPECT_EQ(testing::baseColour(entry(bold, "CNAE:CODIGO")), QColor(200, 230, 255));
  EXPECT_EQ(entry(bold, "CNAE:CODIGO")->font().weight(), 700);
}

// Drop and combo lists whose choices are the records of another table.
class FormListsTest : public FormWindowTest {
 protected:
  void SetUp() override {
    FormWindowTest::SetUp();
    ASSERT_NE(states, nullptr);
    ASSERT_TRUE(stateTable.open(dir.file("Estados.dat")).isOk());
    for (auto [uf, name] : {std::pair{"SP", "São Paulo"}, {"MG", "Minas Gerais"}, {"AC", "Acre"}}) {
      stateTable.buffer().clear();
      stateTable.buffer().setText("EST:UF", uf);
      stateTable.buffer().setText("EST:DESC", utf8ToLatin1(name));
      ASSERT_TRUE(stateTable.insert().isOk());
    }
    FormTableChoices byName{&stateTable, "EST:KEY:DESCRICAO", "EST:UF", "EST:DESC"};
    FormGroupLayout group;
    group.fields = {
        {.field = "CNAE:LOGIN", .prompt = "&Estado", .control = FieldControl::kDropList, .tableChoices = byName},
        {.field = "CNAE:Descricao",
         .prompt = "&Descrição",
         .control = FieldControl::kComboList,
         .picture = "@s20",
         .choices = {{"Outro", "Outro"}},
         .tableChoices = FormTableChoices{&stateTable, "EST:KEY:SIGLA", "EST:DESC", ""}},
    };
    lists.tabs = {{"", {group}}};
  }
  QComboBox* combo(FormWindow& w, const char* field) { return qobject_cast<QComboBox*>(w.control(field)); }
  QStringList items(QComboBox* box) {
    QStringList out;
    for (int i = 0; i < box->count(); ++i) out << box->itemText(i);
    return out;
  }

  const TableDef* states = dict->find("Estados");
  Table stateTable{states};
  FormLayout lists;
};

TEST_F(FormListsTest, DropListShowsTheTableInKeyOrderAndStoresTheValue) {
  auto form = openForm(Request::kInsert);
  FormWindow window(*form, lists, dialogs);
  QComboBox* state = combo(window, "CNAE:LOGIN");
  ASSERT_NE(state, nullptr);
  EXPECT_FALSE(state->isEditable());
  EXPECT_EQ(items(state), (QStringList{"Acre", "Minas Gerais", QString::fromUtf8("São Paulo")}));
  state->activated(2);
  EXPECT_EQ(form->text(form->fieldIndex("CNAE:LOGIN")), "SP");
  form->assignText(form->fieldIndex("CNAE:LOGIN"), "MG");
  window.refresh();
  EXPECT_EQ(state->currentText(), "Minas Gerais");
}

TEST_F(FormListsTest, ComboListTakesAChoiceOrWhatIsTyped) {
  auto form = openForm(Request::kInsert);
  FormWindow window(*form, lists, dialogs);
  ASSERT_TRUE(testing::showWindow(&window));
  QComboBox* description = combo(window, "CNAE:Descricao");
  ASSERT_NE(description, nullptr);
  EXPECT_TRUE(description->isEditable());
  EXPECT_EQ(items(description), (QStringList{"Outro", "Acre", "Minas Gerais", QString::fromUtf8("São Paulo")}))
      << "the layout's own choices come first";
  EXPECT_EQ(description->lineEdit()->maxLength(), 20);
  const int field = form->fieldIndex("CNAE:Descricao");

  testing::typeText(description, QString::fromUtf8("Região Sul"));
  EXPECT_TRUE(window.commitFocused());
  EXPECT_EQ(form->text(field), "Região Sul");
  description->activated(3);
  EXPECT_EQ(form->text(field), "São Paulo");

  // Read-only fields cannot be chosen from.
  form->setReadOnly(field, true);
  window.refresh();
  EXPECT_FALSE(description->isEnabled());
}

TEST_F(FormWindowTest, FocusGoesWhereTheControllerAsks) {
  auto form = openForm(Request::kInsert);
  const int code = form->fieldIndex("CNAE:CODIGO");
  const int rate = form->fieldIndex("CNAE:PERCACITRAB");
  const int description = form->fieldIndex("CNAE:Descricao");
  // Code 7 needs no description: the rule sends the user on to the rate.
  form->onChange(code, [&](FormController& f, int) {
    if (f.record().getInt(code) == 7) f.requestFocus(rate);
  });
  form->setValidator([&](FormController& f) {
    if (!f.record().getText(description).empty() && f.record().getText(description)[0] != ' ') return true;
    f.requestFocus(description);
    return false;
  });
  FormWindow window(*form, layout, dialogs);
  ASSERT_TRUE(testing::showWindow(&window));
  testing::typeText(entry(window, "CNAE:CODIGO"), "7");
  testing::pressKey(&window, Qt::Key_Tab);
  testing::wait(20);
  EXPECT_EQ(testing::focused(), entry(window, "CNAE:PERCACITRAB")) << "after the Tab's own move";

  window.okButton()->click();
  testing::wait(20);
  EXPECT_EQ(form->state(), FormState::kOpen);
  EXPECT_EQ(testing::focused(), entry(window, "CNAE:Descricao")) << "a refused OK goes to the field asked for";
}

QStringList toolbarTips(FormWindow& window) {
  QStringList tips;
  for (QAction* a : window.navigation()->actions()) tips << a->toolTip();
  return tips;
}

TEST_F(FormWindowTest, NavigationToolbarSavesAndClosesWithItsStep) {
  auto form = openForm(Request::kChange, table.buffer().recordId());
  FormWindow window(*form, layout, dialogs);
  window.enableNavigation();
  ASSERT_NE(window.navigation(), nullptr);
  EXPECT_EQ(toolbarTips(window),
            (QStringList{QString::fromUtf8("Salva Alterações e seleciona primeiro Registro"),
                         QString::fromUtf8("Salva Alterações"),
                         QString::fromUtf8("Salva Alterações e seleciona Registro Anterior"),
                         QString::fromUtf8("Salva Alterações e seleciona Próximo Registro"),
                         QString::fromUtf8("Salva Alterações"),
                         QString::fromUtf8("Salva Alterações e seleciona ultimo Registro"),
                         QString::fromUtf8("Salva Alterações e inclui um Registro")}));
  ASSERT_TRUE(testing::showWindow(&window));
  testing::typeText(entry(window, "CNAE:Descricao"), "Agricultura e pesca");
  window.navigation()->actions()[3]->trigger();
  EXPECT_EQ(form->state(), FormState::kCompleted);
  EXPECT_FALSE(window.isVisible());
  EXPECT_EQ(window.step(), RecordStep::kNext);
  table.buffer().clear();
  table.buffer().setInt("CNAE:CODIGO", 1);
  ASSERT_TRUE(table.get(0).isOk());
  EXPECT_EQ(latin1ToUtf8(table.buffer().getText("CNAE:Descricao")).substr(0, 19), "Agricultura e pesca")
      << "the step saved the record first";
}

TEST_F(FormWindowTest, InsertingToolbarSavesAndARefusedSaveKeepsTheForm) {
  auto form = openForm(Request::kInsert);
  FormWindow window(*form, layout, dialogs);
  window.enableNavigation();
  const QStringList tips = toolbarTips(window);
  EXPECT_EQ(tips[3], "Salva Registro");
  EXPECT_EQ(tips[6], "Salva Registro");
  EXPECT_EQ(tips[0], QString::fromUtf8("Salva Alterações e seleciona primeiro Registro"));
  ASSERT_TRUE(testing::showWindow(&window));
  testing::typeText(entry(window, "CNAE:CODIGO"), "1");
  window.navigation()->actions()[6]->trigger();
  EXPECT_EQ(dialogs.boxes.back().title, "Erro chave duplicada");
  EXPECT_TRUE(window.isVisible());
  EXPECT_FALSE(window.step().has_value());

  auto deleting = openForm(Request::kDelete, table.buffer().recordId());
  FormWindow deleteWindow(*deleting, layout, dialogs);
  deleteWindow.enableNavigation();
  EXPECT_EQ(deleteWindow.navigation(), nullptr) << "a delete form has no toolbar";
}

}  // namespace
}  // namespace vorlam::qt
