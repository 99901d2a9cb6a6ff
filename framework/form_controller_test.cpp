#include "framework/form_controller.h"

#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <functional>
#include <memory>

#include "dictionary/dictionary.h"
#include "storage/test_util.h"
#include "storage/text.h"

namespace vorlam {
namespace {

// A table of the suite's shape that no relation of the dictionary names, so
// that saving never cascades: an auto-numbered code, a unique abbreviation
// with a description, a type with a list rule and a counter with a range.
TableDef cadastroDef() {
  return TableBuilder("Cadastro", "CAD", "Cadastro.dat")
      .field("CAD:Codigo", kULONG)
      .field("CAD:Sigla", STRING(4))
      .field("CAD:Nome", STRING(30))
      .field("CAD:Tipo", kBYTE)
      .field("CAD:Vezes", kSHORT)
      .key("CAD:KEY:CODIGO", {"CAD:Codigo"}, kUnique | kPrimary, "Código", 1)
      .key("CAD:KEY:SIGLA", {"CAD:Sigla"}, kUnique, "Sigla do cadastro")
      .key("CAD:KEY:NOME", {"CAD:Nome"}, kDuplicates)
      .inList("CAD:Tipo", {"1", "2"}, "Tipo", "1-Cliente 2-Fornecedor")
      .range("CAD:Vezes", "0", "9", "Vezes")
      .build();
}

// Two auto-numbered keys sharing the number: the second key's number can
// clash in the first one on every attempt.
TableDef lancamentoDef() {
  return TableBuilder("Lancamento", "LAN", "Lancamento.dat")
      .field("LAN:Grupo", kULONG)
      .field("LAN:Serie", kULONG)
      .field("LAN:Numero", kULONG)
      .key("LAN:KEY:GRUPO", {"LAN:Grupo", "LAN:Numero"}, kUnique, "Grupo e número", 2)
      .key("LAN:KEY:SERIE", {"LAN:Serie", "LAN:Numero"}, kUnique, "Série e número", 2)
      .build();
}

// Runs `work` as a second workstation and returns 0 when it succeeded.  On
// POSIX systems it runs in a forked child process, which opens its own files
// and leaves with _exit, so none of this process's handles is touched there.
// Windows has no fork: there `work` runs here, on tables of its own, which
// the storage engine keeps apart as it keeps processes apart.
int inSecondProcess(const std::function<bool()>& work) {
#ifdef _WIN32
  return work() ? 0 : 1;
#else
  pid_t pid = fork();
  if (pid == 0) _exit(work() ? 0 : 1);
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
#endif
}

class FormControllerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(table.open(path()).isOk());
    alfa = add("ALFA", "Alfa Comércio", 1);
    beta = add("BETA", "Beta Serviços", 2);
    definition.procedure = "UCadastro";
    definition.title = "Atualização da Tabela de Cadastro";
    definition.insertCaption = "Incluindo um Cadastro";
    definition.changeCaption = "Alterando um Cadastro";
    definition.deleteCaption = "Excluindo um Cadastro";
    errors.pushProcedure("BCadastro");
  }

  std::string path() const { return dir.file("Cadastro.dat"); }

  int64_t add(const char* sigla, const char* nome, int tipo) {
    table.buffer().clear();
    table.buffer().setText("CAD:Sigla", sigla);
    table.buffer().setText("CAD:Nome", utf8ToLatin1(nome));
    table.buffer().setInt("CAD:Tipo", tipo);
    EXPECT_TRUE(table.insert().isOk());
    return table.buffer().recordId();
  }

  std::unique_ptr<FormController> open(Request request, int64_t id = 0) {
    auto form = std::make_unique<FormController>(context, definition, table, request);
    if (request == Request::kInsert) form->openNew();
    else form->openRecord(id);
    return form;
  }

  // The record as stored now, read through a table of its own.
  std::string storedName(int64_t id) {
    Table other(&def);
    if (!other.open(path()).isOk() || !other.getById(id).isOk()) return "<ausente>";
    return latin1ToUtf8(clipText(other.buffer().getText("CAD:Nome")));
  }

