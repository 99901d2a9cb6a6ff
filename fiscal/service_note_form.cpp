#include "fiscal/service_note_form.h"

#include "fiscal/service_note_integration.h"
#include "fiscal/service_note_labels.h"
#include "storage/text.h"

namespace vorlam::fiscal {

namespace {

constexpr char kMoney[] = "@n-15.2";

struct NoteField {
  const char* name;  // without prefix
  const char* prompt;
  const char* picture;
  bool model51 = true;
  bool model53 = true;
};

// The note as the form shows it, in tab order.
constexpr NoteField kNoteFields[] = {
    {"Data", "Data da Nota:", "@d06b"},
    {"Especie", "Espécie:", "@s5"},
    {"Serie", "Série:", "@s5"},
    {"Numero", "Número:", "@n7"},
    {"Ate", "Até:", "@n7"},
    {"Cancelada", "Tipo de NF:", ""},
    {"Inscricao", "Inscrição:", "@s20"},
    {"CodServico", "Código do Serviço:", "@n6"},
    {"SubCodServico", "Sub Código:", "@n3"},
    {"Observacao", "Observação:", "@s200"},
    {"ValorNota", "Valor da Nota:", kMoney},
    {"Materias", "Materiais:", kMoney, false, true},
    {"Empreitadas", "Empreitadas:", kMoney, false, true},
    {"Aliquota", "Alíquota:", "@n-8.4"},
    {"ValorImposto", "Imposto:", kMoney},
    {"BaseCalculo", "Base de Cálculo:", kMoney},
    {"Isentas", "Isentas:", kMoney},
    {"Remessas", "Remessas:", kMoney},
    {"ISSRF", "ISS Retido:", kMoney},
    {"IRF", "IRRF:", kMoney},
    {"INSSRF", "INSS Retido:", kMoney, true, false},
    {"Vista", "Valor à Vista:", kMoney},
};

// The fields with a "Liga / Desliga" toggle beside them, and its name.
struct Toggle {
  const char* field;
  const char* name;
};
constexpr Toggle kToggles[] = {{"ValorImposto", "LOC:LigaImposto"},
                               {"BaseCalculo", "LOC:LigaBase"},
                               {"ISSRF", "LOC:LigaISSRF"},
                               {"IRF", "LOC:LigaIRRF"}};

bool shownIn(const NoteField& f, const ServiceNoteLayout& l) { return l.model51 ? f.model51 : f.model53; }

FormDefinition noteFormDefinition(const ServiceNoteLayout& l) {
  FormDefinition d;
  d.procedure = l.formProcedure;
  d.title = l.formTitle;
  d.insertCaption = d.changeCaption = d.deleteCaption = l.formTitle;
  for (const NoteField& f : kNoteFields)
    if (shownIn(f, l)) d.fields.push_back(l.field(f.name));
  return d;
}

// Whatever the list asked, the form only shows the note: change keeps the
// integration buttons writing, anything else views.
Request noteRequest(Request r) { return r == Request::kChange ? Request::kChange : Request::kView; }

}  // namespace

ServiceNoteForm::ServiceNoteForm(ScreenContext& context, const ServiceNoteLayout& layout, Table& table,
                                 Request request, NoteReferences& references, PostingLookup& lookup,
                                 shell::ScreenServices& services)
    : ctx_(context),
      layout_(layout),
      table_(table),
      references_(references),
      lookup_(lookup),
      services_(services),
      definition_(noteFormDefinition(layout)),
      form_(context, definition_, table, noteRequest(request)),
      model_(layout.formProcedure, layout.formTitle),
      labels_(layout.groups.size()),
      toggles_(std::size(kToggles), 0),
      instalmentTable_(context.dictionary.find(layout.instalments)),
      lines_(context.dictionary.find(layout.table)) {}

FormState ServiceNoteForm::open(int64_t recordId) {
  const FormState state = form_.openRecord(recordId);
  if (state != FormState::kOpen) return state;
  for (int f : form_.shownFields()) form_.setReadOnly(f, true);
  client_ = references_.clientName(form_.record().getText(field("Inscricao")));
  computeLabels(true);
  loadInstalments();
  declareScreen();
  return state;
}

void ServiceNoteForm::computeLabels(bool fresh) {
  // After an integration form the note is read as it now stands.
  Record note = form_.record();
  if (!fresh && table_.getById(form_.recordId())) note = table_.buffer();
  const std::optional<Record> code = references_.serviceCode(note.getInt(layout_.field("CodServico")));
  for (size_t g = 0; g < layout_.groups.size(); ++g)
    labels_[g] = noteLabel(layout_.groups[g], note, code, fresh ? std::string() : labels_[g]);
}

void ServiceNoteForm::declareScreen() {
  auto tab = [this](const char* caption, int n) {
    return ScreenTab{.caption = caption, .current = [this, n] { return tab_ == n; }, .select = [this, n] { tab_ = n; }};
  };
  model_.addTab(tab(kNoteTab, kNoteTabIndex));
  model_.addTab(tab(kInstalmentTab, kInstalmentTabIndex));
  model_.addControl({.name = "LOC:Cabecalho", .kind = ControlKind::kDisplay, .tab = kNoteTabIndex,
                     .value = [this] { return layout_.formHeading; }});
  declareNoteFields();
  declareGroups();
  declareInstalments();
  declareButtons();
  model_.setCloseRequest([this] { return form_.cancel() != FormState::kOpen; });
}

void ServiceNoteForm::declareNoteFields() {
  for (const NoteField& f : kNoteFields) {
    if (!shownIn(f, layout_)) continue;
    const std::string name = layout_.field(f.name);
    FormFieldBinding b{.field = name, .prompt = f.prompt, .picture = f.picture, .tab = kNoteTabIndex};
    if (std::string_view(f.name) == "Cancelada") {
      b.kind = ControlKind::kDropList;
      b.choices = ruleChoices(table_.def(), name);
    }
    bindForm(model_, form_, {b});
    for (size_t t = 0; t < std::size(kToggles); ++t)
      if (std::string_view(kToggles[t].field) == f.name) declareToggle(kToggles[t].name, name);
    if (std::string_view(f.name) == "Inscricao") {
      model_.addControl({.name = "LOC:Cliente", .prompt = "Cliente:", .kind = ControlKind::kDisplay,
                         .tab = kNoteTabIndex, .value = [this] { return client_; }});
      model_.addButton({.name = "Pesquisa_Cliente", .tip = "Pesquisa cliente", .tab = kNoteTabIndex,
                        .enabled = [] { return false; }});
    }
    if (std::string_view(f.name) == "SubCodServico")
      model_.addButton({.name = "Pesquisa_Servico", .tip = "Pesquisa código do serviço", .tab = kNoteTabIndex,
                        .enabled = [] { return false; }});
  }
  model_.addButton({.caption = "&Calcula", .tip = "Calcula os impostos", .tab = kNoteTabIndex,
                    .enabled = [] { return false; }});
}

void ServiceNoteForm::declareToggle(const char* name, const std::string& field) {
  const size_t t = size_t(std::find_if(std::begin(kToggles), std::end(kToggles),
                                       [name](const Toggle& x) { return std::string_view(x.name) == name; }) -
                          std::begin(kToggles));
  const int f = form_.fieldIndex(field);
  model_.addControl({.name = name,
                     .prompt = "Liga / Desliga",
                     .kind = ControlKind::kCheckBox,
                     .tab = kNoteTabIndex,
                     .value = [this, t] { return std::string(toggles_[t] ? "1" : "0"); },
                     .complete = [this, t, f](const std::string& v) {
                       toggles_[t] = v == "1";
                       form_.setEnabled(f, !toggles_[t]);
                       return Status::ok();
                     }});
}

void ServiceNoteForm::declareGroups() {
  for (size_t g = 0; g < layout_.groups.size(); ++g) {
    const NoteGroup& group = layout_.groups[g];
    // The four stand in one row: each names its group.
    model_.addButton({.caption = group.buttonCaption,
                      .name = group.button,
                      .tip = group.caption,
                      .tab = kNoteTabIndex,
                      .press = [this, g] { openIntegration(g); }});
    model_.addControl({.name = group.label, .prompt = group.labelPrompt, .kind = ControlKind::kDisplay,
                       .tab = kNoteTabIndex, .value = [this, g] { return labels_[g]; }});
  }
}

void ServiceNoteForm::openIntegration(size_t group) {
  {
    ServiceNoteIntegration integration(ctx_, layout_, table_, form_.request(), group, lookup_, services_);
    if (integration.open(form_.recordId()) == FormState::kOpen) model_.runChild(integration.screen());
  }
  computeLabels(false);
  const bool last = group + 1 == layout_.groups.size();
  model_.setFocus(last ? "&OK" : layout_.groups[group + 1].button);
}

void ServiceNoteForm::declareButtons() {
  auto finish = [this](FormState state) {
    if (state != FormState::kOpen) model_.close();
  };
  model_.addButton({.caption = "&OK", .press = [this, finish] { finish(form_.ok()); },
                    .isDefault = [] { return true; }});
  model_.addButton({.caption = "&Cancela", .press = [this, finish] { finish(form_.cancel()); }});
  model_.addKey({.name = "Esc", .action = [this] { model_.requestClose(); }});
}

}  // namespace vorlam::fiscal
