// The toolkit-free half of a list screen's query by example: the queries a
// list keeps in the settings file.
//
// A saved query is one section of "Vorlam.INI" named through the saved-query
// index (framework/saved_queries.h) by the parts (list procedure, table
// label, query name), e.g. "BPlanoISS_CtaISS$$Serviços de limpeza".  The
// section holds one entry per column that had a value: the column's field
// name = the typed text in double quotes (so blanks and quotes survive).
// Sections are written at once; the index itself is written back whole at
// shutdown by whoever owns it.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "framework/query_builder.h"
#include "framework/saved_queries.h"
#include "framework/settings_file.h"
#include "storage/status.h"

namespace vorlam::qt {

struct SavedQuery {
  std::string name;                                         // UTF-8
  std::vector<std::pair<std::string, std::string>> values;  // field, typed text (UTF-8)
};

// The saved queries of one list.  Thread-safe as far as its index and files
// are; both must outlive the store.
class ListQueryStore {
 public:
  ListQueryStore(SavedQueryIndex& index, SettingsFiles& files, std::string procedure, std::string table,
                 std::string fileName = "Vorlam.INI");

  // Names of this list's queries, in index order.
  std::vector<std::string> names() const;
  // kNotFound when the index has no such query; a section that went missing
  // from the file reads as a query without values.
  Result<SavedQuery> load(std::string_view name) const;
  // Writes the query's section (replacing a query of the same name) and adds
  // its index line.  kInvalidArgument, with a message for the user, for a
  // query without values, a blank name or one the index cannot hold
  // (longer than 99 characters, or with "," or "]").
  Status save(const SavedQuery& query);
  // Deletes the section and the index line; kNotFound when there was none.
  Status remove(std::string_view name);

 private:
  SavedQueryRef refOf(std::string_view name) const;

  SavedQueryIndex& index_;
  SettingsFiles& files_;
  std::string procedure_;
  std::string table_;
  std::string fileName_;
};

// The typed values of `columns` as a saved query named `name`; blank
// columns are left out.
SavedQuery savedQueryOf(std::string name, const std::vector<QueryColumn>& columns);
// `columns` with the values of `query` (columns the query does not name
// become blank).
std::vector<QueryColumn> withSavedValues(std::vector<QueryColumn> columns, const SavedQuery& query);

}  // namespace vorlam::qt
