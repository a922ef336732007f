#include <cerrno>
#include <filesystem>
#include <functional>
#include <string>

#include "shell/HighScores.h"
#include "shell/LevelRecords.h"
#include "shell/UserProfile.h"
#include "tests/shell/PlayerDataTestSupport.h"

namespace fs = std::filesystem;

namespace {

// One kind of player data: its file, key, a valid document, and how much a fresh object
// holds after loading through the engine.
struct PlayerData {
  const char* file;
  std::string* key;
  const char* validXml;
  std::function<int(IEngine*)> loadAndCount;
};

int CountRecords(IRecordTableCollection& tables) {
  int count = 0;
  for (int i = 0; i < tables.Count(); ++i)
    count += tables.GetItem(Variant(i))->GetRecords()->Count();
  return count;
}

int CountRecords(ILevelRecordTableCollection& tables) {
  int count = 0;
  for (int i = 0; i < tables.Count(); ++i)
    count +=
        dynamic_cast<TLevelRecordTable*>(tables.GetItem(Variant(i)).get())->GetRecords()->Count();
  return count;
}

const PlayerData kPlayerData[] = {
    {"users.dat", &UserProfilesKey,
     R"(<userprofiles current_user_profile_name="Ann"><userprofile name="Ann"/></userprofiles>)",
     [](IEngine* engine) {
       Ref<TUserProfileCollection> profiles = TAbstractObject::Create<TUserProfileCollection>();
       profiles->LoadFromFile(engine);
       EXPECT_EQ(profiles->Count() == 0, profiles->GetCurrent() == nullptr);
       return profiles->Count();
     }},
    {"highscores.dat", &HighScoresKey,
     R"(<highscores><recordtables><recordtable name="0"><records><record><params>)"
     R"(<param name="Score">5</param></params></record></records></recordtable>)"
     R"(</recordtables></highscores>)",
     [](IEngine* engine) {
       Ref<THighScores> scores = TAbstractObject::Create<THighScores>(kHighScoreTables);
       scores->LoadFromFile(engine, false);
       return CountRecords(*scores->GetTables());
     }},
    {"records.dat", &LevelRecordsKey,
     R"(<highscores><levelrecordtables><levelrecordtable name="0"><levelrecords>)"
     R"(<levelrecord name="1"/></levelrecords></levelrecordtable></levelrecordtables>)"
     R"(</highscores>)",
     [](IEngine* engine) {
       Ref<TLevelRecords> records = TAbstractObject::Create<TLevelRecords>(kLevelRecordTables);
       records->LoadFromFile(engine);
       return CountRecords(*records->GetTables());
     }},
};

bool Mentions(const std::string& line, const std::string& text) {
  return line.find(text) != std::string::npos;
}

}  // namespace

class DamagedPlayerFilesTest : public PlayerDataTest {
 protected:
  std::string Pref(const std::string& name) const { return preferences / name; }
};

TEST_F(DamagedPlayerFilesTest, ValidFilesLoad) {
  for (const PlayerData& data : kPlayerData) {
    preferences.Write(data.file, Encipher(data.validXml, *data.key));
    EXPECT_EQ(data.loadAndCount(engine.get()), 1) << data.file;
  }
  EXPECT_TRUE(warnings.Lines().empty());
}

TEST_F(DamagedPlayerFilesTest, DamagedFileIsMovedAsideWithOneWarningAndEmptyData) {
  struct Damage {
    const char* what;
    std::function<std::string(const PlayerData&)> bytes;  // nullptr: a folder
  } damages[] = {
      {"truncated hex",
       [](const PlayerData& data) {
         std::string hex = Encipher(data.validXml, *data.key);
         return hex.substr(0, hex.size() / 3 * 2);
       }},
      {"text that is not hex", [](const PlayerData&) { return std::string("not a saved game"); }},
      {"the wrong key",
       [](const PlayerData& data) { return Encipher(data.validXml, "someone-elses-key"); }},
      {"hex of text that is not XML",
       [](const PlayerData& data) { return Encipher("plain words, no markup", *data.key); }},
      {"an empty file", [](const PlayerData&) { return std::string(); }},
      {"a folder in the file's place", nullptr},
  };
  for (const PlayerData& data : kPlayerData) {
    for (const Damage& damage : damages) {
      SCOPED_TRACE(std::string(data.file) + ": " + damage.what);
      std::string path = Pref(data.file);
      std::string bytes;
      if (damage.bytes) {
        bytes = damage.bytes(data);
        preferences.Write(data.file, bytes);
      } else {
        preferences.Write(std::string(data.file) + "/inside", "kept");
      }
      warnings.Clear();
      ResetWarnings();

      EXPECT_EQ(data.loadAndCount(engine.get()), 0);

      std::string copy = path + ".damaged";
      EXPECT_FALSE(fs::exists(fs::symlink_status(path)));
      if (damage.bytes) {
        EXPECT_EQ(preferences.Read(std::string(data.file) + ".damaged"), bytes);
      } else {
        EXPECT_EQ(preferences.Read(std::string(data.file) + ".damaged/inside"), "kept");
      }
      ASSERT_EQ(warnings.Lines().size(), 1u);
      const std::string& line = warnings.Lines()[0];
      EXPECT_TRUE(Mentions(line, "warning: " + path + ": damaged (")) << line;
      EXPECT_TRUE(Mentions(line, "moved aside to " + copy)) << line;
      fs::remove_all(copy);
    }
  }
}

