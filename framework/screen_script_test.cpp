#include "framework/screen_script.h"

#include <gtest/gtest.h>

#include <sstream>
#include <thread>

#include "dictionary/dictionary.h"

namespace vorlam {
namespace {

// A small screen: a code entry (@n6) that must not be 0, a display of its
// double, a default OK button that asks a question, and a child screen
// opened by "&Pesquisa" whose "&Seleciona" sets the code; "&Bipe" beeps.
class FakeScreen : public Screen {
 public:
  explicit FakeScreen(WriteListener* writes)
      : writes_(writes), model_("Fake", "Tela de teste"), child_("FakeChild", "Filha") {
    model_.addControl({.name = "LOC:CODIGO",
                       .prompt = "0&1 - Código",
                       .picture = "@n6",
                       .value = [this] { return std::to_string(code_); },
                       .complete =
                           [this](const std::string& v) {
                             code_ = std::stoi(v);
                             if (code_ == 0) {
                               model_.dialogs()->messageBox({"Atenção", "Código zero", MessageIcon::kError, kButtonOk,
                                                             kButtonOk});
                               return Status(StatusCode::kInvalidArgument, "zero");
                             }
                             return Status::ok();
                           }});
    model_.addControl({.name = "LOC:DOBRO",
                       .kind = ControlKind::kDisplay,
                       .value = [this] { return std::to_string(code_ * 2); }});
    model_.addControl({.name = "LOC:TIPO",
                       .prompt = "Tipo",
                       .kind = ControlKind::kDropList,
                       .choices = {{"1", "Um"}, {"2", "Dois"}},
                       .value = [this] { return tipo_; },
                       .complete = [this](const std::string& v) {
                         tipo_ = v;
                         return Status::ok();
                       }});
    model_.addButton({.caption = "&OK",
                      .press =
                          [this] {
                            if (model_.dialogs()->question({"Confirma", "Grava?", MessageIcon::kQuestion,
                                                            "&Não|&Sim", 2}) == 2)
                              model_.close();
                          },
                      .isDefault = [] { return true; }});
    model_.addButton({.caption = "&Pesquisa", .press = [this] { model_.runChild(child_); }});
    model_.addButton({.caption = "&Nunca", .enabled = [] { return false; }});
    model_.addButton({.caption = "&Bipe", .press = [this] { model_.beep(); }});
    // Long work: a worker writes two records and hands them over to the
    // screen's thread; a script waits for it.
    model_.addButton({.caption = "&Grava", .press = [this] {
                        std::thread worker([this] {
                          model_.post([this] { writes_->written("Empresa", WriteKind::kChange, "7"); });
                          model_.post([this] { writes_->written("AltContratuais", WriteKind::kInsert, "7 41 01/01/2024"); });
                        });
                        worker.join();
                        if (!model_.runsInBackground()) model_.runPosted();
                      }});
    child_.addButton({.caption = "&Seleciona", .press = [this] {
                        code_ = 42;
                        child_.close();
                      }});
  }
  ScreenModel& model() override { return model_; }

 private:
  WriteListener* writes_;
  ScreenModel model_;
  ScreenModel child_;
  int code_ = 5;
  std::string tipo_ = "1";
};

class Env : public ScriptEnvironment {
 public:
  Env() : dict_(buildDictionary()) {}
  const Dictionary& dictionary() const override { return *dict_; }
  std::string pathFor(const TableDef&) const override { return {}; }
  Status setCompany(uint16_t) override { return Status::ok(); }
  Status setPeriod(int, int) override { return Status::ok(); }
  Status setting(const std::string&, const std::string&, const std::string&, const std::string&) override {
    return Status::ok();
  }
  Result<std::unique_ptr<Screen>> open(const std::string& procedure, const std::string&,
                                      const std::vector<std::string>&) override {
    if (!sameName(procedure, "fake")) return Status(StatusCode::kNotFound, "tela desconhecida");
    return std::unique_ptr<Screen>(new FakeScreen(writes));
  }
  WriteListener* writes = nullptr;

