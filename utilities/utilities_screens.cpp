#include "utilities/utilities_screens.h"

#include "shell/main_menu.h"
#include "utilities/file_manager_screen.h"

namespace vorlam::utilities {

void registerScreens(shell::ScreenRegistry& registry) {
  registry.add(kFileManagerProcedure, [](shell::ScreenServices& s, const shell::ScreenRequest&)
                                          -> Result<std::unique_ptr<Screen>> {
    return std::unique_ptr<Screen>(new FileManagerScreen(s));
  });
  registry.addMenuItem(shell::menu::kAtualizacao, kFileManagerProcedure);
}

}  // namespace vorlam::utilities
