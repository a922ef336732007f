#pragma once
// Shared constants of the game shell: globals with an initial value that the game's
// declarations replace once at start-up (Tv2DeclarationsInit).

#include <string>

extern std::string GlobalOptionsFileName;
extern std::string GlobalOptionsKey;
extern bool GlobalOptionsInFile;
extern bool LoadWidgetsWithGameScreen;
extern std::string RegistryKeyPath;
extern std::string MirroredOptionNames;
extern std::string HighScoresFileName;
extern std::string HighScoresKey;
extern std::string HighScoreTableParams;
extern std::string LevelRecordsFileName;
extern std::string LevelRecordsKey;
extern std::string LevelRecordTableParams;
extern std::string UserProfilesFileName;
extern std::string UserProfilesKey;
extern std::string NewUserCaptionKey;
extern std::string NewUserCaption;
