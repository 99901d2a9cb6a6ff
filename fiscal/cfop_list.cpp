#include "fiscal/cfop_list.h"

#include "fiscal/cfop_rules.h"
#include "framework/screen_binding.h"
#include "storage/text.h"

namespace vorlam::fiscal {

namespace {

constexpr uint16_t kMsgOpenFailed = 26;
constexpr char kBlankState[] = "Estado da empresa em branco !!!";
constexpr char kBlankStateTitle[] = "Erro no estado";
constexpr char kNameFilter[] = "(InString(Clip(Upper(Loc:Nome)),Clip(Upper(CFO:Descricao)),1,1))";
constexpr int kNameWidth = 100;  // `CFO:Descricao`

ListDefinition cfopListDefinition(int year, int start) {
  ListDefinition d;
  d.procedure = kCfopListProcedure;
  d.title = kCfopListTitle;
  d.tabs.push_back({"Código", "CFO:KEY:CODIGO", "", "Loc:Nome", kNameWidth, kNameFilter});
  d.filter = cfopListFilter(year, start);
  d.rangeFields = {"CFO:ESTADO"};
  d.deleteThroughForm = true;  // the form asks "Confirma Exclusão"
  return d;
}

std::string cfopListHelp() {
  return "A lista mostra os códigos fiscais de operações do estado da empresa, do ano de trabalho: até 2002 os "
         "códigos de três dígitos (e os terminados em 99 ou 91), a partir de 2003 os de quatro dígitos.\n\n"
         "Digite parte da descrição no campo de pesquisa para localizar. Insert inclui, Enter altera e Delete "
         "exclui o código selecionado. O primeiro código mostrado vem de CFO.ini (CodCFO, FiltroCFO).";
}

}  // namespace

std::string cfopListFilter(int year, int start) {
  return "(" + periodFilter(year) + ") and CFO:Codigo >= " + std::to_string(start);
}

CfopList::CfopList(ScreenContext& context, CfopEnvironment env, int startCode, bool selecting)
    : ctx_(context),
      env_(std::move(env)),
      selecting_(selecting),
      definition_(cfopListDefinition(env_.year, startCode)),
      table_(context.dictionary.find("CFO")),
      list_(context, definition_, table_, selecting),
      model_(kCfopListProcedure, kCfopListTitle) {
  list_.setFormOpener([this](Request r, const Record* row) { return runForm(r, row); });
}

Status CfopList::open() {
  const std::string path = ctx_.resolve(table_.def().binding);
  Status s = table_.open(path, OpenMode::kShared);
  if (!s) {
    ProcedureScope procedure(ctx_.errors, kCfopListProcedure);
    ctx_.errors.throwFile(kMsgOpenFailed, path, s);
    model_.close();
    return s;
  }
  if (clipText(env_.state).empty())
    ctx_.errors.message(kBlankState, kBlankStateTitle, MessageIcon::kExclamation, kButtonOk, kButtonOk);
  Record range(&table_.def());
  range.setText("CFO:ESTADO", utf8ToLatin1(env_.state));
  list_.setRange(range);
  if (Status opened = list_.open(); !opened) {
    model_.close();
    return opened;
  }
  declareScreen();
  return Status::ok();
}

bool CfopList::request(Request request) {
  if (request == Request::kView) return false;
  return list_.request(request);
}

bool CfopList::runForm(Request request, const Record* row) {
  if (!maker_) return false;
  if (request != Request::kInsert && row == nullptr) return false;
  std::unique_ptr<CfopForm> form = maker_(request);
  if (!form) return false;
  if (form->open(request == Request::kInsert ? 0 : row->recordId()) != FormState::kOpen) return false;
  model_.runChild(form->screen());
  return form->controller().state() == FormState::kCompleted;
}

void CfopList::declareScreen() {
  ListBinding binding;
  binding.format = kCfopListFormat;
  binding.columnFields = {"CFO:Codigo", "CFO:COMPLEMENTO", "CFO:ESTADO", "CFO:Descricao", "CFO:APELIDO"};
  binding.locatorPrompts = {"Descrição:"};
  bindList(model_, list_, binding);
  model_.setFocus("lista");

  auto add = [this](const char* caption, std::function<void()> press, std::function<bool()> enabled, bool byDefault) {
    ScreenButton b{.caption = caption, .press = std::move(press), .enabled = std::move(enabled)};
    if (byDefault) b.isDefault = [] { return true; };
    model_.addButton(std::move(b));
  };
  add("&Inclui", [this] { request(Request::kInsert); }, {}, false);
  add("&Altera", [this] { request(Request::kChange); }, [this] { return list_.canRequest(Request::kChange); },
      !selecting_);
  add("&Exclui", [this] { request(Request::kDelete); }, [this] { return list_.canRequest(Request::kDelete); },
      false);
  if (selecting_) {
    add(
        "&Seleciona",
        chooseAndClose(model_, list_, chosen_),
        [this] { return list_.canSelect(); }, true);
  }
  add("&Ajuda", [this] { ctx_.errors.message(cfopListHelp(), "Ajuda", MessageIcon::kInformation, kButtonOk, kButtonOk); },
      {}, false);
  add("&Fecha", [this] { model_.requestClose(); }, {}, false);
  model_.addKey({.name = "Insert", .scope = "lista", .action = [this] { request(Request::kInsert); }});
  model_.addKey({.name = "Delete", .scope = "lista", .action = [this] {
                   if (list_.canRequest(Request::kDelete)) request(Request::kDelete);
                 }});
}

}  // namespace vorlam::fiscal
