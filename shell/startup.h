// Start-up of the process: where the data lives, the data directories, the
// upgrade directory and the names of the shared files.
//
// The rules read only the working directory and two of the launcher's
// settings files, through a SettingsLookup, so they can be exercised without
// touching the real settings.  Nothing here shows a message: missing settings
// yield their defaults and directories that cannot be created are passed
// over (a data root that does not exist surfaces later as open errors).
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "shell/app_state.h"

namespace vorlam::shell {

// Reads one entry of a bare-named settings file ("Brimlet.ini", "Ctb.ini"):
// the stored text, or `fallback` when the file or the entry is missing.
// Must be callable from the start-up thread; no other requirement.
using SettingsLookup =
    std::function<std::string(const std::string& file, const std::string& section,
                              const std::string& entry, const std::string& fallback)>;

// Settings read at start-up.
inline constexpr char kLauncherSettingsFile[] = "Brimlet.ini";
inline constexpr char kLauncherServerSection[] = "Servidor_Contabilidade";
inline constexpr char kLauncherNetPathEntry[] = "NetPath";
// How the record files under the data root journal their writes: "auto"
// (WAL on a local disk, rollback journal on a share), "rollback" or "wal".
// Every workstation that opens the root must agree; see the README.
inline constexpr char kLauncherJournalModeEntry[] = "JournalMode";
inline constexpr char kUpgradeSettingsFile[] = "Ctb.ini";
inline constexpr char kUpgradeSection[] = "UPG File";
inline constexpr char kUpgradePathEntry[] = "Path";

// Module directories under the data root.
inline constexpr char kSharedDir[] = "BComuns";
inline constexpr char kFiscalBooksDir[] = "BEscrita";
inline constexpr char kAccountingDir[] = "BCTB";
inline constexpr char kTempDir[] = "Temp";

// The data root for a process started in `workingDirectory` (absolute):
// - when the upper-case directory contains "TRABALHO" followed by the path
//   separator, the directory itself (trailing blanks removed) followed by the
//   separator; the settings are not read;
// - otherwise "NetPath" of section "Servidor_Contabilidade" of "Brimlet.ini",
//   defaulting to the working directory; a blank value counts as missing, a
//   missing trailing separator is added and a relative value is taken
//   relative to the working directory.
// The result always ends with kPathSeparator.
std::string dataRootFor(const std::string& workingDirectory, const SettingsLookup& settings);

// The upgrade directory: "Path" of section "UPG File" of "Ctb.ini" (trailing
// blanks removed) when it is not blank, else `root` + "BComuns" + separator.
std::string upgradeDirectoryFor(const std::string& root, const SettingsLookup& settings);

// The module directories under `root` (which ends with the separator); the
// upgrade directory is its default, `root` + "BComuns" + separator.
DataLocations locationsUnder(const std::string& root);

// Data root, module directories and upgrade directory.
DataLocations resolveDataLocations(const std::string& workingDirectory,
                                   const SettingsLookup& settings);

// Creates the data root, then "BComuns", "BEscrita", "BCTB" and "Temp" under
// it, in that order.  Existing directories and failures are passed over.
void createDataDirectories(const DataLocations& locations);

// The names of the files shared by all companies, as bound once at start-up:
// binding name -> root + module directory + separator + file name.
BindingMap sharedFileNames(const std::string& root);

// The whole start-up of the data side: resolves the locations, creates the
// directories, creates the state and binds the shared file names.  The
// current company starts blank (code 0).  A data root on a database server
// has no folder for local work files: `machineDirectory` (this machine's
// settings directory) keeps its "Temp" then.
std::unique_ptr<AppState> startUp(const std::string& workingDirectory,
                                  const SettingsLookup& settings,
                                  const std::string& machineDirectory = {});

// Ok when `root` is a directory that can be reached; otherwise a status
// whose Portuguese message names it (server off, share gone, mapped drive
// disconnected).  Start-up never creates a missing data root: on a share
// that is gone it would be a new, empty data tree on the local disk.
Status checkDataRoot(const std::string& root);

// Takes the journal mode of "Brimlet.ini" for the record files of this
// process, unless the environment already sets it (VORLAM_JOURNAL_MODE,
// which wins).  An unreadable value is passed over (the mode stays "auto").
// Start-up only, before any other thread runs.
void applyJournalSetting(const SettingsLookup& settings);

// The process's working directory, absolute; empty when it cannot be read.
std::string currentWorkingDirectory();

}  // namespace vorlam::shell
