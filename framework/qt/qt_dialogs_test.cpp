#include "framework/qt/qt_dialogs.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QApplication>
#include <QPushButton>
#include <QThread>
#include <QTimer>

#include "framework/error_manager.h"
#include "framework/qt/test_harness.h"

namespace vorlam::qt {
namespace {

using testing::MessageScript;

class QtDialogsTest : public ::testing::Test {
 protected:
  void SetUp() override { testing::application(); }
};

TEST_F(QtDialogsTest, ButtonsInBitOrderWithFrameworkCaptionsAndDefaultFocused) {
  MessageScript script;
  script.answer("&No");
  QtDialogs dialogs;
  MessageBoxRequest request;
  request.title = "Confirma Exclusão";
  request.text = "Deseja realmente excluir o registro selecionado?";
  request.icon = MessageIcon::kQuestion;
  // Given out of order on purpose: the window orders by bit.
  request.buttons = kButtonCancel | kButtonNo | kButtonYes | kButtonOk;
  request.defaultButton = kButtonNo;
  EXPECT_EQ(dialogs.messageBox(request), kButtonNo);
  ASSERT_EQ(script.seen().size(), 1u);
  const auto& seen = script.seen()[0];
  EXPECT_EQ(seen.title, QString::fromUtf8("Confirma Exclusão"));
  EXPECT_EQ(seen.captions, (QStringList{"O&k", "&Yes", "&No", "&Cancel"}));
  EXPECT_EQ(seen.defaultCaption, "&No");
  EXPECT_EQ(seen.focusedCaption, "&No");
}

TEST_F(QtDialogsTest, EveryButtonOfTheFullSet) {
  MessageScript script;
  script.answer("&Help");
  QtDialogs dialogs;
  MessageBoxRequest request;
  request.buttons = 0xFF;
  request.defaultButton = kButtonRetry;
  EXPECT_EQ(dialogs.messageBox(request), kButtonHelp);
  const auto& seen = script.seen().at(0);
  EXPECT_EQ(seen.captions,
            (QStringList{"O&k", "&Yes", "&No", "&Abort", "&Retry", "&Ignore", "&Cancel", "&Help"}));
  EXPECT_EQ(seen.focusedCaption, "&Retry");
}

TEST_F(QtDialogsTest, DefaultOutsideTheSetFallsBackToFirstButton) {
  MessageScript script;  // no answer queued: the default is pressed
  QtDialogs dialogs;
  MessageBoxRequest request;
  request.buttons = kButtonYes | kButtonNo;
  request.defaultButton = kButtonOk;
  EXPECT_EQ(dialogs.messageBox(request), kButtonYes);
  EXPECT_EQ(script.seen().at(0).captions, (QStringList{"&Yes", "&No"}));
  EXPECT_EQ(script.seen().at(0).focusedCaption, "&Yes");
}

TEST_F(QtDialogsTest, EmptySetShowsOk) {
  MessageScript script;
  QtDialogs dialogs;
  MessageBoxRequest request;
  request.buttons = 0;
  EXPECT_EQ(dialogs.messageBox(request), kButtonOk);
  EXPECT_EQ(script.seen().at(0).captions, (QStringList{"O&k"}));
}

TEST_F(QtDialogsTest, QuestionCaptionsFromTheButtonList) {
  MessageScript script;
  script.answer("&Sim");
  QtDialogs dialogs;
  QuestionRequest request;
  request.title = "Atenção!!!";
  request.text = "Deseja continuar?";
  request.buttonList = "&Não|&Sim";
  request.defaultButton = 1;
  EXPECT_EQ(dialogs.question(request), 2);
  const auto& seen = script.seen().at(0);
  EXPECT_EQ(seen.title, QString::fromUtf8("Atenção!!!"));
  EXPECT_EQ(seen.captions, (QStringList{QString::fromUtf8("&Não"), "&Sim"}));
  EXPECT_EQ(seen.focusedCaption, QString::fromUtf8("&Não"));
  // Button 1 is the first caption.
  script.answer(QString::fromUtf8("Não"));
  EXPECT_EQ(dialogs.question(request), 1);
}

TEST_F(QtDialogsTest, QuestionDefaultSecondButton) {
  MessageScript script;
  QtDialogs dialogs;
  QuestionRequest request;
  request.buttonList = "&Sim|&Não";
  request.defaultButton = 2;
  EXPECT_EQ(dialogs.question(request), 2);
  EXPECT_EQ(script.seen().at(0).focusedCaption, QString::fromUtf8("&Não"));
}

TEST_F(QtDialogsTest, ClosingWithoutButtonAnswers) {
  // Escape closes the window without a button.
  MessageWindow box("t", "x", MessageIcon::kNone, {"&Não", "&Sim"}, 1);
  box.show();
  box.reject();
  EXPECT_EQ(box.result(), 0);

  QtDialogs dialogs;
  // Drive the close through a timer: the boxes run modally.
  auto closeNext = [] {
    QTimer::singleShot(30, [] {
      for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* m = qobject_cast<MessageWindow*>(w); m && m->isVisible()) m->reject();
    });
  };
  MessageBoxRequest withCancel;
  withCancel.buttons = kButtonOk | kButtonCancel;
  withCancel.defaultButton = kButtonOk;
  closeNext();
  EXPECT_EQ(dialogs.messageBox(withCancel), kButtonCancel);
  MessageBoxRequest noCancel;
  noCancel.buttons = kButtonYes | kButtonNo;
  noCancel.defaultButton = kButtonNo;
  closeNext();
  EXPECT_EQ(dialogs.messageBox(noCancel), kButtonNo);
  QuestionRequest question;
  question.buttonList = "&Não|&Sim|&Talvez";
  closeNext();
  EXPECT_EQ(dialogs.question(question), 3);
}

TEST_F(QtDialogsTest, TextIsPlainWithLineBreaksAndIcon) {
  MessageWindow box("Erro Inclusão", "Erro durante a inclusão do registro.\nArquivo: <b>x</b>",
                    MessageIcon::kExclamation, {"O&k"}, 1);
  auto* text = box.findChild<QLabel*>("text");
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(text->textFormat(), Qt::PlainText);
  EXPECT_TRUE(text->text().contains('\n'));
  EXPECT_NE(box.findChild<QLabel*>("icon"), nullptr);
  MessageWindow plain("t", "x", MessageIcon::kNone, {"O&k"}, 1);
  EXPECT_EQ(plain.findChild<QLabel*>("icon"), nullptr);
}

TEST_F(QtDialogsTest, CalledFromAnotherThreadRunsOnTheGuiThread) {
  MessageScript script;
  script.answer("&Yes");
  QtDialogs dialogs;
  uint32_t answer = 0;
  QThread* worker = QThread::create([&] {
    MessageBoxRequest request;
    request.buttons = kButtonYes | kButtonNo;
    answer = dialogs.messageBox(request);
  });
  worker->start();
  while (!worker->isFinished()) testing::wait(10);
  worker->wait();
  delete worker;
  EXPECT_EQ(answer, kButtonYes);
  EXPECT_EQ(script.seen().size(), 1u);
}

TEST_F(QtDialogsTest, CatalogueMessagesBreakLinesAtTheBarAndAskWithYesNo) {
  MessageScript script;
  QtDialogs dialogs;
  ErrorServices services;
  ShutdownCoordinator shutdown;
  ErrorManager errors(services, dialogs, shutdown);
  errors.throwFile(4, "CNAE.dat", Status(StatusCode::kIoError, "disco cheio"));
  script.answer("&No");
  EXPECT_EQ(errors.throwMessage(11), 4);
  ASSERT_EQ(script.seen().size(), 2u);
  const QStringList lines = script.seen()[0].text.split('\n');
  ASSERT_EQ(lines.size(), 3);
  EXPECT_EQ(lines[0], QString::fromUtf8("Erro durante a inclusão do registro."));
  EXPECT_EQ(lines[1], "Arquivo: CNAE.dat");
  EXPECT_TRUE(lines[2].startsWith("Erro: "));
  EXPECT_EQ(script.seen()[1].title, QString::fromUtf8("Confirma Exclusão"));
  EXPECT_EQ(script.seen()[1].captions, (QStringList{"&Yes", "&No"}));
  EXPECT_EQ(script.seen()[1].focusedCaption, "&Yes") << "the manager's default takes the focus";
}

}  // namespace
}  // namespace vorlam::qt
