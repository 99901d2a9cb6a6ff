#include "shell/startup.h"

#include <filesystem>
#include <system_error>

#include "shell/company_files.h"
#include "storage/journal_mode.h"
#include "storage/platform.h"
#include "storage/table.h"
#include "storage/table_backend.h"

namespace vorlam::shell {

namespace {

// The marker of a working copy of the suite: a directory inside one named
// TRABALHO holds its own data and ignores the server's.
std::string workingCopyMarker() { return std::string("TRABALHO") + kPathSeparator; }

// A data root given relative to the working directory would move with it;
// resolve it once so that every later file name is absolute.
std::string absoluteUnder(const std::string& workingDirectory, const std::string& dir) {
  std::filesystem::path p(dir);
  if (p.is_relative()) p = std::filesystem::path(workingDirectory) / p;
  return withTrailingSeparator(p.lexically_normal().string());
}

}  // namespace

std::string dataRootFor(const std::string& workingDirectory, const SettingsLookup& settings) {
  std::string dir = trimTrailingBlanks(workingDirectory);
  if (upperAscii(dir).find(workingCopyMarker()) != std::string::npos) {
    return withTrailingSeparator(dir);
  }
  std::string fallback = withTrailingSeparator(dir);
  std::string net = settings ? trimTrailingBlanks(settings(kLauncherSettingsFile,
                                                           kLauncherServerSection,
                                                           kLauncherNetPathEntry, fallback))
                             : fallback;
  // A blank entry would put every file in the process's current directory
  // under a relative name; take the documented default instead.
  if (net.empty()) net = fallback;
  if (net.empty()) return net;
  // A database on a server is no directory: its address stays as written.
  if (isServerLocation(net)) return withTrailingSeparator(net);
  return absoluteUnder(dir, net);
}

std::string upgradeDirectoryFor(const std::string& root, const SettingsLookup& settings) {
  std::string path = settings ? trimTrailingBlanks(settings(kUpgradeSettingsFile, kUpgradeSection,
                                                            kUpgradePathEntry, ""))
                              : std::string();
  if (!path.empty()) return path;
  return trimTrailingBlanks(root) + kSharedDir + kPathSeparator;
}

DataLocations locationsUnder(const std::string& root) {
  DataLocations loc;
  loc.root = root;
  std::string base = trimTrailingBlanks(root);
  loc.shared = base + kSharedDir;
  loc.fiscalBooks = base + kFiscalBooksDir;
  loc.accounting = base + kAccountingDir;
  loc.temp = base + kTempDir;
  loc.upgrade = upgradeDirectoryFor(root, nullptr);
  return loc;
}

DataLocations resolveDataLocations(const std::string& workingDirectory,
                                   const SettingsLookup& settings) {
  DataLocations loc = locationsUnder(dataRootFor(workingDirectory, settings));
  loc.upgrade = upgradeDirectoryFor(loc.root, settings);
  return loc;
}

void createDataDirectories(const DataLocations& locations) {
  // Failures are deliberately ignored: a missing root shows up as the open
  // errors of the screens, which say which file could not be reached.
  for (const std::string* dir : {&locations.root, &locations.shared, &locations.fiscalBooks,
                                 &locations.accounting, &locations.temp}) {
    if (!dir->empty()) (void)makeDirectories(*dir);
  }
}

BindingMap sharedFileNames(const std::string& root) {
  struct Shared {
    const char* binding;
    const char* dir;
  };
  static constexpr Shared kShared[] = {
      {kEmpresaFile, kSharedDir},          {kAltContratuaisFile, kSharedDir},
      {"Estados.dat", kSharedDir},         {"CNAE.dat", kSharedDir},
      {"CodAltCo.dat", kSharedDir},        {"Municipi.dat", kSharedDir},
      {"Filiais.dat", kSharedDir},         {"CIntegra.dat", kSharedDir},
      {"ConfPlan.dat", kAccountingDir},
  };
  BindingMap names;
  std::string base = trimTrailingBlanks(root);
  for (const Shared& s : kShared) names[s.binding] = joinPath(base + s.dir, s.binding);
  return names;
}

std::unique_ptr<AppState> startUp(const std::string& workingDirectory,
                                  const SettingsLookup& settings,
                                  const std::string& machineDirectory) {
  DataLocations locations = resolveDataLocations(workingDirectory, settings);
  if (isServerLocation(locations.root) && !machineDirectory.empty())
    locations.temp = joinPath(machineDirectory, kTempDir);
  createDataDirectories(locations);
  auto state = std::make_unique<AppState>(locations);
  state->bind(sharedFileNames(locations.root));
  return state;
}

Status checkDataRoot(const std::string& root) {
  std::string dir = trimTrailingBlanks(root);
  while (dir.size() > 1 && platform::isSeparator(dir.back()) && dir[dir.size() - 2] != ':') dir.pop_back();
  if (isServerLocation(dir)) return checkServerLocation(dir);
  if (!dir.empty() && platform::isDirectory(dir)) return Status::ok();
  return Status(StatusCode::kFileNotFound,
                "Não foi possível acessar a pasta de dados " + trimTrailingBlanks(root) +
                    ". Verifique se o servidor está ligado e se a pasta compartilhada está disponível.",
                root);
}

void applyJournalSetting(const SettingsLookup& settings) {
  if (!settings || !platform::environmentVariable(kJournalModeVariable).empty()) return;
  std::string value = settings(kLauncherSettingsFile, kLauncherServerSection, kLauncherJournalModeEntry, "");
  if (parseJournalPolicy(value)) platform::setEnvironmentVariable(kJournalModeVariable, trimTrailingBlanks(value));
}

std::string currentWorkingDirectory() {
  std::error_code ec;
  std::filesystem::path p = std::filesystem::current_path(ec);
  return ec ? std::string() : p.string();
}

}  // namespace vorlam::shell
