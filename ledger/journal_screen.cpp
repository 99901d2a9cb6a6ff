// The journal screen: opening, the list, its tabs and lot filter, and what
// selecting a line does.  The editing strip is in journal_strip.cpp.

#include "ledger/journal_screen.h"

#include <algorithm>
#include <cctype>

#include "framework/screen_binding.h"
#include "ledger/registry_list.h"
#include "storage/date.h"
#include "storage/text.h"

namespace vorlam::ledger {

namespace {

constexpr char kFormat[] =
    "44L(2)|M~Data~@d6@60L(2)|M~Conta Débito~@s20@60L(2)|M~Conta Crédito~@s20@24R(2)|M~Hist.~C(0)@n5@"
    "120L(2)|M~Descrição~@s40@60L(2)|M~Documento~@s20@160L(2)|M~Complemento~@s60@"
    "60R(2)|M~Valor Débito~C(0)@n15.2@60R(2)|M~Valor Crédito~C(0)@n15.2@56R(2)|M~Número~C(0)@n14.4@"
    "48L(2)|M~Lote~@s15@48L(2)|M~Padrão~@s30@20L(2)|M~Origem~@s3@80L(2)|M~Procedência~@s25@";
constexpr int kDescriptionColumn = 4;
constexpr int kOriginTextColumn = 13;

// The lot filter over the selected period; the lot condition only for a
// non-blank lot.
constexpr char kPeriodFilter[] = "DIA:Data >= Loc:DataIniFiltro And DIA:Data <= Loc:DataFinalFiltro";
constexpr char kLotCondition[] = " And DIA:Lote = DIAE:Lote";

constexpr char kIni[] = "Ctb.Ini";
constexpr char kIniSection[] = "Pesquisa";

ListDefinition journalDefinition() {
  ListDefinition d;
  d.procedure = kJournalProcedure;
  d.title = kJournalTitle;
  d.tabs = {{"Pesquisa &Data", "DIA:KEY:DATA", "DIA:Data", "", 0, ""},
            {"Pesquisa Docu&mento", "DIA:KEY:DOCUMENTO", "DIA:Documento", "", 0, ""}};
  d.deleteThroughForm = true;
  return d;
}

bool wordChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || (static_cast<unsigned char>(c) & 0x80); }

}  // namespace

std::string originText(std::string_view origin) {
  const std::string code(clipText(origin));
  if (code == "ESC") return "Escrita Fiscal";
  if (code == "FLS") return "Folha Pgto.";
  if (code == "ABR") return "Abertura Período";
  if (code == "FEC") return "Fechamento do Período";
  return "Contabilidade";
}

LineColour lineColour(const Record& line) {
  if (line.getDecimal("ValorDebito") != line.getDecimal("ValorCredito")) return LineColour::kRed;
  const std::string origin(clipText(line.getText("Origem")));
  if (origin == "ESC") return LineColour::kGreen;
  if (origin == "FLS") return LineColour::kPurple;
  return LineColour::kBlue;
}

uint32_t colourRgb(LineColour colour) {
  switch (colour) {
    case LineColour::kBlue: return 0x0000FF;
    case LineColour::kGreen: return 0x006400;  // dark green
    case LineColour::kPurple: return 0x800080;
    case LineColour::kRed: return 0xFF0000;
  }
  return 0x000000;
}

std::string expandComplement(std::string_view complement, std::string_view debitDescription,
                             std::string_view creditDescription) {
  auto cut = [](std::string_view text) {
    std::string latin = utf8ToLatin1(text);
    if (latin.size() > 45) latin.resize(45);
    return std::string(clipText(latin));
  };
  const std::string debit = cut(debitDescription), credit = cut(creditDescription);
  std::string text = utf8ToLatin1(complement);
  // Each marker's first stand-alone place in the text as typed, replaced
  // from the right so that the places before stay where they were (and a
  // description holding a marker is never expanded in turn).
  std::vector<std::pair<size_t, const char*>> places;
  for (const char* marker : {"cd", "CD", "cc", "CC"}) {
    for (size_t at = text.find(marker); at != std::string::npos; at = text.find(marker, at + 1)) {
      const bool before = at > 0 && wordChar(text[at - 1]);
      const bool after = at + 2 < text.size() && wordChar(text[at + 2]);
      if (before || after) continue;
      places.emplace_back(at, marker);
      break;
    }
  }
  std::sort(places.begin(), places.end(), [](const auto& x, const auto& y) { return x.first > y.first; });
  for (const auto& [at, marker] : places) {
    const std::string& with = marker[1] == 'd' || marker[1] == 'D' ? debit : credit;
    text.replace(at, 2, marker[0] == 'C' ? upperLatin1(with) : with);
  }
  if (text.size() > 500) text.resize(500);
  return latin1ToUtf8(text);
}

