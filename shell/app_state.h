// Process-wide state of the application: where the data lives, the file name
// bound to every table, and the current company and period.
//
// One AppState is created at start-up (see shell/startup.h) and handed to
// every screen and worker that needs it; there is no global instance.  All
// members are safe to call from any thread.  The data locations are fixed at
// construction; the company values and the file-name bindings change
// together under one mutex, so a reader never sees the bindings of one
// company next to the values of another (take a snapshot() when more than
// one value is needed).
//
// Tables copy their file name when they are opened: a table opened before a
// company switch stays on its file until it is closed and reopened.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "dictionary/cascade.h"
#include "shell/paths.h"

namespace vorlam::shell {

// Directories fixed at start-up.  `root` ends with kPathSeparator; the others
// are `root` followed by the module directory name, without a separator.
struct DataLocations {
  std::string root;
  std::string shared;       // root + "BComuns"
  std::string fiscalBooks;  // root + "BEscrita"
  std::string accounting;   // root + "BCTB"
  std::string temp;         // root + "Temp"
  std::string upgrade;      // working directory of layout upgrades
};

// Chart types (GLO:EMPRESA:PLCONTAS) and file types (TIPOFORNECEDOR, ...).
inline constexpr int kSharedCopy = 1;  // "Geral": the copy shared by all companies
inline constexpr int kOwnCopy = 2;     // "Individual": the company's own copy

// Month value that stands for the whole year.
inline constexpr int kWholeYear = 13;

// The current company and period.  Texts are UTF-8.
struct CurrentCompany {
  uint16_t codigo = 0;          // GLO:EMPRESA:CODIGO; 0 = no company
  std::string razao;            // GLO:EMPRESA:RAZAO
  std::string uf;               // GLO:EMPRESA:UF
  int plContas = 0;             // GLO:EMPRESA:PLCONTAS, chart type in force
  std::string tpContasDesc;     // GLO:EMPRESA:TPCONTAS_DESC
  uint16_t codPlanoContas = 0;  // GLO:EMPRESA:CODPLANOCONTAS, structure in force
  int lotes = 0;                // GLO:EMPRESA:LOTES
  int tipoFornecedor = 0;       // GLO:EMPRESA:TIPOFORNECEDOR
  int tipoCfo = 0;              // GLO:EMPRESA:TIPOCFO
  int tipoContaIss = 0;         // GLO:EMPRESA:TIPOCONTAISS
  uint16_t ano = 0;             // GLO:ANO
  int mes = 0;                  // GLO:MES, 1..12 or kWholeYear

  bool operator==(const CurrentCompany&) const = default;
};

// "Geral" for chart type 1, "Individual" for 2; `previous` for any other.
std::string chartTypeDescription(int plContas, const std::string& previous);

// Binding name (TableDef::binding, e.g. "Empresas.dat", "PlCon###.dat") to
// the full path of the file.
using BindingMap = std::map<std::string, std::string>;

// A consistent copy of the state at one moment.  Cheap: the bindings are
// shared, immutable, and replaced (never edited) by writers.
struct AppSnapshot {
  CurrentCompany company;
  std::shared_ptr<const BindingMap> bindings;
  uint64_t generation = 0;  // grows by one with every change of the state

  // Full path bound to `binding`; empty when it is not bound.
  std::string pathFor(const std::string& binding) const;
  // pathFor() as a resolver for the cascades; it keeps its own reference to
  // this snapshot's bindings, so it may outlive the snapshot.
  PathResolver resolver() const;
};

class AppState {
 public:
  explicit AppState(DataLocations locations);
  AppState(const AppState&) = delete;
  AppState& operator=(const AppState&) = delete;

  // Fixed for the life of the object; no lock needed.
  const DataLocations& locations() const { return locations_; }
  const std::string& dataRoot() const { return locations_.root; }

  AppSnapshot snapshot() const;
  CurrentCompany company() const;
  // Full path bound to `binding`; empty when it is not bound.  A table copies
  // this value when it opens its file.
  std::string pathFor(const std::string& binding) const;
  // pathFor() as a resolver: each call reads the bindings current at that
  // moment.  Valid while this object lives.
  PathResolver resolver() const;

  // Adds or replaces the given bindings; the others stay as they are.
  void bind(const BindingMap& names);
  // Replaces the company values, bindings untouched (selection edits).
  void setCompany(const CurrentCompany& company);
  // One atomic step: the company values are replaced and `names` merged into
  // the bindings.  Concurrent readers see the state before or after, never
  // a mixture.
  void switchCompany(const CurrentCompany& company, const BindingMap& names);

  // A read-modify-write step.  `change` gets the state as it stands, edits
  // the company values in `company` (a copy) and fills `names` with the
  // bindings to merge; both are committed together when it returns, as by
  // switchCompany().  Writers are serialised, so no other change lands
  // between the read and the commit; readers are not blocked while `change`
  // runs (it may read files and create directories) and see nothing of it
  // before the commit.  `change` must not call the writers of this object.
  using Change =
      std::function<void(const AppSnapshot& before, CurrentCompany& company, BindingMap& names)>;
  void transact(const Change& change);

 private:
  void commit(const CurrentCompany& company, const BindingMap& names);

  const DataLocations locations_;
  std::mutex writerMu_;  // held by every writer for its whole step
  mutable std::mutex mu_;
  CurrentCompany company_;                    // guarded by mu_
  std::shared_ptr<const BindingMap> names_;   // guarded by mu_
  uint64_t generation_ = 0;                   // guarded by mu_
};

}  // namespace vorlam::shell
