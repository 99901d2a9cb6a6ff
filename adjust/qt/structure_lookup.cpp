#include "adjust/qt/structure_lookup.h"

#include <QEvent>
#include <QEventLoop>

#include "adjust/qt/list_columns.h"
#include "framework/qt/list_window.h"
#include "storage/table.h"

namespace vorlam::adjust {
namespace {

// Ends a local event loop when the watched window is hidden (selecting or
// closing the list both hide it).
class HideWatcher : public QObject {
 public:
  explicit HideWatcher(QEventLoop& loop) : loop_(loop) {}
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Hide) loop_.quit();
    return QObject::eventFilter(watched, event);
  }

 private:
  QEventLoop& loop_;
};

vorlam::qt::ListWindowDefinition structureList() {
  vorlam::qt::ListWindowDefinition def;
  def.procedure = "ConfigContas";
  def.title = "Visualização da Tabela da Configuração do Plano de Contas";
  def.format =
      "28R(2)|_M~Código~C(0)@n6@80L(2)|_M~Nome~@s40@24C|_M~Níveis~@n3@32C|_M~1º Grau~@p#p@32C|_M~2º Grau~@p#p@"
      "32C|_M~3º Grau~@p#p@32C|_M~4º Grau~@p#p@32C|_M~5º Grau~@p#p@32C|_M~6º Grau~@p#p@30C|_M~7º Grau~@p#p@"
      "31C|_M~8º Grau~@p#p@31C|_M~9º Grau~@p#p@0L(2)|_M~Formato~@s40@";
  def.columnFields = {"CONP:Codigo", "CONP:Nome", "CONP:Graus", "CONP:G1", "CONP:G2", "CONP:G3", "CONP:G4",
                      "CONP:G5",     "CONP:G6",   "CONP:G7",    "CONP:G8", "CONP:G9", "CONP:Formato"};
  def.tabs = {{"Código do Plano de Contas", "CONP:KEY:CODIGO", "Pesquisa por Código:", "CONP:Codigo"},
              {"Nome", "CONP:KEY:NOME", "Pesquisa por Nome do Plano de Contas:", "CONP:Nome"}};
  def.buttons = vorlam::qt::kListSelect;
  return def;
}

}  // namespace

std::optional<uint16_t> pickStructure(const Dictionary& dict, const shell::AppState& state, QWidget* parent) {
  const TableDef* def = dict.find("ConfPlanoContas");
  Table table(def);
  if (!table.open(state.pathFor(def->binding), OpenMode::kReadOnly)) return std::nullopt;
  vorlam::qt::ListWindow list(structureList(), table, true, parent);
  list.setWindowFlags(Qt::Dialog);
  list.setWindowModality(Qt::ApplicationModal);
  list.resize(900, 420);
  if (!list.open()) return std::nullopt;
  fitColumns(list.view(), list.model()->columns());
  std::optional<uint16_t> chosen;
  list.setOnSelect([&](const Record& r) { chosen = uint16_t(r.getInt("Codigo")); });
  QEventLoop loop;
  HideWatcher watcher(loop);
  list.installEventFilter(&watcher);
  list.show();
  loop.exec();
  return chosen;
}

}  // namespace vorlam::adjust
