#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <functional>

#include "foundation/GameDeclarations.h"
#include "foundation/GlobalOptions.h"
#include "foundation/PlayerFiles.h"
#include "foundation/RegistryRoutines.h"
#include "foundation/SafeFile.h"
#include "tests/support/TempFolder.h"
#include "tests/support/WarningCapture.h"

namespace {

// The store of the program over a temporary preference folder, with the game's key.
class GlobalOptionsStore : public ::testing::Test {
 protected:
  void SetUp() override {
    savedKey_ = GlobalOptionsKey;
    GlobalOptionsKey = "p2xg9c0rw5ly7ke3q1nbzu";
    preferences_ = folder.Path().string();
    SetPreferenceFolderProvider([this] { return preferences_; });
    GlobalOptions().Unload();
  }
  void TearDown() override {
    GlobalOptions().Unload();
    SetPreferenceFolderProvider(nullptr);
    SetSafeFileFaultHook(nullptr);
    GlobalOptionsKey = savedKey_;
    GlobalOptionsInFile = true;
    SetRegistryFolder("");
  }
  std::string Get(const std::string& name) {
    std::string value = "unset";
    EXPECT_TRUE(GetGlobalOption(name, value));
    return value;
  }

  TempFolder folder;
  std::string preferences_;

 private:
  std::string savedKey_;
};

TEST_F(GlobalOptionsStore, OptionsSurviveAReloadByAFreshStore) {
  EXPECT_EQ(Get("FullScreenMode"), "") << "first run: found, and empty";
  ASSERT_TRUE(SetGlobalOption("FullScreenMode", "1"));
  ASSERT_TRUE(SetGlobalOption("MusicVolume", "30"));
  ASSERT_TRUE(SetGlobalOption("FullScreenMode", "0"));

  std::string stored = folder.Read("options.dat");
  ASSERT_FALSE(stored.empty());
  EXPECT_EQ(stored.find_first_not_of("0123456789ABCDEF"), std::string::npos);

  TGlobalOptions fresh;
  std::string value;
  ASSERT_TRUE(fresh.Get("FullScreenMode", value));
  EXPECT_EQ(value, "0");
  ASSERT_TRUE(fresh.Get("MusicVolume", value));
  EXPECT_EQ(value, "30");
}

TEST_F(GlobalOptionsStore, ADamagedFileIsMovedAsideAndGivesAnEmptyStoreThatTheNextSaveReplaces) {
  const char* damages[] = {"not hexadecimal at all", "00FF00FF", "3C6F7074696F6E"};
  const char* copies[] = {"options.dat.damaged", "options.dat.damaged-2", "options.dat.damaged-3"};
  for (int i = 0; i < 3; ++i) {
    const char* damage = damages[i];
    folder.Write("options.dat", damage);
    GlobalOptions().Unload();
    WarningCapture warnings;
    EXPECT_EQ(Get("MusicVolume"), "") << damage;
    ASSERT_EQ(warnings.Lines().size(), 1u) << damage;
    EXPECT_NE(warnings.Lines()[0].find(folder / "options.dat"), std::string::npos);
    EXPECT_NE(warnings.Lines()[0].find("moved aside to " + (folder / copies[i])), std::string::npos)
        << warnings.Lines()[0];
    EXPECT_EQ(folder.Read(copies[i]), damage);
    ASSERT_TRUE(SetGlobalOption("SoundVolume", "70"));
    TGlobalOptions fresh;
    std::string value;
    fresh.Get("SoundVolume", value);
    EXPECT_EQ(value, "70") << damage;
  }
}

TEST_F(GlobalOptionsStore, ADamagedFileThatCannotBeMovedAsideIsNotSavedOver) {
  ForgetRefusedPlayerFiles();
  folder.Write("options.dat", "damaged");
  SetMoveAsideFaultHook([](const std::string&) { return EBUSY; });
  GlobalOptions().Unload();
  WarningCapture warnings;
  EXPECT_EQ(Get("MusicVolume"), "");
  SetMoveAsideFaultHook(nullptr);
  ASSERT_EQ(warnings.Lines().size(), 1u);
  EXPECT_NE(warnings.Lines()[0].find("not saved over in this run"), std::string::npos)
      << warnings.Lines()[0];
  EXPECT_FALSE(SetGlobalOption("MusicVolume", "30"));
  EXPECT_EQ(Get("MusicVolume"), "30") << "kept for the run";
  EXPECT_EQ(folder.Read("options.dat"), "damaged");
  ForgetRefusedPlayerFiles();
}

// Whatever sits in the file's place, start-up goes on at once: with the stored options
// when it is a real options file, else with the defaults and one warning naming it.
TEST_F(GlobalOptionsStore, OnlyARegularFileOfASaneSizeIsRead) {
  ASSERT_TRUE(SetGlobalOption("MusicVolume", "30"));
  const std::string valid = folder / "options.dat";
  using Make = std::function<int(const std::string& file)>;
  struct Case {
    const char* name;
    bool sticky;  // a shared preference folder: everyone may write to it, sticky
    Make make;
    const char* problem;  // '' for a file that is read
  } cases[] = {
      {"a link to an endless device", false,
       [](const std::string& file) { return symlink("/dev/zero", file.c_str()); },
       "a symbolic link"},
      {"a named pipe", false, [](const std::string& file) { return mkfifo(file.c_str(), 0600); },
       "a named pipe"},
      {"a folder", false, [](const std::string& file) { return mkdir(file.c_str(), 0700); },
       "a folder"},
      {"a file above the size limit", false,
       [&](const std::string& file) {
         std::filesystem::copy_file(valid, file);
         return truncate(file.c_str(), kMaxPlayerFileBytes + 1);
       },
       "larger than 8388608 bytes"},
      {"a link planted in a sticky folder", true,
       [&](const std::string& file) { return symlink(valid.c_str(), file.c_str()); },
       "a symbolic link"},
      {"an empty file", false,
       [](const std::string& file) {
         int fd = creat(file.c_str(), 0600);
         return fd < 0 ? -1 : close(fd);
       },
       "empty"},
      {"a valid file", true,
       [&](const std::string& file) { return std::filesystem::copy_file(valid, file) ? 0 : -1; },
       ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempFolder place;
    preferences_ = place / "prefs";
    ASSERT_EQ(mkdir(preferences_.c_str(), 0700), 0);
    if (c.sticky) {
      ASSERT_EQ(chmod(preferences_.c_str(), 01777), 0);
    }
    std::string file = preferences_ + "/options.dat";
    ASSERT_EQ(c.make(file), 0);

    std::string problem = c.problem;
    TPlayerFile read = ReadPlayerFile(file);
    bool damaged = problem != "" && problem != "empty";
    EXPECT_EQ(read.state, damaged ? TPlayerFileState::Damaged : TPlayerFileState::Read);
    EXPECT_EQ(read.problem, damaged ? problem : "");
    EXPECT_EQ(read.bytes, problem == "" ? folder.Read("options.dat") : "");

    WarningCapture warnings;
    GlobalOptions().Unload();
    EXPECT_EQ(Get("MusicVolume"), problem == "" ? "30" : "");
    std::vector<std::string> expected;
    if (problem != "")
      expected.push_back("warning: " + file + ": damaged (" + problem + "); moved aside to " +
                         file + ".damaged; the options start from their defaults");
    EXPECT_EQ(warnings.Lines(), expected);
    if (problem != "") {
      EXPECT_TRUE(std::filesystem::exists(std::filesystem::symlink_status(file + ".damaged")));
    }
  }
}

TEST_F(GlobalOptionsStore, AFailedSaveIsReportedAndTheValueKept) {
  ASSERT_TRUE(SetGlobalOption("MusicVolume", "30"));
  std::string before = folder.Read("options.dat");

  // A full disk mid-save: the old file stays whole, and the player is told once, however
  // often the option changes.
  WarningCapture warnings;
  SetSafeFileFaultHook(
      [](TSafeFileStep step, int64_t) { return step == TSafeFileStep::Write ? ENOSPC : 0; });
  EXPECT_FALSE(SetGlobalOption("MusicVolume", "80"));
  EXPECT_FALSE(SetGlobalOption("MusicVolume", "80"));
  SetSafeFileFaultHook(nullptr);
  EXPECT_EQ(Get("MusicVolume"), "80");
  EXPECT_EQ(folder.Read("options.dat"), before);
  EXPECT_EQ(warnings.Lines(), std::vector<std::string>{"warning: " + (folder / "options.dat") +
                                                       ": not saved (No space left on device)"});

  // A preference folder below a regular file cannot be written, even by root.
  warnings.Clear();
  folder.Write("blocker", "a file, not a folder");
  preferences_ = folder / "blocker/prefs";
  EXPECT_FALSE(SetGlobalOption("SoundVolume", "10"));
  EXPECT_EQ(Get("SoundVolume"), "10");
  EXPECT_EQ(warnings.Lines(),
            std::vector<std::string>{"warning: " + (folder / "blocker/prefs/options.dat") +
                                     ": not saved (Not a directory)"});
}

TEST_F(GlobalOptionsStore, WithoutAPreferenceFolderTheStoreLivesInMemory) {
  SetPreferenceFolderProvider(nullptr);
  GlobalOptions().Unload();
  EXPECT_FALSE(SetGlobalOption("ShowFPS", "1"));
  EXPECT_EQ(Get("ShowFPS"), "1");
}

TEST_F(GlobalOptionsStore, TheRegistryStandInKeepsStringValues) {
  SetRegistryFolder(folder / "config");
  std::string value;
  EXPECT_FALSE(ReadRegistryString(TRegistryRoot::CurrentUser, RegistryKeyPath, "x", value));
  ASSERT_TRUE(
      WriteRegistryString(TRegistryRoot::CurrentUser, "Software\\Maker\\..\\Game", "x", "text"));
  ASSERT_TRUE(
      ReadRegistryString(TRegistryRoot::CurrentUser, "Software\\Maker\\..\\Game", "x", value));
  EXPECT_EQ(value, "text");
  EXPECT_FALSE(
      ReadRegistryString(TRegistryRoot::LocalMachine, "Software\\Maker\\..\\Game", "x", value));

  // Values are the player's: owner-only, and read only from a regular file, promptly.
  std::string file = folder / "config/user/Software/Maker/_../Game/x.value";
  struct stat info;
  ASSERT_EQ(stat(file.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);
  using Make = std::function<int(const std::string& file)>;
  const std::pair<Make, std::string> planted[] = {
      {[](const std::string& f) { return symlink("/dev/zero", f.c_str()); }, "a symbolic link"},
      {[](const std::string& f) { return mkfifo(f.c_str(), 0600); }, "a named pipe"},
  };
  for (const auto& [make, problem] : planted) {
    SCOPED_TRACE(problem);
    ASSERT_EQ(unlink(file.c_str()), 0);
    ASSERT_EQ(make(file), 0);
    WarningCapture warnings;
    value = "kept";
    EXPECT_FALSE(
        ReadRegistryString(TRegistryRoot::CurrentUser, "Software\\Maker\\..\\Game", "x", value));
    EXPECT_EQ(value, "kept");
    EXPECT_EQ(warnings.Lines(), std::vector<std::string>{"warning: " + file + ": damaged (" +
                                                         problem + "); read as no value"});
  }

  // The options store kept there instead of in a file.
  GlobalOptionsInFile = false;
  GlobalOptions().Unload();
  ASSERT_TRUE(SetGlobalOption("WideScreenMode", "1"));
  TGlobalOptions fresh;
  fresh.Get("WideScreenMode", value);
  EXPECT_EQ(value, "1");
}

}  // namespace
