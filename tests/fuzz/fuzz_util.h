// Helpers shared by the fuzz targets.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "storage/table_def.h"

namespace vorlam::fuzz {

inline std::string_view bytes(const uint8_t* data, size_t size) {
  return std::string_view(reinterpret_cast<const char*>(data), size);
}

// The input cut at each newline ("a\nb" -> {"a", "b"}), at most `n` parts
// (the last one keeps the rest).
inline std::vector<std::string_view> parts(std::string_view in, size_t n) {
  std::vector<std::string_view> out;
  while (out.size() + 1 < n) {
    size_t nl = in.find('\n');
    if (nl == std::string_view::npos) break;
    out.push_back(in.substr(0, nl));
    in.remove_prefix(nl + 1);
  }
  out.push_back(in);
  return out;
}

// A failed property: abort so that the fuzzer keeps the input.
inline void check(bool ok) {
  if (!ok) std::abort();
}

// The table the expression targets run against: a number, a text, a
// decimal, an array of texts and a date.
inline const TableDef& firmTable() {
  static const TableDef def = TableBuilder("Empresa", "EMP", "")
                                  .field("EMP:Codigo", kUSHORT)
                                  .field("EMP:RazaoSocial", STRING(40))
                                  .field("EMP:Capital", DECIMAL(11, 2))
                                  .field("EMP:Telefone", STRING(10), 2)
                                  .field("EMP:Data", kLONG)
                                  .build();
  return def;
}

}  // namespace vorlam::fuzz
