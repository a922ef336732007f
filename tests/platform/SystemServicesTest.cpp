// Folders, whole-file reading and saving, the registry stand-in, error texts, the
// document opener and PNG reading of bad files.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <fstream>
#include <sstream>
#include <thread>

#include "platform/DocumentOpener.h"
#include "platform/ErrorText.h"
#include "platform/Folders.h"
#include "platform/Png.h"
#include "platform/Registry.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/TempFolder.h"

namespace platform {
namespace {

using namespace std::string_literals;

void WriteText(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

TEST(Folders, PreferenceFolderIsPerUserUnderXdgDataHome) {
  TempFolder home;
  ScopedEnv choice("GAME_PREFERENCE_DIR", nullptr);
  ScopedEnv data("XDG_DATA_HOME", (home / "data").c_str());
  EXPECT_EQ(UserDataFolder(), home / "data/");
  std::string folder = PreferenceFolder("OstrelGames", "Tavelor2");
  EXPECT_EQ(folder, home / "data/OstrelGames/Tavelor2/");
  struct stat info;
  ASSERT_EQ(stat(folder.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0700u);  // the player's alone
  // A relative XDG_DATA_HOME is to be ignored: the home folder's default instead.
  ScopedEnv relative("XDG_DATA_HOME", "relative/data");
  ScopedEnv homeVariable("HOME", home.Path().c_str());
  EXPECT_EQ(UserDataFolder(), home / ".local/share/");
}

TEST(Folders, PreferenceFolderFallsBackToTheDataFolder) {
  TempFolder home;
  ScopedEnv choice("GAME_PREFERENCE_DIR", nullptr);
  ScopedEnv data("XDG_DATA_HOME", home.Path().c_str());
  // The maker's name is taken by a file: no maker folder, so the data folder itself.
  WriteText(home / "Maker", "");
  EXPECT_EQ(PreferenceFolder("Maker", "Game"), home.Path().string() + "/");
  // The game's name is taken by a symbolic link: never followed.
  ASSERT_EQ(mkdir((home / "Other").c_str(), 0700), 0);
  ASSERT_EQ(symlink("/tmp", (home / "Other/Game").c_str()), 0);
  EXPECT_EQ(PreferenceFolder("Other", "Game"), home.Path().string() + "/");
}

TEST(Folders, WorldWritableFoldersAreRefusedUnlessSticky) {
  TempFolder home;
  ScopedEnv choice("GAME_PREFERENCE_DIR", nullptr);
  std::string open = home / "open";
  ASSERT_EQ(mkdir(open.c_str(), 0700), 0);
  ASSERT_EQ(chmod(open.c_str(), 0777), 0);
  EXPECT_FALSE(IsUsableFolder(open));
  {
    ScopedEnv data("XDG_DATA_HOME", open.c_str());
    EXPECT_EQ(PreferenceFolder("Maker", "Game"), "");
  }
  ASSERT_EQ(chmod(open.c_str(), 01777), 0);
  EXPECT_TRUE(IsUsableFolder(open));
  ScopedEnv data("XDG_DATA_HOME", open.c_str());
  EXPECT_EQ(PreferenceFolder("Maker", "Game"), open + "/Maker/Game/");
}

TEST(Folders, PreferenceDirOverrides) {
  TempFolder home;
  ScopedEnv data("XDG_DATA_HOME", (home / "data").c_str());
  ScopedEnv choice("GAME_PREFERENCE_DIR", (home / "chosen/prefs").c_str());
  EXPECT_EQ(PreferenceFolder("Maker", "Game"), home / "chosen/prefs/");
  EXPECT_TRUE(IsUsableFolder(home / "chosen/prefs"));
  EXPECT_FALSE(IsUsableFolder(home / "data/Maker"));  // nothing made there
}

TEST(Folders, RelativePathsAreTakenFromTheStartFolder) {
  SetProgramArguments(3, std::vector<const char*>{"game", "-changepath", "Sub\\"}.data());
  EXPECT_EQ(ProgramArguments(), (std::vector<std::string>{"-changepath", "Sub\\"}));
  char here[4096];
  ASSERT_TRUE(getcwd(here, sizeof here));
  EXPECT_EQ(PathFromStartFolder("shots/a.png"), std::string(here) + "/shots/a.png");
  EXPECT_EQ(PathFromStartFolder("/abs/a.png"), "/abs/a.png");
  std::string program = ProgramFolder();
  EXPECT_EQ(program.back(), '/');
  EXPECT_EQ(access((program + "platform_tests").c_str(), X_OK), 0) << program;
}

TEST(Files, WholeFilesAreReadWithoutFollowingLinks) {
  TempFolder folder;
  std::string data;
  WriteText(folder / "a.txt", "line 1\r\nline 2");
  ASSERT_TRUE(ReadWholeFile(folder / "a.txt", data));
  EXPECT_EQ(data, "line 1\r\nline 2");
  EXPECT_FALSE(ReadWholeFile(folder / "a.txt", data, 5));  // too large
  EXPECT_EQ(data, "");
  ASSERT_EQ(symlink((folder / "a.txt").c_str(), (folder / "link.txt").c_str()), 0);
  EXPECT_FALSE(ReadWholeFile(folder / "link.txt", data));
  EXPECT_FALSE(ReadWholeFile(folder.Path(), data));  // a folder
  EXPECT_FALSE(ReadWholeFile(folder / "absent", data));
  ASSERT_EQ(mkfifo((folder / "fifo").c_str(), 0600), 0);
  EXPECT_FALSE(ReadWholeFile(folder / "fifo", data));  // and never blocks on one
}

TEST(Files, ReplacingAFileLeavesNoTemporaryAndBreaksLinks) {
  TempFolder folder;
  WriteText(folder / "target.txt", "secret");
  ASSERT_EQ(symlink((folder / "target.txt").c_str(), (folder / "saved.dat").c_str()), 0);
  ASSERT_TRUE(ReplaceWholeFile(folder / "saved.dat", "new"));
  EXPECT_EQ(ReadText(folder / "target.txt"), "secret");  // the link's target is untouched
  std::string data;
  ASSERT_TRUE(ReadWholeFile(folder / "saved.dat", data));
  EXPECT_EQ(data, "new");
  ASSERT_TRUE(ReplaceWholeFile(folder / "saved.dat", ""));
  ASSERT_TRUE(ReadWholeFile(folder / "saved.dat", data));
  EXPECT_EQ(data, "");
  int entries = 0;
  for (auto& entry : std::filesystem::directory_iterator(folder.Path())) {
    (void)entry;
    ++entries;
  }
  EXPECT_EQ(entries, 2);
  EXPECT_FALSE(ReplaceWholeFile(folder / "no/such/folder/x", "x"));
}

TEST(Registry, ValuesRoundTripPerRootAndKey) {
  TempFolder home;
  ScopedEnv config("XDG_CONFIG_HOME", home.Path().c_str());
  const std::string key = "Software\\OstrelGames\\Tavelor2\\";
  std::string value;
  EXPECT_FALSE(ReadRegistryValue(RegistryRoot::CurrentUser, key, "options.dat", value));
  const std::string awkward = "a=b%c\r\nline two\t\x7f end";
  ASSERT_TRUE(WriteRegistryValue(RegistryRoot::CurrentUser, key, "options.dat", "ABC123"));
  ASSERT_TRUE(WriteRegistryValue(RegistryRoot::CurrentUser, key, "odd=name%", awkward));
  ASSERT_TRUE(WriteRegistryValue(RegistryRoot::LocalMachine, key, "options.dat", "machine"));
  ASSERT_TRUE(ReadRegistryValue(RegistryRoot::CurrentUser, key, "options.dat", value));
  EXPECT_EQ(value, "ABC123");
  ASSERT_TRUE(ReadRegistryValue(RegistryRoot::CurrentUser, key, "odd=name%", value));
  EXPECT_EQ(value, awkward);
  ASSERT_TRUE(ReadRegistryValue(RegistryRoot::LocalMachine, key, "options.dat", value));
  EXPECT_EQ(value, "machine");
  EXPECT_FALSE(
      ReadRegistryValue(RegistryRoot::CurrentUser, "Software\\Other", "options.dat", value));
  EXPECT_EQ(RegistryFile(RegistryRoot::CurrentUser, key),
            home / "Software/OstrelGames/Tavelor2/user.values");
  // One line a value, nothing else in the file.
  std::string text = ReadText(RegistryFile(RegistryRoot::CurrentUser, key));
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 2);
}

TEST(Registry, KeyPathsStayInsideTheConfigurationFolder) {
  TempFolder home;
  ScopedEnv config("XDG_CONFIG_HOME", (home / "config").c_str());
  EXPECT_EQ(RegistryFile(RegistryRoot::CurrentUser, "..\\..\\etc/./x\\"),
            home / "config/etc/x/user.values");
  EXPECT_EQ(RegistryFile(RegistryRoot::CurrentUser, "\\..\\"), "");
  EXPECT_FALSE(WriteRegistryValue(RegistryRoot::CurrentUser, "", "a", "b"));
}

TEST(Registry, DamagedFilesReadAsWhatCanBeSalvaged) {
  TempFolder home;
  ScopedEnv config("XDG_CONFIG_HOME", home.Path().c_str());
  std::string file = RegistryFile(RegistryRoot::CurrentUser, "Key");
  ASSERT_TRUE(MakeFolder(home / "Key"));
  WriteText(file, "garbage\nname=va%4\x00\nother=%41%zz%"s);
  std::string value;
  ASSERT_TRUE(ReadRegistryValue(RegistryRoot::CurrentUser, "Key", "name", value));
  EXPECT_EQ(value, "va%4\x00"s);
  ASSERT_TRUE(ReadRegistryValue(RegistryRoot::CurrentUser, "Key", "other", value));
  EXPECT_EQ(value, "A%zz%");
}

TEST(ErrorText, SystemMessagesForErrorNumbers) {
  EXPECT_EQ(SystemErrorText(ENOENT), "No such file or directory");
  EXPECT_FALSE(SystemErrorText(123456).empty());
}

TEST(DocumentOpener, PathsReachTheOpenerAsOneArgument) {
  TempFolder folder;
  std::string record = folder / "args.txt";
  WriteText(folder / "xdg-open", "#!/bin/sh\nfor a in \"$@\"; do printf '[%s]' \"$a\"; done > '" +
                                     record +
                                     ".tmp'\n"
                                     "mv '" +
                                     record + ".tmp' '" + record + "'\n");
  ASSERT_EQ(chmod((folder / "xdg-open").c_str(), 0700), 0);
  ScopedEnv path("PATH", (folder.Path().string() + ":/usr/bin:/bin").c_str());
  struct Case {
    std::string given, received;
  };
  const Case cases[] = {
      {"/tmp/a file; rm -rf $HOME `id` $(id).pdf", "[/tmp/a file; rm -rf $HOME `id` $(id).pdf]"},
      {"--help", "[./--help]"},
      {"https://example.org/?a=1&b=2", "[https://example.org/?a=1&b=2]"},
  };
  for (const Case& c : cases) {
    unlink(record.c_str());
    ASSERT_TRUE(StartDocumentOpener(c.given));
    std::string got;
    for (int i = 0; i < 500 && !ReadWholeFile(record, got); ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_EQ(got, c.received);
  }
  EXPECT_FALSE(StartDocumentOpener(""));
  ScopedEnv nowhere("PATH", (folder / "empty").c_str());
  EXPECT_FALSE(StartDocumentOpener("/tmp/x.pdf"));
}

TEST(Png, BadFilesGiveAMessage) {
  TempFolder folder;
  WriteText(folder / "text.png", "not a picture at all");
  std::string png = "\x89PNG\r\n\x1a\n";
  WriteText(folder / "cut.png", png + "\0\0\0\rIHDR\0\0\x10\0"s);
  PngImage image;
  std::string error;
  for (const char* name : {"text.png", "cut.png", "absent.png"}) {
    error.clear();
    EXPECT_FALSE(ReadPng(folder / name, image, error)) << name;
    EXPECT_NE(error.find(name), std::string::npos) << error;
  }
  uint32_t pixels[4] = {};
  ASSERT_TRUE(WritePng(folder / "big.png", pixels, 2, 2, 2, error));
  EXPECT_FALSE(ReadPng(folder / "big.png", image, error, 3));
  EXPECT_FALSE(WritePng(folder / "none.png", nullptr, 2, 2, 2, error));
}

}  // namespace
}  // namespace platform
