#include "utilities/record_scan.h"

#include <cstring>

#include "storage/row_check.h"

namespace vorlam::utilities {

namespace {

using Bytes = const unsigned char*;

constexpr char kMagic[] = "SQLite format 3";
constexpr int kMaxDepth = 64;
constexpr uint64_t kMaxPayload = uint64_t(1) << 30;

uint32_t be32(Bytes p) { return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3]; }
uint16_t be16(Bytes p) { return uint16_t((p[0] << 8) | p[1]); }

// An SQLite variable-length integer; its length, 0 when it runs past `end`.
int readVarint(Bytes p, Bytes end, uint64_t* v) {
  uint64_t x = 0;
  for (int i = 0; i < 9; ++i) {
    if (p + i >= end) return 0;
    if (i == 8) {
      *v = (x << 8) | p[i];
      return 9;
    }
    x = (x << 7) | (p[i] & 0x7f);
    if ((p[i] & 0x80) == 0) {
      *v = x;
      return i + 1;
    }
  }
  return 0;
}

struct Value {
  enum Kind { kNull, kInt, kText, kOther } kind = kNull;
  int64_t i = 0;
  std::string s;
};

// Decodes an SQLite record (header of serial types, then the values).
bool decodeRecord(const std::string& payload, std::vector<Value>* values) {
  Bytes p = reinterpret_cast<Bytes>(payload.data());
  Bytes end = p + payload.size();
  uint64_t headerSize = 0;
  int n = readVarint(p, end, &headerSize);
  if (n == 0 || headerSize > payload.size() || headerSize < uint64_t(n)) return false;
  Bytes type = p + n, body = p + headerSize;
  values->clear();
  while (type < p + headerSize) {
    uint64_t t = 0;
    int m = readVarint(type, p + headerSize, &t);
    if (m == 0) return false;
    type += m;
    Value v;
    uint64_t len = 0;
    if (t == 0) {
      v.kind = Value::kNull;
    } else if (t <= 6 || t == 8 || t == 9) {
      static const int kIntBytes[] = {0, 1, 2, 3, 4, 6, 8};
      len = t <= 6 ? uint64_t(kIntBytes[t]) : 0;
      if (body + len > end) return false;
      int64_t x = (t <= 6 && (body[0] & 0x80)) ? -1 : 0;
      for (uint64_t k = 0; k < len; ++k) x = int64_t((uint64_t(x) << 8) | body[k]);
      if (t == 8) x = 0;
      if (t == 9) x = 1;
      v.kind = Value::kInt;
      v.i = x;
    } else if (t == 7) {
      len = 8;
      v.kind = Value::kOther;
    } else if (t >= 12) {
      len = (t - 12) / 2;
      v.kind = (t % 2) ? Value::kText : Value::kOther;
    } else {
      return false;
    }
    if (len > uint64_t(end - body)) return false;
    if (v.kind == Value::kText) v.s.assign(reinterpret_cast<const char*>(body), len);
    body += len;
    values->push_back(std::move(v));
  }
  return true;
}

class Scanner {
 public:
  Scanner(const TableDef& def, const std::string& data) : def_(def), data_(data) {}

  // Scans with page size `ps` (`reserved` bytes at each page's end).
  ScanResult run(int64_t ps, int reserved, bool headerSound) {
    ps_ = ps;
    usable_ = ps - reserved;
    npages_ = int64_t(data_.size()) / ps;
    out_.pageSize = ps;
    out_.pagesPresent = npages_;
    out_.pagesDeclared = npages_;
    out_.headerSound = headerSound;
    if (headerSound) readHeaderCounts();
    int64_t root = findRecordsRoot();
    if (root > 0) {
      out_.treeFound = true;
      walk(root, 0);
    }
    scanOrphans();
    return std::move(out_);
  }

