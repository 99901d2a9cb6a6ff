#include "framework/error_manager.h"

#include <gtest/gtest.h>


#include <algorithm>
#include <atomic>
#include <fstream>
#include <mutex>
#include <set>
#include <sstream>
#include <thread>

#include "storage/platform.h"
#include "storage/date.h"
#include "storage/text.h"

namespace vorlam {
namespace {

TEST(MessageCatalogue, HoldsTheFiftyThreeEntriesInStoredOrder) {
  auto all = messageCatalogue();
  ASSERT_EQ(all.size(), 53u);
  EXPECT_EQ(all.front().number, 30);
  EXPECT_EQ(all[1].number, 29);
  EXPECT_EQ(all.back().number, 9);
  std::set<int> numbers;
  for (const auto& e : all) numbers.insert(e.number);
  EXPECT_EQ(numbers.size(), 53u);
  EXPECT_EQ(*numbers.begin(), 1);
  EXPECT_EQ(*numbers.rbegin(), 53);
  EXPECT_EQ(findMessage(54), nullptr);
  EXPECT_EQ(findMessage(0), nullptr);
}

TEST(MessageCatalogue, NumbersAndLevelsInStoredOrder) {
  const std::vector<std::pair<int, int>> stored = {
      {30, 5}, {29, 3}, {12, 3}, {27, 5}, {19, 5}, {20, 5}, {18, 5}, {16, 5}, {34, 5}, {33, 5}, {4, 5},
      {7, 5},  {8, 5},  {37, 1}, {36, 1}, {23, 5}, {41, 5}, {14, 5}, {10, 1}, {15, 5}, {35, 1}, {21, 5},
      {39, 1}, {40, 1}, {6, 5},  {26, 3}, {28, 5}, {13, 5}, {11, 1}, {38, 1}, {24, 5}, {1, 5},  {43, 5},
      {3, 1},  {31, 5}, {5, 5},  {17, 5}, {25, 5}, {2, 5},  {42, 2}, {32, 5}, {44, 5}, {45, 5}, {46, 5},
      {47, 5}, {49, 3}, {22, 3}, {51, 3}, {50, 3}, {48, 3}, {52, 5}, {53, 5}, {9, 5}};
  std::vector<std::pair<int, int>> actual;
  for (const auto& e : messageCatalogue()) actual.emplace_back(e.number, e.level);
  EXPECT_EQ(actual, stored);
  for (const auto& e : messageCatalogue()) {
    EXPECT_LE(e.title.size(), 255u) << e.number;
    EXPECT_LE(e.text.size(), 255u) << e.number;
  }
}

TEST(MessageCatalogue, KeepsTextsExactlyAsStored) {
  EXPECT_EQ(findMessage(16)->text, "O valor do %Field dese estar entre %Message arquivo.");
  EXPECT_EQ(findMessage(1)->title, " Erro de Recuperação do registro");
  EXPECT_EQ(findMessage(45)->text, "O seguinte erro de SMTP aconteceu: %Message ");
  EXPECT_EQ(findMessage(46)->text, "%Message ");
  EXPECT_EQ(findMessage(47)->title, "Erro de Winsock");
  EXPECT_EQ(findMessage(52)->text, "Erro ao gerar relatório \"%Message\" a Posição %Field.");
  EXPECT_EQ(findMessage(11)->title, "Confirma Exclusão");
  EXPECT_EQ(findMessage(11)->level, 1);
  EXPECT_EQ(findMessage(26)->level, 3);
  EXPECT_EQ(findMessage(42)->level, 2);
  EXPECT_EQ(findMessage(35)->text,
            "Tentativas para numerar este registro automaticamente falharam.|Arquivo: %File|Chave: %Key|Erro: "
            "%ErrorText.|Tente Novamente?");
}

TEST(MessageLevels, MapToTheirBehaviour) {
  EXPECT_EQ(effectiveLevel(0), MessageLevel::kBenign);
  EXPECT_EQ(effectiveLevel(1), MessageLevel::kUser);
  EXPECT_EQ(effectiveLevel(2), MessageLevel::kFatal);
  EXPECT_EQ(effectiveLevel(3), MessageLevel::kFatal);
  EXPECT_EQ(effectiveLevel(4), MessageLevel::kUser);
  EXPECT_EQ(effectiveLevel(5), MessageLevel::kNotify);
  EXPECT_EQ(effectiveLevel(6), MessageLevel::kFatal);
  EXPECT_EQ(effectiveLevel(255), MessageLevel::kFatal);
}

TEST(Substitution, LongerPlaceholdersBeforeTheirPrefixes) {
  PlaceholderValues v;
  v.file = "Empresas.dat";
  v.fileErrorCode = "90";
  v.fileError = "disk full";
  v.errorCode = 33;
  v.errorText = "Registro não disponível";
  EXPECT_EQ(substitutePlaceholders("%FileErrorCode", v), "90");
  EXPECT_EQ(substitutePlaceholders("%FileError/%File", v), "disk full/Empresas.dat");
  EXPECT_EQ(substitutePlaceholders("%ErrorCode %ErrorText %Error", v),
            "33 Registro não disponível (33) Registro não disponível");
}

TEST(Substitution, ErrorTextOfDriverErrorsShowsTheDriversOwnText) {
  PlaceholderValues v;
  v.errorCode = 90;
  v.errorText = "Erro de leitura ou gravação no disco";
  v.fileErrorCode = "13";
  v.fileError = "disk I/O error";
  EXPECT_EQ(substitutePlaceholders("(%ErrorText)", v), "(disk I/O error (13))");
  v.errorCode = 100;
  EXPECT_EQ(substitutePlaceholders("(%ErrorText)", v), "(disk I/O error (13))");
  v.errorCode = 89;
  EXPECT_EQ(substitutePlaceholders("(%ErrorText)", v), "(Erro de leitura ou gravação no disco (89))");
}

TEST(Substitution, InsertedValuesAreNotScannedAgain) {
  PlaceholderValues v;
  v.file = "%Key%Field";
  v.key = "KEY";
  v.message = "%Procedure";
  v.procedure = "BEmpresa";
  v.field = "EMP:Codigo";
  EXPECT_EQ(substitutePlaceholders("%File|%Key|%Message|%Field", v), "%Key%Field|KEY|%Procedure|EMP:Codigo");
  v.category = "cat";
  v.previous = "antes";
  EXPECT_EQ(substitutePlaceholders("%Procedure %Category %Previous %Other", v), "BEmpresa cat antes %Other");
}

TEST(Substitution, WorkingTextIsCappedAtTwoThousandCharacters) {
  PlaceholderValues v;
  v.message = std::string(1500, 'x');
  std::string out = substitutePlaceholders("%Message%Message", v);
  EXPECT_EQ(out.size(), 2000u);
  v.message = std::string(1999, 'a') + "ção";
  out = substitutePlaceholders("%Message", v);
  EXPECT_EQ(out, std::string(1999, 'a') + "ç");  // never cut inside a character
}

class ErrorManagerTest : public ::testing::Test {
 protected:
  ErrorServices services;
  ScriptedDialogs dialogs;
  ShutdownCoordinator app;
  ErrorManager manager{services, dialogs, app};
};

TEST_F(ErrorManagerTest, ConfirmDeleteAnsweredNoReturnsFour) {
  dialogs.answerBox(kButtonNo);
  EXPECT_EQ(manager.throwMessage(11), kMessageResultNo);
  ASSERT_EQ(dialogs.boxes.size(), 1u);
  const MessageBoxRequest& box = dialogs.boxes[0];
  EXPECT_EQ(box.title, "Confirma Exclusão");
  EXPECT_EQ(box.text, "Deseja realmente excluir o registro selecionado?");
  EXPECT_EQ(box.buttons, kButtonYes | kButtonNo);
  EXPECT_EQ(box.defaultButton, kButtonYes);
  dialogs.answerBox(kButtonYes);
  EXPECT_EQ(manager.throwMessage(11), kMessageResultYes);
  services.setQuestionDefault(kButtonNo);
  manager.throwMessage(10);
  EXPECT_EQ(dialogs.boxes.back().defaultButton, kButtonNo);
  EXPECT_FALSE(app.shutdownRequested());
}

TEST_F(ErrorManagerTest, NotifyShowsOkOnlyAndBreaksLines) {
  manager.setError(makeStatus(StatusCode::kDuplicateKey));
  EXPECT_EQ(manager.throwFile(4, "Empresas.dat", makeStatus(StatusCode::kDuplicateKey)), kMessageResultNotified);
  const MessageBoxRequest& box = dialogs.boxes.back();
  EXPECT_EQ(box.buttons, kButtonOk);
  EXPECT_EQ(box.text, "Erro durante a inclusão do registro.\nArquivo: Empresas.dat\nErro: Cria chave duplicada (40).");
}

TEST_F(ErrorManagerTest, FatalMessageEndsTheApplicationAfterOk) {
  ShutdownCoordinator::BulkOperation bulk(app);
  EXPECT_FALSE(bulk.stopRequested());
  Status missing = makeStatus(StatusCode::kFileNotFound, "BComuns/Empresas.dat");
  EXPECT_EQ(manager.throwFile(26, "Empresas.dat", missing), kMessageResultFatal);
  const MessageBoxRequest& box = dialogs.boxes.back();
  EXPECT_EQ(box.buttons, kButtonOk);
  EXPECT_EQ(box.text,
            "Arquivo Empresas.dat não pôde ser aberto.  Erro: Arquivo não encontrado (2).  Press OK to end this "
            "application");
  EXPECT_TRUE(app.shutdownRequested());
  EXPECT_TRUE(bulk.stopRequested());  // the bulk run sees it at its next record
  EXPECT_EQ(app.reason(), "Arquivo Empresas.dat não pôde ser aberto.  Erro: Arquivo não encontrado (2).");
}

TEST_F(ErrorManagerTest, ProgramLevelIsHandledAsFatal) {
  EXPECT_EQ(manager.throwFile(42, "Diario.dat", makeStatus(StatusCode::kNotOpen)), kMessageResultFatal);
  EXPECT_TRUE(app.shutdownRequested());
}

TEST_F(ErrorManagerTest, DriverErrorNinetyShowsTheDriversTextAndCode) {
  Status io = makeStatus(StatusCode::kIoError, "gravar: disk I/O error");
  manager.throwFile(28, "Diario.dat", io);
  EXPECT_EQ(dialogs.boxes.back().text, "Um erro (gravar: disk I/O error (90)) ao fazer alterações no arquivo Diario.dat .");
  EXPECT_EQ(manager.values().fileErrorCode, "90");
  // With the code the database library reported, that code is shown.
  io.setDriverCode(778);
  manager.throwFile(28, "Diario.dat", io);
  EXPECT_EQ(dialogs.boxes.back().text, "Um erro (gravar: disk I/O error (778)) ao fazer alterações no arquivo Diario.dat .");
  // Other errors keep the error text and number.
  manager.throwFile(28, "Diario.dat", makeStatus(StatusCode::kBusy).setDriverCode(5));
  EXPECT_NE(dialogs.boxes.back().text.find("(52)"), std::string::npos) << dialogs.boxes.back().text;
}

TEST_F(ErrorManagerTest, UnknownNumberRaisesNothing) {
  EXPECT_EQ(manager.throwMessage(99, "x"), 0);
  EXPECT_TRUE(dialogs.boxes.empty());
}

TEST_F(ErrorManagerTest, FieldKeyMessageAndProcedure) {
  manager.setField("EMP:Codigo");
  manager.throwMessage(19, "100");
  EXPECT_EQ(dialogs.boxes.back().text, "O valor do EMP:Codigo deve ser menor que 100.");
  EXPECT_EQ(manager.previousText(), "O valor do EMP:Codigo deve ser menor que 100.");
  manager.setKey("EMP:KEY:CODIGO");
  manager.throwFile(35, "Empresas.dat", makeStatus(StatusCode::kAutoNumberFailed));
  EXPECT_NE(dialogs.boxes.back().text.find("Chave: EMP:KEY:CODIGO"), std::string::npos);

  manager.pushProcedure("Main");
  manager.pushProcedure("Ajuste_Plano_Contas");
  EXPECT_EQ(manager.procedure(), "Ajuste_Plano_Contas");
  manager.popProcedure();
  EXPECT_EQ(manager.procedure(), "Main");
  manager.popProcedure();
  manager.popProcedure();  // an empty stack stays empty
  EXPECT_EQ(manager.procedure(), "");
}

TEST_F(ErrorManagerTest, ScreensOwnBoxesAndQuestions) {
  EXPECT_EQ(manager.message("Atenção!!! É necessário|selecionar", "Atenção!!!", MessageIcon::kExclamation,
                            kButtonOk | kButtonCancel, kButtonCancel),
            kButtonCancel);
  EXPECT_EQ(dialogs.boxes.back().text, "Atenção!!! É necessário\nselecionar");
  dialogs.answerQuestion(2);
  EXPECT_EQ(manager.ask("Confirma ?", "Atenção!!!", "&Não|&Sim", 1), 2);
  EXPECT_EQ(dialogs.questions.back().buttonList, "&Não|&Sim");
  EXPECT_EQ(splitButtonList("&Não|&Sim"), (std::vector<std::string>{"&Não", "&Sim"}));
  std::vector<std::string_view> captions;
  for (uint32_t b : buttonsOf(0xFF)) captions.push_back(buttonCaption(b));
  EXPECT_EQ(captions, (std::vector<std::string_view>{"O&k", "&Yes", "&No", "&Abort", "&Retry", "&Ignore", "&Cancel",
                                                     "&Help"}));
  EXPECT_EQ(effectiveDefaultButton(kButtonYes | kButtonNo, kButtonOk), kButtonYes);
}

TEST_F(ErrorManagerTest, HistoryHoldsNothingByDefaultAndDropsTheOldest) {
  manager.throwMessage(7);
  EXPECT_TRUE(services.history().empty());
  services.setHistoryLimit(2);
  manager.pushProcedure("BEmpresa");
  manager.throwMessage(7);
  manager.throwMessage(15, "a");
  manager.throwMessage(15, "b");
  auto h = services.history();
  ASSERT_EQ(h.size(), 2u);
  EXPECT_EQ(h[0].text, "Chave duplicada: a");
  EXPECT_EQ(h[1].text, "Chave duplicada: b");
  EXPECT_EQ(h[1].procedure, "BEmpresa");
}

TEST_F(ErrorManagerTest, LogLineAndLogFailures) {
  auto dir = std::filesystem::temp_directory_path() / ("vorlam_errlog_" + std::to_string(platform::processId()));
  std::filesystem::create_directories(dir);
  auto path = dir / "erros.log";
  services.enableLog(path);
  services.setClock([] { return LogClockReading{*toDayNumber(2024, 3, 9), ((8 * 60 + 7) * 60 + 6) * 100 + 1}; });
  manager.throwMessage(15, "São Paulo");
  std::stringstream ss;
  {
    std::ifstream in(path, std::ios::binary);
    ss << in.rdbuf();
  }
  EXPECT_EQ(latin1ToUtf8(ss.str()), "09/03/2024 08:07:06 --> Chave duplicada: São Paulo\n");

  manager.setError(0, "");
  services.enableLog(dir / "missing" / "erros.log");
  manager.throwMessage(7);
  EXPECT_EQ(manager.values().errorText, "Unable to Open error log; ");
  EXPECT_EQ(dialogs.boxes.size(), 2u);  // the failure is otherwise ignored
  if (std::filesystem::exists("/dev/full")) {  // opens, but every write fails
    manager.setError(0, "");
    services.enableLog("/dev/full");
    manager.throwMessage(7);
    EXPECT_EQ(manager.values().errorText.rfind("Unable to update error log; ", 0), 0u) << manager.values().errorText;
  }
  std::error_code ec;
  std::filesystem::remove_all(dir, ec);
  EXPECT_FALSE(ec) << ec.message();
}

TEST(ErrorManagerThreads, ScreensNeverSeeEachOthersValues) {
  ErrorServices services;
  services.setHistoryLimit(1000);
  ShutdownCoordinator app;
  auto screen = [&](std::string name, std::string file) {
    ScriptedDialogs dialogs;
    ErrorManager m(services, dialogs, app);
    m.pushProcedure(name);
    for (int i = 0; i < 200; ++i) {
      m.throwFile(31, file, makeStatus(StatusCode::kBusy));
      ASSERT_EQ(dialogs.boxes.back().text, "O registro está sendo usado por outra estação. Arquivo " + file + " .");
    }
  };
  std::thread a(screen, "BEmpresa", "Empresas.dat");
  std::thread b(screen, "BPlanoISS", "CtaISS.dat");
  a.join();
  b.join();
  auto h = services.history();
  EXPECT_EQ(h.size(), 400u);
  for (const auto& m : h) EXPECT_EQ(m.procedure == "BEmpresa", m.text.find("Empresas.dat") != std::string::npos);
}

TEST(ErrorManagerThreads, WorkOnAThreadOfItsOwnKeepsItsValuesAndReportsUnderTheScreen) {
  ErrorServices services;
  services.setHistoryLimit(10);
  ShutdownCoordinator app;
  ScriptedDialogs dialogs;
  ErrorManager screen(services, dialogs, app);
  screen.pushProcedure("Ajuste_Plano_Contas");
  screen.setField("EMP:Codigo");
  std::thread worker([&] {
    EXPECT_EQ(screen.procedure(), "Ajuste_Plano_Contas");
    EXPECT_EQ(screen.values().field, "") << "the worker starts with values of its own";
    screen.setField("PLA:Codigo");
    screen.throwMessage(7);
    screen.pushProcedure("Converte_Conta");
    EXPECT_EQ(screen.procedure(), "Converte_Conta");
  });
  worker.join();
  EXPECT_EQ(screen.values().field, "EMP:Codigo");
  EXPECT_EQ(screen.procedure(), "Ajuste_Plano_Contas");
  EXPECT_EQ(screen.previousText(), "");
  ASSERT_EQ(services.history().size(), 1u);
  EXPECT_EQ(services.history()[0].procedure, "Ajuste_Plano_Contas");
}

TEST(ShutdownCoordinatorTest, WaitsForBulkOperationsToStopAtARecordBoundary) {
  ShutdownCoordinator app;
  std::atomic<int> records{0};
  std::atomic<bool> flushed{false};
  std::atomic<bool> started{false};
  std::thread bulk([&] {
    ShutdownCoordinator::BulkOperation op(app);
    started = true;
    while (!op.stopRequested()) {
      ++records;
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    flushed = true;
  });
  while (!started) std::this_thread::yield();
  app.requestShutdown("fatal");
  app.requestShutdown("second");
  app.waitForBulkOperations();
  EXPECT_TRUE(flushed);
  EXPECT_EQ(app.activeBulkOperations(), 0);
  EXPECT_EQ(app.reason(), "fatal");
  bulk.join();
}

TEST(ShutdownCoordinatorTest, AFatalMessageRaisedInsideABulkRunEndsTheApplicationAfterItsFlush) {
  ShutdownCoordinator app;
  ErrorServices services;
  std::vector<std::string> events;
  std::mutex eventsMu;
  auto note = [&](std::string e) {
    std::lock_guard lock(eventsMu);
    events.push_back(std::move(e));
  };
  // The user interface: on the request it waits, on a thread of its own,
  // for the bulk runs, then ends.
  std::thread ui;
  int handled = 0;
  app.setHandler([&](const std::string& reason) {
    ++handled;
    note("request: " + reason.substr(0, 7));
    ui = std::thread([&] {
      app.waitForBulkOperations();
      note("end");
    });
  });
  std::thread bulk([&] {
    ScriptedDialogs dialogs;
    ErrorManager errors(services, dialogs, app);
    ShutdownCoordinator::BulkOperation op(app);
    for (int record = 0; !op.stopRequested(); ++record) {
      if (record == 3) {
        EXPECT_EQ(errors.throwFile(26, "Diario.dat", makeStatus(StatusCode::kCorrupt)), 3);
      }
      note("record");
    }
    note("flush");
  });
  bulk.join();
  ui.join();
  EXPECT_EQ(handled, 1);
  ASSERT_GE(events.size(), 4u);
  EXPECT_EQ(events.back(), "end");
  EXPECT_EQ(events[events.size() - 2], "flush");
  EXPECT_EQ(std::count(events.begin(), events.end(), "record"), 4) << "the record in hand is finished";
}

}  // namespace
}  // namespace vorlam
