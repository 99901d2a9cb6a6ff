#include "chart/structure_list.h"

#include "chart/structure_record.h"

namespace vorlam::chart {

namespace {

constexpr uint16_t kMsgOpenFailed = 26;  // "Arquivo %File não pôde ser aberto."

constexpr const char* kColumns[] = {"CONP:Codigo", "CONP:Nome", "CONP:Graus", "CONP:G1", "CONP:G2",
                                    "CONP:G3",     "CONP:G4",   "CONP:G5",    "CONP:G6", "CONP:G7",
                                    "CONP:G8",     "CONP:G9",   "CONP:Formato"};

constexpr StructureListTab kTabs[] = {
    {"Código do Plano de Contas", "CONP:KEY:CODIGO", "Pesquisa por Código:", "CONP:Codigo"},
    {"Nome", "CONP:KEY:NOME", "Pesquisa por Nome do Plano de Contas:", "CONP:Nome"},
};

constexpr char kChangeSelected[] = "Altera Registro Selecionado";

const TableDef* definitionOf(const ScreenContext& context, const char* label) {
  return context.dictionary.find(label);
}

ListDefinition listDefinition() {
  ListDefinition d;
  d.procedure = kStructureListProcedure;
  d.title = kStructureListTitle;
  for (const StructureListTab& t : kTabs) d.tabs.push_back({t.caption, t.key, t.locatorField, "", 0, ""});
  d.deleteThroughForm = true;  // the form asks "Confirma Exclusão" itself
  return d;
}

}  // namespace

std::span<const char* const> structureListColumns() { return kColumns; }

std::span<const StructureListTab> structureListTabs() { return kTabs; }

std::vector<StructureListButton> structureListButtons(bool selecting) {
  using B = StructureListButton;
  if (selecting) return {B::kInsert, B::kChange, B::kDelete, B::kSelect, B::kHelp, B::kClose};
  return {B::kInsert, B::kChange, B::kDelete, B::kHelp, B::kClose};
}

ButtonText structureListButton(StructureListButton button, bool selecting) {
  switch (button) {
    case StructureListButton::kInsert: return {"&Incluir", "", ""};
    case StructureListButton::kChange:
      if (selecting) return {"&Alterar", kChangeSelected, kChangeSelected};
      return {"&Alterar", "", ""};
    case StructureListButton::kDelete: return {"&Excluir", "", ""};
    case StructureListButton::kSelect: return {"&Selecionar", "", ""};
    case StructureListButton::kHelp: return {"&Ajuda", "", ""};
    case StructureListButton::kClose: return {"&Fechar", "", ""};
  }
  return {};
}

StructureListButton structureListDefault(bool selecting) {
  return selecting ? StructureListButton::kSelect : StructureListButton::kChange;
}

std::string structureListHelp() {
  return "Cada linha é uma configuração do plano de contas: o número de níveis e a quantidade de "
         "dígitos de cada nível.\n\n"
         "Insert inclui, Enter altera e Delete exclui a configuração selecionada. As abas ordenam a lista "
         "por código ou por nome; digite no campo de pesquisa para localizar.";
}

std::string selectedFormat(const Record& row) { return buildMask(structureFromRecord(row)); }

StructureList::StructureList(ScreenContext& context, bool selecting)
    : ctx_(context),
      selecting_(selecting),
      definition_(listDefinition()),
      table_(definitionOf(context, "ConfPlanoContas")),
      scan_(definitionOf(context, "ConfPlanoContas0")),
      list_(context, definition_, table_, selecting),
      runner_([this](StructureForm& form) { model_.runChild(form.screen()); }),
      model_(kStructureListProcedure, kStructureListTitle) {
  list_.setFormOpener([this](Request r, const Record* row) { return runner_ && runForm(r, row, runner_); });
}

Status StructureList::open() {
  for (Table* t : {&table_, &scan_}) {
    const std::string path = ctx_.resolve(t->def().binding);
    // The second cursor only reads.
    Status s = t->open(path, t == &scan_ ? OpenMode::kReadOnly : OpenMode::kShared);
    if (!s) {
      ctx_.errors.throwFile(kMsgOpenFailed, path, s);
      return s;
    }
  }
  Status s = list_.open();
  if (s) declareScreen();
  return s;
}

std::string StructureList::currentFormat() const {
  const Record* row = list_.selected();
  return row == nullptr ? std::string() : selectedFormat(*row);
}

bool StructureList::opensForm(Request request) { return request != Request::kView; }

bool StructureList::request(Request request) { return opensForm(request) && list_.request(request); }

bool StructureList::runForm(Request request, const Record* row, const FormRunner& run) {
  if (!opensForm(request)) return false;
  if (request != Request::kInsert && row == nullptr) return false;
  StructureForm form(ctx_, table_, scan_, request);
  if (form.open(request == Request::kInsert ? 0 : row->recordId()) != FormState::kOpen) return false;
  run(form);
  return form.controller().state() == FormState::kCompleted;
}

}  // namespace vorlam::chart
