// vorlam-tool check-id, run as a separate process: each line is what the
// check-digit routine says of its number, and the exit status sums them up.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "app/tool_test_util.h"
#include "registry/taxpayer_numbers.h"
#include "sampledata/demo_random.h"

namespace vorlam::tool {
namespace {

namespace fs = std::filesystem;

struct CheckRun {
  int status = -1;
  std::vector<std::string> lines;
};

class ToolCheckId : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!toolBuilt()) GTEST_SKIP() << "vorlam-tool not built";
  }

  // Runs "vorlam-tool check-id ARGS" (standard error discarded).
  CheckRun run(const std::vector<std::string>& args) const {
    std::vector<std::string> all = {"check-id"};
    all.insert(all.end(), args.begin(), args.end());
    ToolOutput o = runTool(all);
    CheckRun r;
    r.status = o.status;
    const std::string& text = o.out;
    for (size_t from = 0, at; (at = text.find('\n', from)) != std::string::npos; from = at + 1)
      r.lines.push_back(text.substr(from, at - from));
    return r;
  }
};

TEST_F(ToolCheckId, OneLinePerNumberAndTheStatus) {
  CheckRun all = run({"cnpj", "11.222.333/0001-81", "12.ABC.345/01DE-35", "12abc34501de35", "191", ""});
  EXPECT_EQ(all.status, 0);
  EXPECT_EQ(all.lines, (std::vector<std::string>{"ok", "ok", "ok", "ok", "ok"}));

  CheckRun some = run({"cnpj", "11222333000181", "11222333000182", "12ABC34501DE36", "111222333000181"});
  EXPECT_EQ(some.status, 1);
  ASSERT_EQ(some.lines.size(), 4u);
  EXPECT_EQ(some.lines[0], "ok");
  EXPECT_EQ(some.lines[1], "Digito incorreto, o digito provavel é 81");
  EXPECT_EQ(some.lines[2], "Digito incorreto, o digito provavel é 35");
  EXPECT_EQ(some.lines[3], registry::ValidaCNPJ("111222333000181").text);

  CheckRun cpf = run({"cpf", "529.982.247-25", "52998224700"});
  EXPECT_EQ(cpf.status, 1);
  EXPECT_EQ(cpf.lines, (std::vector<std::string>{"ok", "Digito incorreto, o digito provavel é 25"}));
  CheckRun pis = run({"pis", "120.56412.54-5", "0", "12056412540"});
  EXPECT_EQ(pis.lines, (std::vector<std::string>{"ok", "ok", "Digito incorreto, o digito provavel é 5"}));

  EXPECT_EQ(run({}).status, 2);
  EXPECT_EQ(run({"cnpj"}).status, 2);
  EXPECT_EQ(run({"rg", "123"}).status, 2);
  CheckRun help = run({"--help"});
  EXPECT_EQ(help.status, 0);
  ASSERT_FALSE(help.lines.empty());
  EXPECT_EQ(help.lines[0].rfind("Uso: vorlam-tool check-id", 0), 0u);
}

// Many generated numbers in one run, each line compared with the routine.
TEST_F(ToolCheckId, AgreesWithTheRoutinesOnGeneratedNumbers) {
  sampledata::DemoRandom rng(5);
  const char* alnum = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";
  std::vector<std::string> values;
  for (int i = 0; i < 400; ++i) {
    std::string base;
    bool letters = i % 2 == 0;
    for (int k = 0; k < 12; ++k) base += letters ? alnum[rng.between(0, 35)] : char('0' + rng.between(0, 9));
    std::string n = base + registry::cnpjCheckDigits(base);
    if (i % 3 == 0) n[13] = char('0' + rng.between(0, 9));  // often wrong
    values.push_back(n);
  }
  std::vector<std::string> args = {"cnpj"};
  args.insert(args.end(), values.begin(), values.end());
  CheckRun r = run(args);
  ASSERT_EQ(r.lines.size(), values.size());
  bool allValid = true;
  for (size_t i = 0; i < values.size(); ++i) {
    registry::TaxpayerCheck c = registry::ValidaCNPJ(values[i]);
    EXPECT_EQ(r.lines[i], c ? "ok" : c.text) << values[i];
    allValid = allValid && c.valid;
  }
  EXPECT_FALSE(allValid);
  EXPECT_EQ(r.status, 1);
}

}  // namespace
}  // namespace vorlam::tool
