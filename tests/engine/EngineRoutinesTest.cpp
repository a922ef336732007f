// Folders, preference files, start-up parameters and the text helpers.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <filesystem>

#include "engine/EngineRoutines.h"
#include "foundation/EngineDeclarations.h"
#include "foundation/GlobalOptions.h"
#include "foundation/MultiLanguages.h"
#include "platform/Folders.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/TempFolder.h"
#include "tests/support/WarningCapture.h"

namespace {

void SetArguments(std::vector<const char*> arguments) {
  arguments.insert(arguments.begin(), "engine_tests");
  platform::SetProgramArguments(int(arguments.size()), arguments.data());
}

}  // namespace

TEST(EngineRoutines, FormatThousandsGroupsDigits) {
  MultiLanguages()->SetString("thousand_separator", ",");
  struct Case {
    int64_t n;
    const char* text;
  } cases[] = {
      {0, "0"},         {999, "999"},          {1000, "1,000"},
      {-999, "-999"},   {-1234567, "-1,234,567"}, {INT32_MIN, "-2,147,483,648"},
      {INT32_MAX, "2,147,483,647"}, {INT64_MIN, "-9,223,372,036,854,775,808"},
  };
  for (const Case& c : cases) EXPECT_EQ(FormatThousands(c.n), c.text) << c.n;
  MultiLanguages()->SetString("thousand_separator", ".");
  EXPECT_EQ(FormatThousands(1234567), "1.234.567");
}

TEST(EngineRoutines, FormatMinSecAndNumbers) {
  MultiLanguages()->SetString("time_separator", "'");
  EXPECT_EQ(FormatMinSec(59, ":"), "00:59");
  EXPECT_EQ(FormatMinSec(65, ":"), "01:05");
  EXPECT_EQ(FormatMinSec(36000, ":"), "600:00");
  EXPECT_EQ(FormatMinSec(61), "01'01");
  EXPECT_EQ(FormatMinSec(61, ""), "0101") << "a separator given empty stays empty";
  EXPECT_EQ(ReplaceAll("a-b-c", "-", "+-"), "a+-b+-c");
  EXPECT_EQ(ReplaceAll("abc", "", "x"), "abc");
  EXPECT_EQ(StrToIntDefault("42", 1), 42);
  EXPECT_EQ(StrToIntDefault("4x", 1), 1);
  EXPECT_DOUBLE_EQ(StrToFloatDefault("2.5", 1), 2.5);
  EXPECT_DOUBLE_EQ(StrToFloatDefault("", 1), 1);
  EXPECT_DOUBLE_EQ(StrToFloatDefault("abc", 3), 3);
}

TEST(EngineRoutines, ChangePathFindsTheFolderWithoutCaseAndEndsInASeparator) {
  std::string exeFolder = platform::ProgramFolder();
  std::string made = exeFolder + "ChangePath-Test-" + std::to_string(getpid());
  std::filesystem::create_directories(made + "/Inner");
  std::string name = "changepath-test-" + std::to_string(getpid());
  SetArguments({"-ChangePath", (name + "\\INNER\\").c_str()});
  EXPECT_EQ(GetProgramFolder(), made + "/Inner/");
  SetArguments({"-changepath", (name + "/inner").c_str()});
  EXPECT_EQ(GetProgramFolder(), made + "/Inner/");
  SetArguments({"-changepath", name.c_str(), "third"});
  EXPECT_EQ(GetProgramFolder(), exeFolder);
  SetArguments({});
  EXPECT_EQ(GetProgramFolder(), exeFolder);
  std::filesystem::remove_all(made);
}

TEST(EngineRoutines, EveryLineEndsInCrLf) {
  struct Case {
    std::string text, lines;
  } cases[] = {
      {"", ""},
      {"one", "one\r\n"},
      {"a\nb", "a\r\nb\r\n"},
      {"a\r\n", "a\r\n"},
      {"a\rb\n\n", "a\r\nb\r\n\r\n"},
      {"\r\r\n", "\r\n\r\n"},
      {"\n", "\r\n"},
  };
  for (const Case& c : cases) EXPECT_EQ(WithCrLfLines(c.text), c.lines) << c.text;
}

