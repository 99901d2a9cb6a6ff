// The journal of a file set (file_set_commit.h) as text: its state, label
// and targets, one per line, ending with "end" so that a journal cut short
// is told from a complete one.  The same text is kept in a work directory on
// disk and in a server's catalog.
#pragma once

#include <string>

#include "storage/file_set_commit.h"
#include "storage/status.h"

namespace vorlam {

std::string fileSetJournalText(const FileSetCommit::Journal& journal);

// Parses a journal's text; kCorrupt naming `where` when it is not a whole
// journal.
Result<FileSetCommit::Journal> parseFileSetJournal(const std::string& text, const std::string& where);

}  // namespace vorlam
