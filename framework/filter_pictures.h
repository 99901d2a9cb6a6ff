// The display pictures seen from filter expressions: FORMAT(value,@picture)
// in a list's filter shows the value as the picture shows it on screen, so
// that "Sub(Format(CFO:Codigo,@n04),3,2)" reads the digits the user sees.
#pragma once

#include "framework/filter.h"

namespace vorlam {

// A PictureFormatter backed by the picture engine (framework/picture.h).
// A picture that does not compile, or a value it cannot show, gives the
// value's plain text, as FORMAT without a formatter does.  Thread-safe.
PictureFormatter displayPictureFormatter();

}  // namespace vorlam
