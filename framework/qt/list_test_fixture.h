// The list tests' table: service codes 1..n named "Serviço <number>", and
// the definition of their list screen, its controller and window.  Test
// code only.
#pragma once

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "dictionary/dictionary.h"
#include "framework/error_manager.h"
#include "framework/list_controller.h"
#include "framework/qt/list_window.h"
#include "framework/qt/test_harness.h"
#include "storage/test_util.h"
#include "storage/text.h"

namespace vorlam::qt {

inline constexpr uint32_t kAll = 0xFF;

inline TableDef serviceDef() {
  return TableBuilder("CtaISS", "CTA", "CtaISS.dat")
      .field("CTA:CODIGO", kULONG)
      .field("CTA:DESCRICAO", STRING(40))
      .field("CTA:ISS", DECIMAL(8, 4))
      .key("CTA:KEY:CODIGO", {"CTA:CODIGO"}, kUnique | kPrimary, "Código")
      .key("CTA:KEY:DESCRICAO", {"CTA:DESCRICAO"}, kDuplicates, "Descrição")
      .build();
}

// A table of `count` service codes 1..count named "Serviço <n>".
class ListFixture : public ::testing::Test {
 protected:
  void fill(int count) {
    ASSERT_TRUE(table.open(dir.file("CtaISS.dat")).isOk());
    ASSERT_TRUE(table.beginBulk().isOk());
    for (int i = 1; i <= count; ++i) {
      table.buffer().clear();
      table.buffer().setInt("CTA:CODIGO", i);
      table.buffer().setText("CTA:DESCRICAO", utf8ToLatin1("Serviço " + std::to_string(100000 + (i * 7919) % 99991)));
      table.buffer().setDecimal("CTA:ISS", *Decimal::parse("2.5", 4));
      ASSERT_TRUE(table.insert().isOk());
    }
    ASSERT_TRUE(table.flush().isOk());
  }
  // The list screen's logic: two tabs with locators.
  ListDefinition listDefinition() {
    ListDefinition d;
    d.procedure = "BPlanoISS";
    d.title = "Visualização do Plano de Contas do ISS";
    for (auto [caption, key, locator] : {std::tuple{"Código", "CTA:KEY:CODIGO", "CTA:CODIGO"},
                                         std::tuple{"Descrição", "CTA:KEY:DESCRICAO", "CTA:DESCRICAO"}}) {
      ListTabDefinition tab;
      tab.caption = caption;
      tab.key = key;
      tab.locatorField = locator;
      d.tabs.push_back(tab);
    }
    d.pageSize = 40;
    return d;
  }
  // Its view: four columns, the last hidden.
  ListWindowDefinition definition(uint32_t buttons) {
    ListWindowDefinition d;
    d.format = "57R(2)|_M~Código~@n13@167L(2)|_M~Descrição~L(0)@s40@34R(2)|_M~ISS~@n-8.4@0L(2)|_M~Oculta~@s40@";
    d.columnFields = {"CTA:CODIGO", "CTA:DESCRICAO", "CTA:ISS", "CTA:DESCRICAO"};
    d.locatorPrompts = {"Pesquisa por Código:", "Pesquisa por Descrição:"};
    d.buttons = buttons;
    return d;
  }
  // A list window over a controller of `logic`, both kept by the fixture;
  // not opened.
  ListWindow& makeList(const ListWindowDefinition& view, bool selecting = false,
                       const ListDefinition& logic = {}) {
    definitions.push_back(std::make_unique<ListDefinition>(logic.tabs.empty() ? listDefinition() : logic));
    controllers.push_back(std::make_unique<ListController>(context, *definitions.back(), table, selecting));
    windows.push_back(std::make_unique<ListWindow>(*controllers.back(), view));
    return *windows.back();
  }
  ListWindow& makeList(uint32_t buttons, bool selecting = false) { return makeList(definition(buttons), selecting); }

  QApplication* app = testing::application();
  vorlam::testing::TempDir dir;
  TableDef def = serviceDef();
  Table table{&def};
  std::shared_ptr<const Dictionary> dictionary = buildDictionary();
  ScriptedDialogs dialogs;
  ErrorServices services;
  ShutdownCoordinator shutdown;
  ErrorManager errors{services, dialogs, shutdown};
  ScreenContext context{*dictionary, [this](const std::string& b) { return dir.file(b); }, errors};
  std::vector<std::unique_ptr<ListDefinition>> definitions;
  std::vector<std::unique_ptr<ListController>> controllers;
  std::vector<std::unique_ptr<ListWindow>> windows;
};

// The entries of a menu ("-" for a separator), and their enabled states.
inline QStringList menuTexts(QMenu* menu, QList<bool>* enabled = nullptr) {
  QStringList out;
  for (QAction* a : menu->actions()) {
    out << (a->isSeparator() ? QString("-") : a->text());
    if (enabled && !a->isSeparator()) *enabled << a->isEnabled();
  }
  return out;
}

}  // namespace vorlam::qt
