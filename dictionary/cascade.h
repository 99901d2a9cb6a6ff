// Cascading updates and deletes along the dictionary's relations.
//
// Changing a parent's link fields carries the new values to every child found
// through the relation's child key at the old values; deleting a parent
// deletes every child found at its values.  Children cascade to their own
// children in turn.
//
// The cascades open the child tables themselves, on the paths the caller's
// resolver gives; a table without a bound name (empty binding, or an empty
// path from the resolver) is skipped silently, and so is a child file that
// does not exist (it holds no children).  The caller must not hold a child
// file in bulk mode meanwhile: the cascade writes through tables of its own.
// No global state is used: the functions may run on any thread, each call
// with its own table instances.
#pragma once

#include <functional>
#include <string>

#include "dictionary/dictionary.h"
#include "storage/record.h"
#include "storage/status.h"
#include "storage/table.h"

namespace vorlam {

// Full path of the file bound to a binding name (TableDef::binding), or an
// empty text when the name is not bound.
using PathResolver = std::function<std::string(const std::string& binding)>;

// Carries a change of `before` into `after` (two buffers of the same table, a
// declaration of `dict`) to the children of every relation whose parent link
// fields changed.  Call after the parent record itself was written.  Stops at
// the first child that cannot be read or written and returns its status.
Status cascadeUpdate(const Dictionary& dict, const PathResolver& resolve, const Record& before,
                     const Record& after);

// Deletes every child of `parent` (a buffer of a declaration of `dict`),
// grandchildren first.  Call before erasing the parent; on failure keep the
// parent.  Children already deleted by another workstation are passed over.
Status cascadeDelete(const Dictionary& dict, const PathResolver& resolve, const Record& parent);

// Writes the buffer of `table` over its record (Table::update) and then
// cascades the change; `before` is the record as read.
Status updateCascading(Table& table, const Record& before, const Dictionary& dict,
                       const PathResolver& resolve);

// Deletes the children of the record last read by `table`, then the record
// itself (Table::erase).
Status eraseCascading(Table& table, const Dictionary& dict, const PathResolver& resolve);

}  // namespace vorlam
