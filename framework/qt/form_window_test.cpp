#include "framework/qt/form_window.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

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
        {"CNAE:CODIGO", "0&1 - Código......", FieldControl::kEntry, "@n6", {}, "1", "0", "Código do CNAE", ""},
        {"CNAE:Descricao", "0&2 - Descrição...", FieldControl::kEntry, "@s60", {}, "1", "0", "", "Pesquisa"},
        {"CNAE:PERCACITRAB", "0&3 - Acidente....", FieldControl::kEntry, "@n6.2", {}, "1", "0", "", ""},
        {"CNAE:LOGIN", "0&4 - Usuário.....", FieldControl::kDropList, "", {{"ANA", "Ana"}, {"BIA", "Bia"}}},
        {"CNAE:DATAGRAVADA", "0&5 - Gravada", FieldControl::kDisplay, "@d6", {}},
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
  testing::typeText(code, "12a");
  EXPECT_FALSE(window.commitFocused());
  ASSERT_EQ(dialogs.boxes.size(), 1u);
  EXPECT_EQ(dialogs.boxes[0].title, "Atenção!!!");
  EXPECT_EQ(testing::focused(), code) << "the refused field keeps the focus";
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
