// The integration labels of a service-tax note: per group, "C. ISS" when the
// note posts by the accounts of its service code, "Manual" when by its own,
// blank when neither has any (fiscal/integration_rules.h, integrationLabel).
// A note whose service code does not exist compares with a code that has
// neither accounts nor history.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "fiscal/service_note_layout.h"
#include "storage/record.h"

namespace vorlam::fiscal {

inline constexpr char kServiceCodeWord[] = "C. ISS";

// The label of `group` for `note` (a record of the layout's table) and its
// service code `code` (a `CtaISS` record; nullopt when there is none), the
// label shown before being `previous`.
std::string noteLabel(const NoteGroup& group, const Record& note, const std::optional<Record>& code,
                      std::string_view previous);

}  // namespace vorlam::fiscal