  int field(const char* name) const { return def.fieldIndex(name); }
  const MessageBoxRequest& lastBox() const { return dialogs.boxes.back(); }

  vorlam::testing::TempDir dir;
  std::shared_ptr<const Dictionary> dict = buildDictionary();
  TableDef def = cadastroDef();
  Table table{&def};
  ScriptedDialogs dialogs;
  ErrorServices services;
  ShutdownCoordinator shutdown;
  ErrorManager errors{services, dialogs, shutdown};
  ScreenContext context{*dict, [this](const std::string& b) { return dir.file(b); }, errors};
  FormDefinition definition;
  int64_t alfa = 0, beta = 0;
};

TEST_F(FormControllerTest, CaptionsFollowTheRequestAndTheProcedureIsNamedWhileOpen) {
  EXPECT_EQ(open(Request::kInsert)->caption(), "Incluindo um Cadastro");
  EXPECT_EQ(open(Request::kChange, alfa)->caption(), "Alterando um Cadastro");
  EXPECT_EQ(open(Request::kDelete, alfa)->caption(), "Excluindo um Cadastro");
  EXPECT_EQ(open(Request::kView, alfa)->caption(), "View Record");
  {
    auto form = open(Request::kChange, alfa);
    EXPECT_EQ(errors.procedure(), "UCadastro");
    {
      auto lookup = std::make_unique<FormController>(context, definition, table, Request::kView);
      EXPECT_EQ(errors.procedure(), "UCadastro");
    }
    // A record failure raised now names the form.
    services.setHistoryLimit(5);
    form->openRecord(9999);
    EXPECT_EQ(services.history().back().procedure, "UCadastro");
  }
  EXPECT_EQ(errors.procedure(), "BCadastro");
}

TEST_F(FormControllerTest, InsertValidatesWithTheDictionaryRulesAndNumbersTheRecord) {
  auto form = open(Request::kInsert);
  ASSERT_TRUE(form->type(field("CAD:Sigla"), "GAMA").isOk());
  ASSERT_TRUE(form->type(field("CAD:Nome"), "Gama Indústria").isOk());
  ASSERT_TRUE(form->type(field("CAD:Tipo"), "3").isOk());
  EXPECT_EQ(form->ok(), FormState::kOpen);
  EXPECT_EQ(form->lastMessage(), 17);
  EXPECT_EQ(form->invalidField(), field("CAD:Tipo"));
  EXPECT_EQ(lastBox().text, "O valor do Tipo deve estar na lista: 1-Cliente 2-Fornecedor.");

  ASSERT_TRUE(form->type(field("CAD:Tipo"), "2").isOk());
  ASSERT_TRUE(form->type(field("CAD:Vezes"), "12").isOk());
  EXPECT_FALSE(form->validateField(field("CAD:Vezes")));
  EXPECT_EQ(lastBox().text, "O valor do Vezes deve estar entre 0 .. 9.");
  ASSERT_TRUE(form->type(field("CAD:Vezes"), "3").isOk());

  EXPECT_EQ(form->ok(), FormState::kCompleted);
  EXPECT_EQ(form->record().getInt("CAD:Codigo"), 3);
  EXPECT_EQ(storedName(form->recordId()), "Gama Indústria");
}

TEST_F(FormControllerTest, TheScreensOwnValidatorKeepsTheFormOpen) {
  auto form = open(Request::kInsert);
  int calls = 0;
  form->setValidator([&](FormController& f) {
    ++calls;
    return !clipText(f.record().getText("CAD:Nome")).empty();
  });
  ASSERT_TRUE(form->type(field("CAD:Tipo"), "1").isOk());
  EXPECT_EQ(form->ok(), FormState::kOpen);
  EXPECT_EQ(calls, 1);
  ASSERT_TRUE(form->type(field("CAD:Nome"), "Delta").isOk());
  EXPECT_EQ(form->ok(), FormState::kCompleted);
}

