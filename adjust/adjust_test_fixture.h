// A small data root for the adjustment's tests: three structures and two
// companies with a chart, a journal, CFOP and integration rows.
#pragma once

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "adjust/adjust_run.h"
#include "shell/company_files.h"
#include "shell/startup.h"
#include "storage/crash_test_util.h"
#include "storage/date.h"
#include "storage/text.h"

namespace vorlam::adjust {

namespace fs = std::filesystem;

class LogObserver : public Observer {
 public:
  void logLine(const std::string& line) override { lines.push_back(line); }
  bool stopRequested() override { return stop; }
  std::vector<std::string> lines;
  bool stop = false;
};

// A data root with structures 1 (1.1.1.2.4), 2 (1.1.1.2.6), 3 (2.2.2, fewer
// digits) and companies 123 (own chart, structure 1) and 200 (shared chart,
// structure 1), as the suite leaves them.
class AdjustTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // A memory file system when there is one: the commit syncs often.
    std::string tmpl = testing::scratchBase() + "/vorlam-adjust-XXXXXX";
    root_ = std::string(mkdtemp(tmpl.data())) + "/";
    dict_ = buildDictionary();
    shell::DataLocations loc;
    loc.root = root_;
    loc.shared = root_ + "BComuns";
    loc.fiscalBooks = root_ + "BEscrita";
    loc.accounting = root_ + "BCTB";
    loc.temp = root_ + "Temp";
    state_ = std::make_unique<shell::AppState>(loc);
    shell::createDataDirectories(loc);
    state_->bind(shell::sharedFileNames(root_));
    shell::CurrentCompany period;
    period.ano = 2024;
    period.mes = 13;
    state_->setCompany(period);
    addStructure(1, {1, 1, 1, 2, 4});
    addStructure(2, {1, 1, 1, 2, 6});
    addStructure(3, {2, 2, 2});
    addCompany(123, "Alfa Comércio Ltda", 2);
    addCompany(200, "Beta Serviços", 1);
    fillCompany(123);
    fillCompany(200);
  }
  void TearDown() override { fs::remove_all(root_); }

  std::unique_ptr<Table> open(const char* label, const std::string& path) {
    auto t = std::make_unique<Table>(dict_->find(label));
    EXPECT_TRUE(t->open(path)) << label << " " << path;
    return t;
  }
  std::string shared(const char* label) { return state_->pathFor(dict_->find(label)->binding); }

  void addStructure(int code, std::initializer_list<int> widths) {
    Table t(dict_->find("ConfPlanoContas"));
    ASSERT_TRUE(t.open(shared("ConfPlanoContas")));
    t.buffer().setInt("Codigo", code);
    t.buffer().setText("Nome", "Estrutura " + std::to_string(code));
    t.buffer().setInt("Graus", static_cast<int>(widths.size()));
    int n = 1;
    for (int w : widths) t.buffer().setInt("G" + std::to_string(n++), w);
    ASSERT_TRUE(t.append());
  }

  void addCompany(int code, const char* name, int plContas) {
    Table t(dict_->find("Empresa"));
    ASSERT_TRUE(t.open(shared("Empresa")));
    t.buffer().setInt("Codigo", code);
    t.buffer().setText("RazaoSocial", utf8ToLatin1(name));
    t.buffer().setInt("CodigoPlanoContas", 1);
    t.buffer().setInt("PLContas", plContas);
    t.buffer().setInt("TipoFornecedor", plContas);
    t.buffer().setInt("TipoCFO", plContas);
    t.buffer().setInt("TipoContaISS", plContas);
    t.buffer().setText("GrupoFornecedor", "2.1.1.01");
    t.buffer().setText("GrupoProdutor", "2.1.1.03.0001");
    t.buffer().setText("CreditoICMS", "1.1.1.01.0002");
    ASSERT_TRUE(t.append());
  }

  // File names of company `code` under structure `structure` for 2024.
  shell::BindingMap names(int code, int structure) {
    Table emp(dict_->find("Empresa")), alt(dict_->find("AltContratuais"));
    emp.open(shared("Empresa"));
    emp.buffer().setInt("Codigo", code);
    emp.get(0);
    shell::CompanyRecord rec = shell::companyRecordFrom(emp.buffer());
    shell::CurrentCompany cur;
    cur.codigo = static_cast<uint16_t>(code);
    cur.plContas = rec.plContas;
    cur.codPlanoContas = static_cast<uint16_t>(structure);
    cur.tipoFornecedor = rec.tipoFornecedor;
    cur.tipoCfo = rec.tipoCfo;
    cur.tipoContaIss = rec.tipoContaIss;
    cur.ano = 2024;
    cur.mes = 13;
    alt.open(shared("AltContratuais"));
    shell::BindingMap m = shell::nomeiaArquivosEmpresa(root_, cur, rec, alt).names;
    for (auto& [k, v] : shell::nomeiaArquivosAno(root_, cur)) m[k] = v;
    return m;
  }
  std::string path(int code, const char* label, int structure = 1) {
    return names(code, structure)[dict_->find(label)->binding];
  }

  void addAccount(Table& chart, const char* code, int kind, const char* description) {
    chart.buffer().clear();
    chart.buffer().setText("Codigo", code);
    chart.buffer().setInt("SintAnali", kind);
    chart.buffer().setText("Descricao", description);
    chart.buffer().setText("DescrIngles", "english");
    chart.buffer().setInt("NaturezaContas", 3);
    chart.insert();
  }

  void fillCompany(int code) {
    auto chart = open("PlanoContas", path(code, "PlanoContas"));
    if (chart->count().value() == 0) {
      addAccount(*chart, "1", 1, "Ativo");
      addAccount(*chart, "1.1", 1, "Circulante");
      addAccount(*chart, "1.1.1", 1, "Disponível");
      addAccount(*chart, "1.1.1.01", 1, "Caixa");
      addAccount(*chart, "1.1.1.01.0001", 2, "Caixa geral");
      addAccount(*chart, "1.1.1.01.0002", 2, "Banco");
    }
    auto diario = open("Diario", path(code, "Diario"));
    for (int i = 1; i <= 40; ++i) {
      diario->buffer().clear();
      diario->buffer().setInt("Data", *toDayNumber(2024, 1 + i % 12, 10));
      diario->buffer().setText("ContaDebito", i % 2 ? "1.1.1.01.0001" : "1.1.1.01.0002");
      diario->buffer().setText("ContaCredito", i % 2 ? "1.1.1.01.0002" : "1.1.1.01.0001");
      diario->buffer().setDecimal("ValorDebito", *Decimal::parse(std::to_string(i) + ".25", 2));
      diario->buffer().setDecimal("ValorCredito", *Decimal::parse(std::to_string(i) + ".25", 2));
      ASSERT_TRUE(diario->insert());
    }
    auto cfo = open("CFO", path(code, "CFO"));
    cfo->buffer().clear();
    cfo->buffer().setInt("Codigo", 1102 + code);
    cfo->buffer().setText("CONTA_DEBITO", "1.1.1.01.0001");
    cfo->buffer().setText("CONTA_CREDITO", "fornecedor");
    ASSERT_TRUE(cfo->append());
    auto cic = open("Contas_Integracao_Contabil", shared("Contas_Integracao_Contabil"));
    cic->buffer().clear();
    cic->buffer().setInt("CODIGO_EMPRESA", code);
    cic->buffer().setInt("CODIGO_REFERENCIA", 1);
    cic->buffer().setText("CONTA_DEBITO", "1.1.1.01.0002");
    ASSERT_TRUE(cic->append());
  }

  Result<AdjustReport> adjust(std::vector<uint16_t> companies, int structure = 2, int year = 2024,
                              bool dryRun = false) {
    AdjustRun run(*dict_, *state_, &log_);
    AdjustRequest r;
    r.newStructure = static_cast<uint16_t>(structure);
    r.year = static_cast<uint16_t>(year);
    r.companies = std::move(companies);
    r.dryRun = dryRun;
    return run.run(r);
  }

  std::vector<std::string> column(const char* label, const std::string& file, const char* field) {
    Table t(dict_->find(label));
    std::vector<std::string> out;
    if (!t.open(file, OpenMode::kReadOnly)) return out;
    t.seekStart(kFileOrder);
    while (t.next()) out.push_back(latin1ToUtf8(t.buffer().getText(field)));
    return out;
  }

  std::string root_;
  std::shared_ptr<const Dictionary> dict_;
  std::unique_ptr<shell::AppState> state_;
  LogObserver log_;
};

// Runs the adjustment of company 123 to structure 2 for 2024 in a child
// process; `killer` is expected to kill the child (SIGKILL) at some point of
// the run.  Fails the test when the child ends on its own.
inline void runUntilKilled(const Dictionary& dict, shell::AppState& state, Observer& killer) {
  pid_t pid = fork();
  if (pid == 0) {
    AdjustRun run(dict, state, &killer);
    AdjustRequest req;
    req.newStructure = 2;
    req.year = 2024;
    req.companies = {123};
    run.run(req);
    _exit(0);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  ASSERT_TRUE(WIFSIGNALED(status)) << "the run ended before the kill point";
}

}  // namespace vorlam::adjust
