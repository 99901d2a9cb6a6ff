#include "adjust/qt/adjust_window.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QTest>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>
#include <QToolButton>
#include <filesystem>

#include "adjust/qt/structure_lookup.h"
#include "chart/chart_screens.h"
#include "framework/qt/model_window.h"
#include "framework/qt/list_window.h"
#include "framework/qt/test_harness.h"
#include "framework/qt/qt_dialogs.h"
#include "shell/qt/shell_services.h"
#include "shell/session.h"
#include "storage/test_util.h"
#include "sampledata/demo_data.h"

namespace vorlam::adjust {
namespace {

namespace fs = std::filesystem;
namespace t = vorlam::qt::testing;

constexpr int kYear = 2024;
constexpr uint16_t kTarget = 6;  // 1.1.1.2.9: wider than structures 1 and 2 in every level

// A session on a generated root of three companies, no company selected.
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
    chart::registerScreens(registry_);
    services_ = std::make_unique<shell::qt::ShellServices>(
        shell::qt::ShellServices{*session_, dialogs_, {}, {}, &registry_});
    sampledata::DemoOptions options;
    options.root = session_->state().dataRoot();
    options.companies = 3;
    options.entries = 20;
    options.years = {kYear};
    Result<sampledata::DemoSummary> demo = sampledata::generateDemo(options);
    ASSERT_TRUE(demo) << demo.status().message();
    demo_ = demo.value();
  }

