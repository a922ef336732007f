#include "gameplay/Tv2Declarations.h"

#include "foundation/EngineDeclarations.h"
#include "foundation/GameDeclarations.h"

const std::string DefaultScenarioFileName = "data\\ini\\scenarios\\default.ini";
const std::string ScenesFileName = "data\\ini\\scenes.ini";
const std::string CategoriesFileName = "data\\ini\\categories.ini";
const std::string ParticipantsFileName = "data\\ini\\participants.ini";

namespace {

std::string HighScoreTable(const std::string& name) {
  return "\\record_table={name=" + name + "\\max_records=10\\" + "record_structure={param=" +
         "Score" + "\\param=" + "Player" + "\\param=" + "Level" + "\\param=" + "Const" + "}}";
}

std::string LevelRecordTable(const std::string& name) {
  return "\\level_record_table={name=" + name + "}";
}

}  // namespace

void Tv2DeclarationsInit() {
  static bool done = false;
  if (done) return;
  done = true;

  DesignWidth = 1024;
  DesignHeight = 768;
  MinAspectRatio = 4.0f / 3.0f;
  MaxAspectRatio = 1366.0f / 768.0f;
  FloatPrecision = 0.01;
  GameFileName = "data\\ini\\Tavelor2.ini";
  DefaultApplicationCaption = "tavelor2";
  PreferenceFolderName = "Tavelor2";
  WindowDoubleClicks = false;

  RegistryKeyPath = "Software\\OstrelGames\\Tavelor2\\";
  MirroredOptionNames = ";FullScreenMode;WideScreenMode;MusicVolume;SoundVolume;";
  HighScoreTableParams = HighScoreTable("0") + HighScoreTable("1");
  LevelRecordTableParams = LevelRecordTable("0") + LevelRecordTable("1");
  UserProfilesFileName = "users.dat";
  // The translator arrives with the language files; until then the profiles screen
  // translates the key itself before use.
  NewUserCaption = "";

  // Keys of the enciphered files; a file written under one key reads back only with it.
  EngineFileKey = "k4wz8qe1vn-7tj3hm0d";
  GlobalOptionsKey = "p2xg9c0rw5ly7ke3q1nbzu";
  HighScoresKey = "58m207xjdkaufwjb31cnwz";
  UserProfilesKey = "913064vbsw8n[571k06tyc";
  LevelRecordsKey = "zt41ka[wmcuyeb07d5rxfv";
}
