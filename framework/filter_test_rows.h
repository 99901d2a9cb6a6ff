// Test support for filter tests: records of one table mirrored into an
// in-memory SQLite table laid out as the storage lays out its record files,
// so that every test can check evaluation and SQL push-down agree.
#pragma once

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <algorithm>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "framework/filter.h"
#include "storage/sqlite_util.h"
#include "storage/text.h"

namespace vorlam::filter_test {

// A company table with a number, a text, a decimal and an array field.
inline TableDef firmTable() {
  return TableBuilder("Empresa", "EMP", "")
      .field("EMP:Codigo", kUSHORT)
      .field("EMP:RazaoSocial", STRING(40))
      .field("EMP:Capital", DECIMAL(11, 2))
      .field("EMP:Telefone", STRING(10), 2)
      .build();
}

// Formats "@n0W" as a zero-padded number of W digits, the one picture the
// expressions here need; any other picture gives the plain text.
inline std::string testFormat(const FilterValue& v, std::string_view picture) {
  if (picture.size() >= 4 && (picture[1] == 'n' || picture[1] == 'N') && picture[2] == '0') {
    std::string digits = v.toText();
    size_t width = static_cast<size_t>(std::stoi(std::string(picture.substr(3))));
    if (digits.size() < width) digits.insert(0, width - digits.size(), '0');
    return digits;
  }
  return v.toText();
}

// Runs "SELECT <idColumn> FROM records WHERE <where>" with `params` bound in
// order; returns the ids in ascending order.
inline std::vector<int64_t> selectIds(sqlite3* db, const std::string& idColumn, const std::string& where,
                                      const std::vector<SqlParam>& params) {
  std::vector<int64_t> ids;
  sqlite3_stmt* st = nullptr;
  std::string sql = "SELECT " + idColumn + " FROM records WHERE " + where + " ORDER BY " + idColumn;
  EXPECT_EQ(sqlite3_prepare_v2(db, sql.c_str(), -1, &st, nullptr), SQLITE_OK) << sql << ": " << sqlite3_errmsg(db);
  sqlite::bindParams(st, params);
  while (sqlite3_step(st) == SQLITE_ROW) ids.push_back(sqlite3_column_int64(st, 0));
  sqlite3_finalize(st);
  return ids;
}

// A set of records of one table, mirrored into an in-memory SQLite table laid
// out as the storage lays out its record files.
class Rows {
 public:
  explicit Rows(TableDef def) : def_(std::make_unique<TableDef>(std::move(def))) {
    EXPECT_EQ(sqlite3_open(":memory:", &db_), SQLITE_OK);
    sqlite3_create_collation_v2(db_, "VNOCASE", SQLITE_UTF8, nullptr, &Rows::collate, nullptr);
    std::string sql = "CREATE TABLE records (id INTEGER PRIMARY KEY";
    for (const FieldDef& f : def_->fields) {
      for (int e = 0; e < f.dim; ++e) {
        std::string name = def_->baseName(static_cast<int>(&f - def_->fields.data()));
        if (f.dim > 1) name += "[" + std::to_string(e + 1) + "]";
        sql += ", \"" + name + "\" " + (f.isText() ? "TEXT NOT NULL COLLATE VNOCASE" : "INTEGER NOT NULL");
      }
    }
    exec(sql + ")");
  }
  ~Rows() { sqlite3_close(db_); }

  const TableDef& def() const { return *def_; }

  // Adds a record built from UTF-8 texts / numbers by field name.
  Record& add() {
    records_.emplace_back(def_.get());
    return records_.back();
  }

  // Writes every record added so far into the SQLite table.
  void store() {
    exec("DELETE FROM records");
    for (size_t r = 0; r < records_.size(); ++r) {
      std::string sql = "INSERT INTO records VALUES (" + std::to_string(r + 1);
      for (size_t c = 0; c < records_[r].cells().size(); ++c) sql += ", ?";
      sqlite3_stmt* st = nullptr;
      ASSERT_EQ(sqlite3_prepare_v2(db_, (sql + ")").c_str(), -1, &st, nullptr), SQLITE_OK);
      int col = 1;
      for (const FieldDef& f : def_->fields) {
        for (int e = 0; e < f.dim; ++e, ++col) {
          const Cell& cell = records_[r].cells()[f.column + e];
          if (f.isText()) {
            std::string_view t = clipText(cell.s);
            sqlite3_bind_text(st, col, t.data(), static_cast<int>(t.size()), SQLITE_TRANSIENT);
          } else {
            sqlite3_bind_int64(st, col, cell.i);
          }
        }
      }
      ASSERT_EQ(sqlite3_step(st), SQLITE_DONE);
      sqlite3_finalize(st);
    }
  }

