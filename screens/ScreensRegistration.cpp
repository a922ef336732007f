#include "screens/ScreensRegistration.h"

#include "foundation/GeneralClasses.h"
#include "screens/Tv2GameScreenLevelStat.h"
#include "screens/Tv2GameScreenMenu.h"

// The game file names these classes in its screens' "type" attributes.
void RegisterScreensClasses() {
  static bool registered = false;
  if (registered) return;
  registered = true;
  RegisterClassName<TTavelor2GameScreenLevelStat>("Tavelor2GameScreenLevelStat");
  RegisterClassName<TTavelor2GameScreenMenu>("Tavelor2GameScreenMenu");
}
