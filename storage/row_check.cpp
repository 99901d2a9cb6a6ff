#include "storage/row_check.h"

#include <cstring>

#include "storage/decimal.h"
#include "storage/record.h"
#include "storage/text.h"

namespace vorlam {

void RowCheck::addText(const char* p, size_t n) {
  // The length goes first, so that the zero padding of the last word cannot
  // make two texts alike.
  addInt(static_cast<int64_t>(n));
  size_t i = 0;
  for (; i + 8 <= n; i += 8) {
    uint64_t w;
    std::memcpy(&w, p + i, 8);
    h_ = step(h_, w);
  }
  if (i < n) {
    uint64_t w = 0;
    std::memcpy(&w, p + i, n - i);
    h_ = step(h_, w);
  }
}

std::string checkTypeToken(const FieldDef& f) {
  switch (f.type()) {
    case FieldType::kByte: return "B";
    case FieldType::kShort: return "H";
    case FieldType::kUShort: return "U";
    case FieldType::kLong: return "L";
    case FieldType::kULong: return "W";
    case FieldType::kDecimal: return "D" + std::to_string(f.typeSpec.size);
    case FieldType::kString: return "S" + std::to_string(f.typeSpec.size);
  }
  return "I";
}

bool CheckType::admits(int64_t v) const {
  switch (kind) {
    case 'I': return true;
    case 'B': return v >= 0 && v <= 255;
    case 'H': return v >= -32768 && v <= 32767;
    case 'U': return v >= 0 && v <= 65535;
    case 'L': return v >= INT32_MIN && v <= INT32_MAX;
    case 'W': return v >= 0 && v <= static_cast<int64_t>(UINT32_MAX);
    case 'D': {
      int64_t top = pow10i(size) - 1;
      return v >= -top && v <= top;
    }
  }
  return false;
}

bool parseCheckType(const char* p, size_t n, CheckType* out) {
  if (n == 0 || std::strchr("IBHUWLDS", p[0]) == nullptr) return false;
  *out = CheckType();
  out->kind = p[0];
  bool sized = out->kind == 'D' || out->kind == 'S';
  if (!sized) return n == 1;
  if (n < 2 || n > 6) return false;
  int size = 0;
  for (size_t i = 1; i < n; ++i) {
    if (p[i] < '0' || p[i] > '9') return false;
    size = size * 10 + (p[i] - '0');
  }
  if (size < 1 || (out->kind == 'D' && size > 18)) return false;
  out->size = size;
  return true;
}

int64_t recordCheck(const TableDef& def, const std::vector<Cell>& cells, int64_t stamp) {
  RowCheck check;
  check.addInt(stamp);
  for (const auto& f : def.fields)
    for (int e = 0; e < f.dim; ++e) {
      const Cell& c = cells[f.column + e];
      if (f.isText()) {
        std::string_view t = clipText(c.s);
        check.addText(t.data(), t.size());
      } else {
        check.addInt(c.i);
      }
    }
  return check.value();
}

}  // namespace vorlam
