#include <gtest/gtest.h>
#include <sys/stat.h>

#include "foundation/SafeFile.h"
#include "foundation/Streams.h"
#include "tests/support/TempFolder.h"

namespace {

// Removes the fault hook whatever the test's outcome.
struct FaultHookGuard {
  explicit FaultHookGuard(TSafeFileFaultHook hook) { SetSafeFileFaultHook(std::move(hook)); }
  ~FaultHookGuard() { SetSafeFileFaultHook(nullptr); }
};

size_t FilesIn(const TempFolder& folder) {
  size_t count = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder.Path())) {
    (void)entry;
    ++count;
  }
  return count;
}

TEST(SafeFile, WritesANewFileAndReplacesAnOldOne) {
  TempFolder folder;
  ASSERT_TRUE(WriteFileSafely(folder / "users.dat", "first"));
  EXPECT_EQ(folder.Read("users.dat"), "first");
  ASSERT_TRUE(WriteFileSafely(folder / "users.dat", ""));
  EXPECT_EQ(folder.Read("users.dat"), "");
  ASSERT_TRUE(WriteFileSafely(folder / "users.dat", "third"));
  EXPECT_EQ(folder.Read("users.dat"), "third");
  EXPECT_EQ(FilesIn(folder), 1u);
}

TEST(SafeFile, ASaveFailingAtAnyStepLeavesThePreviousFileIntact) {
  const std::string old = "<old profile data/>";
  const std::string large(20000, 'n');  // written in several pieces
  struct Case {
    TSafeFileStep step;
    int64_t failFrom;  // bytes written before the failure strikes
  } cases[] = {
      {TSafeFileStep::Create, 0}, {TSafeFileStep::Write, 0},  {TSafeFileStep::Write, 8192},
      {TSafeFileStep::Flush, 0},  {TSafeFileStep::Rename, 0},
  };
  for (const Case& c : cases) {
    TempFolder folder;
    folder.Write("users.dat", old);
    {
      FaultHookGuard guard([&](TSafeFileStep step, int64_t written) {
        return step == c.step && written >= c.failFrom;
      });
      EXPECT_FALSE(WriteFileSafely(folder / "users.dat", large));
    }
    EXPECT_EQ(folder.Read("users.dat"), old) << int(c.step) << "/" << c.failFrom;
    EXPECT_EQ(FilesIn(folder), 1u) << "the temporary file is removed";
  }
}

TEST(SafeFile, AWriteStreamThatFailedPartWayLeavesThePreviousFileIntact) {
  TempFolder folder;
  folder.Write("options.dat", "old");
  {
    FaultHookGuard guard([](TSafeFileStep step, int64_t written) {
      return step == TSafeFileStep::Write && written >= 4;
    });
    Ref<TShareAwareFileWriteStream> stream =
        TShareAwareFileWriteStream::Create(folder / "options.dat");
    ASSERT_TRUE(stream);
    EXPECT_EQ(stream->Write("new ", 4), 4u);
    EXPECT_EQ(stream->Write("content", 7), 0u);
    EXPECT_FALSE(stream->Commit());
  }
  EXPECT_EQ(folder.Read("options.dat"), "old");
  EXPECT_EQ(FilesIn(folder), 1u);
}

TEST(SafeFile, SavesAFileWhoseNameLeavesNoRoomForATemporarySuffix) {
  TempFolder folder;
  const std::string name(250, 'n');
  folder.Write(name, "old");
  ASSERT_TRUE(WriteFileSafely(folder / name, "new"));
  EXPECT_EQ(folder.Read(name), "new");
  EXPECT_EQ(FilesIn(folder), 1u);
}

TEST(SafeFile, KeepsTheModeOfTheFileItReplaces) {
  TempFolder folder;
  folder.Write("records.dat", "x");
  ASSERT_EQ(chmod((folder / "records.dat").c_str(), 0640), 0);
  ASSERT_TRUE(WriteFileSafely(folder / "records.dat", "y"));
  struct stat info;
  ASSERT_EQ(stat((folder / "records.dat").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0640u);
}

TEST(SafeFile, FailsIntoAMissingFolderOrOverAFolder) {
  TempFolder folder;
  EXPECT_FALSE(WriteFileSafely(folder / "missing/users.dat", "x"));
  std::filesystem::create_directory(folder.Path() / "sub");
  EXPECT_FALSE(WriteFileSafely(folder / "sub", "x"));
  EXPECT_TRUE(std::filesystem::is_directory(folder.Path() / "sub"));
  EXPECT_EQ(FilesIn(folder), 1u);
}

}  // namespace
