// What the shell's Qt tests share: a session on a fresh data root with a
// few companies, the Qt dialogs, and a way to act on a modal window once it
// has opened.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QTimer>
#include <functional>
#include <memory>
#include <string>

#include "dictionary/dictionary.h"
#include "framework/qt/qt_dialogs.h"
#include "framework/qt/test_harness.h"
#include "shell/company_files.h"
#include "shell/qt/shell_services.h"
#include "shell/session.h"
#include "storage/table.h"
#include "storage/test_util.h"
#include "storage/text.h"

namespace vorlam::shell::qt::testing {

class ShellQtTest : public ::testing::Test {
 protected:
  ShellQtTest() {
    vorlam::qt::testing::application();
    // A working copy under TRABALHO is its own data root: no launcher
    // settings are consulted.
    const std::string wd = tmp_.path() + "/TRABALHO/SIS";
    std::filesystem::create_directories(wd);
    auto started = Session::start({wd, tmp_.path() + "/ini"});
    EXPECT_TRUE(started.isOk());
    session_ = std::move(started).value();
    services_ = std::make_unique<ShellServices>(ShellServices{*session_, dialogs_, {}});
  }

  void addCompany(uint16_t code, const std::string& razao, int plContas = 1, int plano = 1) {
    Table t(session_->dictionary().find("Empresa"));
    ASSERT_TRUE(t.open(session_->state().pathFor(kEmpresaFile)).isOk());
    Record& b = t.buffer();
    b.clear();
    b.setInt("EMP:Codigo", code);
    b.setText("Emp:RazaoSocial", utf8ToLatin1(razao));
    b.setText("EMP:UF", "SP");
    b.setInt("EMP:PLContas", plContas);
    b.setInt("EMP:CodigoPlanoContas", plano);
    ASSERT_TRUE(t.append().isOk());
  }

  // Runs `act` on the first visible top-level window of type W as soon as
  // one opens (a modal window blocks the test until then).
  template <typename W>
  static void whenOpen(std::function<void(W*)> act) {
    auto* timer = new QTimer;
    QObject::connect(timer, &QTimer::timeout, [timer, act] {
      for (QWidget* top : QApplication::topLevelWidgets()) {
        auto* w = qobject_cast<W*>(top);
        if (w == nullptr || !w->isVisible()) continue;
        timer->stop();
        timer->deleteLater();
        act(w);
        return;
      }
    });
    timer->start(20);
  }

  vorlam::testing::TempDir tmp_;
  std::unique_ptr<Session> session_;
  vorlam::qt::QtDialogs dialogs_;
  std::unique_ptr<ShellServices> services_;
};

}  // namespace vorlam::shell::qt::testing
