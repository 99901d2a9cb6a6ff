// The services of one run of the tool, from start-up to shutdown.
//
// Session::start() turns a bare process into one ready to show the main
// frame, in this order: the error services, the settings files with the
// window-state store on "Vorlam.INI" and the saved-query index loaded from
// its "Sectors" section, the data dictionary, the data root and its module
// directories, the state with the shared file names bound, the check of the
// table registrations, and the error-report identity.  stop() undoes what
// must be undone: it writes the saved-query index back.
//
// Nothing here shows a window.  One Session lives for the whole process and
// is handed to every screen; its members are thread-safe as their own
// headers say (the dictionary is immutable, AppState, SettingsFiles,
// SavedQueryIndex, ErrorServices and ShutdownCoordinator lock inside).
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "dictionary/dictionary.h"
#include "framework/error_manager.h"
#include "framework/saved_queries.h"
#include "framework/settings_file.h"
#include "framework/window_state.h"
#include "shell/app_state.h"
#include "storage/status.h"

namespace vorlam::shell {

// What the error reports of the process carry; fixed at start-up.
struct ErrorIdentity {
  std::string program = "Vorlam.EXE";
  std::string procedure;  // blank
  std::string user;       // blank
};

// The directory of bare-named settings files ("Vorlam.INI", "Brimlet.ini",
// "Ctb.ini"), one for every program of the suite on this machine:
// $VORLAM_SETTINGS_DIR when set, else $XDG_CONFIG_HOME/vorlam, else
// $HOME/.config/vorlam, else `workingDirectory`.
std::filesystem::path defaultSettingsDirectory(const std::string& workingDirectory);

// The registrations of the dictionary are sound: each names a declared table
// under its own prefix and layout version; an alias carries the version of
// the table it copies, comes after it, and pairs each of its fields with the
// same field of that table.  A file converted under a wrong registration
// would lose fields, so start-up refuses to go on (kCorrupt, naming the
// first faulty table).
Status checkTableRegistrations(const Dictionary& dictionary);
// The same check of `registrations` against the declarations `tables`.
Status checkTableRegistrations(const std::vector<Registration>& registrations,
                               const std::vector<TableDef>& tables);

class Session {
 public:
  struct Options {
    std::string workingDirectory;            // absolute
    std::filesystem::path settingsDirectory;  // where bare-named settings live
  };

  // The start-up steps above.  Fails when the data root cannot be reached
  // (the status names it) or the table registrations are faulty; missing
  // settings give their defaults and module directories that cannot be
  // created are passed over.
  static Result<std::unique_ptr<Session>> start(const Options& options);

  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;
  ~Session();

  // Shutdown: writes the saved-query index back to "Sectors" of
  // "Vorlam.INI" (count first, then the lines).  Window states are written
  // as each window closes, so there is nothing else to flush.
  Status stop();

  const Dictionary& dictionary() const { return *dictionary_; }
  std::shared_ptr<const Dictionary> sharedDictionary() const { return dictionary_; }
  AppState& state() { return *state_; }
  const AppState& state() const { return *state_; }
  SettingsFiles& settings() { return settings_; }
  WindowStateStore& windowState() { return windowState_; }
  SavedQueryIndex& savedQueries() { return savedQueries_; }
  ErrorServices& errorServices() { return errorServices_; }
  ShutdownCoordinator& application() { return application_; }
  const ErrorIdentity& identity() const { return identity_; }
  // Status of loading the saved-query index (an unreadable file leaves it
  // empty).
  const Status& savedQueryLoad() const { return savedQueryLoad_; }

 private:
  explicit Session(const std::filesystem::path& settingsDirectory);

  ErrorServices errorServices_;
  ShutdownCoordinator application_;
  SettingsFiles settings_;
  WindowStateStore windowState_;
  SavedQueryIndex savedQueries_;
  Status savedQueryLoad_;
  std::shared_ptr<const Dictionary> dictionary_;
  std::unique_ptr<AppState> state_;
  ErrorIdentity identity_;
};

}  // namespace vorlam::shell
