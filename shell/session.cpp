#include "shell/session.h"

#include <cstdlib>
#include <set>

#include "shell/startup.h"

namespace vorlam::shell {

namespace {

std::string environment(const char* name) {
  const char* value = std::getenv(name);
  return value == nullptr ? std::string() : std::string(value);
}

Status faulty(const Registration& r, const std::string& why) {
  return Status(StatusCode::kCorrupt, "Registro de tabela inválido: " + r.label + " (" + why + ")",
                r.label);
}

const TableDef* findTable(const std::vector<TableDef>& tables, std::string_view label) {
  for (const TableDef& t : tables)
    if (sameName(t.label, label)) return &t;
  return nullptr;
}

// The checks of one registration; `registered` holds the labels registered
// before it.
Status checkRegistration(const std::vector<TableDef>& tables, const Registration& r,
                         const std::set<std::string>& registered) {
  const TableDef* def = findTable(tables, r.label);
  if (def == nullptr) return faulty(r, "tabela não declarada");
  if (!sameName(def->prefix, r.prefix)) return faulty(r, "prefixo " + r.prefix);
  if (def->version != r.version) return faulty(r, "versão " + std::to_string(r.version));
  if (!sameName(def->copies, r.copies)) return faulty(r, "cópia de " + r.copies);
  if (r.copies.empty()) {
    if (!r.fieldPairs.empty()) return faulty(r, "pares de campos sem cópia");
    return Status::ok();
  }
  const TableDef* copied = findTable(tables, r.copies);
  if (copied == nullptr) return faulty(r, "cópia de tabela não declarada");
  if (copied->version != r.version) return faulty(r, "versão diferente da tabela copiada");
  if (!registered.count(copied->label)) return faulty(r, "registrada antes da tabela copiada");
  if (r.fieldPairs.size() != def->fields.size() || def->fields.size() != copied->fields.size())
    return faulty(r, "pares de campos");
  for (size_t i = 0; i < r.fieldPairs.size(); ++i) {
    if (!sameName(r.fieldPairs[i].first, def->fields[i].name) ||
        !sameName(r.fieldPairs[i].second, copied->fields[i].name))
      return faulty(r, "par " + r.fieldPairs[i].first);
  }
  return Status::ok();
}

}  // namespace

std::filesystem::path defaultSettingsDirectory(const std::string& workingDirectory) {
  if (std::string dir = environment("VORLAM_SETTINGS_DIR"); !dir.empty()) return dir;
  if (std::string config = environment("XDG_CONFIG_HOME"); !config.empty())
    return std::filesystem::path(config) / "vorlam";
  if (std::string home = environment("HOME"); !home.empty())
    return std::filesystem::path(home) / ".config" / "vorlam";
  return workingDirectory;
}

Status checkTableRegistrations(const std::vector<Registration>& registrations,
                               const std::vector<TableDef>& tables) {
  std::set<std::string> registered;
  for (const Registration& r : registrations) {
    if (Status s = checkRegistration(tables, r, registered); !s) return s;
    registered.insert(findTable(tables, r.label)->label);
  }
  return Status::ok();
}

Status checkTableRegistrations(const Dictionary& dictionary) {
  return checkTableRegistrations(dictionary.registrations(), dictionary.tables());
}

Session::Session(const std::filesystem::path& settingsDirectory)
    : settings_(settingsDirectory), windowState_(settings_) {}

Session::~Session() = default;

Result<std::unique_ptr<Session>> Session::start(const Options& options) {
  // The error services and the settings come first: everything after may
  // want to report or read a setting.
  std::unique_ptr<Session> session(new Session(options.settingsDirectory));
  session->savedQueryLoad_ = session->savedQueries_.load(session->settings_);
  session->dictionary_ = buildDictionary();
  SettingsFiles& settings = session->settings_;
  SettingsLookup lookup = [&settings](const std::string& file, const std::string& section,
                                      const std::string& entry, const std::string& fallback) {
    return settings.read(section, entry, fallback, file);
  };
  // A data root that cannot be reached stops the start: going on would
  // show empty lists, or create a new data tree where the share was.
  if (Status s = checkDataRoot(resolveDataLocations(options.workingDirectory, lookup).root); !s) return s;
  applyJournalSetting(lookup);
  session->state_ = startUp(options.workingDirectory, lookup, options.settingsDirectory.string());
  if (Status s = checkTableRegistrations(*session->dictionary_); !s) return s;
  session->identity_ = ErrorIdentity{};
  return session;
}

Status Session::stop() { return savedQueries_.save(settings_); }

}  // namespace vorlam::shell
