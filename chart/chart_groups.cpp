#include "chart/chart_groups.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdlib>

#include "chart/account_rules.h"
#include "storage/text.h"

namespace vorlam::chart {

namespace {

constexpr int kIncome = 3;
constexpr int kExpense = 4;
constexpr int kDepreciated = 18;

std::string utf8(std::string_view latin1) { return latin1ToUtf8(clipped(latin1)); }


}  // namespace

ChartScreen::Groups::Groups(ChartScreen& screen) : s_(screen) {}

const std::vector<ChartScreen::Groups::Member>& ChartScreen::Groups::members(int role) const {
  static const std::vector<Member> kNone;
  auto it = members_.find(role);
  return it == members_.end() ? kNone : it->second;
}

void ChartScreen::Groups::open() {
  const Dictionary& dict = s_.context_.dictionary;
  groups_ = std::make_unique<Table>(dict.find("ConfiguracaoGrupos"));
  groups_->open(s_.context_.resolve(groups_->def().binding), OpenMode::kShared);
  history_ = std::make_unique<Table>(dict.find("Historico"));
  history_->open(s_.context_.resolve(history_->def().binding), OpenMode::kReadOnly);
  side_ = std::make_unique<Table>(dict.find("PlanoContas"));
  side_->open(s_.chart_->path(), OpenMode::kShared);
  sideDefinition_.procedure = kChartProcedure;
  sideDefinition_.title = kChartTitle;
  sideDefinition_.tabs.push_back({"Conta", "PLA:KEY:CODIGO", "PLA:Codigo", "", 0, ""});
  sideList_ = std::make_unique<ListController>(s_.context_, sideDefinition_, *side_);
  sideList_->open();
  Table departments(dict.find("Departamento"));
  if (departments.open(s_.context_.resolve(departments.def().binding), OpenMode::kReadOnly)) {
    Status st = departments.seekStart(departments.def().keyIndex("DPT:KEY:CODIGO"));
    while (st && (st = departments.next()))
      departments_.push_back({static_cast<uint16_t>(departments.buffer().getInt("DPT:CODIGO")),
                              utf8(departments.buffer().getText("DPT:DESCRICAO"))});
  }
  loadRoles();
}

void ChartScreen::Groups::loadRoles() {
  accounts_.clear();
  histories_.clear();
  members_.clear();
  if (!groups_->isOpen()) return;
  Status st = groups_->seekStart(kFileOrder);
  while (st && (st = groups_->next())) {
    const Record& r = groups_->buffer();
    const int role = static_cast<int>(r.getInt("CON:TipoConta"));
    const std::string code(clipped(r.getText("CON:Conta")));
    if (role == kIncome || role == kExpense || role == kDepreciated) {
      members_[role].push_back({r.recordId(), code, static_cast<uint16_t>(r.getInt("CON:Codigo_Departamento")),
                                static_cast<uint16_t>(r.getInt("CON:Codigo_Setor")),
                                static_cast<uint16_t>(r.getInt("CON:Codigo_Secao"))});
    } else {
      accounts_[role] = code;
      histories_[role] = static_cast<uint16_t>(r.getInt("CON:Historico"));
    }
  }
  groups_->endWalk();
  for (auto& [role, list] : members_)
    std::sort(list.begin(), list.end(), [](const Member& a, const Member& b) { return a.code < b.code; });
}

std::optional<Record> ChartScreen::Groups::roleRecord(int role) {
  Table& t = *groups_;
  t.buffer().clear();
  t.buffer().setInt("CON:TipoConta", role);
  Status st = t.seek(t.def().keyIndex("CON:KEY:TIPO"));
  if (st) st = t.next();
  t.endWalk();
  if (!st || t.buffer().getInt("CON:TipoConta") != role) return std::nullopt;
  return t.buffer();
}

Status ChartScreen::Groups::storeRole(int role, const std::string& account, std::optional<uint16_t> history) {
  Table& t = *groups_;
  std::optional<Record> stored = roleRecord(role);
  if (stored) {
    if (Status st = t.getById(stored->recordId()); !st) return st;
  } else {
    t.buffer().clear();
    t.buffer().setInt("CON:TipoConta", role);
  }
  Record& r = t.buffer();
  if (history) r.setInt("CON:Historico", *history);
  else r.setText("CON:Conta", account);
  Status st = stored ? t.update() : t.insert();
  if (st) reportWrite(s_.context_, r, stored ? WriteKind::kChange : WriteKind::kInsert);
  return st;
}

std::string ChartScreen::Groups::accountDescription(std::string_view code) {
  if (clipped(code).empty()) return {};
  std::optional<Record> a = s_.accountByCode(code);
  return a ? utf8(a->getText("PLA:Descricao").substr(0, 40)) : std::string();
}

std::string ChartScreen::Groups::historyDescription(uint16_t code) {
  if (code == 0 || !history_->isOpen()) return {};
  history_->buffer().clear();
  history_->buffer().setInt("HIS:CODIGO", code);
  if (!history_->get(history_->def().keyIndex("HIS:KEY:CODIGO"))) return {};
  return utf8(history_->buffer().getText("HIS:Descricao"));
}

std::optional<Record> ChartScreen::Groups::findAccount(const std::string& typed) {
  const std::string latin = utf8ToLatin1(typed);
  if (std::optional<Record> a = s_.accountByCode(normalizeTypedCode(s_.structure_, latin))) return a;
  const std::string digits = trocaCaracter(latin, '.', "");
  if (!digits.empty() && digits.size() <= 10 && std::all_of(digits.begin(), digits.end(), [](unsigned char c) { return std::isdigit(c) != 0; })) {
    const unsigned long long n = std::stoull(digits);
    if (n <= UINT32_MAX)
      if (std::optional<Record> a = s_.accountByReduced(static_cast<uint32_t>(n))) return a;
  }
  Table& t = *s_.scan_;
  t.buffer().clear();
  t.buffer().setText("PLA:Apelido", latin);
  if (t.get(t.def().keyIndex("PLA:KEY:APELIDO"))) return t.buffer();
  return std::nullopt;
}

Status ChartScreen::Groups::accountAccepted(int role, const std::string& typed) {
  const Status back(StatusCode::kInvalidArgument, "conta recusada");
  if (clipped(typed).empty()) {
    accounts_[role].clear();
    if (Status st = storeRole(role, "", std::nullopt); !st) s_.say("Atenção!!! Erro na inclusão do registro!!!");
    return Status::ok();
  }
  std::optional<Record> account = findAccount(typed);
  if (!account) {
    s_.say("Atenção!!! Conta não encontrada!!!");
    return back;
  }
  if (account->getInt("PLA:SintAnali") != kAnalytic) {
    const char* refusal = nullptr;
    if (role == 5)
      refusal = "Atenção!!! A conta transitória de abertura não pode ser sintética e deve ser selecionado uma conta "
                "analítica!!!";
    if (role == 6)
      refusal = "Atenção!!! A conta transitória de fechamento não pode ser sintética e deve ser selecionado uma conta "
                "analítica!!!";
    if (role == 7 || role == 8) refusal = "Atenção!!! A conta informada é sintética!!!";
    if (refusal != nullptr) {
      s_.say(refusal);
      return back;
    }
  }
  const std::string code(clipped(account->getText("PLA:Codigo")));
  accounts_[role] = code;
  if (Status st = storeRole(role, code, std::nullopt); !st) s_.say("Atenção!!! Erro na inclusão do registro!!!");
  return Status::ok();
}

Status ChartScreen::Groups::historyAccepted(int role, const std::string& typed) {
  const unsigned long code = std::strtoul(typed.c_str(), nullptr, 10);
  if (code != 0 && (code > UINT16_MAX || historyDescription(static_cast<uint16_t>(code)).empty())) {
    s_.say("Atenção!!! Histórico não encontrado!!!");
    return Status(StatusCode::kInvalidArgument, "histórico desconhecido");
  }
  histories_[role] = static_cast<uint16_t>(code);
  if (Status st = storeRole(role, "", static_cast<uint16_t>(code)); !st)
    s_.say("Atenção!!! Erro na inclusão do registro!!!");
  return Status::ok();
}

// --- Result structure and depreciation ---------------------------------------

void ChartScreen::Groups::includeResult(int role) {
  const Record* row = sideList_->selected();
  if (row == nullptr) return;
  const std::string code(clipped(row->getText("PLA:Codigo")));
  auto codes = [this](int r) {
    std::vector<std::string> out;
    for (const Member& m : members(r)) out.push_back(m.code);
    return out;
  };
  const int other = role == kIncome ? kExpense : kIncome;
  if (std::optional<std::string> conflict = resultConflict(
          role == kIncome ? ResultGroup::kIncome : ResultGroup::kExpense, code, codes(role), codes(other))) {
    s_.say(*conflict, MessageIcon::kError);
    return;
  }
  Table& t = *groups_;
  t.buffer().clear();
  t.buffer().setInt("CON:TipoConta", role);
  t.buffer().setText("CON:Conta", code);
  if (Status st = t.insert(); !st) {
    s_.say("Atenção!!! Erro na inclusão do registro!!!");
  } else {
    reportWrite(s_.context_, t.buffer(), WriteKind::kInsert);
  }
  loadRoles();
  showMember(role, code);
}

void ChartScreen::Groups::excludeMember(int role) {
  const std::vector<Member>& list = members(role);
  const size_t at = memberSelected_[role];
  if (at >= list.size()) return;
  const Member member = list[at];
  std::string question = "Atenção!!! Confirma exclusão da conta da depreciação???";
  std::string failure = "Atenção!!! Erro número %d na exclusão da conta da depreciação!!!";
  if (role == kIncome) {
    question = "Atenção!!! Confirma exclusão da conta do grupo de Receitas???";
    failure = "Atenção!!! Erro número %d na exclusão da conta do grupo de receitas!!!";
  } else if (role == kExpense) {
    question = "Atenção!!! Confirma exclusão da conta do grupo de Despesas???";
    failure = "Atenção!!! Erro número %d na exclusão da conta do grupo de despesas!!!";
  }
  if (s_.model_.dialogs() == nullptr ||
      s_.model_.dialogs()->question({"Atenção!!!", question, MessageIcon::kQuestion, "&Não|&Sim", 1}) != 2)
    return;
  Table& t = *groups_;
  Status st = t.getById(member.id);
  if (st) st = t.erase();
  if (!st) {
    const size_t mark = failure.find("%d");
    s_.say(failure.replace(mark, 2, std::to_string(st.errorNumber())));
  } else {
    Record gone = t.buffer();
    reportWrite(s_.context_, gone, WriteKind::kDelete);
  }
  loadRoles();
  if (memberSelected_[role] > 0 && memberSelected_[role] >= members(role).size()) --memberSelected_[role];
  sideList_->refresh();
}

void ChartScreen::Groups::includeDepreciation() {
  const Record* row = sideList_->selected();
  if (row == nullptr) return;
  if (row->getInt("PLA:SintAnali") != kAnalytic) {
    s_.say("Atenção!!! A Conta selecionada não pode ser sintética!!!");
    return;
  }
  const std::string code(clipped(row->getText("PLA:Codigo")));
  for (const Member& m : members(kDepreciated))
    if (m.code == code) return;
  Table& t = *groups_;
  t.buffer().clear();
  t.buffer().setInt("CON:TipoConta", kDepreciated);
  t.buffer().setText("CON:Conta", code);
  t.buffer().setInt("CON:Codigo_Departamento", department_);
  t.buffer().setInt("CON:Codigo_Setor", sector_);
  t.buffer().setInt("CON:Codigo_Secao", section_);
  if (Status st = t.insert(); !st) s_.say("Atenção!!! Erro na inclusão do registro!!!");
  else reportWrite(s_.context_, t.buffer(), WriteKind::kInsert);
  loadRoles();
  showMember(kDepreciated, code);
}

void ChartScreen::Groups::showMember(int role, const std::string& code) {
  const std::vector<Member>& list = members(role);
  for (size_t i = 0; i < list.size(); ++i)
    if (list[i].code == code) memberSelected_[role] = i;
  s_.model_.setFocus(role == kIncome ? "receitas" : role == kExpense ? "despesas" : "depreciacao");
}

void ChartScreen::Groups::loadSectors() {
  sectors_.clear();
  Table t(s_.context_.dictionary.find("Setor"));
  if (department_ == 0 || !t.open(s_.context_.resolve(t.def().binding), OpenMode::kReadOnly)) return;
  t.buffer().clear();
  t.buffer().setInt("SET:CODIGODEPARTAMENTO", department_);
  Status st = t.seek(t.def().keyIndex("SET:KEY:CODIGO"));
  while (st && (st = t.next()) && t.buffer().getInt("SET:CODIGODEPARTAMENTO") == department_)
    sectors_.push_back({static_cast<uint16_t>(t.buffer().getInt("SET:CODIGO")), utf8(t.buffer().getText("SET:DESCRICAO"))});
}

void ChartScreen::Groups::loadSections() {
  sections_.clear();
  Table t(s_.context_.dictionary.find("Secao"));
  if (sector_ == 0 || !t.open(s_.context_.resolve(t.def().binding), OpenMode::kReadOnly)) return;
  t.buffer().clear();
  t.buffer().setInt("SEC:CODIGODEPARTAMENTO", department_);
  t.buffer().setInt("SEC:CODIGOSETOR", sector_);
  Status st = t.seek(t.def().keyIndex("SEC:KEY:CODIGO"));
  while (st && (st = t.next()) && t.buffer().getInt("SEC:CODIGODEPARTAMENTO") == department_ &&
         t.buffer().getInt("SEC:CODIGOSETOR") == sector_)
    sections_.push_back({static_cast<uint16_t>(t.buffer().getInt("SEC:CODIGO")), utf8(t.buffer().getText("SEC:DESCRICAO"))});
}

}  // namespace vorlam::chart
