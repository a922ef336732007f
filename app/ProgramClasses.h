#pragma once
// Every library's classes, registered as the program registers them at start: the game's
// declarations first, then each library in build order. Tests and benchmarks that run the
// sample game call this too, so that they meet the classes the program meets.
#include "engine/EngineRegistration.h"
#include "foundation/GeneralClasses.h"
#include "functions/FunctionRegistration.h"
#include "gameplay/GameplayRegistration.h"
#include "gameplay/Tv2Declarations.h"
#include "minigames/MiniGamesRegistration.h"
#include "screens/ScreensRegistration.h"
#include "shell/ShellRegistration.h"
#include "widgets/WidgetsRegistration.h"

inline void RegisterProgramClasses() {
  Tv2DeclarationsInit();
  RegisterFoundationClasses();
  RegisterEngineClasses();
  RegisterFunctionsClasses();
  RegisterShellClasses();
  RegisterWidgetsClasses();
  RegisterGameplayClasses();
  RegisterScreensClasses();
  RegisterMiniGamesClasses();
}
