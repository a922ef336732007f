#include "foundation/EngineDeclarations.h"

std::string StartupParamsFileName = "data\\ini\\startupParams.ini";
std::string AudioLibraryFileName = "bass.dll";
int32_t DesignWidth = 640;
int32_t DesignHeight = 480;
float MinAspectRatio = 4.0f / 3.0f;
float MaxAspectRatio = 4.0f / 3.0f;
uint16_t FrameInterval = 8;
uint16_t MaxFrameStep = 500;
int32_t MusicFadeTime = 2000;
int32_t MusicPauseFadeTime = 350;
int32_t MusicResumeFadeTime = 500;
int32_t SoundFadeInTime = 350;
int32_t SoundStopFadeTime = 350;
double FloatPrecision = 0.001;
std::string GameFileName;
std::string EngineFileKey;
std::string MakerFolderName = "OstrelGames";
std::string DefaultApplicationCaption = "OstrelGames";
std::string PreferenceFolderName = "OstrelGames";
bool WindowDoubleClicks = true;
bool MmxAvailable = false;