TEST(EngineRoutines, PreferenceFilesAreSavedSafelyWithCrLfLines) {
  TempFolder folder;
  ScopedEnv preferences("GAME_PREFERENCE_DIR", folder / "prefs");
  EXPECT_EQ(GetPreferenceFolder(), folder / "prefs/");
  EXPECT_EQ(ReadPreferenceFile("x.txt"), "");
  EXPECT_TRUE(WritePreferenceFile("one\ntwo\r\nthree", "x.txt"));
  EXPECT_EQ(folder.Read("prefs/x.txt"), "one\r\ntwo\r\nthree\r\n");
  EXPECT_EQ(ReadPreferenceFile("x.txt"), "one\r\ntwo\r\nthree\r\n");
  // A failed save says which file and why, and leaves the old file.
  WarningCapture warnings;
  EXPECT_FALSE(WritePreferenceFile("new", "missing/x.txt"));
  EXPECT_EQ(warnings.Lines(),
            std::vector<std::string>{"warning: " + folder / "prefs/missing/x.txt" +
                                     ": not saved (No such file or directory)"});
  // Saved for the player's eyes only.
  struct stat info;
  ASSERT_EQ(stat((folder / "prefs/x.txt").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);
  EXPECT_EQ(folder.Read("prefs/x.txt"), "one\r\ntwo\r\nthree\r\n");
}

// The program folder is not the player's: a preference folder that cannot be used is
// refused by name and nothing is saved, there or anywhere else.
TEST(EngineRoutines, AnUnusablePreferenceFolderIsRefusedAndNothingIsSaved) {
  struct Case {
    const char* name;
    mode_t mode;  // of the folder; 0 for a file in its place
    const char* reason;
  } cases[] = {
      {"a file", 0, "not a folder"},
      {"a folder everyone may write to", 0777, "writable by every user and not sticky"},
  };
  std::string program = GetProgramFolder();
  std::string probe = "refused-" + std::to_string(getpid()) + ".dat";
  bool hadOptions = std::filesystem::exists(program + "options.dat");
  SetPreferenceFolderProvider([] { return GetPreferenceFolder(); });
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempFolder folder;
    std::string prefs = folder / "prefs";
    if (c.mode) {
      ASSERT_EQ(mkdir(prefs.c_str(), 0700), 0);
      ASSERT_EQ(chmod(prefs.c_str(), c.mode), 0);
    } else {
      folder.Write("prefs", "a file");
    }
    ScopedEnv preferences("GAME_PREFERENCE_DIR", prefs);
    WarningCapture warnings;
    GlobalOptions().Unload();
    EXPECT_EQ(GetPreferenceFolder(), "");
    EXPECT_FALSE(WritePreferenceFile("text", probe));
    EXPECT_EQ(ReadPreferenceFile(probe), "");
    EXPECT_FALSE(SetGlobalOption("MusicVolume", "10"));
    std::string value;
    EXPECT_TRUE(GetGlobalOption("MusicVolume", value));
    EXPECT_EQ(value, "10") << "the game goes on with the option in memory";
    EXPECT_EQ(
        warnings.Lines(),
        std::vector<std::string>{"warning: " + prefs + ": preference folder refused (" + c.reason +
                                 "); the game runs without saving the player's files"});
    EXPECT_FALSE(std::filesystem::exists(program + probe));
    EXPECT_EQ(std::filesystem::exists(program + "options.dat"), hadOptions);
    EXPECT_FALSE(std::filesystem::exists(folder / "prefs/options.dat"));
  }
  GlobalOptions().Unload();
  SetPreferenceFolderProvider(nullptr);
}

TEST(EngineRoutines, StartupParamsSetLanguageAndPreferenceFolder) {
  TempFolder folder;
  std::string oldLanguage = LanguageFileName, oldFolder = PreferenceFolderName;
  char cwd[4096];
  ASSERT_TRUE(getcwd(cwd, sizeof cwd));
  ASSERT_EQ(chdir(folder.Path().c_str()), 0);
  folder.Write("data/ini/startupParams.ini",
               "<params><param name=\"lang_file_name\" value=\"lang\\de.lng\"/>"
               "<param name=\"default_resource_name\" value=\"lang\\en.lng\"/>"
               "<param name=\"preference_folder_name\" value=\"Other\"/></params>");
  ReadStartupParams();
  EXPECT_EQ(LanguageFileName, "lang\\de.lng");
  EXPECT_EQ(PreferenceFolderName, "Other");
  // A damaged file changes nothing.
  LanguageFileName = "keep";
  folder.Write("data/ini/startupParams.ini", "<params><param");
  ReadStartupParams();
  EXPECT_EQ(LanguageFileName, "keep");
  LanguageFileName = oldLanguage;
  PreferenceFolderName = oldFolder;
  ASSERT_EQ(chdir(cwd), 0);
}
