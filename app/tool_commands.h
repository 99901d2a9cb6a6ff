// Commands of the vorlam-tool executable.  Each takes the arguments after the
// command name, writes its output to `out` and its errors to `err`, and
// returns the process exit status (0 success, 2 bad usage or refused input,
// 1 other failures).
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace vorlam::tool {

using Args = std::vector<std::string>;

struct Command {
  const char* name;
  const char* summary;  // one line for --help
  int (*run)(const Args& args, std::ostream& out, std::ostream& err);
};

// All commands, in the order --help lists them.
const std::vector<Command>& commands();

}  // namespace vorlam::tool
