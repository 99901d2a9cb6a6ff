// The tagged accounts of the chart screen: a set of record numbers of the
// chart file, kept between sessions in `DasTagFileInd` as set 0 (one
// record per tagged account, `RGS:ARQUIVO` = 0, `RGS:REGISTRO` = the
// account's record number).  Loaded when the screen opens and written back,
// set 0 replaced whole, when it closes.
//
// Record numbers of our record files never change, not even when a file
// is packed or its keys are rebuilt, so a tag keeps naming the same
// account for as long as the account exists.
//
// Not thread-safe: one screen owns one set.
#pragma once

#include <cstdint>
#include <set>
#include <string>

#include "storage/status.h"
#include "storage/table.h"

namespace vorlam::chart {

// The tag set of the chart screen.
inline constexpr int kChartTagSet = 0;

// What the list shows; the show-tags button's caption names it.
enum class TagView { kAll, kTagged, kUntagged };
// "Show All", "Showing Tagged", "Showing UnTagged".
const char* tagViewCaption(TagView view);
// The view after `view` in the button's cycle.
TagView nextTagView(TagView view);

class AccountTags {
 public:
  // Reads set `set` from `tags` (open).  A set whose file cannot be read
  // is an error; the set is then empty.
  Status load(Table& tags, int set = kChartTagSet);
  // Replaces set `set` in `tags` by one record per tagged account, in one
  // transaction: a failure leaves the stored set as it was.
  Status save(Table& tags, int set = kChartTagSet) const;

  bool tagged(int64_t record) const { return ids_.count(record) != 0; }
  void toggle(int64_t record);
  void tag(int64_t record) { ids_.insert(record); }
  void clear() { ids_.clear(); }
  // Tags the accounts of `all` that are untagged and untags the others.
  void invert(const std::set<int64_t>& all);
  const std::set<int64_t>& ids() const { return ids_; }
  bool matches(int64_t record, TagView view) const;

 private:
  std::set<int64_t> ids_;
};

}  // namespace vorlam::chart
