#include "chart/structure_form.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "chart/structure_record.h"
#include "chart/structure_rules.h"

namespace vorlam::chart {

namespace {

constexpr uint16_t kMsgLoadFailed = 21;  // "Erro ao carregar o arquivo"

constexpr StructureChoice kOperatorTypes[] = {
    {kOrdinaryCompany, "1 Empresa Normal"},
    {kHealthPlanOperator, "2 Operadora de Plano de Saúde"},
};
constexpr StructureChoice kReferentialCharts[] = {
    {10, "10-Secretaria da Receita Federal"},
    {20, "20-Banco Central do Brasil (Cosif)"},
};

using C = StructureControl;
// The sixth tip reads "6qº Grau" on the screen, and so it stays.
constexpr StructureFieldText kFields[] = {
    {"CONP:Codigo", "Código", "Código do Plano de Contas", "@n6", C::kEntry, {}},
    {"CONP:Nome", "Nome do Plano de Contas", "", "@s40", C::kEntry, {}},
    {"CONP:Graus", "Número de Níveis", "", "@n3", C::kEntry, {}},
    {"CONP:G1", "1º", "1º Grau", "@p#p", C::kEntry, {}},
    {"CONP:G2", "2º", "2º Grau", "@p#p", C::kEntry, {}},
    {"CONP:G3", "3º", "3º Grau", "@p#p", C::kEntry, {}},
    {"CONP:G4", "4º", "4º Grau", "@p#p", C::kEntry, {}},
    {"CONP:G5", "5º", "5º Grau", "@p#p", C::kEntry, {}},
    {"CONP:G6", "6º", "6qº Grau", "@p#p", C::kEntry, {}},
    {"CONP:G7", "7º", "7º Grau", "@p#p", C::kEntry, {}},
    {"CONP:G8", "8º", "8º Grau", "@p#p", C::kEntry, {}},
    {"CONP:G9", "9º", "9º Grau", "@p#p", C::kEntry, {}},
    {"CONP:Formato", "Exemplo de como ficará uma conta :", "", "@s40", C::kDisplay, {}},
    {"CONP:TipoOperadora", "Tipo Operadora", "Tipo de operação da empresa", "", C::kDropList, kOperatorTypes},
    {"CONP:CodPlanoReferencial", "Cod Plano Referencial", "", "", C::kDropList, kReferentialCharts},
};

std::optional<FormRequest> saveRequest(Request r) {
  switch (r) {
    case Request::kInsert: return FormRequest::kInsert;
    case Request::kChange: return FormRequest::kChange;
    case Request::kDelete: return FormRequest::kDelete;
    case Request::kView: break;
  }
  return std::nullopt;
}

vorlam::MessageIcon boxIcon(MessageIcon icon) {
  return icon == MessageIcon::kInformation ? vorlam::MessageIcon::kInformation : vorlam::MessageIcon::kError;
}

uint32_t highestCode(const std::vector<AccountStructure>& stored) {
  uint32_t top = 0;
  for (const AccountStructure& s : stored) top = std::max<uint32_t>(top, s.code);
  return top;
}

}  // namespace

std::span<const StructureFieldText> structureFormFields() { return kFields; }

StructureFormButtons structureFormButtons(Request request) {
  StructureFormButtons b;
  b.help = {"&Ajuda", "", ""};
  if (request == Request::kDelete) {
    b.ok = {"&Exclui", "Exclui a Configuração do Plano de Contas da Tabela",
            "Exclui a Configuração do Plano de Contas exibido na janela"};
    b.cancel = {"&Cancela", "Cancela Configuração do Plano de Contas",
                "Cancela Configuração do Plano de Contas exibido na janela"};
  } else {
    b.ok = {"&Grava", "", ""};
    b.cancel = {"&Cancela", "", ""};
  }
  return b;
}

std::string structureFormHelp() {
  return std::string(kStructureFormInstruction) + "\n\n" + kStructureFormExample +
         "\n\nA soma dos dígitos dos níveis deve ser menor que 30, e dois planos não podem ter a mesma "
         "quantidade de níveis e de dígitos. Os níveis além do Número de Níveis ficam com 0.";
}

const FormDefinition& structureFormDefinition() {
  static const FormDefinition kDefinition = [] {
    FormDefinition d;
    d.procedure = kStructureFormProcedure;
    d.title = kStructureFormTitle;
    d.insertCaption = structureFormCaption(FormRequest::kInsert);
    d.changeCaption = structureFormCaption(FormRequest::kChange);
    d.deleteCaption = structureFormCaption(FormRequest::kDelete);
    for (const StructureFieldText& f : kFields) d.fields.push_back(f.field);
    return d;
  }();
  return kDefinition;
}

StructureForm::StructureForm(ScreenContext& context, Table& table, Table& scan, Request request)
    : ctx_(context),
      scan_(scan),
      form_(context, structureFormDefinition(), table, request),
      model_(kStructureFormProcedure, kStructureFormTitle) {
  code_ = form_.fieldIndex("CONP:Codigo");
  name_ = form_.fieldIndex("CONP:Nome");
  levelCount_ = form_.fieldIndex("CONP:Graus");
  mask_ = form_.fieldIndex("CONP:Formato");
  referential_ = form_.fieldIndex("CONP:CodPlanoReferencial");
  for (int n = 1; n <= kUsedLevels; ++n) levels_[n - 1] = form_.fieldIndex("CONP:G" + std::to_string(n));

  form_.setEnabled(code_, request == Request::kInsert);
  form_.setReadOnly(mask_, true);
  form_.setKeepNumbers(true);
  form_.onChange(levelCount_, [this](FormController& f, int) {
    levelCountChanged();
    f.requestFocus(levels_[0]);
  });
  for (int field : levels_) {
    form_.onChange(field, [this](FormController&, int) {
      if (!applying_) rebuildMask();
    });
  }
  form_.setValidator([this](FormController& f) { return checkSave(f); }, /*onDelete=*/true);
  declareScreen();
}

int StructureForm::levelField(int n) const { return n >= 1 && n <= kUsedLevels ? levels_[n - 1] : -1; }

AccountStructure StructureForm::edited() const { return structureFromRecord(form_.record()); }

FormState StructureForm::open(int64_t recordId) {
  FormState state;
  if (form_.request() == Request::kInsert) {
    // The next free code and the first referential chart of the list are
    // offered as part of the blank record, so that a form left untouched
    // has nothing to lose on cancel.
    Record blank(&form_.table().def());
    Result<uint32_t> top = highestStructureCode(scan_);
    if (top.isOk() && *top < 0xFFFF) blank.setInt(code_, *top + 1);
    blank.setInt(referential_, kReferentialCharts[0].value);
    state = form_.openNew(&blank);
  } else {
    state = form_.openRecord(recordId);
  }
  if (state == FormState::kOpen) levelCountChanged();
  return form_.state();
}

void StructureForm::levelCountChanged() {
  AccountStructure s = edited();
  applyLevelCount(&s);
  applying_ = true;
  for (int n = 1; n <= kUsedLevels; ++n) {
    const int field = levels_[n - 1];
    form_.setEnabled(field, levelEditable(s, n));
    // Refused in delete and view forms, which show the record as stored.
    if (form_.record().getInt(field) != s.levelDigits(n)) form_.assignInt(field, s.levelDigits(n));
  }
  applying_ = false;
  rebuildMask();
}

void StructureForm::rebuildMask() {
  const std::string mask = buildMask(edited());
  if (form_.text(mask_) != mask) form_.assignText(mask_, mask);
}

std::optional<Result<uint16_t>> StructureForm::companyUsing(uint16_t code) {
  // Without the company file there is no company to use the structure; any
  // other failure to read it leaves the structure in place.
  Table empresa(ctx_.dictionary.find("Empresa")), history(ctx_.dictionary.find("AltContratuais"));
  for (Table* t : {&empresa, &history}) {
    const std::string path = ctx_.resolve ? ctx_.resolve(t->def().binding) : std::string();
    Status st = path.empty() ? Status::ok() : t->open(path, OpenMode::kReadOnly);
    if (!st && !st.is(StatusCode::kFileNotFound)) {
      ctx_.errors.throwFile(kMsgLoadFailed, path, st);
      return std::nullopt;
    }
  }
  Result<uint16_t> user = companyUsingStructure(empresa, history, code);
  if (!user.isOk()) {
    ctx_.errors.throwFile(kMsgLoadFailed, empresa.path(), user.status());
    return std::nullopt;
  }
  return user;
}

bool StructureForm::checkSave(FormController& form) {
  const std::optional<FormRequest> request = saveRequest(form.request());
  if (!request) return true;
  // The levels as the form shows them: none beyond the level count.
  AccountStructure s = edited();
  applyLevelCount(&s);
  std::vector<AccountStructure> stored;
  if (*request != FormRequest::kDelete) {
    Result<std::vector<AccountStructure>> read = readStructures(scan_);
    if (!read.isOk()) {
      ctx_.errors.throwFile(kMsgLoadFailed, scan_.path(), read.status());
      return false;
    }
    stored = std::move(read).value();
  }
  std::optional<SaveRefusal> refusal = checkStructureSave(s, *request, stored);
  // Code 0 is numbered when added: the number it will take must fit too.
  if (!refusal && *request == FormRequest::kInsert && s.code == 0)
    refusal = structureCodeRefusal(highestCode(stored) + 1);
  if (!refusal && *request == FormRequest::kDelete) {
    std::optional<Result<uint16_t>> user = companyUsing(s.code);
    if (!user) return false;
    if (**user != 0) refusal = structureInUseRefusal(**user);
  }
  if (!refusal) return true;
  if (refusal->errorSound && errorSound_) errorSound_();
  ctx_.errors.message(refusal->message, refusal->title, boxIcon(refusal->icon), kButtonOk, kButtonOk);
  switch (refusal->focus) {
    case StructureField::kCodigo: form.requestFocus(code_); break;
    case StructureField::kNumeroNiveis: form.requestFocus(levelCount_); break;
    case StructureField::kLevel1: form.requestFocus(levels_[0]); break;
  }
  return false;
}

}  // namespace vorlam::chart
