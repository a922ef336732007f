// The program. The engine is not built yet: start what exists, say so and exit, so
// that ./run tells the truth about what exists.
#include <cstdio>

#include "foundation/GeneralClasses.h"
#include "foundation/Random.h"
#include "functions/FunctionRegistration.h"
#include "gameplay/Tv2Declarations.h"
#include "shell/ShellRegistration.h"
#include "widgets/WidgetsRegistration.h"

int main() {
  // Start-up order: the game's declarations first, then the random seed, then every
  // library's class registration in build order.
  Tv2DeclarationsInit();
  Randomize();
  RegisterFoundationClasses();
  // RegisterEngineClasses() goes here, between the foundation and the functions.
  RegisterFunctionsClasses();
  RegisterShellClasses();
  RegisterWidgetsClasses();
  std::puts("tavelor2: the foundation is built; the engine that opens the window is not yet.");
  return 0;
}
