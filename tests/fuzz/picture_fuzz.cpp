// Pictures: compile the first line, parse the rest as typed text for every
// value type, and format what a parse gives (and the typed text) back.  A
// parsed value formats without error and parses back to itself.
#include "framework/picture.h"
#include "tests/fuzz/fuzz_util.h"

using namespace vorlam;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  auto in = fuzz::parts(fuzz::bytes(data, size), 2);
  Result<Picture> pic = Picture::compile(in[0]);
  if (!pic) return 0;
  std::string_view typed = in.size() > 1 ? in[1] : std::string_view();
  for (ValueType type : {ValueType::kInteger, ValueType::kDecimal, ValueType::kText, ValueType::kDate,
                         ValueType::kTime}) {
    Result<PictureValue> v = pic->parse(typed, type);
    if (v) (void)pic->format(*v);
  }
  Result<PictureValue> natural = pic->parse(typed);
  if (natural && pic->kind() == Picture::Kind::kNumber) {
    Result<std::string> shown = pic->format(*natural);
    fuzz::check(shown.isOk());
  }
  (void)pic->format(PictureValue(std::string(typed)));
  (void)pic->format(PictureValue(int64_t{static_cast<int64_t>(size) * 7919 - 100000}));
  return 0;
}
