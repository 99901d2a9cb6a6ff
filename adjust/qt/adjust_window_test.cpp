// The adjustment screen drawn by the generic model window: the wiring of
// its run off the GUI thread (the window stays usable, the bars move, the
// end arrives on the GUI thread) and of closing during a run.  The screen's
// rules are the controller's tests and the scripts'.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QProgressBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>
#include <filesystem>

#include "adjust/adjust_screen.h"
#include "adjust/adjust_screens.h"
#include "chart/chart_screens.h"
#include "framework/qt/list_window.h"
#include "framework/qt/model_window.h"
#include "framework/qt/qt_dialogs.h"
#include "framework/qt/test_harness.h"
#include "sampledata/demo_data.h"
#include "shell/qt/screen_windows.h"
#include "shell/qt/shell_services.h"
#include "shell/session.h"
#include "shell/shell_screens.h"
#include "storage/test_util.h"

namespace vorlam::adjust {
namespace {

namespace fs = std::filesystem;
namespace t = vorlam::qt::testing;

constexpr int kYear = 2024;
constexpr uint16_t kTarget = 6;  // 1.1.1.2.9: wider than structures 1 and 2 in every level

// A session on a generated root of three companies, company 1 current.
class AdjustWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    t::application();
    // A working copy under TRABALHO is its own data root.
    const std::string wd = tmp_.path() + "/TRABALHO/SIS";
    fs::create_directories(wd);
    auto started = shell::Session::start({wd, tmp_.path() + "/ini"});
    ASSERT_TRUE(started);
    session_ = std::move(started).value();
    shell::registerScreens(registry_);
    chart::registerScreens(registry_);
    adjust::registerScreens(registry_);
    services_ = std::make_unique<shell::qt::ShellServices>(shell::qt::ShellServices{*session_, dialogs_, {}, &registry_});
    sampledata::DemoOptions options;
    options.root = session_->state().dataRoot();
    options.companies = 3;
    options.entries = 200;
    options.years = {kYear};
    Result<sampledata::DemoSummary> demo = sampledata::generateDemo(options);
    ASSERT_TRUE(demo) << demo.status().message();
    for (const sampledata::DemoCompany& c : demo.value().companies)
      if (c.charts.back().structure == 1 || c.charts.back().structure == 2) convertible_.push_back(c.codigo);
    ASSERT_GE(convertible_.size(), 2u);
    shell::CurrentCompany period;
    period.codigo = convertible_[0];
    period.ano = kYear;
    period.mes = shell::kWholeYear;
    session_->state().setCompany(period);
  }

  // Opens the screen (backup answered "&Sim"), types the new structure and
  // the year and includes every convertible company.
  vorlam::qt::ModelWindow* openReady(t::MessageScript& script) {
    script.answer("&Sim");
    vorlam::qt::ModelWindow* w = shell::qt::openScreenWindow(*services_, registry_, kScreenProcedure, nullptr);
    if (w == nullptr || !t::showWindow(w)) return nullptr;
    t::typeText(w->control("LOC:CODIGO_NOVA_ESTRUTURA"), QString::number(kTarget));
    t::pressKey(w, Qt::Key_Return);
    t::typeText(w->control("LOC:ANO"), QString::number(kYear));
    t::pressKey(w, Qt::Key_Return);
    vorlam::qt::ListWindow* list = w->listWindow("empresas");
    list->showTab(1);  // "Código"
    for (uint16_t code : convertible_) {
      for (int row = 0; row < list->model()->rowCount(); ++row)
        if (list->model()->recordAt(row)->getInt("Codigo") == code)
          list->view()->setCurrentIndex(list->model()->index(row, 0));
      QTest::keyClick(list->view(), Qt::Key_Insert);
    }
    return w;
  }
  static QStringList texts(const t::MessageScript& script) {
    QStringList out;
    for (const auto& seen : script.seen()) out << seen.text;
    return out;
  }

  vorlam::testing::TempDir tmp_;
  std::unique_ptr<shell::Session> session_;
  vorlam::qt::QtDialogs dialogs_;
  shell::ScreenRegistry registry_;
  std::unique_ptr<shell::qt::ShellServices> services_;
  std::vector<uint16_t> convertible_;
};

TEST_F(AdjustWindowTest, TheRunGoesOnOffTheGuiThreadAndEndsOnIt) {
  t::MessageScript script;
  QPointer<vorlam::qt::ModelWindow> w = openReady(script);
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(qobject_cast<QTableWidget*>(w->rowTable("selecionadas"))->rowCount(), int(convertible_.size()));
  auto* companies = qobject_cast<QProgressBar*>(w->control("Empresas ......................"));
  auto* files = qobject_cast<QProgressBar*>(w->control("Arquivos da empresa ..."));
  ASSERT_NE(companies, nullptr);
  ASSERT_NE(files, nullptr);
  EXPECT_EQ(companies->value(), 0);

  // "Ajustar" returns at once: the run is on its worker, the screen takes
  // no input but "&Fechar".
  script.answer("&Sim");
  ASSERT_TRUE(t::clickButton(w, "Ajustar"));
  EXPECT_EQ(w->tabs()->currentIndex(), 1);
  EXPECT_FALSE(w->button("Ajustar")->isEnabled());
  EXPECT_FALSE(w->button("&Incluir")->isEnabled());
  EXPECT_FALSE(w->control("LOC:ANO")->isEnabled());
  EXPECT_TRUE(w->button("&Fechar")->isEnabled());
  const QString success = QString::fromUtf8("Ajuste concluído com sucesso!!!");
  EXPECT_TRUE(QTest::qWaitFor([&] { return texts(script).contains(success); }, 60000)) << texts(script).join("\n").toStdString();
  t::wait(20);
  EXPECT_EQ(companies->value(), 100);
  EXPECT_TRUE(w->button("Ajustar")->isEnabled());
  QTableWidget* log = w->rowTable("log");
  ASSERT_GT(log->rowCount(), 0);
  EXPECT_TRUE(log->item(0, 0)->text().startsWith("-Alterando cadastro da empresa"));
  EXPECT_EQ(log->currentRow(), log->rowCount() - 1);
  EXPECT_TRUE(QTest::qWaitFor([&] { return w->QWidget::focusWidget() == w->button("&Fechar"); }, 2000));
  ASSERT_TRUE(t::clickButton(w, "&Fechar"));
  EXPECT_TRUE(QTest::qWaitFor([&] { return w.isNull(); }, 2000));
}

// Closing while the run goes on asks first; the window goes once the run
// has stopped at a company boundary, after saying how it ended.
TEST_F(AdjustWindowTest, ClosingDuringTheRunWaitsForItsEnd) {
  t::MessageScript script;
  QPointer<vorlam::qt::ModelWindow> w = openReady(script);
  ASSERT_NE(w, nullptr);
  script.answer("&Sim");  // the confirmation
  script.answer("&Sim");  // stop at the end of the company in hand
  ASSERT_TRUE(t::clickButton(w, "Ajustar"));
  ASSERT_TRUE(t::clickButton(w, "&Fechar"));
  EXPECT_TRUE(texts(script).contains(QString::fromUtf8(kStopQuestion)));
  EXPECT_TRUE(QTest::qWaitFor([&] { return w.isNull(); }, 60000));
  const QString last = texts(script).back();
  EXPECT_TRUE(last == QString::fromUtf8(kInterrupted) || last == QString::fromUtf8("Ajuste concluído com sucesso!!!"))
      << last.toStdString();
}

}  // namespace
}  // namespace vorlam::adjust
