// List FORMAT strings: parse them and compile every column's picture.
#include "framework/list_format.h"
#include "framework/picture.h"
#include "tests/fuzz/fuzz_util.h"

using namespace vorlam;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  auto columns = parseListFormat(fuzz::bytes(data, size));
  if (!columns) return 0;
  for (const ListColumn& c : *columns) {
    fuzz::check(c.width >= 0);  // indents may be negative (text pulled left)
    if (!c.picture.empty()) (void)Picture::compile(c.picture);
  }
  return 0;
}