 private:
  Bytes page(int64_t p) const { return reinterpret_cast<Bytes>(data_.data()) + (p - 1) * ps_; }
  bool present(int64_t p) const { return p >= 1 && p <= npages_; }
  static int headerOffset(int64_t p) { return p == 1 ? 100 : 0; }

  void readHeaderCounts() {
    Bytes h = page(1);
    // The page count is trusted only when written by a version that keeps it.
    if (be32(h + 92) == be32(h + 24) && be32(h + 28) != 0) out_.pagesDeclared = be32(h + 28);
    if (out_.pagesDeclared > npages_)
      out_.badPages.push_back({npages_ + 1, "páginas " + std::to_string(npages_ + 1) + " a " +
                                                std::to_string(out_.pagesDeclared) +
                                                " ausentes: o arquivo termina antes delas (truncado)"});
    int64_t trunk = be32(h + 32);
    for (int64_t guard = 0; trunk != 0 && present(trunk) && guard < npages_; ++guard) {
      free_.insert(trunk);
      Bytes t = page(trunk);
      uint32_t n = be32(t + 4);
      if (n > uint32_t(usable_ / 4 - 2)) break;
      for (uint32_t i = 0; i < n; ++i) free_.insert(be32(t + 8 + 4 * i));
      trunk = be32(t);
    }
  }

  // The cell offsets of a b-tree page; false when it is no b-tree page.
  bool cells(int64_t p, std::vector<int>* offsets, int* type, uint32_t* right) const {
    Bytes b = page(p);
    const int h = headerOffset(p);
    *type = b[h];
    if (*type != 2 && *type != 5 && *type != 10 && *type != 13) return false;
    const int hs = (*type == 2 || *type == 5) ? 12 : 8;
    const int n = be16(b + h + 3);
    int content = be16(b + h + 5);
    if (content == 0) content = 65536;
    const int64_t cellsEnd = h + hs + 2 * int64_t(n);
    if (cellsEnd > usable_ || (n > 0 && content < cellsEnd) || content > usable_)
      return false;
    *right = hs == 12 ? be32(b + h + 8) : 0;
    offsets->clear();
    for (int i = 0; i < n; ++i) {
      int off = be16(b + h + hs + 2 * i);
      // An inner cell starts with its 4-byte child number.
      if (off < cellsEnd || off + (hs == 12 ? 4 : 1) > usable_) return false;
      offsets->push_back(off);
    }
    return true;
  }

  // The payload of a table-leaf cell, overflow pages followed.
  bool leafPayload(int64_t p, int off, std::string* payload, int64_t* rowid, std::vector<int64_t>* chain,
                   std::string* why) {
    Bytes base = page(p), c = base + off, end = base + usable_;
    uint64_t size = 0, id = 0;
    int n1 = readVarint(c, end, &size);
    int n2 = n1 ? readVarint(c + n1, end, &id) : 0;
    *rowid = n2 ? int64_t(id) : 0;
    if (n2 == 0 || size > kMaxPayload) {
      *why = "célula ilegível";
      return false;
    }
    const int64_t x = usable_ - 35;
    int64_t local = int64_t(size);
    if (local > x) {
      const int64_t m = ((usable_ - 12) * 32 / 255) - 23;
      const int64_t k = m + ((int64_t(size) - m) % (usable_ - 4));
      local = k <= x ? k : m;
    }
    Bytes data = c + n1 + n2;
    if (data + local + (uint64_t(local) < size ? 4 : 0) > end) {
      *why = "célula ultrapassa o fim da página";
      return false;
    }
    payload->assign(reinterpret_cast<const char*>(data), size_t(local));
    if (uint64_t(local) == size) return true;
    int64_t next = be32(data + local);
    while (payload->size() < size) {
      bool seen = false;
      for (int64_t q : *chain) seen = seen || q == next;
      if (!present(next) || next == 1 || seen || free_.count(next)) {
        *why = "página de continuação " + std::to_string(next) + " ilegível ou ausente";
        return false;
      }
      chain->push_back(next);
      overflow_.insert(next);
      Bytes o = page(next);
      const size_t take = std::min<uint64_t>(usable_ - 4, size - payload->size());
      payload->append(reinterpret_cast<const char*>(o + 4), take);
      next = be32(o);
    }
    return true;
  }

