#include "fiscal/invoice_form.h"

#include "fiscal/invoice_integration.h"
#include "storage/text.h"

namespace vorlam::fiscal {

namespace {

constexpr uint16_t kMsgRecordLost = 1;

std::string textOf(const Record& r, const std::string& field) {
  const int index = r.def().fieldIndex(field);
  if (index < 0) return {};
  if (r.def().fields[size_t(index)].typeSpec.type == FieldType::kString) return latin1ToUtf8(clipText(r.getText(index)));
  return r.getAsText(index);
}

const char* const kSummaryPrompts[] = {"Total duplicatas........",    "(+) Soma da NF.........",
                                       "(-) Vlr pago a vista.....",  "(-) Vlr das duplicatas..",
                                       "(=) Diferença............",  "(-) V.à vista deste lanc....",
                                       "(=) Diferença............."};

}  // namespace

InvoiceForm::InvoiceForm(shell::ScreenServices& services, ScreenContext& context, const InvoiceKind& kind,
                         Table& invoices, Request request, InvoiceLookups& lookups, PostingLookup& posting,
                         bool checked)
    : services_(services),
      ctx_(context),
      kind_(kind),
      invoices_(invoices),
      request_(request),
      lookups_(lookups),
      posting_(posting),
      checked_(checked),
      invoice_(&invoices.def()),
      instalments_(context, kind),
      model_(kind.formProcedure, kind.formTitle) {}

std::string InvoiceForm::caption() const {
  switch (request_) {
    case Request::kInsert: return kind_.insertCaption;
    case Request::kChange: return kind_.changeCaption;
    case Request::kDelete: return kind_.deleteCaption;
    case Request::kView: break;
  }
  return std::string(kViewCaption);
}

bool InvoiceForm::read() {
  Status s = invoices_.getById(id_);
  if (!s) {
    ProcedureScope scope(ctx_.errors, kind_.formProcedure);
    ctx_.errors.throwFile(kMsgRecordLost, invoices_.path(), s);
    return false;
  }
  invoice_ = invoices_.buffer();
  std::optional<InvoiceParty> p = lookups_.party(invoice_.getInt(kind_.f("CodigoForCli")), textOf(invoice_, kind_.f("Inscricao")));
  partyName_ = p ? p->name : std::string();
  partyCity_ = p ? p->city : std::string();
  cfopDescription_ = lookups_.cfopDescription(invoice_.getInt(kind_.f("CodigoFiscal")), textOf(invoice_, kind_.f("Turbo")));
  return true;
}

FormState InvoiceForm::open(int64_t recordId) {
  id_ = recordId;
  if (!read()) return FormState::kClosed;
  labels_ = lookups_.labels(kind_, invoice_, {});
  if (!instalments_.open(invoice_)) return FormState::kClosed;
  model_.setTitle([this] { return caption(); });
  model_.addTab({.caption = kind_.mainTab, .current = [this] { return tab_ == 0; }, .select = [this] { tab_ = 0; }});
  model_.addTab({.caption = "Lançamento à &Prazo", .current = [this] { return tab_ == 1; }, .select = [this] { tab_ = 1; }});
  declareInvoice();
  declareIntegration();
  declareInstalments();
  summarise();
  model_.addButton({.caption = "&Fecha", .press = [this] { model_.close(); }});
  model_.addKey({.name = "Esc", .action = [this] { model_.close(); }});
  model_.setFocus(kind_.f("DataLancamento"));
  return FormState::kOpen;
}

void InvoiceForm::shownField(const std::string& field, const std::string& prompt, const std::string& picture,
                             ControlKind kind) {
  if (invoice_.def().fieldIndex(field) < 0) return;
  const bool text = invoice_.def().fields[size_t(invoice_.def().fieldIndex(field))].typeSpec.type == FieldType::kString;
  model_.addControl({.name = field,
                     .prompt = prompt,
                     .kind = kind,
                     .picture = picture,
                     .tab = 0,
                     .text = text,
                     .value = [this, field] { return textOf(invoice_, field); },
                     .complete = [](const std::string&) { return Status::ok(); },
                     .state = [] { return ControlState{true, true, true}; }});
}

void InvoiceForm::declareInvoice() {
  model_.addControl({.name = "LOC:Cabecalho", .kind = ControlKind::kDisplay, .tab = 0,
                     .value = [this] { return kind_.formHeading; }});
  const std::string& p = kind_.p;
  shownField(p + "DataLancamento", "Data Lançamento:", "@d06b");
  shownField(p + "DataEmissao", "Data Emissão:", "@d06b");
  shownField(p + "Especie", "Espécie:", "@s5");
  shownField(p + "Serie", "Série:", "@s5");
  shownField(p + "Numero", "Número:", "@n7");
  shownField(p + "AteNumero", "Até Número:", "@n7");
  shownField(p + "Talao", "Talão:", "@n5");
  shownField(p + "Inscricao", "Inscrição:", "@s20");
  model_.addButton({.name = "PesquisaFornecedor", .tip = "Pesquisa", .tab = 0, .enabled = [] { return false; }});
  shownField(p + "CodigoForCli", "Código:", "@n6");
  model_.addControl({.name = "LOC:NomeFornecedor", .kind = ControlKind::kDisplay, .tab = 0,
                     .value = [this] { return partyName_; }});
  model_.addControl({.name = "LOC:MunicipioFornecedor", .prompt = "Município:", .kind = ControlKind::kDisplay,
                     .tab = 0, .value = [this] { return partyCity_; }});
  shownField(p + "Estado", "UF:", "@s2");
  shownField(p + "Municipio", "Município da operação:", "@s60");
  shownField(p + "EstadoIFrete", "UF do frete:", "@s2");
  shownField(p + "MunicipioIFrete", "Município do frete:", "@s25");
  shownField(p + "CodigoFiscal", "CFOP:", "@n04");
  shownField(p + "Turbo", "Complemento:", "@s10");
  model_.addButton({.name = "PesquisaCFOP", .tip = "Pesquisa", .tab = 0, .enabled = [] { return false; }});
  model_.addControl({.name = "LOC:DescricaoCFOP", .kind = ControlKind::kDisplay, .tab = 0,
                     .value = [this] { return cfopDescription_; }});
  shownField(p + "Observacao", "Observação:", "@s120");
  shownField(p + "ValorContabil", "Valor Contábil:", "@n-15.2");
  shownField(p + "ImpostoIPI", "IPI:", "@n-15.2");
  shownField(p + "BaseCalculoIPI", "Base IPI:", "@n-15.2");
  shownField(p + "IsentosIPI", "Isentos IPI:", "@n-15.2");
  shownField(p + "OutrasIPI", "Outras IPI:", "@n-15.2");
  shownField(p + "ObsIPI", "Obs. IPI:", "@n-15.2");
  for (int n = 1; n <= 5; ++n) {
    const std::string k = std::to_string(n);
    shownField(p + "BaseCalculo" + k, "Base de Cálculo " + k + ":", "@n-15.2");
    shownField(p + "Aliquota" + k, "Alíquota " + k + ":", "@n-8.4");
    shownField(p + "ICMS" + k, "ICMS " + k + ":", "@N-11.2");
    shownField(p + "Isentos" + k, "Isentos " + k + ":", "@n-15.2");
    shownField(p + "Outros" + k, "Outros " + k + ":", "@n-15.2");
  }
  model_.addButton({.caption = "&Calcula", .tab = 0, .enabled = [] { return false; }});
  shownField(p + "BaseCalculoSubstituicao", "Base Substituição:", "@n-15.2");
  shownField(p + "AliquotaSubstituicao", "Alíquota Substituição:", "@n-8.4");
  shownField(p + "ICMS_Substituicao", "ICMS Substituição:", "@n-11.2");
  shownField(p + "ICMSFonte", "ICMS Fonte:", "@n-11.2");
  shownField(p + "Vista", "Valor à Vista:", "@n-15.2");
  shownField(p + "Cancelada", "NF Cancelada", "", ControlKind::kCheckBox);
}

void InvoiceForm::declareIntegration() {
  for (size_t g = 0; g < kind_.groups.size(); ++g) {
    const InvoiceGroup& group = kind_.groups[g];
    model_.addButton({.caption = group.button, .tab = 0, .press = [this, g] { integrate(g); }});
    // Its buttons stand in one row apart from it: the label says whose it is.
    model_.addControl({.name = group.label, .prompt = group.fields.title, .kind = ControlKind::kDisplay, .tab = 0,
                       .value = [this, g] { return labels_[g]; }});
  }
  model_.addButton({.caption = "À Prazo", .tab = 0, .press = [this] {
                      tab_ = 1;
                      model_.setFocus("parcelas");
                    }});
}

void InvoiceForm::integrate(size_t group) {
  IntegrationSearch search;
  InvoiceIntegrationForm* over = nullptr;
  search.available = [this](LookupKind k) { return postingSearchAvailable(services_, k); };
  search.open = [this, &over](LookupKind k) {
    return openPostingSearch(services_, over == nullptr ? nullptr : &over->screen(), k);
  };
  InvoiceIntegrationForm form(ctx_, kind_, invoices_, group, posting_, checked_, search);
  over = &form;
  if (form.open(id_) != FormState::kOpen) return;
  model_.runChild(form.screen());
  if (form.controller().state() == FormState::kCompleted) changed_ = true;
  if (!read()) {
    model_.close();
    return;
  }
  labels_ = lookups_.labels(kind_, invoice_, labels_);
  summarise();
  model_.setFocus(kind_.groups[group].nextField);
}

void InvoiceForm::declareInstalments() {
  instalments_.declare(model_, 1, [this] { summarise(); });
  model_.addControl({.name = "LOC:Parcelas", .kind = ControlKind::kDisplay, .tab = 1,
                     .value = [] { return std::string("Data e Valor das Parcelas"); }});
  for (size_t i = 0; i < std::size(kSummaryPrompts); ++i) {
    model_.addControl({.name = "LOC:Resumo" + std::to_string(i + 1),
                       .prompt = kSummaryPrompts[i],
                       .kind = ControlKind::kDisplay,
                       .picture = "@n-15.2",
                       .tab = 1,
                       .value = [this, i] { return i < summary_.size() ? summary_[i].toString() : std::string(); }});
  }
  model_.addControl({.name = "LOC:ValorContabilLancamento", .prompt = "Valor Contábil deste lançamento",
                     .kind = ControlKind::kDisplay, .picture = "@n-15.2", .tab = 1,
                     .value = [this] { return textOf(invoice_, kind_.f("ValorContabil")); }});
  model_.addControl({.name = "LOC:ValorVistaLancamento", .prompt = "Valor pago à Vista",
                     .kind = ControlKind::kDisplay, .picture = "@n-15.2", .tab = 1,
                     .value = [this] { return textOf(invoice_, kind_.f("Vista")); }});
}

// The invoice's register lines share its identity: their accounting values
// make the invoice's total, the other lines' cash values what was paid in
// cash elsewhere.
void InvoiceForm::summarise() {
  Decimal nf = Decimal::fromUnits(0, 2), otherCash = Decimal::fromUnits(0, 2);
  Table lines(&invoices_.def());
  if (lines.open(invoices_.path(), OpenMode::kReadOnly)) {
    Record& b = lines.buffer();
    b.clear();
    copyIdentity(invoice_, kind_.p, b, kind_.p);
    Status s = lines.seek(lines.def().keyIndex(kind_.f("KEY:DATANUMERO")));
    while (s && lines.next()) {
      if (!sameIdentity(b, kind_.p, invoice_, kind_.p)) break;
      nf = nf.plus(b.getDecimal(kind_.f("ValorContabil"))).value_or(nf);
      if (b.recordId() != invoice_.recordId()) otherCash = otherCash.plus(b.getDecimal(kind_.f("Vista"))).value_or(otherCash);
    }
  }
  const Decimal instalments = instalments_.total();
  const Decimal thisCash = invoice_.getDecimal(kind_.f("Vista"));
  const Decimal diff = nf.minus(otherCash).value_or(nf).minus(instalments).value_or(nf);
  summary_ = {instalments, nf, otherCash, instalments, diff, thisCash, diff.minus(thisCash).value_or(diff)};
}

}  // namespace vorlam::fiscal
