// A small set of record files for the file-set commit's tests: two existing
// files in two directories and one that the set creates, each compared by
// its records.
#pragma once

#ifndef _WIN32  // the harness forks: POSIX only for now

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "storage/crash_test_util.h"
#include "storage/file_set_commit.h"
#include "storage/table.h"
#include "storage/test_util.h"

namespace vorlam::testing {

inline TableDef fileSetItemDef() {
  return TableBuilder("Item", "ITE", "Item.dat")
      .field("ITE:Codigo", kULONG)
      .field("ITE:Descricao", STRING(40))
      .key("ITE:KEY:CODIGO", {"ITE:Codigo"}, kUnique | kPrimary)
      .key("ITE:KEY:DESCRICAO", {"ITE:Descricao"}, kDuplicates)  // text keys need the engine's collation
      .build();
}

// Every record of a file as "code|text", in code order, after an integrity
// check; nullopt when the file does not exist.
inline std::optional<std::vector<std::string>> fileRecords(const TableDef& def, const std::string& path) {
  if (!fileExists(path)) return std::nullopt;
  Table t(&def);
  Status s = t.open(path, OpenMode::kReadOnly);
  EXPECT_TRUE(s) << path << ": " << s.toString();
  if (!s) return std::vector<std::string>{"<não abre>"};
  std::string report;
  EXPECT_TRUE(t.integrityCheck(&report)) << path << ": " << report;
  std::vector<std::string> out;
  EXPECT_TRUE(t.seekStart(0));
  while (t.next()) out.push_back(t.buffer().getAsText(0) + "|" + std::string(t.buffer().getText(1)));
  return out;
}

// Writes `count` records tagged `tag` into the file at `path` (created when
// missing).
inline Status writeItems(const TableDef& def, const std::string& path, const std::string& tag, int count,
                         int first = 1) {
  Table t(&def);
  if (Status s = t.open(path); !s) return s;
  for (int i = first; i < first + count; ++i) {
    t.buffer().clear();
    t.buffer().setInt("Codigo", i);
    t.buffer().setText("Descricao", tag + " " + std::to_string(i));
    if (Status s = t.append(); !s) return s;
  }
  return Status::ok();
}

class FileSetFixture : public ::testing::Test {
 protected:
  FileSetFixture() : dir_(scratchBase()) {}

  void SetUp() override {
    targets_ = {dir_.file("dados/a/Item.dat"), dir_.file("dados/b/Item.dat"), dir_.file("dados/a/Outro.dat")};
    writeOriginals();
    before_ = {fileRecords(def_, targets_[0]), fileRecords(def_, targets_[1]), std::nullopt};
  }
  // Puts the data tree back as SetUp() left it, without a work directory.
  void writeOriginals() {
    std::filesystem::remove_all(dir_.file("dados"));
    std::filesystem::remove_all(dir_.file("Temp"));
    ASSERT_TRUE(makeDirectories(dir_.file("dados/a")));
    ASSERT_TRUE(makeDirectories(dir_.file("dados/b")));
    ASSERT_TRUE(writeItems(def_, targets_[0], "velho a", 5));
    ASSERT_TRUE(writeItems(def_, targets_[1], "velho b", 7));
  }
  std::string work() const { return dir_.file("Temp/Ajuste/1"); }

  // The records side file i is given.
  static std::string newTag(size_t i) { return "novo " + std::to_string(i); }
  static int newCount(size_t i) { return 3 + static_cast<int>(i); }

  // Begins a set over every target (through `hook`) and writes each side
  // file; the first failure is returned.
  Status stageAll(std::unique_ptr<FileSetCommit>* out, FileOpHook* hook = nullptr) {
    auto set = FileSetCommit::begin(work(), "empresa 3: estrutura 1 -> 2", hook);
    if (!set) return set.status();
    *out = std::move(set.value());
    for (size_t i = 0; i < targets_.size(); ++i) {
      auto side = (*out)->stage(targets_[i]);
      if (!side) return side.status();
      if (Status s = writeItems(def_, *side, newTag(i), newCount(i)); !s) return s;
    }
    return Status::ok();
  }
  // The whole life of a set up to finish(); the first failure is returned
  // and the set is left in `out` as the failure left it.
  Status runSet(std::unique_ptr<FileSetCommit>* out, FileOpHook* hook = nullptr) {
    if (Status s = stageAll(out, hook); !s) return s;
    if (Status s = (*out)->commit(); !s) return s;
    return (*out)->finish();
  }
  // The same in a child process, for kill tests: exit 0 when finished (or,
  // with `abandonAfterCommit`, when committed and then abandoned).
  int runSetInChild(FileOpHook* hook, bool abandonAfterCommit = false) {
    std::unique_ptr<FileSetCommit> set;
    Status s = stageAll(&set, hook);
    if (s) s = set->commit();
    if (s) s = abandonAfterCommit ? set->abandon() : set->finish();
    return s ? 0 : 10 + static_cast<int>(s.code());
  }
  // A process that dies once its set is committed (not finished).
  ChildEnd crashAfterCommit() {
    return runInChild([&] {
      std::unique_ptr<FileSetCommit> set;
      if (!stageAll(&set) || !set->commit()) return 1;
      killSelf();
    });
  }
  // Copies the data tree and work directory aside / back, to replay one
  // crash many times.
  void saveSnapshot() {
    std::filesystem::remove_all(dir_.file("snapshot"));
    std::filesystem::create_directories(dir_.file("snapshot"));
    for (const char* d : {"dados", "Temp"}) {
      if (std::filesystem::exists(dir_.file(d)))
        std::filesystem::copy(dir_.file(d), dir_.file(std::string("snapshot/") + d),
                              std::filesystem::copy_options::recursive);
    }
  }
  void loadSnapshot() {
    for (const char* d : {"dados", "Temp"}) {
      std::filesystem::remove_all(dir_.file(d));
      if (std::filesystem::exists(dir_.file(std::string("snapshot/") + d)))
        std::filesystem::copy(dir_.file(std::string("snapshot/") + d), dir_.file(d),
                              std::filesystem::copy_options::recursive);
    }
  }

  bool isNew(size_t i) {
    auto r = fileRecords(def_, targets_[i]);
    return r && r->size() == static_cast<size_t>(newCount(i)) && r->front() == "1|" + newTag(i) + " 1";
  }
  bool isOriginal(size_t i) { return fileRecords(def_, targets_[i]) == before_[i]; }
  // "original", "new", or what each file holds.
  std::string whatIsOnDisk() {
    std::string each;
    bool allOld = true, allNew = true;
    for (size_t i = 0; i < targets_.size(); ++i) {
      bool o = isOriginal(i), n = isNew(i);
      allOld = allOld && o;
      allNew = allNew && n;
      each += std::string(i ? ", " : "") + (o ? "original" : n ? "new" : "other");
    }
    return allOld ? "original" : allNew ? "new" : each;
  }
  // Files left in the work directory whose names end with `suffix`.
  std::vector<std::string> workFiles(const std::string& suffix) const {
    std::vector<std::string> out;
    std::error_code ec;
    for (const auto& e : std::filesystem::directory_iterator(work(), ec)) {
      std::string name = e.path().filename().string();
      if (name.size() >= suffix.size() && name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0)
        out.push_back(name);
    }
    return out;
  }

  TempDir dir_;
  TableDef def_ = fileSetItemDef();
  std::vector<std::string> targets_;
  std::vector<std::optional<std::vector<std::string>>> before_;
};

}  // namespace vorlam::testing

#endif  // _WIN32
