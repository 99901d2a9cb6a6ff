// Settings files: any bytes read and written back unchanged; an edit of one
// entry leaves a document that reads the new value and keeps its other
// sections.
#include "framework/settings_file.h"
#include "tests/fuzz/fuzz_util.h"

using namespace vorlam;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view in = fuzz::bytes(data, size);
  IniDocument doc = IniDocument::fromBytes(in);
  fuzz::check(doc.toBytes() == in);
  std::vector<std::string> sections = doc.sections();
  if (!sections.empty() && doc.set(sections.front(), "FuzzEntry", "valor"))
    fuzz::check(doc.get(sections.front(), "FuzzEntry") == std::optional<std::string>("valor"));
  (void)doc.set("Nova", "Chave", std::string(in.substr(0, 64)));
  doc.erase(sections.empty() ? "x" : sections.back(), "FuzzEntry");
  IniDocument again = IniDocument::fromBytes(doc.toBytes());
  fuzz::check(again.toBytes() == doc.toBytes());
  return 0;
}