TEST_F(FormControllerTest, AValidatorForDeletionsRunsBeforeMessage11) {
  int calls = 0;
  {
    auto form = open(Request::kDelete, alfa);
    form->setValidator([&](FormController&) { return ++calls > 1; });  // by default not run
    EXPECT_EQ(form->ok(), FormState::kCompleted);
    EXPECT_EQ(calls, 0);
  }
  auto form = open(Request::kDelete, beta);
  form->setValidator([&](FormController& f) {
    f.requestFocus(field("CAD:Nome"));
    return ++calls > 1;
  }, /*onDelete=*/true);
  const size_t shown = dialogs.boxes.size();
  EXPECT_EQ(form->ok(), FormState::kOpen);
  EXPECT_EQ(dialogs.boxes.size(), shown) << "refused before Confirma Exclusão";
  EXPECT_EQ(form->takeFocusRequest(), field("CAD:Nome"));
  EXPECT_EQ(form->takeFocusRequest(), -1) << "a focus request is taken once";
  EXPECT_EQ(storedName(beta), "Beta Serviços");
  EXPECT_EQ(form->ok(), FormState::kCompleted);
  EXPECT_EQ(lastBox().title, "Confirma Exclusão");
  EXPECT_EQ(storedName(beta), "<ausente>");
}

TEST_F(FormControllerTest, KeptNumbersAreAddedAsTyped) {
  {
    auto form = open(Request::kInsert);
    form->setKeepNumbers(true);
    ASSERT_TRUE(form->type(field("CAD:Codigo"), "40").isOk());
    ASSERT_TRUE(form->type(field("CAD:Sigla"), "GAMA").isOk());
    ASSERT_TRUE(form->type(field("CAD:Tipo"), "1").isOk());
    EXPECT_EQ(form->ok(), FormState::kCompleted);
    EXPECT_EQ(form->record().getInt("CAD:Codigo"), 40);
  }
  {
    // A zero is numbered after the highest.
    auto form = open(Request::kInsert);
    form->setKeepNumbers(true);
    ASSERT_TRUE(form->type(field("CAD:Sigla"), "DELT").isOk());
    ASSERT_TRUE(form->type(field("CAD:Tipo"), "1").isOk());
    EXPECT_EQ(form->ok(), FormState::kCompleted);
    EXPECT_EQ(form->record().getInt("CAD:Codigo"), 41);
  }
  // A typed number already stored is a duplicate key.
  auto form = open(Request::kInsert);
  form->setKeepNumbers(true);
  ASSERT_TRUE(form->type(field("CAD:Codigo"), "1").isOk());
  ASSERT_TRUE(form->type(field("CAD:Sigla"), "EPSI").isOk());
  ASSERT_TRUE(form->type(field("CAD:Tipo"), "1").isOk());
  EXPECT_EQ(form->ok(), FormState::kOpen);
  EXPECT_EQ(form->lastMessage(), kMsgDuplicateKey);
  EXPECT_EQ(lastBox().text, "Chave duplicada: Código");
}

TEST_F(FormControllerTest, DuplicateKeyRaises15WithTheKeysDescription) {
  auto form = open(Request::kInsert);
  ASSERT_TRUE(form->type(field("CAD:Sigla"), "alfa").isOk());  // keys ignore letter case
  ASSERT_TRUE(form->type(field("CAD:Tipo"), "1").isOk());
  EXPECT_EQ(form->ok(), FormState::kOpen);
  EXPECT_EQ(form->lastMessage(), 15);
  EXPECT_EQ(lastBox().title, "Erro chave duplicada");
  EXPECT_EQ(lastBox().text, "Chave duplicada: Sigla do cadastro");

  auto change = open(Request::kChange, beta);
  ASSERT_TRUE(change->type(field("CAD:Sigla"), "ALFA").isOk());
  EXPECT_EQ(change->ok(), FormState::kOpen);
  EXPECT_EQ(lastBox().text, "Chave duplicada: Sigla do cadastro");
  EXPECT_EQ(storedName(beta), "Beta Serviços");
}