  // The record of `def_` in `v`, columns after `first`, check value at `checkAt`.
  bool toRecord(const std::vector<Value>& v, size_t first, size_t checkAt, ScannedRecord* r) const {
    if (v[0].kind != Value::kNull || v[1].kind != Value::kInt || v[checkAt].kind != Value::kInt) return false;
    r->stamp = v[1].i;
    r->check = v[checkAt].i;
    r->cells.assign(size_t(def_.columnCount()), Cell());
    RowCheck check;
    check.addInt(r->stamp);
    for (const FieldDef& f : def_.fields)
      for (int e = 0; e < f.dim; ++e) {
        const Value& x = v[first + size_t(f.column + e)];
        Cell& cell = r->cells[size_t(f.column + e)];
        if (f.isText()) {
          if (x.kind != Value::kText || x.s.size() > size_t(f.typeSpec.size)) return false;
          cell.s = x.s;
          check.addText(x.s.data(), x.s.size());
        } else {
          if (x.kind != Value::kInt || !fitsField(f, x.i)) return false;
          cell.i = x.i;
          check.addInt(x.i);
        }
      }
    return check.value() == r->check;
  }

  // Reads one table-leaf cell as a record; false (with `why`) when it is not one.
  bool readCell(int64_t p, int off, bool inTree, std::string* why) {
    std::string payload;
    int64_t id = 0;
    std::vector<int64_t> chain;
    std::vector<Value> values;
    ScannedRecord r;
    const size_t n = size_t(def_.columnCount());
    if (!leafPayload(p, off, &payload, &id, &chain, why)) {
      if (inTree) out_.badRecords.push_back({id, p, *why});
      return false;
    }
    if (!decodeRecord(payload, &values) || values.size() != n + 3 ||
        !(toRecord(values, 3, 2, &r) || toRecord(values, 2, n + 2, &r))) {
      *why = "registro danificado: soma de verificação ou campos não conferem";
      if (inTree) out_.badRecords.push_back({id, p, *why});
      return false;
    }
    r.id = id;
    r.inTree = inTree;
    r.pages.push_back(p);
    r.pages.insert(r.pages.end(), chain.begin(), chain.end());
    auto it = out_.records.find(id);
    if (it == out_.records.end()) {
      if (!inTree) ++out_.outsideTree;
      out_.records.emplace(id, std::move(r));
    } else if (!it->second.inTree && !inTree && r.stamp > it->second.stamp) {
      it->second = std::move(r);
    }
    return true;
  }

  int64_t findRecordsRoot() {
    int64_t root = 0;
    walkMaster(1, 0, &root);
    if (root == 0) out_.badPages.push_back({1, "esquema ilegível: registros procurados página a página"});
    return root > 1 && present(root) ? root : 0;
  }

  void walkMaster(int64_t p, int depth, int64_t* root) {
    if (!present(p) || depth > kMaxDepth || master_.count(p)) return;
    std::vector<int> offs;
    int type = 0;
    uint32_t right = 0;
    if (!cells(p, &offs, &type, &right)) return;
    master_.insert(p);
    if (type == 5) {
      for (int off : offs) walkMaster(be32(page(p) + off), depth + 1, root);
      walkMaster(right, depth + 1, root);
      return;
    }
    if (type != 13) return;
    for (int off : offs) {
      std::string payload, why;
      int64_t id = 0;
      std::vector<int64_t> chain;
      std::vector<Value> v;
      if (!leafPayload(p, off, &payload, &id, &chain, &why) || !decodeRecord(payload, &v) || v.size() < 4) continue;
      if (v[0].kind == Value::kText && v[0].s == "table" && v[1].kind == Value::kText && v[1].s == "records" &&
          v[3].kind == Value::kInt)
        *root = v[3].i;
    }
  }