TEST_F(DamagedPlayerFilesTest, ASecondDamageKeepsTheFirstCopy) {
  preferences.Write("users.dat", "first damage");
  kPlayerData[0].loadAndCount(engine.get());
  preferences.Write("users.dat", "second damage");
  kPlayerData[0].loadAndCount(engine.get());
  preferences.Write("users.dat", "third damage");
  kPlayerData[0].loadAndCount(engine.get());
  EXPECT_EQ(preferences.Read("users.dat.damaged"), "first damage");
  EXPECT_EQ(preferences.Read("users.dat.damaged-2"), "second damage");
  EXPECT_EQ(preferences.Read("users.dat.damaged-3"), "third damage");
  ASSERT_EQ(warnings.Lines().size(), 3u);
  EXPECT_TRUE(Mentions(warnings.Lines()[2], "moved aside to " + Pref("users.dat.damaged-3")));
}

TEST_F(DamagedPlayerFilesTest, AFileThatCannotBeMovedIsNeverSavedOver) {
  SetMoveAsideFaultHook([](const std::string&) { return EACCES; });
  preferences.Write("users.dat", "damaged, and stuck");
  Ref<TUserProfileCollection> profiles = TAbstractObject::Create<TUserProfileCollection>();
  profiles->LoadFromFile(engine.get());
  ASSERT_EQ(warnings.Lines().size(), 1u);
  EXPECT_TRUE(Mentions(warnings.Lines()[0], "could not be moved aside (Permission denied)"))
      << warnings.Lines()[0];
  EXPECT_TRUE(Mentions(warnings.Lines()[0], "not saved over in this run")) << warnings.Lines()[0];

  profiles->GetOrCreate("Ann");
  profiles->SaveToFile(engine.get());
  profiles->SaveToFile(engine.get());
  EXPECT_EQ(preferences.Read("users.dat"), "damaged, and stuck");
  EXPECT_EQ(engine->preferenceSaves, 0);
  EXPECT_FALSE(fs::exists(Pref("users.dat.damaged")));

  // Other files are saved as usual.
  Ref<THighScores> scores = TAbstractObject::Create<THighScores>(kHighScoreTables);
  scores->SaveToFile(engine.get());
  EXPECT_EQ(engine->preferenceSaves, 1);
}

TEST_F(DamagedPlayerFilesTest, TablesFallBackToTheProgramFolderInTheSameRun) {
  for (int i = 1; i < 3; ++i) {
    const PlayerData& data = kPlayerData[i];
    preferences.Write(data.file, "damaged");
    program.Write(data.file, Encipher(data.validXml, *data.key));
    EXPECT_EQ(data.loadAndCount(engine.get()), 1) << data.file;
    EXPECT_EQ(preferences.Read(std::string(data.file) + ".damaged"), "damaged");
  }
  EXPECT_EQ(warnings.Lines().size(), 2u);
}

TEST_F(DamagedPlayerFilesTest, DamagedDefaultIsReportedAndLeftInPlace) {
  for (int i = 1; i < 3; ++i) {
    const PlayerData& data = kPlayerData[i];
    program.Write(data.file, "damaged default");
    warnings.Clear();
    EXPECT_EQ(data.loadAndCount(engine.get()), 0) << data.file;
    EXPECT_EQ(program.Read(data.file), "damaged default");
    EXPECT_FALSE(fs::exists(program / (std::string(data.file) + ".damaged")));
    ASSERT_EQ(warnings.Lines().size(), 1u) << data.file;
    EXPECT_TRUE(Mentions(warnings.Lines()[0], program / data.file)) << warnings.Lines()[0];
    EXPECT_TRUE(Mentions(warnings.Lines()[0], "left in place")) << warnings.Lines()[0];
  }
}

TEST_F(DamagedPlayerFilesTest, LinksToOtherStoragesAreNotFollowed) {
  // A player file stands alone: an overlay would be read from anywhere and its object
  // saved back there.
  program.Write("elsewhere.xml", R"(<userprofiles><userprofile name="Planted"/></userprofiles>)");
  std::string spec = "file=" + (program / "elsewhere.xml");
  preferences.Write("users.dat", Encipher("<userprofiles _outstorage=\"" + spec +
                                              "\"><userprofile name=\"Ann\" template=\"yes\" "
                                              "_outstorage=\"" +
                                              spec + "\"/></userprofiles>",
                                          UserProfilesKey));
  Ref<TUserProfileCollection> profiles = TAbstractObject::Create<TUserProfileCollection>();
  profiles->LoadFromFile(engine.get());
  EXPECT_EQ(profiles->Count(), 1);
  EXPECT_FALSE(profiles->GetItem(Variant("Planted")));
  profiles->SaveToFile(engine.get());
  EXPECT_EQ(program.Read("elsewhere.xml"),
            R"(<userprofiles><userprofile name="Planted"/></userprofiles>)");
  EXPECT_EQ(SavedXml("users.dat", UserProfilesKey).find("_outstorage"), std::string::npos);
  ASSERT_EQ(warnings.Lines().size(), 1u);
  EXPECT_EQ(warnings.Lines()[0], "warning: " + Pref("users.dat") +
                                     ": \"_outstorage\" (2 elements), \"template\" (1 element) "
                                     "dropped: a player's file leans on no other file and is saved "
                                     "nowhere else");
}
