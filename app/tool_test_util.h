// Runs the vorlam-tool executable built next to the test program, with its
// output captured.
#pragma once

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "storage/platform.h"
#include "storage/test_util.h"

namespace vorlam::tool {

struct ToolOutput {
  int status = -1;  // exit code; -1 when it could not run or was killed
  std::string out;  // standard output
  std::string err;  // standard error
};

inline std::string toolPath() {
  std::string self = platform::executablePath();
  size_t slash = self.size();
  while (slash > 0 && !platform::isSeparator(self[slash - 1])) --slash;
#ifdef _WIN32
  return self.substr(0, slash) + "vorlam-tool.exe";
#else
  return self.substr(0, slash) + "vorlam-tool";
#endif
}

inline bool toolBuilt() { return platform::exists(toolPath()); }

inline std::string readWhole(const std::string& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// Runs "vorlam-tool ARGS" (no shell between: arguments arrive as given).
inline ToolOutput runTool(const std::vector<std::string>& args) {
  testing::TempDir scratch;
  ToolOutput r;
  Result<platform::Process> p =
      platform::Process::start(toolPath(), args, scratch.file("out"), scratch.file("err"));
  if (!p) {
    r.err = p.status().toString();
    return r;
  }
  Result<int> code = p.value().wait();
  r.status = code ? code.value() : -1;
  r.out = readWhole(scratch.file("out"));
  r.err = readWhole(scratch.file("err"));
#ifdef _WIN32
  // Text written in text mode comes back with CR LF line ends.
  for (std::string* s : {&r.out, &r.err}) {
    std::string plain;
    for (size_t i = 0; i < s->size(); ++i)
      if (!((*s)[i] == '\r' && i + 1 < s->size() && (*s)[i + 1] == '\n')) plain += (*s)[i];
    *s = plain;
  }
#endif
  return r;
}

}  // namespace vorlam::tool
