// The instalment tab of the service-note forms: the note's instalments, the
// selected one's date and value, and the summary lines.

#include "fiscal/service_note_form.h"
#include "framework/list_format.h"
#include "storage/text.h"

namespace vorlam::fiscal {

namespace {

constexpr char kInstalmentFormat[] = "44R(2)|_M~Data~C(0)@d06b@60R(2)|_M~Valor~C(0)@n-15.2@";
constexpr char kMoney[] = "@n-15.2";

Decimal cents(int64_t units) { return Decimal::fromUnits(units, 2); }

}  // namespace

InstalmentSummary summarise(const std::vector<std::pair<int64_t, int64_t>>& lines, size_t own,
                            int64_t instalments) {
  int64_t accounting = 0, otherCash = 0, ownCash = 0;
  for (size_t i = 0; i < lines.size(); ++i) {
    accounting += lines[i].first;
    (i == own ? ownCash : otherCash) += lines[i].second;
  }
  const int64_t subtotal = accounting - instalments - otherCash;
  return {cents(accounting), cents(instalments), cents(otherCash), cents(subtotal), cents(ownCash),
          cents(subtotal - ownCash)};
}

Status ServiceNoteForm::loadInstalments() {
  const Record& note = form_.record();
  const int64_t date = note.getInt(field("Data")), number = note.getInt(field("Numero"));
  const std::string serie(note.getText(field("Serie"))), especie(note.getText(field("Especie")));
  const auto sameNote = [&](const Record& r, const std::string& dateField) {
    return r.getInt(dateField) == date && r.getInt(layout_.field("Numero")) == number &&
           sameName(clipText(r.getText(layout_.field("Serie"))), clipText(serie)) &&
           sameName(clipText(r.getText(layout_.field("Especie"))), clipText(especie));
  };

  // The register lines of the note, this one among them.
  std::vector<std::pair<int64_t, int64_t>> lines;
  size_t own = 0;
  Status s = lines_.open(ctx_.resolve(lines_.def().binding), OpenMode::kReadOnly);
  if (s) {
    Record& b = lines_.buffer();
    b.clear();
    b.setInt(layout_.field("Data"), date);
    b.setInt(layout_.field("Numero"), number);
    b.setText(layout_.field("Serie"), serie);
    b.setText(layout_.field("Especie"), especie);
    s = lines_.seek(lines_.def().keyIndex(layout_.model51 ? "ISS:KEY:NUMERO" : "ISS53:Key:Numero"));
    while (s && (s = lines_.next()) && sameNote(b, layout_.field("Data"))) {
      if (b.recordId() == form_.recordId()) own = lines.size();
      lines.emplace_back(b.getDecimal(layout_.field("ValorNota")).units(), b.getDecimal(layout_.field("Vista")).units());
    }
  }
  if (lines.empty()) {  // the file could not be read: the note alone
    lines.emplace_back(note.getDecimal(field("ValorNota")).units(), note.getDecimal(field("Vista")).units());
    own = 0;
  }

  // Its instalments, in due-date order.
  instalments_.clear();
  int64_t total = 0;
  const std::string ip = layout_.instalmentPrefix;
  s = instalmentTable_.open(ctx_.resolve(instalmentTable_.def().binding), OpenMode::kReadOnly);
  if (s) {
    Record& b = instalmentTable_.buffer();
    b.clear();
    b.setInt(ip + "DataNF", date);
    b.setInt(ip + "Numero", number);
    b.setText(ip + "Serie", serie);
    b.setText(ip + "Especie", especie);
    s = instalmentTable_.seek(instalmentTable_.def().keyIndex(ip + "Key:Data"));
    while (s && (s = instalmentTable_.next())) {
      const bool mine = b.getInt(ip + "DataNF") == date && b.getInt(ip + "Numero") == number &&
                        sameName(clipText(b.getText(ip + "Serie")), clipText(serie)) &&
                        sameName(clipText(b.getText(ip + "Especie")), clipText(especie));
      if (!mine) break;
      total += b.getDecimal(ip + "Valor").units();
      instalments_.push_back(b);
    }
  }
  summary_ = summarise(lines, own, total);
  return s.is(StatusCode::kNotFound) ? Status::ok() : s;
}

void ServiceNoteForm::declareInstalments() {
  const std::string ip = layout_.instalmentPrefix;
  const TableDef& d = instalmentTable_.def();
  Result<std::vector<ListColumn>> columns = parseListFormat(kInstalmentFormat);
  if (columns.isOk())
    instalmentCells_ = ListCells(columns.value(), {d.fieldIndex(ip + "Data"), d.fieldIndex(ip + "Valor")});
  model_.addButton({.caption = "À Prazo", .tab = kNoteTabIndex, .press = [this] {
                      tab_ = kInstalmentTabIndex;
                      model_.setFocus("parcelas");
                    }});
  model_.addList({.name = "parcelas",
                  .headers = instalmentCells_.shownHeaders(),
                  .tab = kInstalmentTabIndex,
                  .rows =
                      [this] {
                        std::vector<std::vector<std::string>> out;
                        for (const Record& r : instalments_) out.push_back(instalmentCells_.shownTexts(r));
                        return out;
                      },
                  .highlighted =
                      [this]() -> std::optional<size_t> {
                        if (instalments_.empty()) return std::nullopt;
                        return instalment_;
                      },
                  .highlight = [this](size_t row) {
                    if (row >= instalments_.size()) return Status(StatusCode::kOutOfRange, "linha inexistente");
                    instalment_ = row;
                    return Status::ok();
                  }});
  // The selected instalment, shown only: the instalment screens keep them.
  auto shown = [this, ip](const char* f) -> std::string {
    if (instalments_.empty()) return "0";
    return instalments_[instalment_].getAsText(instalments_[instalment_].def().fieldIndex(ip + f));
  };
  const ControlState readOnly{true, true, true};
  model_.addControl({.name = "LOC:DataParcela", .prompt = "Data:", .picture = "@d06b",
                     .tab = kInstalmentTabIndex, .value = [shown] { return shown("Data"); },
                     .state = [readOnly] { return readOnly; }});
  model_.addControl({.name = "LOC:ValorParcela", .prompt = "Valor:", .picture = kMoney,
                     .tab = kInstalmentTabIndex, .value = [shown] { return shown("Valor"); },
                     .state = [readOnly] { return readOnly; }});
  for (const char* caption : {"&Inclui", "&Exclui", "Altera"})
    model_.addButton({.caption = caption,
                      .tip = "Duplicatas: inclusão, alteração e exclusão pela Baixa de Duplicatas",
                      .tab = kInstalmentTabIndex,
                      .enabled = [] { return false; }});
  struct Line {
    const char* name;
    const char* prompt;
    Decimal InstalmentSummary::*value;
  };
  static constexpr Line kLines[] = {
      {"LOC:VlrContabil", "(+) Vlr Contábil", &InstalmentSummary::accounting},
      {"LOC:VlrDuplicatas", "(-) Vlr Duplicatas", &InstalmentSummary::instalments},
      {"LOC:VlrVistaParcial", "(-) Vlr vista (parcial)", &InstalmentSummary::otherCash},
      {"LOC:SubDiferenca", "(=) Sub diferença", &InstalmentSummary::subtotal},
      {"LOC:VlrVistaNF", "(-) Vlr vista (desta NF)", &InstalmentSummary::ownCash},
      {"LOC:Diferenca", "(=) Diferença", &InstalmentSummary::difference},
  };
  for (const Line& l : kLines)
    model_.addControl({.name = l.name, .prompt = l.prompt, .kind = ControlKind::kDisplay, .picture = kMoney,
                       .tab = kInstalmentTabIndex,
                       .value = [this, member = l.value] { return (summary_.*member).toString(); }});
}

}  // namespace vorlam::fiscal
