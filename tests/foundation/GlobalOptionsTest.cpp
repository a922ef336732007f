#include <gtest/gtest.h>

#include "foundation/GameDeclarations.h"
#include "foundation/GlobalOptions.h"
#include "foundation/RegistryRoutines.h"
#include "foundation/SafeFile.h"
#include "tests/support/TempFolder.h"

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

TEST_F(GlobalOptionsStore, ADamagedFileGivesAnEmptyStoreThatTheNextSaveReplaces) {
  for (const char* damage : {"not hexadecimal at all", "00FF00FF", "3C6F7074696F6E"}) {
    folder.Write("options.dat", damage);
    GlobalOptions().Unload();
    EXPECT_EQ(Get("MusicVolume"), "") << damage;
    ASSERT_TRUE(SetGlobalOption("SoundVolume", "70"));
    TGlobalOptions fresh;
    std::string value;
    fresh.Get("SoundVolume", value);
    EXPECT_EQ(value, "70") << damage;
  }
}

TEST_F(GlobalOptionsStore, AFailedSaveIsReportedAndTheValueKept) {
  ASSERT_TRUE(SetGlobalOption("MusicVolume", "30"));
  std::string before = folder.Read("options.dat");

  // A crash or a full disk mid-save: the old file stays whole.
  SetSafeFileFaultHook([](TSafeFileStep step, int64_t) { return step == TSafeFileStep::Write; });
  EXPECT_FALSE(SetGlobalOption("MusicVolume", "80"));
  SetSafeFileFaultHook(nullptr);
  EXPECT_EQ(Get("MusicVolume"), "80");
  EXPECT_EQ(folder.Read("options.dat"), before);

  // A preference folder below a regular file cannot be written, even by root.
  folder.Write("blocker", "a file, not a folder");
  preferences_ = folder / "blocker/prefs";
  EXPECT_FALSE(SetGlobalOption("SoundVolume", "10"));
  EXPECT_EQ(Get("SoundVolume"), "10");
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

  // The options store kept there instead of in a file.
  GlobalOptionsInFile = false;
  GlobalOptions().Unload();
  ASSERT_TRUE(SetGlobalOption("WideScreenMode", "1"));
  TGlobalOptions fresh;
  fresh.Get("WideScreenMode", value);
  EXPECT_EQ(value, "1");
}

}  // namespace
