#include "dictionary/cascade.h"

#include <algorithm>
#include <map>
#include <memory>
#include <vector>

#include "storage/decimal.h"
#include "storage/text.h"

namespace vorlam {
namespace {

// Relations form a tree of a few levels; anything deeper is a cycle.
constexpr int kMaxDepth = 16;

Decimal numericValue(const Record& r, int field) {
  if (r.def().fields[field].isDecimal()) return r.getDecimal(field);
  return Decimal::fromInteger(r.getInt(field));
}

// Copies one link value between fields of two tables; the two sides of a
// link may be declared with different types.
Status copyValue(const Record& from, int ff, Record& to, int tf) {
  const FieldDef& a = from.def().fields[ff];
  const FieldDef& b = to.def().fields[tf];
  if (a.isText() && b.isText()) return to.setText(tf, from.getText(ff));
  if (a.isText() || b.isText()) return to.setFromText(tf, from.getAsText(ff));
  if (a.isDecimal() || b.isDecimal()) return to.setDecimal(tf, numericValue(from, ff));
  return to.setInt(tf, from.getInt(ff));
}

// Equality of two link values.  `exact` compares texts byte for byte (a
// change of letter case is a change); otherwise texts compare as the keys do.
bool sameValue(const Record& a, int fa, const Record& b, int fb, bool exact) {
  const FieldDef& x = a.def().fields[fa];
  const FieldDef& y = b.def().fields[fb];
  if (x.isText() && y.isText())
    return exact ? a.getText(fa) == b.getText(fb) : compareText(a.getText(fa), b.getText(fb)) == 0;
  if (x.isText() || y.isText()) return a.getAsText(fa) == b.getAsText(fb);
  return numericValue(a, fa) == numericValue(b, fb);
}

bool linksChanged(const RelationDef& r, const Record& before, const Record& after) {
  for (int f : r.parentFields)
    if (!sameValue(before, f, after, f, true)) return true;
  return false;
}

bool resolved(const RelationDef& r) {
  if (r.childKeyIndex < 0) return false;
  return std::none_of(r.parentFields.begin(), r.parentFields.end(), [](int f) { return f < 0; }) &&
         std::none_of(r.childFields.begin(), r.childFields.end(), [](int f) { return f < 0; });
}

// True when the leading components of the child key are the link fields, so
// that a seek finds every child in one contiguous run.
bool linksLeadKey(const RelationDef& r, const KeyDef& key) {
  if (key.components.size() < r.childFields.size()) return false;
  for (size_t i = 0; i < r.childFields.size(); ++i)
    if (std::find(r.childFields.begin(), r.childFields.end(), key.components[i].field) == r.childFields.end())
      return false;
  return true;
}

// Sets the key components from `first` on to the lowest value in the key's
// order, so that a seek lands before every entry of the group.  False when a
// component has no such value (a descending text).
bool setKeyFloor(Record& rec, const KeyDef& key, size_t first) {
  for (size_t i = first; i < key.components.size(); ++i) {
    const KeyComponent& c = key.components[i];
    const FieldDef& f = rec.def().fields[c.field];
    if (f.isText()) {
      if (c.descending) return false;
      rec.setText(c.field, "");
    } else if (f.isDecimal()) {
      rec.setDecimal(c.field, Decimal::fromUnits(c.descending ? f.maxValue() : f.minValue(), f.typeSpec.places));
    } else {
      rec.setInt(c.field, c.descending ? f.maxValue() : f.minValue());
    }
  }
  return true;
}

class CascadeRun {
 public:
  CascadeRun(const Dictionary& dict, const PathResolver& resolve) : dict_(dict), resolve_(resolve) {}

  Status update(const Record& before, const Record& after, int depth);
  Status remove(const Record& parent, int depth);

 private:
  // The open child table of `label`, or nullptr when it has no file to open.
  Result<Table*> tableFor(const std::string& label);
  // Record numbers of the children of `parent` under relation `r`.
  Result<std::vector<int64_t>> childIds(Table& child, const RelationDef& r, const Record& parent);

