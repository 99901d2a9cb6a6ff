// Tables and checks shared by the tests of the storage and of the libraries
// above it.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "storage/table.h"
#include "storage/table_def.h"

namespace vorlam::testing {

// A small file of notes: a unique number and a text with a key of its own.
inline TableDef noteDef() {
  return TableBuilder("Nota", "NOT", "Nota.dat")
      .field("NOT:Numero", kULONG)
      .field("NOT:Texto", STRING(20))
      .key("NOT:KEY:NUMERO", {"NOT:Numero"}, kUnique | kPrimary, "", 1)
      .key("NOT:KEY:TEXTO", {"NOT:Texto"}, kDuplicates)
      .build();
}

// Both files hold the same records (numbers and values) and the same
// properties; `what` names them in failures.
inline void expectSameFile(const TableDef& def, const std::string& a, const std::string& b,
                           const std::string& what) {
  Table x(&def), y(&def);
  ASSERT_TRUE(x.open(a, OpenMode::kReadOnly)) << a;
  ASSERT_TRUE(y.open(b, OpenMode::kReadOnly)) << b;
  EXPECT_EQ(*x.properties(), *y.properties()) << what;
  ASSERT_TRUE(x.seekStart(kFileOrder));
  ASSERT_TRUE(y.seekStart(kFileOrder));
  for (;;) {
    Status s = x.next(), t = y.next();
    ASSERT_EQ(s.code(), t.code()) << what;
    if (!s) break;
    ASSERT_EQ(x.buffer().recordId(), y.buffer().recordId()) << what;
    ASSERT_TRUE(x.buffer().sameValues(y.buffer())) << what << " record " << x.buffer().recordId();
  }
}

}  // namespace vorlam::testing