TEST_F(FormControllerTest, CancelWithUnsavedChangesAsksMessage10) {
  auto untouched = open(Request::kChange, alfa);
  EXPECT_EQ(untouched->cancel(), FormState::kCancelled);
  EXPECT_TRUE(dialogs.boxes.empty());

  auto form = open(Request::kChange, alfa);
  ASSERT_TRUE(form->type(field("CAD:Nome"), "Outro nome").isOk());
  EXPECT_TRUE(form->hasUnsavedChanges());
  dialogs.answerBox(kButtonNo);
  EXPECT_EQ(form->cancel(), FormState::kOpen);
  EXPECT_EQ(lastBox().title, "As alterações serão perdidas!");
  EXPECT_EQ(lastBox().text, "Você deseja realmente cancelar?");
  dialogs.answerBox(kButtonYes);
  EXPECT_EQ(form->cancel(), FormState::kCancelled);
  EXPECT_EQ(storedName(alfa), "Alfa Comércio");
}

TEST_F(FormControllerTest, ViewAndDeleteFormsAreReadOnly) {
  auto view = open(Request::kView, alfa);
  EXPECT_FALSE(view->type(field("CAD:Nome"), "x").isOk());
  EXPECT_TRUE(view->fieldState(field("CAD:Nome")).readOnly);
  EXPECT_EQ(view->ok(), FormState::kCompleted);
  auto del = open(Request::kDelete, alfa);
  EXPECT_FALSE(del->assignText(field("CAD:Nome"), "x").isOk());
  EXPECT_FALSE(del->hasUnsavedChanges());
}

TEST_F(FormControllerTest, DeleteAsks11AndNoLeavesTheRecord) {
  auto form = open(Request::kDelete, alfa);
  dialogs.answerBox(kButtonNo);
  EXPECT_EQ(form->ok(), FormState::kCancelled);
  EXPECT_EQ(lastBox().title, "Confirma Exclusão");
  EXPECT_EQ(storedName(alfa), "Alfa Comércio");

  auto again = open(Request::kDelete, alfa);
  dialogs.answerBox(kButtonYes);
  EXPECT_EQ(again->ok(), FormState::kCompleted);
  EXPECT_EQ(storedName(alfa), "<ausente>");
}

TEST_F(FormControllerTest, ChangeByASecondProcessRaises8AndOverwritesNothing) {
  auto form = open(Request::kChange, alfa);
  ASSERT_TRUE(form->type(field("CAD:Nome"), "Alfa da Estação 1").isOk());
  ASSERT_TRUE(form->type(field("CAD:Tipo"), "2").isOk());
  const TableDef* d = &def;
  const std::string file = path();
  const int64_t id = alfa;
  ASSERT_EQ(inSecondProcess([d, file, id] {
              Table other(d);
              if (!other.open(file).isOk() || !other.getById(id).isOk()) return false;
              other.buffer().setText("CAD:Nome", utf8ToLatin1("Alfa da Estação 2"));
              return other.update().isOk();
            }),
            0);

  EXPECT_EQ(form->ok(), FormState::kOpen);
  EXPECT_EQ(form->lastMessage(), 8);
  EXPECT_EQ(lastBox().title, "Registro não Atualizado");
  EXPECT_EQ(storedName(alfa), "Alfa da Estação 2");
  // The form now shows the other workstation's values ...
  EXPECT_EQ(form->text(field("CAD:Nome")), "Alfa da Estação 2");
  EXPECT_EQ(form->record().getInt("CAD:Tipo"), 1);
  // ... and an OK without recalling the edits writes nothing.
  EXPECT_EQ(form->ok(), FormState::kCompleted);
  EXPECT_EQ(storedName(alfa), "Alfa da Estação 2");
}

TEST_F(FormControllerTest, RecalledEditsAreWrittenOverTheOtherWorkstationsRecord) {
  auto form = open(Request::kChange, alfa);
  ASSERT_TRUE(form->type(field("CAD:Nome"), "Minha versão").isOk());
  Table other(&def);
  ASSERT_TRUE(other.open(path()).isOk());
  ASSERT_TRUE(other.getById(alfa).isOk());
  other.buffer().setInt("CAD:Tipo", 2);
  ASSERT_TRUE(other.update().isOk());

  EXPECT_EQ(form->ok(), FormState::kOpen);
  ASSERT_TRUE(form->canRecall());
  form->recallEdits();
  EXPECT_EQ(form->ok(), FormState::kCompleted);
  ASSERT_TRUE(other.getById(alfa).isOk());
  EXPECT_EQ(latin1ToUtf8(clipText(other.buffer().getText("CAD:Nome"))), "Minha versão");
  EXPECT_EQ(other.buffer().getInt("CAD:Tipo"), 2) << "the other workstation's change stays";
}

