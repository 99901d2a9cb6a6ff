#include "storage/record.h"

#include <algorithm>
#include <charconv>

#include "storage/text.h"

namespace vorlam {

Record::Record(const TableDef* def) : def_(def), cells_(def->columnCount()), dirty_(def->columnCount(), 1) {
  clear();
}

void Record::markAllDirty() {
  std::fill(dirty_.begin(), dirty_.end(), 1);
  anyDirty_ = true;
}

void Record::markClean() {
  if (anyDirty_) std::fill(dirty_.begin(), dirty_.end(), 0);
  anyDirty_ = false;
}

void Record::clear() {
  markAllDirty();
  for (const auto& f : def_->fields)
    for (int e = 0; e < f.dim; ++e) {
      Cell& c = cells_[f.column + e];
      c.i = 0;
      if (f.isText()) c.s.assign(f.typeSpec.size, ' ');
    }
  recordId_ = 0;
  stamp_ = 0;
}

bool Record::validCell(int field, int element) const {
  return field >= 0 && field < static_cast<int>(def_->fields.size()) && element >= 0 &&
         element < def_->fields[field].dim;
}

int64_t Record::getInt(int field, int element) const {
  if (!validCell(field, element)) return 0;
  return cells_[columnOf(field, element)].i;
}

Decimal Record::getDecimal(int field, int element) const {
  if (!validCell(field, element)) return {};
  const FieldDef& f = def_->fields[field];
  return Decimal::fromUnits(cells_[columnOf(field, element)].i, f.isDecimal() ? f.typeSpec.places : 0);
}

std::string_view Record::getText(int field, int element) const {
  if (!validCell(field, element)) return {};
  return clipText(cells_[columnOf(field, element)].s);
}

std::string Record::getAsText(int field, int element) const {
  if (!validCell(field, element)) return {};
  const FieldDef& f = def_->fields[field];
  if (f.isText()) return std::string(getText(field, element));
  if (f.isDecimal()) return getDecimal(field, element).toString();
  return std::to_string(getInt(field, element));
}

Status Record::setInt(int field, int64_t value, int element) {
  if (!validCell(field, element)) return makeStatus(StatusCode::kInvalidArgument, "campo inexistente");
  const FieldDef& f = def_->fields[field];
  if (f.isText()) return setText(field, std::to_string(value), element);
  if (f.isDecimal()) return setDecimal(field, Decimal::fromInteger(value), element);
  if (value < f.minValue() || value > f.maxValue())
    return makeStatus(StatusCode::kOutOfRange, f.name + " = " + std::to_string(value));
  Cell& c = cells_[columnOf(field, element)];
  if (c.i != value) {
    c.i = value;
    markDirty(columnOf(field, element));
  }
  return Status::ok();
}

Status Record::setDecimal(int field, const Decimal& value, int element) {
  if (!validCell(field, element)) return makeStatus(StatusCode::kInvalidArgument, "campo inexistente");
  const FieldDef& f = def_->fields[field];
  if (f.isText()) return setText(field, value.toString(), element);
  if (!f.isDecimal()) {
    auto whole = value.rescaled(0);
    if (!whole) return makeStatus(StatusCode::kOutOfRange, f.name);
    return setInt(field, whole->units(), element);
  }
  auto scaled = value.rescaled(f.typeSpec.places);
  if (!scaled || !scaled->fits(f.typeSpec.size, f.typeSpec.places))
    return makeStatus(StatusCode::kOutOfRange, f.name + " = " + value.toString());
  Cell& c = cells_[columnOf(field, element)];
  if (c.i != scaled->units()) {
    c.i = scaled->units();
    markDirty(columnOf(field, element));
  }
  return Status::ok();
}

Status Record::setText(int field, std::string_view latin1, int element) {
  if (!validCell(field, element)) return makeStatus(StatusCode::kInvalidArgument, "campo inexistente");
  const FieldDef& f = def_->fields[field];
  if (!f.isText()) return setFromText(field, latin1, element);
  std::string& cell = cells_[columnOf(field, element)].s;
  size_t w = static_cast<size_t>(f.typeSpec.size);
  std::string_view cut = latin1.substr(0, w);
  if (std::string_view(cell).substr(0, cut.size()) != cut || cell.find_first_not_of(' ', cut.size()) != std::string::npos) {
    cell.assign(cut);
    cell.resize(w, ' ');
    markDirty(columnOf(field, element));
  }
  return Status::ok();
}

Status Record::setFromText(int field, std::string_view text, int element) {
  if (!validCell(field, element)) return makeStatus(StatusCode::kInvalidArgument, "campo inexistente");
  const FieldDef& f = def_->fields[field];
  if (f.isText()) return setText(field, text, element);
  std::string_view t = clipText(text);
  while (!t.empty() && t.front() == ' ') t.remove_prefix(1);
  if (t.empty()) return f.isDecimal() ? setDecimal(field, Decimal(), element) : setInt(field, 0, element);
  if (f.isDecimal()) {
    auto d = Decimal::parse(t, f.typeSpec.places);
    if (!d) return makeStatus(StatusCode::kInvalidArgument, f.name + " = " + std::string(t));
    return setDecimal(field, *d, element);
  }
  int64_t v = 0;
  const char* b = t.data();
  const char* e = t.data() + t.size();
  if (*b == '+') ++b;
  auto [p, ec] = std::from_chars(b, e, v);
  if (ec != std::errc() || p != e) return makeStatus(StatusCode::kInvalidArgument, f.name + " = " + std::string(t));
  return setInt(field, v, element);
}

int64_t Record::getInt(std::string_view name, int element) const { return getInt(def_->fieldIndex(name), element); }
std::string_view Record::getText(std::string_view name, int element) const {
  return getText(def_->fieldIndex(name), element);
}
Decimal Record::getDecimal(std::string_view name, int element) const {
  return getDecimal(def_->fieldIndex(name), element);
}
Status Record::setInt(std::string_view name, int64_t value, int element) {
  return setInt(def_->fieldIndex(name), value, element);
}
Status Record::setText(std::string_view name, std::string_view latin1, int element) {
  return setText(def_->fieldIndex(name), latin1, element);
}
Status Record::setDecimal(std::string_view name, const Decimal& value, int element) {
  return setDecimal(def_->fieldIndex(name), value, element);
}

bool Record::sameValues(const Record& o) const {
  if (o.cells_.size() != cells_.size()) return false;
  for (size_t i = 0; i < cells_.size(); ++i)
    if (cells_[i].i != o.cells_[i].i || cells_[i].s != o.cells_[i].s) return false;
  return true;
}

bool Record::keyIsEmpty(const KeyDef& key) const {
  for (const auto& c : key.components) {
    const FieldDef& f = def_->fields[c.field];
    const Cell& cell = cells_[f.column];
    if (f.isText() ? !clipText(cell.s).empty() : cell.i != 0) return false;
  }
  return true;
}

}  // namespace vorlam
