// Reading a data root from outside the application: which root, company
// and year a command names, and the file names the shell binds for the
// shared tables and for one company and year.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "dictionary/dictionary.h"
#include "shell/app_state.h"
#include "storage/status.h"
#include "storage/table.h"

namespace vorlam::utilities {

// A data root and, optionally, one company and working year in it.
struct RootSelection {
  std::string root;      // as given; an existing directory or a server location
  uint16_t company = 0;  // 0: no company (only the shared files are bound)
  int year = 0;          // with a company: 1801..9998
  bool help = false;     // "--help" or "-h" was given; nothing else is checked then
};

// Reads "--root DIR [--company N --year A]" (each also as "--name=value")
// from `args`.  Arguments not starting with "-" are appended to *positional
// in order; any other option is refused.  "--help" or "-h" anywhere sets
// `help` and nothing else is read.  kInvalidArgument with a message
// (Portuguese, UTF-8) on the first fault: unknown option, missing value,
// missing --root, --company without --year or the reverse, a code or year
// out of range, a root that is not a directory (or, for a server location,
// a server that does not answer as a data root).
Status parseRootSelection(const std::vector<std::string>& args, RootSelection* selection,
                          std::vector<std::string>* positional);

// The bindings in force under `root` (a directory; made absolute, separator
// added): the shared names, and when `company` is not 0 the company and year
// names as selecting that company for `year` (whole year) binds them, the
// contract-change history deciding the chart in force.  Nothing is created
// or written.  A missing company record binds as for a company with the
// shared chart of structure 1.  Fails only when the company file cannot be
// read.
Result<shell::BindingMap> bindingsFor(const Dictionary& dict, const std::string& root,
                                      uint16_t company, int year);

// bindingsFor() the selection's root, company and year, refusing a company
// the company file does not hold (kNotFound, "empresa N não cadastrada em
// ARQUIVO"): a command must not report on files no company owns.  Any other
// failure's message (Portuguese) says that the company file could not be
// read, and why.
Result<shell::BindingMap> bindingsFor(const Dictionary& dict, const RootSelection& selection);

// Opens `table` read-only on the file bound to its declaration: kNoName when
// no file is bound (a company table without a company), kFileNotFound when
// the file does not exist (nothing is created).
Status openBound(Table& table, const shell::BindingMap& names);

}  // namespace vorlam::utilities
