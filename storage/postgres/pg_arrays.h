// Many rows in one statement: each column travels as one array parameter
// and the server unnests them side by side.  A statement starts once per
// row on the server (its plan, the key expressions of the folded columns),
// which costs more than writing the row; a thousand rows per statement pay
// it once.
#pragma once

#include <string>
#include <vector>

namespace vorlam::pg {

// Appends `value` to the array literal `array` being built ("{1,2" ...;
// the caller closes it with '}'); texts are quoted.
void appendArrayElement(std::string* array, const std::string& value, bool text);

// "ROWS FROM (unnest($1::bigint[]), unnest($2::text[]), ...) AS v(a0, a1, ...)"
// over `types`, one per parameter.
std::string unnestRows(const std::vector<const char*>& types);

}  // namespace vorlam::pg
