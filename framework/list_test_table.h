// A small table of towns for the list tests: keys in ascending, descending
// and case-insensitive text order, a range prefix (the state) and a key that
// leaves blank records out.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "storage/table.h"
#include "storage/test_util.h"
#include "storage/text.h"

namespace vorlam::list_test {

inline TableDef townDef() {
  return TableBuilder("Cidade", "CID", "Cidade.dat")
      .field("CID:UF", STRING(2))
      .field("CID:Codigo", kULONG)
      .field("CID:Nome", STRING(30))
      .field("CID:Populacao", kLONG)
      .field("CID:Apelido", STRING(10))
      .key("CID:KEY:CODIGO", {"CID:UF", "CID:Codigo"}, kUnique | kPrimary, "Código")
      .key("CID:KEY:NOME", {"CID:UF", "CID:Nome"}, kDuplicates, "Nome")
      .key("CID:KEY:POPULACAO", {"-CID:Populacao"}, kDuplicates, "População")
      .key("CID:KEY:APELIDO", {"CID:Apelido"}, kExcludeEmpty, "Apelido")
      .build();
}

// The table open on a fresh file in a directory of its own, on disk or
// below the test server (see testing::TestRoot); `unavailable()` says why
// the server cannot be used, and the table is then left closed.
struct TownFile {
  explicit TownFile(const TableDef* def, testing::Backend backend = testing::Backend::kRollback)
      : dir(backend), table(def) {
    if (dir.unavailable().empty()) {
      EXPECT_TRUE(table.open(path()).isOk());
    }
  }
  const std::string& unavailable() const { return dir.unavailable(); }
  std::string path() const { return dir.file("Cidade.dat"); }

  // Adds a town; returns its record number.
  int64_t add(const std::string& uf, int64_t codigo, const std::string& nomeUtf8, int64_t populacao = 0,
              const std::string& apelido = "") {
    Record& r = table.buffer();
    r.clear();
    r.setText("CID:UF", uf);
    r.setInt("CID:Codigo", codigo);
    r.setText("CID:Nome", utf8ToLatin1(nomeUtf8));
    r.setInt("CID:Populacao", populacao);
    r.setText("CID:Apelido", apelido);
    EXPECT_TRUE(table.insert().isOk());
    return r.recordId();
  }
  // Towns 1..n of `uf`, named "Cidade 001" ..., population 10 * code.
  void addMany(const std::string& uf, int n) {
    for (int i = 1; i <= n; ++i) {
      std::string name = std::to_string(i);
      add(uf, i, "Cidade " + std::string(3 - name.size(), '0') + name, 10 * i);
    }
  }

  vorlam::testing::TestRoot dir;
  Table table;
};

// The codes of `rows`, in order.
inline std::vector<int64_t> codes(const std::vector<Record>& rows) {
  std::vector<int64_t> out;
  for (const Record& r : rows) out.push_back(r.getInt("CID:Codigo"));
  return out;
}

inline std::vector<int64_t> span(int64_t from, int64_t to) {
  std::vector<int64_t> out;
  for (int64_t i = from; i <= to; ++i) out.push_back(i);
  return out;
}

}  // namespace vorlam::list_test
