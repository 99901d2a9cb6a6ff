// Entry numbers of the journal (`Diario`): the number offered for a new
// entry, the number a line is added under, and the number offered after it.
//
// Numbers are DECIMAL with four places: the lines of one composite entry
// share the whole part and differ in the decimals (12, 12.01, 12.02).
//
// Adding is decided inside the write: the file's write lock is taken
// (BEGIN IMMEDIATE, waiting within the table's busy timeout for another
// workstation's write), the number is moved on past the lines that hold it,
// the line is added and the lock released, so two workstations that were
// offered the same number never both add under it.  A whole number moves on
// by 1 (the next entry); a number with decimals moves on by 0.01 within its
// own entry, so that a line of entry 12 never lands in entry 13.
//
// Not thread-safe: each caller owns its Table.
#pragma once

#include "storage/decimal.h"
#include "storage/record.h"
#include "storage/status.h"
#include "storage/table.h"

namespace vorlam::ledger {

inline constexpr int kNumberPlaces = 4;

// The whole part of the highest number of the open journal plus 1; 1 when
// the journal is empty.
Result<Decimal> proposeEntryNumber(Table& journal);

// Adds `line` (a record of the journal's layout) under its number, moved on
// past the numbers already taken as described above, in one write
// transaction.  Returns the number the line was added under; the table's
// buffer then holds the added record.  kOutOfRange when an entry has no free
// line number left (or the number would overflow); storage failures as
// they come (nothing is written then).
Result<Decimal> addJournalLine(Table& journal, const Record& line);

// The number offered after `added` was added: the next line of the same
// entry (+0.01) when its debit and credit values differ, else the next
// entry (whole part + 1).
Decimal numberAfter(const Decimal& added, bool balanced);

// The next entry after `number`: its whole part + 1.
Decimal nextWholeNumber(const Decimal& number);

bool hasDecimals(const Decimal& number);

}  // namespace vorlam::ledger
