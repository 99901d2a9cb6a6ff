// Opening the chart screen, its account list, tags and printing.  The
// editor is in chart_editor.cpp, the group tabs in chart_groups.cpp.
#include "chart/chart_screen.h"

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "chart/account_rules.h"
#include "chart/chart_groups.h"
#include "chart/current_structure.h"
#include "shell/shell_screens.h"
#include "storage/text.h"

namespace vorlam::chart {

namespace {

constexpr uint16_t kMsgOpenFailed = 26;
constexpr char kCampo31[] = "Atenção!!! O campo 31 dentro do cadastro da empresa é de preenchimento obrigatório!!!";

constexpr const char* kColumnFields[] = {"",           "PLA:Codigo",   "PLA:Descricao", "PLA:Reduzido", "PLA:Apelido",
                                         "PLA:SintAnali", "",           "PLA:Indice",    "PLA:Filial",   ""};
constexpr int kMarkColumn = 0;
constexpr int kTypeColumn = 6;
constexpr int kCnpjColumn = 9;

struct SortTab {
  const char* caption;
  const char* key;
  const char* locatorField;
  const char* locatorPrompt;
};
constexpr SortTab kSortTabs[] = {
    {"Conta + Descrição", "PLA:KEY:CONTADESCRICAO", "", ""},
    {"Código Reduzido", "PLA:KEY:REDUZIDO", "PLA:Reduzido", "Pesquisa por Reduzido:"},
    {"Conta", "PLA:KEY:CODIGO", "PLA:Codigo", "Pesquisa por Conta:"},
    {"Descrição", "PLA:KEY:DESCRICAO", "PLA:Descricao", "Pesquisa por Descrição:"},
    {"Apelido", "PLA:KEY:APELIDO", "PLA:Apelido", "Pesquisa por Apelido:"},
};
constexpr int kDescriptionTab = 3;
// The tag file's wait limit once open (the storage's default).
constexpr int kTagFileBusyMs = 10000;

ListDefinition chartListDefinition() {
  ListDefinition d;
  d.procedure = kChartProcedure;
  d.title = kChartTitle;
  for (const SortTab& t : kSortTabs) d.tabs.push_back({t.caption, t.key, t.locatorField, "", 0, ""});
  d.deleteThroughForm = true;
  return d;
}

std::string formatCnpj(std::string_view digits) {
  std::string d(clipped(digits));
  if (d.size() != 14) return d;
  return d.substr(0, 2) + "." + d.substr(2, 3) + "." + d.substr(5, 3) + "/" + d.substr(8, 4) + "-" + d.substr(12, 2);
}

}  // namespace

Result<std::string> renderChartText(const ChartPrintJob& job) {
  std::string out = job.title + "\n";
  auto line = [&out](const std::vector<std::string>& cells) {
    std::string l;
    for (size_t i = 0; i < cells.size(); ++i) l += (i ? " | " : "") + cells[i];
    out += std::string(clipped(l)) + "\n";
  };
  line(job.headers);
  if (job.rows) {
    if (Status s = job.rows(line); !s) return s;
  }
  return out;
}

ChartScreen::ChartScreen(shell::ScreenServices& services, bool selecting)
    : HostedScreen(services), selecting_(selecting), model_(kChartProcedure, kChartTitle),
      definition_(chartListDefinition()) {}

ChartScreen::~ChartScreen() {
  if (tagsLoaded_) saveTags();
}

Status ChartScreen::saveTags() {
  if (!tagsWritable_ || !tagFile_ || !tagFile_->isOpen()) return Status::ok();
  Status s = tags_.save(*tagFile_);
  if (s) savedTags_ = tags_.ids();
  return s;
}

void ChartScreen::closeTags() {
  if (!tagsLoaded_) return;
  if (tagsWritable_) {
    if (Status s = saveTags(); !s)
      say("Atenção!!! Erro número " + std::to_string(s.errorNumber()) + " na gravação das marcas do plano de contas!!!");
  } else if (tags_.ids() != savedTags_) {
    say("Atenção!!! As marcas do plano de contas estão em uso em outra janela ou estação; as marcas desta janela "
        "não foram gravadas!!!");
  }
  // A closed screen may outlive its window a while: the next chart screen
  // must find the tag file free.
  tagsLoaded_ = false;
  tagsWritable_ = false;
  tagFile_->close();
}

std::vector<std::string> ChartScreen::chosenKeys() const {
  if (!chosen_) return {};
  return {*chosen_};
}

bool ChartScreen::loadStructure() {
  const shell::AppState& state = services_.session().state();
  Result<AccountStructure> s = readStructure(context_.dictionary, state, state.company().codPlanoContas);
  if (!s.isOk()) return false;
  structure_ = std::move(s).value();
  return true;
}

Status ChartScreen::openTables() {
  const Dictionary& dict = context_.dictionary;
  chart_ = std::make_unique<Table>(dict.find("PlanoContas"));
  scan_ = std::make_unique<Table>(dict.find("PlanoContas"));
  for (Table* t : {chart_.get(), scan_.get()}) {
    const std::string path = context_.resolve(t->def().binding);
    if (Status s = t->open(path, OpenMode::kShared); !s) {
      ProcedureScope procedure(errors_, kChartProcedure);
      errors_.throwFile(kMsgOpenFailed, path, s);
      return s;
    }
  }
  openTagFile();
  return Status::ok();
}

void ChartScreen::openTagFile() {
  // The tag set is this screen's to write while it is open; others may
  // read it.  A second chart screen (here or on another workstation, the
  // lookup of a form included) reads the tags without waiting and keeps
  // its own changes to itself: it says so when it closes with tags changed.
  tagFile_ = std::make_unique<Table>(context_.dictionary.find("DasTagFileInd"));
  const std::string path = context_.resolve(tagFile_->def().binding);
  tagFile_->setBusyTimeout(0);
  tagsWritable_ = tagFile_->open(path, OpenMode::kDenyWrite).isOk();
  if (!tagsWritable_ && !tagFile_->open(path, OpenMode::kReadOnly)) tagFile_->close();
  tagFile_->setBusyTimeout(kTagFileBusyMs);
}

Status ChartScreen::repairIndexes() {
  Table& t = *scan_;
  const int indice = t.def().fieldIndex("PLA:Indice");
  std::vector<int64_t> blank;
  Status s = t.seekStart(kFileOrder);
  while (s && (s = t.next())) {
    if (clipped(t.buffer().getText(indice)).empty()) blank.push_back(t.buffer().recordId());
  }
  t.endWalk();
  if (!s.is(StatusCode::kNotFound)) return s;
  if (blank.empty()) return Status::ok();
  if (Status b = t.beginBulk(); !b) return b;
  for (int64_t id : blank) {
    if (Status g = t.getById(id); !g) continue;  // gone meanwhile
    Record& r = t.buffer();
    if (!clipped(r.getText(indice)).empty()) continue;
    r.setText(indice, repairedIndex(structure_, r.getText("PLA:Codigo"), static_cast<int>(r.getInt("PLA:SintAnali"))));
    // A record another workstation changed meanwhile keeps its own values.
    t.update();
  }
  return t.flush();
}

void ChartScreen::loadBranches() {
  branches_.clear();
  const Dictionary& dict = context_.dictionary;
  const uint16_t company = services_.session().state().company().codigo;
  Table filiais(dict.find("Filiais"));
  if (!filiais.open(context_.resolve(filiais.def().binding), OpenMode::kReadOnly)) return;
  std::vector<uint16_t> codes;
  filiais.buffer().clear();
  filiais.buffer().setInt("Filiais:Matriz", company);
  Status s = filiais.seek(filiais.def().keyIndex("Filiais:Key:CodigoMatrizFilial"));
  while (s && (s = filiais.next()) && filiais.buffer().getInt("Filiais:Matriz") == company) {
    if (filiais.buffer().getInt("Filiais:Contabilidade") == 1)
      codes.push_back(static_cast<uint16_t>(filiais.buffer().getInt("Filiais:Filial")));
  }
  filiais.endWalk();
  if (codes.empty()) return;
  codes.insert(codes.begin(), company);
  Table empresa(dict.find("Empresa"));
  const bool read = empresa.open(context_.resolve(empresa.def().binding), OpenMode::kReadOnly).isOk();
  for (uint16_t code : codes) {
    Branch b;
    b.code = code;
    if (read) {
      empresa.buffer().clear();
      empresa.buffer().setInt("EMP:Codigo", code);
      if (empresa.get(empresa.def().keyIndex("EMP:KEY:CODIGO"))) {
        b.name = latin1ToUtf8(clipped(empresa.buffer().getText("EMP:RazaoSocial")));
        b.cnpj = formatCnpj(empresa.buffer().getText("EMP:CGC"));
      }
    }
    branches_.push_back(std::move(b));
  }
}

const ChartScreen::Branch* ChartScreen::branch(uint16_t code) const {
  for (const Branch& b : branches_)
    if (b.code == code) return &b;
  return nullptr;
}

std::string ChartScreen::cnpjOf(uint16_t company) const {
  if (company == 0) return {};
  if (const Branch* b = branch(company)) return b->cnpj;
  return {};
}

Status ChartScreen::open() {
  if (services_.session().state().company().codigo == 0 && !shell::selectCompanyOver(services_, model_)) {
    model_.close();
    return Status::ok();
  }
  if (!loadStructure()) {
    if (model_.dialogs() != nullptr)
      model_.dialogs()->messageBox({"Atenção!!!", kCampo31, MessageIcon::kExclamation, kButtonOk, kButtonOk});
    model_.close();
    return Status::ok();
  }
  if (!openTables()) {
    model_.close();
    return Status::ok();
  }
  list_ = std::make_unique<ListController>(context_, definition_, *chart_, selecting_);
  if (Status s = repairIndexes(); !s) {
    errors_.throwFile(kMsgOpenFailed, chart_->path(), s);
    model_.close();
    return Status::ok();
  }
  if (Status s = list_->open(selecting_ ? kDescriptionTab : 0); !s) {
    errors_.throwFile(kMsgOpenFailed, chart_->path(), s);
    model_.close();
    return Status::ok();
  }
  loadBranches();
  tagsLoaded_ = tagFile_->isOpen() && tags_.load(*tagFile_).isOk();
  savedTags_ = tags_.ids();
  groups_ = std::make_unique<Groups>(*this);
  groups_->open();
  declareList();
  declareEditor();
  declareButtons();
  groups_->declare();
  model_.setFocus("lista");
  return Status::ok();
}

uint32_t ChartScreen::accountColour(const Record& account) {
  return account.getInt("PLA:SintAnali") == kAnalytic ? kAnalyticColour : kSyntheticColour;
}

void ChartScreen::declareList() {
  binding_.name = "lista";
  binding_.format = kChartListFormat;
  for (const char* f : kColumnFields) binding_.columnFields.push_back(f);
  for (const SortTab& t : kSortTabs) binding_.locatorPrompts.push_back(t.locatorPrompt);
  binding_.cellText = [this](const Record& row, int column) -> std::optional<std::string> {
    if (column == kMarkColumn) return tags_.tagged(row.recordId()) ? "*" : "";
    if (column == kTypeColumn) return row.getInt("PLA:SintAnali") == kAnalytic ? "Analítica" : "Sintética";
    if (column == kCnpjColumn) return cnpjOf(static_cast<uint16_t>(row.getInt("PLA:Filial")));
    return std::nullopt;
  };
  binding_.tab = 0;
  binding_.rowColours = [](const Record& row) { return RowColours{.text = accountColour(row)}; };
  // Code, description, reduced code, nickname and type.
  binding_.colouredColumns = {1, 2, 3, 4, 5};
  // A click on the mark column tags or untags the account.
  binding_.clickCell = [this](size_t, int column) {
    if (column == kMarkColumn && mode_ == Mode::kIdle) toggleTag();
    return Status::ok();
  };
  Result<ListCells> made = listCells(*list_, binding_);
  cells_ = std::make_shared<ListCells>(made.isOk() ? std::move(made).value() : ListCells());
  if (Status s = bindList(model_, *list_, binding_); !s) errors_.throwFile(kMsgOpenFailed, chart_->path(), s);
}

// --- Tags ------------------------------------------------------------------

std::set<int64_t> ChartScreen::allIds() {
  std::set<int64_t> ids;
  Status s = scan_->seekStart(kFileOrder);
  while (s && (s = scan_->next())) ids.insert(scan_->buffer().recordId());
  scan_->endWalk();
  return ids;
}

void ChartScreen::applyTagView() {
  // The list narrows itself to the tagged (or untagged) record numbers, so
  // that it pages, scrolls and locates as the whole chart does.
  if (tagView_ == TagView::kAll) {
    if (list_->cache().hasRecordSet()) list_->clearRecordSet();
    return;
  }
  const std::set<int64_t>& ids = tags_.ids();
  list_->setRecordSet(std::vector<int64_t>(ids.begin(), ids.end()), tagView_ == TagView::kTagged);
}

void ChartScreen::toggleTag() {
  const Record* row = list_->selected();
  if (row == nullptr) return;
  tags_.toggle(row->recordId());
  // In a tag view the account leaves the list it no longer belongs to.
  if (tagView_ != TagView::kAll) applyTagView();
}

// --- Printing --------------------------------------------------------------

void ChartScreen::print() {
  ChartPrintJob job;
  job.procedure = kChartPrintProcedure;
  job.title = std::string(kChartTitle) + " - " + services_.session().state().company().razao;
  job.headers = cells_->shownHeaders();
  job.rows = [this](const std::function<void(const std::vector<std::string>&)>& row) -> Status {
    const int key = chart_->def().keyIndex(definition_.tabs[size_t(list_->currentTab())].key);
    Status s = scan_->seekStart(key);
    while (s && (s = scan_->next()))
      if (tags_.matches(scan_->buffer().recordId(), tagView_)) row(cells_->shownTexts(scan_->buffer()));
    scan_->endWalk();
    return s.is(StatusCode::kNotFound) ? Status::ok() : s;
  };
  if (printer_) {
    if (Status s = printer_(job); !s) say("Atenção!!! Erro na impressão do plano de contas: " + s.message());
    return;
  }
  // The windows print (or write a PDF) through their print dialog.
  if (services_.dialogs().canPrint()) {
    Result<bool> printed = services_.dialogs().print({job.title, job.headers, job.rows});
    if (!printed.isOk()) say("Atenção!!! Erro na impressão do plano de contas: " + printed.status().message());
    return;
  }
  Result<std::string> text = renderChartText(job);
  if (!text.isOk()) {
    say("Atenção!!! Erro na impressão do plano de contas: " + text.status().message());
    return;
  }
  namespace fs = std::filesystem;
  const fs::path dir = services_.session().state().locations().temp;
  std::error_code ec;
  fs::create_directories(dir, ec);
  std::ofstream out(dir / "PlanoContas.txt", std::ios::binary | std::ios::trunc);
  out << text.value();
  out.close();
  if (!out) {
    say("Atenção!!! Erro na impressão do plano de contas: não foi possível gravar Temp/PlanoContas.txt");
    return;
  }
  const size_t lines = static_cast<size_t>(std::count(text->begin(), text->end(), '\n'));
  say("Plano de contas impresso em Temp/PlanoContas.txt: " + std::to_string(lines - 2) + " contas.",
      MessageIcon::kInformation);
}

}  // namespace vorlam::chart
