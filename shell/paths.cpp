#include "shell/paths.h"

#include <cstdio>

namespace vorlam::shell {

std::string trimTrailingBlanks(std::string_view text) {
  size_t end = text.size();
  while (end > 0 && text[end - 1] == ' ') --end;
  return std::string(text.substr(0, end));
}

std::string withTrailingSeparator(std::string_view dir) {
  std::string out = trimTrailingBlanks(dir);
  if (!out.empty() && out.back() != kPathSeparator) out += kPathSeparator;
  return out;
}

std::string joinPath(std::string_view dir, std::string_view name) {
  std::string out = trimTrailingBlanks(dir);
  out += kPathSeparator;
  out.append(name);
  return out;
}

std::string zeroPadded(long value, int digits) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%0*ld", digits, value);
  return buf;
}

std::string upperAscii(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return out;
}

}  // namespace vorlam::shell