TEST_F(FormControllerTest, DeleteOfARecordChangedByASecondProcessRaises7) {
  auto form = open(Request::kDelete, beta);
  const TableDef* d = &def;
  const std::string file = path();
  const int64_t id = beta;
  ASSERT_EQ(inSecondProcess([d, file, id] {
              Table other(d);
              if (!other.open(file).isOk() || !other.getById(id).isOk()) return false;
              other.buffer().setInt("CAD:Vezes", 4);
              return other.update().isOk();
            }),
            0);
  dialogs.answerBox(kButtonYes);
  EXPECT_EQ(form->ok(), FormState::kOpen);
  EXPECT_EQ(form->lastMessage(), 7);
  EXPECT_EQ(lastBox().text, "Este registro foi atualizado por outra estação.");
  EXPECT_EQ(storedName(beta), "Beta Serviços");
  EXPECT_EQ(form->record().getInt("CAD:Vezes"), 4) << "the form shows the record as it is now";
}

TEST_F(FormControllerTest, ARecordNoLongerReadableRaises1AndClosesTheForm) {
  auto missing = open(Request::kChange, 4242);
  EXPECT_EQ(missing->state(), FormState::kClosed);
  EXPECT_EQ(missing->lastMessage(), 1);
  EXPECT_EQ(lastBox().title, " Erro de Recuperação do registro");

  auto form = open(Request::kChange, beta);
  ASSERT_TRUE(form->type(field("CAD:Nome"), "Beta nova").isOk());
  const TableDef* d = &def;
  const std::string file = path();
  const int64_t id = beta;
  ASSERT_EQ(inSecondProcess([d, file, id] {
              Table other(d);
              return other.open(file).isOk() && other.getById(id).isOk() && other.erase().isOk();
            }),
            0);
  EXPECT_EQ(form->ok(), FormState::kClosed);
  EXPECT_EQ(form->lastMessage(), 1);
  EXPECT_NE(lastBox().text.find("Voltando a janela anterior."), std::string::npos);
  EXPECT_EQ(storedName(beta), "<ausente>") << "nothing was written back";

  auto del = open(Request::kDelete, alfa);
  Table other(&def);
  ASSERT_TRUE(other.open(path()).isOk());
  ASSERT_TRUE(other.getById(alfa).isOk());
  ASSERT_TRUE(other.erase().isOk());
  dialogs.answerBox(kButtonYes);
  EXPECT_EQ(del->ok(), FormState::kClosed);
  EXPECT_EQ(del->lastMessage(), 1);
}

TEST_F(FormControllerTest, FailedAddChangeAndDeleteRaise4_28And13) {
  Table readOnly(&def);
  ASSERT_TRUE(readOnly.open(path(), OpenMode::kReadOnly).isOk());
  auto onReadOnly = [&](Request request, int64_t id) {
    auto form = std::make_unique<FormController>(context, definition, readOnly, request);
    if (request == Request::kInsert) form->openNew();
    else form->openRecord(id);
    return form;
  };

  auto insert = onReadOnly(Request::kInsert, 0);
  ASSERT_TRUE(insert->type(field("CAD:Tipo"), "1").isOk());
  EXPECT_EQ(insert->ok(), FormState::kOpen);
  EXPECT_EQ(insert->lastMessage(), 4);
  EXPECT_EQ(lastBox().title, "Erro Inclusão");
  EXPECT_EQ(lastBox().text, "Erro durante a inclusão do registro.\nArquivo: " + path() + "\nErro: Acesso negado (5).");

  auto change = onReadOnly(Request::kChange, alfa);
  ASSERT_TRUE(change->type(field("CAD:Nome"), "Nada").isOk());
  EXPECT_EQ(change->ok(), FormState::kOpen);
  EXPECT_EQ(change->lastMessage(), 28);
  EXPECT_EQ(lastBox().text, "Um erro (Acesso negado (5)) ao fazer alterações no arquivo " + path() + " .");

  auto del = onReadOnly(Request::kDelete, alfa);
  dialogs.answerBox(kButtonYes);
  EXPECT_EQ(del->ok(), FormState::kOpen);
  EXPECT_EQ(del->lastMessage(), 13);
  EXPECT_EQ(lastBox().text, "Um erro (Acesso negado (5)) ao excluir no arquivo " + path() + " .");
  EXPECT_EQ(storedName(alfa), "Alfa Comércio");
}

