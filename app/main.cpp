// The program: the game's declarations, the random seed and every library's class
// registration in build order, then the start-up routine, which runs the engine.
#include "engine/EngineRegistration.h"
#include "engine/EngineRoutines.h"
#include "foundation/GeneralClasses.h"
#include "foundation/Random.h"
#include "functions/FunctionRegistration.h"
#include "gameplay/GameplayRegistration.h"
#include "gameplay/Tv2Declarations.h"
#include "minigames/MiniGamesRegistration.h"
#include "platform/Folders.h"
#include "screens/ScreensRegistration.h"
#include "shell/ShellRegistration.h"
#include "widgets/WidgetsRegistration.h"

int main(int argc, char** argv) {
  platform::SetProgramArguments(argc, argv);
  Tv2DeclarationsInit();
  Randomize();
  RegisterFoundationClasses();
  RegisterEngineClasses();
  RegisterFunctionsClasses();
  RegisterShellClasses();
  RegisterWidgetsClasses();
  RegisterGameplayClasses();
  RegisterScreensClasses();
  RegisterMiniGamesClasses();
  return RunApplication();
}
