#include "fiscal/service_note_references.h"

#include <cctype>

#include "storage/text.h"

namespace vorlam::fiscal {

namespace {

// The inscription as a positive code; nullopt for anything else.
std::optional<int64_t> positiveNumber(std::string_view text) {
  text = clipText(text);
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  if (text.empty() || text.size() > 10) return std::nullopt;
  int64_t n = 0;
  for (char c : text) {
    if (!std::isdigit(static_cast<unsigned char>(c))) return std::nullopt;
    n = n * 10 + (c - '0');
  }
  if (n <= 0 || n > 0xFFFFFFFFLL) return std::nullopt;
  return n;
}

}  // namespace

NoteReferences::NoteReferences(ScreenContext& context)
    : ctx_(context), parties_(context.dictionary.find("ForCli")), codes_(context.dictionary.find("CtaISS")) {}

bool NoteReferences::ready(Table& table, bool* tried) {
  if (!*tried) {
    *tried = true;
    const std::string path = ctx_.resolve(table.def().binding);
    if (!path.empty()) table.open(path, OpenMode::kReadOnly);
  }
  return table.isOpen();
}

bool NoteReferences::firstOf(Table& table, int key, int field) {
  Record& b = table.buffer();
  const std::string wanted(b.getAsText(field));
  if (!table.seek(key) || !table.next()) return false;
  return sameName(clipText(table.buffer().getAsText(field)), clipText(wanted));
}

std::string NoteReferences::clientName(std::string_view inscription) {
  if (!ready(parties_, &partiesTried_)) return {};
  const TableDef& d = parties_.def();
  const std::string typed(clipText(inscription));
  if (typed.empty()) return {};
  Record& b = parties_.buffer();
  auto byText = [&](const char* keyName, const char* fieldName) {
    b.clear();
    b.setText(fieldName, typed);
    return firstOf(parties_, d.keyIndex(keyName), d.fieldIndex(fieldName));
  };
  bool found = byText("FOR:KEY:CGC", "FOR:CGC") || byText("FOR:KEY:CPF", "FOR:CPF");
  if (!found) {
    if (std::optional<int64_t> code = positiveNumber(typed)) {
      b.clear();
      b.setInt("FOR:Codigo", *code);
      found = bool(parties_.get(d.keyIndex("FOR:KEY:CODIGO1")));
    }
  }
  return found ? latin1ToUtf8(clipText(b.getText("FOR:Nome"))) : std::string();
}

std::optional<Record> NoteReferences::serviceCode(int64_t code) {
  if (code < 0 || !ready(codes_, &codesTried_)) return std::nullopt;
  const TableDef& d = codes_.def();
  codes_.buffer().clear();
  codes_.buffer().setInt("CTA:CODIGO", code);
  const int key = d.keyIndex("CTA:KEY:CODIGO");
  if (!codes_.seek(key) || !codes_.next()) return std::nullopt;
  if (codes_.buffer().getInt("CTA:CODIGO") != code) return std::nullopt;
  return codes_.buffer();
}

}  // namespace vorlam::fiscal