JournalScreen::JournalScreen(shell::ScreenServices& services)
    : HostedScreen(services),
      journal_(context_.dictionary.find("Diario")),
      edit_(context_.dictionary.find("Diario2")),
      histories_(context_.dictionary.find("Historico")),
      standards_(context_.dictionary.find("LanPadrao")),
      chart_(context_.dictionary, services.session().state()),
      definition_(journalDefinition()),
      list_(context_, definition_, journal_),
      model_(kJournalProcedure, kJournalTitle),
      strip_(&edit_.def()) {
  const TableDef& d = edit_.def();
  fData_ = d.fieldIndex("Data");
  fNumero_ = d.fieldIndex("Numero");
  fLote_ = d.fieldIndex("Lote");
  fPadrao_ = d.fieldIndex("Padrao");
  fDebito_ = d.fieldIndex("ContaDebito");
  fCredito_ = d.fieldIndex("ContaCredito");
  fHistorico_ = d.fieldIndex("Historico");
  fValorDebito_ = d.fieldIndex("ValorDebito");
  fValorCredito_ = d.fieldIndex("ValorCredito");
  fDocumento_ = d.fieldIndex("Documento");
  fComplemento_ = d.fieldIndex("Complemento");
  fOrigem_ = d.fieldIndex("Origem");
  fEmpresa_ = d.fieldIndex("CodigoEmpresa");
  strip_.clear();
}

Status JournalScreen::open() {
  ProcedureScope procedure(errors_, kJournalProcedure);
  const shell::CurrentCompany company = services_.session().state().company();
  if (company.codigo == 0 || company.ano == 0) {
    warn("Atenção!!! É necessário selecionar uma empresa!!!");
    model_.close();
    return Status::ok();
  }
  // The selected period: its month, or the whole year.
  const int month = company.mes >= 1 && company.mes <= 12 ? company.mes : 0;
  filterStart_ = toDayNumber(company.ano, month == 0 ? 1 : month, 1).value_or(0);
  filterEnd_ = toDayNumber(company.ano, month == 0 ? 12 : month,
                           daysInMonth(company.ano, month == 0 ? 12 : month)).value_or(0);
  list_.variables().set("Loc:DataIniFiltro", FilterValue::date(filterStart_));
  list_.variables().set("Loc:DataFinalFiltro", FilterValue::date(filterEnd_));
  list_.variables().set("DIAE:Lote", FilterValue::text(""));

  Status s = openBound(context_, journal_);
  if (s) s = openBound(context_, edit_);
  if (s) s = list_.open();
  if (!s) {
    model_.close();
    return Status::ok();
  }
  // Lookups that find nothing in a missing file find nothing.
  chart_.open();
  histories_.open(context_.resolve(histories_.def().binding), OpenMode::kReadOnly);
  standards_.open(context_.resolve(standards_.def().binding), OpenMode::kReadOnly);
  loadHistories();
  declareList();
  declareStrip();
  declareKeys();
  model_.setFocus("lista");
  showSelected();
  return Status::ok();
}

void JournalScreen::loadHistories() {
  historyTexts_.clear();
  if (!histories_.isOpen() || !histories_.seekStart(kFileOrder)) return;
  while (histories_.next())
    historyTexts_[histories_.buffer().getInt("HIS:CODIGO")] = latin1ToUtf8(histories_.buffer().getText("HIS:Descricao"));
  histories_.endWalk();
}

std::string JournalScreen::historyText(int64_t code) const {
  auto it = historyTexts_.find(code);
  return it == historyTexts_.end() ? std::string() : it->second;
}

