#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTabBar>
#include <QTableView>

#include "chart/qt/structure_form_window.h"
#include "chart/qt/structure_list_window.h"
#include "chart/structure_test_fixture.h"
#include "framework/qt/test_harness.h"

namespace vorlam::chart::qt {
namespace {

namespace harness = vorlam::qt::testing;

class StructureScreensTest : public testing::StructureFixture {
 protected:
  void SetUp() override {
    store(1, "Padrão", {1, 1, 1, 2, 4});
    store(3, "Três níveis", {1, 2, 3});
    store(5, "Alfa", {2, 2, 3, 5});
    state.bind({{"ConfPlan.dat", path()}});
  }

  // Windows closed by a test are deleted before the data they refer to.
  void TearDown() override { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

  StructureListWindow* openList(StructureChosen onSelect = {}) {
    QWidget* w = openStructureList(*dict, state, services, shutdown, nullptr, std::move(onSelect));
    return dynamic_cast<StructureListWindow*>(w);
  }

  QLineEdit* entry(StructureFormWindow& w, const char* field) {
    return qobject_cast<QLineEdit*>(w.control(field));
  }

  QApplication* app = harness::application();
  shell::AppState state{shell::DataLocations{dir.path() + "/", "", "", "", "", ""}};
};

TEST_F(StructureScreensTest, ListShowsItsButtonsTipAndTheMaskUnderTheCursor) {
  StructureListWindow* list = openList();
  ASSERT_NE(list, nullptr);
  ASSERT_TRUE(harness::showWindow(list));
  EXPECT_EQ(list->windowTitle(), "Visualização da Tabela da Configuração do Plano de Contas");
  EXPECT_EQ(list->tipLine()->text(), "Inclui ( Insert ) - Altera ( Enter ) - Exclui ( Delete )");
  for (const char* caption : {"&Incluir", "&Alterar", "&Excluir", "&Ajuda", "&Fechar"})
    EXPECT_NE(harness::findButton(list, caption), nullptr) << caption;
  EXPECT_EQ(harness::findButton(list, "&Selecionar"), nullptr);
  auto* change = qobject_cast<QPushButton*>(harness::findButton(list, "&Alterar"));
  ASSERT_NE(change, nullptr);
  EXPECT_TRUE(change->isDefault());

  EXPECT_EQ(list->selectedFormatLabel()->text(), "9.9.9.99.9999");
  list->view()->setCurrentIndex(list->model()->index(1, 0));
  EXPECT_EQ(list->selectedFormatLabel()->text(), "9.99.999");
  // The "Nome" tab lists "Alfa" first.
  ASSERT_TRUE(list->showTab(1).isOk());
  EXPECT_EQ(list->selectedFormatLabel()->text(), "99.99.999.99999");

  // The right-button menu repeats the buttons under their own captions.
  QContextMenuEvent click(QContextMenuEvent::Mouse, QPoint(5, 5), list->view()->viewport()->mapToGlobal(QPoint(5, 5)));
  QApplication::sendEvent(list->view()->viewport(), &click);
  QList<QMenu*> menus = list->findChildren<QMenu*>();
  ASSERT_FALSE(menus.isEmpty());
  QStringList entries;
  for (QAction* a : menus.back()->actions()) entries << a->text();
  EXPECT_EQ(entries, (QStringList{"&Incluir", "&Alterar", "&Excluir"}));
  menus.back()->close();
  list->close();  // deleted on close
}

TEST_F(StructureScreensTest, ListRunsTheFormAndFollowsTheNewRecord) {
  StructureListWindow* list = openList();
  ASSERT_NE(list, nullptr);
  ASSERT_TRUE(harness::showWindow(list));
  list->setFormRunner([](StructureForm& form) {
    FormController& f = form.controller();
    ASSERT_TRUE(f.type(form.levelCountField(), "2").isOk());
    ASSERT_TRUE(f.type(form.levelField(1), "3").isOk());
    ASSERT_TRUE(f.type(form.levelField(2), "3").isOk());
    f.ok();
  });
  list->trigger(vorlam::qt::kListInsert);
  EXPECT_EQ(count(), 4);
  ASSERT_NE(list->current(), nullptr);
  EXPECT_EQ(list->current()->getInt("Codigo"), 6);
  EXPECT_EQ(list->selectedFormatLabel()->text(), "999.999");
  list->close();
}

TEST_F(StructureScreensTest, PickingMakesSelectTheDefault) {
  std::optional<AccountStructure> chosen;
  StructureListWindow* list = openList([&](const AccountStructure& s) { chosen = s; });
  ASSERT_NE(list, nullptr);
  ASSERT_TRUE(harness::showWindow(list));
  auto* select = qobject_cast<QPushButton*>(harness::findButton(list, "&Selecionar"));
  auto* change = qobject_cast<QPushButton*>(harness::findButton(list, "&Alterar"));
  ASSERT_NE(select, nullptr);
  ASSERT_NE(change, nullptr);
  EXPECT_TRUE(select->isDefault());
  EXPECT_EQ(change->toolTip(), "Altera Registro Selecionado");
  EXPECT_EQ(change->statusTip(), "Altera Registro Selecionado");
  list->view()->setCurrentIndex(list->model()->index(1, 0));
  list->view()->setFocus();
  harness::pressKey(list, Qt::Key_Return);
  ASSERT_TRUE(chosen.has_value());
  EXPECT_EQ(chosen->code, 3);
  EXPECT_EQ(chosen->levelCount, 3);
}

TEST_F(StructureScreensTest, UnopenableFileOpensNoWindow) {
  state.bind({{"ConfPlan.dat", dir.file("falta/ConfPlan.dat")}});
  harness::MessageScript script;
  EXPECT_EQ(openStructureList(*dict, state, services, shutdown), nullptr);
  ASSERT_EQ(script.seen().size(), 1u);
  EXPECT_EQ(script.seen()[0].title, "Erro de Acesso de arquivo");
}

TEST_F(StructureScreensTest, FormFollowsTheLevelCountAndFocusesTheRefusedField) {
  StructureList list(context, false);
  ASSERT_TRUE(list.open().isOk());
  StructureForm form(context, list.table(), list.scan(), Request::kInsert);
  ASSERT_EQ(form.open(), FormState::kOpen);
  StructureFormWindow window(form, dialogs);
  ASSERT_TRUE(harness::showWindow(&window));
  EXPECT_EQ(window.windowTitle(), "Configuração do Plano de Contas");
  EXPECT_EQ(window.captionLabel()->text(), "Incluindo um Plano de Contas");
  EXPECT_EQ(window.control("CONP:G6")->toolTip(), "6qº Grau");
  EXPECT_EQ(entry(window, "CONP:Codigo")->text(), "6");
  EXPECT_FALSE(entry(window, "CONP:G1")->isEnabled());
  EXPECT_TRUE(window.instruction()->text().startsWith("    Estes campos devem ser preenchidos"));
  EXPECT_EQ(window.helpButton()->text(), "&Ajuda");
  auto* referential = qobject_cast<QComboBox*>(window.control("CONP:CodPlanoReferencial"));
  ASSERT_NE(referential, nullptr);
  EXPECT_EQ(referential->currentText(), "10-Secretaria da Receita Federal");

  harness::typeText(entry(window, "CONP:Graus"), "4");
  harness::pressKey(&window, Qt::Key_Tab);
  harness::wait(50);
  EXPECT_TRUE(entry(window, "CONP:G4")->isEnabled());
  EXPECT_FALSE(entry(window, "CONP:G5")->isEnabled());
  EXPECT_EQ(harness::focused(), entry(window, "CONP:G1"));
  const char* digits[] = {"9", "9", "9", "3"};
  for (int n = 1; n <= 4; ++n) {
    harness::typeText(entry(window, ("CONP:G" + std::to_string(n)).c_str()), digits[n - 1]);
    harness::pressKey(&window, Qt::Key_Tab);
  }
  harness::wait(50);
  EXPECT_EQ(qobject_cast<QLabel*>(window.control("CONP:Formato"))->text(), "999999999.999999999.999999999.999");
  entry(window, "CONP:Nome")->setFocus();
  window.okButton()->click();
  harness::wait(50);
  ASSERT_EQ(dialogs.boxes.size(), 1u);
  EXPECT_EQ(dialogs.boxes[0].title, "Atenção");
  EXPECT_EQ(harness::focused(), entry(window, "CONP:G1"));
  EXPECT_EQ(count(), 3);
}

TEST_F(StructureScreensTest, DeleteFormReadsExcluiAndIsReadOnly) {
  StructureList list(context, false);
  ASSERT_TRUE(list.open().isOk());
  StructureForm form(context, list.table(), list.scan(), Request::kDelete);
  ASSERT_EQ(form.open(read(3).recordId()), FormState::kOpen);
  StructureFormWindow window(form, dialogs);
  EXPECT_EQ(window.okButton()->text(), "&Exclui");
  EXPECT_EQ(window.okButton()->toolTip(), "Exclui a Configuração do Plano de Contas da Tabela");
  EXPECT_EQ(window.okButton()->statusTip(), "Exclui a Configuração do Plano de Contas exibido na janela");
  EXPECT_EQ(window.cancelButton()->statusTip(), "Cancela Configuração do Plano de Contas exibido na janela");
  EXPECT_TRUE(entry(window, "CONP:Nome")->isReadOnly());
  EXPECT_FALSE(window.control("CONP:TipoOperadora")->isEnabled());
}

}  // namespace
}  // namespace vorlam::chart::qt