  const Dictionary& dict_;
  const PathResolver& resolve_;
  std::map<std::string, std::unique_ptr<Table>> open_;
};

Result<Table*> CascadeRun::tableFor(const std::string& label) {
  auto it = open_.find(label);
  if (it != open_.end()) return it->second.get();
  const TableDef* def = dict_.find(label);
  if (def == nullptr) return makeStatus(StatusCode::kInvalidArgument, "tabela desconhecida: " + label);
  Table* table = nullptr;
  std::string path = def->binding.empty() || !resolve_ ? std::string() : resolve_(def->binding);
  // A missing file holds no children; opening it would create it.
  if (!path.empty() && fileExists(path)) {
    auto t = std::make_unique<Table>(def);
    Status s = t->open(path, OpenMode::kShared);
    if (!s) return s;
    table = t.get();
    open_[label] = std::move(t);
  } else {
    open_[label] = nullptr;
  }
  return table;
}

Result<std::vector<int64_t>> CascadeRun::childIds(Table& child, const RelationDef& r, const Record& parent) {
  const KeyDef& key = child.def().keys[r.childKeyIndex];
  Record& buf = child.buffer();
  buf.clear();
  for (size_t i = 0; i < r.childFields.size(); ++i) {
    Status s = copyValue(parent, r.parentFields[i], buf, r.childFields[i]);
    if (!s) return s;
  }
  bool contiguous = linksLeadKey(r, key) && setKeyFloor(buf, key, r.childFields.size());
  Record probe = buf;
  Status s = contiguous ? child.seek(r.childKeyIndex) : child.seekStart(r.childKeyIndex);
  if (!s) return s;
  std::vector<int64_t> ids;
  while (true) {
    s = child.next();
    if (s.is(StatusCode::kNotFound)) break;
    if (!s) return s;
    bool match = true;
    for (int f : r.childFields)
      if (!sameValue(buf, f, probe, f, false)) match = false;
    if (match) ids.push_back(buf.recordId());
    else if (contiguous) break;
  }
  child.endWalk();
  return ids;
}

Status CascadeRun::update(const Record& before, const Record& after, int depth) {
  if (depth > kMaxDepth) return makeStatus(StatusCode::kInvalidArgument, "relações em ciclo");
  for (const RelationDef* r : dict_.childRelations(before.def().label)) {
    if (!resolved(*r)) return makeStatus(StatusCode::kInvalidArgument, "relação inválida: " + r->child);
    if (!linksChanged(*r, before, after)) continue;
    auto table = tableFor(r->child);
    if (!table) return table.status();
    if (table.value() == nullptr) continue;
    Table& child = *table.value();
    auto ids = childIds(child, *r, before);
    if (!ids) return ids.status();
    for (int64_t id : ids.value()) {
      Status s = child.getById(id);
      if (s.is(StatusCode::kNotFound)) continue;
      if (!s) return s;
      Record old = child.buffer();
      for (size_t i = 0; i < r->childFields.size(); ++i) {
        s = copyValue(after, r->parentFields[i], child.buffer(), r->childFields[i]);
        if (!s) return s;
      }
      Record changed = child.buffer();
      s = child.update();
      if (!s) return s;
      s = update(old, changed, depth + 1);
      if (!s) return s;
    }
  }
  return Status::ok();
}

Status CascadeRun::remove(const Record& parent, int depth) {
  if (depth > kMaxDepth) return makeStatus(StatusCode::kInvalidArgument, "relações em ciclo");
  for (const RelationDef* r : dict_.childRelations(parent.def().label)) {
    if (!resolved(*r)) return makeStatus(StatusCode::kInvalidArgument, "relação inválida: " + r->child);
    auto table = tableFor(r->child);
    if (!table) return table.status();
    if (table.value() == nullptr) continue;
    Table& child = *table.value();
    auto ids = childIds(child, *r, parent);
    if (!ids) return ids.status();
    for (int64_t id : ids.value()) {
      Status s = child.getById(id);
      if (s.is(StatusCode::kNotFound)) continue;
      if (!s) return s;
      Record record = child.buffer();
      s = remove(record, depth + 1);
      if (!s) return s;
      // The grandchildren's cascade used other tables; read again so that the
      // erase checks the record as it is now.
      s = child.getById(id);
      if (s.is(StatusCode::kNotFound)) continue;
      if (!s) return s;
      s = child.erase();
      if (s.is(StatusCode::kDeletedByOther)) continue;
      if (!s) return s;
    }
  }
  return Status::ok();
}

}  // namespace

Status cascadeUpdate(const Dictionary& dict, const PathResolver& resolve, const Record& before,
                     const Record& after) {
  if (&before.def() != &after.def() && before.def().label != after.def().label)
    return makeStatus(StatusCode::kInvalidArgument, "registros de tabelas diferentes");
  CascadeRun run(dict, resolve);
  return run.update(before, after, 0);
}

Status cascadeDelete(const Dictionary& dict, const PathResolver& resolve, const Record& parent) {
  CascadeRun run(dict, resolve);
  return run.remove(parent, 0);
}

Status updateCascading(Table& table, const Record& before, const Dictionary& dict,
                       const PathResolver& resolve) {
  Record after = table.buffer();
  Status s = table.update();
  if (!s) return s;
  return cascadeUpdate(dict, resolve, before, after);
}

Status eraseCascading(Table& table, const Dictionary& dict, const PathResolver& resolve) {
  Record parent = table.buffer();
  Status s = cascadeDelete(dict, resolve, parent);
  if (!s) return s;
  return table.erase();
}

}  // namespace vorlam