  std::vector<int> evaluated(const BoundFilter& f) const {
    std::vector<int> ids;
    for (size_t r = 0; r < records_.size(); ++r)
      if (f.matches(records_[r])) ids.push_back(static_cast<int>(r + 1));
    return ids;
  }

  std::vector<int> selected(const std::string& where, const std::vector<SqlParam>& params) {
    std::vector<int> ids;
    for (int64_t id : selectIds(db_, "id", where, params)) ids.push_back(static_cast<int>(id));
    return ids;
  }

  // Compiles and binds `source`, evaluates it over every record and, when it
  // translates to SQL, checks that the database selects the same records.
  // Returns the matching record numbers (1-based); *pushed tells whether SQL
  // was produced.
  std::vector<int> run(const std::string& source, const FilterVariables& vars, bool* pushed = nullptr) {
    store();
    auto compiled = Filter::compile(source, *def_, testFormat);
    EXPECT_TRUE(compiled.isOk()) << source << ": " << compiled.status().message();
    if (!compiled) return {};
    auto bound = compiled->bind(vars);
    EXPECT_TRUE(bound.isOk()) << bound.status().message();
    if (!bound) return {};
    std::vector<int> ids = evaluated(*bound);
    std::string where;
    std::vector<SqlParam> params;
    bool sql = bound->toSql(&where, &params);
    if (sql) {
      EXPECT_EQ(selected(where, params), ids) << source << " -> " << where;
    } else if (bound->toSqlPrefilter(&where, &params)) {
      // A prefilter may select more, never less.
      std::vector<int> wider = selected(where, params);
      for (int id : ids)
        EXPECT_NE(std::find(wider.begin(), wider.end(), id), wider.end()) << source << " -> " << where << ": " << id;
    }
    if (pushed) *pushed = sql;
    return ids;
  }

 private:
  static int collate(void*, int n1, const void* a, int n2, const void* b) {
    return compareText(std::string_view(static_cast<const char*>(a), n1),
                       std::string_view(static_cast<const char*>(b), n2));
  }
  void exec(const std::string& sql) {
    char* err = nullptr;
    EXPECT_EQ(sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &err), SQLITE_OK) << sql << (err ? err : "");
    sqlite3_free(err);
  }

  std::unique_ptr<TableDef> def_;
  std::vector<Record> records_;
  sqlite3* db_ = nullptr;
};

using Ids = std::vector<int>;

// Random filter sources over firmTable()'s fields (and, with `dated`, over
// a date field "EMP:Abertura" and more shapes over the phones): one to three
// atoms of the shapes the push-down knows, joined by AND / OR, some negated,
// with constants drawn from `texts` (UTF-8) and `numbers` (sources).
class RandomFilters {
 public:
  RandomFilters(uint32_t seed, std::vector<std::string> texts, std::vector<std::string> numbers, bool dated = false)
      : rng_(seed), texts_(std::move(texts)), numbers_(std::move(numbers)), dated_(dated) {}

  std::string next() {
    std::string e = atom();
    for (int k = rng_() % 3; k > 0; --k)
      e = (rng_() % 4 == 0 ? "NOT " : "") + ("(" + e + ")") + (rng_() % 2 ? " AND " : " OR ") + atom();
    return e;
  }

 private:
  std::string pick(const std::vector<std::string>& list) { return list[rng_() % list.size()]; }
  std::string op() {
    static const char* ops[] = {"=", "<>", "<", ">", "<=", ">=", "~"};
    return ops[rng_() % std::size(ops)];
  }
  std::string text() { return "'" + pick(texts_) + "'"; }
  std::string atom() {
    switch (rng_() % (dated_ ? 11 : 8)) {
      case 0: return "EMP:Codigo " + op() + " " + pick(numbers_);
      case 1: return "EMP:Capital " + op() + " " + pick(numbers_);
      case 2: return "EMP:RazaoSocial " + op() + " " + text();
      case 3: return "UPPER(CLIP(EMP:RazaoSocial)) " + op() + " " + text();
      case 4: return "INSTRING(" + text() + ",EMP:RazaoSocial,1,1) " + op() + " 0";
      case 5: return "INSTRING(" + text() + ",UPPER(EMP:RazaoSocial),1,1)";
      case 6: return "EMP:Telefone[2] " + op() + " " + text();
      case 8: return "UPPER(EMP:Telefone[2]) " + op() + " " + text();
      case 9: return "INSTRING(" + text() + ",UPPER(EMP:Telefone[2]),1,1) " + op() + " 0";
      case 10: return "EMP:Abertura " + op() + " " + pick(numbers_);
      default: return pick(numbers_) + " " + op() + " EMP:Codigo";
    }
  }

  std::mt19937 rng_;
  std::vector<std::string> texts_, numbers_;
  bool dated_;
};

inline void addText(Record& r, const char* field, const char* utf8) { ASSERT_TRUE(r.setText(field, utf8ToLatin1(utf8))); }

}  // namespace vorlam::filter_test
