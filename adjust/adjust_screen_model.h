// The adjustment screen "Ajuste do Plano de Contas" as a screen model
// (framework/screen_model.h) over its controller (adjust/adjust_screen.h):
// the tabs "Selecionar empresas" and "Dados processados", field 01 with its
// lookup and mask, field 02, the company list (its two orders), the
// selected companies, the processing log and the two bars, and the buttons
// "&Incluir", "&Excluir", "&Restaurar", "Ajustar" and "&Fechar".  Insert in the company
// list includes, Delete in the selected list excludes.
//
// The model carries out the controller's Reactions itself (focus, list
// moves, lookup, closing).  In a window (ScreenModel::runsInBackground())
// the run goes on while "Ajustar" returns: the worker posts its progress,
// the rows it writes and its end to the screen's thread, and the screen
// takes no input but "&Fechar" meanwhile.  In a script "Ajustar" waits for
// the run and completes it before it returns.  Either way the rows the run
// writes in the files of every company are told to the screen's writes
// listener, in order, before the run's final message.
//
// Not thread-safe: lives on the screen's thread (the Listener excepted).
#pragma once

#include <functional>
#include <optional>

#include "adjust/adjust_screen.h"
#include "framework/screen_model.h"

namespace vorlam::adjust {

class AdjustScreenModel : public Screen, private AdjustScreen::Listener {
 public:
  // Opens the structure list over `parent` to pick a structure.
  using StructurePicker = std::function<std::optional<uint16_t>(ScreenModel& parent)>;
  // Opens the company and period selection over `parent`; true when a
  // company is current afterwards.
  using CompanyPicker = std::function<bool(ScreenModel& parent)>;

  // `screen` and `context` (the structure list's, for the default picker)
  // must outlive the model.  An empty `pickStructure` opens the structure
  // list (chart/structure_list.h) as a child.
  AdjustScreenModel(AdjustScreen& screen, ScreenContext& context, StructurePicker pickStructure = {});
  // Stops a run in progress at the next company boundary and waits for it.
  ~AdjustScreenModel() override;

  // The company selection first when no company is current, then the
  // screen's own opening (the backup question).  False, with the model
  // closed, when the screen must not stay open.
  bool open(const CompanyPicker& pickCompany);

  // Carries out what an action of the controller asks for.
  void apply(const Reaction& reaction);

  ScreenModel& model() override { return model_; }

 private:
  void declareFields();
  void declareLists();
  void declareButtons();
  void runAdjust();
  // AdjustScreen::Listener, on the worker's thread.
  void runChanged() override;
  void runEnded() override;

  AdjustScreen& screen_;
  ScreenContext& context_;
  StructurePicker pick_;
  ScreenModel model_;
};

}  // namespace vorlam::adjust
