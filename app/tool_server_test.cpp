// vorlam-tool info, export and maintain on a data root kept in PostgreSQL,
// run as separate processes: a sample root migrated to the server answers
// as the same root on disk does.  Skipped (saying why) without a server.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/tool_test_util.h"
#include "storage/test_util.h"
#include "utilities/record_rescue.h"

namespace vorlam::tool {
namespace {

using vorlam::testing::Backend;
using vorlam::testing::TempDir;
using vorlam::testing::TestRoot;

class ToolPostgresTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!server_.unavailable().empty()) GTEST_SKIP() << server_.unavailable();
    if (!toolBuilt()) GTEST_SKIP() << "vorlam-tool not built";
    disk_ = tmp_.path() + "/dados";
    ToolOutput demo = runTool({"demo", "--root", disk_, "--companies", "1", "--entries", "30", "--years", "2024", "--quiet"});
    ASSERT_EQ(demo.status, 0) << demo.err;
    ToolOutput migrate = runTool({"migrate", "--from", disk_, "--to", server_.path()});
    ASSERT_EQ(migrate.status, 0) << migrate.err;
  }
  ToolOutput on(const std::string& root, std::vector<std::string> args, bool withCompany = true) const {
    args.insert(args.end(), {"--root", root});
    if (withCompany) args.insert(args.end(), {"--company", "1", "--year", "2024"});
    return runTool(args);
  }

  TempDir tmp_;
  TestRoot server_{Backend::kPostgres};
  std::string disk_;
};

TEST_F(ToolPostgresTest, InfoAndExportOfTheServerRootEqualThoseOfTheDirectory) {
  ToolOutput a = on(disk_, {"info"}), b = on(server_.path(), {"info"});
  ASSERT_EQ(a.status, 0) << a.err;
  ASSERT_EQ(b.status, 0) << b.err;
  // Same counts, line by line; only the names differ (the root).
  std::string x = a.out, y = b.out;
  for (std::string* text : {&x, &y})
    for (const std::string& root : {disk_, server_.path()})
      for (size_t at; (at = text->find(root)) != std::string::npos;) text->replace(at, root.size(), "RAIZ");
  for (std::string* text : {&x, &y})
    for (char& c : *text)
      if (c == '\\') c = '/';
  EXPECT_EQ(x, y);
  int exported = 0;
  for (const char* label : {"Estados", "CNAE", "Empresa", "PlanoContas", "Diario", "Historico"}) {
    ToolOutput d = on(disk_, {"export", label}), s = on(server_.path(), {"export", label});
    ASSERT_EQ(d.status, 0) << label << ": " << d.err;
    ASSERT_EQ(s.status, 0) << label << ": " << s.err;
    EXPECT_EQ(d.out, s.out) << label;
    exported += d.out.size() > 200 ? 1 : 0;
  }
  EXPECT_GE(exported, 4);
}

TEST_F(ToolPostgresTest, MaintainChecksAndRebuildsOnTheServerAndRefusesRepair) {
  for (const char* op : {"check", "reindex", "pack", "rebuild"}) {
    ToolOutput r = on(server_.path(), {"maintain", op, "Diario", "PlanoContas"});
    EXPECT_EQ(r.status, 0) << op << ": " << r.out << r.err;
  }
  ToolOutput check = on(server_.path(), {"maintain", "check", "Diario"});
  EXPECT_NE(check.out.find("\tíntegro, "), std::string::npos) << check.out;
  ToolOutput repair = on(server_.path(), {"maintain", "repair", "Diario"});
  EXPECT_EQ(repair.status, 1) << repair.out;
  EXPECT_NE((repair.out + repair.err).find(utilities::kServerRescueRefused), std::string::npos)
      << repair.out << repair.err;
  check = on(server_.path(), {"maintain", "check", "Diario"});
  EXPECT_EQ(check.status, 0) << check.out << check.err;
}

}  // namespace
}  // namespace vorlam::tool
