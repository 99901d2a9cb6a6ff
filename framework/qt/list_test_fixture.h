// The list tests' fixture: the sample service-code list (list_sample.h)
// with its controllers and windows.  Test code only.
#pragma once

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <memory>
#include <string>
#include <vector>

#include "dictionary/dictionary.h"
#include "framework/error_manager.h"
#include "framework/list_controller.h"
#include "framework/qt/list_sample.h"
#include "framework/qt/list_window.h"
#include "framework/qt/test_harness.h"
#include "storage/test_util.h"
#include "storage/text.h"

namespace vorlam::qt {

inline constexpr uint32_t kAll = 0xFF;

// A table of `count` service codes 1..count named "Serviço <n>".
class ListFixture : public ::testing::Test {
 protected:
  void fill(int count) {
    ASSERT_TRUE(table.open(dir.file("CtaISS.dat")).isOk());
    ASSERT_TRUE(sample::fillServices(table, count).isOk());
  }
  ListDefinition listDefinition() { return sample::serviceList(40); }
  ListWindowDefinition definition(uint32_t buttons) { return sample::serviceView(buttons); }
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
  TableDef def = sample::serviceDef();
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