  ShutdownCoordinator& shutdown() { return session_->application(); }
  AdjustScreenHooks hooks() {
    AdjustScreenHooks h;
    h.selectCompany = [this](QWidget*) {
      ++selections_;
      shell::CurrentCompany period;
      period.codigo = 1;
      period.ano = kYear;
      period.mes = shell::kWholeYear;
      session_->state().setCompany(period);
    };
    h.pickStructure = [this](QWidget*) {
      ++lookups_;
      return std::optional<uint16_t>(kTarget);
    };
    return h;
  }
  // Companies whose structure converts to kTarget.
  std::vector<uint16_t> convertible() const {
    std::vector<uint16_t> out;
    for (const sampledata::DemoCompany& c : demo_.companies)
      if (c.charts.back().structure == 1 || c.charts.back().structure == 2) out.push_back(c.codigo);
    return out;
  }
  static int rowOf(vorlam::qt::ListWindow* list, uint16_t code) {
    for (int row = 0; row < list->model()->rowCount(); ++row)
      if (list->model()->recordAt(row)->getInt("Codigo") == code) return row;
    return -1;
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
  sampledata::DemoSummary demo_;
  int selections_ = 0;
  int lookups_ = 0;
};

// Closing while the run goes on asks first, then the window goes once the
// run has stopped, after telling how it ended.
TEST_F(AdjustWindowTest, CloseDuringTheRunWaitsForItsEnd) {
  t::MessageScript script;
  script.answer("&Sim");  // backup
  QPointer<QWidget> opened = openAdjustScreen(*services_, nullptr, hooks());
  auto* w = qobject_cast<AdjustWindow*>(opened.data());
  ASSERT_NE(w, nullptr);
  ASSERT_TRUE(t::showWindow(w));
  w->controller().acceptStructure(kTarget);
  w->controller().acceptYear(kYear);
  for (uint16_t code : convertible()) {
    Reaction show;
    show.showCompany = code;
    ASSERT_TRUE(w->controller().applyToCompanyList(show));
    w->controller().include();
  }
  script.answer("&Sim");  // confirmation
  ASSERT_TRUE(t::clickButton(w, "Ajustar"));
  script.answer("&Sim");  // stop and close
  w->close();
  EXPECT_FALSE(opened.isNull());  // not before the run has stopped
  for (int i = 0; i < 1200 && !opened.isNull(); ++i) t::wait(50);
  EXPECT_TRUE(opened.isNull());
  ASSERT_EQ(script.seen().size(), 4u);
  EXPECT_TRUE(script.seen()[2].text.startsWith(QString::fromUtf8("Atenção!!! O ajuste está em andamento.")));
  EXPECT_EQ(shutdown().activeBulkOperations(), 0);
}

// The structure list: selecting its second row picks structure 2; closing
// it picks nothing.
TEST_F(AdjustWindowTest, StructureListPicksTheSelectedStructure) {
  auto pickWith = [&](bool select) {
    QTimer::singleShot(200, [select] {
      for (QWidget* top : QApplication::topLevelWidgets()) {
        auto* window = qobject_cast<vorlam::qt::ModelWindow*>(top);
        if (window == nullptr || !window->isVisible()) continue;
        EXPECT_EQ(window->windowTitle(), QString::fromUtf8("Visualização da Tabela da Configuração do Plano de Contas"));
        vorlam::qt::ListWindow* list = window->listWindow("lista");
        ASSERT_NE(list, nullptr);
        list->view()->setCurrentIndex(list->model()->index(1, 0));
        t::wait(20);
        if (select)
          window->button("&Selecionar")->click();
        else
          window->close();
      }
    });
    return pickStructure(*services_, nullptr);
  };
  EXPECT_EQ(pickWith(true), std::optional<uint16_t>(2));
  EXPECT_EQ(pickWith(false), std::nullopt);
}

TEST_F(AdjustWindowTest, BackupAnsweredNaoOpensNothing) {
  t::MessageScript script;
  script.answer("&Não");
  EXPECT_EQ(openAdjustScreen(*services_, nullptr, hooks()), nullptr);
  ASSERT_EQ(script.seen().size(), 1u);
  EXPECT_EQ(script.seen()[0].title, QString::fromUtf8("Atenção!!!"));
  EXPECT_EQ(script.seen()[0].captions, (QStringList{QString::fromUtf8("&Não"), "&Sim"}));
  EXPECT_EQ(selections_, 1);  // no company was current
}

TEST_F(AdjustWindowTest, SelectingCompaniesAndRunningTheAdjustment) {
  const std::vector<uint16_t> companies = convertible();
  ASSERT_GE(companies.size(), 2u);
  t::MessageScript script;
  script.answer("&Sim");  // backup
  QPointer<QWidget> opened = openAdjustScreen(*services_, nullptr, hooks());
  ASSERT_NE(opened, nullptr);
  auto* w = qobject_cast<AdjustWindow*>(opened.data());
  ASSERT_NE(w, nullptr);
  ASSERT_TRUE(t::showWindow(w));
  EXPECT_EQ(w->windowTitle(), "Ajuste do Plano de Contas");
  EXPECT_EQ(w->tabs()->tabText(0), "Selecionar empresas");
  EXPECT_EQ(w->tabs()->tabText(1), "Dados processados");
  EXPECT_EQ(w->lookupButton()->toolTip(), QString::fromUtf8("Pesquisa níveis do plano de contas."));

  // Field 01: an unknown code opens the lookup, which picks the structure.
  t::typeText(w->structureField(), "77");
  t::pressKey(w, Qt::Key_Return);
  EXPECT_EQ(lookups_, 1);
  EXPECT_EQ(w->structureField()->text(), "6");
  EXPECT_EQ(w->formatoLabel()->text(), "9.9.9.99.999999999");
  EXPECT_EQ(w->controller().structureCode(), kTarget);
  t::typeText(w->yearField(), "2024");
  t::pressKey(w, Qt::Key_Return);
  EXPECT_EQ(w->controller().year(), kYear);

  // The company list: first tab by name, grey even rows, computed Inscrição.
  vorlam::qt::ListWindow* list = w->companyList();
  EXPECT_EQ(list->tabs()->tabText(0), QString::fromUtf8("&Razão Social"));
  EXPECT_EQ(list->model()->index(1, 1).data(Qt::BackgroundRole).value<QColor>(), QColor(0xE0, 0xE0, 0xE0));
  EXPECT_NE(list->model()->index(0, 1).data(Qt::BackgroundRole).value<QColor>(), QColor(0xE0, 0xE0, 0xE0));
  EXPECT_FALSE(list->model()->index(0, kInscricaoColumn).data().toString().isEmpty());

  // Insert in the company list includes the company and steps down; Delete
  // in the selected list takes it out again.
  list->showTab(1);  // "Código"
  for (uint16_t code : companies) {
    list->view()->setCurrentIndex(list->model()->index(rowOf(list, code), 0));
    QTest::keyClick(list->view(), Qt::Key_Insert);
  }
  ASSERT_EQ(w->controller().selected().size(), companies.size());
  EXPECT_EQ(w->selectedList()->model()->rowCount(), int(companies.size()));
  list->view()->setCurrentIndex(list->model()->index(rowOf(list, companies[0]), 0));
  QTest::keyClick(list->view(), Qt::Key_Insert);
  EXPECT_EQ(texts(script).back(), QString::fromUtf8("Atenção!!! Empresa já inclusa no ajuste de plano de contas!!!"));
  EXPECT_EQ(list->view()->currentIndex().row(), rowOf(list, companies[0]) + 1);
  w->selectedList()->setCurrentIndex(w->selectedList()->model()->index(0, 0));
  QTest::keyClick(w->selectedList(), Qt::Key_Delete);
  EXPECT_EQ(w->controller().selected().size(), companies.size() - 1);
  list->view()->setCurrentIndex(list->model()->index(rowOf(list, companies[0]), 0));
  ASSERT_TRUE(t::clickButton(w, "&Incluir"));
  ASSERT_EQ(w->controller().selected().size(), companies.size());

  // Ajustar: confirmed; the screen takes no input until the run is done.
  script.answer("&Sim");
  ASSERT_TRUE(t::clickButton(w, "Ajustar"));
  EXPECT_FALSE(w->selectionPage()->isEnabled());
  EXPECT_FALSE(w->adjustButton()->isEnabled());
  EXPECT_TRUE(w->closeButton()->isEnabled());
  EXPECT_EQ(w->tabs()->currentIndex(), 1);
  const QString success = QString::fromUtf8("Ajuste concluído com sucesso!!!");
  for (int i = 0; i < 1200 && !texts(script).contains(success); ++i) t::wait(50);
  ASSERT_TRUE(texts(script).contains(success)) << texts(script).join("\n").toStdString();
  t::wait(50);
  EXPECT_TRUE(w->selectionPage()->isEnabled());
  EXPECT_EQ(w->companiesBar()->value(), w->companiesBar()->maximum());
  EXPECT_EQ(w->companiesBar()->maximum(), int(companies.size()));
  EXPECT_EQ(w->log()->currentRow(), w->log()->count() - 1);
  EXPECT_TRUE(w->log()->item(0)->text().startsWith("-Alterando cadastro da empresa"));
  EXPECT_EQ(w->focusWidget(), w->closeButton());
  // "Cód P Contas" shows the new structure.
  list->showTab(1);
  EXPECT_EQ(list->model()->index(rowOf(list, companies[0]), 2).data().toString(), "6");

  ASSERT_TRUE(t::clickButton(w, "&Fechar"));
  t::wait(50);
  EXPECT_TRUE(opened.isNull());
}

}  // namespace
}  // namespace vorlam::adjust
