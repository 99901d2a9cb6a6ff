// vorlam-tool format and parse, run as a separate process: what a support
// technician sees for a stored value and for typed text.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "app/tool_test_util.h"

namespace vorlam::tool {
namespace {

struct ToolRun {
  int status = -1;
  std::string out;  // standard output without its final newline
};

class ToolPicture : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!toolBuilt()) GTEST_SKIP() << "vorlam-tool not built";
  }
  ToolRun run(const std::string& command, const std::string& picture, const std::string& value) {
    ToolOutput o = runTool({command, picture, value});
    ToolRun r;
    r.status = o.status;
    r.out = o.out;
    if (!r.out.empty() && r.out.back() == '\n') r.out.pop_back();
    return r;
  }
  std::string format(const std::string& picture, const std::string& value) {
    ToolRun r = run("format", picture, value);
    EXPECT_EQ(r.status, 0) << picture << " " << value;
    return r.out;
  }
  std::string parse(const std::string& picture, const std::string& text) {
    ToolRun r = run("parse", picture, text);
    EXPECT_EQ(r.status, 0) << picture << " " << text;
    return r.out;
  }
};

TEST_F(ToolPicture, NumbersWithSignPlacesGroupingAndBlankZero) {
  EXPECT_EQ(format("@n-15.2", "-1234.5"), "      -1.234,50");
  EXPECT_EQ(format("@n6", "1234"), " 1.234");
  EXPECT_EQ(format("@n04", "12"), "0012");
  EXPECT_EQ(format("@n13b", "0"), std::string(13, ' '));
  EXPECT_EQ(format("@n3", "12345"), "###");
  EXPECT_EQ(parse("@n-15.2", "-1.234,50"), "-1234.50");
  EXPECT_EQ(parse("@n6.", "1.234"), "1234");
}

TEST_F(ToolPicture, PatternsAndDates) {
  EXPECT_EQ(format("@p##.###.###/####-##p", "11222333000181"), "11.222.333/0001-81");
  EXPECT_EQ(format("@p####-#/##p", "4711500"), "4711-5/00");
  EXPECT_EQ(format("p###p", "5"), "005");
  EXPECT_EQ(format("@d06b", "4"), "01/01/1801");
  EXPECT_EQ(format("@d06b", "0"), std::string(10, ' '));
  EXPECT_EQ(parse("@d06b", "01/01/1801"), "4");
  EXPECT_EQ(parse("@p##.###.###/####-##p", "11.222.333/0001-81"), "11222333000181");
}

TEST_F(ToolPicture, TextThePictureCannotHoldIsRefused) {
  EXPECT_EQ(run("parse", "@n3", "1234").status, 2);
  EXPECT_EQ(run("parse", "@d06", "31/02/2024").status, 2);
  EXPECT_EQ(run("parse", "@n6", "12a").status, 2);
  EXPECT_EQ(run("format", "@q9", "1").status, 2);
}

}  // namespace
}  // namespace vorlam::tool
