// A screen context over a temporary data directory holding a structure file,
// for the tests of the structure list and form (headless and Qt).
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "chart/account_structure.h"
#include "dictionary/dictionary.h"
#include "framework/dialogs.h"
#include "framework/error_manager.h"
#include "framework/screen_context.h"
#include "storage/table.h"
#include "storage/test_util.h"
#include "storage/text.h"

namespace vorlam::chart::testing {

class StructureFixture : public ::testing::Test {
 protected:
  std::string path() const { return dir.file("ConfPlan.dat"); }

  // Writes a structure straight to the file (levels as given, mask built,
  // referential chart 10) and returns its record number.  `levelCount` -1:
  // as many levels as widths.
  int64_t store(uint16_t code, const std::string& name, std::initializer_list<int> widths,
                int levelCount = -1) {
    Table t(dict->find("ConfPlanoContas"));
    EXPECT_TRUE(t.open(path()).isOk());
    AccountStructure s = makeStructure(code, widths);
    Record& r = t.buffer();
    r.clear();
    r.setInt("Codigo", code);
    r.setText("Nome", utf8ToLatin1(name));
    r.setInt("Graus", levelCount < 0 ? s.levelCount : levelCount);
    for (int n = 1; n <= kStoredLevels; ++n) r.setInt("G" + std::to_string(n), s.levelDigits(n));
    r.setText("Formato", buildMask(s));
    r.setInt("CodPlanoReferencial", 10);
    EXPECT_TRUE(t.append().isOk());
    return t.buffer().recordId();
  }

  // The stored record of structure `code`; a cleared buffer when none.
  Record read(uint16_t code) {
    Table t(dict->find("ConfPlanoContas"));
    EXPECT_TRUE(t.open(path()).isOk());
    t.buffer().setInt("Codigo", code);
    if (!t.get(0).isOk()) t.buffer().clear();
    return t.buffer();
  }

  int64_t count() {
    Table t(dict->find("ConfPlanoContas"));
    EXPECT_TRUE(t.open(path()).isOk());
    Result<int64_t> n = t.count();
    return n.isOk() ? *n : -1;
  }

  // Texts of the message boxes shown so far.
  std::vector<std::string> boxTexts() const {
    std::vector<std::string> out;
    for (const MessageBoxRequest& b : dialogs.boxes) out.push_back(b.text);
    return out;
  }

  vorlam::testing::TempDir dir;
  std::shared_ptr<const Dictionary> dict = buildDictionary();
  ScriptedDialogs dialogs;
  ErrorServices services;
  ShutdownCoordinator shutdown;
  ErrorManager errors{services, dialogs, shutdown};
  ScreenContext context{*dict, [this](const std::string& binding) { return dir.file(binding); }, errors};
};

}  // namespace vorlam::chart::testing