TEST_F(FormControllerTest, ThreeFailedNumberingAttemptsAsk35AndYesTriesAgain) {
  TableDef lanDef = lancamentoDef();
  Table lan(&lanDef);
  ASSERT_TRUE(lan.open(dir.file("Lancamento.dat")).isOk());
  // Group 1 holds number 1; series 2 holds number 0, so series numbering
  // proposes 1 again, which group 1 already has.
  auto append = [&](int grupo, int serie, int numero) {
    lan.buffer().clear();
    lan.buffer().setInt("LAN:Grupo", grupo);
    lan.buffer().setInt("LAN:Serie", serie);
    lan.buffer().setInt("LAN:Numero", numero);
    ASSERT_TRUE(lan.append().isOk());
  };
  append(1, 1, 1);
  append(3, 2, 0);
  FormDefinition lanForm{"ULancamento", "Atualização da Tabela de Lançamentos", "Incluindo", "Alterando", "Excluindo",
                         {}};
  FormController form(context, lanForm, lan, Request::kInsert);
  form.openNew();
  ASSERT_TRUE(form.assignInt(lanDef.fieldIndex("LAN:Grupo"), 1).isOk());
  ASSERT_TRUE(form.assignInt(lanDef.fieldIndex("LAN:Serie"), 2).isOk());

  dialogs.answerBox(kButtonYes);  // try again: fails the same way
  dialogs.answerBox(kButtonNo);   // give up
  EXPECT_EQ(form.ok(), FormState::kOpen);
  EXPECT_EQ(form.lastMessage(), 35);
  ASSERT_EQ(dialogs.boxes.size(), 2u);
  EXPECT_EQ(lastBox().title, "Erro de Incremento de automatico");
  EXPECT_EQ(lastBox().buttons, kButtonYes | kButtonNo);
  EXPECT_NE(lastBox().text.find("Arquivo: " + dir.file("Lancamento.dat")), std::string::npos);
  EXPECT_NE(lastBox().text.find("Chave: LAN:KEY:SERIE"), std::string::npos);
  EXPECT_NE(lastBox().text.find("Tente Novamente?"), std::string::npos);
  EXPECT_EQ(*lan.count(), 2);

  // Once the clash is gone, trying again saves.
  ASSERT_TRUE(form.assignInt(lanDef.fieldIndex("LAN:Grupo"), 7).isOk());
  EXPECT_EQ(form.ok(), FormState::kCompleted);
  EXPECT_EQ(*lan.count(), 3);
}

TEST_F(FormControllerTest, FieldReactionsAndStates) {
  auto form = open(Request::kInsert);
  const int tipo = field("CAD:Tipo"), nome = field("CAD:Nome");
  form->onChange(tipo, [&](FormController& f, int) {
    f.setReadOnly(nome, f.record().getInt(tipo) == 2);
    if (f.record().getInt(tipo) == 2) f.assignText(nome, "Fornecedor");
  });
  ASSERT_TRUE(form->type(tipo, "2").isOk());
  EXPECT_EQ(form->text(nome), "Fornecedor");
  EXPECT_FALSE(form->type(nome, "Outro").isOk()) << "read-only fields refuse typing";
  form->setEnabled(tipo, false);
  EXPECT_FALSE(form->type(tipo, "1").isOk());
  EXPECT_FALSE(form->type(field("CAD:Vezes"), "x").isOk()) << "letters in a number field";
}

}  // namespace
}  // namespace vorlam
