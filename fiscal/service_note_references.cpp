#include "fiscal/service_note_references.h"

#include "storage/text.h"

namespace vorlam::fiscal {

NoteReferences::NoteReferences(ScreenContext& context)
    : ctx_(context), parties_(context, std::string()), codes_(context.dictionary.find("CtaISS")) {}

std::string NoteReferences::clientName(std::string_view inscription) {
  std::optional<InvoiceParty> party = parties_.party(0, latin1ToUtf8(clipText(inscription)));
  return party ? party->name : std::string();
}

std::optional<Record> NoteReferences::serviceCode(int64_t code) {
  if (code < 0) return std::nullopt;
  if (!codesTried_) {
    codesTried_ = true;
    const std::string path = ctx_.resolve(codes_.def().binding);
    if (!path.empty()) codes_.open(path, OpenMode::kReadOnly);
  }
  if (!codes_.isOpen()) return std::nullopt;
  codes_.buffer().clear();
  codes_.buffer().setInt("CTA:CODIGO", code);
  if (!codes_.seek(codes_.def().keyIndex("CTA:KEY:CODIGO")) || !codes_.next()) return std::nullopt;
  if (codes_.buffer().getInt("CTA:CODIGO") != code) return std::nullopt;
  return codes_.buffer();
}

}  // namespace vorlam::fiscal
