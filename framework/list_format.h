// The column layout of a list screen, read from its FORMAT string, e.g.
//   "28R(2)|_M~Código~C(0)@n6@80L(2)|_M~Nome~@s40@"
// Each column is: width (list units, a quarter of the average character
// width; 0 hides the column), data alignment L, R, C or D (decimal) with an
// optional indent "(n)", modifier letters ("|" right border, "_" underline,
// "M" resizable, "*" colours, "I"/"J" icon, others kept as they stand), an
// optional header "~text~" with its own alignment and indent, and the
// display picture "@...@".
//
// Toolkit-free: the Qt list window turns columns into header sections.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "storage/status.h"

namespace vorlam {

enum class ColumnAlign { kLeft, kRight, kCenter, kDecimal };

struct ListColumn {
  int width = 0;
  ColumnAlign align = ColumnAlign::kLeft;
  int indent = 0;
  std::string header;  // UTF-8; empty when the column has none
  ColumnAlign headerAlign = ColumnAlign::kLeft;
  int headerIndent = 0;
  std::string picture;  // "@n6", "@s40", "@p##.###p"
  std::string modifiers;  // the modifier letters in order ("|_M")
  bool rightBorder = false;
  bool resizable = false;
  bool icon = false;  // the column shows an icon or mark
  bool colours = false;  // "*": the screen may colour this column's cells per row
  bool hidden() const { return width == 0; }
};

// Parses a FORMAT string.  kInvalidArgument (message naming the position)
// for text that is no column list: a missing width, alignment or closing
// "~" or "@".
Result<std::vector<ListColumn>> parseListFormat(std::string_view format);

}  // namespace vorlam
