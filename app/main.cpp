// The program: the random seed and every library's class registration in build order,
// then the start-up routine, which runs the engine.
#include "app/ProgramClasses.h"
#include "engine/EngineRoutines.h"
#include "foundation/Random.h"
#include "platform/Folders.h"

int main(int argc, char** argv) {
  platform::SetProgramArguments(argc, argv);
  Randomize();
  RegisterProgramClasses();
  return RunApplication();
}
