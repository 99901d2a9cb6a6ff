// Commands of the vorlam-tool executable.  Each takes the arguments after the
// command name, writes its output to `out` and its errors to `err`, and
// returns the process exit status (0 success, 2 bad usage or refused input,
// 1 other failures).
#pragma once

#include <iosfwd>
#include <string>
#include <string_view>
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

// How args[i] stands to an option that takes a value.
enum class OptionMatch { kOther, kMissingValue, kTaken };

// Takes the value of option `name` (such as "--root") at args[*i], given as
// "--root VALUE" (then *i moves onto the value) or "--root=VALUE".
// kOther: args[*i] is another argument; kMissingValue: it is `name` with
// nothing after it.
OptionMatch takeOption(const Args& args, size_t* i, std::string_view name, std::string* value);

}  // namespace vorlam::tool
