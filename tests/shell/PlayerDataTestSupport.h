#pragma once
// The fixture of the player-data tests: a fake engine whose preference and program folders
// are fresh temporary folders, the game's file keys, the warnings captured, and helpers to
// make and read enciphered files.

#include <gtest/gtest.h>

#include <string>

#include "foundation/Cipher.h"
#include "foundation/GameDeclarations.h"
#include "foundation/PlayerFiles.h"
#include "tests/support/TempFolder.h"
#include "tests/support/WarningCapture.h"
#include "tests/support/WidgetFixture.h"

// The tables the game declares.
inline const char* const kHighScoreTables =
    "record_table={name=0\\max_records=10\\record_structure={param=Score\\param=Player\\"
    "param=Level\\param=Const}}\\record_table={name=1\\max_records=10\\record_structure={"
    "param=Score\\param=Player\\param=Level\\param=Const}}";
inline const char* const kLevelRecordTables =
    "level_record_table={name=0}\\level_record_table={name=1}";

inline std::string Encipher(const std::string& xml, const std::string& key) {
  return TCipher_Xtea(key).CodeString(xml, kCipherEncipher, kFormatHex);
}
inline std::string Decipher(const std::string& text, const std::string& key) {
  return TCipher_Xtea(key).CodeString(text, kCipherDecipher, kFormatHex);
}

class PlayerDataTest : public ::testing::Test {
 protected:
  PlayerDataTest()
      : savedKeys_{HighScoresKey, UserProfilesKey, LevelRecordsKey}, engine(new FakeEngine()) {
    HighScoresKey = "58m207xjdkaufwjb31cnwz";
    UserProfilesKey = "913064vbsw8n[571k06tyc";
    LevelRecordsKey = "zt41ka[wmcuyeb07d5rxfv";
    engine->preferenceFolder = preferences.Path().string() + "/";
    engine->programFolder = program.Path().string() + "/";
    ForgetRefusedPlayerFiles();
  }
  ~PlayerDataTest() override {
    HighScoresKey = savedKeys_[0];
    UserProfilesKey = savedKeys_[1];
    LevelRecordsKey = savedKeys_[2];
    SetMoveAsideFaultHook(nullptr);
    ForgetRefusedPlayerFiles();
  }

  // The preference folder's file Name, deciphered with Key.
  std::string SavedXml(const std::string& name, const std::string& key) const {
    return Decipher(preferences.Read(name), key);
  }

 private:
  std::string savedKeys_[3];

 protected:
  Ref<FakeEngine> engine;
  TempFolder preferences;
  TempFolder program;
  WarningCapture warnings;
};
