#include "fiscal/invoice_instalments.h"

#include "framework/picture.h"
#include "storage/date.h"
#include "storage/text.h"

#include <cctype>

namespace vorlam::fiscal {

namespace {

constexpr uint16_t kMsgOpenFailed = 26;
constexpr char kList[] = "parcelas";
constexpr char kDuplicateDate[] = "Atenção!!! Já existe uma duplicata com este vencimento nesta nota!!!";
constexpr char kNoDate[] = "Atenção!!! Informe a data de vencimento da duplicata!!!";

std::string shown(const char* picture, const PictureValue& v) {
  Result<Picture> p = Picture::compile(picture);
  if (!p.isOk()) return {};
  Result<std::string> s = p.value().format(v);
  if (!s.isOk()) return {};
  const std::string& t = s.value();
  const size_t b = t.find_first_not_of(' ');
  return b == std::string::npos ? std::string() : t.substr(b, t.find_last_not_of(' ') - b + 1);
}

}  // namespace

InvoiceInstalments::InvoiceInstalments(ScreenContext& context, const InvoiceKind& kind)
    : ctx_(context),
      kind_(kind),
      table_(context.dictionary.find(kind.instalments)),
      total_(Decimal::fromUnits(0, 2)),
      value_(Decimal::fromUnits(0, 2)) {}

Status InvoiceInstalments::open(const Record& invoice) {
  invoice_ = invoice;
  if (!table_.isOpen()) {
    const std::string path = ctx_.resolve(table_.def().binding);
    if (Status s = table_.open(path, OpenMode::kShared); !s) {
      ctx_.errors.throwFile(kMsgOpenFailed, path, s);
      return s;
    }
  }
  Status s = refill();
  // The row the list highlights is the one its edit fields show.
  showHighlighted();
  return s;
}

bool InvoiceInstalments::identityOf(const Record& row) const { return sameIdentity(row, kind_.ip, *invoice_, kind_.p); }

// The invoice's instalments in due-date order (the primary key).
Status InvoiceInstalments::refill() {
  rows_.clear();
  total_ = Decimal::fromUnits(0, 2);
  Record& b = table_.buffer();
  b.clear();
  copyIdentity(*invoice_, kind_.p, b, kind_.ip);
  Status s = table_.seek(table_.def().keyIndex(kind_.i("Key:Data")));
  while (s && table_.next()) {
    if (!identityOf(table_.buffer())) break;
    rows_.push_back(table_.buffer());
    if (std::optional<Decimal> sum = total_.plus(table_.buffer().getDecimal(kind_.i("Valor")))) total_ = *sum;
  }
  table_.endWalk();
  if (highlighted_ >= rows_.size()) highlighted_ = rows_.empty() ? 0 : rows_.size() - 1;
  if (refilled_) refilled_();
  return s;
}

void InvoiceInstalments::declare(ScreenModel& model, int tab, std::function<void()> refilled) {
  model_ = &model;
  refilled_ = std::move(refilled);
  const bool editable = kind_.instalmentsEditable;
  model.addList({.name = kList,
                 .headers = {"Data", "Valor"},
                 .tab = tab,
                 .rows =
                     [this] {
                       std::vector<std::vector<std::string>> out;
                       for (const Record& r : rows_)
                         out.push_back({shown("@d06b", DayNumber{int32_t(r.getInt(kind_.i("Data")))}),
                                        shown("@n-15.2", r.getDecimal(kind_.i("Valor")))});
                       return out;
                     },
                 .highlighted = [this]() -> std::optional<size_t> {
                   if (rows_.empty()) return std::nullopt;
                   return highlighted_;
                 },
                 .highlight = [this](size_t row) -> Status {
                   if (action_ != Action::kNone) return Status(StatusCode::kInvalidArgument, "lista desabilitada");
                   if (row >= rows_.size()) return Status(StatusCode::kInvalidArgument, "linha inexistente");
                   highlighted_ = row;
                   date_ = int32_t(rows_[row].getInt(kind_.i("Data")));
                   value_ = rows_[row].getDecimal(kind_.i("Valor"));
                   return Status::ok();
                 }});
  auto editing = [this] { return action_ != Action::kNone; };
  model.addControl({.name = kind_.i("Data"),
                    .prompt = "Data:",
                    .picture = "@d06b",
                    .tab = tab,
                    .value = [this] { return std::to_string(date_); },
                    .complete = [this](const std::string& v) {
                      date_ = v.empty() ? 0 : int32_t(std::stol(v));
                      return Status::ok();
                    },
                    .state = [this, editing] {
                      return ControlState{editing(), true, action_ == Action::kDelete};
                    }});
  model.addControl({.name = kind_.i("Valor"),
                    .prompt = "Valor:",
                    .picture = "@n-15.2",
                    .tab = tab,
                    .value = [this] { return value_.toString(); },
                    .complete = [this](const std::string& v) -> Status {
                      std::optional<Decimal> d = Decimal::parse(v.empty() ? "0" : v, 2);
                      if (!d || !d->fits(11, 2)) return Status(StatusCode::kOutOfRange, "valor inválido", v);
                      value_ = *d;
                      return Status::ok();
                    },
                    .state = [this, editing] {
                      return ControlState{editing(), true, action_ == Action::kDelete};
                    }});
  auto idle = [this, editable] { return editable && action_ == Action::kNone; };
  auto onRow = [this, idle] { return idle() && !rows_.empty(); };
  model.addButton({.caption = "&Inclui", .tab = tab, .press = [this] { start(Action::kInsert); }, .enabled = idle});
  model.addButton({.caption = "Altera", .tab = tab, .press = [this] { start(Action::kChange); }, .enabled = onRow});
  model.addButton({.caption = "&Exclui", .tab = tab, .press = [this] { start(Action::kDelete); }, .enabled = onRow});
  model.addButton({.caption = "&Grava", .tab = tab, .press = [this] { save(); }, .enabled = editing});
  model.addButton({.caption = "&Cancela", .tab = tab, .press = [this] { finish(); }, .enabled = editing});
  model.addKey({.name = "Insert", .scope = kList, .action = [this, idle] { if (idle()) start(Action::kInsert); }});
  model.addKey({.name = "Delete", .scope = kList, .action = [this, onRow] { if (onRow()) start(Action::kDelete); }});
  model.addKey({.name = "Space", .scope = kList, .action = [this, onRow] { if (onRow()) start(Action::kChange); }});
}

void InvoiceInstalments::start(Action action) {
  action_ = action;
  if (action == Action::kInsert) {
    // A new instalment inherits nothing of the row highlighted before.
    date_ = 0;
    value_ = Decimal::fromUnits(0, 2);
    targetId_ = 0;
  } else {
    const Record& row = rows_[highlighted_];
    date_ = int32_t(row.getInt(kind_.i("Data")));
    value_ = row.getDecimal(kind_.i("Valor"));
    previousDate_ = date_;
    targetId_ = row.recordId();
  }
  model_->setFocus(kind_.i("Data"));
}

void InvoiceInstalments::report(const Status& s) {
  if (s.is(StatusCode::kDuplicateKey)) {
    ctx_.errors.message(kDuplicateDate, "Atenção!!!", MessageIcon::kExclamation, kButtonOk, kButtonOk);
    return;
  }
  ctx_.errors.message(s.message() + (s.detail().empty() ? "" : " (" + s.detail() + ")"),
                      "Erro número " + std::to_string(s.errorNumber()), MessageIcon::kExclamation, kButtonOk,
                      kButtonOk);
}

void InvoiceInstalments::save() {
  if (action_ != Action::kDelete && date_ == 0) {
    ctx_.errors.message(kNoDate, "Atenção!!!", MessageIcon::kExclamation, kButtonOk, kButtonOk);
    model_->setFocus(kind_.i("Data"));
    return;
  }
  Status s = action_ == Action::kInsert ? insertRow() : action_ == Action::kChange ? changeRow() : deleteRow();
  if (!s) report(s);
  else changed_ = true;
  finish();
}

Status InvoiceInstalments::insertRow() {
  Record& b = table_.buffer();
  b.clear();
  copyIdentity(*invoice_, kind_.p, b, kind_.ip);
  b.setInt(kind_.i("Data"), date_);
  b.setDecimal(kind_.i("Valor"), value_);
  b.setInt(kind_.i("MesImport"), 0);
  Status s = table_.insert();
  if (s) reportWrite(ctx_, b, WriteKind::kInsert);
  return s;
}

Status InvoiceInstalments::changeRow() {
  Record& b = table_.buffer();
  if (Status s = table_.getById(targetId_); !s) return s;
  // The row must still be the instalment the change started from.
  if (!identityOf(b) || b.getInt(kind_.i("Data")) != previousDate_)
    return Status(StatusCode::kNotFound, "Registro não encontrado", "alterado por outra estação");
  b.setInt(kind_.i("Data"), date_);
  b.setDecimal(kind_.i("Valor"), value_);
  Status s = table_.update();
  if (s) reportWrite(ctx_, b, WriteKind::kChange);
  return s;
}

Status InvoiceInstalments::deleteRow() {
  if (Status s = table_.getById(targetId_); !s) return s;
  if (!identityOf(table_.buffer()) || table_.buffer().getInt(kind_.i("Data")) != previousDate_)
    return Status(StatusCode::kNotFound, "Registro não encontrado", "excluído por outra estação");
  const Record gone = table_.buffer();
  Status s = table_.erase();
  if (s) reportWrite(ctx_, gone, WriteKind::kDelete);
  return s;
}

void InvoiceInstalments::finish() {
  action_ = Action::kNone;
  refill();
  showHighlighted();
  model_->setFocus(kList);
}

void InvoiceInstalments::showHighlighted() {
  if (!rows_.empty()) {
    date_ = int32_t(rows_[highlighted_].getInt(kind_.i("Data")));
    value_ = rows_[highlighted_].getDecimal(kind_.i("Valor"));
  } else {
    date_ = 0;
    value_ = Decimal::fromUnits(0, 2);
  }
}

}  // namespace vorlam::fiscal
