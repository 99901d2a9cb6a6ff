#include "adjust/qt/structure_lookup.h"

#include <cstdlib>

#include "chart/structure_list.h"
#include "shell/qt/screen_windows.h"

namespace vorlam::adjust {

std::optional<uint16_t> pickStructure(shell::qt::ShellServices& services, QWidget* parent) {
  const std::vector<std::string> keys = shell::qt::lookUp(services, chart::kStructureListProcedure, parent);
  if (keys.empty()) return std::nullopt;
  return uint16_t(std::atoi(keys.front().c_str()));
}

}  // namespace vorlam::adjust
