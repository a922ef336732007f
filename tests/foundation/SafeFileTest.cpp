#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <functional>

#include "foundation/SafeFile.h"
#include "foundation/Streams.h"
#include "tests/support/TempFolder.h"
#include "tests/support/WarningCapture.h"

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

// Runs Action where permissions hold: in a child process as the unprivileged user
// "nobody" when the tests run as root (root writes into read-only folders). Answers the
// text the action answers.
std::string AsOrdinaryUser(const std::function<std::string()>& action) {
  if (geteuid() != 0) return action();
  int pipeEnds[2];
  if (pipe(pipeEnds) != 0) return "no pipe";
  pid_t child = fork();
  if (child == 0) {
    close(pipeEnds[0]);
    std::string answer = setgid(65534) == 0 && setuid(65534) == 0 ? action() : "no setuid";
    ssize_t written = write(pipeEnds[1], answer.data(), answer.size());
    _exit(written == ssize_t(answer.size()) ? 0 : 1);
  }
  close(pipeEnds[1]);
  std::string answer;
  char buffer[512];
  for (ssize_t n; (n = read(pipeEnds[0], buffer, sizeof buffer)) > 0;) answer.append(buffer, n);
  close(pipeEnds[0]);
  waitpid(child, nullptr, 0);
  return answer;
}

