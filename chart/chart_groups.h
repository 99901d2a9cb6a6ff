// The group tabs of the chart screen: the role records of
// `ConfiguracaoGrupos` ("Gr&upos" and "Lucro Real"), the result structure
// ("&Receitas" and "&Despesas") and the depreciated accounts
// ("Depreciação") with the department, sector and section lists.
//
// Every role update is written at once, one record per field accepted.
// Part of ChartScreen; not thread-safe.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "chart/chart_screen.h"

namespace vorlam::chart {

class ChartScreen::Groups {
 public:
  explicit Groups(ChartScreen& screen);
  // Opens the group file, the side list of accounts and the payroll lists,
  // and loads every role.
  void open();
  // The controls, lists and buttons of the five tabs.
  void declare();

  struct Member {
    int64_t id = 0;
    std::string code;  // record text
    uint16_t department = 0, sector = 0, section = 0;
  };
  const std::vector<Member>& members(int role) const;

 private:
  struct Choice {
    uint16_t code = 0;
    std::string name;  // UTF-8
  };

  void loadRoles();
  std::optional<Record> roleRecord(int role);
  Status storeRole(int role, const std::string& account, std::optional<uint16_t> history);
  std::string accountDescription(std::string_view code);
  std::string historyDescription(uint16_t code);
  Status accountAccepted(int role, const std::string& typed);
  Status historyAccepted(int role, const std::string& typed);
  std::optional<Record> findAccount(const std::string& typed);

  void includeResult(int role);
  void excludeMember(int role);
  void includeDepreciation();
  // Highlights the member `code` of `role` and puts the focus on its list.
  void showMember(int role, const std::string& code);
  void loadSectors();
  void loadSections();

  // The accounts of the chart in code order, as the tabs with two lists
  // show them beside their members.
  ScreenList sideList(const std::string& name, int tab);
  void declareRoles();
  void declareMemberTab(int tab, int role, const std::string& name);
  void declareDepreciation();

  ChartScreen& s_;
  std::unique_ptr<Table> groups_;
  std::unique_ptr<Table> side_;
  std::unique_ptr<Table> history_;
  ListDefinition sideDefinition_;
  std::unique_ptr<ListController> sideList_;
  std::map<int, std::string> accounts_;  // role -> code (UTF-8 is ASCII here)
  std::map<int, uint16_t> histories_;
  std::map<int, std::vector<Member>> members_;
  std::map<int, size_t> memberSelected_;
  std::vector<Choice> departments_, sectors_, sections_;
  uint16_t department_ = 0, sector_ = 0, section_ = 0;
};

}  // namespace vorlam::chart
