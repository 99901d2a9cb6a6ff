// How a record file protects its writes against crashes, chosen per data
// directory.
//
// A rollback journal with full synchronisation is the only mode SQLite keeps
// safe when several machines open the files over a network share; WAL is
// faster but keeps its index in one machine's shared memory, so it is used
// only where the directory is provably on a local disk.  The policy comes
// from the environment variable VORLAM_JOURNAL_MODE ("auto", "rollback" or
// "wal"), which start-up sets from the launcher's settings when the
// variable itself is not set; a Table may override it.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vorlam {

enum class JournalMode {
  kRollback,  // rollback journal, synchronous=FULL: safe on network shares
  kWal,       // write-ahead log, synchronous=NORMAL: local disks only
};

enum class JournalPolicy {
  kAuto,      // WAL on a local disk, rollback anywhere else
  kRollback,  // always the rollback journal
  kWal,       // always WAL (only for a root no other machine opens)
};

inline constexpr char kJournalModeVariable[] = "VORLAM_JOURNAL_MODE";

// "auto", "rollback" (or "delete") and "wal", in any letter case, blanks
// around ignored; nullopt for anything else.
std::optional<JournalPolicy> parseJournalPolicy(std::string_view text);
// The policy the environment asks for; kAuto when unset or unreadable.
JournalPolicy journalPolicyFromEnvironment();
// The mode for record files in `directory` under `policy`.
JournalMode journalModeFor(const std::string& directory, JournalPolicy policy);
const char* journalModeName(JournalMode mode);

}  // namespace vorlam
