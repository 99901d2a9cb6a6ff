// The account-code structure form `UConfigContas` ("Configuração do Plano de
// Contas") without its window: the record of `ConfPlanoContas` being
// inserted, changed or deleted, its fields and texts, and the rules that
// tie them together.
//
//  - levels 1 to 9 are enabled up to "Número de Níveis"; a level beyond it
//    is set to 0, and the mask ("Exemplo de como ficará uma conta :") is
//    rebuilt whenever the level count or a level changes;
//  - accepting "Número de Níveis" moves the focus to "1º";
//  - "&Grava" refuses a digit total of 30 or more (for every request,
//    deletion included), a code that cannot be written in three digits, and
//    a level layout another structure already has (found through the second
//    cursor `ConfPlanoContas0`, so that the record being edited stays
//    intact); a deletion is refused while a company's record or structure
//    history names the structure, since its chart could no longer be read.
//
// The form edits only code, name, levels 1 to 9, mask, operator type and
// referential chart; every other field of the record (levels 10 to 13, the
// PS, PS3 and PS4 layouts, the cost-centre layout, the tax accounts and
// histories) is written back as it was read.  A new structure is offered the
// next free code and the referential chart 10; a code the user types is kept
// (a clash with a stored code is refused by the unique key, message 15).
//
// Not thread-safe: the form runs on its screen's thread.  Messages go through
// the screen's ErrorManager.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "chart/account_structure.h"
#include "framework/form_controller.h"
#include "framework/screen_context.h"
#include "framework/screen_model.h"
#include "storage/table.h"

namespace vorlam::chart {

inline constexpr char kStructureFormProcedure[] = "UConfigContas";
inline constexpr char kStructureFormTitle[] = "Configuração do Plano de Contas";

// The instruction text shown on the form and its worked example, one line
// per '\n'.
inline constexpr char kStructureFormInstruction[] =
    "    Estes campos devem ser preenchidos de acordo com a quantidade de dígitos existentes em seu "
    "plano de contas como no exemplo a seguir.";
inline constexpr char kStructureFormExample[] =
    "Conta: 2.2.2.02.0002\n"
    "Número de Níveis: 5\n"
    "1º: 1    2º: 1    3º: 1    4º: 2    5º: 4\n"
    "Exemplo de como ficará uma conta : 9.9.9.99.9999";

// How a field of the form is shown.
enum class StructureControl { kEntry, kDropList, kDisplay };

struct StructureChoice {
  int value;
  const char* caption;
};

struct StructureFieldText {
  const char* field;    // "CONP:Codigo"
  const char* prompt;   // "Código"
  const char* tip;      // "" when none
  const char* picture;  // "@n6"; "" when none
  StructureControl control = StructureControl::kEntry;
  std::span<const StructureChoice> choices;  // drop lists only
};

// The fields of the form in tab order: "Código", "Nome do Plano de Contas",
// "Número de Níveis", "1º" ... "9º", "Exemplo de como ficará uma conta :",
// "Tipo Operadora", "Cod Plano Referencial".
std::span<const StructureFieldText> structureFormFields();

// A button's caption ('&' marks the mnemonic), tooltip and status-bar text;
// empty texts are not shown.
struct ButtonText {
  std::string caption;
  std::string tip;
  std::string status;
};

struct StructureFormButtons {
  ButtonText ok;
  ButtonText cancel;
  ButtonText help;
};

// "&Grava", "&Cancela", "&Ajuda"; deleting, "&Exclui" and "&Cancela" with
// their deletion tips and status texts.
StructureFormButtons structureFormButtons(Request request);

// Text behind "&Ajuda".
std::string structureFormHelp();

// Procedure, title, the four captions and the fields shown.
const FormDefinition& structureFormDefinition();

class StructureForm {
 public:
  // `table` is the screen's own open `ConfPlanoContas` (the list's, which
  // the form reads and writes through); `scan` an open `ConfPlanoContas0`
  // on the same file, for the duplicate scan and the next free code.  Both,
  // and `context`, must outlive the form.
  StructureForm(ScreenContext& context, Table& table, Table& scan, Request request);

  // Insert: a blank structure with the next free code.  Otherwise the
  // stored record `recordId` (message 1 and kClosed when it cannot be read).
  // Then levels and mask are brought in line with the level count.
  FormState open(int64_t recordId = 0);

  FormController& controller() { return form_; }
  const FormController& controller() const { return form_; }
  Request request() const { return form_.request(); }

  // Field indices of the record.
  int codeField() const { return code_; }
  int nameField() const { return name_; }
  int levelCountField() const { return levelCount_; }
  // `CONP:G1` ... `CONP:G9` for n = 1 .. 9; -1 otherwise.
  int levelField(int n) const;
  int maskField() const { return mask_; }

  // The structure as it stands in the form.
  AccountStructure edited() const;

  // Played before the duplicate-layout message (the system error sound).
  void setErrorSound(std::function<void()> sound) { errorSound_ = std::move(sound); }

  // The screen: the fields in tab order, "&Grava" (or "&Exclui"),
  // "&Cancela" and "&Ajuda"; it closes when the form completes or is
  // cancelled.  Esc and the window's close cancel.
  ScreenModel& screen() { return model_; }

 private:
  void declareScreen();

  void levelCountChanged();
  void rebuildMask();
  bool checkSave(FormController& form);
  // The company using structure `code` (0: none), or nullopt once the
  // failure to read the company files has been shown.
  std::optional<Result<uint16_t>> companyUsing(uint16_t code);

  ScreenContext& ctx_;
  Table& scan_;
  FormController form_;
  int code_, name_, levelCount_, mask_, referential_;
  std::array<int, kUsedLevels> levels_{};
  std::function<void()> errorSound_;
  bool applying_ = false;  // levels and mask being set by the rules themselves
  ScreenModel model_;
};

}  // namespace vorlam::chart
