#include "ledger/journal_numbers.h"

namespace vorlam::ledger {

namespace {

constexpr int64_t kWhole = 10000;     // 1 at four places
constexpr int64_t kLineStep = 100;    // 0.01 at four places

Decimal atPlaces(int64_t units) { return Decimal::fromUnits(units, kNumberPlaces); }

int64_t unitsOf(const Decimal& d) {
  std::optional<Decimal> r = d.rescaled(kNumberPlaces);
  return r ? r->units() : d.units();
}

int64_t wholeUnits(int64_t units) { return units - units % kWhole; }

}  // namespace

bool hasDecimals(const Decimal& number) { return unitsOf(number) % kWhole != 0; }

Decimal nextWholeNumber(const Decimal& number) { return atPlaces(wholeUnits(unitsOf(number)) + kWhole); }

Decimal numberAfter(const Decimal& added, bool balanced) {
  if (balanced) return nextWholeNumber(added);
  return atPlaces(unitsOf(added) + kLineStep);
}

Result<Decimal> proposeEntryNumber(Table& journal) {
  const int key = journal.def().keyIndex("KEY:NUMERO");
  const int field = journal.def().fieldIndex("Numero");
  if (key < 0 || field < 0) return Status(StatusCode::kInvalidArgument, "tabela sem número de lançamento");
  if (Status s = journal.seekEnd(key); !s) return s;
  Status s = journal.previous();
  journal.endWalk();
  if (s.is(StatusCode::kNotFound)) return atPlaces(kWhole);
  if (!s) return s;
  return nextWholeNumber(journal.buffer().getDecimal(field));
}

Result<Decimal> addJournalLine(Table& journal, const Record& line) {
  const int key = journal.def().keyIndex("KEY:NUMERO");
  const int field = journal.def().fieldIndex("Numero");
  if (key < 0 || field < 0) return Status(StatusCode::kInvalidArgument, "tabela sem número de lançamento");
  const FieldDef& def = journal.def().fields[size_t(field)];
  const int64_t limit = def.maxValue();
  int64_t number = unitsOf(line.getDecimal(field));
  const bool wholeLine = number % kWhole == 0;
  const int64_t entryEnd = wholeUnits(number) + kWhole;

  if (Status s = journal.beginBulk(); !s) return s;
  auto fail = [&journal](Status s) -> Result<Decimal> {
    journal.rollbackBulk();
    return s;
  };
  while (true) {
    journal.buffer().clear();
    journal.buffer().setDecimal(field, atPlaces(number));
    Status found = journal.get(key);
    if (found.is(StatusCode::kNotFound)) break;
    if (!found) return fail(found);
    number += wholeLine ? kWhole : kLineStep;
    if (number > limit || (!wholeLine && number >= entryEnd))
      return fail(Status(StatusCode::kOutOfRange, "Não há número livre para o lançamento", def.name));
  }
  journal.endWalk();
  // Cells only: `line` may be a buffer of the journal's alias.
  journal.buffer().cells() = line.cells();
  journal.buffer().markAllDirty();
  journal.buffer().setRecordId(0);
  journal.buffer().setDecimal(field, atPlaces(number));
  if (Status s = journal.append(); !s) return fail(s);
  if (Status s = journal.flush(); !s) return fail(s);
  return atPlaces(number);
}

}  // namespace vorlam::ledger
