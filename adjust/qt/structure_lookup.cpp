#include "adjust/qt/structure_lookup.h"

#include <QEventLoop>

#include "chart/qt/structure_list_window.h"
#include "framework/qt/screen_modal.h"

namespace vorlam::adjust {

std::optional<uint16_t> pickStructure(const Dictionary& dict, const shell::AppState& state,
                                      ErrorServices& errorServices, ApplicationControl& application,
                                      QWidget* parent) {
  std::optional<uint16_t> chosen;
  QWidget* list = chart::qt::openStructureList(dict, state, errorServices, application, parent,
                                               [&chosen](const chart::AccountStructure& s) { chosen = s.code; });
  if (list == nullptr) return std::nullopt;
  // The list deletes itself when it closes, after a choice or without one;
  // until then it blocks the adjustment screen only.
  vorlam::qt::runForScreen(list, parent);
  return chosen;
}

}  // namespace vorlam::adjust
