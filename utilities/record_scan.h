// Reading the records of a damaged record file page by page, without the
// database engine: what the repair utility (recfix) rescues.
//
// A record file is an SQLite database whose table "records" holds one row
// per record (storage/schema.h).  The scan reads the file's pages itself:
// it walks the records' b-tree from its root (found in the file's schema
// page), then looks at every page the walk did not reach and that is not
// on the free list, so that records under a destroyed inner page, or in a
// file whose header is gone, are still found.  A record is rescued only
// when its stored check value (storage/row_check.h) matches its values and
// each value fits its field: damage never yields an invented or altered
// record.  Records found outside the tree whose record number appears
// twice keep the most recently written version (the higher write stamp).
//
// What could not be read is listed: pages of the tree that are missing
// (truncated file) or are no b-tree page, pages of unknown content, and
// records whose cell, overflow chain or check value is damaged.
//
// Pure: works on the file's bytes in memory; thread-safe.
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "storage/record.h"
#include "storage/table_def.h"

namespace vorlam::utilities {

struct ScannedRecord {
  int64_t id = 0;
  int64_t stamp = 0;
  int64_t check = 0;
  std::vector<Cell> cells;     // one per storage column; texts as stored (no padding)
  std::vector<int64_t> pages;  // the leaf page, then the overflow pages
  bool inTree = false;         // reached through the records' b-tree
};

struct PageProblem {
  int64_t page = 0;
  std::string why;
};

struct RecordProblem {
  int64_t id = 0;  // 0 when the record number itself could not be read
  int64_t page = 0;
  std::string why;
};

struct ScanResult {
  int64_t pageSize = 0;
  int64_t pagesPresent = 0;   // whole pages in the file
  int64_t pagesDeclared = 0;  // as the header says (pagesPresent when it cannot tell)
  bool headerSound = false;   // the file header was readable
  bool treeFound = false;     // the records' b-tree root was found
  int64_t outsideTree = 0;    // records rescued from pages the tree walk did not reach
  std::map<int64_t, ScannedRecord> records;  // by record number
  std::vector<PageProblem> badPages;
  std::vector<RecordProblem> badRecords;
};

// Scans `bytes` (a whole record file) for the records of `def`.
ScanResult scanRecordFile(const TableDef& def, const std::string& bytes);

}  // namespace vorlam::utilities
