// The company form `UEmpresa` without its window: one record of `Empresa`
// inserted, changed, deleted or viewed, with the rules of the company
// registry (registry/company_rules.h) and its three child lists.
//
// Opening.  Any request but insert makes the company current (its chart
// settings in force for the selected year, its file names bound); its
// responsible person's name is shown, the group accounts are enabled when
// its structure exists, the numbering choice when a group is filled.  The
// stored settings `EMP:Lotes`, `EMP:TipoPagamento`, `EMP:MesDataBase` and
// `EMP:ClassEstabIPI` are shown as 1 when they hold 0 (the form cannot save
// a 0 there); these defaults are no edit of the user's, so a form left
// untouched writes nothing and cancels without asking.
//
// Field reactions run when the user completes a field (type()): the code
// makes the typed company current and re-binds its file names; CNPJ and CPF
// are checked (ValidaCNPJ / ValidaCPF) and rewritten with leading zeros; the
// municipality gives its state; the Simples option and the tax regime keep
// each other consistent; CNAE, responsible person and structure must exist,
// else their list opens to pick one; the group accounts are masked with the
// structure and enable the numbering choice.
//
// "&Gravar" checks, in order: the state exists, a chart type is chosen, the
// two group accounts (rewritten masked), that they differ, and the last
// level's digits for numbering by CNPJ/CPF.  Then the dictionary's rules
// of the fields shown, the completed fields' checks once more (check
// digits, CNAE, responsible person, structure), and, for a change, the
// five history questions, each writing its row of `AltContratuais` on Yes
// (a chart row of 1 January already there keeps its observation: it says
// what was in force before the year).  Last the record is saved.
//
// Closing clears the current company (code 0, texts blank, plan 0).
//
// Lookups and child forms open through the ScreenServices by procedure
// name; a button whose screen is not registered stays disabled.
//
// Not thread-safe: the form runs on its screen's thread.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "chart/account_structure.h"
#include "framework/form_controller.h"
#include "framework/list_controller.h"
#include "framework/screen_model.h"
#include "registry/company_rules.h"
#include "shell/company_files.h"
#include "shell/screen_registry.h"
#include "storage/table.h"

namespace vorlam::registry {

// Procedures the form opens.
inline constexpr char kCnaeLookup[] = "BCNAE";
inline constexpr char kResponsibleLookup[] = "BFuncionarios";
inline constexpr char kStructureLookup[] = "ConfigContas";
inline constexpr char kBranchChildForm[] = "UFiliais";
inline constexpr char kIntegrationChildForm[] = "UConfigura_Integracao_Impostos";
inline constexpr char kChangeChildForm[] = "UAltContratuais";

// What the logo's file dialog is asked to show.  The view answers with the
// chosen file's path (nullopt: nothing chosen); it must not change the
// process's working directory.
struct LogoRequest {
  std::string title;      // "Escolha um Arquivo"
  std::string filter;     // "Imagens | *.bmp;*.gif;*.jpg;*.wmf;*.ico;*.pcx"
  std::string directory;  // the "Imagens" folder under the data root
};
using LogoChooser = std::function<std::optional<std::string>(const LogoRequest&)>;

class CompanyForm {
 public:
  // `services` and `context` must outlive the form.
  CompanyForm(shell::ScreenServices& services, ScreenContext& context, Request request);
  ~CompanyForm();
  CompanyForm(const CompanyForm&) = delete;
  CompanyForm& operator=(const CompanyForm&) = delete;

  // Opens the tables and the record: company `code` for change, delete and
  // view (kNotFound when there is none; message 26 for a file that cannot
  // be opened).  Declares the screen.
  Status open(uint16_t code);

  ScreenModel& model() { return model_; }
  FormController& controller() { return *form_; }
  void setLogoChooser(LogoChooser chooser) { logoChooser_ = std::move(chooser); }
  // What the logo click asks of the view.
  LogoRequest logoRequest() const;
  // The logo region was clicked: asks the chooser and stores the full path.
  void chooseLogo();

 public:
  // The texts and table of a child list (company_form_screen.cpp).
  struct ChildText;

 private:
  // One child list of the company: its own table and list over it.
  struct Child {
    explicit Child(const TableDef* def) : table(def) {}
    Table table;
    ListDefinition definition;
    std::unique_ptr<ListController> list;
    const ChildText* text = nullptr;
  };

  // --- company_form.cpp: opening, reactions, saving ---
  Status openTables();
  void applyOpeningDefaults();
  void makeCurrent(uint16_t code, bool fromRecord);
  void clearCurrent();
  void finish(FormState state);
  int field(const char* name) const;
  int64_t intOf(const char* name) const;
  std::string textOf(const char* name) const;
  void setInt(const char* name, int64_t value);
  void setText(const char* name, const std::string& value);
  void warn(const std::string& text, const std::string& title, const char* focus);
  std::optional<chart::AccountStructure> structure(int64_t code);
  bool structureExists();
  void refreshResponsibleName();
  void groupsChanged();
  Status reaction(const std::string& name);
  Status codeCompleted();
  Status idCompleted(bool cnpj);
  Status groupCompleted(const char* name, const char* message);
  Status lookupCompleted(const char* name);
  bool lookupExists(const char* name, int64_t value);
  bool pick(const char* name);
  bool checkSave();
  bool checkRecord();
  bool checkFields();
  void writeHistory();
  bool writeHistoryRow(HistoryItem item, int32_t date, const std::string& observation);

  // --- company_form_screen.cpp: the screen model ---
  void declareScreen();
  void declareFields();
  void declareButtons();
  void declareChildren();
  void openChild(Child& child, Request request);
  // The child lists show the rows of the company code as it now stands.
  void rangeChildren();
  std::vector<ControlChoice> stateChoices();
  std::vector<std::vector<std::string>> municipalityRows();

  shell::ScreenServices& services_;
  ScreenContext& ctx_;
  Request request_;
  shell::CompanyFiles files_;
  Table empresa_, empresa0_, estados_, municipios_, cnae_, structures_, history_, funcionarios_;
  std::unique_ptr<FormController> form_;
  std::vector<std::unique_ptr<Child>> children_;
  // Opening values of the fields the history questions compare.
  std::vector<int64_t> opening_;
  std::string responsibleName_;
  // The municipalities of the state last listed.
  std::string municipalityUf_ = "\x01";
  std::vector<std::vector<std::string>> municipalityRows_;
  std::vector<std::string> municipalityNames_;
  LogoChooser logoChooser_;
  bool groupsEnabled_ = false;
  bool numberingEnabled_ = false;
  bool finished_ = false;
  int tab_ = 0;
  ScreenModel model_;
};

}  // namespace vorlam::registry