  void walk(int64_t p, int depth) {
    if (!present(p)) {
      out_.badPages.push_back({p, p > npages_ ? "ausente: o arquivo termina antes dela (truncado)"
                                              : "número de página inválido"});
      return;
    }
    if (depth > kMaxDepth || tree_.count(p) || master_.count(p)) {
      out_.badPages.push_back({p, "referência circular na árvore de registros"});
      return;
    }
    tree_.insert(p);
    std::vector<int> offs;
    int type = 0;
    uint32_t right = 0;
    if (!cells(p, &offs, &type, &right) || (type != 5 && type != 13)) {
      out_.badPages.push_back({p, "página da árvore de registros ilegível"});
      return;
    }
    std::string why;
    if (type == 13) {
      for (int off : offs) readCell(p, off, true, &why);
      return;
    }
    for (int off : offs) walk(be32(page(p) + off), depth + 1);
    walk(right, depth + 1);
  }

  // Every page the walks did not reach and that is not free: leaf pages
  // give their records; pages that are no b-tree page and carry no
  // continuation of a cell are of unknown content.
  void scanOrphans() {
    std::vector<int64_t> unknown;
    for (int64_t p = 1; p <= npages_; ++p) {
      if (tree_.count(p) || master_.count(p) || free_.count(p)) continue;
      std::vector<int> offs;
      int type = 0;
      uint32_t right = 0;
      if (!cells(p, &offs, &type, &right)) {
        unknown.push_back(p);
        continue;
      }
      if (type != 13) continue;
      std::vector<RecordProblem> failed;
      bool any = false;
      for (int off : offs) {
        std::string why;
        if (readCell(p, off, false, &why)) any = true;
        else failed.push_back({0, p, why});
      }
      // A page some of whose cells are records is a page of records: the
      // rest of its cells are damaged records.  Other tables' pages are not.
      if (any) out_.badRecords.insert(out_.badRecords.end(), failed.begin(), failed.end());
    }
    for (int64_t p : unknown)
      if (!overflow_.count(p) && !(p == 1 && !out_.headerSound))
        out_.badPages.push_back({p, "página ilegível ou de conteúdo desconhecido"});
  }

  const TableDef& def_;
  const std::string& data_;
  ScanResult out_;
  int64_t ps_ = 0, usable_ = 0, npages_ = 0;
  std::set<int64_t> tree_, master_, free_, overflow_;
};

bool validPageSize(int64_t ps) { return ps >= 512 && ps <= 65536 && (ps & (ps - 1)) == 0; }

}  // namespace

ScanResult scanRecordFile(const TableDef& def, const std::string& bytes) {
  if (bytes.size() >= 100 && std::memcmp(bytes.data(), kMagic, sizeof kMagic) == 0) {
    Bytes h = reinterpret_cast<Bytes>(bytes.data());
    int64_t ps = be16(h + 16) == 1 ? 65536 : be16(h + 16);
    int reserved = h[20];
    if (validPageSize(ps) && reserved < ps - 480 && int64_t(bytes.size()) >= ps)
      return Scanner(def, bytes).run(ps, reserved, true);
  }
  // The header is gone: the page size that yields the most records.
  ScanResult best;
  bool have = false;
  for (int64_t ps : {4096, 1024, 2048, 8192, 16384, 32768, 65536, 512}) {
    if (int64_t(bytes.size()) < ps) continue;
    ScanResult r = Scanner(def, bytes).run(ps, 0, false);
    if (!have || r.records.size() > best.records.size()) {
      best = std::move(r);
      have = true;
    }
  }
  if (!have) {
    best.badPages.push_back({1, "arquivo vazio ou menor que uma página"});
    return best;
  }
  best.badPages.insert(best.badPages.begin(), {1, "cabeçalho do arquivo ilegível"});
  return best;
}

}  // namespace vorlam::utilities
