// The data dictionary: every table the tool declares, with its file binding,
// directory class, relations and upgrade registration.
//
// A Dictionary is built once by buildDictionary() at start-up and is
// immutable afterwards; the application passes the shared pointer to whoever
// needs it.  Every accessor is const and safe to call from any thread.
// Pointers and references it hands out (TableDef, RelationDef, ...) stay
// valid as long as the Dictionary lives.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "storage/table_def.h"

namespace vorlam {

// Directory classes of the record files.  Shared ones are subdirectories of
// the data root; company ones are inside the selected company's directory.
enum class Location {
  kUnbound,         // the file name is never bound
  kSharedComuns,    // <root>BComuns
  kSharedCtb,       // <root>BCTB
  kSharedEscrita,   // <root>BEscrita
  kCompany,         // <company>
  kCompanyCtb,      // <company>\Ctb
  kCompanyEscrita,  // <company>\Escrita
};

// Where the file of a table lives.  When `shared` is not kUnbound the
// company's settings choose between its own copy (`own`) and the shared one.
// `yearSubdir`: the file is in the working-year subdirectory (four digits) of
// `own`.  The file name is TableDef::binding; in "PlCon###.dat" the "###"
// stands for the code of the account-code structure in three digits.
struct Placement {
  Location own = Location::kUnbound;
  Location shared = Location::kUnbound;
  bool yearSubdir = false;

  bool bound() const { return own != Location::kUnbound; }
  bool ownOrShared() const { return shared != Location::kUnbound; }
};

// A parent-child relation.  Changing a parent's link fields changes them in
// its children; deleting a parent deletes its children (see cascade.h).
struct RelationDef {
  std::string parent;    // label of the parent table
  std::string child;     // label of the child table
  std::string childKey;  // key of the child whose leading components are the links
  // Link field pairs (parent field, child field), names as declared.
  std::vector<std::pair<std::string, std::string>> links;

  // Resolved indexes into the two tables' fields and the child's keys.
  int childKeyIndex = -1;
  std::vector<int> parentFields;
  std::vector<int> childFields;
};

// One registration with the file-upgrade manager, in registration order.
// An alias's field pairs (alias field, copied field) are registered just
// before the alias itself.
struct Registration {
  std::string label;
  std::string prefix;
  int version = 0;
  std::string copies;  // label of the copied table for an alias, else empty
  std::vector<std::pair<std::string, std::string>> fieldPairs;
};

class Dictionary {
 public:
  Dictionary(const Dictionary&) = delete;
  Dictionary& operator=(const Dictionary&) = delete;

  // Every declaration (68), in catalogue order, aliases included.
  const std::vector<TableDef>& tables() const { return tables_; }
  int size() const { return static_cast<int>(tables_.size()); }

  // Lookup by label, case-insensitive.  nullptr / -1 when unknown.
  const TableDef* find(std::string_view label) const;
  int indexOf(std::string_view label) const;

  // Directory class of the declaration at `index` (0 <= index < size()).
  const Placement& placement(int index) const { return placements_[index]; }
  // Directory class by label; an unbound placement for unknown labels.
  const Placement& placement(std::string_view label) const;

  // All relations, in declaration order.
  const std::vector<RelationDef>& relations() const { return relations_; }
  // Relations where `label` is the parent (its children) / the child.
  std::vector<const RelationDef*> childRelations(std::string_view label) const;
  std::vector<const RelationDef*> parentRelations(std::string_view label) const;

  // Upgrade registrations, in registration order (Lanc_Combustivel is
  // declared but never registered).
  const std::vector<Registration>& registrations() const { return registrations_; }

 private:
  friend std::shared_ptr<const Dictionary> buildDictionary();
  Dictionary() = default;

  std::vector<TableDef> tables_;
  std::vector<Placement> placements_;
  std::vector<RelationDef> relations_;
  std::vector<Registration> registrations_;
};

// Builds the dictionary.  Never fails: the declarations are constant data
// checked by the dictionary's tests.  Call once at start-up.
std::shared_ptr<const Dictionary> buildDictionary();

}  // namespace vorlam