void JournalScreen::declareList() {
  ListBinding binding;
  binding.format = kFormat;
  binding.columnFields = {"DIA:Data",         "DIA:ContaDebito", "DIA:ContaCredito", "DIA:Historico", "",
                          "DIA:Documento",    "DIA:Complemento", "DIA:ValorDebito",  "DIA:ValorCredito",
                          "DIA:Numero",       "DIA:Lote",        "DIA:Padrao",       "DIA:Origem",    ""};
  binding.locatorPrompts = {"", ""};
  binding.cellText = [this](const Record& row, int column) -> std::optional<std::string> {
    if (column == kDescriptionColumn) return historyText(row.getInt("Historico"));
    if (column == kOriginTextColumn) return originText(row.getText("Origem"));
    return std::nullopt;
  };
  binding.rowColours = [](const Record& row) { return RowColours{.text = colourRgb(lineColour(row))}; };
  bindList(model_, list_, binding);
  model_.addControl({.name = "Loc:DataPesquisa",
                     .prompt = "Data:",
                     // No date to go to yet shows blank, not as zeros.
                     .picture = "@d6b",
                     .value = [this] { return std::to_string(searchDate_); },
                     .complete = [this](const std::string& v) { return locateDate(int32_t(leadingNumber(v))); },
                     .state = [this] { return ControlState{true, list_.currentTab() == 0, false}; }});
  model_.addControl({.name = "Loc:DocumentoPesquisa",
                     .prompt = "Documento:",
                     .picture = "@s60",
                     .text = true,
                     .value = [this] { return searchDocument_; },
                     .complete = [this](const std::string& v) { return locateDocument(v); },
                     .state = [this] { return ControlState{true, list_.currentTab() == 1, false}; }});
  model_.addControl({.name = "Loc:Titulo", .kind = ControlKind::kDisplay, .value = [] {
                       return std::string("Lançamentos do período.");
                     }});
  model_.addAfterAction([this] { showSelected(); });
}

Status JournalScreen::locateDate(int32_t day) {
  searchDate_ = day;
  if (list_.currentTab() != 0) list_.selectTab(0);
  return list_.locate(std::to_string(day));
}

Status JournalScreen::locateDocument(const std::string& document) {
  searchDocument_ = document;
  if (list_.currentTab() != 1) list_.selectTab(1);
  return list_.locate(document);
}

Status JournalScreen::applyLotFilter() {
  const std::string lot = utf8ToLatin1(lot_);
  list_.variables().set("DIAE:Lote", FilterValue::text(lot));
  definition_.filter = std::string(kPeriodFilter) + (clipText(lot).empty() ? "" : kLotCondition);
  return list_.refresh();
}

Record JournalScreen::listed(const Record& line) const {
  Record out(&journal_.def());
  out.cells() = line.cells();
  out.setRecordId(line.recordId());
  out.setStamp(line.stamp());
  return out;
}

void JournalScreen::refreshAround(const Record& row) {
  list_.showAround(listed(row));
  shownId_ = -1;  // the strip shows the line now highlighted
}

// The strip follows the highlighted line while nothing is being edited.
void JournalScreen::showSelected() {
  if (mode_ != Mode::kIdle) return;
  const Record* row = list_.selected();
  const int64_t id = row == nullptr ? 0 : row->recordId();
  if (id == shownId_) return;
  shownId_ = id;
  if (row == nullptr) {
    clearStrip();
  } else {
    strip_.cells() = row->cells();
    strip_.setRecordId(row->recordId());
    strip_.setStamp(row->stamp());
    rememberSelected(*row);
  }
  describe();
}

void JournalScreen::rememberSelected(const Record& row) {
  SettingsFiles& ini = services_.session().settings();
  ini.update(kIni, [&row](IniDocument& doc) {
    Status s = doc.set(kIniSection, "Data", std::to_string(row.getInt("Data")));
    if (s) s = doc.set(kIniSection, "CDebito", latin1ToUtf8(row.getText("ContaDebito")));
    if (s) s = doc.set(kIniSection, "CCredito", latin1ToUtf8(row.getText("ContaCredito")));
    return s;
  });
}

void JournalScreen::declareKeys() {
  model_.addKey({.name = "Esc", .scope = "lista", .action = [this] { model_.requestClose(); }});
  model_.addKey({.name = "Esc", .action = [this] {
                   if (model_.focus() == "lista") model_.requestClose();
                   else cancel();
                 }});
  model_.addKey({.name = "F4", .scope = "DIAE:Padrao", .action = [this] { lookupStandard(); }});
  model_.addKey({.name = "F4", .scope = "DIAE:ContaDebito", .action = [this] { lookupAccount(true); }});
  model_.addKey({.name = "F4", .scope = "DIAE:ContaCredito", .action = [this] { lookupAccount(false); }});
  model_.addKey({.name = "F4", .scope = "DIAE:Historico", .action = [this] { lookupHistory(); }});
  for (const char* field : {"DIAE:Data", "DIAE:Numero", "DIAE:Lote", "DIAE:Padrao", "DIAE:ContaDebito",
                            "DIAE:ContaCredito", "DIAE:Historico", "DIAE:ValorDebito", "DIAE:ValorCredito",
                            "DIAE:Documento", "DIAE:Complemento", "&Cancela"}) {
    model_.addKey({.name = "Down", .scope = field, .action = [this] { moveFocus(1); }});
    model_.addKey({.name = "Up", .scope = field, .action = [this] { moveFocus(-1); }});
  }
}

}  // namespace vorlam::ledger
