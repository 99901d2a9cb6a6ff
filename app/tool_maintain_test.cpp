// vorlam-tool maintain, run as a separate process on a sample root: repair
// of damaged files through recfix, the records counted against the
// originals, and an exclusive operation on a file another workstation has
// open.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "app/tool_test_util.h"
#include "dictionary/dictionary.h"
#include "storage/table.h"
#include "utilities/data_root.h"
#include "utilities/record_scan.h"

namespace vorlam::tool {
namespace {

std::vector<std::string> fields(const std::string& line) {
  std::vector<std::string> out;
  size_t from = 0;
  for (size_t at; (at = line.find('\t', from)) != std::string::npos; from = at + 1) out.push_back(line.substr(from, at - from));
  out.push_back(line.substr(from));
  return out;
}

// The output lines, each split at its tabs.
std::vector<std::vector<std::string>> lines(const std::string& out) {
  std::vector<std::vector<std::string>> rows;
  size_t from = 0;
  for (size_t at; (at = out.find('\n', from)) != std::string::npos; from = at + 1) rows.push_back(fields(out.substr(from, at - from)));
  return rows;
}

class ToolMaintain : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!toolBuilt()) GTEST_SKIP() << "vorlam-tool not built";
    root_ = tmp_.path() + "/dados";
    ToolOutput demo = runTool({"demo", "--root", root_, "--companies", "1", "--entries", "30", "--years", "2024", "--quiet"});
    ASSERT_EQ(demo.status, 0) << demo.err;
    Result<shell::BindingMap> names = utilities::bindingsFor(*dict_, root_, 0, 0);
    ASSERT_TRUE(names.isOk());
    names_ = *names;
  }
  std::string pathOf(const char* label) { return names_.at(dict_->find(label)->binding); }
  int64_t countOf(const char* label) {
    Table t(dict_->find(label));
    EXPECT_TRUE(t.open(pathOf(label), OpenMode::kReadOnly));
    Result<int64_t> n = t.count();
    return n ? *n : -1;
  }

  testing::TempDir tmp_;
  std::shared_ptr<const Dictionary> dict_ = buildDictionary();
  std::string root_;
  shell::BindingMap names_;
};

TEST_F(ToolMaintain, RepairGivesBackEveryRecordOnNoDamagedPage) {
  struct Case {
    const char* label;
    bool header;  // the header destroyed, else a page of records overwritten
  };
  for (const Case& c : {Case{"Municipios", false}, Case{"Estados", true}, Case{"CNAE", false}}) {
    SCOPED_TRACE(c.label);
    const std::string path = pathOf(c.label);
    std::string bytes = readWhole(path);
    const int64_t original = countOf(c.label);
    const utilities::ScanResult map = utilities::scanRecordFile(*dict_->find(c.label), bytes);
    ASSERT_EQ(int64_t(map.records.size()), original);
    int64_t expected = original;
    if (c.header) {
      for (int k = 0; k < 100; ++k) bytes[size_t(k)] = char(0xff);
    } else {
      // The page of the middle record.
      auto it = map.records.begin();
      std::advance(it, map.records.size() / 2);
      const int64_t page = it->second.pages[0];
      for (int k = 0; k < 4096; ++k) bytes[size_t((page - 1) * 4096 + k)] = char(k * 13 + 1);
      for (const auto& [id, r] : map.records)
        for (int64_t p : r.pages)
          if (p == page) {
            --expected;
            break;
          }
      ASSERT_LT(expected, original);
    }
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;

    ToolOutput r = runTool({"maintain", "repair", "--root", root_, c.label});
    ASSERT_EQ(r.status, 0) << r.out << r.err;
    auto rows = lines(r.out);
    ASSERT_EQ(rows.size(), 1u) << r.out;
    EXPECT_EQ(rows[0], (std::vector<std::string>{c.label, std::to_string(expected), path, "ok: recuperado"}));
    EXPECT_NE(r.err.find("Registros recuperados: " + std::to_string(expected)), std::string::npos) << r.err;
    EXPECT_EQ(countOf(c.label), expected);
    EXPECT_EQ(readWhole(path + ".danificado"), bytes);
    ToolOutput check = runTool({"maintain", "check", "--root", root_, c.label});
    EXPECT_EQ(check.status, 0) << check.out;
  }
}

TEST_F(ToolMaintain, ExclusiveOperationsRefuseAFileOpenElsewhereAndGoOn) {
  Table other(dict_->find("Estados"));
  ASSERT_TRUE(other.open(pathOf("Estados"), OpenMode::kShared));
  ToolOutput r = runTool({"maintain", "reindex", "--root", root_, "CNAE", "Estados", "Municipios"});
  EXPECT_EQ(r.status, 1);
  auto rows = lines(r.out);
  ASSERT_EQ(rows.size(), 3u) << r.out;
  EXPECT_EQ(rows[0][0], "CNAE");
  EXPECT_EQ(rows[0][1], std::to_string(countOf("CNAE")));
  EXPECT_EQ(rows[0][3].rfind("ok: ", 0), 0u) << rows[0][3];
  EXPECT_EQ(rows[1][0], "Estados");
  EXPECT_EQ(rows[1][3].rfind("falhou: Error ", 0), 0u) << rows[1][3];
  EXPECT_EQ(rows[2][0], "Municipios");
  EXPECT_EQ(rows[2][3].rfind("ok: ", 0), 0u) << rows[2][3];
  EXPECT_NE(r.err.find("File Access Error: This option requires exclusive file access."), std::string::npos) << r.err;
  other.close();

  ToolOutput again = runTool({"maintain", "pack", "--root", root_, "Estados"});
  EXPECT_EQ(again.status, 0) << again.out << again.err;
  EXPECT_EQ(runTool({"maintain", "polish", "--root", root_}).status, 2);
  EXPECT_EQ(runTool({"maintain", "info", "--root", root_, "Nada"}).status, 2);
}

}  // namespace
}  // namespace vorlam::tool
