#include "app/tool_commands.h"

namespace vorlam::tool {

// Each command lives in its own tool_*.cpp file.
// (declarations are added here as commands are added)
int runConvertAccount(const Args& args, std::ostream& out, std::ostream& err);

const std::vector<Command>& commands() {
  static const std::vector<Command> kCommands = {
      {"convert-account", "converte códigos de conta de uma estrutura para outra",
       runConvertAccount},
  };
  return kCommands;
}

}  // namespace vorlam::tool
