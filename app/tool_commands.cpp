#include "app/tool_commands.h"

namespace vorlam::tool {

// Each command lives in its own tool_*.cpp file.
// (declarations are added here as commands are added)

const std::vector<Command>& commands() {
  static const std::vector<Command> kCommands = {
  };
  return kCommands;
}

}  // namespace vorlam::tool
