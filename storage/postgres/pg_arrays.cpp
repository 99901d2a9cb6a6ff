#include "storage/postgres/pg_arrays.h"

namespace vorlam::pg {

void appendArrayElement(std::string* array, const std::string& value, bool text) {
  *array += array->empty() ? '{' : ',';
  if (!text) {
    *array += value;
    return;
  }
  *array += '"';
  for (char c : value) {
    if (c == '"' || c == '\\') *array += '\\';
    *array += c;
  }
  *array += '"';
}

std::string unnestRows(const std::vector<const char*>& types) {
  std::string from = "ROWS FROM (", names;
  for (size_t i = 0; i < types.size(); ++i) {
    from += (i ? ", unnest($" : "unnest($") + std::to_string(i + 1) + "::" + types[i] + "[])";
    names += (i ? ", a" : "a") + std::to_string(i);
  }
  return from + ") AS v(" + names + ")";
}

}  // namespace vorlam::pg
