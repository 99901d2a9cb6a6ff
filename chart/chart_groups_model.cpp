// The group tabs of the chart screen on its screen model.
#include <algorithm>
#include <cstdlib>

#include "chart/account_rules.h"
#include "chart/chart_groups.h"
#include "storage/text.h"

namespace vorlam::chart {

namespace {

constexpr int kGroupsTab = 1;
constexpr int kIncomeTab = 2;
constexpr int kExpenseTab = 3;
constexpr int kProfitTab = 4;
constexpr int kDepreciationTab = 5;
constexpr int kIncome = 3;
constexpr int kExpense = 4;
constexpr int kDepreciated = 18;

struct RolePrompt {
  int role;
  const char* prompt;
  int tab;
  bool history;
};
constexpr RolePrompt kRoles[] = {
    {1, "Ativo", kGroupsTab, false},
    {2, "Passivo", kGroupsTab, false},
    {5, "Conta de  Abertura", kGroupsTab, false},
    {6, "Conta de  Fechamento", kGroupsTab, false},
    {7, "Conta de  Lucro", kGroupsTab, false},
    {8, "Conta de  Prejuízo", kGroupsTab, false},
    {9, "Histórico de Abertura", kGroupsTab, true},
    {10, "Histórico de Fechamento", kGroupsTab, true},
    {11, "Conta Caixa", kGroupsTab, false},
    {19, "Ativo Circulante", kGroupsTab, false},
    {20, "Disponivel", kGroupsTab, false},
    {21, "Aplicações Financeiras", kGroupsTab, false},
    {22, "Titulos a Receber", kGroupsTab, false},
    {23, "Estoques", kGroupsTab, false},
    {24, "Realizavel a Longo Prazo", kGroupsTab, false},
    {25, "Passivo Circulante", kGroupsTab, false},
    {26, "Fornecedores", kGroupsTab, false},
    {27, "Exigivel a Longo Prazo", kGroupsTab, false},
    {28, "Patrimônio Líquido", kGroupsTab, false},
    {29, "Lucro/Prejuízo Operacional", kGroupsTab, false},
    {30, "Lucro/Prejuízo do Exercício", kGroupsTab, false},
    {13, "Provisão IR - Conta Débito", kProfitTab, false},
    {12, "Provisão IR - Conta Crédito", kProfitTab, false},
    {14, "Provisão IR - Histórico", kProfitTab, true},
    {16, "Provisão CSL - Conta Débito", kProfitTab, false},
    {15, "Provisão CSL - Conta Crédito", kProfitTab, false},
    {17, "Provisão CSL - Histórico", kProfitTab, true},
};

std::vector<RowColours> greyEvenRows(std::vector<RowColours> rows) {
  for (size_t i = 1; i < rows.size(); i += 2) rows[i].background = kEvenRowGround;
  return rows;
}

std::string shownCode(const Record& r) { return std::string(clipped(r.getText("PLA:Codigo"))); }
std::string shownDescription(const Record& r) {
  return latin1ToUtf8(clipped(r.getText("PLA:Descricao").substr(0, 40)));
}

}  // namespace

void ChartScreen::Groups::declare() {
  declareRoles();
  declareMemberTab(kIncomeTab, kIncome, "receitas");
  declareMemberTab(kExpenseTab, kExpense, "despesas");
  declareDepreciation();
}

void ChartScreen::Groups::declareRoles() {
  ScreenModel& m = s_.model_;
  for (const RolePrompt& r : kRoles) {
    const std::string name = "GRUPO:" + std::to_string(r.role);
    const int role = r.role;
    if (r.history) {
      m.addControl({.name = name,
                    .prompt = r.prompt,
                    .picture = "@n5",
                    .tab = r.tab,
                    .value = [this, role] { return std::to_string(histories_[role]); },
                    .complete = [this, role](const std::string& v) { return historyAccepted(role, v); }});
      m.addControl({.name = name + ":Descricao",
                    .kind = ControlKind::kDisplay,
                    .tab = r.tab,
                    .value = [this, role] { return historyDescription(histories_[role]); }});
    } else {
      m.addControl({.name = name,
                    .prompt = r.prompt,
                    .tab = r.tab,
                    .text = true,
                    .value = [this, role] { return accounts_[role]; },
                    .complete = [this, role](const std::string& v) { return accountAccepted(role, v); }});
      m.addControl({.name = name + ":Descricao",
                    .kind = ControlKind::kDisplay,
                    .tab = r.tab,
                    .value = [this, role] { return accountDescription(accounts_[role]); }});
    }
  }
}

ScreenList ChartScreen::Groups::sideList(const std::string& name, int tab) {
  ListController* side = sideList_.get();
  return {.name = name,
          .headers = {"Código da Conta", "Descrição"},
          .tab = tab,
          .rows =
              [side] {
                std::vector<std::vector<std::string>> out;
                for (const Record& r : side->rows()) out.push_back({shownCode(r), shownDescription(r)});
                return out;
              },
          .highlighted = [side] { return side->selectedIndex(); },
          .highlight =
              [side](size_t row) {
                side->select(row);
                return Status::ok();
              },
          .locatorPrompt = [] { return std::string("Pesquisa por Conta:"); },
          .locatorText = [side] { return side->locatorText(); },
          .locate = [side](const std::string& text) { return side->locate(text); }};
}

void ChartScreen::Groups::declareMemberTab(int tab, int role, const std::string& name) {
  ScreenModel& m = s_.model_;
  ListController* side = sideList_.get();
  const std::string chartList = name + ":plano";
  ScreenList accounts = sideList(chartList, tab);
  accounts.colours = [this, side, role] {
                   std::vector<std::string> codes;
                   for (const Member& mb : members(role)) codes.push_back(mb.code);
                   std::vector<RowColours> out;
                   for (const Record& r : side->rows())
                     out.push_back({.text = isResultMember(s_.structure_, r.getText("PLA:Codigo"), codes)
                                                ? kMemberColour
                                                : kNonMemberColour});
    return greyEvenRows(std::move(out));
  };
  m.addList(std::move(accounts));
  m.addList({.name = name,
             .headers = {"Conta", "Descrição"},
             .tab = tab,
             .rows =
                 [this, role] {
                   std::vector<std::vector<std::string>> out;
                   for (const Member& mb : members(role)) out.push_back({mb.code, accountDescription(mb.code)});
                   return out;
                 },
             .highlighted = [this, role]() -> std::optional<size_t> {
               if (members(role).empty()) return std::nullopt;
               return std::min(memberSelected_[role], members(role).size() - 1);
             },
             .highlight =
                 [this, role](size_t row) {
                   memberSelected_[role] = row;
                   return Status::ok();
                 },
             .colours = [this, role] { return greyEvenRows(std::vector<RowColours>(members(role).size())); }});
  m.addButton({.caption = "&Incluir", .tab = tab, .press = [this, role] { includeResult(role); }});
  m.addButton({.caption = "&Excluir", .tab = tab, .press = [this, role] { excludeMember(role); }});
  m.addKey({.name = "Insert", .scope = chartList, .action = [this, role] { includeResult(role); }});
  m.addKey({.name = "Delete", .scope = name, .action = [this, role] { excludeMember(role); }});
}

void ChartScreen::Groups::declareDepreciation() {
  ScreenModel& m = s_.model_;
  ListController* side = sideList_.get();
  ScreenList accounts = sideList("depreciacao:plano", kDepreciationTab);
  accounts.colours = [side] { return greyEvenRows(std::vector<RowColours>(side->rows().size())); };
  m.addList(std::move(accounts));
  m.addList({.name = "depreciacao",
             .headers = {"Conta", "Descrição", "Dpto", "Setor", "Seção"},
             .tab = kDepreciationTab,
             .rows =
                 [this] {
                   std::vector<std::vector<std::string>> out;
                   for (const Member& mb : members(kDepreciated))
                     out.push_back({mb.code, accountDescription(mb.code), std::to_string(mb.department),
                                    std::to_string(mb.sector), std::to_string(mb.section)});
                   return out;
                 },
             .highlighted = [this]() -> std::optional<size_t> {
               if (members(kDepreciated).empty()) return std::nullopt;
               return std::min(memberSelected_[kDepreciated], members(kDepreciated).size() - 1);
             },
             .highlight =
                 [this](size_t row) {
                   memberSelected_[kDepreciated] = row;
                   return Status::ok();
                 },
             .colours = [this] { return greyEvenRows(std::vector<RowColours>(members(kDepreciated).size())); }});
  auto choices = [](const std::vector<Choice>& list) {
    std::vector<ControlChoice> out{{"0", ""}};
    for (const Choice& c : list) out.push_back({std::to_string(c.code), c.name});
    return out;
  };
  m.addControl({.name = "LOC:DEPARTAMENTO",
                .prompt = "Dpto",
                .kind = ControlKind::kDropList,
                .choices = choices(departments_),
                .tab = kDepreciationTab,
                .value = [this] { return std::to_string(department_); },
                .complete =
                    [this](const std::string& v) {
                      department_ = static_cast<uint16_t>(std::strtoul(v.c_str(), nullptr, 10));
                      if (std::none_of(departments_.begin(), departments_.end(),
                                       [&](const Choice& c) { return c.code == department_; }))
                        department_ = 0;
                      sector_ = section_ = 0;
                      loadSectors();
                      sections_.clear();
                      return Status::ok();
                    },
                .state = [this] { return ControlState{.enabled = !departments_.empty()}; }});
  // The sector and section lists change with the department and sector, so
  // their choices are checked here rather than declared.
  m.addControl({.name = "LOC:SETOR",
                .prompt = "Setor",
                .tab = kDepreciationTab,
                .value = [this] { return std::to_string(sector_); },
                .complete =
                    [this](const std::string& v) {
                      const auto code = static_cast<uint16_t>(std::strtoul(v.c_str(), nullptr, 10));
                      sector_ = std::any_of(sectors_.begin(), sectors_.end(), [&](const Choice& c) { return c.code == code; })
                                    ? code
                                    : 0;
                      section_ = 0;
                      loadSections();
                      return Status::ok();
                    },
                .state = [this] { return ControlState{.enabled = department_ != 0 && !sectors_.empty()}; }});
  m.addControl({.name = "LOC:SECAO",
                .prompt = "Seção",
                .tab = kDepreciationTab,
                .value = [this] { return std::to_string(section_); },
                .complete =
                    [this](const std::string& v) {
                      const auto code = static_cast<uint16_t>(std::strtoul(v.c_str(), nullptr, 10));
                      section_ = std::any_of(sections_.begin(), sections_.end(), [&](const Choice& c) { return c.code == code; })
                                     ? code
                                     : 0;
                      return Status::ok();
                    },
                .state = [this] { return ControlState{.enabled = sector_ != 0 && !sections_.empty()}; }});
  m.addButton({.caption = "&Incluir", .tab = kDepreciationTab, .press = [this] { includeDepreciation(); }});
  m.addButton({.caption = "&Excluir", .tab = kDepreciationTab, .press = [this] { excludeMember(kDepreciated); }});
  m.addKey({.name = "Insert", .scope = "depreciacao:plano", .action = [this] { includeDepreciation(); }});
  m.addKey({.name = "Delete", .scope = "depreciacao", .action = [this] { excludeMember(kDepreciated); }});
}

}  // namespace vorlam::chart
