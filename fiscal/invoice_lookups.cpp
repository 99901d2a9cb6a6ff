#include "fiscal/invoice_lookups.h"

#include <cctype>

#include "framework/picture.h"
#include "storage/text.h"

namespace vorlam::fiscal {

namespace {

std::string trimmed(std::string_view s) {
  const size_t b = s.find_first_not_of(' ');
  if (b == std::string_view::npos) return {};
  return std::string(s.substr(b, s.find_last_not_of(' ') - b + 1));
}

std::string textOf(const Record& r, const std::string& field) { return latin1ToUtf8(clipText(r.getText(field))); }

std::string pictured(const char* picture, const std::string& digits) {
  Result<Picture> p = Picture::compile(picture);
  if (!p.isOk() || digits.empty()) return digits;
  Result<std::string> shown = p.value().format(PictureValue(digits));
  return shown.isOk() ? shown.value() : digits;
}

}  // namespace

int64_t leadingNumber(std::string_view text) {
  const std::string t = trimmed(text);
  int64_t n = 0;
  for (char c : t) {
    if (!std::isdigit(static_cast<unsigned char>(c)) || n > 100000000) break;
    n = n * 10 + (c - '0');
  }
  return n;
}

InvoiceLookups::InvoiceLookups(ScreenContext& context, std::string state)
    : ctx_(context),
      state_(std::move(state)),
      cfo_(context.dictionary.find("CFO")),
      parties_(context.dictionary.find("ForCli")) {}

bool InvoiceLookups::ready(Table& table, bool* opened) {
  if (!*opened) *opened = table.open(ctx_.resolve(table.def().binding), OpenMode::kReadOnly).isOk();
  return *opened;
}

std::optional<Record> InvoiceLookups::cfop(int64_t code, std::string_view turbo, bool byNickname) {
  if (!ready(cfo_, &cfoOpen_)) return std::nullopt;
  Record& b = cfo_.buffer();
  b.clear();
  b.setText("CFO:ESTADO", utf8ToLatin1(state_));
  b.setInt("CFO:Codigo", code);
  if (byNickname) b.setText("CFO:APELIDO", utf8ToLatin1(trimmed(turbo)));
  else b.setInt("CFO:COMPLEMENTO", leadingNumber(turbo));
  if (!cfo_.get(cfo_.def().keyIndex(byNickname ? "CFO:KEY:APELIDO" : "CFO:KEY:CODIGO"))) return std::nullopt;
  return cfo_.buffer();
}

std::string InvoiceLookups::cfopDescription(int64_t code, std::string_view turbo) {
  const auto key = std::make_pair(code, trimmed(turbo));
  if (auto it = descriptions_.find(key); it != descriptions_.end()) return it->second;
  std::optional<Record> r = cfop(code, turbo, false);
  if (!r) r = cfop(code, turbo, true);
  std::string text = r ? textOf(*r, "CFO:Descricao") : std::string();
  descriptions_[key] = text;
  return text;
}

bool InvoiceLookups::partyBy(const char* key, const char* field, std::string_view text, int64_t number) {
  Record& b = parties_.buffer();
  b.clear();
  if (text.empty()) b.setInt(field, number);
  else b.setText(field, utf8ToLatin1(text));
  // The CNPJ and CPF keys end with the inactive flag: the first entry of the
  // value, whatever the flag.
  if (!parties_.seek(parties_.def().keyIndex(key)) || !parties_.next()) return false;
  if (text.empty()) return b.getInt(field) == number;
  return trimmed(latin1ToUtf8(clipText(b.getText(field)))) == trimmed(text);
}

std::optional<InvoiceParty> InvoiceLookups::party(int64_t code, std::string_view inscription) {
  if (!ready(parties_, &partiesOpen_)) return std::nullopt;
  const std::string insc = trimmed(inscription);
  const int64_t asNumber = leadingNumber(insc);
  const bool numeric = !insc.empty() && std::to_string(asNumber) == insc;
  bool found = (code > 0 && partyBy("FOR:KEY:CODIGO1", "FOR:Codigo", {}, code)) ||
               (!insc.empty() && partyBy("FOR:KEY:CGC", "FOR:CGC", insc, 0)) ||
               (!insc.empty() && partyBy("FOR:KEY:CPF", "FOR:CPF", insc, 0)) ||
               (numeric && asNumber > 0 && partyBy("FOR:KEY:CODIGO1", "FOR:Codigo", {}, asNumber));
  if (!found) return std::nullopt;
  const Record& r = parties_.buffer();
  InvoiceParty p;
  p.name = textOf(r, "FOR:Nome");
  p.inscription = r.getInt("FOR:TipoInscricao") == 1 ? pictured("@p##.###.###/####-##p", textOf(r, "FOR:CGC"))
                                                      : pictured("@p###.###.###-##p", textOf(r, "FOR:CPF"));
  p.city = textOf(r, "FOR:Cidade");
  p.state = textOf(r, "FOR:Estado");
  return p;
}

std::vector<std::string> InvoiceLookups::labels(const InvoiceKind& kind, const Record& invoice,
                                                const std::vector<std::string>& previous) {
  std::optional<Record> source = cfop(invoice.getInt(kind.f("CodigoFiscal")),
                                      latin1ToUtf8(clipText(invoice.getText(kind.f("Turbo")))), false);
  std::vector<std::string> out;
  for (size_t g = 0; g < kind.groups.size(); ++g) {
    const InvoiceGroup& group = kind.groups[g];
    PostingTriple cfo;
    if (source) cfo = {textOf(*source, group.cfoDebit), textOf(*source, group.cfoCredit), source->getInt(group.cfoHistory)};
    const PostingTriple own{textOf(invoice, group.fields.debit), textOf(invoice, group.fields.credit),
                            invoice.getInt(group.fields.history)};
    out.push_back(integrationLabel("CFOP", cfo, own, g < previous.size() ? previous[g] : std::string()));
  }
  return out;
}

}  // namespace vorlam::fiscal
