// Path text helpers of the shell.  Paths are plain strings built piece by
// piece, each directory component appended with its trailing blanks removed
// and joined with kPathSeparator, the one separator used at the file-system
// boundary.  All functions are pure and thread-safe.
#pragma once

#include <string>
#include <string_view>

namespace vorlam::shell {

#ifdef _WIN32
inline constexpr char kPathSeparator = '\\';
#else
inline constexpr char kPathSeparator = '/';
#endif

// `text` without trailing blanks.
std::string trimTrailingBlanks(std::string_view text);
// `dir` (trailing blanks removed) followed by kPathSeparator, unless it
// already ends with one.  An empty `dir` stays empty.
std::string withTrailingSeparator(std::string_view dir);
// `dir` (trailing blanks removed), kPathSeparator, `name`.
std::string joinPath(std::string_view dir, std::string_view name);
// `value` in `digits` digits with leading zeros ("p########p", "p####p",
// "p###p"); a value too wide for `digits` is written whole.
std::string zeroPadded(long value, int digits);
// ASCII upper case; other bytes unchanged.
std::string upperAscii(std::string_view text);

}  // namespace vorlam::shell
