#include "framework/qt/model_window.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QScreen>
#include <QScrollArea>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

#include "framework/qt/test_harness.h"

namespace vorlam::qt {
namespace {

// A screen declared as data: two tabs, one control of each kind, a list of
// plain rows, buttons and keys.  It records what the window asked of it.
struct Sample {
  ScreenModel model{"Exemplo", "Exemplo de Tela"};
  std::string code = "5";
  std::string active = "1";
  std::string kind = "2";
  std::vector<std::string> rows = {"A", "B", "C"};
  size_t highlighted = 0;
  int saved = 0;
  int inserted = 0;
  int deleted = 0;
  bool enableSave = true;

  Sample() {
    model.addTab({.caption = "&Geral", .current = [this] { return tab == 0; }, .select = [this] { tab = 0; }});
    model.addTab({.caption = "&Lista", .current = [this] { return tab == 1; }, .select = [this] { tab = 1; }});
    model.addControl({.name = "LOC:CODIGO",
                      .prompt = "&Código:",
                      .picture = "@n6",
                      .status = "Código da empresa",
                      .tab = 0,
                      .value = [this] { return code; },
                      .complete = [this](const std::string& v) {
                        code = v;
                        return Status::ok();
                      }});
    model.addButton({.name = "search", .tip = "Pesquisa", .tab = 0, .press = [this] { code = "77"; }});
    model.addControl({.name = "LOC:ATIVO", .prompt = "&Ativo", .kind = ControlKind::kCheckBox, .tab = 0,
                      .value = [this] { return active; },
                      .complete = [this](const std::string& v) {
                        active = v;
                        return Status::ok();
                      }});
    model.addControl({.name = "LOC:TIPO", .prompt = "Tipo:", .kind = ControlKind::kDropList,
                      .choices = {{"1", "1 Normal"}, {"2", "2 Especial"}}, .tab = 0,
                      .value = [this] { return kind; },
                      .complete = [this](const std::string& v) {
                        kind = v;
                        return Status::ok();
                      }});
    model.addControl({.name = "LOC:NOME", .prompt = "Nome:", .kind = ControlKind::kDisplay, .tab = 0,
                      .value = [this] { return "Empresa " + code; }});
    model.addList({.name = "lista", .headers = {"Letra"}, .tab = 1,
                   .rows = [this] {
                     std::vector<std::vector<std::string>> out;
                     for (const std::string& r : rows) out.push_back({r});
                     return out;
                   },
                   .highlighted = [this] { return std::optional<size_t>(highlighted); },
                   .highlight = [this](size_t r) {
                     highlighted = r;
                     return Status::ok();
                   }});
    model.addButton({.caption = "&Grava", .status = "Grava e fecha",
                     .press = [this] { ++saved; },
                     .enabled = [this] { return enableSave; },
                     .isDefault = [] { return true; }});
    model.addButton({.caption = "&Fechar", .press = [this] { model.requestClose(); }});
    model.addKey({.name = "Insert", .scope = "lista", .action = [this] { ++inserted; }});
    model.addKey({.name = "F4", .action = [this] { ++deleted; }});
  }
  int tab = 0;
};

TEST(ModelWindow, DrawsTheModelAndSendsActionsToIt) {
  testing::application();
  Sample s;
  auto* window = new ModelWindow(s.model);
  QPointer<ModelWindow> guard(window);
  ASSERT_TRUE(testing::showWindow(window));

  EXPECT_EQ(window->windowTitle(), "Exemplo de Tela");
  ASSERT_NE(window->tabs(), nullptr);
  EXPECT_EQ(window->tabs()->count(), 2);
  auto* code = qobject_cast<QLineEdit*>(window->control("LOC:CODIGO"));
  ASSERT_NE(code, nullptr);
  EXPECT_EQ(code->text(), "5");
  EXPECT_EQ(code->statusTip(), "Código da empresa");
  EXPECT_EQ(window->prompt("LOC:CODIGO")->text(), "&Código:");
  EXPECT_TRUE(qobject_cast<QCheckBox*>(window->control("LOC:ATIVO"))->isChecked());
  EXPECT_EQ(qobject_cast<QComboBox*>(window->control("LOC:TIPO"))->currentText(), "2 Especial");
  EXPECT_EQ(qobject_cast<QLabel*>(window->control("LOC:NOME"))->text(), "Empresa 5");

  // Typing completes the field through the model; the display follows.
  testing::typeText(code, "12");
  testing::pressKey(window, Qt::Key_Tab);
  EXPECT_EQ(s.code, "12");
  EXPECT_EQ(qobject_cast<QLabel*>(window->control("LOC:NOME"))->text(), "Empresa 12");
  // The icon-only button stands by the field and acts through the model.
  ASSERT_NE(window->button("search"), nullptr);
  window->button("search")->click();
  EXPECT_EQ(code->text(), "77");
  qobject_cast<QCheckBox*>(window->control("LOC:ATIVO"))->click();
  EXPECT_EQ(s.active, "0");
  auto* combo = qobject_cast<QComboBox*>(window->control("LOC:TIPO"));
  combo->setCurrentIndex(0);
  emit combo->activated(0);
  EXPECT_EQ(s.kind, "1");

  // Buttons: caption, status text, enabled and default are the model's.
  QAbstractButton* save = window->button("&Grava");
  ASSERT_NE(save, nullptr);
  EXPECT_EQ(save->statusTip(), "Grava e fecha");
  save->click();
  EXPECT_EQ(s.saved, 1);
  s.enableSave = false;
  window->refresh();
  EXPECT_FALSE(save->isEnabled());

  // The list tab: rows, highlight, scoped key.
  window->tabs()->setCurrentIndex(1);
  EXPECT_EQ(s.tab, 1);
  QTableWidget* table = window->rowTable("lista");
  ASSERT_NE(table, nullptr);
  EXPECT_EQ(table->rowCount(), 3);
  EXPECT_EQ(table->item(1, 0)->text(), "B");
  table->setFocus();
  table->setCurrentCell(2, 0);
  testing::wait(50);
  EXPECT_EQ(s.highlighted, 2u);
  EXPECT_EQ(s.model.focus(), "lista");
  testing::pressKey(window, Qt::Key_Insert);
  EXPECT_EQ(s.inserted, 1);
  testing::pressKey(window, Qt::Key_F4);
  EXPECT_EQ(s.deleted, 1);

  // The model moves the focus: the window follows.
  s.model.setFocus("LOC:CODIGO");
  window->tabs()->setCurrentIndex(0);
  testing::wait(50);
  EXPECT_EQ(testing::focused(), code);

  // "&Fechar" closes the screen, and with it the window.
  window->button("&Fechar")->click();
  testing::wait(50);
  EXPECT_TRUE(s.model.closed());
  EXPECT_TRUE(guard.isNull());
}

// Whether `label` has the room its whole text needs, as laid out now.
bool showsWholeText(QLabel* label) {
  if (label->wordWrap()) return label->height() >= label->heightForWidth(label->width());
  const QSize need = label->minimumSizeHint();
  return label->width() >= need.width() && label->height() >= need.height();
}

// A long one-line text in a field's frame (a list's tip line) and a long
// instruction without one are both shown whole, not cut to one line's height.
TEST(ModelWindow, LongDisplayTextsAreShownWhole) {
  testing::application();
  ScreenModel model("Exemplo", "Exemplo de Tela");
  const std::string tip =
      "Visualização da tabela de Fornecedores/Clientes, INSERT-Inclui, DELETE-Exclui, ENTER-Altera";
  const std::string instruction =
      "Informe o código da empresa e o período; para selecionar o ano inteiro informe o mês como 13, e "
      "confirme com Seleciona.";
  model.addControl({.name = "dica", .kind = ControlKind::kDisplay, .value = [&] { return tip; }});
  model.addControl({.kind = ControlKind::kDisplay, .value = [&] { return instruction; }});
  model.addList({.name = "lista", .headers = {"Letra"},
                 .rows = [] { return std::vector<std::vector<std::string>>(30, {"A"}); }});
  model.addButton({.caption = "&Fechar", .press = [&] { model.requestClose(); }});
  auto* window = new ModelWindow(model);
  QPointer<ModelWindow> guard(window);
  ASSERT_TRUE(testing::showWindow(window));
  testing::wait(50);
  auto* framed = qobject_cast<QLabel*>(window->control("dica"));
  ASSERT_NE(framed, nullptr);
  EXPECT_EQ(framed->text().toStdString(), tip);
  EXPECT_TRUE(showsWholeText(framed)) << framed->width() << "x" << framed->height();
  for (QLabel* label : window->findChildren<QLabel*>()) {
    if (label->text().toStdString() != instruction) continue;
    EXPECT_TRUE(showsWholeText(label)) << label->width() << "x" << label->height();
  }
  window->close();
  testing::wait(50);
  delete guard.data();
}

// A click on a button right after typing into a field: leaving the field
// completes it and the screen moves its focus on, but the button still acts.
TEST(ModelWindow, AButtonClickedStraightFromAFieldStillActs) {
  testing::application();
  ScreenModel model("Exemplo", "Exemplo de Tela");
  std::string rate = "18", next;
  int saved = 0;
  model.addControl({.name = "LOC:ALIQUOTA", .prompt = "Alíquota:", .value = [&] { return rate; },
                    .complete = [&](const std::string& v) {
                      rate = v;
                      model.setFocus("LOC:PROXIMO");
                      return Status::ok();
                    }});
  model.addControl({.name = "LOC:PROXIMO", .prompt = "Próximo:", .value = [&] { return next; },
                    .complete = [&](const std::string& v) {
                      next = v;
                      return Status::ok();
                    }});
  model.addButton({.caption = "&Grava", .press = [&] { ++saved; }});
  auto* window = new ModelWindow(model);
  QPointer<ModelWindow> guard(window);
  ASSERT_TRUE(testing::showWindow(window));
  testing::typeText(window->control("LOC:ALIQUOTA"), "17");
  QAbstractButton* save = window->button("&Grava");
  ASSERT_NE(save, nullptr);
  // The press takes the focus from the field; the screen's own move runs
  // before the release comes, as it does under a real mouse.
  QTest::mousePress(save, Qt::LeftButton);
  testing::wait(50);
  QTest::mouseRelease(save, Qt::LeftButton);
  testing::wait(50);
  EXPECT_EQ(rate, "17");
  EXPECT_EQ(saved, 1);
  delete guard.data();
}

// A button that leads to another tab, on a field further down it (the
// discount's button to its group of accounts): the focus lands on that
// field, not on the first one the page switch offers.  A button that only
// changes the tab lets the screen learn the field the page gave.
TEST(ModelWindow, AButtonThatChangesTheTabPutsTheFocusWhereTheScreenSays) {
  testing::application();
  ScreenModel model("Exemplo", "Exemplo de Tela");
  int tab = 0;
  std::string first, second, amount = "10";
  model.addTab({.caption = "&Duplicata", .current = [&] { return tab == 0; }, .select = [&] { tab = 0; }});
  model.addTab({.caption = "&Integração", .current = [&] { return tab == 1; }, .select = [&] { tab = 1; }});
  auto entry = [&](const char* name, int onTab, std::string& value) {
    model.addControl({.name = name, .prompt = name, .tab = onTab, .value = [&value] { return value; },
                      .complete = [&value](const std::string& v) {
                        value = v;
                        return Status::ok();
                      }});
  };
  entry("LOC:DESCONTO", 0, amount);
  model.addButton({.caption = "Integração do desconto", .tab = 0, .press = [&] {
                     tab = 1;
                     model.setFocus("LOC:SEGUNDO");
                   }});
  model.addButton({.caption = "Vai", .tab = 0, .press = [&] { tab = 1; }});
  entry("LOC:PRIMEIRO", 1, first);
  entry("LOC:SEGUNDO", 1, second);
  auto* window = new ModelWindow(model);
  QPointer<ModelWindow> guard(window);
  ASSERT_TRUE(testing::showWindow(window));
  auto click = [&](const char* caption) {
    QAbstractButton* b = window->button(caption);
    ASSERT_NE(b, nullptr);
    b->setFocus(Qt::MouseFocusReason);
    QTest::mouseClick(b, Qt::LeftButton);
    testing::wait(50);
  };

  click("Vai");
  EXPECT_EQ(tab, 1);
  EXPECT_EQ(model.focus(), "LOC:PRIMEIRO");
  EXPECT_TRUE(window->control("LOC:PRIMEIRO")->hasFocus());
  // Back by the tab itself: the page keeps its first field as its own.
  auto* tabs = window->findChild<QTabWidget*>();
  ASSERT_NE(tabs, nullptr);
  tabs->setCurrentIndex(0);
  testing::wait(50);
  EXPECT_EQ(tab, 0);
  click("Integração do desconto");
  EXPECT_EQ(tab, 1);
  EXPECT_EQ(model.focus(), "LOC:SEGUNDO");
  EXPECT_TRUE(window->control("LOC:SEGUNDO")->hasFocus());
  delete guard.data();
}

// A field the screen moves the focus to further down a long page (the
// fine's accounts of the instalment form) is scrolled into sight.
TEST(ModelWindow, TheFieldTheScreenFocusesIsScrolledIntoSight) {
  testing::application();
  ScreenModel model("Exemplo", "Exemplo de Tela");
  int tab = 0;
  std::vector<std::string> values(40);
  model.addTab({.caption = "&Duplicata", .current = [&] { return tab == 0; }, .select = [&] { tab = 0; }});
  model.addTab({.caption = "&Integração", .current = [&] { return tab == 1; }, .select = [&] { tab = 1; }});
  model.addButton({.caption = "Integração da multa", .tab = 0, .press = [&] {
                     tab = 1;
                     model.setFocus("LOC:CAMPO39");
                   }});
  for (size_t i = 0; i < values.size(); ++i) {
    std::string& value = values[i];
    model.addControl({.name = "LOC:CAMPO" + std::to_string(i), .prompt = "Campo " + std::to_string(i) + ":", .tab = 1,
                      .value = [&value] { return value; },
                      .complete = [&value](const std::string& v) {
                        value = v;
                        return Status::ok();
                      }});
  }
  auto* window = new ModelWindow(model);
  QPointer<ModelWindow> guard(window);
  window->resize(400, 300);
  ASSERT_TRUE(testing::showWindow(window));
  QAbstractButton* go = window->button("Integração da multa");
  ASSERT_NE(go, nullptr);
  go->setFocus(Qt::MouseFocusReason);
  QTest::mouseClick(go, Qt::LeftButton);
  testing::wait(50);
  QWidget* target = window->control("LOC:CAMPO39");
  ASSERT_NE(target, nullptr);
  EXPECT_TRUE(target->hasFocus());
  QScrollArea* page = nullptr;
  for (QWidget* p = target->parentWidget(); p != nullptr && page == nullptr; p = p->parentWidget())
    page = qobject_cast<QScrollArea*>(p);
  ASSERT_NE(page, nullptr);
  const QRect shown(target->mapTo(page->viewport(), QPoint(0, 0)), target->size());
  EXPECT_TRUE(page->viewport()->rect().contains(shown)) << shown.y() << " of " << page->viewport()->height();
  // A move of the keyboard's (Tab past the last field wraps to the first)
  // brings its field into sight as well.
  QWidget* first = window->control("LOC:CAMPO0");
  ASSERT_NE(first, nullptr);
  first->setFocus(Qt::TabFocusReason);
  testing::wait(50);
  const QRect back(first->mapTo(page->viewport(), QPoint(0, 0)), first->size());
  EXPECT_TRUE(page->viewport()->rect().contains(back)) << back.y() << " of " << page->viewport()->height();
  delete guard.data();
}

// Shows `window` at the size it asks for: it stands on the display and
// its button `caption` is in sight.
void expectShownWithButton(ModelWindow* window, const char* caption) {
  window->adjustSize();
  ASSERT_TRUE(testing::showWindow(window));
  EXPECT_LE(window->height(), window->screen()->availableGeometry().height());
  QAbstractButton* button = window->button(caption);
  ASSERT_NE(button, nullptr);
  const QRect at(button->mapTo(window, QPoint(0, 0)), button->size());
  EXPECT_TRUE(window->rect().contains(at)) << at.y() << " of " << window->height();
}

// A form of one page longer than the display (the integration form of a
// service note) scrolls, and its buttons stay in sight below the page.
TEST(ModelWindow, AFormLongerThanTheDisplayScrollsAndKeepsItsButtons) {
  testing::application();
  ScreenModel model("Exemplo", "Exemplo de Tela");
  std::vector<std::string> values(60);
  for (size_t i = 0; i < values.size(); ++i) {
    std::string& value = values[i];
    model.addControl({.name = "LOC:CAMPO" + std::to_string(i), .prompt = "Campo " + std::to_string(i) + ":",
                      .value = [&value] { return value; },
                      .complete = [&value](const std::string& v) {
                        value = v;
                        return Status::ok();
                      }});
  }
  int saved = 0;
  model.addButton({.caption = "&Grava", .press = [&] { ++saved; }});
  auto* window = new ModelWindow(model);
  QPointer<ModelWindow> guard(window);
  expectShownWithButton(window, "&Grava");
  QTest::mouseClick(window->button("&Grava"), Qt::LeftButton);
  EXPECT_EQ(saved, 1);
  delete guard.data();
}

// A list screen with a long panel below its list (the invoice lists, the
// journal) scrolls the same way: its buttons stay in sight.
TEST(ModelWindow, AListScreenLongerThanTheDisplayKeepsItsButtons) {
  testing::application();
  ScreenModel model("Exemplo", "Exemplo de Tela");
  model.addList({.name = "lista", .headers = {"Letra"},
                 .rows = [] { return std::vector<std::vector<std::string>>{{"A"}, {"B"}}; }});
  for (int i = 0; i < 40; ++i)
    model.addControl({.name = "LOC:VALOR" + std::to_string(i), .prompt = "Valor " + std::to_string(i) + ":",
                      .kind = ControlKind::kDisplay, .value = [] { return std::string("0,00"); }});
  model.addButton({.caption = "&Fecha"});
  auto* window = new ModelWindow(model);
  QPointer<ModelWindow> guard(window);
  expectShownWithButton(window, "&Fecha");
  delete guard.data();
}

// A child opens as a window of its own, modal to its parent only; the
// parent's call returns once the child has closed.  Esc asks to close.
TEST(ModelWindow, ChildScreensOpenOverTheirParentOnly) {
  testing::application();
  ScreenDialogs dialogs;
  ScreenModel child("Filho", "Tela Filha");
  bool mayClose = false;
  child.setCloseRequest([&] { return mayClose; });
  child.addButton({.caption = "&OK", .press = [&] { child.close(); }});
  ScreenModel parent("Pai", "Tela Pai");
  parent.setDialogs(&dialogs);
  std::string typed;
  parent.addControl({.name = "LOC:X", .value = [&] { return typed; }, .complete = [&](const std::string& v) {
                       typed = v;
                       return Status::ok();
                     }});
  bool returned = false;
  parent.addButton({.caption = "&Abre", .press = [&] {
                      parent.runChild(child);
                      returned = true;
                    }});
  // The frame goes before the screens its windows show.
  QMainWindow frame;
  auto* area = new QMdiArea(&frame);
  frame.setCentralWidget(area);
  frame.resize(900, 700);
  auto* other = new QLineEdit;
  area->addSubWindow(other);
  auto* window = new ModelWindow(parent);
  area->addSubWindow(window);
  frame.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&frame));
  EXPECT_EQ(dialogs.window(), window);  // the parent's messages show over it

  QString childTitle;
  bool parentBlocked = false;
  bool escKept = false;
  QTimer::singleShot(50, [&] {
    QWidget* top = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets())
      if (qobject_cast<ModelWindow*>(w) != nullptr && w->isVisible()) top = w;
    if (top == nullptr) {
      child.close();  // never hang
      return;
    }
    childTitle = top->windowTitle();
    // The other screen answers; the parent does not.
    QTest::keyClicks(other, "x");
    QTest::keyClicks(window->control("LOC:X"), "y");
    parentBlocked = qobject_cast<QLineEdit*>(window->control("LOC:X"))->text().isEmpty();
    QTest::keyClick(top, Qt::Key_Escape);  // refused by the screen
    escKept = !child.closed();
    testing::clickButton(top, "&OK");
    if (!child.closed()) child.close();
  });
  window->button("&Abre")->click();
  EXPECT_TRUE(returned);
  EXPECT_EQ(childTitle, "Tela Filha");
  EXPECT_EQ(other->text(), "x");
  EXPECT_TRUE(parentBlocked);
  EXPECT_TRUE(escKept);
  EXPECT_TRUE(child.closed());
}

}  // namespace
}  // namespace vorlam::qt