TEST(PlayerFiles, AFailedSaveSaysWhichFileAndWhyAndKeepsTheOldFile) {
  struct Case {
    const char* name;
    const char* reason;  // the system's text, as the message gives it
  } cases[] = {
      {"folder in the way", "Is a directory"},
      {"read-only folder", "Permission denied"},
      {"disk full while writing", "No space left on device"},
      {"rename fails", "Input/output error"},
      // The next start would refuse to read it.
      {"larger than a player file may be", "larger than 8 MiB, the most a player file may hold"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempFolder folder;
    std::string prefs = folder / "prefs";
    folder.Write("prefs/users.dat", "old");
    std::string target = prefs + "/users.dat";
    std::string name = c.name;
    if (name == "folder in the way") {
      target = prefs + "/records.dat";
      std::filesystem::create_directory(target);
    }
    std::string said;
    if (name == "read-only folder") {
      ASSERT_EQ(chmod(folder.Path().c_str(), 0755), 0);
      ASSERT_EQ(chown(prefs.c_str(), 65534, 65534), geteuid() == 0 ? 0 : -1);
      ASSERT_EQ(chmod(prefs.c_str(), 0500), 0);
      said = AsOrdinaryUser([&] {
        WarningCapture warnings;
        bool saved = SavePlayerFile(target, "new");
        return (saved ? "saved" : "") + (warnings.Lines().empty() ? "" : warnings.Lines()[0]);
      });
      ASSERT_EQ(chmod(prefs.c_str(), 0700), 0);
    } else {
      int fault = name == "disk full while writing" ? ENOSPC : name == "rename fails" ? EIO : 0;
      TSafeFileStep at = fault == ENOSPC ? TSafeFileStep::Write : TSafeFileStep::Rename;
      FaultHookGuard guard([&](TSafeFileStep step, int64_t) { return step == at ? fault : 0; });
      WarningCapture warnings;
      std::string bytes = name == "larger than a player file may be"
                              ? std::string(kMaxPlayerFileBytes + 1, 'A')
                              : std::string("new");
      EXPECT_FALSE(SavePlayerFile(target, bytes));
      ASSERT_EQ(warnings.Lines().size(), 1u);
      said = warnings.Lines()[0];
    }
    EXPECT_EQ(said, "warning: " + target + ": not saved (" + c.reason + ")");
    EXPECT_EQ(folder.Read("prefs/users.dat"), "old");
    EXPECT_EQ(std::filesystem::is_directory(prefs + "/records.dat"), name == "folder in the way");
    size_t entries = 0;
    for (const auto& entry : std::filesystem::directory_iterator(prefs))
      entries += !entry.path().empty();
    EXPECT_EQ(entries, name == "folder in the way" ? 2u : 1u) << "no temporary is left";
  }
}

TEST(PlayerFiles, AFileAsLargeAsAPlayerFileMayBeIsSavedAndReadBack) {
  TempFolder folder;
  std::string bytes(kMaxPlayerFileBytes, 'A');
  bytes.back() = 'B';
  ASSERT_TRUE(SavePlayerFile(folder / "users.dat", bytes));
  TPlayerFile file = ReadPlayerFile(folder / "users.dat");
  EXPECT_EQ(file.state, TPlayerFileState::Read) << file.problem;
  EXPECT_TRUE(file.bytes == bytes);
}

TEST(PlayerFiles, AreCreatedForTheirOwnerOnly) {
  TempFolder folder;
  mode_t mask = umask(0);
  folder.Write("options.dat", "old");
  ASSERT_EQ(chmod((folder / "options.dat").c_str(), 0666), 0);
  bool savedNew = SavePlayerFile(folder / "users.dat", "new");
  bool savedOld = SavePlayerFile(folder / "options.dat", "new");
  umask(mask);
  ASSERT_TRUE(savedNew && savedOld);
  for (const char* name : {"users.dat", "options.dat"}) {
    struct stat info;
    ASSERT_EQ(stat((folder / name).c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u) << name;
  }
}

TEST(PlayerFiles, ASaveRemovesTheTemporariesOfAnEarlierProcessKilledPartWay) {
  TempFolder folder;
  folder.Write("users.dat", "old");
  // A process dies in the middle of its save.
  pid_t child = fork();
  if (child == 0) {
    std::unique_ptr<TSafeFileWriter> writer = TSafeFileWriter::Open(folder / "users.dat");
    if (writer) writer->WriteAt(0, "half of it");
    _exit(0);  // no clean-up, as after a kill
  }
  ASSERT_EQ(waitpid(child, nullptr, 0), child);
  std::string ownTemporary = "users.dat.tmp" + std::to_string(getpid()) + "-inflight";
  folder.Write(ownTemporary, "a save of this process in progress");
  folder.Write("users.dat.tmpnotours", "x");
  folder.Write("records.dat.tmp1-abcdef", "another file's");
  EXPECT_EQ(FilesIn(folder), 5u) << "the dead process's temporary is there";

  ASSERT_TRUE(SavePlayerFile(folder / "users.dat", "new"));
  EXPECT_EQ(folder.Read("users.dat"), "new");
  EXPECT_EQ(FilesIn(folder), 4u);
  EXPECT_EQ(folder.Read(ownTemporary), "a save of this process in progress");
}

TEST(PlayerFiles, AFileHoldingTheSameBytesForItsOwnerAloneIsNotWrittenAgain) {
  struct Case {
    const char* name;
    const char* held;  // what the file holds before the save of "same"
    mode_t mode;
    bool link;  // the name is a link to such a file
    bool written;
  } cases[] = {
      {"the same bytes", "same", 0600, false, false},
      {"other bytes", "other", 0600, false, true},
      {"the same bytes, shorter", "sam", 0600, false, true},
      {"the same bytes, readable by others", "same", 0644, false, true},
      {"a link to the same bytes", "same", 0600, true, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempFolder folder;
    folder.Write("held", c.held);
    ASSERT_EQ(chmod((folder / "held").c_str(), c.mode), 0);
    std::string target = folder / "users.dat";
    if (c.link)
      std::filesystem::create_symlink(folder / "held", target);
    else
      std::filesystem::rename(folder / "held", target);
    struct stat before;
    ASSERT_EQ(lstat(target.c_str(), &before), 0);
    int steps = 0;
    FaultHookGuard guard([&](TSafeFileStep, int64_t) { return ++steps, 0; });
    ASSERT_TRUE(SavePlayerFile(target, "same"));
    struct stat after;
    ASSERT_EQ(lstat(target.c_str(), &after), 0);
    EXPECT_EQ(folder.Read("users.dat"), "same");
    EXPECT_EQ(after.st_ino != before.st_ino, c.written);
    EXPECT_EQ(steps > 0, c.written);
    EXPECT_TRUE(S_ISREG(after.st_mode));
    EXPECT_EQ(after.st_mode & 0777, 0600u);
  }
}

TEST(SafeFile, FilesSavedInABatchFlushTheirFolderOnceWhenTheOutermostBatchEnds) {
  TempFolder folder;
  int folderFlushes = 0;
  FaultHookGuard guard([&](TSafeFileStep step, int64_t) {
    folderFlushes += step == TSafeFileStep::FolderFlush;
    return 0;
  });
  ASSERT_TRUE(WriteFileSafely(folder / "options.dat", "alone"));
  EXPECT_EQ(folderFlushes, 1) << "a save on its own flushes at once";
  {
    TFolderFlushBatch level;
    {
      TFolderFlushBatch inner;
      ASSERT_TRUE(WriteFileSafely(folder / "highscores.dat", "scores"));
    }
    ASSERT_TRUE(WriteFileSafely(folder / "records.dat", "records"));
    ASSERT_TRUE(WriteFileSafely(folder / "users.dat", "users"));
    EXPECT_EQ(folderFlushes, 1) << "not before the batch ends";
    EXPECT_EQ(folder.Read("highscores.dat"), "scores") << "the files are in place at once";
    EXPECT_EQ(folder.Read("users.dat"), "users");
  }
  EXPECT_EQ(folderFlushes, 2);
  ASSERT_TRUE(WriteFileSafely(folder / "users.dat", "later"));
  EXPECT_EQ(folderFlushes, 3) << "after the batch, saves flush at once again";
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
