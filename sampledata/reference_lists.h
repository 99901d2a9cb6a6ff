// Public reference lists compiled into the program, as UTF-8 CSV text with a
// header line (fields holding a comma are quoted):
//
//   kEstadosCsv:    uf,estado                                   (IBGE)
//   kMunicipiosCsv: uf,estado,municipio,codigo_ibge  (codigo_ibge may be empty)
//   kCnaeCsv:       codigo,descricao   CNAE 2.3 subclasses, 7-digit codes
//   kCfopCsv:       codigo,descricao   CFOP codes (headings left out)
//   kServicosCsv:   subitem,descricao  subitems (n.nn) of the national
//                                      service list (LC 116/2003)
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vorlam::sampledata {

extern const char kEstadosCsv[];
extern const char kMunicipiosCsv[];
extern const char kCnaeCsv[];
extern const char kCfopCsv[];
extern const char kServicosCsv[];

// The data rows of a CSV text, header skipped, each split at the commas
// outside double quotes; a quoted field loses its quotes and reads "" as one
// quote.  Blank lines and carriage returns are dropped.
std::vector<std::vector<std::string>> csvRows(std::string_view text);

// `utf8` cut to at most `limit` characters: at the end of the last word that
// fits whole (a word ends at a blank or at ",;:"), without the blanks and punctuation (",;:-") left at the
// end; at the limit itself when there is no blank.  Text within the limit is
// returned unchanged.
std::string cutAtWord(std::string_view utf8, size_t limit);

}  // namespace vorlam::sampledata
