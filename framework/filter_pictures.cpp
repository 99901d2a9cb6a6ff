#include "framework/filter_pictures.h"

#include "framework/picture.h"
#include "storage/text.h"

namespace vorlam {

PictureFormatter displayPictureFormatter() {
  return [](const FilterValue& value, std::string_view picture) -> std::string {
    Result<Picture> compiled = Picture::compile(picture);
    if (!compiled) return value.toText();
    // Filter texts are Windows-1252; pictures speak UTF-8.
    PictureValue shown = value.isText() ? PictureValue(latin1ToUtf8(value.asText())) : PictureValue(value.asDecimal());
    Result<std::string> text = compiled->format(shown);
    return text ? utf8ToLatin1(*text) : value.toText();
  };
}

}  // namespace vorlam
