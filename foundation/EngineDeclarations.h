#pragma once
// Shared constants of the engine: globals with an initial value that the game's
// declarations replace once at start-up (Tv2DeclarationsInit), before anything reads them.

#include <cstdint>
#include <string>

extern std::string StartupParamsFileName;
extern std::string AudioLibraryFileName;
extern int32_t DesignWidth;
extern int32_t DesignHeight;
extern float MinAspectRatio;
extern float MaxAspectRatio;
extern uint16_t FrameInterval;
extern uint16_t MaxFrameStep;
extern int32_t MusicFadeTime;
extern int32_t MusicPauseFadeTime;
extern int32_t MusicResumeFadeTime;
extern int32_t SoundFadeInTime;
extern int32_t SoundStopFadeTime;
extern double FloatPrecision;
extern std::string GameFileName;
extern std::string EngineFileKey;
extern std::string MakerFolderName;
extern std::string DefaultApplicationCaption;
extern std::string PreferenceFolderName;
extern bool WindowDoubleClicks;
extern bool MmxAvailable;
