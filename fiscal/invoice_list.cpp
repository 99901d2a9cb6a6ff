#include "fiscal/invoice_list.h"

#include "fiscal/invoice_form.h"
#include "framework/screen_binding.h"
#include "shell/shell_screens.h"
#include "storage/text.h"

namespace vorlam::fiscal {

namespace {

constexpr uint16_t kMsgOpenFailed = 26;

// The filter of the number tab over the selected period.
constexpr char kPeriodFilter[] = "({p}DataLancamento >= Loc:DataInicial and {p}DataLancamento <= Loc:DataFinal)";

struct Column {
  const char* header;
  const char* picture;
  const char* field;  // without prefix; "" for a computed column
  int width;
  char align;
};

// In the order of the list; the description and the CNPJ / CPF are computed.
constexpr int kDescriptionColumn = 5;
constexpr int kInscriptionColumn = 7;

std::vector<Column> columns() {
  std::vector<Column> c = {
      {"Número", "@n7", "Numero", 32, 'R'},
      {"Data Lançamento", "@d06B", "DataLancamento", 44, 'L'},
      {"Série", "@s5", "Serie", 24, 'L'},
      {"Cfop", "@n04", "CodigoFiscal", 24, 'R'},
      {"Comp.", "@s10", "Turbo", 32, 'L'},
      {"Descricao", "@s60", "", 160, 'L'},
      {"Valor Contábil", "@n-15.2", "ValorContabil", 60, 'R'},
      {"CNPJ / CPF", "@s20", "", 76, 'L'},
      {"Espécie", "@s5", "Especie", 28, 'L'},
      {"Data Emissão", "@d06B", "DataEmissao", 44, 'L'},
      {"Turbo", "@s10", "Turbo", 32, 'L'},
      {"Base Calculo IPI", "@n-15.2", "BaseCalculoIPI", 60, 'R'},
      {"Isentos IPI", "@n-15.2", "IsentosIPI", 60, 'R'},
      {"Outras IPI", "@n-15.2", "OutrasIPI", 60, 'R'},
      {"Valor IPI", "@n-15.2", "ImpostoIPI", 60, 'R'},
      {"Obs IPI", "@n-15.2", "ObsIPI", 60, 'R'},
      {"Obs ICMS", "@n-15.2", "ObsICMS", 60, 'R'},
  };
  static const char* const kFields[4][5] = {{"BaseCalculo1", "Aliquota1", "ICMS1", "Isentos1", "Outros1"},
                                            {"BaseCalculo2", "Aliquota2", "ICMS2", "Isentos2", "Outros2"},
                                            {"BaseCalculo3", "Aliquota3", "ICMS3", "Isentos3", "Outros3"},
                                            {"BaseCalculo4", "Aliquota4", "ICMS4", "Isentos4", "Outros4"}};
  for (const auto& line : kFields) {
    c.push_back({"Base Calculo", "@n-15.2", line[0], 60, 'R'});
    c.push_back({"Aliquota", "@n-8.4", line[1], 36, 'R'});
    c.push_back({"ICMS", "@n-11.2", line[2], 48, 'R'});
    c.push_back({"Isentos", "@n-15.2", line[3], 60, 'R'});
    c.push_back({"Outros", "@n-15.2", line[4], 60, 'R'});
  }
  return c;
}

std::string withPrefix(std::string text, const std::string& prefix) {
  for (size_t at = text.find("{p}"); at != std::string::npos; at = text.find("{p}"))
    text.replace(at, 3, prefix);
  return text;
}

ListDefinition definitionOf(const InvoiceKind& k) {
  ListDefinition d;
  d.procedure = k.listProcedure;
  d.title = k.listTitle;
  const char* numberKey = k.side == InvoiceSide::kEntry ? "REG:KEY:ENTRADA" : "REGS:KEY:NUMEROSERIE";
  // The date is typed into the locator as the list shows it.
  d.tabs = {{"&Data de Lançamento", k.f("KEY:DATANUMERO"), k.f("DataLancamento"), "", 0, "", "@d06b"},
            {"&Número NF", numberKey, k.f("Numero"), "", 0, withPrefix(kPeriodFilter, k.p)}};
  d.deleteThroughForm = true;
  return d;
}

std::string textOf(const Record& r, const std::string& field) {
  const int index = r.def().fieldIndex(field);
  if (index < 0) return {};
  if (r.def().fields[size_t(index)].typeSpec.type == FieldType::kString) return latin1ToUtf8(r.getText(index));
  return r.getAsText(index);
}

}  // namespace

InvoiceList::InvoiceList(shell::ScreenServices& services, const InvoiceKind& kind)
    : HostedScreen(services),
      kind_(kind),
      definition_(definitionOf(kind)),
      table_(context_.dictionary.find(kind.table)),
      model_(kind.listProcedure, kind.listTitle) {}

InvoiceList::~InvoiceList() = default;

Status InvoiceList::open() {
  ProcedureScope procedure(errors_, kind_.listProcedure);
  if (services_.session().state().company().codigo == 0 && !shell::selectCompanyOver(services_, model_)) {
    model_.close();
    return Status::ok();
  }
  const shell::CurrentCompany company = services_.session().state().company();
  period_ = selectedPeriod(company);
  const std::string path = context_.resolve(table_.def().binding);
  if (Status s = table_.open(path, OpenMode::kShared); !s) {
    errors_.throwFile(kMsgOpenFailed, path, s);
    model_.close();
    return Status::ok();
  }
  lookups_ = std::make_unique<InvoiceLookups>(context_, company.uf);
  posting_ = std::make_unique<PostingLookup>(services_.session().dictionary(), services_.session().state());
  list_ = std::make_unique<ListController>(context_, definition_, table_);
  list_->variables().set("Loc:DataInicial", FilterValue::date(period_.first));
  list_->variables().set("Loc:DataFinal", FilterValue::date(period_.last));
  if (Status s = list_->open(); !s) {
    model_.close();
    return s;
  }
  list_->setFormOpener([this](Request r, const Record*) { return runForm(r); });
  declare();
  model_.setFocus("lista");
  follow();
  return Status::ok();
}

void InvoiceList::declare() {
  // Each column: width, alignment, header and picture ("32R(2)|M~Número~C(0)@n7@").
  std::string format;
  std::vector<std::string> fields;
  for (const Column& c : columns()) {
    format += std::to_string(c.width) + c.align + "(2)|M~" + c.header + "~" + (c.align == 'R' ? "C(0)" : "") +
              c.picture + "@";
    fields.push_back(*c.field ? kind_.f(c.field) : std::string());
  }
  ListBinding binding;
  binding.format = format;
  binding.columnFields = fields;
  binding.locatorPrompts = {"Data Lançamento:", "Número NF:"};
  binding.cellText = [this](const Record& row, int column) -> std::optional<std::string> {
    if (column == kDescriptionColumn)
      return lookups_->cfopDescription(row.getInt(kind_.f("CodigoFiscal")), textOf(row, kind_.f("Turbo")));
    if (column == kInscriptionColumn) {
      std::optional<InvoiceParty> p =
          lookups_->party(row.getInt(kind_.f("CodigoForCli")), textOf(row, kind_.f("Inscricao")));
      return p ? p->inscription : std::string();
    }
    return std::nullopt;
  };
  bindList(model_, *list_, binding);
  declarePanel();
  model_.addButton({.caption = "&Altera", .press = [this] { list_->request(Request::kChange); },
                    .enabled = [this] { return list_->selected() != nullptr; },
                    .isDefault = [] { return true; }});
  model_.addButton({.caption = "&Exclui", .press = [this] { list_->request(Request::kDelete); },
                    .enabled = [this] { return list_->selected() != nullptr; }});
  model_.addButton({.caption = "&Visualiza", .press = [this] { list_->request(Request::kView); },
                    .enabled = [this] { return list_->selected() != nullptr; }});
  model_.addButton({.caption = "&Fecha", .press = [this] { model_.requestClose(); }});
  model_.addKey({.name = "Enter", .scope = "lista", .action = [this] { list_->request(Request::kChange); }});
  model_.addAfterAction([this] { follow(); });
}

std::string InvoiceList::value(const char* field) const {
  return shown_ ? textOf(*shown_, kind_.f(field)) : std::string();
}

void InvoiceList::declarePanel() {
  struct Shown {
    const char* field;
    const char* prompt;
    const char* picture;
  };
  for (const Shown& s : {Shown{"ValorContabil", "Valor Contábil", "@n-15.2"},
                         Shown{"BaseCalculo1", "Base Cálculo", "@n-15.2"}, Shown{"ICMS1", "ICMS", "@n-11.2"},
                         Shown{"Isentos1", "Isentos", "@n-15.2"}, Shown{"Outros1", "Outros", "@n-15.2"},
                         Shown{"ImpostoIPI", "IPI", "@n-15.2"}, Shown{"Vista", "Valor à Vista", "@n-15.2"}}) {
    const std::string field = s.field;
    model_.addControl({.name = "LOC:" + field,
                       .prompt = s.prompt,
                       .kind = ControlKind::kDisplay,
                       .picture = s.picture,
                       .value = [this, field] { return value(field.c_str()); }});
  }
  model_.addControl({.name = "LOC:NomeFornecedor", .prompt = kind_.side == InvoiceSide::kEntry ? "Fornecedor" : "Cliente",
                     .kind = ControlKind::kDisplay, .value = [this] { return partyName_; }});
  model_.addControl({.name = "LOC:TotalValorContabil", .prompt = "Total Vlr Contábil", .kind = ControlKind::kDisplay,
                     .picture = "@n-15.2", .value = [this] { return total_.toString(); }});
  model_.addControl({.name = "LOC:IntegracaoContabil", .kind = ControlKind::kDisplay,
                     .value = [] { return std::string("Integração Contábil"); }});
  for (size_t g = 0; g < kind_.groups.size(); ++g) {
    if (kind_.groups[g].listLabel.empty()) continue;
    model_.addControl({.name = kind_.groups[g].label, .prompt = kind_.groups[g].listLabel,
                       .kind = ControlKind::kDisplay,
                       .value = [this, g] { return g < labels_.size() ? labels_[g] : std::string(); }});
  }
}

// The panel follows the highlighted invoice; the total follows the tab.
void InvoiceList::follow() {
  if (list_->currentTab() != totalTab_) fillTotal();
  const Record* row = list_->selected();
  const int64_t id = row == nullptr ? 0 : row->recordId();
  if (id == shownId_) return;
  shownId_ = id;
  if (row == nullptr) {
    shown_.reset();
    partyName_.clear();
    labels_.assign(kind_.groups.size(), std::string());
    return;
  }
  shown_ = *row;
  std::optional<InvoiceParty> p = lookups_->party(row->getInt(kind_.f("CodigoForCli")), textOf(*row, kind_.f("Inscricao")));
  partyName_ = p ? p->name : std::string();
  labels_ = lookups_->labels(kind_, *row, {});
}

// Every invoice the current tab lists, read through a table of its own so
// that the list's walk stays where it is.
void InvoiceList::fillTotal() {
  totalTab_ = list_->currentTab();
  total_ = Decimal::fromUnits(0, 2);
  Table walk(&table_.def());
  if (!walk.open(table_.path(), OpenMode::kReadOnly) || !walk.seekStart(kFileOrder)) return;
  const int date = walk.def().fieldIndex(kind_.f("DataLancamento"));
  const int value = walk.def().fieldIndex(kind_.f("ValorContabil"));
  while (walk.next()) {
    const int32_t day = int32_t(walk.buffer().getInt(date));
    if (totalTab_ == 1 && !period_.contains(day)) continue;
    if (std::optional<Decimal> sum = total_.plus(walk.buffer().getDecimal(value))) total_ = *sum;
  }
}

bool InvoiceList::runForm(Request request) {
  const Record* row = list_->selected();
  if (row == nullptr) return false;
  const bool checked = postingAccountsChecked(services_.session().settings(), services_.session().state().dataRoot());
  InvoiceForm form(services_, context_, kind_, table_, request, *lookups_, *posting_, checked);
  if (form.open(row->recordId()) != FormState::kOpen) return false;
  model_.runChild(form.screen());
  shownId_ = -1;  // the integration may have changed
  totalTab_ = -1;
  return form.changed();
}

}  // namespace vorlam::fiscal
