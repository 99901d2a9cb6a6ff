#include "chart/account_tags.h"

#include <cstdint>

namespace vorlam::chart {

const char* tagViewCaption(TagView view) {
  switch (view) {
    case TagView::kAll: return "Show All";
    case TagView::kTagged: return "Showing Tagged";
    case TagView::kUntagged: return "Showing UnTagged";
  }
  return "Show All";
}

TagView nextTagView(TagView view) {
  switch (view) {
    case TagView::kAll: return TagView::kTagged;
    case TagView::kTagged: return TagView::kUntagged;
    case TagView::kUntagged: return TagView::kAll;
  }
  return TagView::kAll;
}

Status AccountTags::load(Table& tags, int set) {
  ids_.clear();
  const int key = tags.def().keyIndex("RGS:Key:Chave");
  Record& b = tags.buffer();
  b.clear();
  b.setInt("RGS:ARQUIVO", set);
  b.setInt("RGS:REGISTRO", INT32_MIN);
  Status s = tags.seek(key);
  while (s) {
    s = tags.next();
    if (!s) break;
    if (b.getInt("RGS:ARQUIVO") != set) break;
    ids_.insert(b.getInt("RGS:REGISTRO"));
  }
  tags.endWalk();
  if (s || s.is(StatusCode::kNotFound)) return Status::ok();
  ids_.clear();
  return s;
}

Status AccountTags::save(Table& tags, int set) const {
  const int key = tags.def().keyIndex("RGS:Key:Chave");
  if (Status s = tags.beginBulk(); !s) return s;
  auto fail = [&](Status s) {
    tags.rollbackBulk();
    return s;
  };
  Record& b = tags.buffer();
  while (true) {
    b.clear();
    b.setInt("RGS:ARQUIVO", set);
    b.setInt("RGS:REGISTRO", INT32_MIN);
    Status s = tags.seek(key);
    if (s) s = tags.next();
    if (s.is(StatusCode::kNotFound) || (s && b.getInt("RGS:ARQUIVO") != set)) break;
    if (!s) return fail(s);
    tags.endWalk();
    if (Status e = tags.erase(); !e) return fail(e);
  }
  tags.endWalk();
  for (int64_t id : ids_) {
    b.clear();
    b.setInt("RGS:ARQUIVO", set);
    b.setInt("RGS:REGISTRO", id);
    if (Status s = tags.append(); !s) return fail(s);
  }
  return tags.flush();
}

void AccountTags::toggle(int64_t record) {
  if (!ids_.erase(record)) ids_.insert(record);
}

void AccountTags::invert(const std::set<int64_t>& all) {
  std::set<int64_t> out;
  for (int64_t id : all)
    if (!ids_.count(id)) out.insert(id);
  ids_ = std::move(out);
}

bool AccountTags::matches(int64_t record, TagView view) const {
  switch (view) {
    case TagView::kAll: return true;
    case TagView::kTagged: return tagged(record);
    case TagView::kUntagged: return !tagged(record);
  }
  return true;
}

}  // namespace vorlam::chart
