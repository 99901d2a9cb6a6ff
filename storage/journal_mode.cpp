#include "storage/journal_mode.h"

#include <cctype>

#include "storage/platform.h"

namespace vorlam {

std::optional<JournalPolicy> parseJournalPolicy(std::string_view text) {
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front()))) text.remove_prefix(1);
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) text.remove_suffix(1);
  std::string lower;
  for (char c : text) lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (lower == "auto") return JournalPolicy::kAuto;
  if (lower == "rollback" || lower == "delete") return JournalPolicy::kRollback;
  if (lower == "wal") return JournalPolicy::kWal;
  return std::nullopt;
}

JournalPolicy journalPolicyFromEnvironment() {
  return parseJournalPolicy(platform::environmentVariable(kJournalModeVariable)).value_or(JournalPolicy::kAuto);
}

JournalMode journalModeFor(const std::string& directory, JournalPolicy policy) {
  switch (policy) {
    case JournalPolicy::kRollback: return JournalMode::kRollback;
    case JournalPolicy::kWal: return JournalMode::kWal;
    case JournalPolicy::kAuto: break;
  }
  // Unknown file systems count as shared: the cost of being wrong the other
  // way is a damaged file.
  return platform::volumeKind(directory) == platform::VolumeKind::kLocal ? JournalMode::kWal : JournalMode::kRollback;
}

const char* journalModeName(JournalMode mode) { return mode == JournalMode::kWal ? "wal" : "rollback"; }

}  // namespace vorlam
