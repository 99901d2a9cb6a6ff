#include "fiscal/instalment_list.h"

#include "framework/picture.h"
#include "framework/screen_binding.h"

namespace vorlam::fiscal {

namespace {

constexpr uint16_t kMsgChangeFailed = 28;  // "Registro não foi atualizado"

constexpr char kListHelp[] =
    "Duplicatas das notas do ano selecionado.|Inclui, Altera/Baixa e Exclui abrem a duplicata; a baixa informa a "
    "data de pagamento, o desconto, a multa e os juros, e a aba Integração Contábil as contas da baixa.|Ao gravar, a "
    "soma das duplicatas é comparada com o valor da nota e o valor à vista das linhas da nota é refeito.";

std::string money(const Decimal& value) {
  Result<std::string> text = formatPicture("@n-15.2", value);
  return text.isOk() ? text.value() : value.toString();
}

}  // namespace

const char kInstalmentListFormat[] =
    "44R(2)|M~Data NF~C(0)@d06B@"
    "32R(2)|M~Número~C(0)@n7@"
    "24L(2)|M~Espécie~@s5@"
    "24L(2)|M~Série~@s5@"
    "80L(2)|M~Inscrição~@s20@"
    "44R(2)|M~Venc.~C(0)@d06b@"
    "60R(2)|M~Valor~C(0)@n-15.2@"
    "44R(2)|M~Pagamento~C(0)@d06b@"
    "52R(2)|M~Multa~C(0)@n-15.2@"
    "52R(2)|M~Juros~C(0)@n-15.2@";

std::string totalsExceededText(const Decimal& instalments, const Decimal& invoice) {
  return "Soma do valor das Duplicatas ( R$ " + money(instalments) + " ) excedeu o valor total da NF ( R$ " +
         money(invoice) + " ). Pressione enter para alterar a duplicata lançada";
}

ListDefinition instalmentListDefinition(const InstalmentKind& kind) {
  ListDefinition d;
  d.procedure = kind.listProcedure;
  d.title = kind.listTitle;
  d.tabs.push_back({"Data N.F.", kind.keyByDate, kind.name(kind.invoiceDate), "", 0, "", "@d06b"});
  d.tabs.push_back({"Número N.F.", kind.keyByNumber, "", "", 0, ""});
  if (kind.keyByInscription != nullptr) d.tabs.push_back({"Inscrição", kind.keyByInscription, "", "", 0, ""});
  d.tabs.push_back({"Vencimento", kind.keyByDue, "", "", 0, ""});
  d.deleteThroughForm = true;
  return d;
}

InstalmentList::InstalmentList(ScreenContext& context, const Dictionary& dict, const InstalmentKind& kind,
                               InstalmentEnvironment env)
    : ctx_(context),
      kind_(kind),
      env_(std::move(env)),
      definition_(instalmentListDefinition(kind)),
      tables_(dict, kind),
      list_(context, definition_, tables_.instalments),
      model_(kind.listProcedure, kind.listTitle) {
  list_.setFormOpener([this](Request r, const Record* row) { return runForm(r, row); });
}

Status InstalmentList::open() {
  ProcedureScope procedure(ctx_.errors, kind_.listProcedure);
  Status s = tables_.open(ctx_);
  if (s) s = list_.open(0);
  if (!s) {
    model_.close();
    return s;
  }
  declareScreen();
  return s;
}

bool InstalmentList::request(Request request) { return list_.canRequest(request) && list_.request(request); }

InstalmentList::Edited InstalmentList::edit(Request request, int64_t id) {
  Edited e;
  InstalmentForm form(ctx_, tables_, env_, request);
  if (setup_) setup_(form);
  if (form.open(id) != FormState::kOpen) return e;
  model_.runChild(form.screen());
  e.completed = form.controller().state() == FormState::kCompleted;
  e.id = form.controller().recordId();
  e.opened = form.opened();
  e.saved = form.saved();
  return e;
}

bool InstalmentList::runForm(Request request, const Record* row) {
  if (request != Request::kInsert && row == nullptr) return false;
  const Edited first = edit(request, row != nullptr ? row->recordId() : 0);
  if (!first.completed) return false;
  if (request != Request::kView) afterEdits(request, first);
  return true;
}

void InstalmentList::afterEdits(Request request, const Edited& first) {
  std::vector<InstalmentKey> invoices = {first.saved};
  auto touched = [&](const InstalmentKey& k) {
    for (const InstalmentKey& seen : invoices)
      if (sameInvoiceKey(kind_, seen, k)) return;
    invoices.push_back(k);
  };
  touched(first.opened);
  if (request != Request::kDelete) {
    Result<InvoiceTotals> totals = invoiceTotals(kind_, tables_.registers, tables_.view, first.saved);
    if (totals.isOk() && totals->instalmentTotal > totals->nfTotal) {
      ctx_.errors.message(totalsExceededText(totals->instalmentTotal, totals->nfTotal), kTotalsTitle,
                          MessageIcon::kExclamation, kButtonOk, kButtonOk);
      const Edited again = edit(request == Request::kInsert ? Request::kChange : request, first.id);
      if (again.completed) {
        touched(again.opened);
        touched(again.saved);
      }
    }
  }
  for (const InstalmentKey& invoice : invoices) rederive(invoice);
}

void InstalmentList::rederive(const InstalmentKey& invoice) {
  Result<InvoiceTotals> totals = invoiceTotals(kind_, tables_.registers, tables_.view, invoice);
  Status s = totals.status();
  if (s) {
    Result<int64_t> done =
        rederiveCash(kind_, tables_.registers, invoice, totals->instalmentTotal,
                     [this](const Record& line) { reportWrite(ctx_, line, WriteKind::kChange); });
    s = done.status();
  }
  if (!s) ctx_.errors.throwFile(kMsgChangeFailed, tables_.registers.path(), s);
}

void InstalmentList::declareScreen() {
  ListBinding binding;
  binding.format = kInstalmentListFormat;
  for (const char* f : {kind_.invoiceDate, "Numero", "Especie", "Serie", "Inscricao", "Data", "Valor", "Pagamento",
                        "Multa", "Juros"})
    binding.columnFields.push_back(kind_.name(f));
  binding.locatorPrompts = {"Data N.F.:"};
  bindList(model_, list_, binding);
  model_.setFocus("lista");
  auto add = [this](const char* caption, const char* tip, std::function<void()> press, std::function<bool()> enabled) {
    model_.addButton({.caption = caption, .tip = tip, .press = std::move(press), .enabled = std::move(enabled)});
  };
  add("&Inclui", "Inclui uma nova duplicata", [this] { request(Request::kInsert); }, {});
  add("&Altera/Baixa", "Altera / Baixa de duplicatas", [this] { request(Request::kChange); },
      [this] { return list_.canRequest(Request::kChange); });
  add("&Exclui", "Exclui uma duplicata lançada", [this] { request(Request::kDelete); },
      [this] { return list_.canRequest(Request::kDelete); });
  add("&Fecha", "", [this] { model_.requestClose(); }, {});
  add("&Ajuda", "", [this] {
    ctx_.errors.message(kListHelp, "Ajuda", MessageIcon::kInformation, kButtonOk, kButtonOk);
  }, {});
  model_.addKey({.name = "Insert", .scope = "lista", .action = [this] { request(Request::kInsert); }});
  model_.addKey({.name = "Enter", .scope = "lista", .action = [this] { request(Request::kChange); }});
  model_.addKey({.name = "Delete", .scope = "lista", .action = [this] { request(Request::kDelete); }});
}

}  // namespace vorlam::fiscal
