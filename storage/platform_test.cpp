#include "storage/platform.h"

#include <gtest/gtest.h>

#include <fstream>

#include "storage/table.h"
#include "storage/test_util.h"

namespace vorlam::platform {
namespace {

using vorlam::testing::TempDir;

std::string contents(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(PlatformTest, FilesDirectoriesAndTimes) {
  TempDir dir;
  const std::string nested = dir.file("a/b/c");
  ASSERT_TRUE(makeDirectories(nested));
  EXPECT_TRUE(isDirectory(nested));
  EXPECT_TRUE(makeDirectory(nested));  // already there: fine
  EXPECT_EQ(parentDirectory(nested), dir.file("a/b"));
  EXPECT_EQ(parentDirectory("solto.dat"), ".");

  // A file in the way of a directory is an error, not a silent success.
  std::ofstream(dir.file("arquivo")) << "x";
  EXPECT_FALSE(makeDirectory(dir.file("arquivo")));

  // Replacing puts the new contents under the old name in one step.
  std::ofstream(dir.file("novo")) << "novo";
  std::ofstream(dir.file("velho")) << "velho";
  ASSERT_TRUE(replaceFile(dir.file("novo"), dir.file("velho")));
  EXPECT_EQ(contents(dir.file("velho")), "novo");
  EXPECT_FALSE(exists(dir.file("novo")));
  EXPECT_TRUE(syncFile(dir.file("velho")));
  EXPECT_TRUE(syncDirectory(dir.path()));

  ASSERT_TRUE(setModifiedTime(dir.file("velho"), 1700000000));
  EXPECT_EQ(*modifiedTime(dir.file("velho")), 1700000000);
  EXPECT_EQ(modifiedTime(dir.file("nada")).status().code(), StatusCode::kFileNotFound);

  EXPECT_TRUE(removeFile(dir.file("velho")));
  EXPECT_TRUE(removeFile(dir.file("velho")));  // gone already: fine
  EXPECT_TRUE(canWriteIn(dir.path()));
  EXPECT_FALSE(canWriteIn(dir.file("nada")));
}

TEST(PlatformTest, LocksBelongToTheirObjectAndShareOrExclude) {
  TempDir dir;
  LockFile a, b;
  EXPECT_EQ(a.open(dir.file("x-lck"), false).code(), StatusCode::kFileNotFound);
  ASSERT_TRUE(a.open(dir.file("x-lck"), true));
  ASSERT_TRUE(b.open(dir.file("x-lck"), false));
  ASSERT_TRUE(a.tryLock(0, 1, false));
  ASSERT_TRUE(b.tryLock(0, 1, false));  // two shared locks live together
  EXPECT_EQ(a.tryLock(0, 1, true).code(), StatusCode::kBusy);
  b.unlock(0, 1);
  ASSERT_TRUE(a.tryLock(0, 1, true));  // and a lone one becomes exclusive
  EXPECT_EQ(b.tryLock(0, 1, false).code(), StatusCode::kBusy);
  EXPECT_TRUE(b.isLocked(0, 1));
  EXPECT_FALSE(b.isLocked(5, 1));
  ASSERT_TRUE(b.tryLock(5, 1, true));  // other bytes are free
  EXPECT_TRUE(a.isLocked(5, 1));
  a.close();  // closing drops the locks
  EXPECT_TRUE(b.tryLock(0, 1, true));
}

TEST(PlatformTest, ProcessesRunWithTheirArgumentsAndOutputFiles) {
  // The test program itself, asked for a test that does not exist, ends at
  // once: its exit code comes back, and its output goes where it is told.
  TempDir dir;
  Result<Process> p = Process::start(executablePath(), {"--gtest_filter=Nenhum.Teste com espacos"},
                                     dir.file("out"), dir.file("err"));
  ASSERT_TRUE(p) << p.status().toString();
  // Its end is seen without waiting, and leaves the exit code to wait().
  for (int i = 0; i < 1000 && !p.value().ended(); ++i) sleepMilliseconds(20);
  EXPECT_TRUE(p.value().ended());
  EXPECT_TRUE(p.value().running());
  EXPECT_EQ(*p.value().wait(), 0);
  EXPECT_FALSE(p.value().ended());
  EXPECT_NE(contents(dir.file("out")).find("Nenhum.Teste com espacos"), std::string::npos);
  EXPECT_EQ(Process::start(dir.file("nada.exe"), {}).status().code(), StatusCode::kFileNotFound);
  EXPECT_FALSE(commandLine().empty());
  EXPECT_FALSE(hostName().empty());
  EXPECT_GT(processId(), 0);
}

#ifdef __linux__
TEST(PlatformTest, VolumeKindTellsLocalDisksFromTheRest) {
  std::string type;
  EXPECT_EQ(volumeKind("/proc", &type), VolumeKind::kUnknown) << type;  // not a disk: treated as shared
  EXPECT_EQ(volumeKind("/dev/shm", &type), VolumeKind::kLocal) << type;
  EXPECT_EQ(volumeKind("/nao/existe", &type), VolumeKind::kUnknown);
  EXPECT_EQ(journalModeFor("/proc", JournalPolicy::kAuto), JournalMode::kRollback);
  EXPECT_EQ(journalModeFor("/dev/shm", JournalPolicy::kAuto), JournalMode::kWal);
  EXPECT_EQ(journalModeFor("/dev/shm", JournalPolicy::kRollback), JournalMode::kRollback);
  EXPECT_EQ(parseJournalPolicy(" WAL "), JournalPolicy::kWal);
  EXPECT_EQ(parseJournalPolicy("delete"), JournalPolicy::kRollback);
  EXPECT_FALSE(parseJournalPolicy("rápido"));
}
#endif

}  // namespace
}  // namespace vorlam::platform
