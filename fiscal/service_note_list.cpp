#include "fiscal/service_note_list.h"

#include <cstdlib>

#include "fiscal/service_note_form.h"
#include "fiscal/service_note_labels.h"
#include "framework/screen_binding.h"
#include "shell/shell_screens.h"
#include "storage/text.h"

namespace vorlam::fiscal {

namespace {

constexpr uint16_t kMsgOpenFailed = 26;
constexpr char kTotalPicture[] = "@n-15.2";

// The columns of both lists; the fields are the model's (prefix added).
constexpr char kFormat[] =
    "36R(2)|_M~Número~C(0)@n7@44R(2)|_M~Data~C(0)@d06B@24L(2)|_M~Série~@s5@24L(2)|_M~Espécie~@s5@"
    "40R(2)|_M~Cód. Serviço~C(0)@n6@80L(2)|_M~Inscrição~@s20@60R(2)|_M~Valor da Nota~C(0)@n-15.2@"
    "60R(2)|_M~ISS~C(0)@n-15.2@60R(2)|_M~ISS Fonte~C(0)@n-15.2@60R(2)|_M~IRRF~C(0)@n-15.2@"
    "60R(2)|_M~Vlr à Vista~C(0)@n-15.2@";
constexpr const char* kColumns[] = {"Numero",     "Data",       "Serie", "Especie", "CodServico", "Inscricao",
                                    "ValorNota", "ValorImposto", "ISSRF", "IRF",     "Vista"};

ListDefinition noteListDefinition(const ServiceNoteLayout& l) {
  ListDefinition d;
  d.procedure = l.listProcedure;
  d.title = l.listTitle;
  const std::string p = l.prefix.substr(0, l.prefix.size() - 1);  // "ISS"
  if (l.model51) {
    d.tabs.push_back({"&Por Número  das Notas", "ISS:KEY:NUMERO_NF", "", "", 0, ""});
    d.tabs.push_back({"Por &Código do Serviço", "ISS:KEY:CODIGO", "", "", 0, ""});
  } else {
    d.tabs.push_back({"Número da Nota", "ISS53:KEY:NUMERO_NF", "", "", 0, ""});
  }
  d.filter = "(" + p + ":Data => Loc:DataInicial And " + p + ":Data <= Loc:DataFinal)";
  return d;
}

std::string money(const Decimal& d) { return d.toString(); }

}  // namespace

ServiceNoteList::ServiceNoteList(shell::ScreenServices& services, const ServiceNoteLayout& layout)
    : HostedScreen(services),
      layout_(layout),
      model_(layout.listProcedure, layout.listTitle),
      definition_(noteListDefinition(layout)),
      table_(context_.dictionary.find(layout.table)),
      search_(context_.dictionary.find(layout.table)),
      references_(context_),
      lookup_(services.session().dictionary(), services.session().state()),
      labels_(layout.groups.size()) {}

Status ServiceNoteList::open() {
  if (services_.session().state().company().codigo == 0 && !shell::selectCompanyOver(services_, model_)) {
    model_.close();
    return Status::ok();
  }
  ProcedureScope procedure(errors_, layout_.listProcedure);
  range_ = selectedPeriod(services_.session().state().company());
  list_ = std::make_unique<ListController>(context_, definition_, table_);
  list_->variables().set("Loc:DataInicial", FilterValue::date(range_.first));
  list_->variables().set("Loc:DataFinal", FilterValue::date(range_.last));
  const std::string path = context_.resolve(table_.def().binding);
  Status s = table_.open(path, OpenMode::kShared);
  if (s) s = search_.open(path, OpenMode::kReadOnly);
  if (!s) {
    errors_.throwFile(kMsgOpenFailed, path, s);
    model_.close();
    return Status::ok();
  }
  if (s = list_->open(); !s) {
    model_.close();
    return Status::ok();
  }
  computeTotals();
  declare();
  showSelected();
  return Status::ok();
}

Status ServiceNoteList::computeTotals() {
  totals_ = {};
  const TableDef& d = search_.def();
  const int date = d.fieldIndex(layout_.field("Data"));
  const int value = d.fieldIndex(layout_.field("ValorNota"));
  const int source = d.fieldIndex(layout_.field("ISSRF"));
  const int income = d.fieldIndex(layout_.field("IRF"));
  // The date leads this key: the walk starts at the first day listed.
  const int key = d.keyIndex(layout_.model51 ? "ISS:KEY:DATA" : "ISS53:Key:Data");
  int64_t notes = 0, issSource = 0, incomeTax = 0;  // cents
  search_.buffer().clear();
  search_.buffer().setInt(date, range_.first);
  Status s = search_.seek(key);
  while (s && range_.first != 0) {
    s = search_.next();
    if (!s) break;
    const Record& r = search_.buffer();
    if (r.getInt(date) > range_.last) break;
    notes += r.getDecimal(value).units();
    issSource += r.getDecimal(source).units();
    incomeTax += r.getDecimal(income).units();
  }
  totals_ = {Decimal::fromUnits(notes, 2), Decimal::fromUnits(issSource, 2), Decimal::fromUnits(incomeTax, 2)};
  return s.is(StatusCode::kNotFound) ? Status::ok() : s;
}

void ServiceNoteList::declare() {
  ListBinding binding;
  binding.format = kFormat;
  for (const char* c : kColumns) binding.columnFields.push_back(layout_.field(c));
  binding.locatorPrompts.assign(size_t(list_->tabCount()), "");
  bindList(model_, *list_, binding);
  model_.setFocus("lista");
  declareBelow();
  declareButtons();
  model_.addAfterAction([this] { showSelected(); });
}

void ServiceNoteList::declareBelow() {
  if (layout_.model51) {
    model_.addControl({.name = "LOC:PesquisaNumero",
                       .prompt = "Pesquisa número NF......",
                       .picture = "@n7.b",
                       .value = [this] { return std::to_string(searchNumber_); },
                       .complete = [this](const std::string& v) { return search(v); }});
  }
  model_.addControl({.name = "LOC:Cliente", .prompt = "Cliente...", .kind = ControlKind::kDisplay,
                     .value = [this] { return client_; }});
  for (size_t g = 0; g < layout_.groups.size(); ++g) {
    const NoteGroup& group = layout_.groups[g];
    if (!group.listed) continue;
    model_.addControl({.name = group.label, .prompt = group.labelPrompt, .kind = ControlKind::kDisplay,
                       .value = [this, g] { return labels_[g]; }});
  }
  auto total = [this](const char* name, const char* prompt, Decimal Totals::*member) {
    model_.addControl({.name = name, .prompt = prompt, .kind = ControlKind::kDisplay, .picture = kTotalPicture,
                       .value = [this, member] { return money(totals_.*member); }});
  };
  total("LOC:TotalNotas", "Notas", &Totals::notes);
  total("LOC:TotalISSFonte", "ISS Fonte", &Totals::issSource);
  total("LOC:TotalIRRF", "IRRF", &Totals::incomeTax);
}

void ServiceNoteList::declareButtons() {
  auto onRow = [this] { return list_->selected() != nullptr; };
  model_.addButton({.caption = "&Altera",
                    .press = [this] { openForm(Request::kChange); },
                    .enabled = onRow,
                    .isDefault = [] { return true; }});
  model_.addButton({.caption = "&Visualiza", .press = [this] { openForm(Request::kView); }, .enabled = onRow});
  model_.addButton({.caption = "&Fecha", .press = [this] { model_.requestClose(); }});
  model_.addKey({.name = "Esc", .action = [this] { model_.requestClose(); }});
}

void ServiceNoteList::showSelected() {
  const Record* row = list_->selected();
  const int64_t id = row == nullptr ? 0 : row->recordId();
  if (id == shownId_) return;
  shownId_ = id;
  client_.clear();
  for (std::string& l : labels_) l.clear();
  if (row == nullptr) return;
  client_ = references_.clientName(row->getText(layout_.field("Inscricao")));
  const std::optional<Record> code = references_.serviceCode(row->getInt(layout_.field("CodServico")));
  // Each note's labels start blank: another note's label never stands for it.
  for (size_t g = 0; g < layout_.groups.size(); ++g) labels_[g] = noteLabel(layout_.groups[g], *row, code, "");
}

Status ServiceNoteList::search(const std::string& typed) {
  searchNumber_ = std::atoll(typed.c_str());
  if (searchNumber_ == 0) return Status::ok();
  const TableDef& d = search_.def();
  const int number = d.fieldIndex(layout_.field("Numero"));
  const int date = d.fieldIndex(layout_.field("Data"));
  search_.buffer().clear();
  search_.buffer().setInt(number, searchNumber_);
  Status s = search_.seek(d.keyIndex(layout_.field("KEY:NUMERO_NF")));
  while (s && (s = search_.next())) {
    const Record& r = search_.buffer();
    if (r.getInt(number) != searchNumber_) break;
    if (!range_.contains(int32_t(r.getInt(date)))) continue;
    list_->showAround(r);
    shownId_ = -1;
    model_.setFocus("lista");
    return Status::ok();
  }
  model_.beep();
  errors_.message(kNoteNotFound, "Atenção!!!", MessageIcon::kExclamation, kButtonOk, kButtonOk);
  return Status(StatusCode::kNotFound, kNoteNotFound);
}

void ServiceNoteList::openForm(Request request) {
  const Record* selected = list_->selected();
  if (selected == nullptr) return;
  const Record row = *selected;
  ServiceNoteForm form(context_, layout_, table_, request, references_, lookup_, services_);
  if (form.open(row.recordId()) == FormState::kOpen) model_.runChild(form.screen());
  list_->showAround(row);
  shownId_ = -1;
  showSelected();
}

}  // namespace vorlam::fiscal
