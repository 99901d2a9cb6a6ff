// Public reference lists compiled into the program: the Brazilian states and
// municipalities (IBGE), as UTF-8 CSV text with a header line.
//
//   kEstadosCsv:    uf,estado
//   kMunicipiosCsv: uf,estado,municipio,codigo_ibge  (codigo_ibge may be empty)
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vorlam::utilities {

extern const char kEstadosCsv[];
extern const char kMunicipiosCsv[];

// The data rows of a simple CSV text (no quoted fields), header skipped,
// each split at the commas; blank lines and carriage returns are dropped.
std::vector<std::vector<std::string>> csvRows(std::string_view text);

}  // namespace vorlam::utilities