 private:
  std::shared_ptr<const Dictionary> dict_;
};

struct Outcome {
  int status;
  std::string out;
  std::string err;
};

Outcome runScript(const std::string& text) {
  Env env;
  std::ostringstream out, err;
  Result<std::vector<ScriptCommand>> script = parseScript(text);
  if (!script.isOk()) return {2, "", script.status().message()};
  ScriptRunner runner(env, out, err);
  env.writes = &runner;
  const int status = runner.run(script.value());
  return {status, out.str(), err.str()};
}

TEST(ScreenScript, ParsesQuotedWordsAndRefusesUnknownCommandsBeforeRunning) {
  auto script = parseScript("# comentário\n  type \"0&1 - Código\" \"a \\\"b\\\"\"  # fim\n\nkey Enter\n");
  ASSERT_TRUE(script.isOk());
  ASSERT_EQ(script.value().size(), 2u);
  EXPECT_EQ(script.value()[0].line, 2);
  EXPECT_EQ(script.value()[0].words, (std::vector<std::string>{"type", "0&1 - Código", "a \"b\""}));
  EXPECT_EQ(script.value()[1].line, 4);

  for (const char* bad : {"open Fake\npula\n", "type X\n", "expect nada\n", "press \"aberto\n", "expect rows\n"}) {
    Outcome o = runScript(bad);
    EXPECT_EQ(o.status, 2) << bad;
    EXPECT_EQ(o.out, "") << bad;  // nothing ran
  }
  EXPECT_NE(runScript("open Fake\npula\n").err.find("linha 2"), std::string::npos);
}

TEST(ScreenScript, ActionsChecksAndTranscript) {
  Outcome o = runScript(
      "open Fake\n"
      "expect value LOC:codigo 5\n"
      "type \"0&1 - Código\" 12\n"
      "expect value LOC:DOBRO 24\n"
      "expect focus Tipo\n"
      "type LOC:TIPO Dois\n"
      "expect value LOC:TIPO 2\n"
      "expect value LOC:TIPO Dois\n"
      "type LOC:CODIGO 0\n"
      "expect message Atenção \"Código zero\"\n"
      "expect focus LOC:CODIGO\n"
      "expect state &Nunca disabled\n"
      "expect state LOC:DOBRO enabled\n"
      "press Pesquisa\n"
      "expect screen FakeChild\n"
      "press &Seleciona\n"
      "expect screen Fake\n"
      "expect value LOC:CODIGO 42\n"
      "answer &Não\n"
      "key Enter\n"
      "expect message Confirma Grava?\n"
      "expect screen Fake\n"
      "key Enter\n"
      "expect closed\n");
  EXPECT_EQ(o.status, 0) << o.out << o.err;
  EXPECT_NE(o.out.find("open Fake \"Tela de teste\"\n"), std::string::npos);
  EXPECT_NE(o.out.find("focus LOC:TIPO\n"), std::string::npos);
  EXPECT_NE(o.out.find("message \"Atenção\" \"Código zero\" [O&k] -> \"O&k\" (default)\n"), std::string::npos);
  EXPECT_NE(o.out.find("open FakeChild \"Filha\"\nclose FakeChild\n"), std::string::npos) << o.out;
  EXPECT_NE(o.out.find("message \"Confirma\" \"Grava?\" [&Não|&Sim] -> \"&Não\"\n"), std::string::npos);
  EXPECT_NE(o.out.find("-> \"&Sim\" (default)\nclose Fake\n"), std::string::npos) << o.out;
}

TEST(ScreenScript, WritesAreCheckedInTheOrderTheyWereMade) {
  Outcome o = runScript(
      "open Fake\n"
      "press &Grava\n"
      "expect write empresa change 7\n"
      "expect write AltContratuais insert 7 41 01/01/2024\n"
      "expect no-write\n"
      "press &Grava\n"
      "expect write Empresa change\n"
      "expect write AltContratuais insert\n"
      "press &Grava\n"
      "expect write Empresa change 7 count 1\n"
      "expect write AltContratuais insert count 1\n"
      "expect no-write\n");
  EXPECT_EQ(o.status, 0) << o.out << o.err;
  EXPECT_NE(o.out.find("write Empresa change 7\nwrite AltContratuais insert 7 41 01/01/2024\n"), std::string::npos)
      << o.out;

  // Out of order, one left unchecked, a wrong key, none at all.
  EXPECT_EQ(runScript("open Fake\npress &Grava\nexpect write AltContratuais insert\n").status, 1);
  EXPECT_EQ(runScript("open Fake\npress &Grava\nexpect write Empresa change 7\nexpect no-write\n").status, 1);
  EXPECT_EQ(runScript("open Fake\npress &Grava\nexpect write Empresa change 8\n").status, 1);
  // The writes checked are those of the last command.
  EXPECT_EQ(runScript("open Fake\npress &Grava\ntype LOC:CODIGO 3\nexpect write Empresa change\n").status, 1);
  EXPECT_EQ(runScript("open Fake\npress &Grava\nexpect write Nada change\n").status, 2);
  EXPECT_EQ(runScript("open Fake\npress &Grava\nexpect write Empresa altera\n").status, 2);
  EXPECT_EQ(runScript("open Fake\npress &Grava\nexpect write Empresa change count 2\n").status, 1);
}

TEST(ScreenScript, FailedChecksStopWithTheLineAndScriptErrorsExitTwo) {
  Outcome o = runScript("open Fake\nexpect value LOC:CODIGO 6\npress &Pesquisa\n");
  EXPECT_EQ(o.status, 1);
  EXPECT_NE(o.out.find("fail 2: expect value: esperado \"6\", visto \"     5\""), std::string::npos) << o.out;
  EXPECT_EQ(o.out.find("FakeChild"), std::string::npos);  // stopped there

  EXPECT_EQ(runScript("open Fake\npress &Nunca\n").status, 1);          // disabled
  EXPECT_EQ(runScript("open Fake\nexpect no-message\ntype LOC:CODIGO 0\nexpect no-message\n").status, 1);
  EXPECT_EQ(runScript("open Fake\nanswer &Talvez\nkey Enter\n").status, 1);  // no such button
  Outcome unknown = runScript("open Fake\npress &Inexistente\ntype LOC:CODIGO 0\n");
  EXPECT_EQ(unknown.status, 2);
  EXPECT_NE(unknown.err.find("linha 2"), std::string::npos);
  EXPECT_EQ(unknown.out.find("message"), std::string::npos);  // nothing after it
  EXPECT_EQ(runScript("open Outra\n").status, 2);
  EXPECT_EQ(runScript("open Fake\ntype LOC:NADA 1\n").status, 2);
  EXPECT_EQ(runScript("open Fake\nkey Foo\n").status, 2);
  EXPECT_EQ(runScript("press &OK\n").status, 2);  // no screen open
}

TEST(ScreenScript, BeepsAreTranscribedAndCheckedForTheLastAction) {
  Outcome o = runScript("open Fake\npress &Bipe\nexpect no-message\nexpect beep\n");
  EXPECT_EQ(o.status, 0) << o.out;
  EXPECT_NE(o.out.find("beep\n"), std::string::npos) << o.out;
  EXPECT_EQ(runScript("open Fake\nexpect beep\n").status, 1);
  // The action after the beep took it.
  EXPECT_EQ(runScript("open Fake\npress &Bipe\ntype LOC:CODIGO 3\nexpect beep\n").status, 1);
}

}  // namespace
}  // namespace vorlam
