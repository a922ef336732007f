#include "foundation/GameDeclarations.h"

std::string GlobalOptionsFileName = "options.dat";
std::string GlobalOptionsKey;
bool GlobalOptionsInFile = true;
bool LoadWidgetsWithGameScreen = true;
std::string RegistryKeyPath = "Software\\OstrelGames";
std::string MirroredOptionNames;
std::string HighScoresFileName = "highscores.dat";
std::string HighScoresKey;
std::string HighScoreTableParams;
std::string LevelRecordsFileName = "records.dat";
std::string LevelRecordsKey;
std::string LevelRecordTableParams;
std::string UserProfilesFileName = "users.dat";
std::string UserProfilesKey;
std::string NewUserCaptionKey = "%CreateNewUser%";
std::string NewUserCaption = "Create new user";
