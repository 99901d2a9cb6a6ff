#include "fiscal/service_note_labels.h"

#include "fiscal/integration_rules.h"
#include "storage/text.h"

namespace vorlam::fiscal {

namespace {

PostingTriple tripleOf(const Record& r, const std::string& debit, const std::string& credit,
                       const std::string& history) {
  return {latin1ToUtf8(clipText(r.getText(debit))), latin1ToUtf8(clipText(r.getText(credit))), r.getInt(history)};
}

}  // namespace

std::string noteLabel(const NoteGroup& group, const Record& note, const std::optional<Record>& code,
                      std::string_view previous) {
  const PostingTriple source =
      code ? tripleOf(*code, group.codeDebit, group.codeCredit, group.codeHistory) : PostingTriple{};
  const PostingTriple own = tripleOf(note, group.debit, group.credit, group.history);
  return integrationLabel(kServiceCodeWord, source, own, previous);
}

}  // namespace vorlam::fiscal
